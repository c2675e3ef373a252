// Tag suggestions from the parts of the first selected track's path.
#pragma once
#include "tracks/dialog_state_win.h"

// Shows the menu of path pieces for the row and puts a chosen piece into the target field.
// False when the row has no path to offer from.
bool SuggestPathPiece(DialogState& state, int row, HWND targetField);
