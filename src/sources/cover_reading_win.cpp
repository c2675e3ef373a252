#include "sources/cover_reading_win.h"

#include <memory>
#include <new>

#include "sources/source_tags.h"

namespace {

struct CoverSourcePath {
    std::unique_ptr<char16_t[]> text;  // the reading's own copy: no shared WideString
};

struct CoverToRead {
    uint64_t hash = 0;
    uint32_t firstSource = 0;
    uint32_t sourceCount = 0;
    PictureBytes bytes;
    bool read = false;
};

// A growing array of owned items, for the few hundred pictures of a save.
template <typename T>
struct Items {
    std::unique_ptr<T[]> items;
    uint32_t count = 0;
    uint32_t room = 0;

    T* Add() {
        if (count == room) {
            const uint32_t grown = room < 16 ? 16 : room * 2;
            std::unique_ptr<T[]> bigger(new (std::nothrow) T[grown]);
            if (!bigger) return nullptr;
            for (uint32_t i = 0; i < count; ++i) bigger[i] = std::move(items[i]);
            items = std::move(bigger);
            room = grown;
        }
        return &items[count++];
    }
};

}  // namespace

// Shared by the save and its thread: each lets it go, and the last frees it.
struct CoverReading {
    CoverFileReader read = ReadEmbeddedCover;
    Items<CoverToRead> pictures;
    Items<CoverSourcePath> sources;
    CRITICAL_SECTION lock;
    uint32_t done = 0;  // pictures the thread is through with, in order
    bool ended = false;
    HANDLE thread = nullptr;
    bool threadReturned = false;  // false with the thread gone: it ended inside a file
    LONG holders = 1;
};

namespace {

void Release(CoverReading* reading) {
    if (InterlockedDecrement(&reading->holders) != 0) return;
    DeleteCriticalSection(&reading->lock);
    delete reading;
}

DWORD WINAPI ReadCovers(void* parameter) {
    CoverReading& reading = *static_cast<CoverReading*>(parameter);
    for (uint32_t i = 0; i < reading.pictures.count; ++i) {
        EnterCriticalSection(&reading.lock);
        const bool ended = reading.ended;
        LeaveCriticalSection(&reading.lock);
        if (ended) break;
        // Only this thread touches the picture until `done` passes it.
        CoverToRead& picture = reading.pictures.items[i];
        for (uint32_t k = 0; k < picture.sourceCount && !picture.read; ++k) {
            PictureBytes bytes;
            const char16_t* path = reading.sources.items[picture.firstSource + k].text.get();
            if (!reading.read(path, bytes) ||
                PictureHash(bytes.data.get(), bytes.size) != picture.hash)
                continue;
            picture.bytes = std::move(bytes);
            picture.read = true;
        }
        EnterCriticalSection(&reading.lock);
        reading.done = i + 1;
        LeaveCriticalSection(&reading.lock);
    }
    EnterCriticalSection(&reading.lock);
    reading.threadReturned = true;
    LeaveCriticalSection(&reading.lock);
    Release(&reading);
    return 0;
}

}  // namespace

CoverReading* NewCoverReading(CoverFileReader read) {
    auto* reading = new (std::nothrow) CoverReading;
    if (reading == nullptr) return nullptr;
    if (read != nullptr) reading->read = read;
    InitializeCriticalSection(&reading->lock);
    return reading;
}

bool AddCoverPicture(CoverReading& reading, uint64_t hash) {
    CoverToRead* picture = reading.pictures.Add();
    if (picture == nullptr) return false;
    picture->hash = hash;
    picture->firstSource = reading.sources.count;
    return true;
}

bool AddCoverSource(CoverReading& reading, const WideString& path) {
    if (reading.pictures.count == 0) return false;
    CoverSourcePath* source = reading.sources.Add();
    if (source == nullptr) return false;
    source->text.reset(new (std::nothrow) char16_t[path.Length() + 1]);
    if (!source->text) {
        --reading.sources.count;
        return false;
    }
    for (uint32_t i = 0; i <= path.Length(); ++i) source->text[i] = path.Text()[i];
    ++reading.pictures.items[reading.pictures.count - 1].sourceCount;
    return true;
}

bool StartCoverReading(CoverReading& reading) {
    reading.holders = 2;
    // The tag reader's kind of thread: a stack for what a file makes the library do, and the
    // dialog's thread first.
    reading.thread = CreateThread(nullptr, kTagReadingStack, ReadCovers, &reading,
                                  STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (reading.thread == nullptr) {
        reading.holders = 1;
        return false;
    }
    SetThreadPriority(reading.thread, THREAD_PRIORITY_BELOW_NORMAL);
    return true;
}

void CountCoverPictures(CoverReading& reading, uint32_t& done, uint32_t& count) {
    EnterCriticalSection(&reading.lock);
    done = reading.done;
    LeaveCriticalSection(&reading.lock);
    count = reading.pictures.count;
}

bool IsCoverReadingDone(CoverReading& reading) {
    uint32_t done = 0;
    uint32_t count = 0;
    CountCoverPictures(reading, done, count);
    return done == count || reading.thread == nullptr ||
           WaitForSingleObject(reading.thread, 0) == WAIT_OBJECT_0;
}

bool TakeCoverPicture(CoverReading& reading, uint32_t picture, PictureBytes& bytes) {
    EnterCriticalSection(&reading.lock);
    const bool done = picture < reading.done;
    LeaveCriticalSection(&reading.lock);
    if (!done || !reading.pictures.items[picture].read) return false;
    bytes = std::move(reading.pictures.items[picture].bytes);
    reading.pictures.items[picture].read = false;
    return true;
}

void EndCoverReading(CoverReading* reading) {
    if (reading == nullptr) return;
    EnterCriticalSection(&reading->lock);
    reading->ended = true;
    // A thread that ended inside a file (Wine ends one that overflows its stack) never lets
    // the reading go: its share is let go here.
    const bool died = reading->thread != nullptr && !reading->threadReturned &&
                      WaitForSingleObject(reading->thread, 0) == WAIT_OBJECT_0;
    LeaveCriticalSection(&reading->lock);
    if (reading->thread != nullptr) CloseHandle(reading->thread);
    if (died) InterlockedDecrement(&reading->holders);
    Release(reading);
}
