#include "graphics/blit/blend_table.h"

u8 BlendTbl[kBlendTblSize];

namespace {

// Division by 32 as an arithmetic shift: it rounds toward minus infinity, also for negative products.
constexpr int Div32(int v) { return v >> 5; }

}  // namespace

void BLT_InitBlendTbl() {
    for (int level = 0; level < kBlendLevels; ++level) {
        for (int d = 0; d < 32; ++d) {
            u8* row = &BlendTbl[level * 1024 + d * 32];
            for (int s = 0; s < 32; ++s) {
                int v;
                if (level == 0) {
                    v = s == 0 ? 0 : d;
                } else if (level == 31) {
                    v = s == 0 ? 0 : s;
                } else if (level < 31) {
                    if (s == 0) {
                        v = d + Div32(-d * level);
                    } else {
                        // A blend never turns into the colour key.
                        v = d + Div32((s - d) * level);
                        if (v == 0) v = 1;
                    }
                } else {
                    v = d + Div32(s * (level - 32));
                    if (v > 31) v = 31;
                }
                row[s] = u8(v);
            }
        }
    }
}
