// The parts of a path in its usual form: its folder and its file name, split at the last
// backslash.
#pragma once
#include <cstdint>

// The length of the folder among the first `length` units of the path, with the backslash
// after it; 0 when they hold no backslash.
uint32_t FolderLengthOf(const char16_t* path, uint32_t length);
uint32_t FolderLengthOf(const char16_t* path);
// What follows the path's last backslash; the whole path when it has none.
const char16_t* FileNameOf(const char16_t* path);
