// Text values of the registry.
#pragma once
#include <windows.h>

#include <cstdint>

#include "foundation/wide_string.h"

// Reads the REG_SZ value of the key whole, as far as its first null. False, with the text
// empty, when the value is missing, is not REG_SZ, or holds more than `mostUnits` units of
// text (its data more than one unit beyond them).
bool ReadRegistryText(HKEY key, const wchar_t* name, uint32_t mostUnits, WideString& text);
