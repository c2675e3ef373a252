// Tracks whose output is, by what the files are, a source of the batch or another track's
// output, whatever the paths say.
#pragma once
#include <atomic>
#include <cstdint>

#include "outputs/output_clash.h"

// Sets clashing[i] for every such track and yields how many they are; -1 when memory ran out
// or stop was set (from another thread). existing: the flags of the outputs that are files
// already (FindExistingOutputs). Each distinct folder of the sources and outputs is opened
// once; files only where an output exists (or may be a short name): that output, and the
// sources on its volume.
int64_t FindIdentityClashes(const PointerArray<TrackRecord>& tracks, const TrackOutputs& outputs,
                            const bool* existing, bool* clashing,
                            const std::atomic<bool>* stop = nullptr);
