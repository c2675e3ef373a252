// The owner-drawn file list (id 1000): rows carry TrackRecord pointers.
#pragma once
#include <windows.h>
#include "tracks/track_record.h"

// Row painter for WM_DRAWITEM of the list; always TRUE.
BOOL PaintTrackRow(const DRAWITEMSTRUCT* item);
// Appends a row whose item data is the record; false for a null record.
bool AddRecordToList(TrackRecord* record);
// The record of a list row (LB_GETITEMDATA), or null.
TrackRecord* RecordOfRow(int row);
