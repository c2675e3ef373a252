// Making a folder together with the folders above it that are missing, at any length.
#pragma once

// Makes the folder (a full path on a drive or a share; a backslash at its end is fine) and
// every folder above it that is missing, from the top down: one CreateDirectoryW per missing
// level, each in the extended-length form from kLongFolderFrom units on. Whether the folder is
// there afterwards.
bool MakeMissingFolders(const char16_t* folder);
