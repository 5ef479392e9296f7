// Built-in script functions 0..83 and the text line 900: each reads its own arguments from the
// script and acts (in read mode most only read). AnalysisFunc calls _ass_callfunc with the number.
#pragma once
#include <functional>

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

// The sine table of the script and its transitions: 320 entries, 4096 · sin(2πi / 256) truncated, so
// the cosine reads 64 entries further on. index 0..319.
constexpr int ASS_SINE_COUNT = 320;
i32 ASS_Sine(int index);
i32 ASS_ScaledSine(i32 r, i32 a);
i32 ASS_ScaledCosine(i32 r, i32 a);

// The x of bust positions 0..2 (other positions stand at the middle one); busts stand at y 480.
constexpr i32 ASS_BUST_Y = 480;
i32 ASS_BustX(i32 position);

// folder + name through MakeFilePath into out (kMaxPath bytes); 0 with a debug line when the joined
// name does not fit.
int ASS_FolderPath(char* out, const char* folder, const char* name);

// One line per call to the neighbours the functions drive (text window, messages, faces, sound), for
// tests; none is installed by default.
void ASS_SetTrace(std::function<void(const char* call)> trace);
void ASS_Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
