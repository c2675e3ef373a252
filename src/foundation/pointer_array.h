// PointerArray: a growable array of owned pointers, growing by 8 slots.
// The array owns its items; DeleteAt and DeleteAll destroy them with `delete`.
#pragma once
#include <cstdint>

template <class T>
class PointerArray {
  public:
    PointerArray() = default;
    PointerArray(const PointerArray&) = delete;
    PointerArray& operator=(const PointerArray&) = delete;
    ~PointerArray() { DeleteAll(); }

    uint32_t Count() const { return count_; }
    uint32_t Capacity() const { return capacity_; }
    T* const* Items() const { return items_; }

    bool EnsureRoom();
    // Room for `more` further items in one growth (still a multiple of 8 slots), so a bulk
    // of adds does not copy every pointer once per 8 items.
    bool ReserveRoom(uint32_t more);
    bool Add(T* item);
    bool InsertAt(uint32_t index, T* item);
    T* GetAt(uint32_t index) const { return index < count_ ? items_[index] : nullptr; }
    bool RemoveAt(uint32_t index);
    bool DeleteAt(uint32_t index);
    void DeleteAll();

  private:
    bool GrowTo(uint32_t capacity);
    void FreeBlockWhenEmpty();

    uint32_t count_ = 0;
    uint32_t capacity_ = 0;
    T** items_ = nullptr;
};

#include "foundation/pointer_array_impl.h"
