// The folder of the program file, taken from its full path however long it is.
#include "app/module_path_win.h"

#include "app/shell_win.h"

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
        DWORD length = GetModuleFileNameW(ProgramInstance(), AsWide(path.Buffer()), room);
        if (length == 0) return WideString();
        if (length < room) {
            path.Truncate(length);
            int32_t lastBackslash = path.FindLastChar(u'\\');
            path.Truncate(static_cast<uint32_t>(lastBackslash + 1));
            return path;
        }
    }
    return WideString();
}
