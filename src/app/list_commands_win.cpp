#include "app/list_commands_win.h"

#include "tracks/drop_names.h"
#include "tracks/file_list_win.h"
#include "tracks/selection_win.h"
#include "tracks/source_tags_win.h"
#include "tracks/tag_editing_win.h"
#include "tracks/tag_rules.h"
#include "tracks/track_numbering.h"
#include "tracks/track_removal.h"
#include "win/utf16_cast.h"

namespace {

// A bulk change would otherwise repaint the list once per row.
void SuspendRedraw(HWND list) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
}
void ResumeRedraw(HWND list) {
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

// One dropped name becomes a track and a row; names of 0 or 1 characters are skipped.
void TakeDroppedName(DialogState& state, const WideString& name) {
    if (name.Length() <= 1) return;
    TrackRecord* record = MakeTrackRecord(name.Text());
    if (record == nullptr) return;
    if (!state.tracks.Add(record)) {
        delete record;
        return;
    }
    // The list and the array must stay in lockstep: a row the list refused takes its
    // record back out.
    if (!AddRecordToList(state.controls.files, record)) {
        state.tracks.DeleteAt(state.tracks.Count() - 1);
        return;
    }
    QueueTagsOfTrack(state, *record);
}

// The documented DROPFILES block behind the handle, read in one walk.
bool TakeNamesFromDropBlock(DialogState& state, HDROP drop) {
    const void* block = GlobalLock(drop);
    if (block == nullptr) return false;
    DropNameCursor cursor;
    if (!OpenDropBlock(block, GlobalSize(drop), cursor)) {
        GlobalUnlock(drop);
        return false;
    }
    const uint32_t names = CountDroppedNames(cursor);
    SendMessageW(state.controls.files, LB_INITSTORAGE, names, 0);
    state.tracks.ReserveRoom(names);  // one growth instead of one per 8 names
    PrepareTagReading(state, names);
    WideString name;
    while (NextDroppedName(cursor, name)) TakeDroppedName(state, name);
    GlobalUnlock(drop);
    return true;
}

// Any other drop handle: ask the shell for each name, its length first, so no name is cut.
void TakeNamesFromShell(DialogState& state, HDROP drop) {
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    WideString name;
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length <= 1 || !name.PrepareBuffer(length)) continue;
        const UINT got = DragQueryFileW(drop, i, AsWide(name.Buffer()), length + 1);
        name.Truncate(got);
        TakeDroppedName(state, name);
    }
}

}  // namespace

void TakeDroppedFiles(DialogState& state, HDROP drop) {
    HWND list = state.controls.files;
    SuspendRedraw(list);
    if (!TakeNamesFromDropBlock(state, drop)) TakeNamesFromShell(state, drop);
    ResumeRedraw(list);
    // The rows are painted first; their tags follow from the reader, which would otherwise
    // compete with the paint from the start.
    UpdateWindow(list);
    StartReadingTags(state);
    DragFinish(drop);
}

void RemoveSelectedTracks(DialogState& state) {
    const int selected = RefreshSelectedIndices(state);
    if (selected <= 0) return;
    const int* rows = state.selection.rows;
    HWND list = state.controls.files;
    // Highest row first, so the lower indices stay valid; rows go before their records,
    // so nothing can paint a row whose record is gone.
    SuspendRedraw(list);
    for (int i = selected; i-- > 0;) SendMessageW(list, LB_DELETESTRING, rows[i], 0);
    ResumeRedraw(list);
    DeleteTracksAt(state.tracks, rows, static_cast<uint32_t>(selected));
}

void MoveSelectionUp(DialogState& state) {
    const int selected = RefreshSelectedIndices(state);
    if (selected <= 0) return;
    const int first = state.selection.rows[0];
    const int last = state.selection.rows[selected - 1];
    if (first == 0) return;
    TrackRecord* moved = state.tracks.GetAt(static_cast<uint32_t>(first - 1));
    if (moved == nullptr) return;
    HWND list = state.controls.files;
    state.tracks.RemoveAt(static_cast<uint32_t>(first - 1));
    SendMessageW(list, LB_DELETESTRING, first - 1, 0);
    state.tracks.InsertAt(static_cast<uint32_t>(last), moved);
    SendMessageW(list, LB_INSERTSTRING, last, reinterpret_cast<LPARAM>(moved));
}

void MoveSelectionDown(DialogState& state) {
    const int selected = RefreshSelectedIndices(state);
    if (selected <= 0) return;
    const int first = state.selection.rows[0];
    const int last = state.selection.rows[selected - 1];
    HWND list = state.controls.files;
    if (last + 1 >= static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0))) return;
    TrackRecord* moved = state.tracks.GetAt(static_cast<uint32_t>(last + 1));
    if (moved == nullptr) return;
    state.tracks.RemoveAt(static_cast<uint32_t>(last + 1));
    SendMessageW(list, LB_DELETESTRING, last + 1, 0);
    state.tracks.InsertAt(static_cast<uint32_t>(first), moved);
    SendMessageW(list, LB_INSERTSTRING, first, reinterpret_cast<LPARAM>(moved));
}

void SelectAllTracks(DialogState& state) {
    HWND list = state.controls.files;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    if (count <= 0) return;
    // The range travels in two 16-bit words: no more than the first 32768 rows.
    const WORD last = static_cast<WORD>(count - 1 < 0x7FFF ? count - 1 : 0x7FFF);
    SendMessageW(list, LB_SELITEMRANGE, TRUE, MAKELPARAM(0, last));
    // The list sends no selection notification for this. Without a refresh the fields
    // would still show the previously selected track, and the next edit, numbering or menu
    // choice would write its title and number into every track.
    TakeSelectionChange(state);
}

void NumberAllTracks(DialogState& state) {
    NumberTracks(state.tracks);
    // "Liednr.:" must show what the selected tracks now share, or the apply step below
    // would write the old number over the fresh ones (with several selected, it is empty).
    const int selected = RefreshSelectedIndices(state);
    if (selected > 0) {
        const WideString shared = CommonFieldValue(state.tracks, state.selection.rows,
                                                   state.selection.count, kTrackNumber);
        SetWindowTextW(state.controls.tagFields[kTrackNumber - kFirstTag], AsWide(shared.Text()));
    }
    ApplyTagFields(state);
}
