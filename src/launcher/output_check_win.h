// Before a launcher is written: no track may overwrite another's file, and files that
// exist already are replaced only when the user says so.
#pragma once
#include <functional>

#include "tracks/dialog_state_win.h"

enum class OutputCheck {
    kClear,     // write the launcher
    kStopped,   // a clash was shown, or the user kept the existing files
    kNoMemory,  // the check could not be made
};

// Refuses a batch with a clash (one message naming the tracks) and asks once about outputs
// that are files already. decode: the common arguments ask the encoder to decode.
// alongside: work for the calling thread while another one looks for the existing outputs
// (under Wine, reading the folders costs as much as making the whole launcher text); it runs
// before any question, and not at all when a clash stops the batch. It may read the tracks
// but not change them, and shows nothing.
OutputCheck CheckTrackOutputs(const DialogState& state, bool decode,
                              const std::function<void()>& alongside = {});
