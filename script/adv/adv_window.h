// The text window: the box the script's messages appear in, its presets, its wipe and its frame.
#pragma once
#include "platform/types.h"

void _ass_inittext();
void _ass_termttext();
// The debug overlay of the message line records (drawn while ass_debug is set).
void _ass_drawtext();
// 0 closed, 1 opening, 2 open, 3 closing.
int _ass_gettextwindowstate();

// Presets 0..2 and the window's setters.
void _ass_settextwindowtype(i32 type);
void _ass_settextwindowpos(i32 x, i32 y);
void _ass_settextwindowsize(i32 w, i32 h);
void _ass_settextwindow(i32 x, i32 y, i32 w, i32 h, i32 margin);
void _ass_settextwindowfacepos(i32 x, i32 y);
void _ass_settextwindownamepos(i32 x, i32 y);
void _ass_settextwindowfonttype(i32 slot);
void _ass_settextwindowfontils(i32 spacing);
void _ass_settextwindowfontcolor(i32 a, i32 b);
void _ass_changeframe(i32 style);
// Starts closing an open window over ms.
void _ass_closetext(i32 ms);
