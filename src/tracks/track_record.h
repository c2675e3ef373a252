// TrackRecord: one dropped file, its path and its seven tag values.
#pragma once
#include <cstdint>

#include "foundation/pointer_array.h"
#include "foundation/wide_string.h"
#include "sources/source_facts.h"

struct TrackRecord {
    WideString fields[kFieldCount];  // indexed by TrackField; empty means "not set"
    // Names the record to the tag reader, whose results may arrive after the record moved
    // or was removed; 0 for a record the reader never saw.
    uint32_t id = 0;
    // One bit per tag field the user (typing, a menu, the numbering, a paste) has set:
    // tags read from the file later leave those fields alone.
    uint32_t setByUser = 0;
    EncoderInput input = EncoderInput::kUnknown;
    // The source's length as read at the drop, in milliseconds; 0 when unknown. The launcher
    // deletes a source only beside an output of about this length.
    uint32_t milliseconds = 0;
    // The length of the dropped folder the file was found in, a leading part of its path
    // (without a backslash at its end); 0 for a file dropped by itself. Outputs keep the
    // folders below it.
    uint32_t rootLength = 0;
    // Not the picture itself: the save reads it again (10,000 tracks hold no pictures).
    TrackCover cover;
};

inline bool IsSetByUser(const TrackRecord& record, int field) {
    return (record.setByUser & (1u << field)) != 0;
}
inline void MarkSetByUser(TrackRecord& record, int field) {
    record.setByUser |= 1u << field;
}

// A new record with the given path and seven empty tags.
TrackRecord* MakeTrackRecord(const char16_t* path);

// Two blanks, then per tag its flag letter (K A T N J # G) or '-' when empty, then NUL.
constexpr int kFlagTextLength = 9;
inline constexpr char16_t kFlagLetters[] = u"KATNJ#G";
void BuildFlagText(const TrackRecord& record, char16_t (&text)[kFlagTextLength + 1]);
