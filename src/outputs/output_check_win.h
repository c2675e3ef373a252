// Before a launcher is written: no track may overwrite another's file, and files that
// exist already are replaced only when the user says so.
#pragma once
#include <memory>

#include "outputs/existing_outputs_win.h"
#include "outputs/output_clash.h"
#include "tracks/dialog_state_win.h"

enum class OutputCheckResult {
    kClear,       // go on
    kStopped,     // a clash was shown, or the user kept the existing files
    kAllLeftOut,  // every output exists and existing ones are left out: nothing to write
    kNoMemory,    // the check could not be made
};

// The check in the writer's order: the clashes, then (after the writer's own work) the
// question about outputs that are files already. The folders are searched for those on a
// thread of its own from the start, since under Wine reading them costs as much as making the
// whole launcher text. The tracks must not change while the check lives.
class OutputCheck {
  public:
    // Names every track's output where the settings put it; decode: the common arguments ask
    // the encoder to decode.
    OutputCheck(const PointerArray<TrackRecord>& tracks, bool decode,
                const OutputSettings& settings);

    // Refuses a batch with a clash, with one message naming the tracks.
    OutputCheckResult RefuseClashes(HWND owner);
    // Waits for the search; refuses a batch whose outputs are, by identity, its sources or
    // each other, as RefuseClashes does; else asks once about the outputs found, or, with
    // skipExisting, leaves their tracks out of Outputs() without asking (see LeftOut()).
    OutputCheckResult ConfirmExistingOutputs(HWND owner, bool skipExisting);
    // The tracks left out because their output exists (one flag per track the check was made
    // for), and how many; null and 0 when none was.
    const bool* LeftOut() const { return leftOut_ > 0 ? existing_.get() : nullptr; }
    uint32_t LeftOutCount() const { return leftOut_; }
    // Every track's output, named once for the save: for the folders made and the callRun
    // lines. Null when the check could not be made.
    const TrackOutputs* Outputs() const { return ready_ ? &outputs_ : nullptr; }

  private:
    const PointerArray<TrackRecord>& tracks_;
    TrackOutputs outputs_;
    std::unique_ptr<bool[]> clashing_;
    std::unique_ptr<bool[]> existing_;
    std::unique_ptr<bool[]> sameFiles_;  // the tracks that clash by the files' identity
    bool ready_ = false;
    uint32_t leftOut_ = 0;
    std::unique_ptr<ExistingOutputsSearch> search_;
};
