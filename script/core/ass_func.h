// Built-in script functions 0..83 and the text line 900: each reads its own arguments from the
// script and acts (in read mode most only read). AnalysisFunc calls _ass_callfunc with the number.
#pragma once
#include "platform/types.h"

// Runs built-in function no (0..83 or 900); other numbers read nothing.
void _ass_callfunc(int no);

// Argument kinds of a function, in byte-code order: 'e' expression, 't' text operand, 'b' one raw byte,
// 'L' a raw 32-bit label. Null for a number without a built-in function.
const char* _ass_funcargs(int no);
// Reads a function's arguments by their kinds and drops them.
void _ass_skipfuncargs(int no);

// The fade of functions 10 and 11: kind -1 none, 10 or 11; duration in ms; start time.
constexpr i32 ASS_FADE_NONE = -1;
i32 _ass_getfadekind();
void _ass_setfadekind(i32 kind);
i32 _ass_getfadetime();
u32 _ass_getfadestart();
// The fade overlay, drawn last by ASS_Draw.
void _ass_script_func_draw();

// Until every row has its handler: reads the arguments and does nothing else.
void _ass_func_standin(int no);
