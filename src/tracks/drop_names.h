// Reading the file names of a drop block (the DROPFILES memory behind an HDROP) in one
// walk. DragQueryFileW with an index walks the list from its start on every call, which
// makes fetching a large drop name by name quadratic.
#pragma once
#include <cstddef>
#include <cstdint>
#include "foundation/wide_string.h"

struct DropNameCursor {
    const unsigned char* next = nullptr;
    const unsigned char* end = nullptr;
    bool wide = false;
};

// Reads the DROPFILES header (pFiles at byte 0, fWide at byte 16; 20 bytes in all) of a block
// of the given size. False when the block cannot be one: too short, names outside it, or
// wide names at an odd offset.
bool OpenDropBlock(const void* block, size_t size, DropNameCursor& cursor);

// The next name, whole, whatever its length; 8-bit names are converted from the ANSI code
// page, as DragQueryFileW does. False at the empty name that ends the list, or when the
// next name is not terminated inside the block.
bool NextDroppedName(DropNameCursor& cursor, WideString& name);

// How many names a walk from this cursor yields.
uint32_t CountDroppedNames(DropNameCursor cursor);
