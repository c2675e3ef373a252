// The common arguments as the main dialog's controls give them.
#pragma once
#include "foundation/wide_string.h"
#include "tracks/dialog_state_win.h"

// The option lists' arguments followed by the extra arguments typed (ComposeCommonArguments).
WideString ComposeCommonArgumentsFromControls(const DialogState& state);
