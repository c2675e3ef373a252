// Tracks that would lose a file when the launcher runs: two tracks with one output, a track
// whose output is a track's source (its own included), one source dropped twice.
#pragma once
#include <cstdint>
#include <memory>

#include "foundation/pointer_array.h"
#include "foundation/wide_string.h"
#include "outputs/same_file_names.h"
#include "tracks/track_record.h"
#include "win/output_settings.h"

class OutputNamer;

// An output's path: a NUL-terminated piece of the block TrackOutputs holds.
class OutputPath {
  public:
    OutputPath(const char16_t* text, uint32_t length) : text_(text), length_(length) {}
    const char16_t* Text() const { return text_; }
    uint32_t Length() const { return length_; }
    bool IsEmpty() const { return length_ == 0; }
    // The file name: what follows the last backslash, or the whole path.
    const char16_t* FileName() const;

  private:
    const char16_t* text_;
    uint32_t length_;
};

// Each track's output as its callRun line names it, in track order, in one block: a save
// names thousands of them, and one allocation each would cost more than the check itself.
// Made once per save and read by the clash check, the search for existing outputs, the
// identity check, the folders made and the callRun lines.
class TrackOutputs {
  public:
    // False when memory ran out or the outputs are too long to be held. settings: where the
    // outputs go and what they are called; null: beside the source, under its name.
    bool Fill(const PointerArray<TrackRecord>& tracks, bool decode,
              const OutputSettings* settings = nullptr);
    // Whether the outputs lie beside their sources under their names, as the callRun rules
    // name them without being told.
    bool NamedAsBefore() const { return asBefore_; }
    // Drops the outputs flagged (one flag per output), keeping the others' paths and order:
    // each was named with the whole batch in view (its common folder), not only the rest.
    void LeaveOut(const bool* leftOut);
    uint32_t Count() const { return count_; }
    // Empty for a missing record or one without a path.
    OutputPath Output(uint32_t track) const {
        return {units_.get() + starts_[track], starts_[track + 1] - starts_[track] - 1};
    }

  private:
    std::unique_ptr<char16_t[]> units_;
    std::unique_ptr<uint32_t[]> starts_;  // count_ + 1 of them; each output ends in a NUL
    uint32_t count_ = 0;
    bool asBefore_ = true;

    bool FillFromPattern(const PointerArray<TrackRecord>& tracks, bool decode, OutputNamer& namer);
};

// Sets clashing[i] for every track in a clash and yields how many they are; -1 when memory
// ran out. clashing holds one flag per output. Tracks without a path take no part.
int64_t FindClashingTracks(const PointerArray<TrackRecord>& tracks, const TrackOutputs& outputs,
                           SameFileNameTest same, bool* clashing);

// The flagged tracks, one line each with CR LF between them: the first `shown` of them, then
// "... und <n> weitere". A clash's line is "<source> -> <output's file name>".
WideString ListClashingTracks(const PointerArray<TrackRecord>& tracks, const TrackOutputs& outputs,
                              const bool* flagged, uint32_t shown);
// An existing output's line is its path.
WideString ListExistingOutputs(const TrackOutputs& outputs, const bool* flagged, uint32_t shown);
