// The "global allocator": zero-filled blocks, freed explicitly.
#pragma once
#include <cstddef>

namespace plat {

// A zero-size request still gives a valid (freeable) block; null only when memory is exhausted.
void* GlobalAllocZero(std::size_t size);
void GlobalFree(void* block);

// Tests make the next allocations fail to reach the exhausted-memory paths (0 = never).
void SetAllocFailAfter(long count);

}  // namespace plat
