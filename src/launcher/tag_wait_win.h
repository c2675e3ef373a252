// The save's waits for the dropped tracks' tags and for their pictures. They run a message
// loop of their own, so the dialog repaints and answers while a slow share is read, and show
// their progress in the window title.
#pragma once
#include "tracks/dialog_state_win.h"

struct CoverReading;

// Waits until the files of dropped folders are all rows; false when the user pressed Escape
// or closed the window (the listing goes on then).
bool AwaitListingForSave(DialogState& state);

// Waits until every track's tags are in; false when nothing is to be written: the user pressed
// Escape or closed the window, or the reading made no progress for state.save.quietLimit and
// the user, shown the tracks still without tags, chose not to save.
bool AwaitTagsForSave(DialogState& state);

// Waits, the same way, until the save's pictures are read again (sources/cover_reading_win.h);
// false when the user pressed Escape or closed the window. Pictures not read for
// state.save.quietLimit are left out: their tracks get no cover.
bool AwaitCoverPictures(DialogState& state, CoverReading& reading);
