// Whether anything (a file or a folder) exists at a path.
#pragma once

// Asks for the path's attributes, which takes paths of any length where the system allows
// long paths (PathFileExistsW stops at 260 units).
bool FileOrFolderExists(const char16_t* path);
