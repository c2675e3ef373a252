// The selected rows of the file list, as of their last refresh (RefreshSelectedIndices).
#pragma once
#include <cstdint>

// Ascending row indices; valid for SelectedIndexCount() entries.
const int* SelectedIndices();
uint32_t SelectedIndexCount();
// Lets the storage go (a new dialog starts without a selection).
void ForgetSelectedIndices();
