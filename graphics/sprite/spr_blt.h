// The blits that sprite drawing chooses from by attribute bits. Every choice goes through one table of
// entries with a common argument record, so the choice itself can be watched (a test swaps entries).
#pragma once
#include "platform/surface.h"
#include "platform/types.h"

enum SPR_BLT : int {
    // drawn at a position
    SPR_BLT_SILHOUETTE50,
    SPR_BLT_ALPHA50,
    SPR_BLT_ADD100,
    SPR_BLT_ADD50,
    SPR_BLT_ADD25,
    SPR_BLT_SUB100,
    SPR_BLT_SUB50,
    SPR_BLT_SUB25,
    SPR_BLT_ALPHA,
    SPR_BLT_ALPHAADD,
    SPR_BLT_SILHOUETTE,
    SPR_BLT_WHITE,
    SPR_BLT_COPYFLIP,
    SPR_BLT_COPY,
    SPR_BLT_DARK,
    SPR_BLT_TONERGB,
    SPR_BLT_ALPHARGB,
    SPR_BLT_ALPHAADDRGB,
    // stretched over a rectangle
    SPR_BLT_SILHOUETTE50_SCALED,
    SPR_BLT_ALPHA50_SCALED,
    SPR_BLT_ADD100_SCALED,
    SPR_BLT_ADD50_SCALED,
    SPR_BLT_ADD25_SCALED,
    SPR_BLT_SUB100_SCALED,
    SPR_BLT_SUB50_SCALED,
    SPR_BLT_SUB25_SCALED,
    SPR_BLT_MESH_SCALED,
    SPR_BLT_ALPHA_SCALED,
    SPR_BLT_ALPHAADD_SCALED,
    SPR_BLT_SILHOUETTE_SCALED,
    SPR_BLT_TONE_SCALED,
    SPR_BLT_COPY_SCALED,
    SPR_BLT_DARK_SCALED,
    SPR_BLT_TONERGB_SCALED,
    SPR_BLT_ALPHARGB_SCALED,
    SPR_BLT_ALPHAADDRGB_SCALED,
    // drawn at a position: the battle renderer's mesh and tone rows
    SPR_BLT_MESH,
    SPR_BLT_TONE,
    SPR_BLT_MAX
};

// One blit call. A blit reads only the fields it takes: x, y for the plain blits, dstRect for the
// scaled ones; level is the level or the 16-bit colour, and the per-channel blits take red, green and
// blue in level, level2, level3.
struct SPR_BLT_ARGS {
    plat::Surface* dst;
    i32 x;
    i32 y;
    RECT* dstRect;
    plat::Surface* src;
    const RECT* srcRect;
    i32 level;
    i32 level2;
    i32 level3;
    int flags;
    int key;
};

using SPR_BLT_FUNC = int (*)(int blt, const SPR_BLT_ARGS& args);

extern SPR_BLT_FUNC SprBltTbl[SPR_BLT_MAX];
