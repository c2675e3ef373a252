// PointerArray template definitions; included by pointer_array.h only.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <cstring>

template <class T>
bool PointerArray<T>::EnsureRoom() {
    if (count_ + 1 < capacity_) return true;
    if (capacity_ > UINT32_MAX - 8) return false;
    return GrowTo(capacity_ + 8);
}

template <class T>
bool PointerArray<T>::ReserveRoom(uint32_t more) {
    const uint64_t needed = uint64_t(count_) + more + 1;  // one slot always stays free
    if (needed <= capacity_) return true;
    const uint64_t grown = (needed + 7) / 8 * 8;
    if (grown > UINT32_MAX - 7) return false;
    return GrowTo(static_cast<uint32_t>(grown));
}

template <class T>
bool PointerArray<T>::GrowTo(uint32_t grown) {
    // An overflowing byte size asks for the largest size, which fails.
    const size_t bytes = grown > SIZE_MAX / sizeof(T*) ? SIZE_MAX : size_t(grown) * sizeof(T*);
    auto** block = static_cast<T**>(std::malloc(bytes));
    if (!block) return false;
    if (count_) std::memcpy(block, items_, size_t(count_) * sizeof(T*));
    std::free(items_);
    items_ = block;
    capacity_ = grown;
    return true;
}

template <class T>
bool PointerArray<T>::Add(T* item) {
    if (!EnsureRoom()) return false;
    items_[count_++] = item;
    return true;
}

template <class T>
bool PointerArray<T>::InsertAt(uint32_t index, T* item) {
    if (index >= count_) return Add(item);
    if (!EnsureRoom()) return false;
    std::memmove(items_ + index + 1, items_ + index, size_t(count_ - index) * sizeof(T*));
    items_[index] = item;
    ++count_;
    return true;
}

template <class T>
bool PointerArray<T>::RemoveAt(uint32_t index) {
    if (index >= count_) return false;
    if (index + 1 < count_)
        std::memmove(items_ + index, items_ + index + 1, size_t(count_ - index - 1) * sizeof(T*));
    --count_;
    FreeBlockWhenEmpty();
    return true;
}

template <class T>
bool PointerArray<T>::DeleteAt(uint32_t index) {
    if (count_ == 0 || index >= count_) return false;
    T* item = items_[index];
    items_[index] = nullptr;
    delete item;
    return RemoveAt(index);
}

template <class T>
void PointerArray<T>::DeleteAll() {
    // Last to first; the count falls before each item goes, so the array never
    // shows a destroyed item.
    while (count_ > 0) {
        T* item = items_[--count_];
        items_[count_] = nullptr;
        delete item;
    }
    std::free(items_);
    items_ = nullptr;
    capacity_ = 0;
}

// An emptied array gives a block larger than the first one back.
template <class T>
void PointerArray<T>::FreeBlockWhenEmpty() {
    if (count_ != 0 || capacity_ <= 8) return;
    std::free(items_);
    items_ = nullptr;
    capacity_ = 0;
}
