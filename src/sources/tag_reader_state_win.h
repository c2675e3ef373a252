// The tag reader's state, shared by its public calls (tag_reader_win.cpp) and its threads
// (tag_reading_threads_win.cpp); no other file sees it.
#pragma once
#include <windows.h>

#include "sources/folder_cover_cache_win.h"
#include "sources/tag_queue_win.h"
#include "sources/tag_reading_win.h"

struct TagReader;

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

struct TagReader {
    HWND notify = nullptr;
    CRITICAL_SECTION lock;
    CONDITION_VARIABLE jobsQueued;
    TagQueue queue;
    int busy = 0;
    TagFileReader read = ReadSourceTags;
    ULONGLONG patience = 5000;  // ms in one file before its thread is given up
    PointerArray<TagResult> results;
    FolderCoverCache folderCovers;
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
};

// The calls below run under the reader's lock.

// Frees the jobs, their paths and the folder covers once every job is read.
void ForgetJobsLocked(TagReader& reader);
// Starts a thread in a free slot; false when none is free or it could not start.
bool StartThreadLocked(TagReader& reader);
// Starts threads until as many work as the reading needs.
void StartNeededThreadsLocked(TagReader& reader);

// The watchdog's thread procedure; its parameter is the reader.
DWORD WINAPI WatchReaders(void* parameter);
