#include "sources/tag_reader_win.h"

#include <cstring>
#include <new>

#include "foundation/path_parts.h"
#include "sources/folder_cover_win.h"
#include "win/utf16_cast.h"

constexpr uint32_t kNoJob = UINT32_MAX;

// A file to read: the record's id, the reader's own copy of its path, and the next job on the
// same volume or share.
struct TagJob {
    uint32_t id;
    const char16_t* path;
    uint32_t nextOnShare;
};

// The jobs of one volume or share not yet taken, in queue order, and whether a thread reads
// them: only one does, so a stalled share holds back its own files and no others. The key
// points into the first job's path copy.
struct ShareQueue {
    const char16_t* key;
    uint32_t keyLength;
    uint32_t head;
    uint32_t tail;
    bool held;
};

// The queued paths' characters, copied into blocks of many paths each: a drop of 10,000
// files costs a few allocations here, not 10,000.
struct PathBlock {
    PathBlock* next;
    uint32_t used;
    uint32_t room;
    char16_t text[1];
};

// A folder's cover as a reading thread found it, kept until the reader is idle again: an
// album's tracks list their folder once, and a later drop sees the folder anew. Its strings
// are the reader's own: results get copies (a WideString's reference count is not atomic).
struct FolderCoverEntry {
    WideString folder;  // up to and including its last backslash
    TrackCover cover;
    bool pending;  // a thread is listing the folder
};

// A reading thread, as the watchdog sees it; a slot without a handle is free.
struct ReadingThread {
    TagReader* reader;
    HANDLE handle;
    ULONGLONG since;  // when its current file began; 0 while it waits
    uint32_t job;     // the index of that file's job
    int share;        // the share it reads, -1 while it has none
    bool givenUp;     // it stayed too long in a file, and another thread reads the other shares
    bool leaving;     // back from a stall with nothing to read while enough others read
};

constexpr int kMostThreads = 4;

struct TagReader {
    HWND notify = nullptr;
    CRITICAL_SECTION lock;
    CONDITION_VARIABLE jobsQueued;
    // Jobs in queue order; the threads take them share by share, each a copy of its job made
    // under the lock (the array may grow meanwhile). The jobs and their paths are freed only
    // when every job is done, so no thread still reads a path.
    TagJob* jobs = nullptr;
    uint32_t jobCount = 0;
    uint32_t jobRoom = 0;
    PathBlock* paths = nullptr;  // the newest block first
    PointerArray<ShareQueue> shares;
    uint32_t lastShare = 0;  // where the last job went: a drop's files mostly share a volume
    // Jobs up to here may be read: a drop's files wait until its rows are there.
    uint32_t released = 0;
    int busy = 0;
    // Jobs read since the reader was last idle; a read job's path is set to null.
    uint32_t finished = 0;
    TagFileReader read = ReadSourceTags;
    ULONGLONG patience = 5000;  // ms in one file before its thread is given up
    PointerArray<TagResult> results;
    PointerArray<FolderCoverEntry> folderCovers;
    CONDITION_VARIABLE folderCoverFound;
    // The dialog is told once per batch, and at most every kNotifyInterval while files keep
    // arriving: a repaint per file would cost more than the reading.
    bool notified = false;
    ULONGLONG lastNotice = 0;
    bool stop = false;
    ReadingThread threads[kMostTagReadingThreads] = {};
    int wanted = 1;  // threads reading at once, those given up not counted
    // Takes over from a thread that ended in a file (Wine ends only a thread that overflows
    // its stack) or that stays in one file too long (a stalled share), so that other shares'
    // files are still read; closes the threads that left.
    HANDLE watchdog = nullptr;
    HANDLE stopEvent = nullptr;

    TagReader() = default;
    TagReader(const TagReader&) = delete;
    TagReader& operator=(const TagReader&) = delete;
    ~TagReader() { ForgetJobs(); }

    void ForgetJobs() {
        delete[] jobs;
        jobs = nullptr;
        jobCount = jobRoom = released = finished = lastShare = 0;
        shares.DeleteAll();
        for (ReadingThread& thread : threads) thread.share = -1;
        while (paths != nullptr) {
            PathBlock* next = paths->next;
            ::operator delete(paths);
            paths = next;
        }
        folderCovers.DeleteAll();
    }
};

namespace {

constexpr DWORD kStopWait = 3000;
constexpr DWORD kWatchInterval = 500;
constexpr ULONGLONG kNotifyInterval = 50;
constexpr uint32_t kPathBlockRoom = 32768;  // characters: 64 KB, some 500 paths

bool IdleLocked(const TagReader& reader) {
    return reader.finished == reader.jobCount;
}

// The length of the path's volume or share: "C:", "\\server\share", and the same after
// "\\?\" or "\\?\UNC\"; 0 for any other path (all such share one queue).
uint32_t ShareLengthOf(const char16_t* path) {
    uint32_t at = 0;
    int parts = 0;  // the names to pass: server and share
    if (path[0] == u'\\' && path[1] == u'\\' && (path[2] == u'?' || path[2] == u'.') &&
        path[3] == u'\\') {
        at = 4;
        if (CompareStringOrdinal(AsWide(path + 4), 4, L"UNC\\", 4, TRUE) == CSTR_EQUAL) {
            at = 8;
            parts = 2;
        }
    } else if (path[0] == u'\\' && path[1] == u'\\') {
        at = 2;
        parts = 2;
    }
    if (parts == 0) return path[at] != u'\0' && path[at + 1] == u':' ? at + 2 : 0;
    while (parts > 0 && path[at] != u'\0') {
        while (path[at] != u'\0' && path[at] != u'\\') ++at;
        if (--parts > 0 && path[at] == u'\\') ++at;
    }
    return at;
}

// The index of the path's share queue, made when new; -1 when memory ran out.
int ShareOfLocked(TagReader& reader, const char16_t* path) {
    const uint32_t length = ShareLengthOf(path);
    const uint32_t count = reader.shares.Count();
    for (uint32_t k = 0; k < count; ++k) {
        const uint32_t i = (reader.lastShare + k) % count;
        const ShareQueue* share = reader.shares.GetAt(i);
        if (share->keyLength == length &&
            (length == 0 ||
             CompareStringOrdinal(AsWide(share->key), static_cast<int>(length), AsWide(path),
                                  static_cast<int>(length), TRUE) == CSTR_EQUAL)) {
            reader.lastShare = i;
            return static_cast<int>(i);
        }
    }
    auto* share = new (std::nothrow) ShareQueue{path, length, kNoJob, kNoJob, false};
    if (share == nullptr || !reader.shares.Add(share)) {
        delete share;
        return -1;
    }
    reader.lastShare = count;
    return static_cast<int>(count);
}

// A share with a released job that no thread reads, the one whose next job came first; -1
// when none.
int ClaimShareLocked(TagReader& reader) {
    int chosen = -1;
    uint32_t first = kNoJob;
    for (uint32_t i = 0; i < reader.shares.Count(); ++i) {
        const ShareQueue* share = reader.shares.GetAt(i);
        if (!share->held && share->head < reader.released && share->head < first) {
            first = share->head;
            chosen = static_cast<int>(i);
        }
    }
    if (chosen >= 0) reader.shares.GetAt(static_cast<uint32_t>(chosen))->held = true;
    return chosen;
}

void ReleaseShareLocked(TagReader& reader, ReadingThread& thread) {
    if (thread.share < 0) return;
    reader.shares.GetAt(static_cast<uint32_t>(thread.share))->held = false;
    thread.share = -1;
    // Another thread may go on with the share's later files.
    WakeAllConditionVariable(&reader.jobsQueued);
}

// Threads reading or waiting for files, those given up or leaving not counted.
int WorkingLocked(const TagReader& reader) {
    int working = 0;
    for (const ReadingThread& thread : reader.threads) {
        if (thread.handle != nullptr && !thread.givenUp && !thread.leaving) ++working;
    }
    return working;
}

// The threads the reading needs: the number asked for, or, where more shares have files to
// read, one for each of them (a share is read by one thread at a time, so a share that
// stalls holds back only its own files while the others go on at once); the slots limit it.
int NeededLocked(const TagReader& reader) {
    int needed = 0;
    for (uint32_t i = 0; i < reader.shares.Count(); ++i) {
        const ShareQueue* share = reader.shares.GetAt(i);
        if (!share->held && share->head < reader.released) ++needed;
    }
    for (const ReadingThread& thread : reader.threads) {
        if (thread.handle != nullptr && !thread.givenUp && !thread.leaving && thread.share >= 0)
            ++needed;
    }
    return needed > reader.wanted ? needed : reader.wanted;
}

bool GrowJobsLocked(TagReader& reader, uint32_t more) {
    if (more <= reader.jobRoom - reader.jobCount) return true;
    if (more > UINT32_MAX / 2 - reader.jobCount) return false;
    uint32_t room = reader.jobRoom < 64 ? 64 : reader.jobRoom;
    while (room - reader.jobCount < more) room *= 2;
    auto* grown = new (std::nothrow) TagJob[room];
    if (grown == nullptr) return false;
    if (reader.jobCount > 0) std::memcpy(grown, reader.jobs, reader.jobCount * sizeof(TagJob));
    delete[] reader.jobs;
    reader.jobs = grown;
    reader.jobRoom = room;
    return true;
}

// A copy of the characters and the closing zero; null when memory ran out.
const char16_t* CopyPathLocked(TagReader& reader, const char16_t* text, uint32_t length) {
    const uint32_t need = length + 1;
    PathBlock* block = reader.paths;
    if (block == nullptr || block->room - block->used < need) {
        const uint32_t room = need > kPathBlockRoom ? need : kPathBlockRoom;
        block = static_cast<PathBlock*>(
            ::operator new(sizeof(PathBlock) + room * sizeof(char16_t), std::nothrow));
        if (block == nullptr) return nullptr;
        block->used = 0;
        block->room = room;
        block->next = reader.paths;
        reader.paths = block;
    }
    char16_t* copy = block->text + block->used;
    std::memcpy(copy, text, length * sizeof(char16_t));
    copy[length] = u'\0';
    block->used += need;
    return copy;
}

void MoveAll(PointerArray<TagResult>& from, PointerArray<TagResult>& to) {
    to.ReserveRoom(from.Count());
    for (uint32_t i = 0; i < from.Count(); ++i) {
        if (!to.Add(from.GetAt(i))) delete from.GetAt(i);
    }
    while (from.Count() > 0) from.RemoveAt(from.Count() - 1);
}

// A copy that shares no string with the original.
void CopyCover(TrackCover& to, const TrackCover& from) {
    to.source = from.source;
    to.kind = from.kind;
    to.size = from.size;
    to.hash = from.hash;
    to.folderImage.AssignText(from.folderImage.Text(), from.folderImage.Length());
}

FolderCoverEntry* FindFolderLocked(TagReader& reader, const WideString& folder) {
    // The newest first: a drop's tracks come album by album.
    for (uint32_t i = reader.folderCovers.Count(); i-- > 0;) {
        FolderCoverEntry* entry = reader.folderCovers.GetAt(i);
        if (CompareText(entry->folder.Text(), folder.Text()) == 0) return entry;
    }
    return nullptr;
}

// The cover of the file's folder, for a file without a picture of its own: from the cache, or
// listed here and kept for the folder's further tracks. A thread that finds another listing
// the same folder waits for its answer, as long as a file may take, then lists on its own.
void GiveFolderCover(TagReader& reader, const char16_t* path, TrackCover& cover) {
    const uint32_t length = FolderLengthOf(path);
    if (length == 0) return;
    WideString folder;
    folder.AssignText(path, length);
    EnterCriticalSection(&reader.lock);
    FolderCoverEntry* entry = FindFolderLocked(reader, folder);
    while (entry != nullptr && entry->pending) {
        if (!SleepConditionVariableCS(&reader.folderCoverFound, &reader.lock,
                                      static_cast<DWORD>(reader.patience)))
            break;
    }
    if (entry != nullptr && !entry->pending) {
        CopyCover(cover, entry->cover);
        LeaveCriticalSection(&reader.lock);
        return;
    }
    FolderCoverEntry* mine = nullptr;
    if (entry == nullptr) {
        mine = new (std::nothrow) FolderCoverEntry{WideString(), TrackCover(), true};
        if (mine != nullptr) mine->folder.AssignText(folder.Text(), folder.Length());
        if (mine != nullptr && !reader.folderCovers.Add(mine)) {
            delete mine;
            mine = nullptr;
        }
    }
    LeaveCriticalSection(&reader.lock);

    cover = FindFolderCover(folder);

    if (mine == nullptr) return;
    EnterCriticalSection(&reader.lock);
    CopyCover(mine->cover, cover);
    mine->pending = false;
    WakeAllConditionVariable(&reader.folderCoverFound);
    LeaveCriticalSection(&reader.lock);
}

DWORD WINAPI ReadTags(void* parameter) {
    ReadingThread& self = *static_cast<ReadingThread*>(parameter);
    TagReader& reader = *self.reader;
    EnterCriticalSection(&reader.lock);
    while (!reader.stop) {
        if (self.share < 0) {
            // A thread back from a stall, done with its share, ends when it is one more than
            // the reading needs.
            if (WorkingLocked(reader) > NeededLocked(reader)) {
                self.leaving = true;
                break;
            }
            self.share = ClaimShareLocked(reader);
            if (self.share < 0) {
                SleepConditionVariableCS(&reader.jobsQueued, &reader.lock, INFINITE);
                continue;
            }
        }
        ShareQueue& share = *reader.shares.GetAt(static_cast<uint32_t>(self.share));
        if (share.head >= reader.released) {
            ReleaseShareLocked(reader, self);
            continue;
        }
        const uint32_t index = share.head;
        share.head = reader.jobs[index].nextOnShare;
        if (share.head == kNoJob) share.tail = kNoJob;
        const TagJob job = reader.jobs[index];
        const auto read = reader.read;
        ++reader.busy;
        self.since = GetTickCount64() | 1;
        self.job = index;
        LeaveCriticalSection(&reader.lock);

        auto* result = new (std::nothrow) TagResult;
        if (result != nullptr) {
            result->id = job.id;
            read(job.path, result->tags);
            if (result->tags.cover.source == CoverSource::kNone)
                GiveFolderCover(reader, job.path, result->tags.cover);
        }

        EnterCriticalSection(&reader.lock);
        // A given-up thread's file still counts as being read until here, and its late
        // result reaches its record if that is still there; the thread then goes on with its
        // share.
        self.since = 0;
        self.givenUp = false;
        --reader.busy;
        reader.jobs[index].path = nullptr;
        ++reader.finished;
        if (result != nullptr && !reader.results.Add(result)) delete result;
        const bool idle = IdleLocked(reader);
        if (idle) reader.ForgetJobs();
        const ULONGLONG now = GetTickCount64();
        if (!reader.notified && reader.results.Count() > 0 &&
            (idle || now - reader.lastNotice >= kNotifyInterval)) {
            reader.notified = true;
            reader.lastNotice = now;
            PostMessageW(reader.notify, kSourceTagsArrived, 0, 0);
        }
    }
    ReleaseShareLocked(reader, self);
    LeaveCriticalSection(&reader.lock);
    return 0;
}

// Starts a thread in a free slot; false when none is free or it could not start.
bool StartThreadLocked(TagReader& reader) {
    ReadingThread* slot = nullptr;
    for (ReadingThread& thread : reader.threads) {
        if (thread.handle == nullptr) {
            slot = &thread;
            break;
        }
    }
    if (slot == nullptr) return false;
    ReadingThread& thread = *slot;
    thread = ReadingThread{&reader, nullptr, 0, 0, -1, false, false};
    // A stack of its own size, not the program's default: what a file makes the library do
    // is bounded, and this leaves a wide margin over it.
    thread.handle = CreateThread(nullptr, kTagReadingStack, ReadTags, &thread,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread.handle == nullptr) return false;
    // The dialog's thread comes first: reading may wait, a keystroke may not.
    SetThreadPriority(thread.handle, THREAD_PRIORITY_BELOW_NORMAL);
    return true;
}

void StartNeededThreadsLocked(TagReader& reader) {
    while (!reader.stop && WorkingLocked(reader) < NeededLocked(reader) &&
           StartThreadLocked(reader)) {
    }
}

// Frees the slot of a thread that has ended. One that ended in its file (Wine ends only a
// thread that overflows its stack) leaves the file read, without tags, as a file the library
// cannot parse, and its share to the other threads.
void CloseEndedLocked(TagReader& reader, ReadingThread& thread) {
    if (thread.since != 0) {
        thread.since = 0;
        reader.jobs[thread.job].path = nullptr;
        ++reader.finished;
        --reader.busy;
        ReleaseShareLocked(reader, thread);
        if (IdleLocked(reader)) reader.ForgetJobs();
    }
    CloseHandle(thread.handle);
    thread.handle = nullptr;
}

DWORD WINAPI WatchReaders(void* parameter) {
    TagReader& reader = *static_cast<TagReader*>(parameter);
    for (;;) {
        HANDLE handles[kMostTagReadingThreads + 1];
        ReadingThread* owners[kMostTagReadingThreads + 1];
        DWORD count = 0;
        handles[count++] = reader.stopEvent;
        EnterCriticalSection(&reader.lock);
        for (ReadingThread& thread : reader.threads) {
            if (thread.handle == nullptr) continue;
            owners[count] = &thread;
            handles[count++] = thread.handle;
        }
        LeaveCriticalSection(&reader.lock);
        const DWORD signaled = WaitForMultipleObjects(count, handles, FALSE, kWatchInterval);
        if (signaled == WAIT_OBJECT_0 || signaled == WAIT_FAILED) return 0;
        EnterCriticalSection(&reader.lock);
        if (signaled > WAIT_OBJECT_0 && signaled < WAIT_OBJECT_0 + count)
            CloseEndedLocked(reader, *owners[signaled - WAIT_OBJECT_0]);
        // A thread in one file too long is given up: it keeps its share, whose later files
        // wait for it, and another thread reads the other shares.
        const ULONGLONG now = GetTickCount64();
        for (ReadingThread& thread : reader.threads) {
            if (thread.handle != nullptr && !thread.givenUp && thread.since != 0 &&
                now - thread.since > reader.patience)
                thread.givenUp = true;
        }
        StartNeededThreadsLocked(reader);
        LeaveCriticalSection(&reader.lock);
    }
}
}  // namespace

TagReader* StartTagReader(HWND notify, int threads) {
    auto* reader = new (std::nothrow) TagReader;
    if (reader == nullptr) return nullptr;
    reader->notify = notify;
    InitializeCriticalSection(&reader->lock);
    InitializeConditionVariable(&reader->jobsQueued);
    InitializeConditionVariable(&reader->folderCoverFound);
    if (threads < 1) threads = 1;
    if (threads > kMostThreads) threads = kMostThreads;
    reader->wanted = threads;
    reader->stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EnterCriticalSection(&reader->lock);
    bool started = false;
    for (int i = 0; i < threads; ++i) started = StartThreadLocked(*reader) || started;
    LeaveCriticalSection(&reader->lock);
    if (reader->stopEvent != nullptr && started)
        reader->watchdog = CreateThread(nullptr, 64 * 1024, WatchReaders, reader,
                                        STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (reader->watchdog == nullptr) {
        StopTagReader(reader);
        return nullptr;
    }
    return reader;
}

void StopTagReader(TagReader* reader) {
    if (reader == nullptr) return;
    EnterCriticalSection(&reader->lock);
    reader->stop = true;
    WakeAllConditionVariable(&reader->jobsQueued);
    LeaveCriticalSection(&reader->lock);
    // The watchdog first: then no thread starts any more, and the count below is final.
    HANDLE handles[kMostTagReadingThreads + 1];
    DWORD count = 0;
    if (reader->watchdog != nullptr) {
        SetEvent(reader->stopEvent);
        WaitForSingleObject(reader->watchdog, INFINITE);
        handles[count++] = reader->watchdog;
    }
    for (const ReadingThread& thread : reader->threads) {
        if (thread.handle != nullptr) handles[count++] = thread.handle;
    }
    // A file on a network share that stopped answering must not keep the program from
    // closing: a thread still reading then keeps the reader, and the process's end ends it.
    if (WaitForMultipleObjects(count, handles, TRUE, kStopWait) == WAIT_TIMEOUT) return;
    for (DWORD i = 0; i < count; ++i) CloseHandle(handles[i]);
    if (reader->stopEvent != nullptr) CloseHandle(reader->stopEvent);
    DeleteCriticalSection(&reader->lock);
    delete reader;
}

bool QueueTagJob(TagReader& reader, uint32_t id, const WideString& path) {
    // A copy of the characters, not a shared reference to the dialog's string.
    EnterCriticalSection(&reader.lock);
    bool queued = GrowJobsLocked(reader, 1);
    const char16_t* copy = queued ? CopyPathLocked(reader, path.Text(), path.Length()) : nullptr;
    const int shareIndex = copy != nullptr ? ShareOfLocked(reader, copy) : -1;
    queued = shareIndex >= 0;
    if (queued) {
        const uint32_t index = reader.jobCount++;
        reader.jobs[index] = TagJob{id, copy, kNoJob};
        ShareQueue& share = *reader.shares.GetAt(static_cast<uint32_t>(shareIndex));
        if (share.tail == kNoJob) {
            share.head = index;
        } else {
            reader.jobs[share.tail].nextOnShare = index;
        }
        share.tail = index;
    }
    LeaveCriticalSection(&reader.lock);
    return queued;
}

void ReserveTagJobs(TagReader& reader, uint32_t more) {
    EnterCriticalSection(&reader.lock);
    GrowJobsLocked(reader, more);
    LeaveCriticalSection(&reader.lock);
}

void WakeTagReader(TagReader& reader) {
    EnterCriticalSection(&reader.lock);
    reader.released = reader.jobCount;
    WakeAllConditionVariable(&reader.jobsQueued);
    // A drop that brings files of a further share has them read at once.
    if (reader.watchdog != nullptr) StartNeededThreadsLocked(reader);
    LeaveCriticalSection(&reader.lock);
}

void TakeTagResults(TagReader& reader, PointerArray<TagResult>& results) {
    EnterCriticalSection(&reader.lock);
    MoveAll(reader.results, results);
    reader.notified = false;
    LeaveCriticalSection(&reader.lock);
}

bool IsTagReaderIdle(TagReader& reader) {
    EnterCriticalSection(&reader.lock);
    const bool idle = IdleLocked(reader);
    LeaveCriticalSection(&reader.lock);
    return idle;
}

void UseTagFileReader(TagReader& reader, TagFileReader read, DWORD patience) {
    EnterCriticalSection(&reader.lock);
    reader.read = read;
    reader.patience = patience;
    LeaveCriticalSection(&reader.lock);
}

void CountTagJobs(TagReader& reader, uint32_t& read, uint32_t& queued) {
    EnterCriticalSection(&reader.lock);
    read = reader.finished;
    queued = reader.jobCount;
    LeaveCriticalSection(&reader.lock);
}

uint32_t ListUnreadTagJobs(TagReader& reader, uint32_t*& ids) {
    ids = nullptr;
    EnterCriticalSection(&reader.lock);
    const uint32_t unread = reader.jobCount - reader.finished;
    if (unread > 0) ids = new (std::nothrow) uint32_t[unread];
    uint32_t count = 0;
    for (uint32_t i = 0; ids != nullptr && i < reader.jobCount; ++i) {
        if (reader.jobs[i].path != nullptr) ids[count++] = reader.jobs[i].id;
    }
    LeaveCriticalSection(&reader.lock);
    return count;
}
