// Outputs of a batch that exist as files already.
#pragma once
#include <atomic>
#include <cstdint>

#include "launcher/output_clash.h"

// Sets existing[i] for every track whose output is a file already and yields how many they
// are; -1 when memory ran out. existing holds one flag per output. Once stop is set (from
// another thread) no further folder is searched, and the result is incomplete.
int64_t FindExistingOutputs(const TrackOutputs& outputs, bool* existing,
                            const std::atomic<bool>* stop = nullptr);
