// The menu of path pieces behind the "<" buttons of "Künstler:", "Album:" and "Titel:".
#include "tracks/path_menu_win.h"

#include "tracks/file_list_win.h"
#include "tracks/path_pieces.h"
#include "tracks/popup_menu_win.h"
#include "win/utf16_cast.h"

namespace {

void OfferPieces(HWND owner, const StringList& pieces, HWND targetField) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    for (uint32_t i = 0; i < pieces.Count(); ++i) {
        AppendMenuW(menu, MF_STRING, i + 1, AsWide(pieces.GetAt(i)->Text()));
    }
    if (const UINT chosen = TrackMenuAtMessagePos(owner, menu)) {
        const WideString piece = MenuItemText(menu, chosen);
        SetWindowTextW(targetField, AsWide(piece.Text()));
    }
    DestroyMenu(menu);
}

}  // namespace

bool SuggestPathPiece(DialogState& state, int row, HWND targetField) {
    if (row < 0) return false;
    const TrackRecord* record = RecordOfRow(state.controls.files, row);
    if (!record || record->fields[kPath].IsEmpty()) return false;
    // The pieces are cut from a private copy; the record's path stays as it is.
    StringList pieces;
    CollectPathPieces(record->fields[kPath].Text(), pieces);
    if (pieces.Count() > 0) OfferPieces(state.dialog, pieces, targetField);
    return true;
}
