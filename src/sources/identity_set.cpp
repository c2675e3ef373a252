#include "sources/identity_set.h"

#include <new>

namespace {

uint32_t SlotOf(uint32_t volume, uint64_t file, uint32_t mask) {
    uint64_t mixed = (file ^ (uint64_t(volume) << 32)) * 0x9E3779B97F4A7C15ull;
    mixed ^= mixed >> 29;
    return uint32_t(mixed) & mask;
}

}  // namespace

IdentitySet::~IdentitySet() {
    delete[] slots_;
}

bool IdentitySet::Grow() {
    const uint32_t capacity = capacity_ == 0 ? 1024 : capacity_ * 2;
    if (capacity == 0) return false;
    Slot* slots = new (std::nothrow) Slot[capacity]();
    if (slots == nullptr) return false;
    for (uint32_t i = 0; i < capacity_; ++i) {
        if (!slots_[i].used) continue;
        uint32_t at = SlotOf(slots_[i].volume, slots_[i].file, capacity - 1);
        while (slots[at].used) at = (at + 1) & (capacity - 1);
        slots[at] = slots_[i];
    }
    delete[] slots_;
    slots_ = slots;
    capacity_ = capacity;
    return true;
}

bool IdentitySet::Add(uint32_t volume, uint64_t file) {
    // At most half full, so a search always ends at an empty slot soon.
    if ((count_ + 1) * 2 > capacity_ && !Grow()) return false;
    const uint32_t mask = capacity_ - 1;
    uint32_t at = SlotOf(volume, file, mask);
    while (slots_[at].used) {
        if (slots_[at].file == file && slots_[at].volume == volume) return false;
        at = (at + 1) & mask;
    }
    slots_[at] = Slot{file, volume, true};
    ++count_;
    return true;
}
