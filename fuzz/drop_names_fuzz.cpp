// The names of a drop block, which another program wrote: the header is accepted only when
// it fits the block, the walk yields exactly the terminated names up to the empty one and
// never reads outside the block (the sanitizer watches the exact-size input), and the count
// agrees with the walk.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "launcher_decoder.h"
#include "tracks/drop_names.h"

namespace {

constexpr const char* kTarget = "drop_names";

uint32_t ReadLe32(const uint8_t* bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// The names as units (a byte each for 8-bit names): each ended by a NUL unit; the list ends
// at an empty name or at a name that the block does not terminate.
std::vector<std::u16string> ExpectedNames(const uint8_t* data, size_t size, size_t offset,
                                          bool wide) {
    std::vector<std::u16string> names;
    std::u16string name;
    const size_t step = wide ? 2 : 1;
    for (size_t at = offset; at + step <= size; at += step) {
        const char16_t unit = wide ? static_cast<char16_t>(data[at] | data[at + 1] << 8) : data[at];
        if (unit != 0) {
            name += unit;
            continue;
        }
        if (name.empty()) break;
        names.push_back(name);
        name.clear();
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DropNameCursor cursor;
    const bool opened = OpenDropBlock(data, size, cursor);
    const size_t offset = size >= 20 ? ReadLe32(data) : 0;
    const bool wide = size >= 20 && ReadLe32(data + 16) != 0;
    const bool valid = size >= 20 && offset >= 20 && offset < size && !(wide && offset % 2);
    FUZZ_CHECK(kTarget, opened == valid,
               "size " + std::to_string(size) + ", offset " + std::to_string(offset));
    if (!opened) return 0;

    const std::vector<std::u16string> expected = ExpectedNames(data, size, offset, wide);
    FUZZ_CHECK(kTarget, CountDroppedNames(cursor) == expected.size(),
               std::to_string(CountDroppedNames(cursor)) + " names counted, expected " +
                   std::to_string(expected.size()));
    WideString name;
    for (size_t i = 0; i < expected.size(); ++i) {
        auto where = [&] {
            return "name " + std::to_string(i) + " '" + Printable(Str(name)) + "', expected '" +
                   Printable(expected[i]) + "'";
        };
        FUZZ_CHECK(kTarget, NextDroppedName(cursor, name), where());
        const std::u16string got = Str(name);
        if (wide) {
            FUZZ_CHECK(kTarget, got == expected[i], where());
            continue;
        }
        // 8-bit names come through the ANSI code page: one unit per byte, ASCII and Latin-1
        // bytes as they are.
        FUZZ_CHECK(kTarget, got.size() == expected[i].size(), where());
        for (size_t k = 0; k < got.size(); ++k)
            if (expected[i][k] < 0x80 || expected[i][k] >= 0xA0)
                FUZZ_CHECK(kTarget, got[k] == expected[i][k], where());
    }
    // The end stays the end.
    FUZZ_CHECK(kTarget, !NextDroppedName(cursor, name) && name.IsEmpty(), "walk past the end");
    FUZZ_CHECK(kTarget, !NextDroppedName(cursor, name), "walk past the end, twice");
    return 0;
}
