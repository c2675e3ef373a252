// Windows' file calls, taking a path in its usual form: each gives the call the extended-length
// form where the path's length asks for it (foundation/long_path.h), so a deep folder works
// as a short one. The calls' last error stays readable after them.
#pragma once
#include <windows.h>

DWORD FileAttributesAt(const char16_t* path);
bool FileAttributeDataAt(const char16_t* path, WIN32_FILE_ATTRIBUTE_DATA& data);
// CreateFileW without security attributes or template.
HANDLE OpenFileAt(const char16_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags);
// The first name matching the pattern, for FindNextFileW: the basic information, fetched in
// large blocks.
HANDLE FindFirstFileAt(const char16_t* pattern, WIN32_FIND_DATAW* found);
bool DeleteFileAt(const char16_t* path);
bool MoveFileAt(const char16_t* from, const char16_t* to, DWORD flags);

// For a folder to be made, in the form CreateDirectoryW takes (from 248 units on): its
// attributes, and the folder made.
DWORD FolderAttributesAt(const char16_t* folder);
bool MakeFolderAt(const char16_t* folder);
