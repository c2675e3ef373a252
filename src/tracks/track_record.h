// TrackRecord: one dropped file, its path and its seven tag values.
#pragma once
#include <cstdint>

#include "foundation/pointer_array.h"
#include "foundation/wide_string.h"
#include "tracks/cover_picture.h"

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

// What the track's file holds for the bundled encoder, as the tag reader judged it from the
// file's first bytes (tracks/encoder_input.h): one of the kinds lame.exe reads (WAVE stands
// for RF64 too; Ogg for Vorbis, Opus and FLAC in Ogg), or unreadable; unknown before the read
// or when the file did not open.
enum class EncoderInput : uint8_t { kUnknown, kMpegAudio, kWave, kAiff, kFlac, kOgg, kUnreadable };

// Where the track's cover picture comes from: the picture its file carries, or the album's
// cover image in its folder (tracks/cover_picture.h says which bytes and names count).
enum class CoverSource : uint8_t { kNone, kEmbedded, kFolder };

struct TrackCover {
    CoverSource source = CoverSource::kNone;
    PictureKind kind = PictureKind::kNone;
    uint32_t size = 0;       // the picture's bytes
    uint64_t hash = 0;       // PictureHash of them: one file per distinct picture
    WideString folderImage;  // kFolder: the image's full path
};

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
