// Before a launcher is written: no track may overwrite another's file, and files that
// exist already are replaced only when the user says so.
#pragma once
#include "tracks/dialog_state_win.h"

enum class OutputCheck {
    kClear,     // write the launcher
    kStopped,   // a clash was shown, or the user kept the existing files
    kNoMemory,  // the check could not be made
};

// Refuses a batch with a clash (one message naming the tracks) and asks once about outputs
// that are files already. decode: the common arguments ask the encoder to decode.
OutputCheck CheckTrackOutputs(const DialogState& state, bool decode);
