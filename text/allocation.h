// Heap blocks for the records whose allocation failure the program must survive, and the one
// place where tests make such an allocation fail.
#pragma once

#include <cstddef>

// A zero-filled block as calloc gives it, or whatever the allocator put in by a test gives.
void* AllocateZeroed(std::size_t count, std::size_t size);

using Allocator = void* (*)(std::size_t count, std::size_t size);
// Tests make allocations fail with this; null restores calloc.
void SetAllocatorForTests(Allocator allocator);
