#include "blt_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "graphics/blit/blend_table.h"
#include "graphics/display/disp.h"

namespace bltt {

std::string Hex(u32 v) {
    char b[16];
    std::snprintf(b, sizeof b, "0x%04X", v);
    return b;
}

Surf::Surf(bool is565, i32 w, i32 h) {
    s_ = is565 ? plat::CreateSurface(w, h, 16, 0xF800, 0x07E0, 0x001F, plat::kCapsOffscreenPlain)
               : plat::CreateSurface(w, h, 16, 0x7C00, 0x03E0, 0x001F, plat::kCapsOffscreenPlain);
    plat::SetColorKey(s_, 0, 0);
}

Surf::~Surf() { plat::ReleaseSurface(s_); }

void Surf::Put(const Image& img) {
    for (i32 y = 0; y < img.h; ++y) std::memcpy(s_->pixels + size_t(y) * size_t(s_->pitch), &img.px[size_t(y) * size_t(img.w)], size_t(img.w) * 2);
}

Image Surf::Get() const {
    Image img{s_->width, s_->height, std::vector<u16>(size_t(s_->width) * size_t(s_->height))};
    for (i32 y = 0; y < img.h; ++y) std::memcpy(&img.px[size_t(y) * size_t(img.w)], s_->pixels + size_t(y) * size_t(s_->pitch), size_t(img.w) * 2);
    return img;
}

void Surf::FillAll(u16 v) { Put(SolidImage(s_->width, s_->height, v)); }

Image RandomImage(std::mt19937& rng, i32 w, i32 h, int zeroPercent) {
    Image img{w, h, std::vector<u16>(size_t(w) * size_t(h))};
    std::uniform_int_distribution<int> pct(0, 99);
    std::uniform_int_distribution<int> val(1, 0xFFFF);
    for (auto& p : img.px) p = pct(rng) < zeroPercent ? 0 : u16(val(rng));
    return img;
}

Image SolidImage(i32 w, i32 h, u16 v) { return Image{w, h, std::vector<u16>(size_t(w) * size_t(h), v)}; }

void SetDisplay(bool is565, const RECT& clip) {
    BLT_InitBlendTbl();
    DispClipRect = clip;
    DispPixelFormat.maskR = is565 ? 0xF800 : 0x7C00;
    DispPixelFormat.maskG = is565 ? 0x07E0 : 0x03E0;
    DispPixelFormat.maskB = 0x001F;
}

Rgb Unpack(bool is565, u16 p) {
    if (is565) return Rgb{u32(p >> 11) & 31, u32(p >> 5) & 63, u32(p) & 31};
    return Rgb{u32(p >> 10) & 31, u32(p >> 5) & 31, u32(p) & 31};
}

u16 Pack(bool is565, Rgb c) {
    if (is565) return u16(c.r << 11 | c.g << 5 | c.b);
    return u16(c.r << 10 | c.g << 5 | c.b);
}

u32 TableEntry(i32 level, i32 d, i32 s) {
    if (level == 0) return s == 0 ? 0 : u32(d);
    if (level == 31) return u32(s);
    if (level < 31) {
        // Floor division by 32 of a signed product.
        auto floorDiv = [](i32 v) { return v >= 0 ? v / 32 : -((-v + 31) / 32); };
        if (s == 0) return u32(d + floorDiv(-d * level));
        const i32 v = d + floorDiv((s - d) * level);
        return v == 0 ? 1u : u32(v);
    }
    return u32(std::min(31, d + s * (level - 32) / 32));
}

u16 ModelTable(bool is565, i32 lr, i32 lg, i32 lb, u16 d, u16 s) {
    const Rgb dc = Unpack(is565, d), sc = Unpack(is565, s);
    Rgb out{TableEntry(lr, i32(dc.r), i32(sc.r)), 0, TableEntry(lb, i32(dc.b), i32(sc.b))};
    out.g = is565 ? TableEntry(lg, i32(dc.g >> 1), i32(sc.g >> 1)) << 1 : TableEntry(lg, i32(dc.g), i32(sc.g));
    return Pack(is565, out);
}

static u32 ToneEntry(i32 level, u32 s) { return level < 32 ? TableEntry(level, 0, i32(s)) : TableEntry(62 - level, 31, i32(s)); }

u16 ModelToneRows(bool is565, i32 lr, i32 lg, i32 lb, u16 s) {
    const Rgb sc = Unpack(is565, s);
    Rgb out{ToneEntry(lr, sc.r), 0, ToneEntry(lb, sc.b)};
    out.g = is565 ? ToneEntry(lg, sc.g >> 1) << 1 : ToneEntry(lg, sc.g);
    return Pack(is565, out);
}

Rgb SourcePart(bool is565, u16 s, int shift) {
    const Rgb c = Unpack(is565, s);
    return Rgb{(c.r >> shift) & ~1u, (c.g >> shift) & ~1u, (c.b >> shift) & ~1u};
}

u16 ModelAdd(bool is565, u16 d, Rgb part) {
    const Rgb c = Unpack(is565, d);
    auto ch = [](u32 v, u32 p, u32 max) { const u32 sum = (v & ~1u) + p; return sum > max ? max - 1 : sum; };
    return Pack(is565, Rgb{ch(c.r, part.r, 31), ch(c.g, part.g, is565 ? 63 : 31), ch(c.b, part.b, 31)});
}

u16 ModelSub(bool is565, u16 d, Rgb part) {
    const Rgb c = Unpack(is565, d);
    const bool okB = c.b >= part.b;
    const u32 b = okB ? c.b - part.b : 0;
    const bool okG = (c.g & ~1u) >= part.g;
    // A green that falls below 0 is cleared above its lowest bit only in 565 (the guard spread covers
    // five bits), so blue's guard survives there.
    const u32 blueGuard = okB ? 1 : 0;
    const u32 g = okG ? (c.g & ~1u) - part.g + blueGuard : (is565 ? blueGuard : 0);
    const bool okR = (c.r & ~1u) >= part.r;
    const u32 r = okR ? (c.r & ~1u) - part.r + (okG ? 1 : 0) : 0;
    u16 out = Pack(is565, Rgb{r, g, b});
    if (!is565 && okR) out |= 0x8000;
    return out;
}

u16 ModelHalf(bool is565, u16 d, u16 s) {
    const Rgb a = Unpack(is565, d), b = Unpack(is565, s);
    return Pack(is565, Rgb{(a.r >> 1) + (b.r >> 1), (a.g >> 1) + (b.g >> 1), (a.b >> 1) + (b.b >> 1)});
}

u16 ModelDark(bool is565, u16 s, i32 level) {
    const Rgb c = Unpack(is565, s);
    const u32 l = u32(std::clamp(level, 0, 31));
    return Pack(is565, Rgb{c.r * l / 32, c.g * l / 32, c.b * l / 32});
}

u16 ModelWhite(bool is565, u16 s, i32 level) {
    const Rgb c = Unpack(is565, s);
    const u32 l = u32(level), gmax = is565 ? 63 : 31;
    return Pack(is565, Rgb{c.r + (31 - c.r) * l / 32, c.g + (gmax - c.g) * l / 32, c.b + (31 - c.b) * l / 32});
}

static RECT Bounds(i32 w, i32 h, const RECT& clip) {
    return RECT{std::max(clip.left, 0), std::max(clip.top, 0), std::min(clip.right, w), std::min(clip.bottom, h)};
}

static bool InImage(const Image& img, i32 x, i32 y) { return x >= 0 && y >= 0 && x < img.w && y < img.h; }

Image ModelPlain(const Image& dst, const Image& src, i32 x, i32 y, const RECT& srcRect, int mirror, bool keyed,
                 const RECT& clip, const PixelFn& f) {
    Image out = dst;
    const RECT b = Bounds(dst.w, dst.h, clip);
    const i32 w0 = srcRect.right - srcRect.left, h0 = srcRect.bottom - srcRect.top;
    auto dxOf = [&](i32 u) { return x + ((mirror & 1) ? w0 - 1 - u : u); };
    auto dyOf = [&](i32 v) { return y + ((mirror & 2) ? h0 - 1 - v : v); };
    i32 umin = -1, umax = -1, vmin = -1, vmax = -1;
    for (i32 u = 0; u < w0; ++u)
        if (dxOf(u) >= b.left && dxOf(u) < b.right) {
            if (umin < 0) umin = u;
            umax = u;
        }
    for (i32 v = 0; v < h0; ++v)
        if (dyOf(v) >= b.top && dyOf(v) < b.bottom) {
            if (vmin < 0) vmin = v;
            vmax = v;
        }
    if (umin < 0 || vmin < 0) return out;
    if (!InImage(src, srcRect.left + umin, srcRect.top + vmin) || !InImage(src, srcRect.left + umax, srcRect.top + vmax))
        return out;
    for (i32 v = vmin; v <= vmax; ++v)
        for (i32 u = umin; u <= umax; ++u) {
            const u16 s = src.at(srcRect.left + u, srcRect.top + v);
            if (keyed && s == 0) continue;
            u16& d = out.at(dxOf(u), dyOf(v));
            d = f(d, s, vmax - v + 1, umax - u + 1);
        }
    return out;
}

bool ClipScaled(i32 dstW, i32 dstH, const RECT& clip, RECT* d, RECT* s, int mirror) {
    const RECT b = Bounds(dstW, dstH, clip);
    if (d->left > b.right || d->right <= b.left) return false;
    const i32 dw = d->right - d->left, sw = s->right - s->left;
    if (d->left < b.left) {
        const i32 cut = (b.left - d->left) * sw / dw;
        d->left = b.left;
        ((mirror & 1) ? s->right : s->left) += (mirror & 1) ? -cut : cut;
    }
    if (d->right > b.right) {
        const i32 cut = (d->right - b.right) * sw / dw;
        d->right = b.right;
        ((mirror & 1) ? s->left : s->right) += (mirror & 1) ? cut : -cut;
    }
    if (d->left >= d->right || s->left >= s->right) return false;
    if (d->top > b.bottom || d->bottom <= b.top) return false;
    const i32 dh = d->bottom - d->top, sh = s->bottom - s->top;
    if (d->top < b.top) {
        const i32 cut = (b.top - d->top) * sh / dh;
        d->top = b.top;
        ((mirror & 2) ? s->bottom : s->top) += (mirror & 2) ? -cut : cut;
    }
    if (d->bottom > b.bottom) {
        const i32 cut = (d->bottom - b.bottom) * sh / dh;
        d->bottom = b.bottom;
        ((mirror & 2) ? s->top : s->bottom) += (mirror & 2) ? cut : -cut;
    }
    return d->top < d->bottom && s->top < s->bottom;
}

static i32 StretchIndex(i32 j, i32 sw, i32 dw) {
    const i64 num = i64(j) * sw - dw / 2;
    const i64 idx = num <= 0 ? 0 : (num + dw - 1) / dw;
    return i32(std::min<i64>(idx, sw - 1));
}

Image ModelScaledClipped(const Image& dst, const Image& src, const RECT& d, const RECT& s, int mirror, bool keyed,
                         const PixelFn& f) {
    Image out = dst;
    if (!InImage(src, s.left, s.top) || !InImage(src, s.right - 1, s.bottom - 1)) return out;
    const i32 dw = d.right - d.left, dh = d.bottom - d.top, sw = s.right - s.left, sh = s.bottom - s.top;
    for (i32 i = 0; i < dh; ++i)
        for (i32 j = 0; j < dw; ++j) {
            const u16 sv = src.at(s.left + StretchIndex(j, sw, dw), s.top + StretchIndex(i, sh, dh));
            if (keyed && sv == 0) continue;
            const i32 dx = (mirror & 1) ? d.right - 1 - j : d.left + j;
            const i32 dy = (mirror & 2) ? d.bottom - 1 - i : d.top + i;
            u16& dp = out.at(dx, dy);
            dp = f(dp, sv, dh - i, dw - j);
        }
    return out;
}

namespace {

struct Placement {
    i32 x, y;
    RECT src;
};

// First differing pixel, for the failure message.
std::string Diff(const Image& got, const Image& want) {
    for (i32 y = 0; y < got.h; ++y)
        for (i32 x = 0; x < got.w; ++x)
            if (got.at(x, y) != want.at(x, y))
                return "at (" + std::to_string(x) + "," + std::to_string(y) + ") got " + Hex(got.at(x, y)) +
                       " want " + Hex(want.at(x, y));
    return "";
}

}  // namespace

void CheckFamily(const Family& f) {
    constexpr i32 kDstW = 64, kDstH = 48, kSrcW = 37, kSrcH = 29;
    const Placement placements[] = {
        {5, 7, {0, 0, kSrcW, kSrcH}},      // inside
        {-9, 3, {0, 0, kSrcW, kSrcH}},     // clipped left
        {40, -6, {0, 0, kSrcW, kSrcH}},    // clipped right and top
        {30, 30, {3, 2, 30, 27}},          // clipped right and bottom, sub-rectangle
        {-2, -3, {1, 1, 12, 10}},          // odd width, clipped left and top
        {20, 10, {2, 4, 3, 25}},           // one column
        {60, 40, {0, 0, 9, 9}},            // mostly outside
        {70, 0, {0, 0, kSrcW, kSrcH}},     // wholly outside
        {10, 10, {30, 20, 45, 35}},        // source rectangle leaves the source: nothing
        {-5, 0, {-5, 0, 10, 10}},          // outside part clipped away: drawn
    };
    const RECT clips[] = {{0, 0, 640, 480}, {4, 6, 50, 40}};
    const RECT scaledRects[] = {
        {-20, -10, 91, 77},  // more than triple, clipped everywhere
        {3, 4, 20, 18},      // shrunk
        {7, 9, 60, 31},      // uneven
        {-30, 5, 10, 45},    // clipped left
    };
    std::mt19937 rng(1234);
    for (bool is565 : {false, true})
        for (int key : {0, 1})
            for (int mirror = 0; mirror < 4; ++mirror)
                for (const RECT& clip : clips) {
                    SetDisplay(is565, clip);
                    const bool keyed = key != 0 || f.alwaysKeyed;
                    auto pix = [&](u16 d, u16 s, i32 r, i32 n) { return f.model(is565, d, s, r, n); };
                    const Image dstImg = RandomImage(rng, kDstW, kDstH, 10);
                    const Image srcImg = RandomImage(rng, kSrcW, kSrcH, 25);
                    Surf dst(is565, kDstW, kDstH), src(is565, kSrcW, kSrcH);
                    src.Put(srcImg);
                    const std::string base = f.name + (is565 ? " 565" : " 555") + " key " + std::to_string(key) +
                                             " mirror " + std::to_string(mirror) + " clip " +
                                             std::to_string(clip.left) + " ";
                    for (const Placement& p : placements) {
                        const std::string where = base + "at " + std::to_string(p.x) + "," + std::to_string(p.y) +
                                                  " src " + std::to_string(p.src.left) + "," +
                                                  std::to_string(p.src.top) + "," + std::to_string(p.src.right) +
                                                  "," + std::to_string(p.src.bottom);
                        const Image want = ModelPlain(dstImg, srcImg, p.x, p.y, p.src, mirror, keyed, clip, pix);
                        dst.Put(dstImg);
                        const RECT callerRect = p.src;
                        f.plain(dst, p.x, p.y, src, &callerRect, mirror, key);
                        Image got = dst.Get();
                        ASSERT_TRUE(got == want) << where << " plain: " << Diff(got, want);
                        ASSERT_EQ(callerRect.left, p.src.left) << where;  // the caller's rectangle is left alone
                        if (!f.scaled) continue;
                        // Equal sizes map one to one: the same pixels as the plain blit.
                        RECT dr{p.x, p.y, p.x + (p.src.right - p.src.left), p.y + (p.src.bottom - p.src.top)};
                        dst.Put(dstImg);
                        f.scaled(dst, &dr, src, &p.src, mirror, key);
                        got = dst.Get();
                        ASSERT_TRUE(got == want) << where << " scaled 1:1: " << Diff(got, want);
                    }
                    if (!f.scaled) continue;
                    for (const RECT& sr : scaledRects) {
                        for (const RECT& srcRect : {RECT{0, 0, kSrcW, kSrcH}, RECT{5, 3, 16, 12}}) {
                            RECT d = sr, s = srcRect;
                            Image want = dstImg;
                            if (ClipScaled(kDstW, kDstH, clip, &d, &s, mirror))
                                want = ModelScaledClipped(dstImg, srcImg, d, s, mirror, keyed, pix);
                            RECT callerRect = sr;
                            dst.Put(dstImg);
                            f.scaled(dst, &callerRect, src, &srcRect, mirror, key);
                            const Image got = dst.Get();
                            ASSERT_TRUE(got == want)
                                << base << "scaled to " << sr.left << "," << sr.top << "," << sr.right << ","
                                << sr.bottom << " from " << srcRect.left << "," << srcRect.top << ": "
                                << Diff(got, want);
                        }
                    }
                }
}

}  // namespace bltt
