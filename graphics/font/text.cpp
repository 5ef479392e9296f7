// Text drawing: the per-character drawers, the glyph loops and the five styles, debug text and
// digit-strip numbers.
#include <cstdarg>
#include <cstdio>

#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/font/font.h"
#include "graphics/sprite/spr.h"

NUM_STRIP NumStripTbl[NUM_STRIP_MAX];

namespace {

// Positions this far out are off every surface; refusing them keeps the window arithmetic in range.
constexpr i32 kFar = 1 << 28;

u32 ReadRow32(const u8* p) { return u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16 | u32(p[3]) << 24; }

// A row alone in a zeroed word: the bits past its own bytes read as 0.
u32 CopyRow(const u8* p, int rowBytes) {
    u32 w = 0;
    for (int i = 0; i < rowBytes; ++i) w |= u32(p[i]) << (8 * i);
    return w;
}

void StoreRow32(u8* p, u32 w) {
    p[0] = u8(w);
    p[1] = u8(w >> 8);
    p[2] = u8(w >> 16);
    p[3] = u8(w >> 24);
}

bool Drawable(const plat::SurfaceDesc* d, i32 x, i32 y) {
    return d && d->pixels && d->bitCount == 16 && x > -kFar && x < kFar && y > -kFar && y < kFar;
}

u16* Line(const plat::SurfaceDesc* d, i32 y) {
    return reinterpret_cast<u16*>(static_cast<u8*>(d->pixels) + std::ptrdiff_t(y) * d->pitch);
}

// Screen column c of a window of `cols` columns shows bit (cols - c) of the row; clipping cuts the
// glyph without moving what is left of it.
void PutGlyphRows(const plat::SurfaceDesc* d, i32 x, i32 y, const u8* rows, int cols, int nrows, int pitch,
                  u16 color, const u16* grad) {
    if (!Drawable(d, x, y)) return;
    RECT src{0, 0, cols, nrows};
    if (!SURF_ClipBlt(d, &DispClipRect, &x, &y, &src, 0)) return;
    for (i32 r = src.top; r < src.bottom; ++r) {
        const u32 bits = ReadRow32(rows + r * pitch);
        const u16 c16 = grad ? grad[r] : color;
        u16* line = Line(d, y + (r - src.top)) + x;
        for (i32 c = src.left; c < src.right; ++c)
            if ((bits >> (cols - c)) & 1) line[c - src.left] = c16;
    }
}

// The same with every bit covering 2×2 pixels.
void PutGlyphRowsL(const plat::SurfaceDesc* d, i32 x, i32 y, const u8* rows, int cols, int nrows, int pitch,
                   u16 color, const u16* grad) {
    if (!Drawable(d, x, y)) return;
    RECT dst{x, y, x + 2 * cols, y + 2 * nrows};
    RECT src{0, 0, cols, nrows};
    // Only the trimmed destination is used: the scaled clip rounds the source edge, which would shift
    // a glyph cut through the middle of a doubled pixel.
    if (!SURF_ClipBltScaled(d, &DispClipRect, &dst, &src, 0)) return;
    for (i32 py = dst.top; py < dst.bottom; ++py) {
        const i32 r = (py - y) >> 1;
        const u32 bits = ReadRow32(rows + r * pitch);
        const u16 c16 = grad ? grad[r] : color;
        u16* line = Line(d, py);
        for (i32 px = dst.left; px < dst.right; ++px)
            if ((bits >> (cols - ((px - x) >> 1))) & 1) line[px] = c16;
    }
}

void TXT_PutGlyph(const plat::SurfaceDesc* d, i32 x, i32 y, const u8* rows, int cols, int nrows, int pitch,
                  u16 color) {
    PutGlyphRows(d, x, y, rows, cols, nrows, pitch, color, nullptr);
}

void TXT_PutGlyphGrad(const plat::SurfaceDesc* d, i32 x, i32 y, const u8* rows, int cols, int nrows, int pitch,
                      const u16* grad) {
    PutGlyphRows(d, x, y, rows, cols, nrows, pitch, 0, grad);
}

void TXT_PutGlyphL(const plat::SurfaceDesc* d, i32 x, i32 y, const u8* rows, int cols, int nrows, int pitch,
                   u16 color) {
    PutGlyphRowsL(d, x, y, rows, cols, nrows, pitch, color, nullptr);
}

void TXT_PutGlyphGradL(const plat::SurfaceDesc* d, i32 x, i32 y, const u8* rows, int cols, int nrows, int pitch,
                       const u16* grad) {
    PutGlyphRowsL(d, x, y, rows, cols, nrows, pitch, 0, grad);
}

// One character of the text, advancing the text pointer and x.
struct Char {
    const u8* glyph;  // null: nothing to draw
    bool wide;
    int rowBytes;
};

// Positions far off every surface may wrap; nothing is drawn there.
void Advance(i32* x, int step) { *x = i32(u32(*x) + u32(step)); }

bool TakeChar(i32* x, const u8** text, Char* ch) {
    const FONT_DATA& f = FontTbl[FontCurrent];
    const u8* p = *text;
    if (!*p) return false;
    if (*p >= 0xA1 && *p <= 0xC9) {
        if (!p[1]) {  // a lead byte without its trail: the text ends at its terminator
            *text = p + 1;
            return false;
        }
        ch->glyph = FONT_GetWideGlyph(u16(p[0] << 8 | p[1]));
        ch->wide = true;
        ch->rowBytes = f.wideRow;
        *text = p + 2;
        Advance(x, FontLarge ? 2 * f.width : f.width);
    } else {
        ch->glyph = FONT_GetNarrowGlyph(*p);
        ch->wide = false;
        ch->rowBytes = f.narrowRow;
        *text = p + 1;
        Advance(x, FontLarge ? (f.width & ~1) : (f.width >> 1));
    }
    return true;
}

enum class Shape { kPlain, kBold, kEdge };

// The windows: plain and gradient, bold, outline; narrow and wide; normal and large.
int WindowCols(Shape shape, bool wide, bool large) {
    const FONT_DATA& f = FontTbl[FontCurrent];
    const int half = f.width >> 1, width = f.width;
    switch (shape) {
    case Shape::kPlain: return large ? (wide ? width : half) : (wide ? width + 3 : half + 1);
    case Shape::kBold: return large ? (wide ? width + 1 : half + 1) : (wide ? width + 3 : half + 3);
    case Shape::kEdge: return large ? (wide ? width + 3 : half + 2) : (wide ? width + 5 : half + 3);
    }
    return 0;
}

// Builds the bold or outline rows of a glyph in buf (32 rows of 32 bits); returns the row count.
int BuildRows(Shape shape, bool large, const Char& ch, u8 (&buf)[32 * 4]) {
    const int height = FontTbl[FontCurrent].height;
    u32 r[FONT_HEIGHT_MAX + 2] = {};
    for (int i = 0; i < height; ++i) r[i] = CopyRow(ch.glyph + i * ch.rowBytes, ch.rowBytes);
    auto R = [&](int i) { return i >= 0 && i < height ? r[i] : 0u; };
    if (shape == Shape::kBold) {
        for (int i = 0; i < height; ++i) StoreRow32(buf + 4 * i, r[i] | r[i] << 1);
        return height;
    }
    if (!large) {
        for (int i = 0; i < height + 2; ++i) {
            const u32 row = (R(i - 2) << 1 | R(i) << 1 | R(i - 1) | R(i - 1) << 2) & ~(R(i - 1) << 1);
            StoreRow32(buf + 4 * i, row);
        }
    } else {
        auto B = [&](int i) { return R(i) | R(i) << 1; };
        for (int i = 0; i <= height; ++i) StoreRow32(buf + 4 * i, B(i) | B(i - 1));
        StoreRow32(buf + 4 * (height + 1), 0);
    }
    return height + 2;
}

void PutShaped(const plat::SurfaceDesc* d, i32* x, i32* y, const u8** text, Shape shape, bool large, u16 color,
               const u16* grad) {
    const i32 at = *x;
    Char ch{};
    if (!TakeChar(x, text, &ch) || !ch.glyph) return;
    const int cols = WindowCols(shape, ch.wide, large);
    const u8* rows = ch.glyph;
    int pitch = ch.rowBytes;
    int nrows = FontTbl[FontCurrent].height;
    u8 buf[32 * 4];
    if (shape != Shape::kPlain) {
        nrows = BuildRows(shape, large, ch, buf);
        rows = buf;
        pitch = 4;
    }
    if (large) {
        grad ? TXT_PutGlyphGradL(d, at, *y, rows, cols, nrows, pitch, grad)
             : TXT_PutGlyphL(d, at, *y, rows, cols, nrows, pitch, color);
    } else {
        grad ? TXT_PutGlyphGrad(d, at, *y, rows, cols, nrows, pitch, grad)
             : TXT_PutGlyph(d, at, *y, rows, cols, nrows, pitch, color);
    }
}

using Desc = const plat::SurfaceDesc;

void TXT_PutChar(Desc* d, i32* x, i32* y, const u8** t, u16 c) { PutShaped(d, x, y, t, Shape::kPlain, false, c, nullptr); }
void TXT_PutCharL(Desc* d, i32* x, i32* y, const u8** t, u16 c) { PutShaped(d, x, y, t, Shape::kPlain, true, c, nullptr); }
void TXT_PutCharGrad(Desc* d, i32* x, i32* y, const u8** t, const u16* g) { PutShaped(d, x, y, t, Shape::kPlain, false, 0, g); }
void TXT_PutCharGradL(Desc* d, i32* x, i32* y, const u8** t, const u16* g) { PutShaped(d, x, y, t, Shape::kPlain, true, 0, g); }
void TXT_PutCharBold(Desc* d, i32* x, i32* y, const u8** t, u16 c) { PutShaped(d, x, y, t, Shape::kBold, false, c, nullptr); }
void TXT_PutCharBoldL(Desc* d, i32* x, i32* y, const u8** t, u16 c) { PutShaped(d, x, y, t, Shape::kBold, true, c, nullptr); }
void TXT_PutCharBoldGrad(Desc* d, i32* x, i32* y, const u8** t, const u16* g) { PutShaped(d, x, y, t, Shape::kBold, false, 0, g); }
void TXT_PutCharBoldGradL(Desc* d, i32* x, i32* y, const u8** t, const u16* g) { PutShaped(d, x, y, t, Shape::kBold, true, 0, g); }
void TXT_PutCharEdge(Desc* d, i32* x, i32* y, const u8** t, u16 c) { PutShaped(d, x, y, t, Shape::kEdge, false, c, nullptr); }
void TXT_PutCharEdgeL(Desc* d, i32* x, i32* y, const u8** t, u16 c) { PutShaped(d, x, y, t, Shape::kEdge, true, c, nullptr); }

bool Gradient() { return FontTopColor != FontBottomColor; }

// One pass over the whole text from its start.
void PassFlat(Desc* d, i32 x, i32 y, const char* text, void (*put)(Desc*, i32*, i32*, const u8**, u16), u16 color) {
    const u8* p = reinterpret_cast<const u8*>(text);
    while (*p) put(d, &x, &y, &p, color);
}

void PassGrad(Desc* d, i32 x, i32 y, const char* text, void (*put)(Desc*, i32*, i32*, const u8**, const u16*)) {
    const u8* p = reinterpret_cast<const u8*>(text);
    while (*p) put(d, &x, &y, &p, FontGradTbl);
}

void PlainFace(Desc* d, i32 x, i32 y, const char* text) {
    if (Gradient())
        PassGrad(d, x, y, text, FontLarge ? TXT_PutCharGradL : TXT_PutCharGrad);
    else
        PassFlat(d, x, y, text, FontLarge ? TXT_PutCharL : TXT_PutChar, FontTopColor);
}

void BoldFace(Desc* d, i32 x, i32 y, const char* text) {
    if (Gradient())
        PassGrad(d, x, y, text, FontLarge ? TXT_PutCharBoldGradL : TXT_PutCharBoldGrad);
    else
        PassFlat(d, x, y, text, FontLarge ? TXT_PutCharBoldL : TXT_PutCharBold, FontTopColor);
}

void PlainShadow(Desc* d, i32 x, i32 y, const char* text) {
    PassFlat(d, x, y, text, FontLarge ? TXT_PutCharL : TXT_PutChar, FontShadowColor);
}

void TXT_DrawStyle0(Desc* d, i32 x, i32 y, const char* text) { PlainFace(d, x, y, text); }

void TXT_DrawStyle1(Desc* d, i32 x, i32 y, const char* text) { BoldFace(d, x, y, text); }

i32 Offset(i32 v, int d) { return i32(u32(v) + u32(d)); }

void TXT_DrawStyle2(Desc* d, i32 x, i32 y, const char* text) {
    PlainShadow(d, Offset(x, 1), Offset(y, 1), text);
    PlainFace(d, x, y, text);
}

void TXT_DrawStyle3(Desc* d, i32 x, i32 y, const char* text) {
    PlainShadow(d, Offset(x, FontLarge ? 2 : 1), Offset(y, 1), text);
    BoldFace(d, Offset(x, -1), y, text);
}

void TXT_DrawStyle4(Desc* d, i32 x, i32 y, const char* text) {
    PassFlat(d, Offset(x, -1), Offset(y, -1), text, FontLarge ? TXT_PutCharEdgeL : TXT_PutCharEdge, FontShadowColor);
    PlainFace(d, x, y, text);
}

void DrawStyled(Desc* d, i32 x, i32 y, const char* text) {
    switch (FontStyle) {
    case FONT_STYLE_BOLD: TXT_DrawStyle1(d, x, y, text); break;
    case FONT_STYLE_SHADOW: TXT_DrawStyle2(d, x, y, text); break;
    case FONT_STYLE_SHADOW_BOLD: TXT_DrawStyle3(d, x, y, text); break;
    case FONT_STYLE_OUTLINE: TXT_DrawStyle4(d, x, y, text); break;
    default: TXT_DrawStyle0(d, x, y, text); break;
    }
}

// A null format draws nothing.
void FormatText(char* text, size_t size, const char* format, va_list args) {
    if (!format) {
        text[0] = '\0';
        return;
    }
    std::vsnprintf(text, size, format, args);
}

void DrawFormatted(Desc* d, i32 x, i32 y, const char* format, va_list args) {
    char text[TXT_BUFFER_SIZE];
    FormatText(text, sizeof text, format, args);
    DrawStyled(d, x, y, text);
}
}  // namespace

int TXT_DrawText(plat::Surface* surface, i32 x, i32 y, const char* format, ...) {
    plat::SurfaceDesc desc{};
    if (SURF_Lock(surface, &desc) != plat::kSurfOk) return 0;
    va_list args;
    va_start(args, format);
    DrawFormatted(&desc, x, y, format, args);
    va_end(args);
    SURF_Unlock(surface);
    return 1;
}

int TXT_DrawText2(plat::SurfaceDesc* desc, i32 x, i32 y, const char* format, ...) {
    va_list args;
    va_start(args, format);
    DrawFormatted(desc, x, y, format, args);
    va_end(args);
    return 1;
}

void TXT_DrawDebugText(plat::Surface* surface, i32 x, i32 y, const char* format, ...) {
    char text[TXT_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    FormatText(text, sizeof text, format, args);
    va_end(args);
    plat::Surface* font = DebugFontSurf >= 0 ? SPR_GetSlotSurf(DebugFontSurf) : nullptr;
    for (const u8* p = reinterpret_cast<const u8*>(text); *p; ++p, x += 8) {
        if (!font || *p < 32 || *p > 127 || x <= -kFar || x >= kFar) continue;
        const i32 cell = *p - 32;
        const RECT src{cell % 16 * 8, cell / 16 * 8, cell % 16 * 8 + 8, cell / 16 * 8 + 8};
        BLT_Copy(surface, x, y, font, &src, 1);
    }
}

void TXT_SetNumStrip(int strip, plat::Surface** source, i32 altSets, i32 x, i32 y, i32 cellWidth, i32 cellHeight) {
    if (strip < 0 || strip >= NUM_STRIP_MAX) return;
    NumStripTbl[strip] = NUM_STRIP{altSets, x, y, cellWidth, cellHeight, source};
}

i32 TXT_GetNumStrip(int strip) {
    if (strip < 0 || strip >= NUM_STRIP_MAX) return 0;
    return NumStripTbl[strip].altSets;
}

namespace {

// Copies cell `cell` of the strip (counted from X) to (x, y); cells that do not fit the coordinates
// are off every picture and draw nothing.
void PutCell(plat::Surface* dst, i32 x, i32 y, const NUM_STRIP& s, i64 X, i64 cell, int keyFlag) {
    plat::Surface* src = s.source ? *s.source : nullptr;
    if (!src) return;
    const i64 left = X + cell * s.cellWidth, right = left + s.cellWidth;
    const i64 bottom = i64(s.y) + s.cellHeight;
    if (left < -kFar || right > kFar || bottom > kFar || s.y < -kFar) return;
    const RECT r{i32(left), s.y, i32(right), i32(bottom)};
    BLT_Copy(dst, x, y, src, &r, keyFlag);
}

}  // namespace

i32 TXT_DrawNum(plat::Surface* dst, i32 x, i32 y, int strip, i32 value, int digits, int useAltSets, int signMode,
                int advance, int keyFlag) {
    if (strip < 0 || strip >= NUM_STRIP_MAX) return x;
    const NUM_STRIP s = NumStripTbl[strip];
    i64 X = s.x;
    const i64 cw = s.cellWidth;
    i64 pos = x;
    // A requested sign cell marks every value that is not zero.
    if (signMode >= 0 && value != 0) {
        PutCell(dst, i32(pos), y, s, X, value > 0 ? 20 : 21, keyFlag);
        pos += cw;
    }
    if (useAltSets && s.altSets) {
        if (value > 0) X += 10 * cw;
        if (value < 0) X += 20 * cw;
    }
    if (digits > NUM_DIGITS_MAX) digits = NUM_DIGITS_MAX;
    i64 divisor = 1;
    for (int i = 1; i < digits; ++i) divisor *= 10;
    i64 v = value < 0 ? -i64(value) : i64(value);
    bool shown = false;
    while (divisor != 0) {
        const i64 d = v / divisor;
        v -= d * divisor;
        divisor /= 10;
        if (d > 0 || shown || divisor == 0) {
            shown = true;
            if (pos > -kFar && pos < kFar) PutCell(dst, i32(pos), y, s, X, d, keyFlag);
            if (advance == 0) pos += cw;
        }
        if (advance == 1) pos += cw;
    }
    return i32(pos);
}
