// Names that stand for one file: Windows compares file names without regard to letter case,
// so "Band.mp3" and "BAND.MP3" are one file. Found by sorting, never by comparing every pair.
#pragma once
#include <cstdint>

// Whether two names are one file name (on Windows CompareStringOrdinal ignoring case).
using SameFileNameTest = bool (*)(const char16_t* a, uint32_t aLength, const char16_t* b,
                                  uint32_t bLength);

struct NamedItem {
    const char16_t* name;
    uint32_t length;
    uint32_t item;  // the caller's number for what the name belongs to
    uint64_t key = 0;
    bool startsGroup = false;
};

// Reorders the items so that those whose names the test finds equal stand together, each
// such group starting with an item whose startsGroup is set. Names are keyed by a hash of
// their units upper-cased one by one, and a group holds only names the test confirms.
void GroupSameFileNames(NamedItem* items, uint32_t count, SameFileNameTest same);

// The end of the group that starts at `start` (the index of the next group's first item).
uint32_t GroupEnd(const NamedItem* items, uint32_t count, uint32_t start);
