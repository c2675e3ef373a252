// Where the MP3s go, remembered beside the Lame.exe path under the program's registry key.
#pragma once
#include "win/output_settings.h"

// The stored settings; a value that is missing or cannot be used counts as none (beside the
// source, the source's name).
OutputSettings ReadOutputSettings();
// Stores all of them; false when the key could not be opened or a value not written.
bool StoreOutputSettings(const OutputSettings& settings);

// A folder as typed, made full (GetFullPathNameW: no "." or ".." part left) when it names its
// drive or share and no part ends in a dot or blank; else as it is, for the check to refuse.
WideString FullOutputFolder(const WideString& typed);
