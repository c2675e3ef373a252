// The per-track line of the launcher script: callRun with the track's encoder arguments
// (ID3 version, tags, input and output file) in an apostrophe-quoted script literal.
#pragma once
#include "foundation/pointer_array.h"
#include "foundation/side_by_side.h"
#include "foundation/wide_string.h"
#include "tracks/track_record.h"

// A tab, "callRun ('", the track command, "', ", then the page's data: the source's length in
// seconds ("6.021"; "0" where unknown), the source and the output as the command names them,
// and what the encoder decodes the source from ("FLAC", "Opus", "Ogg" or ""), each of the
// last three in apostrophes; ");" and CR LF. decode: the common arguments contain
// "--decode", so decodable inputs get a ".wav" output.
WideString BuildCallRunLine(const TrackRecord& record, bool id3v2, bool id3v2Only, bool decode);

class TrackOutputs;
class TrackCoverFiles;

// The callRun lines of all tracks in array order, built in one block of the final size.
// outputs: each track's output as the save decided it (TrackOutputs::Fill over these
// tracks); null: beside the sources. covers: the picture file each track's MP3 takes as its
// front cover; null: none. sideBySide: how the two halves of the tracks are walked at once;
// null: one after the other.
WideString BuildCallRunsBlock(const PointerArray<TrackRecord>& tracks, bool id3v2, bool id3v2Only,
                              bool decode, const TrackOutputs* outputs = nullptr,
                              const TrackCoverFiles* covers = nullptr,
                              SideBySide sideBySide = nullptr);
