// Silhouettes (one colour, solid or at 50 %, wherever the source is not 0) and tones (the source redrawn
// from black through itself to white).
#include "graphics/blit/blt_walk.h"
#include "graphics/display/surf.h"

using blt::Session;

namespace {

// Every channel set to k with its lowest bit cleared; the six-bit green of 565 gets 2k.
u32 ToneConst(bool is565, i32 k) {
    const u32 v = u32(k);
    return is565 ? (v | v << 6 | v << 11) & BLT_M565 : (v | v << 5 | v << 10) & BLT_M555;
}

auto DarkOp(i32 level) {
    return [level](const Session& s, auto&& walk) {
        walk(blt::OpToneDark{blt::MaskG(s.is565), ToneConst(s.is565, 31 - level)});
    };
}

auto LightOp(i32 amount) {
    return [amount](const Session& s, auto&& walk) {
        walk(blt::OpToneLight{blt::MaskM(s.is565), blt::MaskG(s.is565), ToneConst(s.is565, amount)});
    };
}

auto ColorOp(u16 color) {
    return [color](const Session&, auto&& walk) { walk(blt::OpColor{color}); };
}

auto HalfColorOp(u16 color) {
    return [color](const Session& s, auto&& walk) {
        const u32 m = blt::MaskM(s.is565);
        walk(blt::OpHalfColor{m, color & m});
    };
}

}  // namespace

int BLT_Silhouette(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, u16 color,
                   int flags) {
    return blt::RunPlain(dst, x, y, src, srcRect, flags, 1, ColorOp(color));
}

int BLT_SilhouetteScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, u16 color,
                         int flags) {
    return blt::RunScaled(dst, dstRect, src, srcRect, flags, 1, ColorOp(color));
}

int BLT_Silhouette50(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, u16 color,
                     int flags) {
    return blt::RunPlain(dst, x, y, src, srcRect, flags, 1, HalfColorOp(color));
}

int BLT_Silhouette50Scaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect,
                           u16 color, int flags) {
    return blt::RunScaled(dst, dstRect, src, srcRect, flags, 1, HalfColorOp(color));
}

int BLT_ToneDark(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 level, int flags,
                 int keyFlag) {
    return blt::RunPlain(dst, x, y, src, srcRect, flags, keyFlag, DarkOp(level));
}

int BLT_ToneDarkScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 level,
                       int flags, int keyFlag) {
    return blt::RunScaled(dst, dstRect, src, srcRect, flags, keyFlag, DarkOp(level));
}

int BLT_ToneLight(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 amount,
                  int flags, int keyFlag) {
    return blt::RunPlain(dst, x, y, src, srcRect, flags, keyFlag, LightOp(amount));
}

int BLT_ToneLightScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 amount,
                        int flags, int keyFlag) {
    return blt::RunScaled(dst, dstRect, src, srcRect, flags, keyFlag, LightOp(amount));
}

int BLT_Tone(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 level, int flags,
             int keyFlag) {
    if (level == 31) return BLT_CopyFlip(dst, x, y, src, srcRect, flags, keyFlag);
    if (level < 1) return BLT_Silhouette(dst, x, y, src, srcRect, 0, flags);
    if (level >= 62) return BLT_Silhouette(dst, x, y, src, srcRect, 0xFFFF, flags);
    if (level <= 30) return BLT_ToneDark(dst, x, y, src, srcRect, level, flags, keyFlag);
    return BLT_ToneLight(dst, x, y, src, srcRect, level - 31, flags, keyFlag);
}

int BLT_ToneScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 level,
                   int flags, int keyFlag) {
    if (level == 31) return BLT_CopyScaled(dst, dstRect, src, srcRect, flags, keyFlag);
    if (level < 1) return BLT_SilhouetteScaled(dst, dstRect, src, srcRect, 0, flags);
    if (level >= 62) return BLT_SilhouetteScaled(dst, dstRect, src, srcRect, 0xFFFF, flags);
    if (level <= 30) return BLT_ToneDarkScaled(dst, dstRect, src, srcRect, level, flags, keyFlag);
    return BLT_ToneLightScaled(dst, dstRect, src, srcRect, level - 31, flags, keyFlag);
}

int BLT_ToneTbl(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 level, int flags,
                int keyFlag) {
    if (level == 31) return BLT_CopyFlip(dst, x, y, src, srcRect, flags, keyFlag);
    if (level < 1) return BLT_Silhouette(dst, x, y, src, srcRect, 0, flags);
    if (level >= 62) return BLT_Silhouette(dst, x, y, src, srcRect, 0xFFFF, flags);
    // Levels 1..30 scale toward black and 32..61 lift toward white: the per-channel tone's rows.
    return BLT_ToneRGB(dst, x, y, src, srcRect, level, level, level, flags, keyFlag);
}

int BLT_ToneTblScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 level,
                      int flags, int keyFlag) {
    if (level == 31) return BLT_CopyScaled(dst, dstRect, src, srcRect, flags, keyFlag);
    if (level < 1) return BLT_SilhouetteScaled(dst, dstRect, src, srcRect, 0, flags);
    if (level >= 62) return BLT_SilhouetteScaled(dst, dstRect, src, srcRect, 0xFFFF, flags);
    return BLT_ToneRGBScaled(dst, dstRect, src, srcRect, level, level, level, flags, keyFlag);
}
