// The 16-bit software blit families: mesh, table blends (alpha, additive, per-channel), darkening and
// whitening, the fixed-formula blends (50 %, saturating add and subtract), silhouettes, tones and tints.
//
// Common contract of the plain blits: (dst, x, y, src, srcRect or null, level/colour, flags, keyFlag).
// x, y place the source rectangle's top-left corner; flags bit 0 mirrors left-right, bit 1 up-down
// (low byte only); with keyFlag non-zero source pixels equal to 0 are not drawn. Scaled twins take a
// destination rectangle instead of x, y, trimmed in place by the clipping (null = whole destination).
// Every blit clips against DispClipRect intersected with the destination (the darkening and whitening
// blits against the destination alone), picks 555 or 565 from the destination's own description, and
// draws nothing when a lock fails, nothing is visible or the clipped source rectangle leaves the source.
// All return 0.
#pragma once
#include "graphics/blit/blend_table.h"
#include "platform/surface.h"
#include "platform/types.h"

// Mask arithmetic of the fixed-formula blends: M = every channel without its lowest bit, G = the guard
// bit above each channel, K = the source part for shift 0, 1, 2.
constexpr u32 BLT_M555 = 0x7BDE;
constexpr u32 BLT_G555 = 0x8420;
constexpr u32 BLT_M565 = 0xF7DE;
constexpr u32 BLT_G565 = 0x10820;
constexpr u32 BLT_K555[3] = {0x7BDE, 0x739C, 0x6318};
constexpr u32 BLT_K565[3] = {0xF7DE, 0xE79C, 0xC718};

// Column steps of the scaled walk (bytes of source after each destination column). Sized for the
// widest surface the platform makes; a wider clipped width is refused.
constexpr u32 BLT_STEP_MAX = 16384;
extern u32 BltStepTbl[BLT_STEP_MAX];

// Mesh dot patterns, one 8×8 row set per level 1..14 (row 0 unused).
extern const u8 MeshPatTbl[15][8];

// Fills dstCount entries of the step table that stretch srcCount source pixels over dstCount
// destination pixels; the source never moves past its last pixel.
void BLT_SetStepTbl(u32* table, u32 dstCount, u32 srcCount);

// ---- mesh, table blends, darkening and whitening ----
int BLT_Mesh(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 level, int flags,
             int keyFlag);
int BLT_MeshScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 level,
                   int flags, int keyFlag);
int BLT_Alpha(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 level, int flags,
              int keyFlag);
int BLT_AlphaScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 level,
                    int flags, int keyFlag);
int BLT_AlphaAdd(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 level,
                 int flags, int keyFlag);
int BLT_AlphaAddScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 level,
                       int flags, int keyFlag);
int BLT_BlendTbl(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 level,
                 int flags, int keyFlag);
int BLT_BlendTblScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 level,
                       int flags, int keyFlag);
int BLT_Dark(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 level, int flags,
             int keyFlag);
int BLT_DarkScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 level,
                   int flags, int keyFlag);
int BLT_White(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 level, int flags,
              int keyFlag);

// Pixel-pair workers of the darkening and whitening blits: rows are pitches in pixels (even), key is
// compared with each source pixel (0x10000 = none for darkening; whitening draws only with key -1).
// The channel masks are the display's (DispPixelFormat). 1 when something was drawn.
int BLT_ClipPairs(i32* x, i32* y, i32* w, i32* h, i32* srcLeft, i32* srcTop, i32 width, i32 height,
                  const RECT* clipRect);
int BLT_DarkPairs(u16* dstBits, i32 x, i32 y, i32 dstRowPixels, i32 dstHeight, i32 w, i32 h, const u16* srcBits,
                  i32 srcLeft, i32 srcTop, i32 srcRowPixels, i32 level, u32 key, const RECT* clipRect);
int BLT_WhitePairs(u16* dstBits, i32 x, i32 y, i32 dstRowPixels, i32 dstHeight, i32 w, i32 h,
                   const u16* srcBits, i32 srcLeft, i32 srcTop, i32 srcRowPixels, u32 key, const RECT* clipRect,
                   i32 level);

// ---- fixed-formula blends ----
int BLT_Alpha50(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, int flags, int keyFlag);
int BLT_Alpha50Scaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, int flags,
                      int keyFlag);
int BLT_Add100(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, int flags, int keyFlag);
int BLT_Add100Scaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, int flags,
                     int keyFlag);
int BLT_Add50(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, int flags, int keyFlag);
int BLT_Add50Scaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, int flags,
                    int keyFlag);
int BLT_Add25(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, int flags, int keyFlag);
int BLT_Add25Scaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, int flags,
                    int keyFlag);
int BLT_Sub100(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, int flags, int keyFlag);
int BLT_Sub100Scaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, int flags,
                     int keyFlag);
int BLT_Sub50(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, int flags, int keyFlag);
int BLT_Sub50Scaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, int flags,
                    int keyFlag);
int BLT_Sub25(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, int flags, int keyFlag);
int BLT_Sub25Scaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, int flags,
                    int keyFlag);

// ---- silhouettes and tones (tone level: <1 black, 1..30 darker, 31 as is, 32..61 lighter, ≥62 white) ----
int BLT_Silhouette(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, u16 color,
                   int flags);
int BLT_SilhouetteScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, u16 color,
                         int flags);
int BLT_Silhouette50(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, u16 color,
                     int flags);
int BLT_Silhouette50Scaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect,
                           u16 color, int flags);
int BLT_Tone(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 level, int flags,
             int keyFlag);
int BLT_ToneScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 level,
                   int flags, int keyFlag);
int BLT_ToneDark(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 level, int flags,
                 int keyFlag);
int BLT_ToneDarkScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 level,
                       int flags, int keyFlag);
int BLT_ToneLight(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 amount,
                  int flags, int keyFlag);
int BLT_ToneLightScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 amount,
                        int flags, int keyFlag);
int BLT_ToneTbl(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 level, int flags,
                int keyFlag);
int BLT_ToneTblScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 level,
                      int flags, int keyFlag);

// ---- per-channel effects (levels red, green, blue) and the in-place tint ----
int BLT_ToneRGB(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 r, i32 g, i32 b,
                int flags, int keyFlag);
int BLT_ToneRGBScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 r, i32 g,
                      i32 b, int flags, int keyFlag);
int BLT_AlphaRGB(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 r, i32 g, i32 b,
                 int flags, int keyFlag);
int BLT_AlphaRGBScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 r, i32 g,
                       i32 b, int flags, int keyFlag);
int BLT_AlphaAddRGB(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 r, i32 g,
                    i32 b, int flags, int keyFlag);
int BLT_AlphaAddRGBScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 r,
                          i32 g, i32 b, int flags, int keyFlag);
int BLT_BlendRGB(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 r, i32 g, i32 b,
                 int flags, int keyFlag);
int BLT_BlendRGBScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 r, i32 g,
                       i32 b, int flags, int keyFlag);
// Recolours a rectangle (null = whole surface) in place through the table rows at
// level × 1024 + component × 32; rows that would fall outside the table are refused.
void BLT_Tint(plat::Surface* surface, const RECT* rect, i32 r, i32 g, i32 b, i32 level);
