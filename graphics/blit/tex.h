// Affine texture mapping of quadrilaterals and triangles on 8-bit surfaces: the outline is walked
// into a table of screen rows, then each row is drawn as one span of nearest source pixels.
#pragma once
#include "platform/surface.h"
#include "platform/types.h"

constexpr int TEX_EDGE_ROWS = 480;

// Texture coordinates are 8.8 fixed point. A row is empty while minX > maxX.
struct TEX_EDGE {
    i32 minX;
    i32 maxX;
    i32 minU;
    i32 minV;
    i32 maxU;
    i32 maxV;
};
extern TEX_EDGE TexEdgeTbl[TEX_EDGE_ROWS];

// P0..P3 take the source rectangle's top-left, top-right, bottom-right and bottom-left pixels.
// With keyFlag set, source bytes 0 are not drawn.
void BLT_TexQuad8(plat::Surface* dst, const POINT* points, plat::Surface* src, const RECT* srcRect, int keyFlag);
// Pi takes the source point Ti.
void BLT_TexTri8(plat::Surface* dst, const POINT* points, plat::Surface* src, const POINT* texPoints, int keyFlag);
// Walks one edge from (xa, ya) with texture point (ua, va) to (xb, yb) with (ub, vb).
void BLT_SetTexEdge(i32 xa, i32 ya, i32 xb, i32 yb, i32 ua, i32 va, i32 ub, i32 vb);
