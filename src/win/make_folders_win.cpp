#include "win/make_folders_win.h"

#include <windows.h>

#include <cstdint>

#include "foundation/path_parts.h"
#include "foundation/wide_string.h"
#include "win/file_calls_win.h"

namespace {

bool IsFolder(const char16_t* path) {
    const DWORD attributes = FolderAttributesAt(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Where the first level below the root begins: after "C:\" or "\\server\share\"; 0 for a
// path of neither kind.
uint32_t FirstLevelStart(const char16_t* path, uint32_t length) {
    const bool letter =
        (path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z');
    if (length >= 2 && letter && path[1] == u':') return length == 2 || path[2] == u'\\' ? 3 : 0;
    if (length < 3 || path[0] != u'\\' || path[1] != u'\\' || path[2] == u'\\') return 0;
    uint32_t at = 2;
    while (at < length && path[at] != u'\\') ++at;  // the server
    const uint32_t share = ++at;
    while (at < length && path[at] != u'\\') ++at;
    return at > share ? at + 1 : 0;
}

}  // namespace

bool MakeMissingFolders(const char16_t* folder) {
    uint32_t length = TextLength(folder);
    while (length > 0 && folder[length - 1] == u'\\') --length;
    const uint32_t first = FirstLevelStart(folder, length);
    if (first == 0) return false;
    if (length < first) return IsFolder(folder);  // a root
    // The end of the deepest level that is there; the root is taken to be.
    WideString level;
    uint32_t there = length;
    for (;;) {
        level.AssignText(folder, there);
        if (IsFolder(level.Text())) break;
        uint32_t up = FolderLengthOf(folder, there);
        if (up < first) up = first;
        there = up - 1;
        if (up == first) break;
    }
    // The missing levels, from the top down. One made meanwhile by someone else will do.
    while (there < length) {
        uint32_t next = there + 1;
        while (next < length && folder[next] != u'\\') ++next;
        level.AssignText(folder, next);
        if (!MakeFolderAt(level.Text()) &&
            !(GetLastError() == ERROR_ALREADY_EXISTS && IsFolder(level.Text())))
            return false;
        there = next;
    }
    return true;
}
