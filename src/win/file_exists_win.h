// Whether something exists at a path, and whether two names are one file name.
#pragma once
#include <cstdint>

// Asks for the path's attributes, which takes paths of any length where the system allows
// long paths (PathFileExistsW stops at 260 units). A file or a folder.
bool FileOrFolderExists(const char16_t* path);
// A file, not a folder.
bool FileExists(const char16_t* path);

// Compares as the file system does: without regard to case, unit by unit
// (CompareStringOrdinal ignoring case).
bool SameFileName(const char16_t* a, uint32_t aLength, const char16_t* b, uint32_t bLength);
