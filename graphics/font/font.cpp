// Font slots, the current text state, the gradient and glyph lookup.
#include "graphics/font/font.h"

#include <cstring>

#include "graphics/display/disp.h"
#include "graphics/sprite/spr.h"
#include "platform/file.h"
#include "platform/memory.h"
#include "shell/common.h"
#include "shell/lz.h"

FONT_DATA FontTbl[FONT_MAX];
int FontCurrent = 0;
int FontStyle = 0;
int FontLarge = 0;
u16 FontTopColor = 0;
u16 FontBottomColor = 1;
u16 FontShadowColor = 1;
u16 FontGradTbl[FONT_GRAD_ROWS];
int DebugFontSurf = -1;

namespace {

// What a glyph the block does not hold reads as: every row of every drawer, plus the 32-bit overread.
const u8 kBlankGlyph[FONT_HEIGHT_MAX * 4 + FONT_BLOCK_PAD] = {};

// The largest font's glyphs fill under 1.3 MB; a block far beyond that is damage, refused before it is
// allocated.
constexpr u32 kMaxGlyphBlock = 16u << 20;

u16 StoredColor(i32 arg) {
    const u16 c = u16(arg);
    return c ? c : 1;
}

struct Channels {
    int r, g, b;
};

Channels Widen(u16 c) {
    const DISP_PIXEL_FORMAT& f = DispPixelFormat;
    return Channels{(c >> f.shiftR) << f.lostR, ((c & f.maskG) >> f.shiftG) << f.lostG, (c & f.maskB) << f.lostB};
}

u16 Pack(const Channels& v) {
    const DISP_PIXEL_FORMAT& f = DispPixelFormat;
    return u16((v.r >> f.lostR) << f.shiftR | (v.g >> f.lostG) << f.shiftG | (v.b >> f.lostB) << f.shiftB);
}

}  // namespace

u16 FONT_White() {
    const DISP_PIXEL_FORMAT& f = DispPixelFormat;
    return u16(f.maxR << f.shiftR | f.maxG << f.shiftG | f.maxB << f.shiftB);
}

int FONT_Init() {
    FONT_Release();
    DebugFontSurf = SPR_LoadSurf(MakeFilePath("dfont.grp"), 0);
    return DebugFontSurf >= 0 ? 1 : 0;
}

void FONT_Release() {
    for (int i = 0; i < FONT_MAX; ++i) FONT_DelFont(i);
    FontCurrent = 0;
    FontStyle = 0;
    FontLarge = 0;
    FontTopColor = FONT_White();
    FontBottomColor = 0;
    FontShadowColor = 0;
    FontGradTbl[0] = FontTopColor;
    FontGradTbl[FONT_GRAD_ROWS - 1] = 0;
    FONT_SetColor(FONT_White(), 0, 0);
    if (DebugFontSurf >= 0) {
        SPR_DelSurfDat(DebugFontSurf);
        DebugFontSurf = -1;
    }
}

int FONT_DelFont(int slot) {
    if (slot < 0 || slot >= FONT_MAX) return 0;
    FONT_DATA& f = FontTbl[slot];
    if (!f.loaded) return 0;
    plat::GlobalFree(f.glyphs);
    f = FONT_DATA{};
    return 1;
}

int FONT_LoadFont(int slot, const char* name) {
    if (slot < 0 || slot >= FONT_MAX) return 0;
    FONT_DelFont(slot);
    plat::File* file = name ? plat::FileOpenRead(name) : nullptr;
    if (!file) return 0;
    u8 head[7];
    if (plat::FileRead(file, head, 7) != 7 || std::memcmp(head, "FNT", 3) != 0) {
        plat::FileClose(file);
        return 0;
    }
    const u16 width = u16(head[3] | head[4] << 8);
    const u16 height = u16(head[5] | head[6] << 8);
    // Beyond these the drawers' 32-bit windows, 32-row buffers and the gradient table would overflow.
    if (width == 0 || height == 0 || width > FONT_WIDTH_MAX || height > FONT_HEIGHT_MAX) {
        DebugMsg("%s: font size %ux%u is not supported", name, width, height);
        plat::FileClose(file);
        return 0;
    }
    void* block = nullptr;
    u32 size = 0;
    if (!LZ_ExpandFromFileAlloc(file, &block, &size, kMaxGlyphBlock)) {
        if (size > kMaxGlyphBlock) DebugMsg("%s: a %u-byte glyph block is too large", name, size);
        plat::FileClose(file);
        return 0;
    }
    plat::FileClose(file);
    u8* padded = static_cast<u8*>(plat::GlobalAllocZero(std::size_t(size) + FONT_BLOCK_PAD));
    if (!padded) {
        plat::GlobalFree(block);
        DebugMsg("%s: no memory for the glyphs", name);
        return 0;
    }
    std::memcpy(padded, block, size);
    plat::GlobalFree(block);

    FONT_DATA& f = FontTbl[slot];
    f.width = width;
    f.height = height;
    f.narrowRow = u16(((width >> 1) + 7) >> 3);
    f.narrowSize = u32(f.narrowRow) * height;
    f.wideRow = u16((width + 7) >> 3);
    f.wideSize = u32(f.wideRow) * height;
    f.glyphs = padded;
    f.blockSize = size;
    // Nothing in the file counts the glyphs: the block's length decides, and a glyph cut short is missing.
    const u64 narrowBytes = u64(FONT_NARROW_COUNT) * f.narrowSize;
    if (f.narrowSize == 0) {
        f.narrowCount = FONT_NARROW_COUNT;
    } else {
        const u64 n = size / f.narrowSize;
        f.narrowCount = u32(n < FONT_NARROW_COUNT ? n : FONT_NARROW_COUNT);
    }
    const u64 wide = size > narrowBytes ? (size - narrowBytes) / f.wideSize : 0;
    f.wideCount = u32(wide < FONT_WIDE_SLOT_MAX ? wide : FONT_WIDE_SLOT_MAX);
    f.loaded = 1;
    return 1;
}

int FONT_SetFont(int font, int style, int large) {
    if (font >= 0) FONT_SelectFont(font);
    if (style >= 0) FontStyle = style;
    if (large >= 0) FontLarge = large;
    return 1;
}

int FONT_SelectFont(int slot) {
    if (slot < 0 || slot >= FONT_MAX || !FontTbl[slot].loaded) return 0;
    if (slot == FontCurrent) return 1;
    FontCurrent = slot;
    FONT_SetColor(FontTopColor, FontBottomColor, FontShadowColor);
    return 1;
}

void FONT_SetStyle(int style) { FontStyle = style; }

void FONT_SetLarge(int flag) { FontLarge = flag; }

void FONT_SetColor(i32 top, i32 bottom, i32 shadow) {
    const FONT_DATA& f = FontTbl[FontCurrent];
    const int h = f.loaded ? f.height - 1 : FONT_GRAD_ROWS - 1;
    if (top >= 0) {
        FontTopColor = StoredColor(top);
        FontGradTbl[0] = FontTopColor;
    }
    if (bottom >= 0) {
        FontBottomColor = StoredColor(bottom);
        FontGradTbl[h] = FontBottomColor;
    }
    if (shadow >= 0) FontShadowColor = StoredColor(shadow);
    if (top == bottom) return;
    const Channels t = Widen(FontTopColor), b = Widen(FontBottomColor);
    for (int i = 1; i < h; ++i) {
        FontGradTbl[i] = Pack(Channels{t.r + (b.r - t.r) * i / h, t.g + (b.g - t.g) * i / h,
                                       t.b + (b.b - t.b) * i / h});
    }
}

void FONT_GetCharSize(i32* width, i32* height) {
    const FONT_DATA& f = FontTbl[FontCurrent];
    if (width) *width = FontLarge ? f.width : f.width >> 1;
    if (height) *height = FontLarge ? f.height * 2 : f.height;
}

u32 FONT_GetWideSlot(u16 code) {
    const u32 lead = code >> 8, trail = code & 0xFF;
    if (lead < 0xA1 || lead > 0xF9 || trail < 0x40 || trail > 0xFE) return 0;
    const u32 slot = (lead - 0xA1) * 160 + (trail < 0x80 ? trail - 0x40 : trail - 0x60);
    return slot < FONT_WIDE_SLOT_MAX ? slot : 0;
}

const u8* FONT_GetNarrowGlyph(u8 code) {
    const FONT_DATA& f = FontTbl[FontCurrent];
    if (!f.loaded || code < 32 || code > 127) return nullptr;
    const u32 index = code - 32u;
    if (index >= f.narrowCount) return kBlankGlyph;
    return f.glyphs + index * f.narrowSize;
}

const u8* FONT_GetWideGlyph(u16 code) {
    const FONT_DATA& f = FontTbl[FontCurrent];
    if (!f.loaded) return nullptr;
    const u32 slot = FONT_GetWideSlot(code);
    if (slot >= f.wideCount) return kBlankGlyph;
    return f.glyphs + FONT_NARROW_COUNT * f.narrowSize + slot * f.wideSize;
}
