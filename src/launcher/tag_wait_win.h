// The save's wait for the dropped tracks' tags. It runs a message loop of its own, so the
// dialog repaints and answers while a slow share is read, and shows its progress in the
// window title.
#pragma once
#include "tracks/dialog_state_win.h"

// Waits until every track's tags are in; false when nothing is to be written: the user pressed
// Escape or closed the window, or the reading made no progress for state.save.quietLimit and
// the user, shown the tracks still without tags, chose not to save.
bool AwaitTagsForSave(DialogState& state);
