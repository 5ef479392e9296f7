#include "platform/random.h"

namespace plat {

namespace {
u32 g_seed = 1;
std::function<int()> g_source;
}  // namespace

void SRand(u32 seed) { g_seed = seed; }

int Rand() {
    if (g_source) return g_source() & kRandMax;
    g_seed = g_seed * 214013u + 2531011u;
    return int((g_seed >> 16) & 0x7FFF);
}

void SetRandSource(std::function<int()> source) { g_source = std::move(source); }

}  // namespace plat
