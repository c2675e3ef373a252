// The tag rules of a selection: the values all selected tracks share, and the
// one-or-many write rule. Records are reached through the track array by row index;
// an index without a record reads as a record whose fields are all empty.
#pragma once
#include <cstdint>
#include "sources/source_tags.h"
#include "tracks/track_record.h"

// values takes the first selected record's eight fields (shared copies); each tag that
// another selected record holds differently (exact, case-sensitive) becomes empty.
void ComputeCommonValues(const PointerArray<TrackRecord>& tracks, const int* indices,
                         uint32_t count, TrackRecord& values);

// One field's value when every selected record holds the same text, else empty.
WideString CommonFieldValue(const PointerArray<TrackRecord>& tracks, const int* indices,
                            uint32_t count, int field);

// One selected record takes all seven tags, empty ones included; with several selected,
// only the non-empty values are written, so a field left empty never wipes their own values.
// A field whose value changes is marked as set by the user.
void WriteTagValues(const TrackRecord& values, PointerArray<TrackRecord>& tracks,
                    const int* indices, uint32_t count);

// Gives the record the values that arrived, except in the fields the user has set since the
// drop, and the judgement of its file, its length and its cover (a user never edits those);
// false when no field changed.
bool TakeSourceTags(TrackRecord& record, const SourceTags& tags);
