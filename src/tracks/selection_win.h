// The selected rows of the file list, kept in the dialog state between refreshes.
#pragma once
#include "tracks/dialog_state_win.h"

// Reads the list's selected rows into state.selection; yields how many there are.
int RefreshSelectedIndices(DialogState& state);
// The first selected row of the list; -1 when none is.
int FirstSelectedRow(const DialogState& state);
