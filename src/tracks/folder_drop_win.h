// Dropped folders in the dialog: the files the listing thread finds (sources/
// folder_listing_win.h) become rows as they come, their tags read as a dropped file's, the
// count in the window title; Escape ends the listing and keeps what was found. The dialog
// stays usable meanwhile.
#pragma once
#include "tracks/dialog_state_win.h"

// The timer that takes what was found and shows the count.
constexpr UINT_PTR kListingTimer = 0x4C49;

// A dropped file's name becomes a track and a row, its tags queued; false when it was not
// taken (a name of 0 or 1 characters, or memory or the list ran out).
bool AddDroppedTrack(DialogState& state, const char16_t* path, uint32_t rootLength);

// True from the drop of a folder until the last file found is a row.
bool IsListingFolders(const DialogState& state);
// Hands a drop's name to the listing, starting one when none runs; false when none could
// start (the caller takes the name as a file then).
bool QueueForListing(DialogState& state, const char16_t* name, uint32_t length);
// Lets the listing start on the names handed to it.
void StartListingFolders(DialogState& state);
// What was found since the last time becomes rows (the timer, and the listing's end).
void TakeListedFiles(DialogState& state);
// Escape: the listing ends, what was found stays.
void EndListingFolders(DialogState& state);
// The dialog closes: the listing is dropped.
void StopListingFolders(DialogState& state);
