#include "win/file_exists_win.h"

#include <windows.h>

#include "win/utf16_cast.h"

bool FileOrFolderExists(const char16_t* path) {
    if (path == nullptr || *path == u'\0') return false;
    // An empty floppy or card drive answers with an error instead of a system message box.
    DWORD previousMode = 0;
    const BOOL modeSet = SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previousMode);
    const DWORD attributes = GetFileAttributesW(AsWide(path));
    if (modeSet) SetThreadErrorMode(previousMode, nullptr);
    return attributes != INVALID_FILE_ATTRIBUTES;
}
