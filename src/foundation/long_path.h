// Paths that Windows' file calls take at any length. While long paths are not enabled for
// the whole system (the registry value LongPathsEnabled, off as Windows ships), a path of 260
// units (MAX_PATH) or more is refused in its usual form, even to a program whose manifest
// declares longPathAware; every Unicode file call takes it in the extended-length form,
// "\\?\C:\..." or "\\?\UNC\server\share\...". That form is passed on unnormalised, so only
// a full path with "\" alone between its parts, and no "." or ".." part, is written in it.
#pragma once
#include <cstdint>

#include "foundation/wide_string.h"

constexpr uint32_t kLongPathFrom = 260;  // units from which the usual form is refused
// CreateDirectoryW refuses a folder from 248 units on in the usual form (MAX_PATH less room
// for a file name of 8.3 units), though the other calls still take it.
constexpr uint32_t kLongFolderFrom = 248;

// What the extended-length form puts before a path: the prefix, then the path from its unit
// `from` on (the prefix of a network path stands for its first backslash).
struct ExtendedLengthPrefix {
    const char16_t* prefix;  // empty: the path stays as it is
    uint32_t from;
};

// For the first `length` units of path followed by `suffixLength` more units that hold no
// backslash or slash (an output name's suffix): the prefix where the whole is a full path of
// `longFrom` units or more, else an empty one.
ExtendedLengthPrefix ExtendedLengthPrefixOf(const char16_t* path, uint32_t length,
                                            uint32_t suffixLength = 0,
                                            uint32_t longFrom = kLongPathFrom);

// The text to give a file call for the path: the path itself, or its extended-length form
// made in `holder`.
const char16_t* PathForFileCalls(const char16_t* path, WideString& holder);
// The same for a folder to be made: the extended-length form from kLongFolderFrom units on.
const char16_t* PathForFolderCalls(const char16_t* folder, WideString& holder);
