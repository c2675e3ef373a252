// The output beside its source, the one definition every output decision uses: the source's
// path up to its extension's dot (or the whole path), then the suffix of its kind: ".mp3",
// ".mp3.mp3" for an MP3 source (so that it never overwrites its source), ".wav" for the
// kinds a decoding run ("--decode") writes. The kind is read from the last four units of the
// path as the track command escapes it, so an apostrophe or backslash after the last dot means
// no extension.
//
// The source's name a pattern's "<Quelldatei>" gives (name_pattern.cpp) is cut by another
// rule: at the file name's last dot, whatever follows it ("it.s'x" gives "it"). The output
// beside its source keeps the rule the track command always had (the whole "it.s'x", then
// ".mp3"), since users' templates read that name from the lines; a pattern's names were made
// by the other rule from the start, and outputs already written under them keep their names.
#pragma once
#include <cstdint>

#include "tracks/track_record.h"

enum class InputKind { kMp3, kOgg, kMpegAudio, kOther };

// Whether the last four units are this extension (given in capitals), letter case aside.
bool IsExtension(const char16_t* lastFour, const char16_t* extension);

// What the extension rule reads from the path-escaped text, found on the path itself: that
// escaping puts a backslash before each backslash and apostrophe and changes nothing else,
// so the last dot stands after the escaped text's last backslash exactly when no backslash
// or apostrophe of the path follows it.
struct PathShape {
    bool hasExtension = false;
    uint32_t dot = 0;  // the last dot, when hasExtension
    InputKind kind = InputKind::kOther;
};

PathShape ShapeOfPath(const char16_t* path, uint32_t length);

// Where the output goes decides its suffix: beside its source, an MP3's output is ".mp3.mp3",
// so that it never overwrites its source; in a folder of the user's own, ".mp3".
enum class OutputPlace { kBesideSource, kOwnFolder };

// The output file beside the source, as the encoder receives it (unescaped): the first
// baseLength units of the source's path, then the suffix (of its place).
struct OutputPathParts {
    uint32_t baseLength;
    const char16_t* suffix;
};
OutputPathParts OutputNameOf(const PathShape& shape, uint32_t length, bool decode,
                             OutputPlace place = OutputPlace::kBesideSource);
OutputPathParts OutputPathPartsOf(const TrackRecord& record, bool decode,
                                  OutputPlace place = OutputPlace::kBesideSource);
