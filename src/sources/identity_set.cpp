#include "sources/identity_set.h"

#include <cstring>
#include <new>

namespace {

uint32_t SlotOf(const FileIdentity& identity, uint32_t mask) {
    uint64_t low = 0, high = 0;
    std::memcpy(&low, identity.id, 8);
    std::memcpy(&high, identity.id + 8, 8);
    uint64_t mixed =
        (low ^ (high * 0xC2B2AE3D27D4EB4Full) ^ (identity.volume << 17)) * 0x9E3779B97F4A7C15ull;
    mixed ^= mixed >> 29;
    return uint32_t(mixed) & mask;
}

bool Same(const FileIdentity& a, const FileIdentity& b) {
    return a.volume == b.volume && std::memcmp(a.id, b.id, sizeof a.id) == 0;
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
        uint32_t at = SlotOf(slots_[i].identity, capacity - 1);
        while (slots[at].used) at = (at + 1) & (capacity - 1);
        slots[at] = slots_[i];
    }
    delete[] slots_;
    slots_ = slots;
    capacity_ = capacity;
    return true;
}

bool IdentitySet::Add(const FileIdentity& identity) {
    // At most half full, so a search always ends at an empty slot soon.
    if ((count_ + 1) * 2 > capacity_ && !Grow()) return false;
    const uint32_t mask = capacity_ - 1;
    uint32_t at = SlotOf(identity, mask);
    while (slots_[at].used) {
        if (Same(slots_[at].identity, identity)) return false;
        at = (at + 1) & mask;
    }
    slots_[at] = Slot{identity, true};
    ++count_;
    return true;
}
