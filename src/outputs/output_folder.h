// The folder the settings put the outputs in, as the settings dialog checks it.
#pragma once
#include <cstdint>

#include "foundation/wide_string.h"

enum class FolderProblem { kNone, kEmpty, kNotAbsolute, kPartEndsInDotOrBlank, kTooLong };
// The longest output folder: CreateDirectory takes no longer path without long paths turned
// on, and it leaves twelve units for the names inside.
constexpr uint32_t kLongestOutputFolder = 247;
// A folder must name its drive ("D:\MP3") or share ("\\server\share\MP3"), and no part of
// it may end in a dot or blank ("." and ".." aside): Windows drops those, so "D:\MP3." is
// the folder "D:\MP3".
FolderProblem CheckOutputFolder(const char16_t* folder);
// Its drive's root ("D:\") or share ("\\server\share\"), to ask whether it is there.
WideString RootOfFolder(const char16_t* folder);
