#include "sources/folder_cover_cache_win.h"

#include <cstring>
#include <memory>
#include <new>

#include "foundation/byte_hash.h"
#include "foundation/path_parts.h"
#include "foundation/text.h"
#include "sources/folder_cover_win.h"

// A folder's cover as a reading thread found it. Its strings are the cache's own: results get
// copies (a WideString's reference count is not atomic).
struct FolderCoverEntry {
    WideString folder;  // up to and including its last backslash
    uint64_t hash;
    TrackCover cover;
    bool pending;  // a thread is listing the folder
    // The names the folder listing found that could be the cover (each ended by a NUL, the
    // last by two), until a thread judges them; the cover is not known yet then.
    std::unique_ptr<char16_t[]> names;
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

uint64_t HashOf(const char16_t* text, uint32_t length) {
    return HashOfBytes(text, length * sizeof(char16_t));
}

// The slot of the folder's entry, or the empty slot where it would go.
FolderCoverEntry** SlotLocked(FolderCoverCache& cache, const WideString& folder, uint64_t hash) {
    const uint32_t mask = cache.indexCapacity - 1;
    for (uint32_t slot = uint32_t(hash) & mask;; slot = (slot + 1) & mask) {
        FolderCoverEntry*& entry = cache.index[slot];
        if (entry == nullptr ||
            (entry->hash == hash && CompareText(entry->folder.Text(), folder.Text()) == 0))
            return &entry;
    }
}

FolderCoverEntry* FindFolderLocked(FolderCoverCache& cache, const WideString& folder) {
    if (cache.indexCapacity == 0) return nullptr;
    return *SlotLocked(cache, folder, HashOf(folder.Text(), folder.Length()));
}

// A new entry for the folder (not in the cache), kept by the cache; null when memory ran out.
FolderCoverEntry* AddFolderLocked(FolderCoverCache& cache, const char16_t* folder, uint32_t length,
                                  bool pending) {
    if (2 * (cache.entries.Count() + 1) > cache.indexCapacity) {
        const uint32_t grown = cache.indexCapacity ? 2 * cache.indexCapacity : 64;
        std::unique_ptr<FolderCoverEntry*[]> bigger(new (std::nothrow) FolderCoverEntry*[grown]());
        if (!bigger) return nullptr;
        cache.index = std::move(bigger);
        cache.indexCapacity = grown;
        for (uint32_t i = 0; i < cache.entries.Count(); ++i) {
            FolderCoverEntry* entry = cache.entries.GetAt(i);
            *SlotLocked(cache, entry->folder, entry->hash) = entry;
        }
    }
    auto* entry = new (std::nothrow)
        FolderCoverEntry{WideString(), HashOf(folder, length), TrackCover(), pending, nullptr};
    if (entry != nullptr) entry->folder.AssignText(folder, length);
    if (entry == nullptr || entry->folder.IsEmpty() || !cache.entries.Add(entry)) {
        delete entry;
        return nullptr;
    }
    *SlotLocked(cache, entry->folder, entry->hash) = entry;
    return entry;
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
    std::unique_ptr<char16_t[]> names;
    FolderCoverEntry* mine = nullptr;
    if (entry != nullptr && !entry->pending && entry->names) {
        // Listed already: judged here, among the names the listing found.
        names = std::move(entry->names);
        entry->pending = true;
        mine = entry;
    } else if (entry != nullptr && !entry->pending) {
        CopyCover(cover, entry->cover);
        LeaveCriticalSection(&cache.lock);
        return;
    }
    if (entry == nullptr) mine = AddFolderLocked(cache, folder.Text(), folder.Length(), true);
    LeaveCriticalSection(&cache.lock);

    cover = names ? FindFolderCoverAmong(folder, names.get()) : FindFolderCover(folder);

    if (mine == nullptr) return;
    EnterCriticalSection(&cache.lock);
    CopyCover(mine->cover, cover);
    mine->pending = false;
    WakeAllConditionVariable(&cache.found);
    LeaveCriticalSection(&cache.lock);
}

void KnowFolderCoverNames(FolderCoverCache& cache, const char16_t* folder, uint32_t length,
                          const char16_t* names) {
    uint32_t units = 0;
    while (names[units] != u'\0') units += TextLength(names + units) + 1;
    std::unique_ptr<char16_t[]> copy(new (std::nothrow) char16_t[units + 1]);
    if (!copy) return;
    std::memcpy(copy.get(), names, units * sizeof(char16_t));
    copy[units] = u'\0';
    WideString path;
    path.AssignText(folder, length);
    EnterCriticalSection(&cache.lock);
    FolderCoverEntry* entry = FindFolderLocked(cache, path);
    if (entry == nullptr) entry = AddFolderLocked(cache, folder, length, false);
    // A folder being judged or judged already keeps what it has.
    if (entry != nullptr && !entry->pending && entry->cover.source == CoverSource::kNone)
        entry->names = std::move(copy);
    LeaveCriticalSection(&cache.lock);
}

void ForgetFolderCovers(FolderCoverCache& cache) {
    EnterCriticalSection(&cache.lock);
    cache.entries.DeleteAll();
    cache.index.reset();
    cache.indexCapacity = 0;
    LeaveCriticalSection(&cache.lock);
}
