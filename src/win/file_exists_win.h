// Whether something exists at a path.
#pragma once

// Asks for the path's attributes, in the extended-length form where it is 260 units or more,
// so paths of any length whatever the system's long-path setting (PathFileExistsW stops at
// 260 units). A file or a folder.
bool FileOrFolderExists(const char16_t* path);
// A file, not a folder.
bool FileExists(const char16_t* path);
