// The picture files the launcher gives the encoder for the MP3s' front covers.
#pragma once
#include "foundation/pointer_array.h"
#include "foundation/wide_string.h"
#include "launcher/cover_files.h"
#include "tracks/track_record.h"

// Gives each track the picture file its MP3 takes as its front cover: an album folder's image
// by its own path; a picture embedded in the source written, once per distinct picture, into
// the folder kCoverFolderName beside the launcher (launcherPath), where it stays so that the
// launcher runs again later with its covers. A picture that cannot be read again or written
// leaves its tracks without a cover. False when memory ran out: then no track has one.
bool GatherCoverFiles(const PointerArray<TrackRecord>& tracks, const WideString& launcherPath,
                      TrackCoverFiles& covers);
