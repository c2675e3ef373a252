// The folder of the program file, taken from its full path however long it is.
#include "win/program_folder_win.h"

#include <windows.h>

#include "foundation/path_parts.h"
#include "win/utf16_cast.h"

namespace {
// Longest path the system hands out, terminator included.
constexpr DWORD kLongestPath = 32768;
}  // namespace

WideString ProgramFolder() {
    WideString path;
    // GetModuleFileNameW cuts a path that does not fit and returns the room it had;
    // grow the buffer until the whole path fits.
    for (DWORD room = 276; room <= kLongestPath * 2; room *= 2) {
        if (!path.PrepareBuffer(room)) return WideString();
        DWORD length = GetModuleFileNameW(nullptr, AsWide(path.Buffer()), room);
        if (length == 0) return WideString();
        if (length < room) {
            path.Truncate(length);
            path.Truncate(FolderLengthOf(path.Text()));
            return path;
        }
    }
    return WideString();
}
