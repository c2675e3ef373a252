// The five encoder option lists of the dialog and their interplay.
#pragma once
#include "foundation/wide_string.h"

void FillOptionLists();
void PresetReaction();
void OptionCompositionStep();
void VbrSwitchRule();
// Composes the option arguments from the current selections of the lists.
void ComposeOptionArgumentsFromControls(WideString& arguments);
