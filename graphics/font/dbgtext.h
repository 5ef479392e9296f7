// The debug text overlay: printf-style text in 8×8 cells cut from one glyph image, placed 7 pixels
// apart. Serves the debug counters and the ranking rows' date and time.
#pragma once
#include "platform/surface.h"
#include "platform/types.h"

constexpr int DBG_TEXT_SIZE = 128;
constexpr int DBG_CELL = 8;
constexpr int DBG_PITCH = 7;

extern int DBG_GlyphSurf;
extern i32 DBG_TextDisp;

int DBG_InitText(const char* name);
void DBG_TermText();
void DBG_SetTextDisp(i32 on);
void DBG_DrawText(plat::Surface* dst, i32 x, i32 y, const char* format, ...) __attribute__((format(printf, 4, 5)));
void DBG_DrawTextSlot(int slot, i32 x, i32 y, const char* format, ...) __attribute__((format(printf, 4, 5)));
