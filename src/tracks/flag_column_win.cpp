#include "tracks/flag_column_win.h"

#include "win/utf16_cast.h"
#include "tracks/track_record.h"

namespace {
LONG UnitWidth(HDC dc, char16_t unit) {
    SIZE size{};
    GetTextExtentPoint32W(dc, AsWide(&unit), 1, &size);
    return size.cx;
}
}  // namespace

LONG FlagColumnWidth(HDC dc) {
    const LONG blank = UnitWidth(dc, u' ');
    const LONG minus = UnitWidth(dc, u'-');
    LONG width = 2 * blank;
    for (int i = 0; i < kLastTag - kFirstTag + 1; ++i) {
        const LONG letter = UnitWidth(dc, kFlagLetters[i]);
        width += letter > minus ? letter : minus;
    }
    return width;
}
