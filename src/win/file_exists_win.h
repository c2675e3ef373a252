// Whether something exists at a path.
#pragma once

// Asks for the path's attributes, which takes paths of any length where the system allows
// long paths (PathFileExistsW stops at 260 units). A file or a folder.
bool FileOrFolderExists(const char16_t* path);
// A file, not a folder.
bool FileExists(const char16_t* path);
