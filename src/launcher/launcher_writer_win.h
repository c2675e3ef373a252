// The run behind "Batch (.hta) &speichern": writes the launcher file.
#pragma once
#include "tracks/dialog_state_win.h"

// Reads the Lame.exe path, the option lists, the extra arguments and the three check boxes
// from the dialog, writes the launcher of all tracks and reports the outcome. state.save says
// meanwhile that a run is under way; a close asked for during it is left to the caller.
void WriteLauncher(DialogState& state);
