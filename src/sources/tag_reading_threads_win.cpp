// The tag reader's threads and the watchdog over them.
#include <new>

#include "sources/tag_reader_state_win.h"

namespace {

constexpr DWORD kWatchInterval = 500;
constexpr ULONGLONG kNotifyInterval = 50;

void ReleaseShareLocked(TagReader& reader, ReadingThread& thread) {
    if (thread.share < 0) return;
    --reader.queue.shares.GetAt(static_cast<uint32_t>(thread.share))->readers;
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
// read, as many as they take (one for each share, so that a share that stalls holds back only
// its own files while the others go on at once; two for a fixed disk); the slots limit it.
int NeededLocked(const TagReader& reader) {
    int needed = UnclaimedShares(reader.queue);
    for (const ReadingThread& thread : reader.threads) {
        if (thread.handle != nullptr && !thread.givenUp && !thread.leaving && thread.share >= 0)
            ++needed;
    }
    return needed > reader.wanted ? needed : reader.wanted;
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
            self.share = ClaimShare(reader.queue);
            if (self.share < 0) {
                SleepConditionVariableCS(&reader.jobsQueued, &reader.lock, INFINITE);
                continue;
            }
        }
        const uint32_t index = TakeJobOfShare(reader.queue, self.share);
        if (index == kNoJob) {
            ReleaseShareLocked(reader, self);
            continue;
        }
        const TagJob job = reader.queue.jobs[index];
        const auto read = reader.read;
        const auto patience = static_cast<DWORD>(reader.patience);
        ++reader.busy;
        self.since = GetTickCount64() | 1;
        self.job = index;
        LeaveCriticalSection(&reader.lock);

        auto* result = new (std::nothrow) TagResult;
        if (result != nullptr) {
            result->id = job.id;
            read(job.path, result->tags);
            if (result->tags.cover.source == CoverSource::kNone)
                GiveFolderCover(reader.folderCovers, job.path, result->tags.cover, patience);
        }

        EnterCriticalSection(&reader.lock);
        // A given-up thread's file still counts as being read until here, and its late
        // result reaches its record if that is still there; the thread then goes on with its
        // share.
        self.since = 0;
        self.givenUp = false;
        --reader.busy;
        FinishTagJob(reader.queue, index);
        if (result != nullptr && !reader.results.Add(result)) delete result;
        const bool idle = IsTagQueueDone(reader.queue);
        if (idle) ForgetJobsLocked(reader);
        // Fewer may read the disk now (a folder listing began): one of them leaves it.
        if (self.share >= 0) {
            const ShareQueue& share = *reader.queue.shares.GetAt(uint32_t(self.share));
            if (share.readers > MostReadersOf(reader.queue, share))
                ReleaseShareLocked(reader, self);
        }
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

// Frees the slot of a thread that has ended. One that ended in its file (Wine ends only a
// thread that overflows its stack) leaves the file read, without tags, as a file the library
// cannot parse, and its share to the other threads.
void CloseEndedLocked(TagReader& reader, ReadingThread& thread) {
    if (thread.since != 0) {
        thread.since = 0;
        FinishTagJob(reader.queue, thread.job);
        --reader.busy;
        ReleaseShareLocked(reader, thread);
        if (IsTagQueueDone(reader.queue)) ForgetJobsLocked(reader);
    }
    CloseHandle(thread.handle);
    thread.handle = nullptr;
}

}  // namespace

void ForgetJobsLocked(TagReader& reader) {
    ClearTagQueue(reader.queue);
    for (ReadingThread& thread : reader.threads) thread.share = -1;
    ForgetFolderCovers(reader.folderCovers);
}

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
        // Results kept back by the notices' interval are told now: the thread that would have
        // told them with its next file may be in one that stalls.
        if (!reader.notified && reader.results.Count() > 0 &&
            now - reader.lastNotice >= kNotifyInterval) {
            reader.notified = true;
            reader.lastNotice = now;
            PostMessageW(reader.notify, kSourceTagsArrived, 0, 0);
        }
        LeaveCriticalSection(&reader.lock);
    }
}
