// The one persisted setting: the path of Lame.exe in the registry.
#pragma once
#include "foundation/wide_string.h"

// Puts the stored path, or "Lame.exe", into the path field.
void ReadLamePathIntoField();
// Stores the path under HKCU; silent on failure.
void StoreLamePath(const WideString& path);
