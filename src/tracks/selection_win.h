// The selected rows of the file list, kept in the dialog state between refreshes.
#pragma once
#include "tracks/dialog_state_win.h"

// Reads the list's selected rows into state.selection; yields how many there are.
int RefreshSelectedIndices(DialogState& state);
