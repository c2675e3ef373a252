#include "sources/folder_cover_cache_win.h"

#include <new>

#include "foundation/path_parts.h"
#include "sources/folder_cover_win.h"

// A folder's cover as a reading thread found it. Its strings are the cache's own: results get
// copies (a WideString's reference count is not atomic).
struct FolderCoverEntry {
    WideString folder;  // up to and including its last backslash
    TrackCover cover;
    bool pending;  // a thread is listing the folder
};

namespace {

// A copy that shares no string with the original.
void CopyCover(TrackCover& to, const TrackCover& from) {
    to.source = from.source;
    to.kind = from.kind;
    to.size = from.size;
    to.hash = from.hash;
    to.folderImage.AssignText(from.folderImage.Text(), from.folderImage.Length());
}

FolderCoverEntry* FindFolderLocked(FolderCoverCache& cache, const WideString& folder) {
    // The newest first: a drop's tracks come album by album.
    for (uint32_t i = cache.entries.Count(); i-- > 0;) {
        FolderCoverEntry* entry = cache.entries.GetAt(i);
        if (CompareText(entry->folder.Text(), folder.Text()) == 0) return entry;
    }
    return nullptr;
}

}  // namespace

FolderCoverCache::FolderCoverCache() {
    InitializeCriticalSection(&lock);
    InitializeConditionVariable(&found);
}

FolderCoverCache::~FolderCoverCache() {
    entries.DeleteAll();
    DeleteCriticalSection(&lock);
}

void GiveFolderCover(FolderCoverCache& cache, const char16_t* path, TrackCover& cover,
                     DWORD patience) {
    const uint32_t length = FolderLengthOf(path);
    if (length == 0) return;
    WideString folder;
    folder.AssignText(path, length);
    EnterCriticalSection(&cache.lock);
    FolderCoverEntry* entry = FindFolderLocked(cache, folder);
    while (entry != nullptr && entry->pending) {
        if (!SleepConditionVariableCS(&cache.found, &cache.lock, patience)) break;
    }
    if (entry != nullptr && !entry->pending) {
        CopyCover(cover, entry->cover);
        LeaveCriticalSection(&cache.lock);
        return;
    }
    FolderCoverEntry* mine = nullptr;
    if (entry == nullptr) {
        mine = new (std::nothrow) FolderCoverEntry{WideString(), TrackCover(), true};
        if (mine != nullptr) mine->folder.AssignText(folder.Text(), folder.Length());
        if (mine != nullptr && !cache.entries.Add(mine)) {
            delete mine;
            mine = nullptr;
        }
    }
    LeaveCriticalSection(&cache.lock);

    cover = FindFolderCover(folder);

    if (mine == nullptr) return;
    EnterCriticalSection(&cache.lock);
    CopyCover(mine->cover, cover);
    mine->pending = false;
    WakeAllConditionVariable(&cache.found);
    LeaveCriticalSection(&cache.lock);
}

void ForgetFolderCovers(FolderCoverCache& cache) {
    EnterCriticalSection(&cache.lock);
    cache.entries.DeleteAll();
    LeaveCriticalSection(&cache.lock);
}
