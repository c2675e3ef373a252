// Outputs of a batch that exist as files already.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "outputs/output_clash.h"

// Starts reading the files of a folder that fit a pattern, as FindFirstFileExW does (the
// default); the tests give one that fails, as a folder that may not be read does.
using FindFirstName = HANDLE (*)(const char16_t* pattern, WIN32_FIND_DATAW* found);
HANDLE FindFirstOutputName(const char16_t* pattern, WIN32_FIND_DATAW* found);

// Sets existing[i] for every track whose output is a file already and yields how many they
// are; -1 when memory ran out. existing holds one flag per output. Once stop is set (from
// another thread) no further folder is searched, and the result is incomplete.
int64_t FindExistingOutputs(const TrackOutputs& outputs, bool* existing,
                            const std::atomic<bool>* stop = nullptr,
                            FindFirstName findFirst = FindFirstOutputName);

// FindExistingOutputs on a thread of its own, started at once, and, given the tracks,
// IdentityClashFinder keying the folders meanwhile on another, then finding the clashes with
// what the search found; on the caller's thread, also at once, when no thread can be made. The
// worker reads only the outputs' block and writes only the flags: it never copies a WideString the
// dialog holds, whose count is not atomic. The outputs and flags must outlive it.
class ExistingOutputsSearch {
  public:
    ExistingOutputsSearch(const TrackOutputs& outputs, bool* existing,
                          const PointerArray<TrackRecord>* tracks = nullptr,
                          bool* clashing = nullptr);
    ExistingOutputsSearch(const ExistingOutputsSearch&) = delete;
    ExistingOutputsSearch& operator=(const ExistingOutputsSearch&) = delete;
    ~ExistingOutputsSearch() { Abandon(); }

    // How many outputs exist (-1: memory ran out), once the search is complete.
    int64_t Finish();
    // How many tracks clash by identity (-1: memory ran out), after Finish.
    int64_t IdentityClashes() const { return clashes_; }
    // Ends the search at the next folder and waits for it; its result is of no use then.
    void Abandon();

  private:
    static DWORD WINAPI Run(void* context);
    static DWORD WINAPI SearchOutputs(void* context);

    const TrackOutputs& outputs_;
    bool* existing_;
    const PointerArray<TrackRecord>* tracks_;
    bool* clashing_;
    std::atomic<bool> stop_{false};
    int64_t found_ = -1;
    int64_t clashes_ = 0;
    HANDLE thread_ = nullptr;
};
