#include "tracks/track_record.h"

#include <new>

TrackRecord* MakeTrackRecord(const char16_t* path) {
    auto* record = new (std::nothrow) TrackRecord;
    if (record != nullptr) record->fields[kPath].AssignText(path);
    return record;
}

void BuildFlagText(const TrackRecord& record, char16_t (&text)[kFlagTextLength + 1]) {
    text[0] = u' ';
    text[1] = u' ';
    for (int field = kFirstTag; field <= kLastTag; ++field) {
        text[field + 1] = record.fields[field].IsEmpty() ? u'-' : kFlagLetters[field - kFirstTag];
    }
    text[kFlagTextLength] = u'\0';
}
