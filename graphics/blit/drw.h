// Software drawing on 16-bit pixel memory: constant-level alpha and 50 % blends of one rectangle onto
// another, the darkening copy of fades, a quadrilateral texture mapper, solid and 50 % lines, and
// translucent fills. Buffer routines (DWW_, DRWW_, DRW_, FadeInBlack) take raw pixels; surface
// routines (DSW_, DRWS_, DWW_FadeInBlack) lock surfaces, describe them as buffers and call them.
// Every routine assumes the display's 16-bit format (DispPixelFormat), 555 or 565.
#pragma once
#include "platform/surface.h"
#include "platform/types.h"

// A 16-bit pixel buffer. For a locked surface the width is its pitch in pixels.
struct DRW_BUFFER {
    u16* pixels;
    i32 width;
    i32 height;
};

// One byte per pixel, from plat::GlobalAllocZero, owned by the caller; rows top to bottom.
struct ALPHA_MAP {
    u8* pixels;
    i32 width;
    i32 height;
};

// One destination row of the quadrilateral mapper; empty while minX > maxX.
struct SCANLINE {
    i32 minX;
    i32 maxX;
    i32 minU;
    i32 minV;
    i32 maxU;
    i32 maxV;
};
constexpr int DRW_SCANLINE_ROWS = 480;
extern SCANLINE ScanlineTbl[DRW_SCANLINE_ROWS];

// The colour key value that means "no key" where a routine takes one.
constexpr u32 DRW_NO_KEY = 0x10000;

// Class 3 or more picks the four-pixel 50 % path; below 3 the alpha blend sends level 128 to the
// 50 % blend. Every class draws the same pixels.
extern int ProcessorClass;
extern u8 MmxFlag;
int CheckProcessor();

// ---- clipping ----
// Trims a rectangle copy to the clip rectangle (right and bottom exclusive) and its source to the
// source buffer (srcWidth × srcHeight), moving the other side by the same amount. 1 when something
// is left.
int DRW_Cliping(i32* x, i32* y, i32* width, i32* height, i32* srcX, i32* srcY, i32 left, i32 top, i32 right,
                i32 bottom, i32 srcWidth, i32 srcHeight);
// The same against clip (intersected with the buffer), or the whole buffer when clip is null.
int DRW_Cliping2(i32* x, i32* y, i32* width, i32* height, i32* srcX, i32* srcY, i32 bufWidth, i32 bufHeight,
                 const RECT* clip, i32 srcWidth, i32 srcHeight);
// Clips a line to (left, top, right, bottom), right and bottom exclusive. 0 when nothing is left,
// including lines steeper than 256 rows per column.
int DRW_ClipingLine(i32* x1, i32* y1, i32* x2, i32* y2, i32 left, i32 top, i32 right, i32 bottom);

// ---- blends ----
// Level 0..255 in steps of 8; pixels equal to the key are not drawn. Pairs of pixels: an odd width
// leaves its last column.
int DWW_DrawObjectAlpha(DRW_BUFFER* dst, i32 x, i32 y, i32 width, i32 height, DRW_BUFFER* src, i32 srcX, i32 srcY,
                        i32 level, u32 key);
int DWW_DrawObjectAlphaSub(DRW_BUFFER* dst, i32 x, i32 y, i32 width, i32 height, DRW_BUFFER* src, i32 srcX,
                           i32 srcY, i32 level, u32 key);
int DSW_DrawObjectAlpha(plat::Surface* dst, i32 x, i32 y, i32 width, i32 height, plat::Surface* src, i32 srcX,
                        i32 srcY, i32 level, u32 key);
// 50 % blend; key DRW_NO_KEY draws every pixel. 1 when drawn, 0 when clipped away.
int DWW_DrawObjectBH(DRW_BUFFER* dst, i32 x, i32 y, i32 width, i32 height, DRW_BUFFER* src, i32 srcX, i32 srcY,
                     u32 key);
int DSW_DrawObjectBH(plat::Surface* dst, i32 x, i32 y, i32 width, i32 height, plat::Surface* src, i32 srcX,
                     i32 srcY, u32 key);

// ---- quadrilateral mapping ----
// Maps the source rectangle (srcX, srcY, srcWidth, srcHeight) onto the quadrilateral of the four
// points (clockwise from the one that takes its top-left). Returns 1.
int DRW_DrawSquare(DRW_BUFFER* dst, i32 x0, i32 y0, i32 x1, i32 y1, i32 x2, i32 y2, i32 x3, i32 y3, DRW_BUFFER* src,
                   i32 srcX, i32 srcY, i32 srcWidth, i32 srcHeight);
int DSW_DrawSquare(plat::Surface* dst, i32 x0, i32 y0, i32 x1, i32 y1, i32 x2, i32 y2, i32 x3, i32 y3,
                   plat::Surface* src, i32 srcX, i32 srcY, i32 srcWidth, i32 srcHeight);
// Walks one edge into ScanlineTbl, keeping rows 0..rowCount-1.
void DRW_SetScanlineTbl(i32 dstWidth, i32 rowCount, i32 xa, i32 ya, i32 xb, i32 yb, i32 ua, i32 va, i32 ub, i32 vb);

// ---- darkening copy ----
// Each channel becomes source × level / 32, level limited to 0..31 (never full brightness).
void FadeInBlack(u16* dst, i32 x, i32 y, i32 dstWidth, i32 dstHeight, i32 width, i32 height, const u16* src,
                 i32 srcX, i32 srcY, i32 srcWidth, i32 srcHeight, i32 level, u32 key, const RECT* clip);
// A null rectangle means the whole source.
void DWW_FadeInBlack(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 level, u32 key);

// ---- lines: drawn from (x2, y2) toward (x1, y1), which itself is not drawn ----
void DRWW_DrawLine(u16* pixels, i32 x1, i32 y1, i32 x2, i32 y2, i32 width, i32 height, u32 color);
void DRWW_DrawLineBH(u16* pixels, i32 x1, i32 y1, i32 x2, i32 y2, i32 width, i32 height, u32 color);
void DRWS_DrawLine(plat::Surface* surface, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);
void DRWS_DrawLineBH(plat::Surface* surface, i32 x1, i32 y1, i32 x2, i32 y2, u32 color);

// ---- fills (right and bottom exclusive, clipped to the buffer) ----
// Alpha 0 draws nothing and returns 1; alpha outside 0..255 draws nothing and returns 0.
int DRWW_Fill(DRW_BUFFER* buf, i32 left, i32 top, i32 right, i32 bottom, u32 color, i32 alpha);
int DRWW_FillHalf(DRW_BUFFER* buf, i32 left, i32 top, i32 right, i32 bottom, u32 color);
int DRWW_FillAlpha(DRW_BUFFER* buf, i32 left, i32 top, i32 right, i32 bottom, u32 color, i32 alpha);
int DRWS_Fill(plat::Surface* surface, i32 left, i32 top, i32 right, i32 bottom, u32 color, i32 alpha);

// ---- alpha maps ----
// Reads an 8-bit ".bmp" file; 1 on success. After a failure behind the allocation the map keeps its
// block for the caller to free.
int LoadAlpha(ALPHA_MAP* map, const char* name);
