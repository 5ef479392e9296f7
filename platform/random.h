// The game's random generator: the runtime's 15-bit linear congruential rand/srand, the same everywhere.
#pragma once
#include <functional>

#include "platform/types.h"

namespace plat {

constexpr int kRandMax = 32767;

void SRand(u32 seed);
int Rand();  // 0..32767

// Tests may script the values; an empty function restores the generator.
void SetRandSource(std::function<int()> source);

}  // namespace plat
