// The keyed 16-bit row copy of the blit, built once per instruction set; the blit takes the widest
// one the CPU runs, and the tests hold every build to the same results.
#pragma once
#include "platform/types.h"

namespace plat {

// d[i] = s[i] except where s[i] - lo <= span (16-bit unsigned): the key range lo .. lo + span keeps
// d[i]. d and s do not overlap.
using KeyedRow16Fn = void (*)(u16* d, const u16* s, i32 n, u16 lo, u16 span);

struct KeyedRow16Impl {
    const char* name;
    KeyedRow16Fn fn;
    bool usable;  // the CPU has its instructions
};

// Scalar first, then SSE2, AVX2 and AVX-512BW where the target is x86; count set to how many.
const KeyedRow16Impl* KeyedRow16Impls(int* count);
// The row copy the blit uses: the last usable entry, chosen once.
KeyedRow16Fn KeyedRow16();

}  // namespace plat
