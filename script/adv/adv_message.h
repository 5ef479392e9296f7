// Message text: the buffer scripts append to, its layout into a page and the page's reveal.
#pragma once
#include "platform/types.h"

constexpr int ADV_PAGE_REVEALING = 0;
constexpr int ADV_PAGE_SHOWN = 1;
constexpr int ADV_PAGE_FINISHED = 2;
constexpr int ADV_PAGE_CLOSED = 3;

// The per-update input and reveal of the page.
void _ass_looptext();
int _ass_getpagestate();
void _ass_setpagestate(int state);
// The automatic advance: its on flag, and its time in ms through ms.
int _ass_getwaittype(u32* ms);
// When the page was shown in full (millisecond clock).
u32 _ass_getpagetime();

// Appends text to the message buffer; a choice line with its answer label.
void ADV_SetMessage(const char* text);
void ADV_SetSelMessage(const char* text, i32 label);
// Lays the buffer out and opens the page.
void ADV_DrawMessage();
// The text cursor's type (1 shows it) and colour.
void _ass_text_cursor(i32 type, i32 colour);
// The automatic advance: on when on is not 0, then its time := ms.
void _ass_setwaittype(i32 on, u32 ms);
