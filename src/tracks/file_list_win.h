// The owner-drawn file list (IDL_FILES): rows carry TrackRecord pointers.
#pragma once
#include <windows.h>

#include "tracks/track_record.h"

// Row painter for WM_DRAWITEM of the list, at the dialog's DPI; always TRUE.
BOOL PaintTrackRow(const DRAWITEMSTRUCT* item, UINT dpi);
// Appends a row whose item data is the record; false for a null record or a refused row.
bool AddRecordToList(HWND list, TrackRecord* record);
// The record of a list row (LB_GETITEMDATA), or null.
TrackRecord* RecordOfRow(HWND list, int row);
