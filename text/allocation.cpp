// Zero-filled allocations with a test seam (see allocation.h).
#include "text/allocation.h"

#include <cstdlib>

namespace {
Allocator g_allocator = nullptr;
}  // namespace

void* AllocateZeroed(std::size_t count, std::size_t size) {
  return g_allocator ? g_allocator(count, size) : std::calloc(count, size);
}

void SetAllocatorForTests(Allocator allocator) { g_allocator = allocator; }
