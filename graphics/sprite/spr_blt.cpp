// The blits behind the sprite drawing's choice table, each called with the arguments it takes.
#include "graphics/sprite/spr_blt.h"

#include "graphics/blit/blt.h"
#include "graphics/display/surf.h"

namespace {

// Blits that take flags and a key flag only.
using FixedFn = int (*)(plat::Surface*, i32, i32, plat::Surface*, const RECT*, int, int);
using FixedScaledFn = int (*)(plat::Surface*, RECT*, plat::Surface*, const RECT*, int, int);
// Blits with a level.
using LevelFn = int (*)(plat::Surface*, i32, i32, plat::Surface*, const RECT*, i32, int, int);
using LevelScaledFn = int (*)(plat::Surface*, RECT*, plat::Surface*, const RECT*, i32, int, int);
// Blits with a colour and flags, no key.
using ColourFn = int (*)(plat::Surface*, i32, i32, plat::Surface*, const RECT*, u16, int);
using ColourScaledFn = int (*)(plat::Surface*, RECT*, plat::Surface*, const RECT*, u16, int);
// Per-channel blits.
using ChannelFn = int (*)(plat::Surface*, i32, i32, plat::Surface*, const RECT*, i32, i32, i32, int, int);
using ChannelScaledFn = int (*)(plat::Surface*, RECT*, plat::Surface*, const RECT*, i32, i32, i32, int, int);

template <FixedFn F>
int Fixed(int, const SPR_BLT_ARGS& a) { return F(a.dst, a.x, a.y, a.src, a.srcRect, a.flags, a.key); }
template <FixedScaledFn F>
int FixedScaled(int, const SPR_BLT_ARGS& a) { return F(a.dst, a.dstRect, a.src, a.srcRect, a.flags, a.key); }
template <LevelFn F>
int Level(int, const SPR_BLT_ARGS& a) { return F(a.dst, a.x, a.y, a.src, a.srcRect, a.level, a.flags, a.key); }
template <LevelScaledFn F>
int LevelScaled(int, const SPR_BLT_ARGS& a) {
    return F(a.dst, a.dstRect, a.src, a.srcRect, a.level, a.flags, a.key);
}
template <ColourFn F>
int Colour(int, const SPR_BLT_ARGS& a) { return F(a.dst, a.x, a.y, a.src, a.srcRect, u16(a.level), a.flags); }
template <ColourScaledFn F>
int ColourScaled(int, const SPR_BLT_ARGS& a) { return F(a.dst, a.dstRect, a.src, a.srcRect, u16(a.level), a.flags); }
template <ChannelFn F>
int Channel(int, const SPR_BLT_ARGS& a) {
    return F(a.dst, a.x, a.y, a.src, a.srcRect, a.level, a.level2, a.level3, a.flags, a.key);
}
template <ChannelScaledFn F>
int ChannelScaled(int, const SPR_BLT_ARGS& a) {
    return F(a.dst, a.dstRect, a.src, a.srcRect, a.level, a.level2, a.level3, a.flags, a.key);
}

int Copy(int, const SPR_BLT_ARGS& a) { return BLT_Copy(a.dst, a.x, a.y, a.src, a.srcRect, a.key); }
int CopyScaled(int, const SPR_BLT_ARGS& a) {
    return BLT_CopyScaled(a.dst, a.dstRect, a.src, a.srcRect, a.flags, a.key);
}

}  // namespace

// In the order of SPR_BLT.
SPR_BLT_FUNC SprBltTbl[SPR_BLT_MAX] = {
    Colour<BLT_Silhouette50>,
    Fixed<BLT_Alpha50>,
    Fixed<BLT_Add100>,
    Fixed<BLT_Add50>,
    Fixed<BLT_Add25>,
    Fixed<BLT_Sub100>,
    Fixed<BLT_Sub50>,
    Fixed<BLT_Sub25>,
    Level<BLT_Alpha>,
    Level<BLT_AlphaAdd>,
    Colour<BLT_Silhouette>,
    Level<BLT_White>,
    Fixed<BLT_CopyFlip>,
    Copy,
    Level<BLT_Dark>,
    Channel<BLT_ToneRGB>,
    Channel<BLT_AlphaRGB>,
    Channel<BLT_AlphaAddRGB>,

    ColourScaled<BLT_Silhouette50Scaled>,
    FixedScaled<BLT_Alpha50Scaled>,
    FixedScaled<BLT_Add100Scaled>,
    FixedScaled<BLT_Add50Scaled>,
    FixedScaled<BLT_Add25Scaled>,
    FixedScaled<BLT_Sub100Scaled>,
    FixedScaled<BLT_Sub50Scaled>,
    FixedScaled<BLT_Sub25Scaled>,
    LevelScaled<BLT_MeshScaled>,
    LevelScaled<BLT_AlphaScaled>,
    LevelScaled<BLT_AlphaAddScaled>,
    ColourScaled<BLT_SilhouetteScaled>,
    LevelScaled<BLT_ToneScaled>,
    CopyScaled,
    LevelScaled<BLT_DarkScaled>,
    ChannelScaled<BLT_ToneRGBScaled>,
    ChannelScaled<BLT_AlphaRGBScaled>,
    ChannelScaled<BLT_AlphaAddRGBScaled>,

    Level<BLT_Mesh>,
    Level<BLT_Tone>,
};
static_assert(sizeof(SprBltTbl) / sizeof(SprBltTbl[0]) == SPR_BLT_MAX);
