// Our own surface object, in place of the DirectDraw surface: memory pixels of 8, 16, 24 or 32 bits
// with a lock count, a source colour key, a description and the two blit calls the game relies on.
// Surfaces live in memory and are never lost.
#pragma once
#include "platform/types.h"

namespace plat {

// Caps (values of the original platform, so saved flags keep their meaning).
constexpr u32 kCapsOffscreenPlain = 0x00000040;
constexpr u32 kCapsPrimary = 0x00000200;
constexpr u32 kCapsSystemMemory = 0x00000800;
constexpr u32 kCapsVideoMemory = 0x00004000;

// Description field flags.
constexpr u32 kDescCaps = 0x00000001;
constexpr u32 kDescHeight = 0x00000002;
constexpr u32 kDescWidth = 0x00000004;
constexpr u32 kDescPitch = 0x00000008;
constexpr u32 kDescSurface = 0x00000800;
constexpr u32 kDescPixelFormat = 0x00001000;
constexpr u32 kDescColorKeySrc = 0x00010000;

// Results: 0 is success.
constexpr int kSurfOk = 0;
constexpr int kSurfErrInvalid = 1;     // null surface or bad arguments
constexpr int kSurfErrBusy = 2;        // locked
constexpr int kSurfErrInvalidRect = 3; // a rectangle outside its surface
constexpr int kSurfErrNoMemory = 4;

// Blt flags.
constexpr u32 kBltColorFill = 0x1;
constexpr u32 kBltKeySrc = 0x2;
constexpr u32 kBltMirrorLeftRight = 0x4;
constexpr u32 kBltMirrorUpDown = 0x8;

struct SurfaceDesc {
    u32 flags;
    u32 width;
    u32 height;
    i32 pitch;     // bytes per row, a multiple of 4
    void* pixels;  // set by a lock only
    u32 bitCount;
    u32 rMask;
    u32 gMask;
    u32 bMask;
    u32 caps;
    u32 colorKeyLow;  // valid when flags has kDescColorKeySrc
    u32 colorKeyHigh;
};

struct Surface {
    i32 width = 0;
    i32 height = 0;
    i32 pitch = 0;
    u32 bitCount = 0;
    u32 rMask = 0, gMask = 0, bMask = 0;
    u32 caps = 0;
    bool hasColorKey = false;
    u32 colorKeyLow = 0, colorKeyHigh = 0;
    int lockCount = 0;
    u8* pixels = nullptr;
};

// Pixels zero-filled, pitch padded to 4 bytes. Null when the size or depth is refused.
Surface* CreateSurface(i32 width, i32 height, u32 bitCount, u32 rMask, u32 gMask, u32 bMask, u32 caps);
void ReleaseSurface(Surface* surface);

// One lock at a time: a second lock of a locked surface is refused with kSurfErrBusy.
int LockSurface(Surface* surface, SurfaceDesc* desc);
void UnlockSurface(Surface* surface);
int GetSurfaceDesc(Surface* surface, SurfaceDesc* desc);
int SetColorKey(Surface* surface, u32 low, u32 high);
int ClearColorKey(Surface* surface);

// Colour fill (kBltColorFill, src null) or a copy that stretches when the sizes differ (nearest
// neighbour), optionally mirrored and source-keyed. A null rectangle means the whole surface.
// A rectangle outside its surface is refused and nothing is drawn. Source = destination is allowed.
int Blt(Surface* dst, const RECT* dstRect, Surface* src, const RECT* srcRect, u32 flags, u32 fillColor);
// Unscaled copy at (x, y); the destination rectangle must lie inside the destination.
int BltFast(Surface* dst, i32 x, i32 y, Surface* src, const RECT* srcRect, bool keyed);

// The source index that destination index j of a stretch reads: ceil((j·sw − ⌊dw/2⌋) / dw),
// clamped to the source. Scaled effect blits use the same distribution.
i32 StretchSourceIndex(i32 j, i32 sw, i32 dw);

// Writes the surface as a ".bmp" picture (for tests and debugging).
bool SaveSurfaceBmp(Surface* surface, const char* path);

}  // namespace plat
