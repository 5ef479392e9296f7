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
// Until the script sprites, the text window with its messages, the choice rectangles and the fade are
// built, the interpreter runs against these: nothing is shown, no page is ever open (so page and close
// waits end at once) and no choice wait is open.
#include "platform/clock.h"
#include "script/adv/adv_message.h"
#include "script/adv/adv_select.h"
#include "script/adv/adv_sprite.h"
#include "script/adv/adv_window.h"
#include "script/core/ass_func.h"

void _ass_initsprite() {}
void _ass_termsprite() {}
void _ass_renewsprite() {}
void ASS_RenewSprite() { _ass_renewsprite(); }

void _ass_initselectrect() {}
void _ass_termselectrect() {}
void _ass_dispselectrect(int) {}
int _ass_renewselectrect() { return -1; }
int _ass_getselectrectwait() { return 0; }
int _ass_getselectrectans() { return -1; }
i32 _ass_getselectrectasnlabel() { return -1; }

void _ass_inittext() {}
void _ass_termttext() {}
void _ass_drawtext() {}
int _ass_gettextwindowstate() { return 0; }

void _ass_looptext() {}
int _ass_getpagestate() { return ADV_PAGE_CLOSED; }
void _ass_setpagestate(int) {}
int _ass_getwaittype(u32* ms) {
    if (ms) *ms = 500;
    return 0;
}
u32 _ass_getpagetime() { return 0; }

i32 _ass_getfadekind() { return ASS_FADE_NONE; }
void _ass_setfadekind(i32) {}
i32 _ass_getfadetime() { return 0; }
u32 _ass_getfadestart() { return plat::GetTimeMs(); }
void _ass_script_func_draw() {}

void _ass_func_standin(int no) { _ass_skipfuncargs(no); }

// ---- battle-script commands ----

SCRIPT_STANDIN_LOG ScriptStandIn;

void mBSC_Chr_Interrupt(int slot, int value) { ScriptStandIn.bscInterrupt.push_back({slot, value}); }
