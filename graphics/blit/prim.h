// Single-colour primitives drawn straight into surface memory at 8, 16 and 32 bits per pixel.
// Each operation comes as three depth workers on a locked description, three lock wrappers, a
// dispatcher on the description's depth and a lock-and-dispatch wrapper. Everything clips to the
// surface alone; the blit clip rectangle does not apply.
#pragma once
#include "platform/surface.h"
#include "platform/types.h"

using PRIM_DESC = plat::SurfaceDesc;

// ---- pixels ----
u32 PRIM_GetPixel(const PRIM_DESC* desc, i32 x, i32 y);  // 0 outside or at another depth
u32 PRIM_GetPixelLock(plat::Surface* surface, i32 x, i32 y);

void PRIM_PutPixel8(const PRIM_DESC* desc, i32 x, i32 y, u32 color);
void PRIM_PutPixel16(const PRIM_DESC* desc, i32 x, i32 y, u32 color);
void PRIM_PutPixel32(const PRIM_DESC* desc, i32 x, i32 y, u32 color);
void PRIM_PutPixel8Lock(plat::Surface* surface, i32 x, i32 y, u32 color);
void PRIM_PutPixel16Lock(plat::Surface* surface, i32 x, i32 y, u32 color);
void PRIM_PutPixel32Lock(plat::Surface* surface, i32 x, i32 y, u32 color);
void PRIM_PutPixel(const PRIM_DESC* desc, i32 x, i32 y, u32 color);
void PRIM_PutPixelLock(plat::Surface* surface, i32 x, i32 y, u32 color);

// ---- spans (both ends included, in either order) ----
void PRIM_HLine8(const PRIM_DESC* desc, i32 x1, i32 x2, i32 y, u32 color);
void PRIM_HLine16(const PRIM_DESC* desc, i32 x1, i32 x2, i32 y, u32 color);
void PRIM_HLine32(const PRIM_DESC* desc, i32 x1, i32 x2, i32 y, u32 color);
void PRIM_HLine8Lock(plat::Surface* surface, i32 x1, i32 x2, i32 y, u32 color);
void PRIM_HLine16Lock(plat::Surface* surface, i32 x1, i32 x2, i32 y, u32 color);
void PRIM_HLine32Lock(plat::Surface* surface, i32 x1, i32 x2, i32 y, u32 color);
void PRIM_HLine(const PRIM_DESC* desc, i32 x1, i32 x2, i32 y, u32 color);
void PRIM_HLineLock(plat::Surface* surface, i32 x1, i32 x2, i32 y, u32 color);

void PRIM_VLine8(const PRIM_DESC* desc, i32 y1, i32 y2, i32 x, u32 color);
void PRIM_VLine16(const PRIM_DESC* desc, i32 y1, i32 y2, i32 x, u32 color);
void PRIM_VLine32(const PRIM_DESC* desc, i32 y1, i32 y2, i32 x, u32 color);
void PRIM_VLine8Lock(plat::Surface* surface, i32 y1, i32 y2, i32 x, u32 color);
void PRIM_VLine16Lock(plat::Surface* surface, i32 y1, i32 y2, i32 x, u32 color);
void PRIM_VLine32Lock(plat::Surface* surface, i32 y1, i32 y2, i32 x, u32 color);
void PRIM_VLine(const PRIM_DESC* desc, i32 y1, i32 y2, i32 x, u32 color);
void PRIM_VLineLock(plat::Surface* surface, i32 y1, i32 y2, i32 x, u32 color);

// ---- lines ----
// Clips the ends in place; 0 when the line lies wholly outside.
int PRIM_ClipLine(const PRIM_DESC* desc, i32& x1, i32& y1, i32& x2, i32& y2);
void PRIM_Line8(const PRIM_DESC* desc, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void PRIM_Line16(const PRIM_DESC* desc, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void PRIM_Line32(const PRIM_DESC* desc, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void PRIM_Line8Lock(plat::Surface* surface, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void PRIM_Line16Lock(plat::Surface* surface, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void PRIM_Line32Lock(plat::Surface* surface, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void PRIM_Line(const PRIM_DESC* desc, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void PRIM_LineLock(plat::Surface* surface, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);

// ---- rectangles (corners included) ----
void PRIM_Rect8(const PRIM_DESC* desc, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void PRIM_Rect16(const PRIM_DESC* desc, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void PRIM_Rect32(const PRIM_DESC* desc, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void PRIM_Rect8Lock(plat::Surface* surface, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void PRIM_Rect16Lock(plat::Surface* surface, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void PRIM_Rect32Lock(plat::Surface* surface, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void PRIM_Rect(const PRIM_DESC* desc, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void PRIM_RectLock(plat::Surface* surface, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);

// The corners are not put in order: a reversed rectangle draws nothing.
void PRIM_RectFill8(const PRIM_DESC* desc, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void PRIM_RectFill16(const PRIM_DESC* desc, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void PRIM_RectFill32(const PRIM_DESC* desc, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void PRIM_RectFill8Lock(plat::Surface* surface, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void PRIM_RectFill16Lock(plat::Surface* surface, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void PRIM_RectFill32Lock(plat::Surface* surface, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void PRIM_RectFill(const PRIM_DESC* desc, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void PRIM_RectFillLock(plat::Surface* surface, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);

// ---- circles and ellipses ----
void PRIM_Circle8(const PRIM_DESC* desc, i32 cx, i32 cy, i32 r, u32 color);
void PRIM_Circle16(const PRIM_DESC* desc, i32 cx, i32 cy, i32 r, u32 color);
void PRIM_Circle32(const PRIM_DESC* desc, i32 cx, i32 cy, i32 r, u32 color);
void PRIM_Circle8Lock(plat::Surface* surface, i32 cx, i32 cy, i32 r, u32 color);
void PRIM_Circle16Lock(plat::Surface* surface, i32 cx, i32 cy, i32 r, u32 color);
void PRIM_Circle32Lock(plat::Surface* surface, i32 cx, i32 cy, i32 r, u32 color);
void PRIM_Circle(const PRIM_DESC* desc, i32 cx, i32 cy, i32 r, u32 color);
void PRIM_CircleLock(plat::Surface* surface, i32 cx, i32 cy, i32 r, u32 color);

void PRIM_CircleFill8(const PRIM_DESC* desc, i32 cx, i32 cy, i32 r, u32 color);
void PRIM_CircleFill16(const PRIM_DESC* desc, i32 cx, i32 cy, i32 r, u32 color);
void PRIM_CircleFill32(const PRIM_DESC* desc, i32 cx, i32 cy, i32 r, u32 color);
void PRIM_CircleFill8Lock(plat::Surface* surface, i32 cx, i32 cy, i32 r, u32 color);
void PRIM_CircleFill16Lock(plat::Surface* surface, i32 cx, i32 cy, i32 r, u32 color);
void PRIM_CircleFill32Lock(plat::Surface* surface, i32 cx, i32 cy, i32 r, u32 color);
void PRIM_CircleFill(const PRIM_DESC* desc, i32 cx, i32 cy, i32 r, u32 color);
void PRIM_CircleFillLock(plat::Surface* surface, i32 cx, i32 cy, i32 r, u32 color);

void PRIM_Ellipse8(const PRIM_DESC* desc, i32 cx, i32 cy, i32 rx, i32 ry, u32 color);
void PRIM_Ellipse16(const PRIM_DESC* desc, i32 cx, i32 cy, i32 rx, i32 ry, u32 color);
void PRIM_Ellipse32(const PRIM_DESC* desc, i32 cx, i32 cy, i32 rx, i32 ry, u32 color);
void PRIM_Ellipse8Lock(plat::Surface* surface, i32 cx, i32 cy, i32 rx, i32 ry, u32 color);
void PRIM_Ellipse16Lock(plat::Surface* surface, i32 cx, i32 cy, i32 rx, i32 ry, u32 color);
void PRIM_Ellipse32Lock(plat::Surface* surface, i32 cx, i32 cy, i32 rx, i32 ry, u32 color);
void PRIM_Ellipse(const PRIM_DESC* desc, i32 cx, i32 cy, i32 rx, i32 ry, u32 color);
void PRIM_EllipseLock(plat::Surface* surface, i32 cx, i32 cy, i32 rx, i32 ry, u32 color);

void PRIM_EllipseFill8(const PRIM_DESC* desc, i32 cx, i32 cy, i32 rx, i32 ry, u32 color);
void PRIM_EllipseFill16(const PRIM_DESC* desc, i32 cx, i32 cy, i32 rx, i32 ry, u32 color);
void PRIM_EllipseFill32(const PRIM_DESC* desc, i32 cx, i32 cy, i32 rx, i32 ry, u32 color);
void PRIM_EllipseFill8Lock(plat::Surface* surface, i32 cx, i32 cy, i32 rx, i32 ry, u32 color);
void PRIM_EllipseFill16Lock(plat::Surface* surface, i32 cx, i32 cy, i32 rx, i32 ry, u32 color);
void PRIM_EllipseFill32Lock(plat::Surface* surface, i32 cx, i32 cy, i32 rx, i32 ry, u32 color);
void PRIM_EllipseFill(const PRIM_DESC* desc, i32 cx, i32 cy, i32 rx, i32 ry, u32 color);
void PRIM_EllipseFillLock(plat::Surface* surface, i32 cx, i32 cy, i32 rx, i32 ry, u32 color);

// ---- 8×8 one-bit pattern (byte r = row r, bit 7 leftmost), anchored at the clipped top-left ----
// With keyFlag set, pixels equal to the surface's source colour key are spared.
void PRIM_PatternFill8(const PRIM_DESC* desc, i32 x1, i32 y1, i32 x2, i32 y2, u32 color, i32 keyFlag,
                       const u8* pattern);
void PRIM_PatternFill16(const PRIM_DESC* desc, i32 x1, i32 y1, i32 x2, i32 y2, u32 color, i32 keyFlag,
                        const u8* pattern);
void PRIM_PatternFill32(const PRIM_DESC* desc, i32 x1, i32 y1, i32 x2, i32 y2, u32 color, i32 keyFlag,
                        const u8* pattern);
void PRIM_PatternFill8Lock(plat::Surface* surface, i32 x1, i32 y1, i32 x2, i32 y2, u32 color, i32 keyFlag,
                           const u8* pattern);
void PRIM_PatternFill16Lock(plat::Surface* surface, i32 x1, i32 y1, i32 x2, i32 y2, u32 color, i32 keyFlag,
                            const u8* pattern);
void PRIM_PatternFill32Lock(plat::Surface* surface, i32 x1, i32 y1, i32 x2, i32 y2, u32 color, i32 keyFlag,
                            const u8* pattern);
void PRIM_PatternFill(const PRIM_DESC* desc, i32 x1, i32 y1, i32 x2, i32 y2, u32 color, i32 keyFlag,
                      const u8* pattern);
void PRIM_PatternFillLock(plat::Surface* surface, i32 x1, i32 y1, i32 x2, i32 y2, u32 color, i32 keyFlag,
                          const u8* pattern);

// ---- rotated bar (8-bit palette surfaces) ----
constexpr int PRIM_ROT_ROWS = 480;
struct PRIM_ROT_EDGE {
    i32 minX;
    i32 maxX;
};
extern PRIM_ROT_EDGE RotEdgeTbl[PRIM_ROT_ROWS];

// A bar of the given height and width starting with its short side centred on (x, y), turned by
// whole degrees (0 extends down, 90 left, 180 up, 270 right); each row's palette index climbs from
// the colour toward its middle.
void PRIM_RotBarFill8(plat::Surface* surface, i32 x, i32 y, i32 height, i32 width, i32 angle, u32 color);
void PRIM_SetRotEdge(i32 x1, i32 y1, i32 x2, i32 y2);
