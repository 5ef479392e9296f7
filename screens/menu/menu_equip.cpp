// The equipment menus: the 4 × 3 grid of equipped technique groups, and its child listing every group
// by category. Both work on slots (a panel and a rectangle on it), share the marker and icon sprites
// and the fades, and let the player peek at the battle behind them.
#include <algorithm>

#include "battle/battle.h"
#include "graphics/sprite/spr.h"
#include "screens/menu/menu.h"
#include "screens/panel/ims_pnl.h"
#include "screens/save/save.h"
#include "shell/input/cur.h"
#include "shell/input/inp.h"
#include "shell/sound/sound.h"
#include "shell/sys.h"

const i16 MenuCategoryTbl[MENU_CATEGORIES + 1] = {0, 7, 16, 23, 36, 41, 45};

MENU_PANEL MenuEquipPanel[MENU_EQUIP_PANELS];
MENU_SLOT MenuEquipSlot[MENU_EQUIP_SLOTS];
MENU_EQUIP_DATA MenuEquip{.panel = MenuEquipPanel, .panelMax = MENU_EQUIP_PANELS, .slot = MenuEquipSlot, .slotMax = MENU_EQUIP_SLOTS};
MENU_PANEL MenuEquip2Panel[MENU_EQUIP2_PANELS];
MENU_SLOT MenuEquip2Slot[MENU_EQUIP2_SLOTS];
MENU_EQUIP_DATA MenuEquip2{.panel = MenuEquip2Panel, .panelMax = MENU_EQUIP2_PANELS, .slot = MenuEquip2Slot, .slotMax = MENU_EQUIP2_SLOTS};

namespace {

constexpr u16 kKeyDecide = 16;
constexpr u32 kMouseLeft = 1;
constexpr u32 kAttrAlpha = 64;
constexpr u32 kAttrAddLevel = 128;
constexpr u32 kAttrWhite = 512;
constexpr u32 kAttrDark = 0x8000;
constexpr int kSeOpen = 0;
constexpr int kSeMove = 48;

constexpr int kRows = 4;
constexpr int kCols = 3;
constexpr int kTabs = 3;
constexpr i32 kRowW = 384;
constexpr i32 kRowH = 32;
constexpr i32 kRowX = -384;
constexpr i32 kRowY = 32;
constexpr i32 kTabW = 24;
constexpr i32 kTabH = 188;
constexpr i32 kTabX[kTabs] = {120, 220, 320};
constexpr i32 kTabY = -188;
constexpr i32 kIconW = 92;
constexpr i32 kIconH = 20;
constexpr i32 kCatW = 580;
constexpr i32 kCatX = -580;
// Category 3's three lines of icons need 72 rows; the two below it move down to make room.
constexpr i32 kCatY[MENU_CATEGORIES] = {124, 176, 228, 280, 352, 384};
constexpr i32 kCatH[MENU_CATEGORIES] = {52, 52, 52, 72, 32, 32};
constexpr int kIconsPerLine = 5;

constexpr int kSlideFrames = 6;
constexpr i32 kBounce[4] = {-8, 8, -2, 2};
constexpr int kMarkerMax = 32;

constexpr int kRowPri = 20;
constexpr int kTabPri = 21;
constexpr int kMarkerPri = 17;
constexpr int kIconPri = 16;

bool SlotUsable(const MENU_EQUIP_DATA& e, int i) { return i >= 0 && i < e.slotMax && e.slot[i].used; }

bool AnySlot(const MENU_EQUIP_DATA& e) {
    for (int i = 0; i < e.slotMax; ++i)
        if (e.slot[i].used) return true;
    return false;
}

const MENU_PANEL* SlotPanel(const MENU_EQUIP_DATA& e, int i) {
    if (!SlotUsable(e, i)) return nullptr;
    const int p = e.slot[i].panel;
    return p >= 0 && p < e.panelCnt && e.panel[p].used ? &e.panel[p] : nullptr;
}

int NewPanel(MENU_EQUIP_DATA& e, u8 axis, i32 x, i32 y, i32 w, i32 h, u8 select) {
    if (e.panelCnt >= e.panelMax) return -1;
    const int n = e.panelCnt++;
    e.panel[n] = MENU_PANEL{1, axis, x, y, w, h, select};
    return n;
}

// Takes the first free slot.
void NewSlot(MENU_EQUIP_DATA& e, int panel, int group, i32 left, i32 top) {
    for (int i = 0; i < e.slotMax; ++i) {
        if (e.slot[i].used) continue;
        e.slot[i] = MENU_SLOT{1, i16(group), i16(panel), RECT{left, top, left + kIconW, top + kIconH}};
        return;
    }
    DebugMsg("MENU_EQUIP: no free slot for group %d", group);
}

// A group's icon on a panel's surface; a group without an icon leaves the place as it is.
void DrawIcon(int surf, int group, i32 x, i32 y) {
    RECT r;
    if (MENU_EQUIP_IconRect(group, &r)) MENU_CopyRect(surf, x, y, EquipSurf, r.left, r.top, kIconW, kIconH);
}

void MovePanel(MENU_PANEL& p, i32 dx, i32 dy) {
    p.x += dx;
    p.y += dy;
    SPR_SetTSprPos(p.spr, p.x, p.y);
}

void ForPanels(MENU_EQUIP_DATA& e, u32 attr, int level) {
    for (int i = 0; i < e.panelCnt; ++i) {
        SPR_SetTSprAttr(e.panel[i].spr, attr);
        SPR_SetTSprAttrCnt1(e.panel[i].spr, level);
    }
    e.level = level;
}

void SetPanelLevel(MENU_EQUIP_DATA& e, int level) {
    e.level = level;
    for (int i = 0; i < e.panelCnt; ++i) SPR_SetTSprAttrCnt1(e.panel[i].spr, std::clamp(level, 0, 63));
}

void ShowPanels(MENU_EQUIP_DATA& e, int flag) {
    for (int i = 0; i < e.panelCnt; ++i) SPR_SetTSprView(e.panel[i].spr, flag);
}

void PlaceMarker(MENU_EQUIP_DATA& e) {
    e.markerLevel = std::clamp(e.markerLevel + e.markerStep, 0, kMarkerMax);
    const MENU_PANEL* p = SlotPanel(e, e.markerSlot);
    if (!p) return;
    const RECT& r = e.slot[e.markerSlot].rect;
    SPR_SetTSprPos(e.markerSpr, p->x + r.left - 12, p->y + r.top - 8);
    SPR_SetTSprAttrCnt1(e.markerSpr, e.markerLevel);
    SPR_SetTSprPos(e.iconSpr, p->x + r.left, p->y + r.top);
    SPR_SetTSprAttrCnt1(e.iconSpr, e.markerLevel);
}

void ShowIcon(MENU_EQUIP_DATA& e) {
    RECT r;
    const bool icon = SlotUsable(e, e.markerSlot) && MENU_EQUIP_IconRect(e.slot[e.markerSlot].group, &r);
    if (icon) SPR_SetTSprSurf(e.iconSpr, EquipSurf, &r);
    SPR_SetTSprView(e.iconSpr, icon ? 1 : 0);
}

void MakeMarker(MENU_EQUIP_DATA& e) {
    const RECT marker{316, 0, 432, 40};
    e.markerSpr = MENU_NewTSpr(kMarkerPri, 0, 0, EquipSurf, &marker);
    SPR_SetTSprAttr(e.markerSpr, kAttrAddLevel);
    const RECT blank{432, 0, 524, 20};
    e.iconSpr = MENU_NewTSpr(kIconPri, 0, 0, EquipSurf, &blank);
    SPR_SetTSprAttr(e.iconSpr, kAttrAddLevel);
    e.markerSlot = 0;
    e.markerLevel = 0;
    e.markerStep = 4;
    ShowIcon(e);
    PlaceMarker(e);
}

void FreeMarker(MENU_EQUIP_DATA& e) {
    if (e.markerSpr >= 0) SPR_DelSpr(e.markerSpr);
    if (e.iconSpr >= 0) SPR_DelSpr(e.iconSpr);
    e.markerSpr = e.iconSpr = -1;
}

void FreeAll(MENU_EQUIP_DATA& e) {
    FreeMarker(e);
    for (int i = 0; i < e.panelMax; ++i) {
        MENU_PANEL& p = e.panel[i];
        if (p.spr >= 0) SPR_DelSpr(p.spr);
        if (p.spr2 >= 0) SPR_DelSpr(p.spr2);
        if (p.surf >= 0) SPR_DelSurfDat(p.surf);
        p = MENU_PANEL{};
    }
    e.panelCnt = 0;
    for (int i = 0; i < e.slotMax; ++i) e.slot[i] = MENU_SLOT{};
}

void ResetWork(MENU_EQUIP_DATA& e) {
    e.work.cursor = 1;
    e.work.chosen = e.work.hover = e.work.help = -1;
    e.work.step = e.work.cnt = 0;
}

void Select(MENU_EQUIP_DATA& e, int n) {
    if (n < 0) return;
    if (SlotUsable(e, e.work.cursor)) SE_Play(kSeMove, -1);
    e.work.cursor = i16(n);
    e.markerSlot = n;
    e.markerLevel = 0;
    ShowIcon(e);
    MENU_HelpMsg_Reset();
}

void HoverSelect(MENU_EQUIP_DATA& e) {
    i32 mx = 0, my = 0;
    INP_GetMouse(&mx, &my, nullptr);
    const int hit = MENU_EQUIP_HitSlot(e, mx, my);
    if (hit >= 0) Select(e, hit);
}

int KeyCheck(MENU_EQUIP_DATA& e, const char* name) {
    return MENU_RepeatKey(
        &e.work, name, e.slotMax,
        [&e](int i, int dir) { return MENU_ListStep(i, dir, e.slotMax); },
        [&e](int i) { return SlotUsable(e, i); }, [&e] { return AnySlot(e); },
        [&e](int to) {
            Select(e, to);
            if (const MENU_PANEL* p = SlotPanel(e, to)) MENU_WarpMouse(p->x + e.slot[to].rect.right - 8, p->y + e.slot[to].rect.bottom - 8);
        });
}

// Slides every panel on its axis: `step` 0 plays the sound, 1 the slide, 2 the bounce. True when done.
bool Slide(MENU_EQUIP_DATA& e, i32 rowD, i32 tabD, bool bounce) {
    if (e.work.step == 0) {
        SE_Play(kSeOpen, -1);
        e.work.step = 1;
        e.work.cnt = 0;
    }
    const bool sliding = e.work.step == 1;
    for (int i = 0; i < e.panelCnt; ++i) {
        MENU_PANEL& p = e.panel[i];
        const i32 d = sliding ? (p.axis ? tabD : rowD) : kBounce[e.work.cnt];
        MovePanel(p, p.axis ? 0 : d, p.axis ? d : 0);
    }
    if (sliding) {
        if (++e.work.cnt < kSlideFrames) return false;
        e.work.cnt = 0;
        if (!bounce) return true;
        e.work.step = 2;
        return false;
    }
    return ++e.work.cnt >= 4;
}

// Dim (dir -1) or undim (+1) of the row panels: 4 frames of 3 × (r + 1) pixels and 3 levels, then
// 2 frames of -4 and +4. True when done.
bool Dim(MENU_EQUIP_DATA& e, int dir) {
    if (e.work.step == 0) {
        e.work.step = 1;
        e.work.cnt = 0;
    }
    if (e.work.step == 1) {
        for (int i = 0; i < e.panelCnt; ++i)
            if (e.panel[i].axis == 0) MovePanel(e.panel[i], 0, dir * 3 * (i + 1));
        SetPanelLevel(e, e.level + 3 * dir);
        if (++e.work.cnt < 4) return false;
        e.work.step = 2;
        e.work.cnt = 0;
        return false;
    }
    for (int i = 0; i < e.panelCnt; ++i)
        if (e.panel[i].axis == 0) MovePanel(e.panel[i], 0, e.work.cnt == 0 ? -4 : 4);
    return ++e.work.cnt >= 2;
}

// The fade out before a peek: true when it has ended (panels and marker hidden).
bool FadeOut(MENU_EQUIP_DATA& e) {
    if (e.work.step == 0) {
        ForPanels(e, kAttrAlpha, 31);
        e.markerStep = -10;
        SPR_SetTSprView(e.iconSpr, 0);
        SE_Play(kSeOpen, -1);
        e.work.step = 1;
        e.work.cnt = 0;
    }
    SetPanelLevel(e, e.level - 10);
    if (++e.work.cnt < 4) return false;
    ShowPanels(e, 0);
    SPR_SetTSprView(e.markerSpr, 0);
    return true;
}

void StartFade(MENU_EQUIP_DATA& e, int state, int returnState) {
    e.work.state = state;
    e.work.step = e.work.cnt = 0;
    e.returnState = returnState;
}

// Right click or help key on a slot: the battle behind the menus shows.
void ShowBattle(int flag) {
    SPR_SetTSprView(ScreenWorkSpr, flag ? 0 : 1);
    BTL_ShowAll(flag);
}

bool PeekEnded() {
    KEY_Renew(&SysKey);
    u32 mouse = 0;
    INP_GetMouse(nullptr, nullptr, &mouse);
    if (!(mouse & kMouseLeft) && !(SysKey.trigger & kKeyDecide)) return false;
    ShowBattle(0);
    MenuActCnt++;  // the click that ends the peek decides nothing
    return true;
}

// The input state of both menus; `second` for the category menu.
void Input(MENU_EQUIP_DATA& e, bool second) {
    KEY_Renew(&SysKey);
    const int dir = second ? MENU_EQUIP2_KeyCheck() : MENU_EQUIP_KeyCheck();
    if (dir >= 0) return;
    i32 mx = 0, my = 0;
    INP_GetMouse(&mx, &my, nullptr);
    MENU_SetHover(&e.work, MENU_EQUIP_HitSlot(e, mx, my),
                  second ? +[](int n) { Select(MenuEquip2, n); } : +[](int n) { Select(MenuEquip, n); });
    switch (MENU_ReadButtons(&e.work, false)) {
        case MENU_IN_DECIDE:
            if (second) {
                MENU_EQUIP_SetWaza(e.slot[e.work.chosen].group);
                e.work.state = 4;
            } else {
                ForPanels(e, kAttrWhite, 31);
                SE_Play(kSeOpen, -1);
                e.work.state = 5;
            }
            e.work.step = e.work.cnt = 0;
            return;
        case MENU_IN_CANCEL:
            e.work.state = 4;
            e.work.step = e.work.cnt = 0;
            return;
        case MENU_IN_HELP:
            MenuActCnt++;
            ShowBattle(1);
            if (second) {
                StartFade(MenuEquip2, 5, 7);
                StartFade(MenuEquip, 7, 0);
            } else {
                StartFade(MenuEquip, 7, 9);
            }
            return;
        default: break;
    }
    MENU_HelpMsg_Exec();
}

void BuildEquip() {
    MENU_EQUIP_DATA& e = MenuEquip;
    FreeAll(e);
    for (int r = 0; r < kRows; ++r) {
        const int n = NewPanel(e, 0, kRowX, kRowY + kRowH * r, kRowW, kRowH, 1);
        MENU_PANEL& p = e.panel[n];
        p.surf = SPR_CreateSurf(kRowW, kRowH, 0);
        MENU_CopyRect(p.surf, 0, 0, EquipSurf, 68 * r, 32, 68, 32);
        MENU_CopyRect(p.surf, 68, 0, EquipSurf, 0, 0, 316, 32);
        for (int c = 0; c < kCols; ++c) {
            const int group = GameData.equip[kCols * r + c] / 3;
            DrawIcon(p.surf, group, 84 + 100 * c, 8);
            NewSlot(e, n, group, 84 + 100 * c, 8);
        }
        p.spr = MENU_NewTSpr(kRowPri, p.x, p.y, p.surf, nullptr);
    }
    for (int t = 0; t < kTabs; ++t) {
        const int n = NewPanel(e, 1, kTabX[t], kTabY, kTabW, kTabH, 0);
        const RECT src{568 + 24 * t, 0, 592 + 24 * t, 188};
        e.panel[n].spr = MENU_NewTSpr(kTabPri, kTabX[t], kTabY, EquipSurf, &src);
    }
    ResetWork(e);
    MakeMarker(e);
}

void BuildEquip2() {
    MENU_EQUIP_DATA& e = MenuEquip2;
    FreeAll(e);
    for (int c = 0; c < MENU_CATEGORIES; ++c) {
        const int n = NewPanel(e, 0, kCatX, kCatY[c], kCatW, kCatH[c], 1);
        MENU_PANEL& p = e.panel[n];
        p.surf = SPR_CreateSurf(kCatW, kCatH[c], 0);
        MENU_CopyRect(p.surf, 0, 0, EquipSurf, 92 * c, 64, 92, 52);
        if (c < 4) {
            MENU_CopyRect(p.surf, 92, 0, EquipSurf, 0, 116, 488, 52);
        } else {
            MENU_CopyRect(p.surf, 92, 0, EquipSurf, 0, 168, 488, 32);
        }
        for (int k = 0; k < MenuCategoryTbl[c + 1] - MenuCategoryTbl[c]; ++k) {
            const i32 x = 96 + 96 * (k % kIconsPerLine), y = 8 + 20 * (k / kIconsPerLine);
            DrawIcon(p.surf, MenuCategoryTbl[c] + k, x, y);
            NewSlot(e, n, MenuCategoryTbl[c] + k, x, y);
        }
        p.spr = MENU_NewTSpr(kRowPri, p.x, p.y, p.surf, nullptr);
    }
    ResetWork(e);
    MakeMarker(e);
}

void Release(MENU_EQUIP_DATA& e) {
    FreeAll(e);
    e.work.result = e.work.lastResult == 1 ? 98 : 99;
    e.work.state = 0;
}

}  // namespace

bool MENU_EQUIP_IconRect(int t, RECT* out) {
    if (t < 0 || t >= MENU_WAZA_GROUPS) return false;
    const i32 x = (t % 6) * kIconW, y = (t / 6) * kIconH + 200;
    *out = RECT{x, y, x + kIconW, y + kIconH};
    return true;
}

int MENU_EQUIP_HitSlot(const MENU_EQUIP_DATA& e, i32 mx, i32 my) {
    for (int i = 0; i < e.slotMax; ++i) {
        const MENU_PANEL* p = SlotPanel(e, i);
        if (!p) continue;
        const RECT& r = e.slot[i].rect;
        if (mx >= p->x + r.left && mx <= p->x + r.right && my >= p->y + r.top && my <= p->y + r.bottom) return i;
    }
    return -1;
}

void MENU_EQUIP_Start() {
    MenuEquip.work.state = 1;
    MenuEquip.work.step = MenuEquip.work.cnt = 0;
}

void MENU_EQUIP_Resume() {
    MenuEquip.work.state = 6;
    MenuEquip.work.step = MenuEquip.work.cnt = 0;
}

int MENU_EQUIP_KeyCheck() { return KeyCheck(MenuEquip, "MENU_EQUIP_KeyCheck"); }
int MENU_EQUIP2_KeyCheck() { return KeyCheck(MenuEquip2, "MENU_EQUIP2_KeyCheck"); }

void MENU_EQUIP_SetWaza(int t) {
    MENU_EQUIP_DATA& e = MenuEquip;
    const int slot = e.work.chosen;
    const MENU_PANEL* p = SlotPanel(e, slot);
    if (!p || slot >= GAME_EQUIP_MAX) {
        DebugMsg("MENU_EQUIP_SetWaza: no grid cell chosen (slot %d)", slot);
        return;
    }
    e.slot[slot].group = i16(t);
    const i32 x = 84 + 100 * (slot % kCols);
    MENU_CopyRect(p->surf, x, 8, EquipSurf, 432, 0, kIconW, kIconH);
    DrawIcon(p->surf, t, x, 8);
    GameData.equip[slot] = i16(t * 3);
    if (e.markerSlot == slot) ShowIcon(e);
}

int MENU_EQUIP_Loop() {
    MENU_EQUIP_DATA& e = MenuEquip;
    e.work.result = 0;
    switch (e.work.state) {
        case 1:
            BuildEquip();
            e.work.state = 3;
            e.work.step = e.work.cnt = 0;
            [[fallthrough]];
        case 3:
            if (Slide(e, 64, 32, true)) {
                HoverSelect(e);
                e.work.state = 2;
            }
            break;
        case 2: Input(e, false); break;
        case 4:
            if (e.work.step == 0) {
                FreeMarker(e);
                MENU_HelpMsg_Reset();
            }
            if (Slide(e, -64, -32, false)) e.work.state = 10;
            break;
        case 5:
            if (Dim(e, -1)) e.work.state = 0;
            break;
        case 6:
            if (e.work.step == 0) SE_Play(kSeOpen, -1);
            if (Dim(e, 1)) {
                ForPanels(e, 0, 0);
                HoverSelect(e);
                e.work.state = 2;
            }
            break;
        case 7:
            if (FadeOut(e)) e.work.state = e.returnState;
            break;
        case 8: {
            const bool full = e.returnState == 2;
            if (e.work.step == 0) {
                ShowPanels(e, 1);
                SPR_SetTSprView(e.markerSpr, 1);
                ForPanels(e, full ? kAttrAlpha : kAttrDark, 0);
                e.markerStep = 4;
                SE_Play(kSeOpen, -1);
                e.work.step = 1;
                e.work.cnt = 0;
            }
            SetPanelLevel(e, e.level + (full ? 10 : 4));
            if (++e.work.cnt < 4) break;
            if (full) {
                ForPanels(e, 0, 0);
            } else {
                ForPanels(e, kAttrWhite, 12);
            }
            ShowIcon(e);
            e.work.state = e.returnState;
            e.work.step = e.work.cnt = 0;
            break;
        }
        case 9:
            if (PeekEnded()) StartFade(e, 8, 2);
            break;
        case 10: Release(e); break;
        default: break;
    }
    if (e.work.state >= 2 && e.work.state <= 8 && e.markerSpr >= 0) PlaceMarker(e);
    return e.work.result;
}

void MENU_EQUIP2_Start() {
    MenuEquip2.work.state = 1;
    MenuEquip2.work.step = MenuEquip2.work.cnt = 0;
}

int MENU_EQUIP2_Loop() {
    MENU_EQUIP_DATA& e = MenuEquip2;
    e.work.result = 0;
    switch (e.work.state) {
        case 1:
            BuildEquip2();
            e.work.state = 3;
            e.work.step = e.work.cnt = 0;
            [[fallthrough]];
        case 3:
            if (Slide(e, 97, 0, true)) {
                HoverSelect(e);
                e.work.state = 2;
            }
            break;
        case 2: Input(e, true); break;
        case 4:
            if (e.work.step == 0) {
                FreeMarker(e);
                MENU_HelpMsg_Reset();
            }
            if (Slide(e, -97, 0, false)) e.work.state = 8;
            break;
        case 5:
            if (FadeOut(e)) e.work.state = e.returnState;
            break;
        case 6:
            if (e.work.step == 0) {
                ShowPanels(e, 1);
                SPR_SetTSprView(e.markerSpr, 1);
                ForPanels(e, kAttrAlpha, 0);
                e.markerStep = 4;
                e.work.step = 1;
                e.work.cnt = 0;
            }
            SetPanelLevel(e, e.level + 10);
            if (++e.work.cnt < 4) break;
            ForPanels(e, 0, 0);
            ShowIcon(e);
            e.work.state = 2;
            e.work.step = e.work.cnt = 0;
            break;
        case 7:
            if (PeekEnded()) {
                StartFade(e, 6, 2);
                StartFade(MenuEquip, 8, 0);
            }
            break;
        case 8: Release(e); break;
        default: break;
    }
    if (e.work.state >= 2 && e.work.state <= 8 && e.markerSpr >= 0) PlaceMarker(e);
    return e.work.result;
}
