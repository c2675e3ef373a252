#include "app/list_commands_win.h"

#include "tracks/drop_names.h"
#include "tracks/file_list_win.h"
#include "tracks/folder_drop_win.h"
#include "tracks/selection_win.h"
#include "tracks/source_tags_win.h"
#include "tracks/tag_editing_win.h"
#include "tracks/tag_rules.h"
#include "tracks/track_numbering.h"
#include "tracks/track_removal.h"
#include "win/file_calls_win.h"
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

// What a walk over a drop's names does with each; false ends the walk.
using NameVisitor = bool (*)(DialogState& state, const WideString& name, void* context);

// The documented DROPFILES block behind the handle, read in one walk; false when the handle
// holds none.
bool VisitNamesInDropBlock(DialogState& state, HDROP drop, NameVisitor visit, void* context,
                           bool prepare) {
    const void* block = GlobalLock(drop);
    if (block == nullptr) return false;
    DropNameCursor cursor;
    if (!OpenDropBlock(block, GlobalSize(drop), cursor)) {
        GlobalUnlock(drop);
        return false;
    }
    if (prepare) {
        const uint32_t names = CountDroppedNames(cursor);
        SendMessageW(state.controls.files, LB_INITSTORAGE, names, 0);
        state.tracks.ReserveRoom(names);  // one growth instead of one per 8 names
        PrepareTagReading(state, names);
    }
    WideString name;
    while (NextDroppedName(cursor, name) && visit(state, name, context)) {
    }
    GlobalUnlock(drop);
    return true;
}

// Any other drop handle: ask the shell for each name, its length first, so no name is cut.
void VisitNamesFromShell(DialogState& state, HDROP drop, NameVisitor visit, void* context) {
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    WideString name;
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length <= 1 || !name.PrepareBuffer(length)) continue;
        const UINT got = DragQueryFileW(drop, i, AsWide(name.Buffer()), length + 1);
        name.Truncate(got);
        if (!visit(state, name, context)) return;
    }
}

void VisitDroppedNames(DialogState& state, HDROP drop, NameVisitor visit, void* context = nullptr,
                       bool prepare = false) {
    if (!VisitNamesInDropBlock(state, drop, visit, context, prepare))
        VisitNamesFromShell(state, drop, visit, context);
}

// One dropped name becomes a track and a row; names of 0 or 1 characters are skipped.
bool TakeDroppedName(DialogState& state, const WideString& name, void*) {
    AddDroppedTrack(state, name.Text(), 0);
    return true;
}

// A folder's music comes from the listing thread, and so does every name of a drop that
// holds a folder, so that each keeps its place.
bool ListName(DialogState& state, const WideString& name, void*) {
    if (name.Length() > 1 && !QueueForListing(state, name.Text(), name.Length()))
        AddDroppedTrack(state, name.Text(), 0);
    return true;
}

// What the walk over a drop's names found: whether the listing thread must take the drop, and
// each drive letter's kind (plus one; 0 not yet asked).
struct FolderSearch {
    bool listing = false;
    UINT driveKinds[26] = {};
};

// Whether the name's attributes may be asked on the dialog's thread: a fixed or RAM disk
// answers at once; a share, a removable or an optical drive may keep the call waiting long.
bool AnswersAtOnce(FolderSearch& search, const WideString& name) {
    const char16_t* path = name.Text();
    if (path[0] == u'\\' && path[1] == u'\\' && path[2] == u'?' && path[3] == u'\\') {
        path += 4;
        if ((path[0] | 0x20) == u'u' && (path[1] | 0x20) == u'n' && (path[2] | 0x20) == u'c' &&
            path[3] == u'\\')
            return false;
    }
    if (path[0] == u'\\' && path[1] == u'\\') return false;  // a share
    const char16_t letter = path[0] | 0x20;
    // A name without a drive (the shell gives none such) is asked here.
    if (letter < u'a' || letter > u'z' || path[1] != u':') return true;
    UINT& kind = search.driveKinds[letter - u'a'];
    if (kind == 0) {
        const wchar_t root[] = {wchar_t(letter), L':', L'\\', L'\0'};
        kind = GetDriveTypeW(root) + 1;
    }
    // No drive there: the call fails at once.
    return kind == DRIVE_FIXED + 1 || kind == DRIVE_RAMDISK + 1 || kind == DRIVE_NO_ROOT_DIR + 1;
}

// Ends the walk at the first folder, or at the first name whose attributes are for the listing
// thread to ask.
bool FindFolder(DialogState&, const WideString& name, void* context) {
    FolderSearch& search = *static_cast<FolderSearch*>(context);
    if (!AnswersAtOnce(search, name)) {
        search.listing = true;
        return false;
    }
    const DWORD attributes = FileAttributesAt(name.Text());
    search.listing =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return !search.listing;
}

}  // namespace

void TakeDroppedFiles(DialogState& state, HDROP drop) {
    // While a listing runs, later drops queue behind it.
    FolderSearch search;
    if (!IsListingFolders(state)) VisitDroppedNames(state, drop, FindFolder, &search);
    if (IsListingFolders(state) || search.listing) {
        VisitDroppedNames(state, drop, ListName);
        StartListingFolders(state);
        DragFinish(drop);
        return;
    }
    HWND list = state.controls.files;
    SuspendRedraw(list);
    VisitDroppedNames(state, drop, TakeDroppedName, nullptr, true);
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
