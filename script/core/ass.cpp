#include "script/core/ass.h"

#include <cstring>

#include "platform/clock.h"
#include "platform/memory.h"
#include "script/adv/adv_message.h"
#include "script/adv/adv_select.h"
#include "script/adv/adv_sprite.h"
#include "script/adv/adv_window.h"
#include "script/core/ass_func.h"
#include "script/core/scr_data.h"
#include "shell/common.h"

i32 ScrValueTbl[SCR_GLOBAL_VALUE_COUNT];
u8 ScrFuncFlagTbl[SCR_FUNC_FLAG_COUNT];
KEY_DEVICE* adv_tkey = nullptr;
i32 ass_MouseX = 0;
i32 ass_MouseY = 0;
u32 ass_MouseTrg = 0;
u32 ass_MousePad = 0;
i32 ass_debug = 0;
u32 ass_UpdateCount = 0;

namespace {

struct ASS_STATE {
    int loaded;
    int running;
    int scriptEnd;
    i32 endValue;
    int wait;
    int waitFunc;
    u32 waitStart;  // timed wait: set while its duration is not -1
    i32 waitTime;
    i32 readMode;
    i32 clearSurf;
    i32 funcReturn;
    ASS_GAME_FUNC gameFunc;
};

ASS_STATE Ass = {0, 0, 0, 0, 0, -1, 0xFFFFFFFFu, -1, 0, 0, 0, nullptr};

const ASS_PARTS DefaultParts = {
    _ass_initsprite,     _ass_termsprite,       _ass_renewsprite,
    _ass_inittext,       _ass_termttext,        _ass_looptext,
    _ass_drawtext,       _ass_initselectrect,   _ass_termselectrect,
    _ass_renewselectrect, _ass_getselectrectwait, _ass_getselectrectans,
    _ass_getselectrectasnlabel, _ass_dispselectrect,
    _ass_getpagestate,   _ass_setpagestate,     _ass_getwaittype,
    _ass_getpagetime,    _ass_gettextwindowstate,
    _ass_getfadetime,    _ass_getfadestart,     _ass_setfadekind,
    _ass_script_func_draw,
};

ASS_PARTS Parts = DefaultParts;
bool NoSlotReported = false;

// Elapsed milliseconds on the wrapping clock, read as signed.
i32 Elapsed(u32 since) { return i32(plat::GetTimeMs() - since); }

// A choice was made: go to its answer and close the rectangles.
void TakeChoice() {
    JumpScriptPt(Parts.getSelectLabel());
    Parts.termSelect();
    SetScirptWait(0, -1);
}

int Compare(i32 code, i32 a, i32 b) {
    switch (code) {
        case 15: return a == b;
        case 16: return a != b;
        case 17: return a < b;
        case 18: return a <= b;
        case 19: return a > b;
        case 20: return a >= b;
        default: return 1;  // not a comparison: counts as true
    }
}

// After the left expression of a condition: the three bytes 8, code, 255 read as an expression give
// the comparison code, then the right expression. 0 at the end of the data.
int ReadComparison(i32 left, int* result) {
    i32 code = 0, right = 0;
    if (!_ass_analysisparam(&code)) return 0;
    if (!_ass_analysisparam(&right)) return 0;
    *result = Compare(code, left, right);
    return 1;
}

}  // namespace

// ---- parts ----

const ASS_PARTS& ASS_DefaultParts() { return DefaultParts; }
void ASS_SetParts(const ASS_PARTS* parts) { Parts = parts ? *parts : DefaultParts; }
const ASS_PARTS& ASS_GetParts() { return Parts; }

// ---- engine ----

void ASS_Init() {
    // Built again without a term (a file dropped while another scene ran): release what is held first.
    if (Ass.loaded) ASS_Term();
    Parts.initSprite();
    _ass_initcommon();
    _ass_initscript();
    Parts.initText();
    Parts.initSelect();
}

void ASS_Term() {
    Parts.termSprite();
    _ass_termscript();
    Parts.termText();
    Parts.termSelect();
}

i32 ASS_Loop() {
    ++ass_UpdateCount;
    const i32 r = _ass_analysisscript();
    if (Ass.scriptEnd) return -2;
    if (r != 0) return r;
    Parts.loopText();
    Parts.renewSprite();
    return 0;
}

void ASS_Draw() {
    if (ass_debug) Parts.drawText();
    Parts.drawFade();
}

void _ass_initcommon() { Ass.clearSurf = 1; }

void _ass_initscript() {
    Ass.running = 0;
    Ass.scriptEnd = 0;
    Ass.wait = 0;
    Ass.waitFunc = -1;
    Ass.waitStart = 0xFFFFFFFFu;
    Ass.waitTime = -1;
    Ass.loaded = 1;
    // A new engine starts without the last script's stopping code.
    Ass.endValue = 0;
    NoSlotReported = false;
    std::memset(ScrFuncFlagTbl, 0, sizeof(ScrFuncFlagTbl));
    // Nor under the black a fade out of its predecessor left.
    Parts.setFadeKind(ASS_FADE_NONE);
}

void _ass_termscript() {
    while (actv_scr) PreviousScript();
    Ass.loaded = 0;
    Ass.running = 0;
    Ass.scriptEnd = 0;
}

void ASS_InitScript() { _ass_initscript(); }
void ASS_TermScirpt() { _ass_termscript(); }

int ASS_ReloadScript(const char* name) {
    if (!name || strnlen(name, kMaxPath) >= size_t(kMaxPath)) {
        DebugMsg("ASS_ReloadScript: dropped name too long");
        return 0;
    }
    // The name may live in a buffer the teardown reuses.
    char copy[kMaxPath];
    std::strcpy(copy, name);
    Parts.termSprite();
    _ass_termscript();
    Parts.termText();
    Parts.termSelect();
    Parts.initSprite();
    _ass_initscript();
    Parts.initText();
    Parts.initSelect();
    return ASS_LoadScript(copy);
}

// ---- the step ----

i32 _ass_analysisscript() {
    if (!Ass.loaded || !Ass.running) return 0;
    if (Ass.waitTime != -1) {
        if (Elapsed(Ass.waitStart) < Ass.waitTime) return 0;
        Ass.waitStart = 0xFFFFFFFFu;
        Ass.waitTime = -1;
    }
    if (Ass.endValue == 4) Ass.endValue = 0;
    CheckWaitFunc();
    if (!Ass.wait && !Ass.scriptEnd && Ass.endValue == 0) {
        int budget = ASS_STATEMENT_BUDGET;
        while (!_ass_analysisline()) {
            if (--budget == 0) {
                DebugMsg("script %s: %d statements without a wait, frame ended", actv_scr ? actv_scr->name : "",
                         ASS_STATEMENT_BUDGET);
                break;
            }
        }
    }
    return Ass.endValue;
}

i32 ASS_AnalysisScirpt() { return _ass_analysisscript(); }

int _ass_analysisline() {
    if (actv_scr) actv_scr->start = actv_scr->pos;
    u8 type;
    if (!ReadScrData(&type, 1)) {
        PreviousScript();
        return Ass.scriptEnd ? 1 : 0;
    }
    switch (type) {
        case SCR_STMT_CONTROL: return _ass_analysiscontrol();
        case SCR_STMT_ASSIGN: return _ass_analysisassign();
        case SCR_STMT_CALL: return AnalysisFunc();
        default: return 0;
    }
}

int _ass_analysiscontrol() {
    u8 b[2];
    if (!ReadScrData(b, 2)) return 0;
    const u16 code = u16(b[0] | b[1] << 8);
    if (code >= SCR_CTL_DECLARE_FIRST && code <= SCR_CTL_DECLARE_LAST) return _ass_analysisdeclare(code - 6);
    if (code == SCR_CTL_IF) return _ass_analysisif();
    if (code == SCR_CTL_LOOP) return _ass_analysisloop();
    if (code == SCR_CTL_JUMP) return _ass_analysisgoto();
    return 0;
}

int _ass_analysisdeclare(int kind) {
    for (;;) {
        u8 b[2];
        if (!ReadScrData(b, 2)) return 0;
        const i16 n = i16(b[0] | b[1] << 8);
        // A negative size has no bytes to give: the statement ends without declaring it.
        if (n < 0) return 0;
        SCRIPT_VALUE* slot = nullptr;
        for (SCRIPT_VALUE& v : actv_scr->value) {
            if (!v.used) {
                slot = &v;
                break;
            }
        }
        if (!slot) {
            if (!NoSlotReported) DebugMsg("script %s: no free variable slot, declaration skipped", actv_scr->name);
            NoSlotReported = true;
            if (!SkipScrData(n)) return 0;
        } else if (kind == SCRIPT_TEXT_KIND) {
            char* text = static_cast<char*>(plat::GlobalAllocZero(size_t(n) + 1));
            if (!text) return 0;
            if (!ReadScrData(text, n)) {
                plat::GlobalFree(text);
                return 0;
            }
            *slot = SCRIPT_VALUE{1, i16(kind), n, 0, text};
        } else {
            u8 bytes[4] = {0, 0, 0, 0};
            const i32 kept = n < 4 ? n : 4;
            if (!ReadScrData(bytes, kept) || !SkipScrData(n - kept)) return 0;
            const u32 value = u32(bytes[0]) | u32(bytes[1]) << 8 | u32(bytes[2]) << 16 | u32(bytes[3]) << 24;
            *slot = SCRIPT_VALUE{1, i16(kind), n, value, nullptr};
        }
        u8 next;
        if (!CheckScrData(&next, 1)) return 0;
        if (next == SCR_TOKEN_END) {
            ReadScrData(&next, 1);
            return 0;
        }
    }
}

int _ass_analysisif() {
    u8 b[4];
    if (!ReadScrData(b, 4)) return 0;
    const i32 target = i32(u32(b[0]) | u32(b[1]) << 8 | u32(b[2]) << 16 | u32(b[3]) << 24);
    int result = 0;
    bool first = true;
    u8 connector = SCR_CONNECT_AND;
    for (;;) {
        i32 left = 0;
        if (!_ass_analysisparam(&left)) return 0;
        u8 peek[2] = {0, 0};
        if (!CheckScrData(peek, 1)) return 0;
        const bool pair = CheckScrData(peek, 2) && peek[0] == SCR_TOKEN_OPERATOR &&
                          (peek[1] == SCR_CONNECT_AND || peek[1] == SCR_CONNECT_OR);
        int cond = left != 0;
        if (!(peek[0] & 1) && !pair && !ReadComparison(left, &cond)) return 0;
        if (first) {
            result = cond;
        } else if (connector == SCR_CONNECT_AND) {
            result = result && cond;
        } else {
            result = result || cond;
        }
        first = false;
        if (!CheckScrData(peek, 1)) return 0;
        if (peek[0] == SCR_TOKEN_END) {
            ReadScrData(peek, 1);
            break;
        }
        if (CheckScrData(peek, 2) && peek[0] == SCR_TOKEN_OPERATOR &&
            (peek[1] == SCR_CONNECT_AND || peek[1] == SCR_CONNECT_OR)) {
            ReadScrData(peek, 2);
            connector = peek[1];
        }
        // Anything else starts the next condition with the connector last read.
    }
    if (!result) JumpScriptPt(target);
    return 0;
}

int _ass_analysisloop() {
    u8 b[4];
    if (!ReadScrData(b, 4)) return 0;
    const i32 target = i32(u32(b[0]) | u32(b[1]) << 8 | u32(b[2]) << 16 | u32(b[3]) << 24);
    int result = 1;
    for (;;) {
        i32 left = 0;
        int cond = 1;
        if (!_ass_analysisparam(&left) || !ReadComparison(left, &cond)) return 0;
        result = result && cond;
        u8 more;
        if (!ReadScrData(&more, 1)) return 0;
        if (more == SCR_TOKEN_END) break;
    }
    if (!result) JumpScriptPt(target);
    return 0;
}

int _ass_analysisgoto() {
    u8 b[4];
    if (!ReadScrData(b, 4)) return 0;
    JumpScriptPt(i32(u32(b[0]) | u32(b[1]) << 8 | u32(b[2]) << 16 | u32(b[3]) << 24));
    return 0;
}

int _ass_analysisassign() {
    u8 b[6];
    if (!ReadScrData(b, 6)) return 0;
    const i32 index = i32(u32(b[0]) | u32(b[1]) << 8 | u32(b[2]) << 16 | u32(b[3]) << 24);
    const u8 op = b[5];
    i32 v = 0;
    _ass_analysisparam(&v);
    // The expression may have called or returned from a script: the slot is the active record's now.
    if (!actv_scr || index < 0 || index >= SCRIPT_VALUE_COUNT) return 0;
    SCRIPT_VALUE& slot = actv_scr->value[index];
    // A text variable keeps its text outside the value; numbers do not replace it.
    if (slot.used && slot.kind == SCRIPT_TEXT_KIND) return 0;
    const u32 cur = slot.value, uv = u32(v);
    switch (op) {
        case 8: slot.value = uv; break;
        case 9: slot.value = cur + uv; break;
        case 10: slot.value = cur - uv; break;
        case 11: slot.value = cur * uv; break;
        case 12: slot.value = u32(ScrApplyOperator(i32(cur), 1, v)); break;
        case 13: slot.value = cur & uv; break;
        case 14: slot.value = cur | uv; break;
        default: break;
    }
    return 0;
}

int AnalysisFunc() {
    u8 b[2];
    if (!ReadScrData(b, 2)) return 0;
    const int no = b[0] | b[1] << 8;
    if (no >= ASS_FUNC_GAME_FIRST && no <= ASS_FUNC_GAME_LAST) {
        // Without a game function the call has no arguments to read and gives nothing.
        return Ass.gameFunc ? Ass.gameFunc(no - ASS_FUNC_GAME_FIRST) : 0;
    }
    if (no == ASS_FUNC_TEXT || no <= ASS_FUNC_BUILTIN_LAST) {
        _ass_callfunc(no);
        return _ass_funcendsframe(no);
    }
    return 0;
}

int _ass_funcendsframe(int no) {
    switch (no) {
        case 0: case 1: case 2: case 10: case 11: case 12: case 13:
        case 27: case 29: case 31: case 46: case 48: case ASS_FUNC_TEXT:
            return 1;
        default:
            return 0;
    }
}

void CheckWaitFunc() {
    if (!Ass.wait) return;
    switch (Ass.waitFunc) {
        case ASS_WAIT_FADE: {
            const i32 time = Parts.getFadeTime();
            if (time != -1 && Elapsed(Parts.getFadeStart()) >= time) {
                SetScirptWait(0, -1);
                Ass.endValue = 4;
                Parts.setFadeKind(ASS_FADE_NONE);
            }
            break;
        }
        case ASS_WAIT_FADE2:
            // The kind stays: the overlay keeps the screen black until the next fade in.
            if (Elapsed(Parts.getFadeStart()) >= Parts.getFadeTime()) {
                SetScirptWait(0, -1);
                Ass.endValue = 4;
            }
            break;
        case ASS_WAIT_KEY: {
            const u16 trigger = adv_tkey ? adv_tkey->trigger : 0;
            if ((trigger & (16 | 32 | 64)) || (ass_MouseTrg & 3)) SetScirptWait(0, -1);
            break;
        }
        case ASS_WAIT_PAGE: {
            if (Parts.getSelectWait()) {
                if (Parts.getSelectAns() != -1) TakeChoice();
                break;
            }
            u32 autoTime = 0;
            if (Parts.getPageState() == ADV_PAGE_SHOWN && Parts.getWaitType(&autoTime) &&
                plat::GetTimeMs() - Parts.getPageTime() > autoTime) {
                Parts.setPageState(ADV_PAGE_FINISHED);
            }
            // A closed window has no page left to finish.
            if (Parts.getPageState() >= ADV_PAGE_FINISHED) SetScirptWait(0, -1);
            break;
        }
        case ASS_WAIT_CLOSE:
            if (Parts.getWindowState() == 0 && Parts.getPageState() == ADV_PAGE_CLOSED) SetScirptWait(0, -1);
            break;
        case ASS_WAIT_SELECT:
            if (!Parts.getSelectWait()) break;
            Parts.dispSelect(1);
            if (Parts.renewSelect() == 2 && Parts.getSelectAns() != -1) TakeChoice();
            break;
        default:
            break;
    }
}

// ---- running, waits and flags ----

void ASS_StartScript() {
    if (!actv_scr) return;
    // A stopping code (a return of 2 or 3) is spent once the script runs again; a fade's 3 while it
    // still runs is not.
    if (!Ass.running) Ass.endValue = 0;
    Ass.running = 1;
    Ass.scriptEnd = 0;
}

void ASS_StopScript() { Ass.running = 0; }
int ASS_IsScriptRunning() { return Ass.running; }
int ASS_IsLoaded() { return Ass.loaded; }
void ASS_SetGameFunc(ASS_GAME_FUNC func) { Ass.gameFunc = func; }
void ASS_SetFuncReturn(i32 n) { Ass.funcReturn = n; }
void SetFuncReturnNum(i32 n) { Ass.funcReturn = n; }
i32 ASS_GetFuncReturn() { return Ass.funcReturn; }
void ASS_SetScriptReadMode(i32 n) { Ass.readMode = n; }
i32 ASS_GetScriptReadMode() { return Ass.readMode; }
void _ass_setScirptReadMode(i32 n) { Ass.readMode = n; }
i32 _ass_getScriptReadMmode() { return Ass.readMode; }
void ASS_SetClearSurfFlag(i32 v) { Ass.clearSurf = v != 0; }
void _ass_setclearsurfflag(i32 v) { Ass.clearSurf = v != 0; }
i32 ASS_ClearSurfFlag() { return Ass.clearSurf; }
void ASS_SetDebugMode(i32 v) { ass_debug = v; }
void ASS_InitKeyDevice(KEY_DEVICE* device) { adv_tkey = device; }

void ASS_RenewKeyDevice(i32 x, i32 y, u32 trigger, u32 held) {
    ass_MouseX = x;
    ass_MouseY = y;
    ass_MouseTrg = trigger;
    ass_MousePad = held;
}

int SetScirptWait(int on, int number) {
    Ass.wait = on != 0;
    Ass.waitFunc = Ass.wait ? number : -1;
    return Ass.wait;
}

int GetScriptWait() { return Ass.wait; }
int GetScriptWaitFunc() { return Ass.waitFunc; }

void _ass_setscriptwait(i32 ms) {
    Ass.waitStart = ms == -1 ? 0xFFFFFFFFu : plat::GetTimeMs();
    Ass.waitTime = ms;
}

void _ass_setscriptend(int flag) { Ass.scriptEnd = flag; }
int _ass_getscriptend() { return Ass.scriptEnd; }
void _ass_setscriptendret(i32 value) { Ass.endValue = value; }
i32 _ass_getscriptendret() { return Ass.endValue; }
