// The surface layer every drawing module uses: creation (counted in DispSurfCount), release, colour
// keys, save and restore around display changes, fills, locks, the three common blits and the two
// clip functions that every blit calls before it touches pixels.
#pragma once
#include "platform/surface.h"
#include "platform/types.h"

// Memory kinds for SURF_Create (the platform's caps).
constexpr u32 SURF_CAPS_OFFSCREEN = plat::kCapsOffscreenPlain;
constexpr u32 SURF_CAPS_SYSMEM = plat::kCapsOffscreenPlain | plat::kCapsSystemMemory;

// Mirror flags of the blits and clip functions (low byte only).
constexpr int BLT_MIRROR_LR = 1;
constexpr int BLT_MIRROR_UD = 2;

// The memory copy of one surface: header, then rows top to bottom without padding.
struct SURF_SAVE {
    u32 width;
    u32 height;
    u32 sysmem;
    i32 colorKey;  // -1 when the surface had none
    u32 bitCount;  // the rows' depth, so a restore at another depth cannot read past the block
    // followed by height × width × bytes-per-pixel
};

plat::Surface* SURF_Create(i32 width, i32 height, u32 caps);
void SURF_Release(plat::Surface* surface);
int SURF_SetColorKey(plat::Surface* surface, u32 key);
SURF_SAVE* SURF_Save(plat::Surface* surface);
plat::Surface* SURF_Restore(SURF_SAVE** save);
int SURF_Fill(plat::Surface* surface, const RECT* rect, u32 color);
int SURF_Lock(plat::Surface* surface, plat::SurfaceDesc* desc);  // 0 on success; caller unlocks
void SURF_Unlock(plat::Surface* surface);
int SURF_CheckLock(plat::Surface* surface);
int SURF_GetDesc(plat::Surface* surface, plat::SurfaceDesc* desc);

int BLT_Copy(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, int keyFlag);
int BLT_CopyFlip(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, int mirror, int keyFlag);
int BLT_CopyScaled(plat::Surface* dst, const RECT* dstRect, plat::Surface* src, const RECT* srcRect, int mirror,
                   int keyFlag);

// 1 when something is left to draw; the in/out arguments are trimmed to the visible part.
int SURF_ClipBlt(const plat::SurfaceDesc* dst, const RECT* clip, i32* x, i32* y, RECT* src, int mirror);
int SURF_ClipBltScaled(const plat::SurfaceDesc* dst, const RECT* clip, RECT* dstRect, RECT* src, int mirror);

// 565 when the surface's green mask has bit 0x400 (the effect blits choose per destination).
inline bool SURF_Is565(const plat::SurfaceDesc* desc) { return (desc->gMask & 0x400) != 0; }
