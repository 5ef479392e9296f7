// Script choice rectangles: up to eight hot rectangles the player chooses from with the mouse or the
// pad, each carrying the answer label the script jumps to.
#pragma once
#include "platform/types.h"

constexpr int SEL_RECT_MAX = 8;

struct SEL_RECT {
    u16 color;  // display format
    i32 alpha;  // 0..255
    i32 index;
    i32 label;
    i32 left, top, right, bottom;  // right and bottom exclusive
};

extern SEL_RECT SelRectTbl[SEL_RECT_MAX];
extern i32 SelRectCnt;
extern i32 SelRectAns;
extern i32 SelRectCursor;
extern u16 SelRectColor;
extern i32 SelRectAlpha;

void _ass_initselectrect();
void _ass_termselectrect();
void _ass_setselectrectcolor(i32 red, i32 green, i32 blue, i32 alpha);
// 1, or 0 when eight rectangles exist.
int _ass_setselectrect(i32 left, i32 top, i32 right, i32 bottom, i32 label);
int _ass_setselectrect2(i32 left, i32 top, i32 right, i32 bottom, i32 red, i32 green, i32 blue, i32 alpha,
                        i32 label);
void _ass_dispselectrect(int flag);
void _ass_waitselectrect();
int _ass_getselectrectwait();
int _ass_getselectrectans();
i32 _ass_getselectrectasnlabel();
// The first rectangle holding (x, y), -1 none; (-1, -1) is the mouse. take stores it as the answer.
int _ass_chooseselectrect(i32 x, i32 y, int take);
// The fill sprite's callback: the rectangle under the mouse, while shown.
void DrawSelectRect(int sprite);
// -1 when no choice wait is open; else 0 or 1 (a rectangle under the mouse) or 2 (one was chosen).
// Runs once an update: a second call in the same update gives the first one's result.
int _ass_renewselectrect();
