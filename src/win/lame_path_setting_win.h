// The one persisted setting: the path of Lame.exe in the registry.
#pragma once
#include "foundation/wide_string.h"

// The stored path, or "Lame.exe" when none can be read.
WideString ReadLamePathSetting();
// Stores the path under HKCU; silent on failure.
void StoreLamePathSetting(const WideString& path);
