#include "tracks/tag_reader_win.h"

#include <cstring>
#include <new>

#include "tracks/folder_cover_win.h"

// A file to read: the record's id and the reader's own copy of its path.
struct TagJob {
    uint32_t id;
    const char16_t* path;
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

// A reading thread, as the watchdog sees it.
struct ReadingThread {
    TagReader* reader;
    HANDLE handle;
    ULONGLONG since;  // when its current file began; 0 while it waits
    uint32_t job;     // the index of that file's job
    bool givenUp;     // it stayed too long in a file, and another thread reads on
    bool ended;
};

constexpr int kMostThreads = 4;
// Threads ever started, those that took over from a thread given up or ended included.
constexpr int kMostStarted = 16;

struct TagReader {
    HWND notify = nullptr;
    CRITICAL_SECTION lock;
    CONDITION_VARIABLE jobsQueued;
    // Jobs in queue order; the threads take them from nextJob on, each a copy of its job made
    // under the lock (the array may grow meanwhile). The jobs and their paths are freed only
    // when every job is done, so no thread still reads a path.
    TagJob* jobs = nullptr;
    uint32_t jobCount = 0;
    uint32_t jobRoom = 0;
    PathBlock* paths = nullptr;  // the newest block first
    uint32_t nextJob = 0;
    // Jobs up to here may be read: a drop's files wait until its rows are there.
    uint32_t released = 0;
    int busy = 0;
    // Jobs read since the reader was last idle; a read job's path is set to null.
    uint32_t finished = 0;
    TagFileReader read = ReadSourceTags;
    PointerArray<TagResult> results;
    PointerArray<FolderCoverEntry> folderCovers;
    CONDITION_VARIABLE folderCoverFound;
    // The dialog is told once per batch, and at most every kNotifyInterval while files keep
    // arriving: a repaint per file would cost more than the reading.
    bool notified = false;
    ULONGLONG lastNotice = 0;
    bool stop = false;
    ReadingThread threads[kMostStarted] = {};
    int threadCount = 0;
    // Takes over from a thread that ended in a file (Wine ends only a thread that overflows
    // its stack) or that stays in one file too long (a stalled share), so that later files are
    // still read.
    HANDLE watchdog = nullptr;
    HANDLE stopEvent = nullptr;

    TagReader() = default;
    TagReader(const TagReader&) = delete;
    TagReader& operator=(const TagReader&) = delete;
    ~TagReader() { ForgetJobs(); }

    void ForgetJobs() {
        delete[] jobs;
        jobs = nullptr;
        jobCount = jobRoom = nextJob = released = finished = 0;
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
constexpr ULONGLONG kLongestFile = 5000;
constexpr DWORD kWatchInterval = 500;
constexpr ULONGLONG kNotifyInterval = 50;
constexpr uint32_t kPathBlockRoom = 32768;  // characters: 64 KB, some 500 paths

bool IdleLocked(const TagReader& reader) {
    return reader.nextJob == reader.jobCount && reader.busy == 0;
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
    const uint32_t length = FolderLengthOfPath(path);
    if (length == 0) return;
    WideString folder;
    folder.AssignText(path, length);
    EnterCriticalSection(&reader.lock);
    FolderCoverEntry* entry = FindFolderLocked(reader, folder);
    while (entry != nullptr && entry->pending) {
        if (!SleepConditionVariableCS(&reader.folderCoverFound, &reader.lock,
                                      static_cast<DWORD>(kLongestFile)))
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
    for (;;) {
        while (!reader.stop && !self.givenUp && reader.nextJob == reader.released)
            SleepConditionVariableCS(&reader.jobsQueued, &reader.lock, INFINITE);
        // A given-up thread's place was taken: it ends after its file.
        if (reader.stop || self.givenUp) break;
        const uint32_t index = reader.nextJob++;
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
        // result reaches its record if that is still there.
        self.since = 0;
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
    LeaveCriticalSection(&reader.lock);
    return 0;
}

bool StartThreadLocked(TagReader& reader) {
    if (reader.threadCount == kMostStarted) return false;
    ReadingThread& thread = reader.threads[reader.threadCount];
    thread = ReadingThread{&reader, nullptr, 0, 0, false, false};
    // A stack of its own size, not the program's default: what a file makes the library do
    // is bounded, and this leaves a wide margin over it.
    thread.handle = CreateThread(nullptr, kTagReadingStack, ReadTags, &thread,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread.handle == nullptr) return false;
    // The dialog's thread comes first: reading may wait, a keystroke may not.
    SetThreadPriority(thread.handle, THREAD_PRIORITY_BELOW_NORMAL);
    ++reader.threadCount;
    return true;
}

// A new thread goes on with the queue. A thread that ended in its file leaves it read, without
// tags, as a file the library cannot parse; a given-up thread's file is still being read.
void TakeOverLocked(TagReader& reader, ReadingThread& thread, bool ended) {
    if (ended) {
        thread.ended = true;
        if (thread.since == 0) return;  // it left after its file, or at the stop
        thread.since = 0;
        reader.jobs[thread.job].path = nullptr;
        ++reader.finished;
        --reader.busy;
        if (IdleLocked(reader)) reader.ForgetJobs();
    }
    if (thread.givenUp) return;  // already taken over
    thread.givenUp = true;
    if (!reader.stop) StartThreadLocked(reader);
}

DWORD WINAPI WatchReaders(void* parameter) {
    TagReader& reader = *static_cast<TagReader*>(parameter);
    for (;;) {
        HANDLE handles[kMostStarted + 1];
        int owners[kMostStarted + 1];
        DWORD count = 0;
        handles[count++] = reader.stopEvent;
        EnterCriticalSection(&reader.lock);
        for (int i = 0; i < reader.threadCount; ++i) {
            if (reader.threads[i].ended) continue;
            owners[count] = i;
            handles[count++] = reader.threads[i].handle;
        }
        LeaveCriticalSection(&reader.lock);
        const DWORD signaled = WaitForMultipleObjects(count, handles, FALSE, kWatchInterval);
        if (signaled == WAIT_OBJECT_0 || signaled == WAIT_FAILED) return 0;
        EnterCriticalSection(&reader.lock);
        if (signaled > WAIT_OBJECT_0 && signaled < WAIT_OBJECT_0 + count) {
            TakeOverLocked(reader, reader.threads[owners[signaled - WAIT_OBJECT_0]], true);
        } else {
            const ULONGLONG now = GetTickCount64();
            for (int i = 0; i < reader.threadCount; ++i) {
                ReadingThread& thread = reader.threads[i];
                if (!thread.ended && !thread.givenUp && thread.since != 0 &&
                    now - thread.since > kLongestFile)
                    TakeOverLocked(reader, thread, false);
            }
        }
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
    reader->stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EnterCriticalSection(&reader->lock);
    for (int i = 0; i < threads; ++i) StartThreadLocked(*reader);
    LeaveCriticalSection(&reader->lock);
    if (reader->stopEvent != nullptr && reader->threadCount > 0)
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
    HANDLE handles[kMostStarted + 1];
    DWORD count = 0;
    if (reader->watchdog != nullptr) {
        SetEvent(reader->stopEvent);
        WaitForSingleObject(reader->watchdog, INFINITE);
        handles[count++] = reader->watchdog;
    }
    for (int i = 0; i < reader->threadCount; ++i) handles[count++] = reader->threads[i].handle;
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
    queued = copy != nullptr;
    if (queued) reader.jobs[reader.jobCount++] = TagJob{id, copy};
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

void UseTagFileReader(TagReader& reader, TagFileReader read) {
    EnterCriticalSection(&reader.lock);
    reader.read = read;
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
