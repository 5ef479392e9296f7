// The scroll buffer: the 640×480 view plus one spare chip column and row in a 656×496 ring buffer.
// A scroll draws only the chip column and row that come into view and the background objects over
// them; the map sprite draws the view out of the ring in up to four pieces.
#pragma once
#include "platform/surface.h"
#include "platform/types.h"

constexpr int SCR_DIRTY_MAX = 4;
constexpr u8 SCR_DIRTY_COLUMN = 0;
constexpr u8 SCR_DIRTY_ROW = 1;

struct SCR_DIRTY_DATA {
    u8 kind;  // SCR_DIRTY_COLUMN or SCR_DIRTY_ROW
    // Column strip: a = buffer x of the strip, b = map-to-buffer y offset (buffer y = map y − b).
    // Row strip: a = map-to-buffer x offset (buffer x = map x − a), b = buffer y of the strip.
    i32 a;
    i32 b;
    RECT rect;  // in map pixels, multiples of 16
};

extern RECT ScrRangeRect;
extern SCR_DIRTY_DATA ScrDirtyTbl[SCR_DIRTY_MAX];
extern i32 ScrDirtyCnt;

// Observation for tests and benchmarks: every SCR_DrawChip call counts; the hook sees each scroll step.
extern u32 ScrDrawChipCnt;
extern void (*ScrStepHook)(i32 dx, i32 dy);

void SCR_SetScrRect(RECT* out, const RECT* src);
void SCR_Redraw(i32 cx, i32 cy);
int SCR_Scroll(i32 dx, i32 dy);
// cell: an index into the open map's cells, or -1 (outside the map) for a blank chip.
void SCR_DrawChip(plat::Surface* surface, i32 cell, i32 x, i32 y);
void SCR_DrawScrBuf(plat::Surface* dst, i32 x, i32 y, int keyFlag);
void SCR_DrawCallback(int sprite);
void SCR_AddDirtyRect(int kind, i32 a, i32 b, i32 left, i32 top, i32 right, i32 bottom);
void SCR_RedrawObj();
void SCR_DrawDebugLine(plat::Surface* surface, i32 x, i32 y, int keyFlag);
