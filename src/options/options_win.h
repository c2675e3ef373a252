// The five encoder option lists of the dialog and their interplay.
#pragma once
#include "foundation/wide_string.h"
#include "tracks/dialog_state_win.h"

void FillOptionLists(const DialogState& state);
// The drop-down of "Prg.:" is wider than its box, by a width scaled to the dialog's DPI.
void SetPresetDropDownWidth(const DialogState& state);
// Any notification of "Prg.:": a preset overrides the other lists; recomposes "Param.:".
void TakePresetChoice(const DialogState& state);
// Any notification of "CBR/VBR:": "max.:" and " --vbr-new" follow the quality.
void TakeQualityChoice(const DialogState& state);
// A new selection in "Modus:", "kBit/s:", "max.:" or "CBR/VBR:": recomposes "Param.:".
void ShowOptionArguments(const DialogState& state);
// Composes the option arguments from the current selections of the lists.
void ComposeOptionArgumentsFromControls(const DialogState& state, WideString& arguments);
