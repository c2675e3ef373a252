// Numbering the tracks by their position in the list.
#pragma once
#include <cstdint>
#include "tracks/track_record.h"

// The decimal text of a number, without leading zeros or sign; yields its length.
uint32_t FormatDecimal(uint32_t number, char16_t (&text)[11]);

// Sets every record's track number to its position plus one, as decimal text, as the
// user's value.
void NumberTracks(PointerArray<TrackRecord>& tracks);
