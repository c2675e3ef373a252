// UTF-8 out: a text, or several pieces of one, converted as WideCharToMultiByte(CP_UTF8, 0)
// converts it whole; a lone surrogate becomes U+FFFD.
#pragma once
#include <cstdint>

#include "foundation/narrow_string.h"
#include "foundation/side_by_side.h"

struct TextPiece {
    const char16_t* text;
    uint32_t length;
};

// The bytes of the pieces joined, without the joined text ever being made: a pair of
// surrogates split between two pieces is still one character. Empty when memory runs out or
// the bytes would pass 2 GB. The block is sized as for the text with a terminator converted.
// sideBySide: how the two halves of the text are converted at once; null: one after the other.
NarrowString JoinAsUtf8(const TextPiece* pieces, uint32_t count, SideBySide sideBySide = nullptr);
