// Full paths through GetFullPathNameW, whatever their length.
#include "win/full_path_win.h"

#include <windows.h>

#include "win/utf16_cast.h"

WideString FullPathOf(const WideString& path) {
    WideString full;
    // The call returns the room it needs, terminator included, when the buffer is too small;
    // the current folder may change between the calls, so ask again then.
    DWORD room = GetFullPathNameW(AsWide(path.Text()), 0, nullptr, nullptr);
    for (int round = 0; round < 4 && room > 0; ++round) {
        if (!full.PrepareBuffer(room)) break;
        const DWORD length =
            GetFullPathNameW(AsWide(path.Text()), room, AsWide(full.Buffer()), nullptr);
        if (length == 0) break;
        if (length < room) {
            full.Truncate(length);
            return full;
        }
        room = length;
    }
    return path;
}
