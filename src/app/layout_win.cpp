// Keeps the right column and the bottom row at their distances from the right and bottom
// edges when the dialog is resized; the file list takes up what is won or lost.
#include "app/layout_win.h"

#include "app/dpi_win.h"
#include "resources/control_ids.h"

namespace {

// The option and tag area, in the order it is moved.
constexpr int kRightColumn[] = {
    IDT_MODE,        IDC_MODE,        IDT_QUALITY, IDC_QUALITY,      IDT_BITRATE,      IDC_BITRATE,
    IDT_MAX_BITRATE, IDC_MAX_BITRATE, IDT_PRESET,  IDC_PRESET,       IDG_TAGS,         IDX_ID3V2,
    IDX_ID3V2_ONLY,  IDB_NUMBER,      IDT_ARTIST,  IDE_ARTIST,       IDB_ARTIST_PIECE, IDT_ALBUM,
    IDE_ALBUM,       IDB_ALBUM_PIECE, IDT_TITLE,   IDE_TITLE,        IDB_TITLE_PIECE,  IDT_COMMENT,
    IDE_COMMENT,     IDT_YEAR,        IDE_YEAR,    IDT_TRACK_NUMBER, IDE_TRACK_NUMBER, IDT_GENRE,
    IDE_GENRE,       IDB_GENRE_MENU,
};
static_assert(sizeof(kRightColumn) / sizeof(kRightColumn[0]) == 32);
constexpr int kBottomRow[] = {IDB_UP, IDB_DOWN, IDB_REMOVE};

// Gap between the list and the group box, and between the list and the buttons below it,
// in pixels at 96 DPI.
constexpr int kListGapRight = 4;
constexpr int kListGapBottom = 3;
constexpr UINT kMoveFlags =
    SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING;

// Set from the dialog whose anchors were recorded; a WM_SIZE that arrives while the dialog is
// being created, before its controls exist, finds another (or no) dialog here.
HWND g_anchoredDialog = nullptr;
int g_rightAnchor = 0;
int g_bottomAnchor = 0;

bool TopLeftInClient(HWND dialog, int id, POINT& point) {
    RECT rect;
    if (!GetWindowRect(GetDlgItem(dialog, id), &rect)) return false;
    point = {rect.left, rect.top};
    return ScreenToClient(dialog, &point);
}

void MoveControlBy(HWND dialog, int id, int dx, int dy) {
    POINT at;
    if (!TopLeftInClient(dialog, id, at)) return;
    SetWindowPos(GetDlgItem(dialog, id), nullptr, at.x + dx, at.y + dy, 0, 0, kMoveFlags);
}

void StretchFileList(HWND dialog) {
    POINT list, groupBox, upButton;
    if (!TopLeftInClient(dialog, IDL_FILES, list) || !TopLeftInClient(dialog, IDG_TAGS, groupBox) ||
        !TopLeftInClient(dialog, IDB_UP, upButton)) {
        return;
    }
    MoveWindow(GetDlgItem(dialog, IDL_FILES), list.x, list.y,
               groupBox.x - list.x - DialogPixels(kListGapRight),
               upButton.y - list.y - DialogPixels(kListGapBottom), FALSE);
}

}  // namespace

void RecordLayoutAnchors(HWND dialog) {
    RECT client;
    POINT mode, upButton;
    if (!GetClientRect(dialog, &client) || !TopLeftInClient(dialog, IDT_MODE, mode) ||
        !TopLeftInClient(dialog, IDB_UP, upButton)) {
        g_anchoredDialog = nullptr;
        return;
    }
    g_rightAnchor = client.right - mode.x;
    g_bottomAnchor = client.bottom - upButton.y;
    g_anchoredDialog = dialog;
}

void LayOutDialog(HWND dialog) {
    if (dialog != g_anchoredDialog) return;
    RECT client;
    POINT mode, upButton;
    if (!GetClientRect(dialog, &client) || !TopLeftInClient(dialog, IDT_MODE, mode) ||
        !TopLeftInClient(dialog, IDB_UP, upButton)) {
        return;
    }
    // Measured from where the controls are now, so any earlier state is corrected.
    const int dx = client.right - g_rightAnchor - mode.x;
    const int dy = client.bottom - g_bottomAnchor - upButton.y;
    if (dx == 0 && dy == 0) return;
    if (dx != 0) {
        for (int id : kRightColumn) MoveControlBy(dialog, id, dx, 0);
    }
    if (dy != 0) {
        for (int id : kBottomRow) MoveControlBy(dialog, id, 0, dy);
    }
    StretchFileList(dialog);
    InvalidateRect(dialog, nullptr, FALSE);
}
