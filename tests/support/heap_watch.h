// The unit tests' operator new keeps count of the bytes allocated through it (tests/unit/
// heap_watch.cpp), so that a test can tell how much memory a piece of work took at its peak.
#pragma once
#include <cstddef>

// Starts a new peak at the bytes live now.
void ResetHeapPeak();
// The most bytes that were live at once since the reset, above what was live at the reset.
size_t HeapPeakSinceReset();
