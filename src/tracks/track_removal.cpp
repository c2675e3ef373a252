#include "tracks/track_removal.h"

#include <new>

namespace {
// Fallback when no scratch block can be had: one DeleteAt per index, highest first.
void DeleteOneByOne(PointerArray<TrackRecord>& tracks, const int* ascending, uint32_t count) {
    for (uint32_t i = count; i-- > 0;) {
        if (ascending[i] >= 0) tracks.DeleteAt(static_cast<uint32_t>(ascending[i]));
    }
}
}  // namespace

void DeleteTracksAt(PointerArray<TrackRecord>& tracks, const int* ascending, uint32_t count) {
    uint32_t next = 0;
    while (next < count && ascending[next] < 0) ++next;
    if (next == count) return;
    const uint32_t first = static_cast<uint32_t>(ascending[next]);
    const uint32_t total = tracks.Count();
    if (first >= total) return;

    // Take the tail behind the first removed record out from the end (no shifting), then
    // put back what stays. The first removed record holds its slot meanwhile, so the array
    // never empties and keeps its block: the re-adds never grow it.
    const uint32_t tailLength = total - first - 1;
    auto** tail = new (std::nothrow) TrackRecord*[tailLength > 0 ? tailLength : 1];
    if (tail == nullptr) {
        DeleteOneByOne(tracks, ascending + next, count - next);
        return;
    }
    for (uint32_t i = total; i-- > first + 1;) {
        tail[i - first - 1] = tracks.GetAt(i);
        tracks.RemoveAt(i);
    }
    ++next;
    for (uint32_t i = 0; i < tailLength; ++i) {
        const uint32_t index = first + 1 + i;
        while (next < count && ascending[next] >= 0 &&
               static_cast<uint32_t>(ascending[next]) < index) {
            ++next;
        }
        if (next < count && static_cast<uint32_t>(ascending[next]) == index) {
            delete tail[i];
        } else {
            tracks.Add(tail[i]);
        }
    }
    delete[] tail;
    tracks.DeleteAt(first);
}
