// Global operator new and delete that count live bytes (every thread), with a size header in
// front of each block. Aligned forms are left to the library: they allocate on their own.
#include "support/heap_watch.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

constexpr size_t kHeader = 16;  // keeps the block aligned as malloc's
std::atomic<size_t> live{0};
std::atomic<size_t> peak{0};
std::atomic<size_t> base{0};

void* Allocate(size_t size) noexcept {
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (block == nullptr) return nullptr;
    *reinterpret_cast<size_t*>(block) = size;
    const size_t now = live.fetch_add(size) + size;
    size_t seen = peak.load();
    while (now > seen && !peak.compare_exchange_weak(seen, now)) {
    }
    return block + kHeader;
}

void Free(void* pointer) noexcept {
    if (pointer == nullptr) return;
    auto* block = static_cast<unsigned char*>(pointer) - kHeader;
    live.fetch_sub(*reinterpret_cast<size_t*>(block));
    std::free(block);
}

}  // namespace

void ResetHeapPeak() {
    base = live.load();
    peak = base.load();
}

size_t HeapPeakSinceReset() {
    return peak.load() - base.load();
}

void* operator new(size_t size) {
    void* pointer = Allocate(size);
    if (pointer == nullptr) throw std::bad_alloc();
    return pointer;
}
void* operator new[](size_t size) {
    return operator new(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* pointer) noexcept {
    Free(pointer);
}
void operator delete[](void* pointer) noexcept {
    Free(pointer);
}
void operator delete(void* pointer, size_t) noexcept {
    Free(pointer);
}
void operator delete[](void* pointer, size_t) noexcept {
    Free(pointer);
}
void operator delete(void* pointer, const std::nothrow_t&) noexcept {
    Free(pointer);
}
void operator delete[](void* pointer, const std::nothrow_t&) noexcept {
    Free(pointer);
}
