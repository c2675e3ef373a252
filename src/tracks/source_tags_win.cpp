#include "tracks/source_tags_win.h"

#include "tracks/selection_win.h"
#include "tracks/tag_editing_win.h"
#include "sources/tag_reader_win.h"
#include "tracks/tag_rules.h"

namespace {

// The index of the record with the given id, searched from the cursor on and around; -1 when
// the record was removed.
int FindRecordById(DialogState& state, uint32_t id) {
    const uint32_t count = state.tracks.Count();
    if (count == 0) return -1;
    uint32_t index = state.tagResultCursor < count ? state.tagResultCursor : 0;
    for (uint32_t seen = 0; seen < count; ++seen) {
        const TrackRecord* record = state.tracks.GetAt(index);
        if (record != nullptr && record->id == id) {
            state.tagResultCursor = index + 1;
            return static_cast<int>(index);
        }
        if (++index == count) index = 0;
    }
    return -1;
}

bool IsSelected(const DialogState& state, int row) {
    uint32_t low = 0;
    uint32_t high = state.selection.count;
    while (low < high) {
        const uint32_t middle = (low + high) / 2;
        if (state.selection.rows[middle] == row) return true;
        if (state.selection.rows[middle] < row) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return false;
}

}  // namespace

void PrepareTagReading(DialogState& state, uint32_t files) {
    if (state.tagReader == nullptr)
        state.tagReader = StartTagReader(state.dialog, state.tagReaderThreads);
    if (state.tagReader != nullptr) ReserveTagJobs(*state.tagReader, files);
}

void QueueTagsOfTrack(DialogState& state, TrackRecord& record) {
    record.id = ++state.lastTrackId;
    if (state.tagReader == nullptr) PrepareTagReading(state, 1);
    if (state.tagReader != nullptr) QueueTagJob(*state.tagReader, record.id, record.fields[kPath]);
}

void StartReadingTags(DialogState& state) {
    if (state.tagReader != nullptr) WakeTagReader(*state.tagReader);
}

void TakeArrivedTags(DialogState& state) {
    if (state.tagReader == nullptr) return;
    PointerArray<TagResult> results;
    TakeTagResults(*state.tagReader, results);
    if (results.Count() == 0) return;
    RefreshSelectedIndices(state);
    bool changed = false;
    bool selectedChanged = false;
    for (uint32_t i = 0; i < results.Count(); ++i) {
        const TagResult* result = results.GetAt(i);
        const int row = FindRecordById(state, result->id);
        if (row < 0) continue;
        if (!TakeSourceTags(*state.tracks.GetAt(static_cast<uint32_t>(row)), result->tags))
            continue;
        changed = true;
        if (IsSelected(state, row)) selectedChanged = true;
    }
    if (!changed) return;
    InvalidateRect(state.controls.files, nullptr, FALSE);
    if (selectedChanged) ShowChangedTagValues(state);
}

void StopReadingTags(DialogState& state) {
    StopTagReader(state.tagReader);
    state.tagReader = nullptr;
}
