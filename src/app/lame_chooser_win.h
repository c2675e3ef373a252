// "<" beside the Lame.exe path: pick the encoder with the open-file dialog.
#pragma once
#include "tracks/dialog_state_win.h"

void ChooseLameExe(const DialogState& state);
