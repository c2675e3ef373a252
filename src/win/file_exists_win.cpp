#include "win/file_exists_win.h"

#include <windows.h>

#include "win/file_calls_win.h"

namespace {

DWORD AttributesOf(const char16_t* path) {
    if (path == nullptr || *path == u'\0') return INVALID_FILE_ATTRIBUTES;
    // An empty floppy or card drive answers with an error instead of a system message box.
    DWORD previousMode = 0;
    const BOOL modeSet = SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previousMode);
    const DWORD attributes = FileAttributesAt(path);
    if (modeSet) SetThreadErrorMode(previousMode, nullptr);
    return attributes;
}

}  // namespace

bool FileOrFolderExists(const char16_t* path) {
    return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool FileExists(const char16_t* path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
