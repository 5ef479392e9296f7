#include "platform/memory.h"

#include <cstdlib>

namespace plat {

namespace {
long g_failAfter = 0;  // > 0: that many allocations succeed, then every later one fails
long g_allocCount = 0;
}  // namespace

void* GlobalAllocZero(std::size_t size) {
    if (g_failAfter > 0 && ++g_allocCount > g_failAfter) return nullptr;
    return std::calloc(size ? size : 1, 1);
}

void GlobalFree(void* block) { std::free(block); }

void SetAllocFailAfter(long count) {
    g_failAfter = count;
    g_allocCount = 0;
}

}  // namespace plat
