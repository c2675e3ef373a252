// The path of Lame.exe in the registry.
#pragma once
#include "foundation/wide_string.h"

// The program's key under HKEY_CURRENT_USER; every setting is a value of it.
extern const wchar_t kProgramKeyPath[];

// The stored path. When none can be read: the full path of a lame.exe beside the program
// (the one the release zip brings), else "Lame.exe".
WideString ReadLamePathSetting();
// Stores the path under HKCU; silent on failure.
void StoreLamePathSetting(const WideString& path);
