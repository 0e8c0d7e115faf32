#include "heap_count.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include <pugixml.hpp>

namespace {

std::atomic<std::size_t> g_live{0};

void* counted_malloc(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p != nullptr) {
        g_live += malloc_usable_size(p);
    }
    return p;
}

void counted_free(void* p) {
    if (p != nullptr) {
        g_live -= malloc_usable_size(p);
        std::free(p);
    }
}

}  // namespace

void* operator new(std::size_t size) {
    void* p = counted_malloc(size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return p;
}

void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    counted_free(p);
}
void operator delete[](void* p) noexcept {
    counted_free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    counted_free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    counted_free(p);
}

namespace bench {

std::size_t live_heap_bytes() {
    return g_live.load();
}

void count_pugixml_allocations() {
    pugi::set_memory_management_functions(counted_malloc, counted_free);
}

}  // namespace bench
