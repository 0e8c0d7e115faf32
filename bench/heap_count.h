#pragma once

#include <cstddef>

namespace bench {

// Bytes currently allocated through operator new and through pugixml's allocator, which
// between them hold everything a camera object keeps.
std::size_t live_heap_bytes();

// Routes pugixml's allocations through the counter; call before any document exists.
void count_pugixml_allocations();

}  // namespace bench
