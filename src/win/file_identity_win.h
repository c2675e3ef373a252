// Reading a file's or folder's identity (foundation/file_identity.h) from the system.
#pragma once
#include <windows.h>

#include "foundation/file_identity.h"

// The identity of what the handle has open; false with the system's error.
bool ReadHandleIdentity(HANDLE file, FileIdentity& identity);
// The file's or folder's identity (a link's target's); false with the system's error when it
// cannot be opened.
bool ReadIdentity(const char16_t* path, FileIdentity& identity);
