// Bitmap fonts and text: 16 font slots loaded from ".fnt" files, the one current text state (font,
// style, size, colours and the per-row gradient), text drawn straight into locked 16-bit surfaces,
// 8×8 debug text from "dfont.grp" and numbers from digit strips.
//
// Text is raw bytes: 0xA1..0xC9 lead a Big5 character, every other byte is a single-byte character
// (32..127 have glyphs). Callers convert UTF-8 source text with the encoding module first.
#pragma once
#include "platform/surface.h"
#include "platform/types.h"

constexpr int FONT_MAX = 16;
// The bold and outline glyphs are built in 32 rows of 32 bits and the gradient has 32 rows: the widest
// window (width + 5) must stay within bit 31 and an outline adds two rows.
constexpr int FONT_WIDTH_MAX = 26;
constexpr int FONT_HEIGHT_MAX = 30;
constexpr int FONT_GRAD_ROWS = 32;
constexpr int FONT_NARROW_COUNT = 96;  // codes 32..127
constexpr u32 FONT_WIDE_SLOT_MAX = 10496;
constexpr u32 FONT_BLOCK_PAD = 4;  // zero bytes after the glyph block for the 32-bit row reads
constexpr int TXT_BUFFER_SIZE = 4096;

constexpr int FONT_STYLE_PLAIN = 0;
constexpr int FONT_STYLE_BOLD = 1;
constexpr int FONT_STYLE_SHADOW = 2;
constexpr int FONT_STYLE_SHADOW_BOLD = 3;
constexpr int FONT_STYLE_OUTLINE = 4;

struct FONT_DATA {
    u8 loaded;
    u16 width;  // of a double-byte character; single-byte cells are half as wide
    u16 height;
    u32 narrowSize;
    u16 narrowRow;
    u32 wideSize;
    u16 wideRow;
    u8* glyphs;  // FONT_BLOCK_PAD zero bytes follow the block
    u32 blockSize;  // expanded bytes, without the pad
    u32 narrowCount;  // glyphs the block really holds; the rest draw blank
    u32 wideCount;
};

extern FONT_DATA FontTbl[FONT_MAX];
extern int FontCurrent;
extern int FontStyle;
extern int FontLarge;
extern u16 FontTopColor;
extern u16 FontBottomColor;
extern u16 FontShadowColor;
extern u16 FontGradTbl[FONT_GRAD_ROWS];
extern int DebugFontSurf;

int FONT_Init();
void FONT_Release();
int FONT_DelFont(int slot);
int FONT_LoadFont(int slot, const char* name);
int FONT_SetFont(int font, int style, int large);
int FONT_SelectFont(int slot);
void FONT_SetStyle(int style);
void FONT_SetLarge(int flag);
void FONT_SetColor(i32 top, i32 bottom, i32 shadow);
void FONT_GetCharSize(i32* width, i32* height);

// White in the display's pixel format (every channel at its maximum).
u16 FONT_White();

// The wide slot of a double-byte character (lead byte high); invalid characters take slot 0.
u32 FONT_GetWideSlot(u16 code);
// Glyphs of the current font: null when the code has no glyph (outside 32..127, or no font); a blank
// glyph when the block ends before it.
const u8* FONT_GetNarrowGlyph(u8 code);
const u8* FONT_GetWideGlyph(u16 code);

int TXT_DrawText(plat::Surface* surface, i32 x, i32 y, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
int TXT_DrawText2(plat::SurfaceDesc* desc, i32 x, i32 y, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
void TXT_DrawDebugText(plat::Surface* surface, i32 x, i32 y, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

// ---- digit strips ----
constexpr int NUM_STRIP_MAX = 9;
constexpr int NUM_DIGITS_MAX = 18;  // 10^17 is the largest divisor 64 bits hold with room to spare

struct NUM_STRIP {
    i32 altSets;
    i32 x;
    i32 y;
    i32 cellWidth;
    i32 cellHeight;
    plat::Surface** source;  // a surface slot's surface field, read at every draw
};

extern NUM_STRIP NumStripTbl[NUM_STRIP_MAX];

void TXT_SetNumStrip(int strip, plat::Surface** source, i32 altSets, i32 x, i32 y, i32 cellWidth, i32 cellHeight);
i32 TXT_GetNumStrip(int strip);
i32 TXT_DrawNum(plat::Surface* dst, i32 x, i32 y, int strip, i32 value, int digits, int useAltSets, int signMode,
                int advance, int keyFlag);
