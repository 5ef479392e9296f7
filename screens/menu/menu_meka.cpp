// The mech menu (25 interlocking name cards) and the technique menu (a type's techniques in pages,
// with the commands that add and save techniques and open the data editors).
#include <cstdio>
#include <cstring>
#include <string>

#include "battle/data/waza_data.h"
#include "editors/cpu_editor.h"
#include "editors/tama_editor.h"
#include "editors/waza_editor.h"
#include "graphics/display/disp.h"
#include "graphics/font/font.h"
#include "graphics/sprite/spr.h"
#include "platform/encoding.h"
#include "screens/menu/menu.h"
#include "screens/panel/ims_pnl.h"
#include "shell/input/cur.h"
#include "shell/input/inp.h"
#include "shell/sound/sound.h"

// Until the display names are supplied, the types' file stems.
const char* const MekaDispNameTbl[MEKA_TYPE_MAX] = {
    "player",  "zako01",  "zako02",  "zako03",  "zako04",  "zako05",  "zako06",  "zako07",  "zako08",
    "zako09",  "zako10",  "zako11",  "zako12",  "zako13",  "zako14",  "zako15",  "zako16",  "chara01",
    "chara02", "chara03", "chara04", "chara05", "chara06", "chara07", "chara08",
};

MENU_ITEM MenuMekaItem[MENU_MEKA_CARDS];
MENU_WORK MenuMeka;
MENU_ITEM MenuWazaItem[MENU_WAZA_ITEMS];
MENU_WORK MenuWaza;
i32 MenuWazaType = 0;
i32 MenuWazaFirst = 0;
i32 MenuWazaCnt = 0;

namespace {

constexpr int kMenuPri = 20;
constexpr u32 kAttrHalf = 4;
constexpr u32 kAttrAdd = 8;
constexpr u32 kAttrAlpha = 64;
constexpr u32 kAttrAddLevel = 128;
constexpr u32 kAttrWhite = 512;
constexpr int kSeOpen = 0;
constexpr int kSeMove = 48;

constexpr i32 kCardColX[4] = {80, 124, 302, 346};
constexpr i32 kCardY = 80;
constexpr i32 kCardPitch = 51;
constexpr i32 kCardShift = 8;  // the cards stand apart by this before the opening brings them together

constexpr int kCommands = 5;
constexpr int kLinesPerColumn = 23;
constexpr i32 kLineW = 132;
constexpr i32 kLineH = 16;
constexpr int kCostKinds = 8;

// ---- cards ----

bool CardUsable(int i) { return i >= 0 && i < MENU_MEKA_CARDS && MenuMekaItem[i].used && MenuMekaItem[i].select; }

void MoveCard(MENU_ITEM& it, i32 dx, i32 dy) {
    it.x += dx;
    it.y += dy;
    SPR_SetTSprPos(it.spr, it.x, it.y);
    SPR_SetTSprPos(it.spr2, it.x, it.y);
}

void SetCardLook(const MENU_ITEM& it, u32 attr, int level) {
    for (int s : {it.spr, it.spr2}) {
        SPR_SetTSprAttr(s, attr);
        SPR_SetTSprAttrCnt1(s, level);
    }
}

void AddCardLevel(const MENU_ITEM& it, int d) {
    for (int s : {it.spr, it.spr2})
        if (TSPR_DATA* t = SPR_GetTSpr(s)) SPR_SetTSprAttrCnt1(s, t->level + d);
}

void MekaSelect(int n) {
    if (n < 0) return;
    if (CardUsable(MenuMeka.cursor)) {
        SPR_SetTSprAttr(MenuMekaItem[MenuMeka.cursor].spr2, kAttrHalf);
        SE_Play(kSeMove, -1);
    }
    if (CardUsable(n)) SPR_SetTSprAttr(MenuMekaItem[n].spr2, kAttrAdd);
    MenuMeka.cursor = i16(n);
    MENU_HelpMsg_Reset();
}

void MekaBuild() {
    MenuMeka.cursor = 0;
    MenuMeka.chosen = MenuMeka.hover = MenuMeka.help = -1;
    for (int i = 0; i < MENU_MEKA_CARDS; ++i) {
        const bool odd = i % 2 != 0;
        const i32 x = kCardColX[i % 4] + (odd ? -kCardShift : kCardShift);
        const i32 y = kCardY + kCardPitch * (i / 4) + (odd ? kCardShift : -kCardShift);
        MENU_MEKA_BuildCard(&MenuMekaItem[i], i, odd, x, y);
    }
}

void MekaHover() {
    i32 mx = 0, my = 0;
    INP_GetMouse(&mx, &my, nullptr);
    MENU_SetHover(&MenuMeka, MENU_MEKA_HitCard(mx, my), MekaSelect);
}

void MekaInput() {
    KEY_Renew(&SysKey);
    if (MENU_MEKA_KeyCheck() >= 0) return;
    MekaHover();
    const int in = MENU_ReadButtons(&MenuMeka, true);
    if (in == MENU_IN_DECIDE || in == MENU_IN_CANCEL) {
        MenuMeka.state = 4;
        MenuMeka.step = MenuMeka.cnt = 0;
        return;
    }
    MENU_HelpMsg_Exec();
}

// ---- technique lines ----

bool WazaUsable(int i) { return i >= 0 && i < MenuWazaCnt && MenuWazaItem[i].used && MenuWazaItem[i].select; }

void WazaSelect(int n) {
    if (n < 0) return;
    if (WazaUsable(MenuWaza.cursor)) {
        SPR_SetTSprAttr(MenuWazaItem[MenuWaza.cursor].spr, 0);
        SE_Play(kSeMove, -1);
    }
    if (WazaUsable(n)) {
        SPR_SetTSprAttr(MenuWazaItem[n].spr, kAttrWhite);
        SPR_SetTSprAttrCnt1(MenuWazaItem[n].spr, 40);
    }
    MenuWaza.cursor = i16(n);
}

void WazaFreeAll() {
    for (MENU_ITEM& it : MenuWazaItem) MENU_FreeItem(&it);
    MenuWazaCnt = 0;
}

// Its own surface: the background of its cost kind, the number and the name.
void BuildLine(MENU_ITEM& it, int n, i32 x, i32 y) {
    it.used = 1;
    it.x = x;
    it.y = y;
    it.w = kLineW;
    it.h = kLineH;
    it.select = 1;
    it.surf = SPR_CreateSurf(kLineW, kLineH, 0);
    plat::Surface* surf = SPR_GetSlotSurf(it.surf);
    const WAZA_DATA* w = WAZA_GetData(MenuWazaType, n);
    if (surf && w) {
        // A cost kind beyond the picture's rows has no background.
        if (w->costKind < kCostKinds) MENU_CopyRect(it.surf, 0, 0, MenuSurf, 0, 192 + 16 * w->costKind, kLineW, kLineH);
        TXT_DrawDebugText(surf, 2, 4, "%3d", n);
        const std::string drawn =
            plat::Utf8ToDrawnText(plat::RecordNameToUtf8(std::string_view(w->name, strnlen(w->name, WAZA_NAME_MAX))));
        FONT_SetFont(0, 4, -1);
        FONT_SetColor(DISP_PackRGB(224, 255, 224), DISP_PackRGB(200, 224, 200), 0);
        TXT_DrawText(surf, 28, 2, "%s", drawn.c_str());
    }
    it.spr = MENU_NewTSpr(kMenuPri, x, y, it.surf, nullptr);
}

void WazaCommand(int item) {
    const int type = MenuWazaType;
    switch (item) {
        case 0: break;
        case 1:
            WAZA_AddData(type);
            MENU_WAZA_Build(MenuWazaFirst);
            break;
        case 2: WAZA_SaveData(type); break;
        case 3: EDIT_OpenCpuEditor(type); break;
        case 4: EDIT_OpenTamaEditor(); break;
        case 5: {
            const int next = MENU_WAZA_NextPage(MenuWazaFirst, WAZA_GetCount(type));
            if (next == 0 && MenuWazaFirst == 0) break;
            MENU_WAZA_Build(next);
            break;
        }
        default: EDIT_OpenWazaEditor(type, MenuWazaFirst + item - 6); break;
    }
}

void WazaInput() {
    KEY_Renew(&SysKey);
    if (MENU_WAZA_KeyCheck() >= 0) return;
    i32 mx = 0, my = 0;
    INP_GetMouse(&mx, &my, nullptr);
    int hit = -1;
    for (int i = 0; i < MenuWazaCnt && hit < 0; ++i) {
        const MENU_ITEM& it = MenuWazaItem[i];
        if (WazaUsable(i) && mx >= it.x && mx <= it.x + it.w && my >= it.y && my <= it.y + it.h) hit = i;
    }
    MENU_SetHover(&MenuWaza, hit, WazaSelect);
    switch (MENU_ReadButtons(&MenuWaza, true)) {
        case MENU_IN_DECIDE: WazaCommand(MenuWaza.chosen); break;
        case MENU_IN_CANCEL: MenuWaza.state = 5; break;
        default: break;
    }
}

}  // namespace

// ---- mech menu ----

void MENU_MEKA_BuildCard(MENU_ITEM* item, int t, bool odd, i32 x, i32 y) {
    MENU_FreeItem(item);
    MENU_ITEM& it = *item;
    it.used = 1;
    it.x = x;
    it.y = y;
    it.w = MENU_CARD_W;
    it.h = MENU_CARD_H;
    it.select = 1;
    it.surf = SPR_CreateSurf(MENU_CARD_W, MENU_CARD_H, 0);
    MENU_CopyRect(it.surf, 0, 0, MenuSurf, 0, odd ? 96 : 0, MENU_CARD_W, MENU_CARD_H);
    MENU_CopyRect(it.surf, odd ? 132 : 4, 4, MekaPnlSurf, (t % 8) * 40, (t / 8) * 40, 40, 40);
    if (plat::Surface* surf = SPR_GetSlotSurf(it.surf); surf && t >= 0 && t < MEKA_TYPE_MAX) {
        const char* name = MekaDispNameTbl[t];
        FONT_SetFont(0, 4, -1);
        FONT_SetColor(FONT_White(), DISP_PackRGB(224, 224, 224), 0);
        const i32 len = i32(std::strlen(name));
        TXT_DrawText(surf, odd ? (20 - len) * 5 + 25 : 50, odd ? 31 : 6, "%s", name);
    }
    it.spr = MENU_NewTSpr(kMenuPri, x, y, it.surf, nullptr);
    const RECT hi{0, odd ? 144 : 48, MENU_CARD_W, (odd ? 144 : 48) + MENU_CARD_H};
    it.spr2 = MENU_NewTSpr(kMenuPri, x, y, MenuSurf, &hi);
    SPR_SetTSprAttr(it.spr2, kAttrHalf);
}

bool MENU_MEKA_InCard(bool odd, i32 x, i32 y, i32 mx, i32 my) {
    auto in = [&](i32 l, i32 t, i32 r, i32 b) { return mx >= l && mx <= r && my >= t && my <= b; };
    if (!odd) {
        return in(x, y, x + 40, y + 48) || in(x + 40, y, x + 152, y + 24) ||
               (in(x + 40, y + 24, x + 64, y + 48) && mx <= x + 64 - (my - (y + 24))) ||
               (in(x + 152, y, x + 176, y + 24) && mx <= x + 176 - (my - y));
    }
    return in(x + 136, y, x + 176, y + 48) || in(x + 24, y + 24, x + 136, y + 48) ||
           (in(x + 112, y, x + 136, y + 24) && mx >= x + 136 - (my - y)) ||
           (in(x, y + 24, x + 24, y + 48) && mx >= x + 24 + (y + 24 - my));
}

int MENU_MEKA_HitCard(i32 mx, i32 my) {
    for (int i = 0; i < MENU_MEKA_CARDS; ++i) {
        const MENU_ITEM& it = MenuMekaItem[i];
        if (CardUsable(i) && MENU_MEKA_InCard(i % 2 != 0, it.x, it.y, mx, my)) return i;
    }
    return -1;
}

int MENU_MEKA_Step(int i, int dir, int from) {
    const bool odd = from % 2 != 0;
    switch (dir) {
        case 0:
            i -= odd ? 1 : 3;
            if (i < 0) i += MENU_MEKA_CARDS;
            break;
        case 1:
            i += odd ? 3 : 1;
            if (i >= MENU_MEKA_CARDS) i -= MENU_MEKA_CARDS;
            break;
        case 2:
            i -= 1;
            if (i < 0 || i % 4 == 3) i += 4;
            break;
        default:
            i += 1;
            if (i % 4 == 0) i -= 4;
            break;
    }
    return i;
}

void MENU_MEKA_Start() {
    MenuMeka.state = 1;
    MenuMeka.step = MenuMeka.cnt = 0;
}

int MENU_MEKA_GetMeka() { return MenuMeka.chosen; }

int MENU_MEKA_KeyCheck() {
    const int from = MenuMeka.cursor;
    return MENU_RepeatKey(
        &MenuMeka, "MENU_MEKA_KeyCheck", MENU_MEKA_CARDS, [from](int i, int dir) { return MENU_MEKA_Step(i, dir, from); },
        CardUsable,
        [] {
            for (int i = 0; i < MENU_MEKA_CARDS; ++i)
                if (CardUsable(i)) return true;
            return false;
        },
        [](int to) {
            MekaSelect(to);
            const MENU_ITEM& it = MenuMekaItem[to];
            MENU_WarpMouse(it.x + (to % 2 ? 168 : 40), it.y + 40);
        });
}

int MENU_MEKA_Loop() {
    MenuMeka.result = 0;
    switch (MenuMeka.state) {
        case 1:
            MekaBuild();
            MenuMeka.state = 2;
            MenuMeka.step = MenuMeka.cnt = 0;
            [[fallthrough]];
        case 2:
            if (MenuMeka.step == 0) {
                for (const MENU_ITEM& it : MenuMekaItem) SetCardLook(it, kAttrAddLevel, 52);
                SE_Play(kSeOpen, -1);
                MenuMeka.step = 1;
                break;
            }
            if (MenuMeka.step == 1) {
                for (int i = 0; i < MENU_MEKA_CARDS; ++i) {
                    MoveCard(MenuMekaItem[i], i % 2 ? 4 : -4, i % 2 ? -4 : 4);
                    AddCardLevel(MenuMekaItem[i], -16);
                }
                if (++MenuMeka.cnt < 2) break;
                MenuMeka.step = 99;
            }
            for (const MENU_ITEM& it : MenuMekaItem) {
                SPR_SetTSprAttr(it.spr, 0);
                SPR_SetTSprAttr(it.spr2, kAttrHalf);
            }
            {
                i32 mx = 0, my = 0;
                INP_GetMouse(&mx, &my, nullptr);
                const int hit = MENU_MEKA_HitCard(mx, my);
                if (hit >= 0) MekaSelect(hit);
            }
            MenuMeka.state = 3;
            break;
        case 3: MekaInput(); break;
        case 4:
            if (MenuMeka.step == 0) {
                for (int i = 0; i < MENU_MEKA_CARDS; ++i)
                    SetCardLook(MenuMekaItem[i], i == MenuMeka.chosen ? kAttrAddLevel : kAttrAlpha, 32);
                MENU_HelpMsg_Reset();
                SE_Play(kSeOpen, -1);
                MenuMeka.step = 1;
                break;
            }
            if (MenuMeka.step == 1) {
                for (int i = 0; i < MENU_MEKA_CARDS; ++i) {
                    if (i == MenuMeka.chosen) {
                        AddCardLevel(MenuMekaItem[i], 12);
                    } else {
                        MoveCard(MenuMekaItem[i], i % 2 ? -4 : 4, i % 2 ? 4 : -4);
                        AddCardLevel(MenuMekaItem[i], -12);
                    }
                }
                if (++MenuMeka.cnt < 2) break;
                MenuMeka.step = 99;
            }
            MenuMeka.state = 5;
            break;
        case 5:
            for (MENU_ITEM& it : MenuMekaItem) MENU_FreeItem(&it);
            MenuMeka.state = 0;
            MenuMeka.result = MenuMeka.lastResult == 1 ? 98 : 99;
            break;
        default: break;
    }
    return MenuMeka.result;
}

// ---- technique menu ----

int MENU_WAZA_NextPage(int first, int count) { return count >= first + MENU_WAZA_LINES ? first + MENU_WAZA_LINES : 0; }

void MENU_WAZA_Start() {
    MenuWaza.state = 1;
    MenuWaza.step = MenuWaza.cnt = 0;
}

void MENU_WAZA_Build(int first) {
    WazaFreeAll();
    MenuWazaFirst = first;
    MenuWaza.cursor = 1;
    MenuWaza.chosen = MenuWaza.hover = MenuWaza.help = -1;
    // The type's card, not selectable: it only names the type.
    MENU_ITEM& card = MenuWazaItem[0];
    MENU_MEKA_BuildCard(&card, MenuWazaType, false, 8, 8);
    card.w = 276;
    card.select = 0;
    for (int k = 0; k < kCommands; ++k) {
        MENU_ITEM& it = MenuWazaItem[1 + k];
        it.used = 1;
        it.action = u8(1 + k);
        it.x = 76 + 48 * k;
        it.y = 36;
        it.w = 32;
        it.h = 20;
        it.select = 1;
        it.surf = SPR_CreateSurf(40, 20, 0);
        MENU_CopyRect(it.surf, 0, 0, MenuSurf, 40 * k, 240, 40, 20);
        it.spr = MENU_NewTSpr(kMenuPri, it.x, it.y, it.surf, nullptr);
    }
    MenuWazaCnt = 1 + kCommands;
    const int count = WAZA_GetCount(MenuWazaType);
    for (int l = 0; l < MENU_WAZA_LINES && first + l < count; ++l) {
        const int c = l / kLinesPerColumn, r = l % kLinesPerColumn;
        BuildLine(MenuWazaItem[MenuWazaCnt], first + l, 8 + 134 * c, 60 + 18 * r);
        MenuWazaCnt++;
    }
}

int MENU_WAZA_KeyCheck() {
    const int count = MenuWazaCnt;
    return MENU_RepeatKey(
        &MenuWaza, "MENU_WAZA_KeyCheck", count,
        [count](int i, int dir) { return MENU_ListStep(i, dir, count); },
        WazaUsable,
        [count] {
            for (int i = 0; i < count; ++i)
                if (WazaUsable(i)) return true;
            return false;
        },
        [](int to) {
            WazaSelect(to);
            const MENU_ITEM& it = MenuWazaItem[to];
            MENU_WarpMouse(it.x + it.w - 8, it.y + it.h - 8);
        });
}

int MENU_WAZA_Loop() {
    MenuWaza.result = 0;
    switch (MenuWaza.state) {
        case 1:
            MenuWazaType = MENU_MEKA_GetMeka();
            WAZA_LoadData(MenuWazaType);
            MENU_WAZA_Build(0);
            MenuWaza.state = 3;
            break;
        case 3: WazaInput(); break;
        case 5:
            WazaFreeAll();
            MenuWaza.result = 99;
            WAZA_ReleaseData(MenuWazaType);
            MenuWaza.state = 0;
            break;
        default: break;
    }
    return MenuWaza.result;
}
