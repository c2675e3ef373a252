#include "tracks/folder_drop_win.h"

#include "foundation/grouped_number.h"
#include "sources/folder_listing_win.h"
#include "sources/tag_queue_win.h"
#include "sources/tag_reader_win.h"
#include "tracks/file_list_win.h"
#include "tracks/source_tags_win.h"
#include "win/control_text_win.h"
#include "win/utf16_cast.h"

namespace {

// Often enough for rows to appear as they are found, seldom enough that taking them costs
// the dialog little.
constexpr UINT kListingTakeInterval = 50;

void ShowListingCount(DialogState& state, uint32_t count) {
    if (count == state.titleCount) return;  // a new title repaints the caption
    state.titleCount = count;
    WideString title;
    title.AssignText(u"Tonschleuder – Ordner werden durchsucht: ");
    AppendGroupedNumber(title, count);
    title.Append(u" Titel gefunden (Esc bricht ab)");
    SetWindowTextW(state.dialog, AsWide(title.Text()));
}

// The found files become rows, painted once for the lot; their tags are read after.
void TakeFound(DialogState& state, const FoundFiles& found) {
    if (found.count == 0) return;
    HWND list = state.controls.files;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    // Grown by half at least: a slow share brings a few files per take, each take growing
    // the array once.
    const uint32_t count = state.tracks.Count();
    if (state.tracks.Capacity() <= count + found.count)
        state.tracks.ReserveRoom(found.count > count / 2 ? found.count : count / 2);
    PrepareTagReading(state, found.count);
    // While the listing runs, one thread reads a disk's tags: a second would slow the listing
    // by a third, and the tags of what was found come soon after.
    if (state.tagReader != nullptr)
        SetDiskReaders(*state.tagReader, state.folderListing != nullptr ? 1 : kLocalDiskReaders);
    uint32_t at = 0, length = 0, root = 0;
    const char16_t* path = nullptr;
    const char16_t* coverNames = nullptr;
    while (NextFoundFile(found, at, path, length, root, &coverNames)) {
        if (coverNames == nullptr) {
            AddDroppedTrack(state, path, root);
        } else if (state.tagReader != nullptr) {
            // The listing read the folder: the reader takes its cover from what it found.
            KnowFolderCoverNames(*state.tagReader, path, length, coverNames);
        }
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    StartReadingTags(state);
}

void FinishListing(DialogState& state) {
    KillTimer(state.dialog, kListingTimer);
    StopFolderListing(state.folderListing);
    state.folderListing = nullptr;
    if (state.tagReader != nullptr) SetDiskReaders(*state.tagReader, kLocalDiskReaders);
    state.titleCount = UINT32_MAX;
    SetWindowTextW(state.dialog, AsWide(state.titleBeforeListing.Text()));
    state.titleBeforeListing.Clear();
}

}  // namespace

bool AddDroppedTrack(DialogState& state, const char16_t* path, uint32_t rootLength) {
    if (path[0] == u'\0' || path[1] == u'\0') return false;
    TrackRecord* record = MakeTrackRecord(path);
    if (record == nullptr) return false;
    record->rootLength = rootLength;
    if (!state.tracks.Add(record)) {
        delete record;
        return false;
    }
    // The list and the array must stay in lockstep: a row the list refused takes its
    // record back out.
    if (!AddRecordToList(state.controls.files, record)) {
        state.tracks.DeleteAt(state.tracks.Count() - 1);
        return false;
    }
    QueueTagsOfTrack(state, *record);
    return true;
}

bool IsListingFolders(const DialogState& state) {
    return state.folderListing != nullptr;
}

bool QueueForListing(DialogState& state, const char16_t* name, uint32_t length) {
    if (state.folderListing != nullptr) {
        if (ListDroppedName(*state.folderListing, name, length)) return true;
        // A listing that has just ended takes no more: its last rows first, then a new one.
        TakeListedFiles(state);
        if (state.folderListing != nullptr) FinishListing(state);
    }
    state.folderListing = StartFolderListing(state.dialog, state.folderVisit);
    if (state.folderListing == nullptr) return false;
    state.titleBeforeListing = ReadWindowText(state.dialog);
    SetTimer(state.dialog, kListingTimer, kListingTakeInterval, nullptr);
    ShowListingCount(state, 0);
    return ListDroppedName(*state.folderListing, name, length);
}

void StartListingFolders(DialogState& state) {
    if (state.folderListing != nullptr) WakeFolderListing(*state.folderListing);
}

void TakeListedFiles(DialogState& state) {
    if (state.folderListing == nullptr) return;
    FoundFiles found;
    const bool ended = TakeFoundFiles(*state.folderListing, found);
    TakeFound(state, found);
    if (ended) {
        FinishListing(state);
    } else {
        ShowListingCount(state, CountFoundFiles(*state.folderListing));
    }
}

void EndListingFolders(DialogState& state) {
    if (state.folderListing == nullptr) return;
    FoundFiles found;
    TakeFoundFiles(*state.folderListing, found);
    TakeFound(state, found);
    FinishListing(state);
}

void StopListingFolders(DialogState& state) {
    if (state.folderListing == nullptr) return;
    KillTimer(state.dialog, kListingTimer);
    StopFolderListing(state.folderListing);
    state.folderListing = nullptr;
}
