#include "tracks/file_list_win.h"

#include "tracks/flag_column_win.h"
#include "win/dpi_scale.h"
#include "win/utf16_cast.h"

namespace {
constexpr COLORREF kSelectedTextColour = 200;  // RGB(200, 0, 0)
}  // namespace

BOOL PaintTrackRow(const DRAWITEMSTRUCT* item, UINT dpi) {
    if (item == nullptr || item->itemData == 0 || item->itemData == static_cast<ULONG_PTR>(-1)) {
        return TRUE;  // no record: e.g. the focus of an empty list
    }
    const auto* record = reinterpret_cast<const TrackRecord*>(item->itemData);
    HDC dc = item->hDC;

    RECT text = item->rcItem;
    text.left += ScaleToDpi(2, dpi);
    text.top += ScaleToDpi(1, dpi);

    const bool selected = (item->itemState & ODS_SELECTED) != 0;
    COLORREF previous = 0;
    if (selected) previous = SetTextColor(dc, kSelectedTextColour);

    // DT_NOPREFIX: a path is shown as it is, an ampersand included, not as a mnemonic.
    RECT pathRect = text;
    pathRect.right -= FlagColumnWidth(dc);
    const WideString& path = record->fields[kPath];
    DrawTextW(dc, AsWide(path.Text()), static_cast<int>(path.Length()), &pathRect,
              DT_PATH_ELLIPSIS | DT_NOPREFIX);

    char16_t flags[kFlagTextLength + 1];
    BuildFlagText(*record, flags);
    DrawTextW(dc, AsWide(flags), kFlagTextLength, &text, DT_RIGHT);

    if (selected) SetTextColor(dc, previous);
    return TRUE;
}

bool AddRecordToList(HWND list, TrackRecord* record) {
    if (record == nullptr) return false;
    const LRESULT row = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(record));
    return row >= 0;
}

TrackRecord* RecordOfRow(HWND list, int row) {
    const LRESULT data = SendMessageW(list, LB_GETITEMDATA, row, 0);
    if (data == LB_ERR || data == 0) return nullptr;
    return reinterpret_cast<TrackRecord*>(data);
}
