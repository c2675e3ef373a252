#include "foundation/unit_buffer.h"

#include <cstring>
#include <new>

bool ReserveUnits(char16_t*& buffer, uint32_t& capacity, uint64_t needed) {
    if (needed <= capacity) return true;
    if (needed >= UINT32_MAX / 2) return false;
    const uint32_t grown = uint32_t(needed * 2);
    char16_t* bigger = new (std::nothrow) char16_t[grown];
    if (!bigger) return false;
    if (buffer) std::memcpy(bigger, buffer, capacity * sizeof(char16_t));
    delete[] buffer;
    buffer = bigger;
    capacity = grown;
    return true;
}
