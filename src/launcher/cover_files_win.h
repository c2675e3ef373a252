// The picture files the launcher gives the encoder for the MP3s' front covers.
#pragma once
#include "foundation/pointer_array.h"
#include "foundation/wide_string.h"
#include "launcher/cover_files.h"
#include "sources/cover_reading_win.h"
#include "tracks/track_record.h"

// The save's covers, in two steps: the pictures are read again before the launcher file is
// opened (a thread reads them while the save waits), and written only once it is open, so a
// save the user ends, or a launcher that cannot be written, leaves no folder of covers behind.
struct CoverPlan;

// Groups the tracks by picture and starts reading again each picture embedded in a source
// that is not yet in the folder kCoverFolderName beside the launcher (launcherPath): there it
// stays, named by its content, so that the launcher runs again later with its covers. read:
// null for ReadEmbeddedCover. Null when memory ran out: then no track gets a cover.
CoverPlan* PlanCoverFiles(const PointerArray<TrackRecord>& tracks, const WideString& launcherPath,
                          CoverFileReader read);
// The reading the save waits for.
CoverReading& CoverPlanReading(CoverPlan& plan);
// Gives each of the trackCount tracks the picture file its MP3 takes as its front cover: an
// album folder's image by its own path; a picture read again written into the folder, once
// per distinct picture. A picture that was not read or cannot be written leaves its tracks
// without a cover. False when memory ran out: then no track has one.
bool WriteCoverFiles(CoverPlan& plan, uint32_t trackCount, TrackCoverFiles& covers);
// Ends the reading, if it still runs, and frees the plan.
void EndCoverPlan(CoverPlan* plan);
