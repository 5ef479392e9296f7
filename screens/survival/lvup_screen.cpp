// The weapon level-up screen after a won wave: the twelve equipped techniques over the green-tinted
// battle, their gains taken, the bars filled a frame at a time, then a key counts the wave.
#include <algorithm>

#include "battle/btl_draw.h"
#include "battle/data/waza_data.h"
#include "battle/meka/meka.h"
#include "battle/meka/waza.h"
#include "battle/object/obj.h"
#include "graphics/blit/blt.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/clock.h"
#include "screens/btl/btl.h"
#include "screens/save/save.h"
#include "screens/survival/lvup.h"
#include "screens/survival/svv.h"
#include "shell/input/cur.h"
#include "shell/input/inp.h"
#include "shell/input/key.h"
#include "shell/sound/sound.h"
#include "shell/sys.h"

LVUP_BAR LvupBarTbl[LVUP_BAR_MAX];
i32 LvupStep = 0;
i32 LvupSurf = -1;
u32 LvupStartTime = 0;

namespace {

constexpr int kCols = 3;
constexpr u32 kFillDelayMs = 500;
constexpr int kBarPri = 34;
constexpr int kBannerPri = 33;
constexpr u32 kAttrAdd = 128;
constexpr int kBannerLevelMax = 32;

enum class Blend { Key, AddLevel, Half, Add };

plat::Surface* Pic() { return SPR_GetSlotSurf(LvupSurf); }
plat::Surface* Work() { return SPR_GetSlotSurf(ScreenWorkSurf); }

// A piece of the level-up picture drawn onto dst.
void Put(plat::Surface* dst, i32 x, i32 y, const RECT& src, Blend blend, int level = 0) {
    plat::Surface* pic = Pic();
    if (!dst || !pic) return;
    switch (blend) {
        case Blend::Key: BLT_Copy(dst, x, y, pic, &src, 1); break;
        case Blend::AddLevel: BLT_AlphaAdd(dst, x, y, pic, &src, level, 0, 1); break;
        case Blend::Half: BLT_Alpha50(dst, x, y, pic, &src, 0, 0); break;
        case Blend::Add: BLT_Add100(dst, x, y, pic, &src, 0, 1); break;
    }
}

RECT Down136(RECT r) { return {r.left, r.top + 136, r.right, r.bottom + 136}; }

// The player's record of technique t, or null when t names none of the player's techniques: such an
// equipped entry gets its plates only, no gains, and counts as done.
const WAZA_DATA* PlayerWaza(int t) {
    if (t < 0 || t / 3 >= GAME_EXP_MAX) return nullptr;
    const LIST_DATA* player = MEKA_GetSlot(0);
    return player && player->meka ? WAZA_GetData(player->meka->type, t) : nullptr;
}

// The gauge cost of the technique's group as the data holds it (its first technique's field).
int GroupBaseCost(int t) {
    const WAZA_DATA* first = PlayerWaza(t / 3 * 3);
    return first ? first->cost : 0;
}

void DrawStars(i32 y, int level) {
    const int l = std::clamp(level, 0, 2);
    Put(Work(), 324, y + 4, RECT{380 + 12 * l, 68, 392 + 12 * l, 80}, Blend::Key);
}

void DrawRow(int r) {
    plat::Surface* work = Work();
    const RECT plate{80 * r, 0, 80 * r + 80, 104};
    Put(work, 4, 112 * r + 36, plate, Blend::AddLevel, 24 + 4 * r);
    Put(work, 4, 112 * r + 36, Down136(plate), Blend::Key);
    Put(work, 0, 112 * r + 26, RECT{0, 384, 640, 392}, Blend::Half);
    Put(work, 572, 112 * r + 26, RECT{380, 104 + 8 * r, 444, 112 + 8 * r}, Blend::Add);
}

void DrawTechnique(int r, int c) {
    plat::Surface* work = Work();
    const i32 y = LVUP_LineY(r, c);
    const RECT plate{320, 32 * c, 380, 32 * c + 32}, frame{0, 104, 328, 136};
    Put(work, 88, y, plate, Blend::AddLevel, 20 + 8 * c);
    Put(work, 88, y, Down136(plate), Blend::Key);
    Put(work, 152, y, frame, Blend::AddLevel, 24 + 8 * c);
    Put(work, 152, y, Down136(frame), Blend::Key);
    const int t = GameData.equip[kCols * r + c];
    if (!PlayerWaza(t)) return;
    const int g = t / 3;
    const int cost = WAZA_GetCost(0, t), base = GroupBaseCost(t);
    Put(work, 168, y + 2, RECT{96 * (g % 6), 272 + 16 * (g / 6), 96 * (g % 6) + 96, 288 + 16 * (g / 6)}, Blend::Key);
    Put(work, 184, y + 23, RECT{380, 0, 380 + cost, 3}, Blend::Key);
    Put(work, 184 + cost, y + 23, RECT{380 + cost, 4, 380 + base, 7}, Blend::Key);
    DrawStars(y, GameData.exp[g].level);
}

void MakeBar(int r, int c) {
    LVUP_BAR& bar = LvupBarTbl[kCols * r + c];
    bar.surf = SPR_CreateSurf(100, 12, 0);
    plat::Surface* s = SPR_GetSlotSurf(bar.surf);
    if (!s) {
        bar.surf = -1;
        return;
    }
    SURF_Fill(s, nullptr, 0);
    bar.sprite = SPR_GetFreeSpr();
    if (bar.sprite < 0 || !SPR_CreateTSpr(bar.sprite, kBarPri, 340, LVUP_LineY(r, c) + 10, bar.surf, nullptr)) {
        bar.sprite = -1;
        return;
    }
    SPR_SetTSprAttr(bar.sprite, kAttrAdd);
    SPR_SetTSprAttrCnt1(bar.sprite, 32 + 4 * c);
}

void TakeGains(int r, int c) {
    LVUP_BAR& bar = LvupBarTbl[kCols * r + c];
    const int t = GameData.equip[kCols * r + c];
    if (!PlayerWaza(t)) return;
    WAZA_EXP& exp = GameData.exp[t / 3];
    Put(SPR_GetSlotSurf(bar.surf), 0, 0, RECT{380, 12, 380 + std::clamp(exp.shownExp / 10, 0, 100), 24}, Blend::Key);
    LVUP_TakeGains(&bar, &exp, WAZA_GetCost(0, t), WAZA_GetBaseCost(0, t));
}

void Build() {
    CUR_Show(0);
    if (plat::Surface* work = Work()) {
        SPR_SetDrawSurf(&SurfTbl[ScreenWorkSurf].surface);
        BTL_DrawWorld(0, 0);
        SPR_SetDrawSurf(&DispBackBuffer);
        BLT_Tint(work, nullptr, 0, 100, 0, 10);
    }
    SPR_SetViewAll(0);
    SPR_SetAnimeAll(0);
    SPR_SetTSprView(ScreenWorkSpr, 1);
    LvupSurf = SPR_LoadSurf(MakeFilePath("Bmp\\WpnLvUp.bmp"), 0);
    for (LVUP_BAR& bar : LvupBarTbl) bar = LVUP_BAR{};
    for (int r = 0; r < LVUP_BAR_MAX / kCols; r++)
        for (int c = 0; c < kCols; c++) MakeBar(r, c);
    Put(Work(), 8, 6, RECT{380, 80, 476, 104}, Blend::Key);
    for (int r = 0; r < LVUP_BAR_MAX / kCols; r++) {
        DrawRow(r);
        for (int c = 0; c < kCols; c++) DrawTechnique(r, c);
    }
    for (int r = 0; r < LVUP_BAR_MAX / kCols; r++)
        for (int c = 0; c < kCols; c++) TakeGains(r, c);
    LvupStartTime = plat::GetTimeMs();
    LvupStep = 1;
}

void ShowBanner(LVUP_BAR& bar, i32 y) {
    // A second rise on the same screen (0 to 1 to 2) starts the one banner again instead of leaking it.
    if (bar.banner < 0) {
        const RECT src{380, 228, 608, 268};
        bar.banner = SPR_GetFreeSpr();
        if (bar.banner < 0 || !SPR_CreateTSpr(bar.banner, kBannerPri, 260, y - 4, LvupSurf, &src)) {
            bar.banner = -1;
            return;
        }
        SPR_SetTSprAttr(bar.banner, kAttrAdd);
    }
    SPR_SetTSprAttrCnt1(bar.banner, 0);
}

// One frame of one technique's bar and its drawing; true when it is done.
bool FillOne(int r, int c) {
    LVUP_BAR& bar = LvupBarTbl[kCols * r + c];
    if (bar.flags == 0) return true;
    const int t = GameData.equip[kCols * r + c];
    if (t < 0 || t / 3 >= GAME_EXP_MAX) {
        bar.flags = 0;
        return true;
    }
    WAZA_EXP& exp = GameData.exp[t / 3];
    plat::Surface* work = Work();
    const i32 y = LVUP_LineY(r, c);
    const bool counting = bar.countdown > 0;
    const bool filling = (bar.flags & LVUP_FLAG_EXP) && bar.shownExp < exp.exp;
    const int events = LVUP_FillStep(&bar, &exp);
    if (counting)
        Put(work, 184 + bar.costShown, y + 23, RECT{380 + bar.costShown, 8, 380 + bar.costStart, 11}, Blend::Key);
    if (events & LVUP_EVENT_MASTERED) {
        Put(work, 480, y, RECT{380, 36, 468, 52}, Blend::AddLevel, 24 + 8 * c);
        const int digits[2] = {bar.gain / 10 % 10, bar.gain % 10};
        for (int i = 0; i < 2; i++) Put(work, 552 + 6 * i, y + 1, RECT{512 + 6 * digits[i], 0, 518 + 6 * digits[i], 9}, Blend::Key);
        SE_Play(47, -1);
    }
    plat::Surface* barSurf = SPR_GetSlotSurf(bar.surf);
    if (events & LVUP_EVENT_FULL && barSurf) SURF_Fill(barSurf, nullptr, 0);
    if (events & LVUP_EVENT_LEVEL) {
        Put(work, 480, y + 12, RECT{380, 52, 520, 68}, Blend::AddLevel, 24 + 8 * c);
        ShowBanner(bar, y);
        SE_Play(51, -1);
    }
    if (events & LVUP_EVENT_TOP) DrawStars(y, exp.level);
    if (filling) Put(barSurf, bar.barStart, 0, RECT{380 + bar.barStart, 24, 380 + bar.barWidth, 36}, Blend::Key);
    return bar.flags == 0;
}

void RaiseBanners() {
    for (const LVUP_BAR& bar : LvupBarTbl)
        if (TSPR_DATA* b = bar.banner >= 0 ? SPR_GetTSpr(bar.banner) : nullptr)
            b->level = i16(std::min(kBannerLevelMax, b->level + 2));
}

void Fill() {
    if (plat::GetTimeMs() - LvupStartTime < kFillDelayMs) return;
    int done = 0;
    for (int r = 0; r < LVUP_BAR_MAX / kCols; r++)
        for (int c = 0; c < kCols; c++) done += FillOne(r, c);
    RaiseBanners();
    if (done == LVUP_BAR_MAX)
        LvupStep = 2;
    else
        SE_Play(50, -1);
}

void Wait() {
    RaiseBanners();
    KEY_Renew(&SysKey);
    u32 buttons = 0;
    INP_GetMouse(nullptr, nullptr, &buttons);
    if ((buttons & 1) || (buttons & 2) || (SysKey.trigger & 16) || (SysKey.trigger & 32)) LvupStep = 99;
}

void End() {
    LvupSurf = SPR_DelSurfDat2(LvupSurf);
    for (LVUP_BAR& bar : LvupBarTbl) {
        bar.sprite = SPR_DelTSprDat2(bar.sprite);
        bar.banner = SPR_DelTSprDat2(bar.banner);
        bar.surf = SPR_DelSurfDat2(bar.surf);
    }
    SVV_NextWave();
    const int next = LVUP_NextState(SvvWave);
    if (next == 15) {
        SPR_RestoreViewAll();
        SPR_RestoreAnimeAll();
        SPR_SetTSprView(ScreenWorkSpr, 0);
    }
    BTL_SetState(next);
    LvupStep = 0;
}

}  // namespace

int SVV_LevelUp() {
    switch (LvupStep) {
        case 0: Build(); break;
        case 1: Fill(); break;
        case 2: Wait(); break;
        case 99: End(); return 1;
        default: break;
    }
    return 0;
}
