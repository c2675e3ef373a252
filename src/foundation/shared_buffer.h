// The buffer-record rules that WideString and NarrowString share: release by
// the last holder, 8k+7 sizing with block reuse, copy on write.
// Records are {characters, capacity, referenceCount}; Unit is char16_t or char.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

namespace shared_buffer {

template <class Record>
using UnitOf = std::remove_pointer_t<decltype(Record::characters)>;

// Byte size of a block of n units; an overflowing size asks for the largest
// possible size, which the allocator refuses.
template <class Unit>
size_t BlockBytes(uint64_t units) {
    if (units > SIZE_MAX / sizeof(Unit)) return SIZE_MAX;
    return static_cast<size_t>(units) * sizeof(Unit);
}

template <class Record>
void Release(Record*& record) {
    if (!record) return;
    if (--record->referenceCount <= 0) {
        std::free(record->characters);
        delete record;
    }
    record = nullptr;
}

// Gives the record a block for m units (text plus terminator), first unit NUL.
// The block is kept when the need is above four fifths of it.
template <class Record>
bool Reserve(Record* record, uint64_t m) {
    using Unit = UnitOf<Record>;
    const uint64_t needed = m | 7u;
    if (record->characters && needed <= record->capacity &&
        static_cast<uint64_t>(record->capacity / 10) * 8 < needed) {
        record->characters[0] = 0;
        return true;
    }
    std::free(record->characters);
    record->characters = nullptr;
    record->capacity = 0;
    record->referenceCount = 1;
    if (needed > UINT32_MAX) return false;
    auto* block = static_cast<Unit*>(std::malloc(BlockBytes<Unit>(needed)));
    if (!block) return false;
    block[0] = 0;
    record->characters = block;
    record->capacity = static_cast<uint32_t>(needed);
    return true;
}

// A unique record with room for n units and the terminator, text emptied.
// On lack of memory the string keeps a record without characters (empty).
template <class Record>
bool PrepareBuffer(Record*& record, uint32_t n) {
    if (record && record->referenceCount > 1) {
        --record->referenceCount;
        record = nullptr;
    }
    if (!record) {
        record = new (std::nothrow) Record{nullptr, 0, 0};
        if (!record) return false;
    }
    return Reserve(record, static_cast<uint64_t>(n) + 1);
}

// Copy on write: a shared record is left to its other holders and this string
// takes a private copy of every unit of the block. Without memory for the copy
// the string is left empty rather than writing into a shared block.
template <class Record>
void MakeUnique(Record*& record) {
    using Unit = UnitOf<Record>;
    if (!record || record->referenceCount <= 1) return;
    Record* shared = record;
    --shared->referenceCount;
    record = new (std::nothrow) Record{nullptr, 0, 0};
    if (!record) return;
    if (Reserve(record, shared->capacity) && shared->characters)
        std::memcpy(record->characters, shared->characters, BlockBytes<Unit>(shared->capacity));
}

template <class Record>
void Truncate(Record*& record, uint32_t n) {
    if (!record || n >= record->capacity) return;
    MakeUnique(record);
    if (record && record->characters && n < record->capacity) record->characters[n] = 0;
}

}  // namespace shared_buffer
