// A 64-bit FNV-1a hash of some bytes: quick, and spread well enough for tables and for telling
// pictures apart.
#pragma once
#include <cstddef>
#include <cstdint>

inline uint64_t HashOfBytes(const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    uint64_t hash = 14695981039346656037ull;
    for (size_t i = 0; i < size; ++i) {
        hash ^= bytes[i];
        hash *= 1099511628211ull;
    }
    return hash;
}
