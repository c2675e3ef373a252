#include "sources/tag_reader_win.h"

#include <new>

#include "sources/tag_reader_state_win.h"

namespace {

constexpr DWORD kStopWait = 3000;
constexpr int kMostThreads = 4;

void MoveAll(PointerArray<TagResult>& from, PointerArray<TagResult>& to) {
    to.ReserveRoom(from.Count());
    for (uint32_t i = 0; i < from.Count(); ++i) {
        if (!to.Add(from.GetAt(i))) delete from.GetAt(i);
    }
    while (from.Count() > 0) from.RemoveAt(from.Count() - 1);
}

}  // namespace

TagReader* StartTagReader(HWND notify, int threads) {
    auto* reader = new (std::nothrow) TagReader;
    if (reader == nullptr) return nullptr;
    reader->notify = notify;
    InitializeCriticalSection(&reader->lock);
    InitializeConditionVariable(&reader->jobsQueued);
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

void SetDiskReaders(TagReader& reader, int readers) {
    EnterCriticalSection(&reader.lock);
    reader.queue.diskReaders = readers;
    WakeAllConditionVariable(&reader.jobsQueued);
    if (reader.watchdog != nullptr) StartNeededThreadsLocked(reader);
    LeaveCriticalSection(&reader.lock);
}

void KnowFolderCoverNames(TagReader& reader, const char16_t* folder, uint32_t length,
                          const char16_t* names) {
    KnowFolderCoverNames(reader.folderCovers, folder, length, names);
}

bool QueueTagJob(TagReader& reader, uint32_t id, const WideString& path) {
    // A copy of the characters, not a shared reference to the dialog's string.
    EnterCriticalSection(&reader.lock);
    const bool queued = AddTagJob(reader.queue, id, path.Text(), path.Length());
    LeaveCriticalSection(&reader.lock);
    return queued;
}

void ReserveTagJobs(TagReader& reader, uint32_t more) {
    EnterCriticalSection(&reader.lock);
    GrowTagQueue(reader.queue, more);
    LeaveCriticalSection(&reader.lock);
}

void WakeTagReader(TagReader& reader) {
    EnterCriticalSection(&reader.lock);
    reader.queue.released = reader.queue.jobCount;
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
    const bool idle = IsTagQueueDone(reader.queue);
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
    read = reader.queue.finished;
    queued = reader.queue.jobCount;
    LeaveCriticalSection(&reader.lock);
}

uint32_t ListUnreadTagJobs(TagReader& reader, uint32_t*& ids) {
    ids = nullptr;
    EnterCriticalSection(&reader.lock);
    const uint32_t unread = reader.queue.jobCount - reader.queue.finished;
    if (unread > 0) ids = new (std::nothrow) uint32_t[unread];
    uint32_t count = 0;
    for (uint32_t i = 0; ids != nullptr && i < reader.queue.jobCount; ++i) {
        if (reader.queue.jobs[i].path != nullptr) ids[count++] = reader.queue.jobs[i].id;
    }
    LeaveCriticalSection(&reader.lock);
    return count;
}
