// Reading dropped folders: a thread walks each dropped folder and its subfolders for the
// files that are music (sources/listed_names.h), in the order Explorer shows them: a folder's
// files before its subfolders, both in natural order ("2 Titel" before "10 Titel"). Dropped
// files keep their place among the folders. A folder or file reached twice (through a link,
// a junction or a second name) is listed once; hidden and system files and folders are left
// out. The dialog takes what was found as it comes; a share that stops answering holds only
// the thread.
#pragma once
#include <windows.h>

#include <cstdint>

// Posted to the dialog once every dropped name is listed.
constexpr UINT kFolderListingEnded = WM_APP + 21;

struct FolderListing;

// What the thread found since the last take, in order: per file, the length of the dropped
// folder it was found in (0 for a dropped file) in two units, low half first, then its path
// and a NUL.
struct FoundFiles {
    char16_t* units = nullptr;
    uint32_t used = 0;
    uint32_t capacity = 0;
    uint32_t count = 0;

    FoundFiles() = default;
    FoundFiles(const FoundFiles&) = delete;
    FoundFiles& operator=(const FoundFiles&) = delete;
    ~FoundFiles() { delete[] units; }
};

// Marks a folder's record among the found files: both units of its dropped folder's length.
constexpr char16_t kFolderCoverNamesMark = 0xFFFF;

// Walks the next found file: its path, the path's length and its dropped folder's length.
// False at the end. Given coverNames, also the folders, each ahead of its files: the folder's
// path (ending in a backslash) and, in *coverNames, the names of its files that could be its
// cover, each ended by a NUL, the last by two; for a file *coverNames is null.
bool NextFoundFile(const FoundFiles& found, uint32_t& at, const char16_t*& path, uint32_t& length,
                   uint32_t& rootLength, const char16_t** coverNames = nullptr);

// Called on the thread before each folder is listed: tests make a folder slow with it.
using FolderVisit = void (*)(const char16_t* folder);

// Starts the thread, which waits for names; null when it could not start.
FolderListing* StartFolderListing(HWND notify, FolderVisit visit = nullptr);
// Queues a dropped name (a file or a folder, a full path) behind the earlier ones; false when
// memory ran out or the listing has ended (a later drop starts a listing of its own).
bool ListDroppedName(FolderListing& listing, const char16_t* name, uint32_t length);
void WakeFolderListing(FolderListing& listing);
// Moves what was found since the last take into found (emptied first); yields whether the
// listing has ended (every queued name listed, or it was stopped).
bool TakeFoundFiles(FolderListing& listing, FoundFiles& found);
// How many files were found so far.
uint32_t CountFoundFiles(FolderListing& listing);
// Ends the listing: the thread stops at its next file, or when a stalled call returns, and
// frees what is left then.
void StopFolderListing(FolderListing* listing);
