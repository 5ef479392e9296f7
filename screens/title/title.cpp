// The title screen: intro, main menu, submenu and the closing picture, timed by the millisecond clock
// read once per update.
#include "screens/title/title.h"

#include "graphics/blit/drw.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/clock.h"
#include "screens/btl/btl.h"
#include "screens/ranking/his.h"
#include "script/bsc/bsc.h"
#include "script/script.h"
#include "shell/common.h"
#include "shell/input/cur.h"
#include "shell/input/inp.h"
#include "shell/input/key.h"
#include "shell/sound/sound.h"
#include "shell/sys.h"

namespace {

constexpr u32 kAttrAdd = 8;
constexpr u32 kAttrAlpha = 64;
constexpr u32 kAttrAddRGB = 0x40000;
constexpr u32 kFadeMs = 1000;
constexpr int kHighlightLow = 128;
constexpr int kHighlightHigh = 196;
constexpr int kPlateSlide = 116;  // the plates' first, 150 ms stretch of their 132-pixel slide
constexpr int kPlateEnd = 132;
constexpr int kLineW = 224;
constexpr int kDriverMenu = 4;     // the single elements that step the menu routines
constexpr int kDriverSubMenu = 5;

TITLE_WORK MakeWork() {
    TITLE_WORK w{};
    w.state = -1;
    w.menuStart = -1;
    for (TITLE_ELEM& e : w.elem) e.sprite = -1;
    for (i32& p : w.pic) p = -1;
    w.fadeFlag = 1;
    w.fadeDuration = kFadeMs;
    w.highlight = kHighlightLow;
    w.highlightDir = 2;
    return w;
}

TITLE_WORK& W = TitleWork;

// A menu's plates and lines: their first elements, counts and the plates' source column and row.
struct MENU_SET {
    int plate, plates, line, lines;
    i32 srcX, srcY;
    int alphaDiv;      // the plates' alpha level is offset × 30 / alphaDiv
    bool plainAtEnd;
};
constexpr MENU_SET kMainMenu{TITLE_ELEM_PLATE, TITLE_MENU_MAX, TITLE_ELEM_LINE, 5, 16, 848, kPlateSlide, true};
constexpr MENU_SET kSubMenu{TITLE_ELEM_SUBPLATE, TITLE_SUBMENU_MAX, TITLE_ELEM_SUBLINE, 6, 248, 736, kPlateEnd, false};

// A surface sprite of a picture slot showing src (the whole picture when null); -1, skipped by
// every later step, when the picture or a sprite slot is missing.
int MakeSprite(TITLE_ELEM* e, int priority, i32 x, i32 y, int pic, const RECT* src) {
    e->src = src ? *src : RECT{};
    e->sprite = -1;
    const int surf = W.pic[pic];
    if (surf < 0) return -1;
    const int s = SPR_GetFreeSpr();
    if (s < 0 || !SPR_CreateTSpr(s, priority, x, y, surf, src)) return -1;
    e->sprite = s;
    return s;
}

void SetAttr(const TITLE_ELEM& e, u32 attr, i32 level, i32 level2) {
    if (e.sprite < 0) return;
    SPR_SetTSprAttr(e.sprite, attr);
    SPR_SetTSprAttrCnt1(e.sprite, level);
    SPR_SetTSprAttrCnt2(e.sprite, level2);
}

void Place(const TITLE_ELEM& e, i32 x, i32 y) {
    if (e.sprite >= 0) SPR_SetTSprPos(e.sprite, x, y);
}

void ShowPart(const TITLE_ELEM& e, i32 left, i32 top, i32 w, i32 h) {
    if (e.sprite >= 0) SPR_SetTSprRect(e.sprite, left, top, w, h);
}

void FreeElem(TITLE_ELEM* e) {
    if (e->sprite >= 0) SPR_DelSpr(e->sprite);
    *e = TITLE_ELEM{};
    e->sprite = -1;
}

void FreeElems(int first, int count) {
    for (int i = first; i < first + count; ++i) FreeElem(&W.elem[i]);
}

// ---- the menus' plates and lines ----

void PlateMove(TITLE_ELEM& e, int i, const MENU_SET& m, i32 offset) {
    e.value = offset;
    Place(e, i % 2 == 0 ? 76 + offset : 340 - offset, 312 + 32 * i);
    if (m.plainAtEnd && offset >= kPlateEnd)
        SetAttr(e, 0, 0, 0);
    else
        SetAttr(e, kAttrAlpha, offset * 30 / m.alphaDiv, 0);
}

void LineWidth(TITLE_ELEM& e, int i, i32 w) {
    e.value = w;
    ShowPart(e, 8 + (kLineW - w) / 2, 732, w, 2);
    Place(e, 320 - w / 2, 304 + 32 * i);
}

void MenuBuild(const MENU_SET& m) {
    for (int i = 0; i < m.plates; ++i) {
        TITLE_ELEM& e = W.elem[m.plate + i];
        const RECT src{m.srcX, m.srcY + 16 * i, m.srcX + kLineW, m.srcY + 16 * i + 16};
        MakeSprite(&e, 19, 0, 0, TITLE_PIC_TITLE, &src);
        e.phase = 0;
        PlateMove(e, i, m, 0);
        TITLE_StartElem(&e, 150);
    }
    for (int i = 0; i < m.lines; ++i) {
        TITLE_ELEM& e = W.elem[m.line + i];
        const RECT src{8, 732, 8 + kLineW, 734};
        MakeSprite(&e, 15, 0, 0, TITLE_PIC_TITLE, &src);
        LineWidth(e, i, 0);
        TITLE_StartElem(&e, 200);
    }
}

// Plates slide in (116 over 150 ms, on to 132 over 50 ms) and lines widen; true once all stand.
bool MenuSlideIn(const MENU_SET& m) {
    bool done = true;
    for (int i = 0; i < m.plates; ++i) {
        TITLE_ELEM& e = W.elem[m.plate + i];
        i32 offset = kPlateSlide;
        if (e.phase == 0) {
            offset = TITLE_ElemValue(&e, kPlateSlide);
            if (offset >= kPlateSlide) {
                e.phase = 1;
                TITLE_StartElem(&e, 50);
            }
        }
        if (e.phase == 1) offset = kPlateSlide + TITLE_ElemValue(&e, kPlateEnd - kPlateSlide);
        PlateMove(e, i, m, offset);
        done = done && offset >= kPlateEnd;
    }
    for (int i = 0; i < m.lines; ++i) {
        TITLE_ELEM& e = W.elem[m.line + i];
        LineWidth(e, i, TITLE_ElemValue(&e, kLineW));
        done = done && e.value >= kLineW;
    }
    return done;
}

void MenuStartOut(const MENU_SET& m) {
    for (int i = 0; i < m.plates; ++i) TITLE_StartElem(&W.elem[m.plate + i], 150);
    for (int i = 0; i < m.lines; ++i) TITLE_StartElem(&W.elem[m.line + i], 200);
}

// Plates slide back, lines narrow; true (everything released) once plate 0 is back.
bool MenuSlideOut(const MENU_SET& m) {
    const MENU_SET fading{m.plate, m.plates, m.line, m.lines, m.srcX, m.srcY, kPlateEnd, false};
    for (int i = 0; i < m.plates; ++i) {
        TITLE_ELEM& e = W.elem[m.plate + i];
        PlateMove(e, i, fading, kPlateEnd - TITLE_ElemValue(&e, kPlateEnd));
    }
    for (int i = 0; i < m.lines; ++i) {
        TITLE_ELEM& e = W.elem[m.line + i];
        LineWidth(e, i, kLineW - TITLE_ElemValue(&e, kLineW));
    }
    if (W.elem[m.plate].value > 0) return false;
    FreeElems(m.plate, m.plates);
    FreeElems(m.line, m.lines);
    return true;
}

// Build, then slide in; 1 once all stand.
int MenuIn(const MENU_SET& m, TITLE_ELEM* driver) {
    if (driver->step == 0) {
        MenuBuild(m);
        driver->step = 1;
    }
    if (!MenuSlideIn(m)) return 0;
    driver->step = 0;
    return 1;
}

int MenuOut(const MENU_SET& m, TITLE_ELEM* driver) {
    if (driver->step == 0) {
        MenuStartOut(m);
        driver->step = 1;
    }
    if (!MenuSlideOut(m)) return 0;
    driver->step = 0;
    return 1;
}

// The shared navigation of both menus: keys move the selection with wrap, else the mouse picks the
// entry under it; a key move over an entry takes the pointer along. The entry under the mouse, or -1.
int Navigate(int count) {
    W.selectedPrev = W.selected;
    const u16 trigger = ScreenKey.trigger;
    int sel = W.selected;
    if (trigger & 1) sel = sel <= 0 ? count - 1 : sel - 1;
    if (trigger & 2) sel = sel >= count - 1 ? 0 : sel + 1;
    const int hit = TITLE_HitMenu(TitleMenuRect, count, ScreenMouseX, ScreenMouseY);
    if (sel == W.selectedPrev) {
        if (hit >= 0) W.selected = hit;
        CUR_SetType(hit >= 0 ? 1 : 0);
    } else {
        W.selected = sel;
        if (hit >= 0) INP_SetMousePos(ScreenMouseX, TitleMenuRect[sel].top + 12);
    }
    return hit;
}

bool Decided(int hit) { return (ScreenKey.trigger & 16) || ((ScreenMouseTrg & 1) && hit >= 0); }

void ToggleView(TITLE_ELEM& e) {
    e.toggle ^= 1;
    if (e.sprite >= 0) SPR_SetTSprView(e.sprite, e.toggle ? 0 : 1);
}

}  // namespace

TITLE_WORK TitleWork = MakeWork();

void TITLE_ResetWork() { TitleWork = MakeWork(); }

const RECT TitleMenuRect[TITLE_SUBMENU_MAX] = {
    {208, 308, 432, 332}, {208, 340, 432, 364}, {208, 372, 432, 396}, {208, 404, 432, 428}, {208, 436, 432, 460}};

// ---- element timers ----

void TITLE_StartElem(TITLE_ELEM* e, u32 duration) {
    e->start = W.frameTime;
    e->duration = W.skip ? 0 : duration;
}

i32 TITLE_ElemValue(const TITLE_ELEM* e, i32 target) {
    // A skipped timer stays complete after the skip flag clears.
    if (e->duration == 0) return target;
    const u32 elapsed = W.frameTime - e->start;
    const i64 v = i64(target) * i64(elapsed) / i64(e->duration);
    return v > target ? target : i32(v);
}

// ---- the screen ----

void TITLE_Renew() {
    KEY_RenewScreenKey();
    W.frameTime = plat::GetTimeMs();
    if (W.state == -1)
        TITLE_Init();
    else if (W.state == 0)
        TITLE_Exec();
    SPR_RenewAnime();
}

void TITLE_Init() {
    CUR_Show(1);
    KEY_InitScreenKey();
    W.pic[TITLE_PIC_TITLE] = SPR_LoadSurf(MakeFilePath("bmp\\etc\\title.bmp"), 0);
    W.pic[TITLE_PIC_LOGO] = SPR_LoadSurf(MakeFilePath("bmp\\etc\\etc_t00.bmp"), 0);
    W.pic[TITLE_PIC_CLOSING] = SPR_LoadSurf(MakeFilePath("bmp\\etc\\etc_t01.bmp"), 0);
    for (TITLE_ELEM& e : W.elem) {
        e = TITLE_ELEM{};
        e.sprite = -1;
    }
    W.fadeFlag = 1;
    W.state = 0;
}

void TITLE_Term() {
    BGM_Stop();
    FreeElems(0, TITLE_ELEM_MAX);
    for (i32& p : W.pic) p = SPR_DelSurfDat2(p);
    W.step = 0;
    W.skip = 0;
    W.menuStart = -1;
    W.fadeFlag = 1;
    W.state = -1;
}

void TITLE_Exec() {
    if (W.step >= 0 && W.step <= 3 && ((ScreenKey.trigger & 16) || (ScreenMouseTrg & 1))) W.skip = 1;
    switch (W.step) {
    case 0:
        if (TITLE_Intro1()) W.step = 1;
        break;
    case 1:
        if (TITLE_Intro2()) W.step = 2;
        break;
    case 2:
        if (TITLE_Intro3()) W.step = 3;
        break;
    case 3:
        if (TITLE_MenuBuild()) {
            W.skip = 0;
            BGM_Play(11, 0);
            W.step = 4;
        }
        break;
    case 4: TITLE_MainMenu(); break;
    case 5:
        if (TITLE_FadeOut()) W.step = 6;
        break;
    case 6:
        if (TITLE_Closing()) {
            TITLE_Term();
            SYS_SetSeq(1);
        }
        break;
    case 7:
        if (TITLE_FadeOut()) W.step = 8;
        break;
    case 8:
        if (W.selected == 0) {
            TITLE_Term();
            BTL_SetState(0);
            SYS_SetSeq(4);
        } else if (W.selected == 1) {
            TITLE_Term();
            HIS_SetMode(1);
            SYS_SetSeq(6);
        } else if (TITLE_Closing()) {
            TITLE_Term();
            SYS_SetSeq(10);
        }
        break;
    case 9:
        if (TITLE_SubMenuIn1()) W.step = 10;
        break;
    case 10:
        if (TITLE_SubMenuIn2()) W.step = 11;
        break;
    case 11: TITLE_SubMenu(); break;
    case 12:
        if (TITLE_FadeOut()) W.step = 13;
        break;
    case 13:
        TITLE_Term();
        ADV_SetScriptNo(W.selected);
        W.selected = 0;
        mBSC_Init();
        SYS_SetSeq(5);
        break;
    case 14:
        if (TITLE_SubMenuOut1()) W.step = 15;
        break;
    case 15:
        if (TITLE_SubMenuOut2()) {
            // The submenu's fifth entry has no main-menu twin.
            if (W.selected >= TITLE_MENU_MAX) W.selected = TITLE_MENU_MAX - 1;
            W.step = 4;
        }
        break;
    default: break;
    }
    TITLE_DebugKey();
}

void TITLE_MainMenu() {
    W.skip = 0;
    if (W.menuStart < 0) W.menuStart = W.frameTime;
    const int hit = Navigate(TITLE_MENU_MAX);
    if (Decided(hit)) {
        SE_Play(42, 0);
        W.step = W.selected == 2 ? 9 : 7;
        return;
    }
    if (u32(W.frameTime - u32(W.menuStart)) > TITLE_IDLE_MS) {
        W.menuStart = -1;
        W.step = 5;
    }
}

void TITLE_SubMenu() {
    const int hit = Navigate(TITLE_SUBMENU_MAX);
    if (Decided(hit)) {
        SE_Play(42, 0);
        W.step = 12;
    } else if ((ScreenKey.trigger & 32) || (ScreenMouseTrg & 2)) {
        SE_Play(48, 0);
        W.step = 14;
    }
}

int TITLE_HitMenu(const RECT* table, int count, i32 x, i32 y) {
    for (int i = 0; i < count; ++i)
        if (x >= table[i].left && x < table[i].right && y >= table[i].top && y < table[i].bottom) return i;
    return -1;
}

int TITLE_FadeOut() {
    if (W.fadeFlag) {
        // The picture as it stands goes into the work surface, which the draw then darkens.
        if (plat::Surface* work = SPR_GetSlotSurf(ScreenWorkSurf)) {
            SURF_Fill(work, nullptr, 0);
            plat::Surface** old = SprDrawSurf;
            SPR_SetDrawSurf(&work);
            SPR_DrawAllSpr(-1);
            SPR_SetDrawSurf(old);
        }
        W.fadeFlag = 0;
        W.fadeDuration = kFadeMs;
        W.fadeStart = W.frameTime;
    }
    if (u32(W.frameTime - W.fadeStart) < W.fadeDuration) return 0;
    CUR_Show(0);
    W.fadeFlag = 1;
    FreeElems(0, TITLE_ELEM_MAX);
    return 1;
}

void TITLE_DebugKey() {
    if (INP_GetAsyncKey('2')) ToggleView(W.elem[TITLE_ELEM_PIECE_A]);
    if (INP_GetAsyncKey('3')) ToggleView(W.elem[TITLE_ELEM_PIECE_B]);
    if (INP_GetAsyncKey('4')) ToggleView(W.elem[TITLE_ELEM_PICTURE]);
}

void TITLE_Draw() {
    SURF_Fill(DispBackBuffer, nullptr, 0);
    if (W.state == 0 && (W.step == 4 || W.step == 11) && W.selected >= 0 && W.selected < TITLE_SUBMENU_MAX) {
        const RECT& r = TitleMenuRect[W.selected];
        DRWS_Fill(DispBackBuffer, r.left, r.top, r.right, r.bottom, DISP_PackRGB(0, 128, 255), W.highlight);
        W.highlight += W.highlightDir;
        if (W.highlight >= kHighlightHigh) W.highlightDir = -2;
        if (W.highlight <= kHighlightLow) W.highlightDir = 2;
    }
    if (W.fadeFlag == 0) {
        TIME_DATA fade{1, W.fadeDuration, W.fadeStart};
        if (plat::Surface* work = SPR_GetSlotSurf(ScreenWorkSurf))
            DWW_FadeInBlack(DispBackBuffer, 0, 0, work, nullptr, 32 - TIME_GetTimeRate(&fade, 32, 1), 0x10000);
    } else {
        SPR_DrawAllSpr(-1);
    }
    DISP_Flip();
}

// ---- intro ----

// A bar opens from its centre over 300 ms, blending in.
int TITLE_Intro1() {
    TITLE_ELEM& e = W.elem[TITLE_ELEM_BAR];
    if (e.step == 0) {
        const RECT src{16, 0, 416, 32};
        MakeSprite(&e, 15, 320, 182, TITLE_PIC_TITLE, &src);
        SetAttr(e, kAttrAddRGB, 0, 0);
        ShowPart(e, 216, 0, 0, 32);
        TITLE_StartElem(&e, 300);
        e.step = 1;
    }
    const i32 w = TITLE_ElemValue(&e, 400);
    const i32 level = TITLE_ElemValue(&e, 32);
    ShowPart(e, 216 - w / 2, 0, w, 32);
    Place(e, 320 - w / 2, 182);
    SetAttr(e, kAttrAddRGB, level, level);
    if (w < 400) return 0;
    SetAttr(e, 0, 0x8080, 128);
    e.step = 2;
    return 1;
}

// Two pieces grow upward from y 182 over 300 ms.
int TITLE_Intro2() {
    TITLE_ELEM* piece[2] = {&W.elem[TITLE_ELEM_PIECE_A], &W.elem[TITLE_ELEM_PIECE_B]};
    constexpr i32 kTop[2] = {48, 256};
    if (piece[0]->step == 0) {
        for (int i = 0; i < 2; ++i) {
            const RECT src{32, kTop[i], 400, kTop[i] + 80};
            MakeSprite(piece[i], i == 0 ? 18 : 16, 136, 182, TITLE_PIC_TITLE, &src);
            SetAttr(*piece[i], i == 0 ? kAttrAdd : 0, 0, 0);
            ShowPart(*piece[i], 32, kTop[i], 368, 0);
            TITLE_StartElem(piece[i], 300);
            piece[i]->step = 1;
        }
    }
    i32 h = 0;
    for (int i = 0; i < 2; ++i) {
        h = TITLE_ElemValue(piece[i], 80);
        ShowPart(*piece[i], 32, kTop[i], 368, h);
        Place(*piece[i], 136, 182 - h);
    }
    if (h < 80) return 0;
    piece[0]->step = piece[1]->step = 2;
    return 1;
}

// The big picture fades in over 500 ms, then adds; the first part-2 piece goes away.
int TITLE_Intro3() {
    TITLE_ELEM& e = W.elem[TITLE_ELEM_PICTURE];
    if (e.step == 0) {
        const RECT src{0, 356, 432, 596};
        MakeSprite(&e, 19, 104, -40, TITLE_PIC_TITLE, &src);
        SetAttr(e, kAttrAddRGB, 0, 0);
        TITLE_StartElem(&e, 500);
        e.step = 1;
    }
    const i32 level = TITLE_ElemValue(&e, 32);
    SetAttr(e, kAttrAddRGB, level, level);
    if (level < 32) return 0;
    SetAttr(e, kAttrAdd, 0, 0);
    ToggleView(W.elem[TITLE_ELEM_PIECE_A]);
    e.step = 2;
    return 1;
}

// The main menu slides in, then the logo shrinks into place over 500 ms.
int TITLE_MenuBuild() {
    TITLE_ELEM& driver = W.elem[kDriverMenu];
    TITLE_ELEM& logo = W.elem[TITLE_ELEM_LOGO];
    if (driver.step < 2) {
        if (!MenuIn(kMainMenu, &driver)) return 0;
        const RECT piece{0, 0, 128, 64};
        MakeSprite(&W.elem[TITLE_ELEM_LOGO_PIECE], 0, 500, 237, TITLE_PIC_LOGO, &piece);
        const RECT src{128, 0, 496, 56};
        MakeSprite(&logo, 64, 0, 0, TITLE_PIC_LOGO, &src);
        TITLE_StartElem(&logo, 500);
        driver.step = 2;
    }
    const i32 size = 150 - TITLE_ElemValue(&logo, 50);
    const i32 w = 368 * size / 100, h = 56 * size / 100;
    if (logo.sprite >= 0) SPR_SetTSprScale(logo.sprite, 256 * size / 100, 256 * size / 100);
    Place(logo, 320 - w / 2, 268 - h / 2);
    SetAttr(logo, kAttrAlpha, 5 + TITLE_ElemValue(&logo, 25), 0);
    if (size > 100) return 0;
    SetAttr(logo, 0, 0, 0);
    driver.step = 0;
    return 1;
}

int TITLE_SubMenuIn1() { return MenuOut(kMainMenu, &W.elem[kDriverSubMenu]); }
int TITLE_SubMenuIn2() { return MenuIn(kSubMenu, &W.elem[kDriverSubMenu]); }
int TITLE_SubMenuOut1() { return MenuOut(kSubMenu, &W.elem[kDriverSubMenu]); }
int TITLE_SubMenuOut2() { return MenuIn(kMainMenu, &W.elem[kDriverSubMenu]); }

// In over 800 ms, plain for 8400 ms, out over 800 ms; never skipped.
int TITLE_Closing() {
    W.skip = 0;
    TITLE_ELEM& e = W.elem[TITLE_ELEM_CLOSING];
    switch (e.step) {
    case 0:
        MakeSprite(&e, 64, 0, 0, TITLE_PIC_CLOSING, nullptr);
        SetAttr(e, kAttrAlpha, 0, 0);
        TITLE_StartElem(&e, 800);
        e.step = 1;
        [[fallthrough]];
    case 1: {
        const i32 level = TITLE_ElemValue(&e, 32);
        SetAttr(e, kAttrAlpha, level, 0);
        if (level < 32) return 0;
        SetAttr(e, 0, 0, 0);
        TITLE_StartElem(&e, 8400);
        e.step = 2;
        return 0;
    }
    case 2:
        if (TITLE_ElemValue(&e, 1) < 1) return 0;
        SetAttr(e, kAttrAlpha, 32, 0);
        TITLE_StartElem(&e, 800);
        e.step = 3;
        return 0;
    case 3: {
        const i32 level = 32 - TITLE_ElemValue(&e, 32);
        SetAttr(e, kAttrAlpha, level, 0);
        if (level > 0) return 0;
        e.step = 4;
        return 1;
    }
    default: return 1;
    }
}
