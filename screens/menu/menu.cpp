// The menu mode, what every menu shares (pictures, input pattern, item helpers) and the main menu.
#include "screens/menu/menu.h"

#include <string>

#include "battle/battle.h"
#include "battle/btl_draw.h"
#include "graphics/blit/blt.h"
#include "graphics/display/disp.h"
#include "graphics/display/grp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/encoding.h"
#include "platform/random.h"
#include "screens/btl/btl.h"
#include "screens/net.h"
#include "screens/panel/ims_pnl.h"
#include "shell/input/cur.h"
#include "shell/input/inp.h"
#include "shell/sound/sound.h"
#include "shell/sys.h"

i32 MenuRepeatCnt = 0;
i32 MenuActCnt = 0;
i32 MenuButton = -1;

i32 MenuSurf = -1;
i32 MainMenuSurf = -1;
i32 EquipSurf = -1;
i32 MekaPnlSurf = -1;

MENU_ITEM MenuMainItem[MENU_MAIN_ITEMS];
MENU_WORK MenuMain;

namespace {

i32 MenuModeState = 0;
i32 MenuModePrev = 0;

constexpr u16 kKeyDecide = 16;
constexpr u16 kKeyCancel = 32;
constexpr u16 kKeyHelp = 64;
constexpr u32 kMouseLeft = 1;
constexpr u32 kMouseRight = 2;

constexpr u32 kAttrHalf = 4;
constexpr u32 kAttrAdd = 8;

constexpr int kSeOpen = 0;
constexpr int kSeMove = 48;
constexpr int kSeDecide = 50;

constexpr int kMenuPri = 20;
constexpr i32 kMainW = 96;
constexpr i32 kMainH = 32;
constexpr i32 kMainY = 32;
constexpr i32 kMainSlide = 24;
constexpr int kSlideFrames = 4;
constexpr i32 kBounce[4] = {-8, 8, -2, 2};
constexpr int kBgCount = 7;

// Help lines of the main menu's items, as written; drawn as Big5 through the drawn-text conversion.
constexpr const char* kMainHelpUtf8[MENU_MAIN_ITEMS][3] = {
    {"技を装備したり、技の確認をします。", "１２３４５６７８９０", "■■■■■■■■■■■■■■■■■■■■"},
    {"", "", "敵の情報を見ます。"},
    {"", "", "マップの情報を見ます。"},
    {"ああぁ～っと！！凶器を取り出したァァァ～！！", "これはいけません～。", "データをセーブ、ロード、削除します。"},
    {"我が社はただゲームを作っているんじゃない。", "ウチはマルチメディア事業部だぞ。", "ゲームにこだわるな！ガキじゃあるまいし！"},
};

const std::string& MainHelp(int item, int line) {
    static std::string drawn[MENU_MAIN_ITEMS][3];
    static bool ready = false;
    if (!ready) {
        for (int i = 0; i < MENU_MAIN_ITEMS; ++i)
            for (int l = 0; l < 3; ++l) drawn[i][l] = plat::Utf8ToDrawnText(kMainHelpUtf8[i][l]);
        ready = true;
    }
    return drawn[item][line];
}

int MainCount() {
    int n = 0;
    for (const MENU_ITEM& it : MenuMainItem) n += it.used ? 1 : 0;
    return n;
}

bool MainUsable(int i) { return i >= 0 && i < MENU_MAIN_ITEMS && MenuMainItem[i].used && MenuMainItem[i].select; }

int MainHit(i32 mx, i32 my) {
    for (int i = 0; i < MENU_MAIN_ITEMS; ++i) {
        const MENU_ITEM& it = MenuMainItem[i];
        if (MainUsable(i) && mx >= it.x && mx <= it.x + it.w && my >= it.y && my <= it.y + it.h) return i;
    }
    return -1;
}

void MainMoveAll(i32 dx) {
    for (MENU_ITEM& it : MenuMainItem) {
        if (!it.used) continue;
        it.x += dx;
        SPR_SetTSprPos(it.spr, it.x, it.y);
        SPR_SetTSprPos(it.spr2, it.x, it.y);
    }
}

// A slide of `frames` frames of dx, then the bounce; true once both are done.
bool MainSlide(i32 dx, bool bounce) {
    if (MenuMain.step == 1) {
        MainMoveAll(dx);
        if (++MenuMain.cnt < kSlideFrames) return false;
        MenuMain.cnt = 0;
        if (!bounce) return true;
        MenuMain.step = 2;
        return false;
    }
    MainMoveAll(kBounce[MenuMain.cnt]);
    if (++MenuMain.cnt < 4) return false;
    return true;
}

void MainBuild() {
    MenuMain.cursor = 1;
    MenuMain.chosen = MenuMain.hover = MenuMain.help = -1;
    for (int i = 0; i < MENU_MAIN_ITEMS; ++i) {
        MENU_ITEM& it = MenuMainItem[i];
        MENU_FreeItem(&it);
        it.used = 1;
        it.action = u8(i);
        it.x = -kMainW;
        it.y = kMainY + kMainH * i;
        it.w = kMainW;
        it.h = kMainH;
        it.select = 1;
        const RECT pic{0, kMainH * i, kMainW, kMainH * i + kMainH};
        const RECT over{kMainW, kMainH * i, kMainW * 2, kMainH * i + kMainH};
        it.spr = MENU_NewTSpr(kMenuPri, it.x, it.y, MainMenuSurf, &pic);
        it.spr2 = MENU_NewTSpr(kMenuPri, it.x, it.y, MainMenuSurf, &over);
        SPR_SetTSprAttr(it.spr2, kAttrHalf);
    }
}

void MainAction(int action) {
    switch (action) {
        case 0:
            MENU_EQUIP_Start();
            MenuMain.state = 4;
            MenuMain.step = MenuMain.cnt = 0;
            break;
        case 1:
            MENU_MEKA_Start();
            MenuMain.state = 4;
            MenuMain.step = MenuMain.cnt = 0;
            break;
        case 2:
            SetCloseFlag();
            NET_OpenWebPage(MainWnd);
            break;
        default: break;
    }
}

}  // namespace

// ---- the pattern of every menu ----

int MENU_ReadButtons(MENU_WORK* m, bool rightCancels) {
    u32 mouse = 0;
    INP_GetMouse(nullptr, nullptr, &mouse);
    const u16 trg = SysKey.trigger;
    if (trg & (kKeyDecide | kKeyCancel)) {
        MenuButton = 0;
    } else if ((mouse & (kMouseLeft | kMouseRight)) == 0) {
        MenuButton = -1;
        MenuActCnt = 0;
    } else {
        MenuButton = 1;
    }
    if (MenuActCnt != 0) return MENU_IN_NONE;
    if (m->hover >= 0 && ((mouse & kMouseLeft) || (trg & kKeyDecide))) {
        SE_Play(kSeDecide, -1);
        m->chosen = m->cursor;
        m->result = 1;
        m->lastResult = 1;
        MenuActCnt++;
        return MENU_IN_DECIDE;
    }
    if (((m->hover < 0 || rightCancels) && (mouse & kMouseRight)) || (trg & kKeyCancel)) {
        m->chosen = -1;
        m->result = 2;
        m->lastResult = 2;
        MenuActCnt++;
        return MENU_IN_CANCEL;
    }
    if (m->hover >= 0 && ((trg & kKeyHelp) || (mouse & kMouseRight))) return MENU_IN_HELP;
    return MENU_IN_NONE;
}

void MENU_SetHover(MENU_WORK* m, int hit, void (*select)(int)) {
    if (hit < 0) {
        if (m->hover >= 0) {
            MENU_HelpMsg_Reset();
            m->help = -1;
        }
        m->hover = -1;
        CUR_SetType(0);
        return;
    }
    if (hit != m->cursor) select(hit);
    m->hover = i16(hit);
    CUR_SetType(1);
}

int MENU_ListStep(int i, int dir, int count) {
    i += (dir == 0 || dir == 2) ? -1 : 1;
    if (i < 0) i = count - 1;
    if (i >= count) i = 0;
    return i;
}

void MENU_WarpMouse(i32 x, i32 y) { INP_SetMousePos(x, y); }

int MENU_NewTSpr(int priority, i32 x, i32 y, int surf, const RECT* src) {
    const int s = SPR_GetFreeSpr();
    if (s < 0 || !SPR_CreateTSpr(s, priority, x, y, surf, src)) return -1;
    return s;
}

void MENU_CopyRect(int dstSurf, i32 x, i32 y, int srcSurf, i32 left, i32 top, i32 w, i32 h) {
    plat::Surface* dst = SPR_GetSlotSurf(dstSurf);
    plat::Surface* src = SPR_GetSlotSurf(srcSurf);
    if (!dst || !src) return;
    const RECT r{left, top, left + w, top + h};
    BLT_Copy(dst, x, y, src, &r, 0);
}

void MENU_FreeItem(MENU_ITEM* item) {
    if (item->spr >= 0) SPR_DelSpr(item->spr);
    if (item->spr2 >= 0) SPR_DelSpr(item->spr2);
    if (item->surf >= 0) SPR_DelSurfDat(item->surf);
    *item = MENU_ITEM{};
}

// ---- menu mode ----

int MENU_Renew() {
    switch (MenuModeState) {
        case 0:
            MENU_LoadBmp();
            MENU_MAIN_Start();
            CUR_Show(1);
            MENU_SetMode(1);
            [[fallthrough]];
        case 1:
            MENU_LoopAll();
            BTL_RenewSprAnim(0);
            return 0;
        case 2:
            SPR_SetTSprView(ScreenWorkSpr, 0);
            BTL_ShowAll(1);
            CUR_Show(0);
            CUR_SetType(0);
            MENU_ReleaseBmp();
            MENU_SetMode(0);
            return -999;
        default: return 0;
    }
}

int MENU_SetMode(int mode) {
    const int replaced = MenuModePrev;
    MenuModePrev = MenuModeState;
    MenuModeState = mode;
    return replaced;
}

int MENU_GetMode(int which) { return which ? MenuModePrev : MenuModeState; }

void MENU_LoopAll() {
    BTL_DummyFunc();
    if (MENU_MAIN_Loop() == 99) MENU_SetMode(2);
    switch (MENU_EQUIP_Loop()) {
        case 1: MENU_EQUIP2_Start(); break;
        case 2: MENU_MAIN_Start(); break;
        default: break;
    }
    const int equip2 = MENU_EQUIP2_Loop();
    if (equip2 == 1 || equip2 == 2) MENU_EQUIP_Resume();
    switch (MENU_MEKA_Loop()) {
        case 1: MENU_WAZA_Start(); break;
        case 2: MENU_MAIN_Start(); break;
        default: break;
    }
    if (MENU_WAZA_Loop() == 2) MENU_MEKA_Start();
}

void MENU_SetBG(int mode) {
    plat::Surface* work = SPR_GetSlotSurf(ScreenWorkSurf);
    switch (mode) {
        case 0:
            if (work) {
                SURF_Fill(work, nullptr, 1);
                SURF_LoadImageTo(work, MakeFilePath("Bmp\\MenuBG%02d.bmp", plat::Rand() % kBgCount), 0, 0, 0, nullptr);
            }
            break;
        case 1:
            BTL_RedrawMap();  // hides the cursor meanwhile and shows it again
            CUR_Show(0);
            if (work) BLT_Tint(work, nullptr, 0, 100, 0, 10);
            SPR_SetViewAll(0);
            SPR_SetAnimeAll(0);
            CUR_Show(1);
            break;
        case 2:
            CUR_Show(0);
            if (work) BLT_Tint(work, nullptr, 100, 100, 100, 6);
            CUR_Show(1);
            break;
        case 3:
            if (work) SURF_Fill(work, nullptr, 1);
            break;
        default: break;
    }
    SPR_SetTSprView(ScreenWorkSpr, 1);
}

void MENU_LoadBmp() {
    MenuSurf = SPR_LoadSurf("Bmp\\Menu.bmp", 0);
    MainMenuSurf = SPR_LoadSurf("Bmp\\MainMenu.bmp", 0);
    EquipSurf = SPR_LoadSurf("Bmp\\Equip.bmp", 0);
    MekaPnlSurf = SPR_LoadSurf("Bmp\\MekaPnl.bmp", 0);
    MENU_HelpMsg_Init();
}

void MENU_ReleaseBmp() {
    MenuSurf = SPR_DelSurfDat2(MenuSurf);
    MainMenuSurf = SPR_DelSurfDat2(MainMenuSurf);
    EquipSurf = SPR_DelSurfDat2(EquipSurf);
    MekaPnlSurf = SPR_DelSurfDat2(MekaPnlSurf);
    MENU_HelpMsg_Term();
}

// ---- main menu ----

void MENU_MAIN_Start() {
    MenuMain.state = 1;
    MenuMain.step = MenuMain.cnt = 0;
}

void MENU_MAIN_Select(int n) {
    if (n >= 0) {
        if (MainUsable(MenuMain.cursor)) {
            SPR_SetTSprAttr(MenuMainItem[MenuMain.cursor].spr2, kAttrHalf);
            SE_Play(kSeMove, -1);
        }
        if (MainUsable(n)) SPR_SetTSprAttr(MenuMainItem[n].spr2, kAttrAdd);
        MenuMain.cursor = i16(n);
    }
    MENU_HelpMsg_Reset();
    MenuMain.help = -1;
}

int MENU_MAIN_KeyCheck() {
    const int count = MainCount();
    return MENU_RepeatKey(
        &MenuMain, "MENU_MAIN_KeyCheck", count,
        [count](int i, int dir) { return MENU_ListStep(i, dir, count); },
        MainUsable,
        [] {
            for (int i = 0; i < MENU_MAIN_ITEMS; ++i)
                if (MainUsable(i)) return true;
            return false;
        },
        [](int to) {
            MENU_MAIN_Select(to);
            const MENU_ITEM& it = MenuMainItem[to];
            MENU_WarpMouse(it.x + it.w - 8, it.y + it.h - 8);
        });
}

int MENU_MAIN_Exec() {
    KEY_Renew(&SysKey);
    if (MENU_MAIN_KeyCheck() >= 0) return 1;
    i32 mx = 0, my = 0;
    INP_GetMouse(&mx, &my, nullptr);
    MENU_SetHover(&MenuMain, MainHit(mx, my), MENU_MAIN_Select);
    switch (MENU_ReadButtons(&MenuMain, false)) {
        case MENU_IN_DECIDE: MainAction(MenuMainItem[MenuMain.chosen].action); return 1;
        case MENU_IN_CANCEL:
            MenuMain.state = 4;
            MenuMain.step = MenuMain.cnt = 0;
            return 1;
        case MENU_IN_HELP:
            if (MenuMain.help != MenuMain.hover) {
                const MENU_ITEM& it = MenuMainItem[MenuMain.hover];
                const int n = it.action;
                MENU_HelpMsg_SetStr(MainHelp(n, 0).c_str(), MainHelp(n, 1).c_str(), MainHelp(n, 2).c_str());
                MENU_HelpMsg_SetPoint(it.x + it.w - 8, it.y + it.h - 8, 40, -10);
                MenuMain.help = MenuMain.hover;
            }
            break;
        default: break;
    }
    MENU_HelpMsg_Exec();
    return 0;
}

int MENU_MAIN_Loop() {
    MenuMain.result = 0;
    switch (MenuMain.state) {
        case 1:
            MainBuild();
            MenuMain.state = 2;
            MenuMain.step = MenuMain.cnt = 0;
            [[fallthrough]];
        case 2:
            if (MenuMain.step == 0) {
                SE_Play(kSeOpen, -1);
                MenuMain.step = 1;
            }
            if (MainSlide(kMainSlide, true)) {
                i32 mx = 0, my = 0;
                INP_GetMouse(&mx, &my, nullptr);
                const int hit = MainHit(mx, my);
                if (hit >= 0) MENU_MAIN_Select(hit);
                MenuMain.state = 3;
            }
            break;
        case 3: MENU_MAIN_Exec(); break;
        case 4:
            if (MenuMain.step == 0) {
                MENU_HelpMsg_Reset();
                MenuMain.help = -1;
                SE_Play(kSeOpen, -1);
                MenuMain.step = 1;
            }
            if (MainSlide(-kMainSlide, false)) MenuMain.state = 5;
            break;
        case 5:
            for (MENU_ITEM& it : MenuMainItem) MENU_FreeItem(&it);
            MenuMain.result = MenuMain.lastResult == 1 ? 98 : 99;
            MenuMain.state = 0;
            break;
        default: break;
    }
    return MenuMain.result;
}
