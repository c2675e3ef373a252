// What the tag reader's threads take and give: the result of one file, the reading function
// (a test may give its own), and how many threads may be alive at once.
#pragma once
#include <windows.h>

#include "sources/source_tags.h"

// Posted to the dialog when results wait where none waited before.
constexpr UINT kSourceTagsArrived = WM_APP + 20;

struct TagResult {
    uint32_t id = 0;  // the record's TrackRecord::id
    SourceTags tags;
};

// Threads alive at once, those stalled in a file included: a share that stops answering holds
// one of them, never more.
constexpr int kMostTagReadingThreads = 8;

// Reads one file's tags: ReadSourceTags, or a test's own.
using TagFileReader = bool (*)(const char16_t* path, SourceTags& tags);
