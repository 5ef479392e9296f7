// Stands in for the script engine until it is built: the script scene installs its dropped-file hook
// and returns to the title; a dropped name is only logged.
#include "script/bsc/bsc.h"
#include "script/placeholder.h"
#include "script/script.h"
#include "shell/common.h"
#include "shell/sys.h"

void ADV_Loop() {
    SYS_SetDropOpenFile(ASS_DropOpenScirpt);
    SYS_SetSeq(2);
}

void ADV_Draw() { SYS_DrawDefault(); }

void ASS_DropOpenScirpt(HDROP drop) {
    char name[kMaxPath];
    if (plat::DragQueryFile(drop, 0, name, sizeof(name)) > 0) DebugMsg("script not loaded: %s", name);
    plat::DragFinish(drop);
}

// ---- script engine neighbours ----
// Until the text window, the faces and the message text are built, the interpreter runs against these:
// nothing is shown, no page is ever open (so page and close waits end at once), and the calls the
// script functions make are only traced.
#include "script/adv/adv_face.h"
#include "script/adv/adv_message.h"
#include "script/adv/adv_window.h"
#include "script/core/ass_func.h"

namespace {
int AutoOn = 0;
u32 AutoMs = 500;
}  // namespace

void _ass_inittext() {}
void _ass_termttext() {}
void _ass_drawtext() {}
int _ass_gettextwindowstate() { return 0; }

void _ass_looptext() {}
int _ass_getpagestate() { return ADV_PAGE_CLOSED; }
void _ass_setpagestate(int) {}
int _ass_getwaittype(u32* ms) {
    if (ms) *ms = AutoMs;
    return AutoOn;
}
u32 _ass_getpagetime() { return 0; }

void _ass_setwaittype(i32 on, u32 ms) {
    ASS_Trace("_ass_setwaittype(%d, %u)", on, ms);
    AutoOn = on != 0;
    AutoMs = ms;
}
void ADV_SetMessage(const char* text) { ASS_Trace("ADV_SetMessage(%s)", text); }
void ADV_SetSelMessage(const char* text, i32 label) { ASS_Trace("ADV_SetSelMessage(%s, %d)", text, label); }
void ADV_DrawMessage() { ASS_Trace("ADV_DrawMessage()"); }
void _ass_text_cursor(i32 type, i32 colour) { ASS_Trace("_ass_text_cursor(%d, %d)", type, colour); }

void _ass_settextwindowtype(i32 type) { ASS_Trace("_ass_settextwindowtype(%d)", type); }
void _ass_settextwindowpos(i32 x, i32 y) { ASS_Trace("_ass_settextwindowpos(%d, %d)", x, y); }
void _ass_settextwindowsize(i32 w, i32 h) { ASS_Trace("_ass_settextwindowsize(%d, %d)", w, h); }
void _ass_settextwindow(i32 x, i32 y, i32 w, i32 h, i32 m) {
    ASS_Trace("_ass_settextwindow(%d, %d, %d, %d, %d)", x, y, w, h, m);
}
void _ass_settextwindowfacepos(i32 x, i32 y) { ASS_Trace("_ass_settextwindowfacepos(%d, %d)", x, y); }
void _ass_settextwindownamepos(i32 x, i32 y) { ASS_Trace("_ass_settextwindownamepos(%d, %d)", x, y); }
void _ass_settextwindowfonttype(i32 slot) { ASS_Trace("_ass_settextwindowfonttype(%d)", slot); }
void _ass_settextwindowfontils(i32 n) { ASS_Trace("_ass_settextwindowfontils(%d)", n); }
void _ass_settextwindowfontcolor(i32 a, i32 b) { ASS_Trace("_ass_settextwindowfontcolor(%d, %d)", a, b); }
void _ass_changeframe(i32 style) { ASS_Trace("_ass_changeframe(%d)", style); }
void _ass_closetext(i32 ms) { ASS_Trace("_ass_closetext(%d)", ms); }

void _ass_initface() { ASS_Trace("_ass_initface()"); }
void ADV_SetFaceSpace(i32 w, i32 h) { ASS_Trace("ADV_SetFaceSpace(%d, %d)", w, h); }
void _ass_loadface(i32 id, const char* path) { ASS_Trace("_ass_loadface(%d, %s)", id, path); }
void _ass_releaseface(i32 id) { ASS_Trace("_ass_releaseface(%d)", id); }

// ---- battle-script commands ----

SCRIPT_STANDIN_LOG ScriptStandIn;

void mBSC_Chr_Interrupt(int slot, int value) { ScriptStandIn.bscInterrupt.push_back({slot, value}); }

int mBSC_Chr_Exec() { return 0; }

// The battle script is off: its scripted step never finishes.
int mBSC_GetActCount() { return 1; }
void mBSC_Clear() {}
