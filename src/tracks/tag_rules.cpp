#include "tracks/tag_rules.h"

namespace {
const TrackRecord* RecordAt(const PointerArray<TrackRecord>& tracks, int index) {
    return index < 0 ? nullptr : tracks.GetAt(static_cast<uint32_t>(index));
}

const char16_t* FieldText(const TrackRecord* record, int field) {
    return record != nullptr ? record->fields[field].Text() : kEmptyText;
}
}  // namespace

void ComputeCommonValues(const PointerArray<TrackRecord>& tracks, const int* indices,
                         uint32_t count, TrackRecord& values) {
    const TrackRecord* first = count > 0 ? RecordAt(tracks, indices[0]) : nullptr;
    for (int field = 0; field < kFieldCount; ++field) {
        if (first != nullptr) {
            values.fields[field].Assign(first->fields[field]);
        } else {
            values.fields[field].Clear();
        }
    }
    for (uint32_t i = 1; i < count; ++i) {
        const TrackRecord* record = RecordAt(tracks, indices[i]);
        for (int field = kFirstTag; field <= kLastTag; ++field) {
            WideString& value = values.fields[field];
            if (!value.IsEmpty() && CompareText(value.Text(), FieldText(record, field)) != 0) {
                value.Clear();
            }
        }
    }
}

WideString CommonFieldValue(const PointerArray<TrackRecord>& tracks, const int* indices,
                            uint32_t count, int field) {
    WideString value;
    if (count == 0 || field < 0 || field >= kFieldCount) return value;
    const TrackRecord* first = RecordAt(tracks, indices[0]);
    if (first == nullptr) return value;
    value.Assign(first->fields[field]);
    for (uint32_t i = 1; i < count && !value.IsEmpty(); ++i) {
        if (CompareText(value.Text(), FieldText(RecordAt(tracks, indices[i]), field)) != 0) {
            value.Clear();
        }
    }
    return value;
}

void WriteTagValues(const TrackRecord& values, PointerArray<TrackRecord>& tracks,
                    const int* indices, uint32_t count) {
    const bool writeEmpty = count == 1;
    for (uint32_t i = 0; i < count; ++i) {
        TrackRecord* record =
            indices[i] < 0 ? nullptr : tracks.GetAt(static_cast<uint32_t>(indices[i]));
        if (record == nullptr) continue;
        for (int field = kFirstTag; field <= kLastTag; ++field) {
            if (!writeEmpty && values.fields[field].IsEmpty()) continue;
            // A changed value is the user's: tags read later must not replace it.
            if (CompareText(record->fields[field].Text(), values.fields[field].Text()) != 0) {
                record->fields[field].Assign(values.fields[field]);
                MarkSetByUser(*record, field);
            }
        }
    }
}

bool TakeSourceTags(TrackRecord& record, const SourceTags& tags) {
    record.input = tags.input;
    record.milliseconds = tags.milliseconds;
    record.cover = tags.cover;
    bool changed = false;
    for (int field = kFirstTag; field <= kLastTag; ++field) {
        if (IsSetByUser(record, field) || tags.fields[field].IsEmpty()) continue;
        if (CompareText(record.fields[field].Text(), tags.fields[field].Text()) == 0) continue;
        record.fields[field].Assign(tags.fields[field]);
        changed = true;
    }
    return changed;
}
