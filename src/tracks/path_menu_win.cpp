// The menu of path pieces behind the "<" buttons of "Künstler:", "Album:" and "Titel:".
#include "tracks/path_menu_win.h"

#include "app/shell_win.h"
#include "tracks/file_list_win.h"
#include "tracks/path_pieces.h"
#include "tracks/popup_menu_win.h"

namespace {

void OfferPieces(const StringList& pieces, int targetFieldId) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    for (uint32_t i = 0; i < pieces.Count(); ++i) {
        AppendMenuW(menu, MF_STRING, i + 1, AsWide(pieces.GetAt(i)->Text()));
    }
    if (const UINT chosen = TrackMenuAtMessagePos(menu)) {
        const WideString piece = MenuItemText(menu, chosen);
        SetDlgItemTextW(MainWindow(), targetFieldId, AsWide(piece.Text()));
    }
    DestroyMenu(menu);
}

}  // namespace

int SuggestPathPiece(int row, int targetFieldId) {
    if (row < 0) return 0;
    const TrackRecord* record = RecordOfRow(row);
    if (!record || record->fields[kPath].IsEmpty()) return 0;
    // The pieces are cut from a private copy; the record's path stays as it is.
    StringList pieces;
    CollectPathPieces(record->fields[kPath].Text(), pieces);
    if (pieces.Count() > 0) OfferPieces(pieces, targetFieldId);
    return 1;
}
