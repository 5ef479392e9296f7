// Fixed-formula blends on whole pixel words: 50 %, saturating add and subtract of the whole, half or
// quarter source.
#include "graphics/blit/blt_walk.h"

using blt::Session;

namespace {

auto HalfOp() {
    return [](const Session& s, auto&& walk) { walk(blt::OpHalf{blt::MaskM(s.is565)}); };
}

auto AddOp(u32 shift) {
    return [shift](const Session& s, auto&& walk) {
        const u32 k = s.is565 ? BLT_K565[shift] : BLT_K555[shift];
        walk(blt::OpAdd{blt::MaskM(s.is565), blt::MaskG(s.is565), k, shift});
    };
}

auto SubOp(u32 shift) {
    return [shift](const Session& s, auto&& walk) {
        const u32 k = s.is565 ? BLT_K565[shift] : BLT_K555[shift];
        walk(blt::OpSub{blt::MaskG(s.is565), k, shift});
    };
}

}  // namespace

#define KORVANE_FIXED_BLIT(name, makeOp)                                                                      \
    int name(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, int flags,           \
             int keyFlag) {                                                                                  \
        return blt::RunPlain(dst, x, y, src, srcRect, flags, keyFlag, makeOp);                                \
    }                                                                                                        \
    int name##Scaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, int flags, \
                     int keyFlag) {                                                                          \
        return blt::RunScaled(dst, dstRect, src, srcRect, flags, keyFlag, makeOp);                            \
    }

KORVANE_FIXED_BLIT(BLT_Alpha50, HalfOp())
KORVANE_FIXED_BLIT(BLT_Add100, AddOp(0))
KORVANE_FIXED_BLIT(BLT_Add50, AddOp(1))
KORVANE_FIXED_BLIT(BLT_Add25, AddOp(2))
KORVANE_FIXED_BLIT(BLT_Sub100, SubOp(0))
KORVANE_FIXED_BLIT(BLT_Sub50, SubOp(1))
KORVANE_FIXED_BLIT(BLT_Sub25, SubOp(2))
