#include "script/core/ass_func.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "battle/battle.h"
#include "graphics/blit/drw.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/clock.h"
#include "platform/random.h"
#include "script/adv/adv_face.h"
#include "script/adv/adv_message.h"
#include "script/adv/adv_select.h"
#include "script/adv/adv_sprite.h"
#include "script/adv/adv_window.h"
#include "script/core/ass.h"
#include "script/core/scr_data.h"
#include "shell/sound/sound.h"
#include "shell/sys.h"

namespace {

// Argument kinds of functions 0..83 in byte-code order (see _ass_funcargs).
const char* const FuncArgTbl[ASS_FUNC_BUILTIN_LAST + 1] = {
    "e",        "t",       "e",       "eee",      "e",      "ee",      "ee",     "b",      // 0-7
    "ee",       "e",       "e",       "e",        "e",      "b",       "e",      "e",      // 8-15
    "eeee",     "ee",      "ee",      "eeeee",    "eeee",   "",        "eeee",   "ee",     // 16-23
    "ee",       "e",       "t",       "b",        "b",      "e",       "e",      "b",      // 24-31
    "e",        "e",       "ee",      "t",        "ee",     "et",      "e",      "eeee",   // 32-39
    "ee",       "ee",      "ee",      "ee",       "ee",     "tL",      "b",      "eeeeeeeeL",  // 40-47
    "b",        "t",       "e",       "teeee",    "teeeeee", "eeee",   "eee",    "ee",     // 48-55
    "e",        "t",       "eteeeee", "eeee",     "e",      "e",       "eee",    "eee",    // 56-63
    "eeeee",    "t",       "eteeee",  "eeeeee",   "e",      "eeee",    "e",      "e",      // 64-71
    "ee",       "ee",      "",        "",         "",       "e",       "b",      "ee",     // 72-79
    "eeee",     "e",       "eee",     "b",                                                 // 80-83
};

constexpr int kTextMax = 1024;  // a message operand
constexpr int kFolderMax = 256;
constexpr int kPictureFirst = 0;
constexpr int kPictureEnd = 80;
constexpr int kCharFirst = 80;
constexpr int kBustFirst = 96;
constexpr int kPersonCount = 16;  // characters and busts
constexpr i32 kBustPriority = 16;

struct ASS_FUNC_STATE {
    char pictureDir[kFolderMax];
    char faceDir[kFolderMax];
    char bustDir[kFolderMax];
    char charDir[kFolderMax];
    i32 fadeKind;
    i32 fadeTime;
    u32 fadeStart;
};

ASS_FUNC_STATE Fn = {{}, {}, {}, {}, ASS_FADE_NONE, 1, 0};

std::function<void(const char*)> Trace;

const i16* SineTbl() {
    static const auto tbl = [] {
        struct T {
            i16 v[ASS_SINE_COUNT];
        } t{};
        for (int i = 0; i < ASS_SINE_COUNT; ++i) t.v[i] = i16(std::trunc(4096.0 * std::sin(2.0 * M_PI * i / 256.0)));
        return t;
    }();
    return tbl.v;
}

i32 ReadParam() {
    i32 v = 0;
    _ass_analysisparam(&v);
    return v;
}

void ReadText(char* text, int size) { _ass_analysisparamstr(text, size); }

i32 ReadLabel() {
    u8 b[4] = {};
    ReadScrData(b, 4);
    return i32(u32(b[0]) | u32(b[1]) << 8 | u32(b[2]) << 16 | u32(b[3]) << 24);
}

bool ReadMode() { return ASS_GetScriptReadMode() != 0; }

// The rows whose effect the read mode skips (their arguments are still read).
bool SkippedInReadMode(int no) {
    switch (no) {
        case 10: case 11: case 12: case 13: case 14: case 26: case 27: case 28: case 29: case 30: case 32:
        case 33: case 47: case 48: case 50: case 51: case 52: case 53: case 54: case 55: case 56: case 58:
        case 59: case 60: case 61: case 62: case 63: case 64: case 68: case 69: case 70: case 71: case 72:
        case 73: case 77: case 79: case 80: case 81: case ASS_FUNC_TEXT:
            return true;
        default:
            return false;
    }
}

bool Person(i32 n) { return n >= 0 && n < kPersonCount; }

// Rows of plain setters: their expressions read, then handed on unless the read mode skips them.
template <int N, typename F>
void Setter(int no, F&& f) {
    i32 v[N > 0 ? N : 1] = {};
    for (int i = 0; i < N; ++i) v[i] = ReadParam();
    if (SkippedInReadMode(no) && ReadMode()) return;
    f(v);
}

void SetFolder(char* folder) { ReadText(folder, kFolderMax); }

// ---- flow and values ----

// 0: the code goes to the scene; 0 pops the script, and an emptied stack stops it.
void _ass_func_return() {
    const i32 code = ReadParam();
    _ass_setscriptendret(code);
    if (code == 0) {
        PreviousScript();
        if (!actv_scr) ASS_StopScript();
    } else {
        ASS_StopScript();
    }
}

void _ass_func_call() {
    char name[kMaxPath];
    ReadText(name, sizeof(name));
    if (!_ass_loadscript2(name)) DebugMsg("script call: %s not loaded", name);
}

void _ass_func_clearsurf() { _ass_setclearsurfflag(ReadParam() != 0); }

void _ass_func_rgb() {
    const i32 r = ReadParam(), g = ReadParam(), b = ReadParam();
    SetFuncReturnNum(DISP_PackRGB(u32(r), u32(g), u32(b)));
}

void _ass_func_rand() {
    const i32 n = ReadParam();
    SetFuncReturnNum(n >= 1 ? plat::Rand() % n : 0);
}

void _ass_func_sin() {
    const i32 r = ReadParam(), a = ReadParam();
    SetFuncReturnNum(ASS_ScaledSine(r, a));
}

void _ass_func_cos() {
    const i32 r = ReadParam(), a = ReadParam();
    SetFuncReturnNum(ASS_ScaledCosine(r, a));
}

void _ass_func_clearvalue() {
    ASS_ReadDummyScrData(1);
    std::memset(ScrValueTbl, 0, sizeof(ScrValueTbl));
}

void _ass_func_setvalue() {
    const i32 index = ReadParam();
    const i32 value = ReadParam();
    if (index >= 0 && index < SCR_GLOBAL_VALUE_COUNT) ScrValueTbl[index] = value;
}

void _ass_func_getvalue() {
    const i32 index = ReadParam();
    SetFuncReturnNum(index >= 0 && index < SCR_GLOBAL_VALUE_COUNT ? ScrValueTbl[index] : 0);
}

// ---- fades and waits ----

// A snapshot of the battle picture into the work surface; the overlay darkens it.
void Snapshot() {
    if (ScreenWorkSurf < 0 || ScreenWorkSurf >= SURF_SLOT_MAX || !SPR_GetSlotSurf(ScreenWorkSurf)) {
        DebugMsg("script fade: no work surface");
        return;
    }
    SURF_Fill(SurfTbl[ScreenWorkSurf].surface, nullptr, 0);
    SPR_SetDrawSurf(&SurfTbl[ScreenWorkSurf].surface);
    BTL_DrawScript();
    SPR_SetDrawSurf(&DispBackBuffer);
}

void StartFade(i32 kind) {
    i32 ms = ReadParam();
    if (ms < 1) ms = 1;
    Fn.fadeTime = ms;
    if (ReadMode()) return;
    Snapshot();
    SetScirptWait(1, kind);
    _ass_setscriptendret(3);
    Fn.fadeKind = kind;
    Fn.fadeStart = plat::GetTimeMs();
}

void _ass_func_fade() { StartFade(ASS_WAIT_FADE); }
void _ass_func_fade2() { StartFade(ASS_WAIT_FADE2); }

void _ass_func_wait() {
    const i32 ms = ReadParam();
    if (!ReadMode()) _ass_setscriptwait(ms);
}

void _ass_func_keywait() {
    ASS_ReadDummyScrData(1);
    if (!ReadMode()) SetScirptWait(1, ASS_WAIT_KEY);
}

void _ass_func_getkey() {
    const i32 mode = ReadParam();
    if (ReadMode()) {
        SetFuncReturnNum(0);
        return;
    }
    const u16 trigger = adv_tkey ? adv_tkey->trigger : 0;
    bool pressed = false;
    switch (mode) {
        case 0: pressed = (trigger & 16) || (ass_MouseTrg & 1); break;
        case 1: pressed = (trigger & 32) || (ass_MouseTrg & 2); break;
        case 2: pressed = trigger & 64; break;
        case -1: pressed = (trigger & (16 | 32 | 64)) || (ass_MouseTrg & 3); break;
        default: break;
    }
    SetFuncReturnNum(pressed ? 1 : 0);
}

// ---- text window, messages and faces ----

void _ass_func_windowtype() {
    Setter<1>(15, [](const i32* v) { _ass_settextwindowtype(v[0]); });
}

void _ass_func_window() {
    Setter<4>(16, [](const i32* v) {
        _ass_settextwindowpos(v[0], v[1]);
        _ass_settextwindowsize(v[2], v[3]);
    });
}

void _ass_func_windowpos() {
    Setter<2>(17, [](const i32* v) { _ass_settextwindowpos(v[0], v[1]); });
}

void _ass_func_windowsize() {
    Setter<2>(18, [](const i32* v) { _ass_settextwindowsize(v[0], v[1]); });
}

// Row 19: position, size and one margin for all four sides.
void WindowWithMargin() {
    Setter<5>(19, [](const i32* v) { _ass_settextwindow(v[0], v[1], v[2], v[3], v[4]); });
}

// Row 20: the background setter, which changes nothing.
void WindowBackground() {
    Setter<4>(20, [](const i32* v) { _ass_settextwindowbg(v[0], v[1], v[2], v[3]); });
}

// Rows without effect: their arguments are all there is.
void _ass_func_wintype2() { _ass_skipfuncargs(22); }
void _ass_func_nop2a() { _ass_skipfuncargs(23); }
void _ass_func_nop2b() { _ass_skipfuncargs(24); }
void _ass_func_nop2c() { _ass_skipfuncargs(41); }
void _ass_func_empty() {}
void _ass_func_nop3() { _ass_skipfuncargs(82); }

void _ass_func_changeframe() {
    Setter<1>(25, [](const i32* v) { _ass_changeframe(v[0]); });
}

// A text line; as a page it is laid out at once and waited for.
void TextLine(bool page) {
    char text[kTextMax];
    ReadText(text, sizeof(text));
    if (ReadMode()) return;
    ADV_SetMessage(text);
    if (!page) return;
    ADV_DrawMessage();
    SetScirptWait(1, ASS_WAIT_PAGE);
}

void _ass_func_addtext() { TextLine(false); }
void _ass_func_text() { TextLine(true); }

void DrawPage(bool wait, bool readSkipped) {
    ASS_ReadDummyScrData(1);
    if (readSkipped && ReadMode()) return;
    ADV_DrawMessage();
    if (wait) SetScirptWait(1, ASS_WAIT_PAGE);
}

void _ass_func_message() { DrawPage(true, true); }
void _ass_func_message2() { DrawPage(false, true); }
void _ass_func_message3() { DrawPage(true, false); }

void _ass_func_closewindow() {
    const i32 ms = ReadParam();
    if (ReadMode()) return;
    _ass_closetext(ms);
    SetScirptWait(1, ASS_WAIT_CLOSE);
}

void _ass_func_pagewait() {
    ASS_ReadDummyScrData(1);
    if (_ass_getpagestate() != ADV_PAGE_FINISHED) SetScirptWait(1, ASS_WAIT_PAGE);
}

void _ass_func_auto() {
    const i32 on = ReadParam();
    if (ReadMode()) return;
    // Turned on again, the advance keeps the time it had.
    u32 ms = 0;
    _ass_getwaittype(&ms);
    _ass_setwaittype(on != 0, ms);
}

void _ass_func_autotime() {
    const i32 ms = ReadParam();
    if (!ReadMode()) _ass_setwaittype(1, u32(ms));
}

void _ass_func_textcursor() {
    Setter<2>(34, [](const i32* v) { _ass_text_cursor(v[0], v[1]); });
}

void _ass_func_facedir() { SetFolder(Fn.faceDir); }

void _ass_func_initface() {
    Setter<2>(36, [](const i32* v) {
        _ass_initface();
        ADV_SetFaceSpace(v[0], v[1]);
    });
}

void _ass_func_setface() {
    const i32 id = ReadParam();
    char name[kMaxPath], path[kMaxPath];
    ReadText(name, sizeof(name));
    if (ASS_FolderPath(path, Fn.faceDir, name)) _ass_loadface(id, path);
}

void _ass_func_delface() {
    Setter<1>(38, [](const i32* v) { _ass_releaseface(v[0]); });
}

void _ass_func_facepos() {
    Setter<4>(39, [](const i32* v) { _ass_settextwindowfacepos(v[0], v[1]); });
}

void _ass_func_facepos2() {
    Setter<2>(40, [](const i32* v) { _ass_settextwindowfacepos(v[0], v[1]); });
}

void _ass_func_namepos() {
    Setter<2>(42, [](const i32* v) { _ass_settextwindownamepos(v[0], v[1]); });
}

void _ass_func_fonttype() {
    Setter<2>(43, [](const i32* v) {
        _ass_settextwindowfonttype(v[0]);
        _ass_settextwindowfontils(v[1]);
    });
}

void _ass_func_fontcolor() {
    Setter<2>(44, [](const i32* v) { _ass_settextwindowfontcolor(v[0], v[1]); });
}

void _ass_func_seltext() {
    char text[kTextMax];
    ReadText(text, sizeof(text));
    const i32 label = ReadLabel();
    ADV_SetSelMessage(text, label);
}

void _ass_func_selrect() {
    i32 v[8];
    for (i32& x : v) x = ReadParam();
    const i32 label = ReadLabel();
    if (ReadMode()) return;
    if (!_ass_setselectrect2(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], label))
        DebugMsg("script choice: no room for a ninth rectangle");
}

void _ass_func_selwait() {
    ASS_ReadDummyScrData(1);
    if (ReadMode()) return;
    _ass_waitselectrect();
    SetScirptWait(1, ASS_WAIT_SELECT);
}

// ---- script sprites ----

// Places a newly created slot and shows it with the script's fade (type, ms).
void PlaceAndShow(int slot, i32 x, i32 y, i32 priority, i32 type, i32 ms) {
    if (slot < 0) return;
    ADV_SetSprite(slot, priority, x, y, 0, 0);
    ADV_SetSprDisp(slot, 1, type, ms);
}

void _ass_func_sprdir() { SetFolder(Fn.pictureDir); }

void RemoveSprite(bool release) {
    const i32 slot = ReadParam();
    if (ReadMode()) return;
    ADV_DelSprite(slot);
    if (release) ADV_ReleaseSprite(slot);
    SetFuncReturnNum(-1);
}

void _ass_func_delsprite() { RemoveSprite(true); }
void _ass_func_delsprite2() { RemoveSprite(false); }

void _ass_func_loadsprite() {
    char name[kMaxPath], path[kMaxPath];
    ReadText(name, sizeof(name));
    const i32 x = ReadParam(), y = ReadParam(), priority = ReadParam(), show = ReadParam();
    if (ReadMode()) return;
    int slot = -1;
    if (ASS_FolderPath(path, Fn.pictureDir, name)) slot = _ass_createsprite3(kPictureFirst, kPictureEnd, path);
    if (slot >= 0) {
        ADV_SetSprite(slot, priority, x, y, 0, 0);
        ADV_SetSprDisp(slot, show, 0, 0);
    }
    SetFuncReturnNum(slot);
}

void _ass_func_setsprite() {
    char name[kMaxPath], path[kMaxPath];
    ReadText(name, sizeof(name));
    const i32 slot = ReadParam(), x = ReadParam(), y = ReadParam(), priority = ReadParam();
    const i32 type = ReadParam(), ms = ReadParam();
    if (ReadMode() || slot < kPictureFirst || slot >= kPictureEnd) return;
    // The name is taken as it stands, without the picture folder.
    if (ASS_FolderPath(path, "", name)) PlaceAndShow(_ass_createsprite2(slot, path), x, y, priority, type, ms);
}

void ShowSlot(int base) {
    const i32 n = ReadParam(), show = ReadParam(), type = ReadParam(), ms = ReadParam();
    if (ReadMode() || (base && !Person(n))) return;
    ADV_SetSprDisp(base + n, show, type, ms);
}

void MoveSlot(int base) {
    const i32 n = ReadParam(), x = ReadParam(), y = ReadParam();
    if (ReadMode() || (base && !Person(n))) return;
    ADV_SetSprPos(base + n, x, y);
}

void _ass_func_sprdisp() { ShowSlot(0); }
void _ass_func_chrdisp() { ShowSlot(kCharFirst); }
void _ass_func_bustdisp() { ShowSlot(kBustFirst); }
void _ass_func_sprpos() { MoveSlot(0); }
void _ass_func_chrpos() { MoveSlot(kCharFirst); }

void _ass_func_sprpri() {
    const i32 slot = ReadParam(), priority = ReadParam();
    if (!ReadMode()) ADV_SetSprPri(slot, priority);
}

void _ass_func_chrdir() { SetFolder(Fn.charDir); }

void _ass_func_setchr() {
    const i32 n = ReadParam();
    char name[kMaxPath], path[kMaxPath];
    ReadText(name, sizeof(name));
    const i32 x = ReadParam(), y = ReadParam(), priority = ReadParam(), type = ReadParam(), ms = ReadParam();
    if (ReadMode() || !Person(n)) return;
    if (ASS_FolderPath(path, Fn.charDir, name))
        PlaceAndShow(_ass_createsprite2(kCharFirst + n, path), x, y, priority, type, ms);
}

void RemoveChr(bool release) {
    const i32 n = ReadParam();
    if (ReadMode()) return;
    if (!Person(n)) {
        if (release) SetFuncReturnNum(n);
        return;
    }
    ADV_DelSprite(kCharFirst + n);
    if (release) {
        ADV_ReleaseSprite(kCharFirst + n);
        SetFuncReturnNum(-1);
    }
}

void _ass_func_delchr2() { RemoveChr(false); }
void _ass_func_delchr() { RemoveChr(true); }

void _ass_func_chrattr() {
    const i32 n = ReadParam(), mode = ReadParam(), value = ReadParam();
    if (!ReadMode() && Person(n)) ADV_SetSprAttr(kCharFirst + n, mode, value);
}

void _ass_func_chrrect() {
    const i32 n = ReadParam(), l = ReadParam(), t = ReadParam(), r = ReadParam(), b = ReadParam();
    if (!ReadMode() && Person(n)) ADV_SetSprRect(kCharFirst + n, l, t, r, b);
}

// A bust from path into slot 96 + n: shown with the fade (type, ms), or hidden when type is -1.
void PlaceBust(i32 n, const char* path, i32 position, i32 page, i32 type, i32 ms) {
    const int slot = _ass_createsprite2(kBustFirst + n, path);
    if (slot < 0) return;
    ADV_SetSprite(slot, kBustPriority, ASS_BustX(position), ASS_BUST_Y, page, 0);
    if (type != -1)
        ADV_SetSprDisp(slot, 1, type, ms);
    else
        ADV_SetSprDisp(slot, 0, 0, 0);
}

void LoadBustFace(i32 number) {
    char name[32], path[kMaxPath];
    std::snprintf(name, sizeof(name), "face_%02d.spr", number);
    if (ASS_FolderPath(path, Fn.faceDir, name)) _ass_loadface(number, path);
}

bool BustPath(char* path, i32 number) {
    char name[32];
    std::snprintf(name, sizeof(name), "btst_%02d.spr", number);
    return ASS_FolderPath(path, Fn.bustDir, name);
}

void _ass_func_bustdir() { SetFolder(Fn.bustDir); }

void _ass_func_setbust() {
    const i32 n = ReadParam();
    char name[kMaxPath], path[kMaxPath];
    ReadText(name, sizeof(name));
    const i32 position = ReadParam(), page = ReadParam(), type = ReadParam(), ms = ReadParam();
    if (Person(n) && ASS_FolderPath(path, Fn.bustDir, name)) PlaceBust(n, path, position, page, type, ms);
}

void _ass_func_setbust2() {
    const i32 n = ReadParam(), number = ReadParam(), position = ReadParam(), page = ReadParam();
    const i32 type = ReadParam(), ms = ReadParam();
    if (!Person(n)) return;
    char path[kMaxPath];
    if (BustPath(path, number)) PlaceBust(n, path, position, page, type, ms);
    LoadBustFace(number);
}

void _ass_func_setbust3() {
    const i32 number = ReadParam();
    if (!Person(number)) return;
    ScrFuncFlagTbl[number] = 1;
    if (ReadMode()) return;
    char path[kMaxPath];
    if (BustPath(path, number)) PlaceBust(number, path, 1, 0, -1, 0);
    LoadBustFace(number);
}

void _ass_func_delbust2() {
    const i32 n = ReadParam();
    if (!ReadMode() && Person(n)) ADV_DelSprite(kBustFirst + n);
}

void _ass_func_delbust() {
    const i32 n = ReadParam();
    if (ReadMode()) return;
    SetFuncReturnNum(-1);
    if (n >= kPersonCount) return;
    for (i32 i = n < 0 ? 0 : n; i < (n < 0 ? kPersonCount : n + 1); ++i) {
        ADV_DelSprite(kBustFirst + i);
        ADV_ReleaseSprite(kBustFirst + i);
        _ass_releaseface(i);
        ScrFuncFlagTbl[i] = 0;
    }
}

void _ass_func_bustpos() {
    const i32 n = ReadParam(), position = ReadParam();
    if (!ReadMode() && Person(n)) ADV_SetSprPos(kBustFirst + n, ASS_BustX(position), ASS_BUST_Y);
}

void _ass_func_bustpage() {
    const i32 n = ReadParam(), page = ReadParam();
    if (!ReadMode() && Person(n)) ADV_SetSprPage(kBustFirst + n, page);
}

// ---- sound ----

void _ass_func_playbgm() {
    const i32 n = ReadParam();
    if (ReadMode()) return;
    BGM_Play(n, 1);
}

void _ass_func_stopbgm() {
    ASS_ReadDummyScrData(1);
    BGM_Stop();
}

void PlaySe(bool volume) {
    const i32 n = ReadParam(), loop = ReadParam();
    const i32 level = volume ? ReadParam() : 0;
    if (volume) ReadParam();
    if (ReadMode()) return;
    SE_Play(n, loop);
    if (!volume) return;
    SE_SetVolume(level);
}

void _ass_func_playse() { PlaySe(false); }
void _ass_func_playse2() { PlaySe(true); }

void _ass_func_stopse() {
    const i32 n = ReadParam();
    if (ReadMode()) return;
    SE_Stop(n);
}

void _ass_func_skip() {
    ASS_ReadDummyScrData(1);
    SetFuncReturnNum(0);
}

// The handlers of functions 0..83 by number; row 21 has none.
using FUNC_HANDLER = void (*)();
const FUNC_HANDLER FuncTbl[ASS_FUNC_BUILTIN_LAST + 1] = {
    _ass_func_return,     _ass_func_call,       _ass_func_clearsurf,   _ass_func_rgb,          // 0-3
    _ass_func_rand,       _ass_func_sin,        _ass_func_cos,         _ass_func_clearvalue,   // 4-7
    _ass_func_setvalue,   _ass_func_getvalue,   _ass_func_fade,        _ass_func_fade2,        // 8-11
    _ass_func_wait,       _ass_func_keywait,    _ass_func_getkey,      _ass_func_windowtype,   // 12-15
    _ass_func_window,     _ass_func_windowpos,  _ass_func_windowsize,  WindowWithMargin,       // 16-19
    WindowBackground,     nullptr,              _ass_func_wintype2,    _ass_func_nop2a,        // 20-23
    _ass_func_nop2b,      _ass_func_changeframe, _ass_func_addtext,    _ass_func_message,      // 24-27
    _ass_func_message2,   _ass_func_closewindow, _ass_func_closewindow, _ass_func_pagewait,    // 28-31
    _ass_func_auto,       _ass_func_autotime,   _ass_func_textcursor,  _ass_func_facedir,      // 32-35
    _ass_func_initface,   _ass_func_setface,    _ass_func_delface,     _ass_func_facepos,      // 36-39
    _ass_func_facepos2,   _ass_func_nop2c,      _ass_func_namepos,     _ass_func_fonttype,     // 40-43
    _ass_func_fontcolor,  _ass_func_seltext,    _ass_func_message3,    _ass_func_selrect,      // 44-47
    _ass_func_selwait,    _ass_func_sprdir,     _ass_func_delsprite,   _ass_func_loadsprite,   // 48-51
    _ass_func_setsprite,  _ass_func_sprdisp,    _ass_func_sprpos,      _ass_func_sprpri,       // 52-55
    _ass_func_delsprite2, _ass_func_chrdir,     _ass_func_setchr,      _ass_func_chrdisp,      // 56-59
    _ass_func_delchr2,    _ass_func_delchr,     _ass_func_chrpos,      _ass_func_chrattr,      // 60-63
    _ass_func_chrrect,    _ass_func_bustdir,    _ass_func_setbust,     _ass_func_setbust2,     // 64-67
    _ass_func_setbust3,   _ass_func_bustdisp,   _ass_func_delbust2,    _ass_func_delbust,      // 68-71
    _ass_func_bustpos,    _ass_func_bustpage,   _ass_func_empty,       _ass_func_empty,        // 72-75
    _ass_func_empty,      _ass_func_playbgm,    _ass_func_stopbgm,     _ass_func_playse,       // 76-79
    _ass_func_playse2,    _ass_func_stopse,     _ass_func_nop3,        _ass_func_skip,         // 80-83
};

}  // namespace

const char* _ass_funcargs(int no) {
    if (no >= 0 && no <= ASS_FUNC_BUILTIN_LAST) return FuncArgTbl[no];
    if (no == ASS_FUNC_TEXT) return "t";
    return nullptr;
}

void _ass_skipfuncargs(int no) {
    const char* kinds = _ass_funcargs(no);
    if (!kinds) return;
    for (const char* k = kinds; *k; ++k) {
        switch (*k) {
            case 'e': ReadParam(); break;
            case 't': {
                char text[kMaxPath];
                _ass_analysisparamstr(text, sizeof(text));
                break;
            }
            case 'b': ASS_ReadDummyScrData(1); break;
            case 'L': ASS_ReadDummyScrData(4); break;
            default: break;
        }
    }
}

void _ass_callfunc(int no) {
    if (no == ASS_FUNC_TEXT) {
        _ass_func_text();
        return;
    }
    const FUNC_HANDLER f = no >= 0 && no <= ASS_FUNC_BUILTIN_LAST ? FuncTbl[no] : nullptr;
    if (f)
        f();
    else
        _ass_skipfuncargs(no);
}

// ---- module state ----

i32 ASS_Sine(int index) { return index >= 0 && index < ASS_SINE_COUNT ? SineTbl()[index] : 0; }

// The product is taken in 64 bits: sine × r leaves 32 bits for |r| above 524,287.
i32 ASS_ScaledSine(i32 r, i32 a) { return i32(u32(u64((i64(SineTbl()[a & 255]) * r) >> 12))); }
i32 ASS_ScaledCosine(i32 r, i32 a) { return i32(u32(u64((i64(SineTbl()[(a & 255) + 64]) * r) >> 12))); }

i32 ASS_BustX(i32 position) {
    static const i32 kBustX[3] = {128, 320, 512};
    return position >= 0 && position < 3 ? kBustX[position] : kBustX[1];
}

int ASS_FolderPath(char* out, const char* folder, const char* name) {
    char joined[kMaxPath];
    const int n = std::snprintf(joined, sizeof(joined), "%s%s", folder, name);
    if (n < 0 || n >= kMaxPath) {
        DebugMsg("script: file name too long: %s%s", folder, name);
        return 0;
    }
    std::snprintf(out, kMaxPath, "%s", MakeFilePath("%s", joined));
    return 1;
}

void ASS_SetTrace(std::function<void(const char*)> trace) { Trace = std::move(trace); }

void ASS_Trace(const char* format, ...) {
    if (!Trace) return;
    char line[kTextMax + 64];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    Trace(line);
}

i32 _ass_getfadekind() { return Fn.fadeKind; }
void _ass_setfadekind(i32 kind) { Fn.fadeKind = kind; }
i32 _ass_getfadetime() { return Fn.fadeTime; }
u32 _ass_getfadestart() { return Fn.fadeStart; }

void _ass_script_func_draw() {
    if (Fn.fadeKind != ASS_WAIT_FADE && Fn.fadeKind != ASS_WAIT_FADE2) return;
    plat::Surface* work = SPR_GetSlotSurf(ScreenWorkSurf);
    if (!work || !DispBackBuffer) return;
    const i64 t = Fn.fadeTime < 1 ? 1 : Fn.fadeTime;
    const i64 el = std::max<i64>(0, i32(plat::GetTimeMs() - Fn.fadeStart));
    i64 level = el * 32 / t;
    if (Fn.fadeKind == ASS_WAIT_FADE) {
        if (Fn.fadeTime == -1) return;
        level = std::min<i64>(32, level);
    } else {
        level = std::max<i64>(0, 32 - level);
    }
    DWW_FadeInBlack(DispBackBuffer, 0, 0, work, nullptr, i32(level), DRW_NO_KEY);
}
