// Keeps the right column and the bottom row at their distances from the right and bottom
// edges when the dialog is resized; the file list takes up what is won or lost.
#include "app/layout_win.h"

#include "resources/control_ids.h"
#include "win/dpi_scale.h"

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
static_assert(sizeof(kRightColumn) / sizeof(kRightColumn[0]) == kRightColumnCount);
constexpr int kBottomRow[] = {IDB_UP, IDB_DOWN, IDB_REMOVE};
static_assert(sizeof(kBottomRow) / sizeof(kBottomRow[0]) == kBottomRowCount);
// ModeLabel and UpButton below read the first entries.
static_assert(kRightColumn[0] == IDT_MODE && kBottomRow[0] == IDB_UP);

// Gap between the list and the group box, and between the list and the buttons below it,
// in pixels at 96 DPI.
constexpr int kListGapRight = 4;
constexpr int kListGapBottom = 3;
constexpr UINT kMoveFlags =
    SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING;

bool TopLeftInClient(HWND dialog, HWND control, POINT& point) {
    RECT rect;
    if (!GetWindowRect(control, &rect)) return false;
    point = {rect.left, rect.top};
    return ScreenToClient(dialog, &point);
}

void MoveControlBy(HWND dialog, HWND control, int dx, int dy) {
    POINT at;
    if (!TopLeftInClient(dialog, control, at)) return;
    SetWindowPos(control, nullptr, at.x + dx, at.y + dy, 0, 0, kMoveFlags);
}

// The mode label leads the right column and the up button the bottom row.
HWND ModeLabel(const LayoutAnchors& anchors) {
    return anchors.rightColumn[0];
}
HWND UpButton(const LayoutAnchors& anchors) {
    return anchors.bottomRow[0];
}

void StretchFileList(const DialogState& state) {
    HWND dialog = state.dialog;
    POINT list, groupBox, upButton;
    if (!TopLeftInClient(dialog, state.controls.files, list) ||
        !TopLeftInClient(dialog, state.anchors.tagGroup, groupBox) ||
        !TopLeftInClient(dialog, UpButton(state.anchors), upButton)) {
        return;
    }
    MoveWindow(state.controls.files, list.x, list.y,
               groupBox.x - list.x - ScaleToDpi(kListGapRight, state.scale.dpi),
               upButton.y - list.y - ScaleToDpi(kListGapBottom, state.scale.dpi), FALSE);
}

}  // namespace

void RecordLayoutAnchors(DialogState& state) {
    HWND dialog = state.dialog;
    LayoutAnchors& anchors = state.anchors;
    for (int i = 0; i < kRightColumnCount; ++i)
        anchors.rightColumn[i] = GetDlgItem(dialog, kRightColumn[i]);
    for (int i = 0; i < kBottomRowCount; ++i)
        anchors.bottomRow[i] = GetDlgItem(dialog, kBottomRow[i]);
    anchors.tagGroup = GetDlgItem(dialog, IDG_TAGS);
    RECT client;
    POINT mode, upButton;
    anchors.recorded = GetClientRect(dialog, &client) &&
                       TopLeftInClient(dialog, ModeLabel(anchors), mode) &&
                       TopLeftInClient(dialog, UpButton(anchors), upButton);
    if (!anchors.recorded) return;
    anchors.right = client.right - mode.x;
    anchors.bottom = client.bottom - upButton.y;
}

void LayOutDialog(DialogState& state) {
    const LayoutAnchors& anchors = state.anchors;
    if (!anchors.recorded) return;
    HWND dialog = state.dialog;
    RECT client;
    POINT mode, upButton;
    if (!GetClientRect(dialog, &client) || !TopLeftInClient(dialog, ModeLabel(anchors), mode) ||
        !TopLeftInClient(dialog, UpButton(anchors), upButton)) {
        return;
    }
    // Measured from where the controls are now, so any earlier state is corrected.
    const int dx = client.right - anchors.right - mode.x;
    const int dy = client.bottom - anchors.bottom - upButton.y;
    if (dx == 0 && dy == 0) return;
    if (dx != 0) {
        for (HWND control : anchors.rightColumn) MoveControlBy(dialog, control, dx, 0);
    }
    if (dy != 0) {
        for (HWND control : anchors.bottomRow) MoveControlBy(dialog, control, 0, dy);
    }
    StretchFileList(state);
    InvalidateRect(dialog, nullptr, FALSE);
}
