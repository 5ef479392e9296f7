// The walks shared by the blit families: clipping, source check and locks of one call, then the
// plain walk (source forward, destination mirrored) and the scaled walk (column steps and a row
// accumulator). Internal to graphics/blit.
#pragma once
#include <cstddef>
#include <optional>

#include "graphics/blit/blt.h"
#include "graphics/blit/lock_pair.h"

namespace blt {

// One blit call with both surfaces locked for its lifetime. After a successful Begin, dst points at
// the first destination pixel in walk order (mirroring applied), src at the clipped source's top-left.
class Session {
public:
    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool BeginPlain(plat::Surface* dstSurf, i32 x, i32 y, plat::Surface* srcSurf, const RECT* srcRect, int flags);
    bool BeginScaled(plat::Surface* dstSurf, RECT* dstRect, plat::Surface* srcSurf, const RECT* srcRect,
                     int flags);

    u16* dst = nullptr;
    std::ptrdiff_t dstRowStep = 0;  // pixels to the next destination row in walk order
    const u16* src = nullptr;
    std::ptrdiff_t srcRowStep = 0;  // pixels to the next source row
    i32 w = 0, h = 0;    // destination size of the walk
    i32 sw = 0, sh = 0;  // source size (equal to w, h for the plain walk)
    bool mirrorX = false;
    bool is565 = false;

private:
    bool Lock(plat::Surface* dstSurf, plat::Surface* srcSurf);
    std::optional<SurfLockPair> locks_;
};

// Levels folded into a range.
inline i32 Clamp(i32 v, i32 lo, i32 hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Runs fn.template operator()<Keyed, MirrorX>() with the call's key flag and left-right mirror as
// compile-time choices, so the pixel loops carry no per-pixel branch on them.
template <class Fn>
void Dispatch4(bool keyed, bool mirrorX, Fn&& fn) {
    if (keyed) {
        if (mirrorX) fn.template operator()<true, true>();
        else fn.template operator()<true, false>();
    } else {
        if (mirrorX) fn.template operator()<false, true>();
        else fn.template operator()<false, false>();
    }
}

// One pixel of a walk. The keyed test is a select rather than a skip so that cheap operations
// vectorise (a skipped pixel gets its own value back); table lookups do not vectorise, so there
// skipping keyed pixels saves their work. Forced inline: left to itself the compiler keeps the table
// blend's loop measurably slower.
template <bool Keyed, class Op>
[[gnu::always_inline]] inline void ApplyPixel(const Op& op, u16* dp, u16 sv) {
    if constexpr (Op::kLookups) {
        if (Keyed && sv == 0) return;
        *dp = op(*dp, sv);
    } else {
        const u16 dv = *dp;
        const u16 out = op(dv, sv);
        *dp = (Keyed && sv == 0) ? dv : out;
    }
}

// ---- plain walk ----
template <bool Keyed, bool MirrorX, class Op>
void PlainRows(const Session& s, const Op& op) {
    u16* d = s.dst;
    const u16* sp = s.src;
    const i32 w = s.w;
    for (i32 row = 0; row < s.h; ++row) {
        for (i32 i = 0; i < w; ++i) ApplyPixel<Keyed>(op, MirrorX ? d - i : d + i, sp[i]);
        d += s.dstRowStep;
        sp += s.srcRowStep;
    }
}

template <class Op>
void WalkPlain(const Session& s, bool keyed, const Op& op) {
    Dispatch4(keyed, s.mirrorX, [&]<bool K, bool M>() { PlainRows<K, M>(s, op); });
}

// ---- scaled walk ----
// Calls rowFn(row, destination row start, source row start) for each destination row, moving the
// source row by the accumulator rule and never past the rectangle's last row.
template <class RowFn>
void ScaledRowWalk(const Session& s, RowFn rowFn) {
    const u32 dh = u32(s.h), sh = u32(s.sh);
    u32 acc = dh / 2;
    u32 srcRow = 0;
    u16* d = s.dst;
    const u16* sp = s.src;
    for (u32 row = 0; row < dh; ++row) {
        rowFn(row, d, sp);
        d += s.dstRowStep;
        while (acc < sh) {
            acc += dh;
            if (srcRow + 1 < sh) {
                ++srcRow;
                sp += s.srcRowStep;
            }
        }
        acc -= sh;
    }
}

template <bool Keyed, bool MirrorX, class Op>
void ScaledRows(const Session& s, const Op& op) {
    const i32 w = s.w;
    ScaledRowWalk(s, [&](u32, u16* d, const u16* sp) {
        for (i32 j = 0; j < w; ++j) {
            ApplyPixel<Keyed>(op, MirrorX ? d - j : d + j, *sp);
            sp += BltStepTbl[j] >> 1;
        }
    });
}

template <class Op>
void WalkScaled(const Session& s, bool keyed, const Op& op) {
    BLT_SetStepTbl(BltStepTbl, u32(s.w), u32(s.sw));
    Dispatch4(keyed, s.mirrorX, [&]<bool K, bool M>() { ScaledRows<K, M>(s, op); });
}

// Runs op over a plain or scaled blit of the common contract; the shared body of every member.
template <class Op>
int RunPlain(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, int flags, int keyFlag,
             const Op& makeOp) {
    Session s;
    if (!s.BeginPlain(dst, x, y, src, srcRect, flags)) return 0;
    makeOp(s, [&](const auto& op) { WalkPlain(s, keyFlag != 0, op); });
    return 0;
}

template <class Op>
int RunScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, int flags, int keyFlag,
              const Op& makeOp) {
    Session s;
    if (!s.BeginScaled(dst, dstRect, src, srcRect, flags)) return 0;
    makeOp(s, [&](const auto& op) { WalkScaled(s, keyFlag != 0, op); });
    return 0;
}

// ---- pixel operations ----
// Table blend: each 5-bit channel through its own 32×32 level slice (destination × 32 + source); 565
// green uses its upper five bits and is written back with bit 5 clear.
template <bool Is565>
struct OpTable {
    static constexpr bool kLookups = true;
    const u8* tr;
    const u8* tg;
    const u8* tb;
    u16 operator()(u16 d, u16 s) const {
        if constexpr (Is565) {
            const u32 r = tr[u32(d >> 11) << 5 | u32(s >> 11)];
            const u32 g = tg[(u32(d >> 6) & 31) << 5 | (u32(s >> 6) & 31)];
            const u32 b = tb[(u32(d) & 31) << 5 | (u32(s) & 31)];
            return u16(r << 11 | g << 6 | b);
        } else {
            const u32 r = tr[(u32(d >> 10) & 31) << 5 | (u32(s >> 10) & 31)];
            const u32 g = tg[(u32(d >> 5) & 31) << 5 | (u32(s >> 5) & 31)];
            const u32 b = tb[(u32(d) & 31) << 5 | (u32(s) & 31)];
            return u16(r << 10 | g << 5 | b);
        }
    }
};

// Tone through one 32-entry row per channel; the destination is not read.
template <bool Is565>
struct OpRows {
    static constexpr bool kLookups = true;
    const u8* rr;
    const u8* rg;
    const u8* rb;
    u16 operator()(u16, u16 s) const {
        if constexpr (Is565) {
            return u16(u32(rr[s >> 11]) << 11 | u32(rg[(s >> 6) & 31]) << 6 | rb[s & 31]);
        } else {
            return u16(u32(rr[(s >> 10) & 31]) << 10 | u32(rg[(s >> 5) & 31]) << 5 | rb[s & 31]);
        }
    }
};

// Saturating add of a source part: channels carry into their guard bit, which floods the channel.
struct OpAdd {
    static constexpr bool kLookups = false;
    u32 m, g, k, n;
    u16 operator()(u16 d, u16 s) const {
        const u32 part = (u32(s) & k) >> n;
        u32 r = (u32(d) & m) + part;
        const u32 t = r & g;
        return u16((r | (t - (t >> 5))) & m);
    }
};

// Saturating subtract: each guard bit lends to its channel; a consumed guard clears the channel.
struct OpSub {
    static constexpr bool kLookups = false;
    u32 g, k, n;
    u16 operator()(u16 d, u16 s) const {
        const u32 part = (u32(s) & k) >> n;
        u32 r = (u32(d) | g) - part;
        const u32 t = ~r & g;
        return u16(r & ~(t - (t >> 5)));
    }
};

struct OpHalf {
    static constexpr bool kLookups = false;
    u32 m;
    u16 operator()(u16 d, u16 s) const { return u16(((u32(s) & m) + (u32(d) & m)) >> 1); }
};

struct OpCopy {
    static constexpr bool kLookups = false;
    u16 operator()(u16, u16 s) const { return s; }
};

// Saturating add or subtract of a constant E to the source pixel (the tones).
struct OpToneLight {
    static constexpr bool kLookups = false;
    u32 m, g, e;
    u16 operator()(u16, u16 s) const {
        u32 r = (u32(s) & m) + e;
        const u32 t = r & g;
        return u16((r | (t - (t >> 5))) & m);
    }
};

struct OpToneDark {
    static constexpr bool kLookups = false;
    u32 g, e;
    u16 operator()(u16, u16 s) const {
        u32 r = (u32(s) | g) - e;
        const u32 t = ~r & g;
        return u16(r & ~(t - (t >> 5)));
    }
};

struct OpColor {
    static constexpr bool kLookups = false;
    u16 color;
    u16 operator()(u16, u16) const { return color; }
};

struct OpHalfColor {
    static constexpr bool kLookups = false;
    u32 m, colorM;
    u16 operator()(u16 d, u16) const { return u16(((u32(d) & m) + colorM) >> 1); }
};

inline u32 MaskM(bool is565) { return is565 ? BLT_M565 : BLT_M555; }
inline u32 MaskG(bool is565) { return is565 ? BLT_G565 : BLT_G555; }

// The table blend of one level per channel through the layout of the session's destination.
inline const u8* BlendLevel(i32 level) { return &BlendTbl[size_t(level) * 1024]; }

}  // namespace blt
