// Names that stand for one file: Windows compares file names without regard to letter case,
// so "Band.mp3" and "BAND.MP3" are one file. Found by sorting, never by comparing every pair.
//
// Names are keyed by their units upper-cased one by one (UpperUnit, CharUpperW on Windows),
// and only names of one key are ever compared. So every two names the test finds equal must
// fold to the same units: for CompareStringOrdinal ignoring case, every unit it takes as equal
// to another must have the same UpperUnit. A unit breaking that would hide a clash; a test
// checks the rule over all 65,536 UTF-16 units against the system the tests run on.
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

// Compares as the file system does: without regard to case, unit by unit
// (CompareStringOrdinal ignoring case). Windows only.
bool SameFileName(const char16_t* a, uint32_t aLength, const char16_t* b, uint32_t bLength);

// The key of a name: a hash of its units upper-cased one by one.
uint64_t FileNameKey(const char16_t* name, uint32_t length);

// Reorders the items so that those whose names the test finds equal stand together, each
// such group starting with an item whose startsGroup is set. A group holds only names of one
// key that the test confirms.
void GroupSameFileNames(NamedItem* items, uint32_t count, SameFileNameTest same);

// The end of the group that starts at `start` (the index of the next group's first item).
uint32_t GroupEnd(const NamedItem* items, uint32_t count, uint32_t start);

// Groups the items (GroupSameFileNames) and sets flagged[item] for each item in a group of
// two or more; yields how many flags it set that were clear. flagged holds one flag per
// caller's number.
int64_t FlagSameFileNames(NamedItem* items, uint32_t count, SameFileNameTest same, bool* flagged);
