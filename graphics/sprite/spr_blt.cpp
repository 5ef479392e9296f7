// The blits behind the sprite drawing's choice table.
#include "graphics/sprite/spr_blt.h"

#include "graphics/display/surf.h"

namespace {

int Copy(int, const SPR_BLT_ARGS& a) { return BLT_Copy(a.dst, a.x, a.y, a.src, a.srcRect, a.key); }
int CopyFlip(int, const SPR_BLT_ARGS& a) { return BLT_CopyFlip(a.dst, a.x, a.y, a.src, a.srcRect, a.flags, a.key); }
int CopyScaled(int, const SPR_BLT_ARGS& a) {
    return BLT_CopyScaled(a.dst, a.dstRect, a.src, a.srcRect, a.flags, a.key);
}

}  // namespace

// In the order of SPR_BLT.
SPR_BLT_FUNC SprBltTbl[SPR_BLT_MAX] = {
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    CopyFlip, Copy, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, CopyScaled, nullptr, nullptr, nullptr, nullptr,
};
