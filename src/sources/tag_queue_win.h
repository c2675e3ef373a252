// The tag reader's jobs: the files waiting to be read, kept per volume or share, with the
// reader's own copies of their paths. Plain data: the reader's lock guards every call.
#pragma once
#include <cstdint>

#include "foundation/pointer_array.h"

constexpr uint32_t kNoJob = UINT32_MAX;

// A file to read: the record's id, the reader's own copy of its path (null once read), and
// the next job on the same volume or share.
struct TagJob {
    uint32_t id;
    const char16_t* path;
    uint32_t nextOnShare;
};

// The jobs of one volume or share not yet taken, in queue order, and how many threads read
// them: one on a share or a removable drive, so that one that stalls holds back its own files
// and no others; up to TagQueue::diskReaders on a fixed disk. The key points into the first
// job's path copy.
struct ShareQueue {
    const char16_t* key;
    uint32_t keyLength;
    uint32_t head;
    uint32_t tail;
    int readers;
    bool fixedDisk;
};

// Threads that read one fixed disk at once. Under Wine two read 20,000 tagged MP3s in 0.6 to
// 0.75 of one's time, since each also waits for the system; a third makes them take turns at
// the heap's lock so often that all three are slower than one (docs/performance.md).
constexpr int kLocalDiskReaders = 2;

// The queued paths' characters, copied into blocks of many paths each: a drop of 10,000
// files costs a few allocations here, not 10,000.
struct PathBlock {
    PathBlock* next;
    uint32_t used;
    uint32_t room;
    char16_t text[1];
};

// Jobs in queue order; the threads take them share by share, each a copy of its job (the
// array may grow meanwhile). The jobs and their paths are freed only when every job is done,
// so no thread still reads a path.
struct TagQueue {
    TagJob* jobs = nullptr;
    uint32_t jobCount = 0;
    uint32_t jobRoom = 0;
    PathBlock* paths = nullptr;  // the newest block first
    PointerArray<ShareQueue> shares;
    uint32_t lastShare = 0;  // where the last job went: a drop's files mostly share a volume
    // Jobs up to here may be read: a drop's files wait until its rows are there.
    uint32_t released = 0;
    // Jobs read since the queue was last cleared.
    uint32_t finished = 0;
    // Threads that read one fixed disk at once now: one while a folder listing runs, which
    // the second would slow by a third, else kLocalDiskReaders.
    int diskReaders = kLocalDiskReaders;

    TagQueue() = default;
    TagQueue(const TagQueue&) = delete;
    TagQueue& operator=(const TagQueue&) = delete;
    ~TagQueue();
};

// Frees every job, path and share.
void ClearTagQueue(TagQueue& queue);
// True when every job queued is read.
inline bool IsTagQueueDone(const TagQueue& queue) {
    return queue.finished == queue.jobCount;
}
// Room for that many further jobs; false when memory ran out.
bool GrowTagQueue(TagQueue& queue, uint32_t more);
// Queues a job with a copy of the path, on its volume's or share's queue; false when memory
// ran out.
bool AddTagJob(TagQueue& queue, uint32_t id, const char16_t* path, uint32_t length);
// How many threads may read the share now.
inline int MostReadersOf(const TagQueue& queue, const ShareQueue& share) {
    return share.fixedDisk ? queue.diskReaders : 1;
}
// A share with a released job and room for one more reader, the one whose next job came
// first, now read by one more; -1 when none.
int ClaimShare(TagQueue& queue);
// The readers the shares with released jobs have room for.
int UnclaimedShares(const TagQueue& queue);
// The index of the share's next released job, taken off its queue; kNoJob when none.
uint32_t TakeJobOfShare(TagQueue& queue, int share);
// Marks the job read: its path is no longer used.
void FinishTagJob(TagQueue& queue, uint32_t index);
