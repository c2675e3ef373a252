// TrackRecord: one dropped file, its path and its seven tag values.
#pragma once
#include "foundation/pointer_array.h"
#include "foundation/wide_string.h"

enum TrackField : int {
    kPath = 0,
    kArtist = 1,
    kAlbum = 2,
    kTitle = 3,
    kComment = 4,
    kYear = 5,
    kTrackNumber = 6,
    kGenre = 7,
};
constexpr int kFieldCount = 8;
constexpr int kFirstTag = 1;
constexpr int kLastTag = 7;

struct TrackRecord {
    WideString fields[kFieldCount];  // indexed by TrackField; empty means "not set"
};

// A new record with the given path and seven empty tags.
TrackRecord* MakeTrackRecord(const char16_t* path);

// Two blanks, then per tag its flag letter (K A T N J # G) or '-' when empty, then NUL.
constexpr int kFlagTextLength = 9;
inline constexpr char16_t kFlagLetters[] = u"KATNJ#G";
void BuildFlagText(const TrackRecord& record, char16_t (&text)[kFlagTextLength + 1]);
