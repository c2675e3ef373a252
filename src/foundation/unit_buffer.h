// A plain growable block of UTF-16 units, for text assembled piece by piece.
#pragma once
#include <cstdint>

// Makes room for `needed` units, keeping what the block holds: grown to twice the need, so
// a block filled piece by piece is copied a few times, not once per piece. False when memory
// ran out or the need is too large.
bool ReserveUnits(char16_t*& buffer, uint32_t& capacity, uint64_t needed);
