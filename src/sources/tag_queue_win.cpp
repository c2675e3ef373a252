#include "sources/tag_queue_win.h"

#include <windows.h>

#include <cstring>
#include <new>

#include "win/utf16_cast.h"

namespace {

constexpr uint32_t kPathBlockRoom = 32768;  // characters: 64 KB, some 500 paths

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

// Whether more than one thread may read the volume: a fixed or RAM disk, where no read stalls
// for long (asking a drive letter's kind does not touch the drive).
bool IsFixedDisk(const char16_t* path, uint32_t shareLength) {
    if (shareLength < 2 || path[shareLength - 1] != u':') return false;
    const wchar_t root[] = {wchar_t(path[shareLength - 2]), L':', L'\\', L'\0'};
    const UINT kind = GetDriveTypeW(root);
    return kind == DRIVE_FIXED || kind == DRIVE_RAMDISK;
}

// The index of the path's share queue, made when new; -1 when memory ran out.
int ShareOf(TagQueue& queue, const char16_t* path) {
    const uint32_t length = ShareLengthOf(path);
    const uint32_t count = queue.shares.Count();
    for (uint32_t k = 0; k < count; ++k) {
        const uint32_t i = (queue.lastShare + k) % count;
        const ShareQueue* share = queue.shares.GetAt(i);
        if (share->keyLength == length &&
            (length == 0 ||
             CompareStringOrdinal(AsWide(share->key), static_cast<int>(length), AsWide(path),
                                  static_cast<int>(length), TRUE) == CSTR_EQUAL)) {
            queue.lastShare = i;
            return static_cast<int>(i);
        }
    }
    auto* share =
        new (std::nothrow) ShareQueue{path, length, kNoJob, kNoJob, 0, IsFixedDisk(path, length)};
    if (share == nullptr || !queue.shares.Add(share)) {
        delete share;
        return -1;
    }
    queue.lastShare = count;
    return static_cast<int>(count);
}

// A copy of the characters and the closing zero; null when memory ran out.
const char16_t* CopyPath(TagQueue& queue, const char16_t* text, uint32_t length) {
    const uint32_t need = length + 1;
    PathBlock* block = queue.paths;
    if (block == nullptr || block->room - block->used < need) {
        const uint32_t room = need > kPathBlockRoom ? need : kPathBlockRoom;
        block = static_cast<PathBlock*>(
            ::operator new(sizeof(PathBlock) + room * sizeof(char16_t), std::nothrow));
        if (block == nullptr) return nullptr;
        block->used = 0;
        block->room = room;
        block->next = queue.paths;
        queue.paths = block;
    }
    char16_t* copy = block->text + block->used;
    std::memcpy(copy, text, length * sizeof(char16_t));
    copy[length] = u'\0';
    block->used += need;
    return copy;
}

}  // namespace

TagQueue::~TagQueue() {
    ClearTagQueue(*this);
}

void ClearTagQueue(TagQueue& queue) {
    delete[] queue.jobs;
    queue.jobs = nullptr;
    queue.jobCount = queue.jobRoom = queue.released = queue.finished = queue.lastShare = 0;
    queue.shares.DeleteAll();
    while (queue.paths != nullptr) {
        PathBlock* next = queue.paths->next;
        ::operator delete(queue.paths);
        queue.paths = next;
    }
}

bool GrowTagQueue(TagQueue& queue, uint32_t more) {
    if (more <= queue.jobRoom - queue.jobCount) return true;
    if (more > UINT32_MAX / 2 - queue.jobCount) return false;
    uint32_t room = queue.jobRoom < 64 ? 64 : queue.jobRoom;
    while (room - queue.jobCount < more) room *= 2;
    auto* grown = new (std::nothrow) TagJob[room];
    if (grown == nullptr) return false;
    if (queue.jobCount > 0) std::memcpy(grown, queue.jobs, queue.jobCount * sizeof(TagJob));
    delete[] queue.jobs;
    queue.jobs = grown;
    queue.jobRoom = room;
    return true;
}

bool AddTagJob(TagQueue& queue, uint32_t id, const char16_t* path, uint32_t length) {
    if (!GrowTagQueue(queue, 1)) return false;
    const char16_t* copy = CopyPath(queue, path, length);
    const int shareIndex = copy != nullptr ? ShareOf(queue, copy) : -1;
    if (shareIndex < 0) return false;
    const uint32_t index = queue.jobCount++;
    queue.jobs[index] = TagJob{id, copy, kNoJob};
    ShareQueue& share = *queue.shares.GetAt(static_cast<uint32_t>(shareIndex));
    if (share.tail == kNoJob) {
        share.head = index;
    } else {
        queue.jobs[share.tail].nextOnShare = index;
    }
    share.tail = index;
    return true;
}

int ClaimShare(TagQueue& queue) {
    int chosen = -1;
    uint32_t first = kNoJob;
    for (uint32_t i = 0; i < queue.shares.Count(); ++i) {
        const ShareQueue* share = queue.shares.GetAt(i);
        if (share->readers < MostReadersOf(queue, *share) && share->head < queue.released &&
            share->head < first) {
            first = share->head;
            chosen = static_cast<int>(i);
        }
    }
    if (chosen >= 0) ++queue.shares.GetAt(static_cast<uint32_t>(chosen))->readers;
    return chosen;
}

int UnclaimedShares(const TagQueue& queue) {
    int unclaimed = 0;
    for (uint32_t i = 0; i < queue.shares.Count(); ++i) {
        const ShareQueue* share = queue.shares.GetAt(i);
        const int room = MostReadersOf(queue, *share) - share->readers;
        if (share->head < queue.released && room > 0) unclaimed += room;
    }
    return unclaimed;
}

uint32_t TakeJobOfShare(TagQueue& queue, int share) {
    ShareQueue& taken = *queue.shares.GetAt(static_cast<uint32_t>(share));
    if (taken.head >= queue.released) return kNoJob;
    const uint32_t index = taken.head;
    taken.head = queue.jobs[index].nextOnShare;
    if (taken.head == kNoJob) taken.tail = kNoJob;
    return index;
}

void FinishTagJob(TagQueue& queue, uint32_t index) {
    queue.jobs[index].path = nullptr;
    ++queue.finished;
}
