// What a dropped file holds, as the program keeps it: the fields its tags fill, what the
// bundled encoder can make of it, and where its cover picture comes from. The track records
// above hold these facts; the readers here fill them.
#pragma once
#include <cstdint>

#include "foundation/wide_string.h"
#include "sources/cover_picture.h"

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
// file's first bytes (sources/encoder_input.h): one of the kinds lame.exe reads (WAVE stands
// for RF64 too; Ogg for Vorbis, Opus and FLAC in Ogg), or unreadable; unknown before the read
// or when the file did not open.
enum class EncoderInput : uint8_t { kUnknown, kMpegAudio, kWave, kAiff, kFlac, kOgg, kUnreadable };

// Where the track's cover picture comes from: the picture its file carries, or the album's
// cover image in its folder (sources/cover_picture.h says which bytes and names count).
enum class CoverSource : uint8_t { kNone, kEmbedded, kFolder };

struct TrackCover {
    CoverSource source = CoverSource::kNone;
    PictureKind kind = PictureKind::kNone;
    uint32_t size = 0;       // the picture's bytes
    uint64_t hash = 0;       // PictureHash of them: one file per distinct picture
    WideString folderImage;  // kFolder: the image's full path
};
