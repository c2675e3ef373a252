// Keeps the right column and the bottom row anchored when the dialog is resized.
#pragma once
#include "tracks/dialog_state_win.h"

// Keeps the handles the layout moves and their distances from the right and bottom edges.
void RecordLayoutAnchors(DialogState& state);
// WM_SIZE: moves the anchored controls back to their distances and stretches the file list.
void LayOutDialog(DialogState& state);
