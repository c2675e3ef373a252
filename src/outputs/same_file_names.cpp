#include "outputs/same_file_names.h"

#include <algorithm>

#include "foundation/text_services.h"

namespace {

char16_t FoldedUnit(char16_t unit) {
    // ASCII without a call per unit: paths are mostly ASCII.
    if (unit < 0x80) return unit >= u'a' && unit <= u'z' ? char16_t(unit - 0x20) : unit;
    return UpperUnit(unit);
}

}  // namespace

// FNV-1a over the upper-cased units.
uint64_t FileNameKey(const char16_t* name, uint32_t length) {
    uint64_t key = 0xCBF29CE484222325u;
    for (uint32_t i = 0; i < length; ++i) {
        key ^= FoldedUnit(name[i]);
        key *= 0x100000001B3u;
    }
    return key;
}

void GroupSameFileNames(NamedItem* items, uint32_t count, SameFileNameTest same) {
    for (uint32_t i = 0; i < count; ++i) {
        items[i].key = FileNameKey(items[i].name, items[i].length);
        items[i].startsGroup = false;
    }
    // Ties by the caller's number, so the order is the same on every run.
    std::sort(items, items + count, [](const NamedItem& a, const NamedItem& b) {
        return a.key != b.key ? a.key < b.key : a.item < b.item;
    });
    // Within a run of one key, each ungrouped item gathers the later ones the test finds
    // equal to it. A run nearly always holds one group, so this is linear in practice.
    for (uint32_t runStart = 0; runStart < count;) {
        uint32_t runEnd = runStart + 1;
        while (runEnd < count && items[runEnd].key == items[runStart].key) ++runEnd;
        for (uint32_t first = runStart; first < runEnd;) {
            items[first].startsGroup = true;
            uint32_t groupEnd = first + 1;
            for (uint32_t k = first + 1; k < runEnd; ++k) {
                if (!same(items[first].name, items[first].length, items[k].name, items[k].length))
                    continue;
                // Moved up behind the group; the items passed over keep their order.
                std::rotate(items + groupEnd, items + k, items + k + 1);
                ++groupEnd;
            }
            first = groupEnd;
        }
        runStart = runEnd;
    }
}

uint32_t GroupEnd(const NamedItem* items, uint32_t count, uint32_t start) {
    uint32_t end = start + 1;
    while (end < count && !items[end].startsGroup) ++end;
    return end;
}

int64_t FlagSameFileNames(NamedItem* items, uint32_t count, SameFileNameTest same, bool* flagged) {
    GroupSameFileNames(items, count, same);
    int64_t found = 0;
    for (uint32_t start = 0; start < count;) {
        const uint32_t end = GroupEnd(items, count, start);
        for (uint32_t k = start; end - start > 1 && k < end; ++k) {
            if (!flagged[items[k].item]) ++found;
            flagged[items[k].item] = true;
        }
        start = end;
    }
    return found;
}
