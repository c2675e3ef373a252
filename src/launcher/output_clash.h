// Tracks that would lose a file when the launcher runs: two tracks with one output, a track
// whose output is a track's source (its own included), one source dropped twice.
#pragma once
#include <cstdint>

#include "foundation/pointer_array.h"
#include "foundation/wide_string.h"
#include "launcher/same_file_names.h"
#include "tracks/track_record.h"

// Each track's output as its callRun line names it, in track order.
class TrackOutputs {
  public:
    TrackOutputs() = default;
    TrackOutputs(const TrackOutputs&) = delete;
    TrackOutputs& operator=(const TrackOutputs&) = delete;
    ~TrackOutputs() { delete[] outputs_; }

    // False when memory ran out.
    bool Fill(const PointerArray<TrackRecord>& tracks, bool decode);
    uint32_t Count() const { return count_; }
    // Empty for a missing record or one without a path.
    const WideString& Output(uint32_t track) const { return outputs_[track]; }

  private:
    WideString* outputs_ = nullptr;
    uint32_t count_ = 0;
};

// Sets clashing[i] for every track in a clash and yields how many they are; -1 when memory
// ran out. clashing holds one flag per output. Tracks without a path take no part.
int64_t FindClashingTracks(const PointerArray<TrackRecord>& tracks, const TrackOutputs& outputs,
                           SameFileNameTest same, bool* clashing);

// One line per flagged track, CR LF between them: "<source> -> <output's file name>", or only
// the output's path when withSource is false. The first `shown` of them, then "... und <n>
// weitere".
WideString ListFlaggedTracks(const PointerArray<TrackRecord>& tracks, const TrackOutputs& outputs,
                             const bool* flagged, bool withSource, uint32_t shown);
