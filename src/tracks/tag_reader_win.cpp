#include "tracks/tag_reader_win.h"

#include <new>

#include "win/utf16_cast.h"

struct TagJob {
    uint32_t id = 0;
    WideString path;
};

struct TagReader {
    HWND notify = nullptr;
    CRITICAL_SECTION lock;
    CONDITION_VARIABLE jobsQueued;
    CONDITION_VARIABLE progress;
    // Jobs in queue order; the threads take them from nextJob on. The block is emptied only
    // when every job is done, so no thread still reads a path from it.
    PointerArray<TagJob> jobs;
    uint32_t nextJob = 0;
    // Jobs up to here may be read: a drop's files wait until its rows are there.
    uint32_t released = 0;
    int busy = 0;
    PointerArray<TagResult> results;
    // The dialog is told once per batch, and at most every kNotifyInterval while files keep
    // arriving: a repaint per file would cost more than the reading.
    bool notified = false;
    ULONGLONG lastNotice = 0;
    bool stop = false;
    HANDLE threads[4] = {};
    int threadCount = 0;
};

namespace {

constexpr int kMostThreads = 4;
constexpr DWORD kStopWait = 3000;
constexpr ULONGLONG kNotifyInterval = 50;

bool IdleLocked(const TagReader& reader) {
    return reader.nextJob == reader.jobs.Count() && reader.busy == 0;
}

void MoveAll(PointerArray<TagResult>& from, PointerArray<TagResult>& to) {
    to.ReserveRoom(from.Count());
    for (uint32_t i = 0; i < from.Count(); ++i) {
        if (!to.Add(from.GetAt(i))) delete from.GetAt(i);
    }
    while (from.Count() > 0) from.RemoveAt(from.Count() - 1);
}

// Only a file on a disk is handed to TagLib: a device ("CON", "COM1", "\\.\pipe\x") or a
// pipe could keep a read waiting forever.
bool IsDiskFile(const WideString& path) {
    HANDLE file =
        CreateFileW(AsWide(path.Text()), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool disk = GetFileType(file) == FILE_TYPE_DISK;
    CloseHandle(file);
    return disk;
}

DWORD WINAPI ReadTags(void* parameter) {
    TagReader& reader = *static_cast<TagReader*>(parameter);
    EnterCriticalSection(&reader.lock);
    for (;;) {
        while (!reader.stop && reader.nextJob == reader.released)
            SleepConditionVariableCS(&reader.jobsQueued, &reader.lock, INFINITE);
        if (reader.stop) break;
        const TagJob* job = reader.jobs.GetAt(reader.nextJob++);
        ++reader.busy;
        LeaveCriticalSection(&reader.lock);

        auto* result = new (std::nothrow) TagResult;
        if (result != nullptr) {
            result->id = job->id;
            if (IsDiskFile(job->path)) ReadSourceTags(job->path.Text(), result->tags);
        }

        EnterCriticalSection(&reader.lock);
        --reader.busy;
        if (result != nullptr && !reader.results.Add(result)) delete result;
        const bool idle = IdleLocked(reader);
        if (idle) {
            reader.jobs.DeleteAll();
            reader.nextJob = 0;
            reader.released = 0;
        }
        WakeAllConditionVariable(&reader.progress);
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

}  // namespace

TagReader* StartTagReader(HWND notify, int threads) {
    auto* reader = new (std::nothrow) TagReader;
    if (reader == nullptr) return nullptr;
    reader->notify = notify;
    InitializeCriticalSection(&reader->lock);
    InitializeConditionVariable(&reader->jobsQueued);
    InitializeConditionVariable(&reader->progress);
    if (threads < 1) threads = 1;
    if (threads > kMostThreads) threads = kMostThreads;
    for (int i = 0; i < threads; ++i) {
        HANDLE thread = CreateThread(nullptr, 0, ReadTags, reader, 0, nullptr);
        if (thread == nullptr) continue;
        // The dialog's thread comes first: reading may wait, a keystroke may not.
        SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
        reader->threads[reader->threadCount++] = thread;
    }
    if (reader->threadCount == 0) {
        DeleteCriticalSection(&reader->lock);
        delete reader;
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
    // A file on a network share that stopped answering must not keep the program from
    // closing: a thread still reading then keeps the reader, and the process's end ends it.
    const DWORD finished = WaitForMultipleObjects(static_cast<DWORD>(reader->threadCount),
                                                  reader->threads, TRUE, kStopWait);
    if (finished == WAIT_TIMEOUT) return;
    for (int i = 0; i < reader->threadCount; ++i) CloseHandle(reader->threads[i]);
    DeleteCriticalSection(&reader->lock);
    delete reader;
}

bool QueueTagJob(TagReader& reader, uint32_t id, const WideString& path) {
    auto* job = new (std::nothrow) TagJob;
    if (job == nullptr) return false;
    job->id = id;
    // A copy of the characters, not a shared reference to the dialog's string.
    job->path.AssignText(path.Text(), path.Length());
    EnterCriticalSection(&reader.lock);
    const bool queued = reader.jobs.Add(job);
    LeaveCriticalSection(&reader.lock);
    if (!queued) delete job;
    return queued;
}

void ReserveTagJobs(TagReader& reader, uint32_t more) {
    EnterCriticalSection(&reader.lock);
    reader.jobs.ReserveRoom(more);
    LeaveCriticalSection(&reader.lock);
}

void WakeTagReader(TagReader& reader) {
    EnterCriticalSection(&reader.lock);
    reader.released = reader.jobs.Count();
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

bool WaitForTagProgress(TagReader& reader, DWORD milliseconds) {
    EnterCriticalSection(&reader.lock);
    bool progressed = true;
    if (!IdleLocked(reader) && reader.results.Count() == 0) {
        SleepConditionVariableCS(&reader.progress, &reader.lock, milliseconds);
        progressed = IdleLocked(reader) || reader.results.Count() > 0;
    }
    LeaveCriticalSection(&reader.lock);
    return progressed;
}
