// Removing many tracks from the track array at once.
#pragma once
#include <cstdint>
#include "tracks/track_record.h"

// Destroys the records at the given ascending indices and closes the gaps, keeping the
// order of the others. Runs in one pass over the tail behind the first index, instead of
// one shift of the whole tail per removed record. Indices out of range are ignored.
void DeleteTracksAt(PointerArray<TrackRecord>& tracks, const int* ascending, uint32_t count);
