#include "graphics/font/dbgtext.h"

#include <cstdarg>
#include <cstdio>

#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"

int DBG_GlyphSurf = -1;
i32 DBG_TextDisp = 0;

namespace {

// Draws the text as it is: it has been formatted already.
void DrawCells(plat::Surface* dst, i32 x, i32 y, const char* text) {
    plat::Surface* glyphs = SPR_GetSlotSurf(DBG_GlyphSurf);
    if (!dst || !glyphs) return;
    for (int i = 0; text[i]; ++i) {
        const int c = static_cast<i8>(text[i]);
        const int cell = c >= 'a' && c <= 'z' ? c - 'A' : c - '!';
        if (cell < 0) continue;  // left of the image
        const i64 at = i64(x) + i64(DBG_PITCH) * i;
        if (at < -(1 << 28) || at > (1 << 28)) continue;
        const RECT src{cell * DBG_CELL, 0, cell * DBG_CELL + DBG_CELL, DBG_CELL};
        if (src.right > glyphs->width) continue;  // right of the image
        BLT_Copy(dst, i32(at), y, glyphs, &src, 1);
    }
}

}  // namespace

int DBG_InitText(const char* name) {
    if (DBG_GlyphSurf != -1) return DBG_GlyphSurf;
    DBG_GlyphSurf = SPR_LoadSurf(name, 0);
    if (DBG_GlyphSurf != -1) DBG_TextDisp = 1;
    return DBG_GlyphSurf;
}

void DBG_TermText() {
    if (DBG_GlyphSurf == -1) return;
    SPR_DelSurfDat(DBG_GlyphSurf);
    DBG_GlyphSurf = -1;
}

void DBG_SetTextDisp(i32 on) {
    if (DBG_GlyphSurf != -1) DBG_TextDisp = on;
}

void DBG_DrawText(plat::Surface* dst, i32 x, i32 y, const char* format, ...) {
    if (!DBG_TextDisp || DBG_GlyphSurf == -1 || !format) return;
    char text[DBG_TEXT_SIZE];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    DrawCells(dst, x, y, text);
}

void DBG_DrawTextSlot(int slot, i32 x, i32 y, const char* format, ...) {
    if (!DBG_TextDisp || !format) return;
    char text[DBG_TEXT_SIZE];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    // A '%' that the formatting left in the text is drawn, not formatted a second time.
    DBG_DrawText(SPR_GetSlotSurf(slot), x, y, "%s", text);
}
