// What Windows takes as a file or folder name, for the names the outputs are given.
#pragma once
#include <cstdint>

#include "foundation/path_parts.h"

inline bool IsBlank(char16_t unit) {
    return unit == u' ';
}

inline char16_t FoldAscii(char16_t unit) {
    return unit >= u'a' && unit <= u'z' ? char16_t(unit - 0x20) : unit;
}

inline bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

// Every unit Windows refuses in a name, and the control characters, become '_'.
char16_t CleanUnit(char16_t unit);

// The length of a part's device name, when it is one (the text before its first dot, blanks
// at its end aside): "nul.mp3" is NUL. 0 otherwise.
uint32_t DeviceNameLength(const char16_t* part, uint32_t length);

// The folder of a path: everything before its last backslash.
inline uint32_t FolderLength(const char16_t* path, uint32_t length) {
    const uint32_t withBackslash = FolderLengthOf(path, length);
    return withBackslash > 0 ? withBackslash - 1 : 0;
}
