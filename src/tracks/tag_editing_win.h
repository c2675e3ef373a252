// Editing the seven tag fields for the selected tracks.
#pragma once
#include <windows.h>
#include "foundation/wide_string.h"

// Reads a control's text trimmed of blanks and tabs; yields the untrimmed length.
uint32_t ReadField(int controlId, WideString& text);
int RefreshSelectedIndices();
void EnableTagFields(bool enable);
// LBN_SELCHANGE of the file list: refresh, then show the common values or disable.
void TakeSelectionChange();
// Refresh, read the seven fields, write them into the selected tracks, repaint.
void ApplyTagFields();
// Clears the selection bookkeeping and the tag edit values (new dialog).
void ResetTagEditing();
