#include "heap_count.h"

#include <cstdlib>
#include <new>

// The real C allocators behind the wrapped symbols (see the end of this file); the
// counting code calls them directly so it never counts itself twice.
extern "C" {
void* __real_malloc(std::size_t size);
void* __real_calloc(std::size_t count, std::size_t size);
void* __real_realloc(void* p, std::size_t size);
void __real_free(void* p);
}

// The checks run on one thread; plain counters keep the counting itself allocation-free.
namespace {
uint64_t allocations = 0;
int64_t live = 0;

void* counted(void* p) {
    if (p != nullptr) {
        ++allocations;
        ++live;
    }
    return p;
}

void released(void* p) {
    if (p != nullptr) --live;
}

void* allocate(std::size_t size) {
    void* p = __real_malloc(size == 0 ? 1 : size);
    return counted(p);
}

void* allocateAligned(std::size_t size, std::align_val_t align) {
    const auto a = static_cast<std::size_t>(align);
    const std::size_t rounded = (size + a - 1) / a * a;
    void* p = std::aligned_alloc(a, rounded == 0 ? a : rounded);
    return counted(p);
}

void release(void* p) {
    released(p);
    __real_free(p);
}
}  // namespace

heap::Counts heap::Now() { return Counts{allocations, live}; }

// Every replaceable form of operator new and delete, so none falls through to the
// library's own (uncounted) versions.
void* operator new(std::size_t size) {
    void* p = allocate(size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
void* operator new[](std::size_t size) {
    void* p = allocate(size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new(std::size_t size, std::align_val_t align) {
    void* p = allocateAligned(size, align);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
void* operator new[](std::size_t size, std::align_val_t align) {
    void* p = allocateAligned(size, align);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
void* operator new(std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    return allocateAligned(size, align);
}
void* operator new[](std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    return allocateAligned(size, align);
}
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete(void* p, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { release(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { release(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { release(p); }

// The C allocators, for code linked into this program that calls them directly (the
// link wraps these symbols; the C library's own internal calls are not seen).
extern "C" {
void* __wrap_malloc(std::size_t size) { return counted(__real_malloc(size)); }
void* __wrap_calloc(std::size_t count, std::size_t size) { return counted(__real_calloc(count, size)); }
void* __wrap_realloc(void* p, std::size_t size) {
    void* q = __real_realloc(p, size);
    if (p == nullptr) return counted(q);
    if (q != nullptr) ++allocations;  // moved or resized: memory handed out all the same
    if (size == 0 && q == nullptr) --live;
    return q;
}
void __wrap_free(void* p) {
    released(p);
    __real_free(p);
}
}
