// Editing the seven tag fields for the selected tracks.
#pragma once
#include "tracks/dialog_state_win.h"

void EnableTagFields(const DialogState& state, bool enable);
// LBN_SELCHANGE of the file list: refresh, then show the common values or disable.
void TakeSelectionChange(DialogState& state);
// Shows what the selected tracks now share where it differs from what the fields show (tags
// that arrived), leaving the other fields, and a caret in them, alone.
void ShowChangedTagValues(DialogState& state);
// Refresh, read the seven fields, write them into the selected tracks, repaint.
void ApplyTagFields(DialogState& state);
