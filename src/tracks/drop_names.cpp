#include "tracks/drop_names.h"

#include <cstring>

namespace {
constexpr size_t kHeaderSize = 20;
constexpr size_t kFilesOffsetAt = 0;
constexpr size_t kWideFlagAt = 16;

uint32_t ReadUint32(const unsigned char* bytes) {
    uint32_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// Units of a name before its terminator; false when no terminator lies before the end.
bool FindNameEnd(const DropNameCursor& cursor, size_t& units) {
    const size_t unitSize = cursor.wide ? 2 : 1;
    const size_t available = static_cast<size_t>(cursor.end - cursor.next) / unitSize;
    for (units = 0; units < available; ++units) {
        const unsigned char* unit = cursor.next + units * unitSize;
        if (unit[0] == 0 && (!cursor.wide || unit[1] == 0)) return true;
    }
    return false;
}
}  // namespace

bool OpenDropBlock(const void* block, size_t size, DropNameCursor& cursor) {
    if (block == nullptr || size < kHeaderSize) return false;
    const auto* bytes = static_cast<const unsigned char*>(block);
    const uint32_t filesOffset = ReadUint32(bytes + kFilesOffsetAt);
    const bool wide = ReadUint32(bytes + kWideFlagAt) != 0;
    if (filesOffset < kHeaderSize || filesOffset >= size) return false;
    if (wide && filesOffset % 2 != 0) return false;
    cursor.next = bytes + filesOffset;
    cursor.end = bytes + size;
    cursor.wide = wide;
    return true;
}

bool NextDroppedName(DropNameCursor& cursor, WideString& name) {
    size_t units = 0;
    if (cursor.next == nullptr || !FindNameEnd(cursor, units) || units == 0) {
        name.Clear();
        cursor.next = cursor.end;
        return false;
    }
    if (cursor.wide) {
        name.AssignText(reinterpret_cast<const char16_t*>(cursor.next),
                        static_cast<uint32_t>(units));
        cursor.next += (units + 1) * 2;
    } else {
        name.AssignAnsi(reinterpret_cast<const char*>(cursor.next));
        cursor.next += units + 1;
    }
    return true;
}

uint32_t CountDroppedNames(DropNameCursor cursor) {
    uint32_t count = 0;
    size_t units = 0;
    const size_t unitSize = cursor.wide ? 2 : 1;
    while (cursor.next != nullptr && FindNameEnd(cursor, units) && units > 0) {
        ++count;
        cursor.next += (units + 1) * unitSize;
    }
    return count;
}
