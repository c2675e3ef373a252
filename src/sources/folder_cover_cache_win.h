// The folder covers the tag reader's threads found, kept until the reader is idle again: an
// album's tracks list their folder once, and a later drop sees the folder anew.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>

#include "foundation/pointer_array.h"
#include "sources/source_facts.h"

struct FolderCoverEntry;

// Its lock is its own: a thread waiting for another's listing holds no other lock.
struct FolderCoverCache {
    CRITICAL_SECTION lock;
    CONDITION_VARIABLE found;
    PointerArray<FolderCoverEntry> entries;
    // The entries by their folder's hash, open-addressed: a library's listing hands over
    // thousands of folders before their tracks are read.
    std::unique_ptr<FolderCoverEntry*[]> index;
    uint32_t indexCapacity = 0;

    FolderCoverCache();
    FolderCoverCache(const FolderCoverCache&) = delete;
    FolderCoverCache& operator=(const FolderCoverCache&) = delete;
    ~FolderCoverCache();
};

// The cover of the file's folder, for a file without a picture of its own: from the cache, or
// listed here and kept for the folder's further tracks. A thread that finds another listing
// the same folder waits for its answer, as long as patience (ms), then lists on its own.
void GiveFolderCover(FolderCoverCache& cache, const char16_t* path, TrackCover& cover,
                     DWORD patience);
// Keeps the names a listing of the folder (its path ending in a backslash) found that could be
// its cover (each ended by a NUL, the last by two): the first thread to need the folder's cover
// judges those instead of listing the folder again.
void KnowFolderCoverNames(FolderCoverCache& cache, const char16_t* folder, uint32_t length,
                          const char16_t* names);
// Forgets every folder's cover; only while no thread is in GiveFolderCover.
void ForgetFolderCovers(FolderCoverCache& cache);
