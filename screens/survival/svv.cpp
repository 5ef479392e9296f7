// The survival waves: the run's start, each wave's placement, the wave banner, the portrait and the
// game over.
#include <algorithm>

#include "battle/map/cam.h"
#include "battle/map/map.h"
#include "battle/map/scr.h"
#include "battle/btl_draw.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "battle/panel/pnl.h"
#include "graphics/display/disp.h"
#include "graphics/display/grp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/clock.h"
#include "screens/btl/btl.h"
#include "screens/ranking/his.h"
#include "screens/screens.h"
#include "screens/survival/svv.h"
#include "script/bsc/bsc.h"
#include "shell/common.h"
#include "shell/input/cur.h"
#include "shell/input/inp.h"
#include "shell/input/key.h"
#include "shell/sound/sound.h"
#include "shell/sys.h"

const i32 SvvKindTbl[SVV_KIND_MAX] = {4, 7, 5, 14, 10, 9, 1, 6, 16, 11, 17, 18, 20};

const SVV_STAGE SvvStageTbl[SVV_STAGE_MAX] = {
    {0, 0, 0, 800, 600}, {0, 0, 1, 800, 600}, {5, 0, 0, 740, 480}, {5, 0, 1, 740, 480},
    {2, 0, 0, 864, 624}, {5, 1, 0, 540, 420}, {5, 1, 1, 540, 420}, {3, 0, 0, 800, 600},
    {3, 0, 1, 800, 600}, {5, 2, 0, 640, 480}, {5, 2, 1, 640, 480}, {9, 0, 1, 544, 1440},
    {5, 3, 0, 440, 700}, {5, 3, 1, 440, 700}, {10, 0, 1, 768, 640},
};

const i32 SvvFormationTbl[SVV_SLOT_MAX][SVV_SLOT_MAX][2] = {
    {{0, 0}},
    {{0, -50}, {0, 50}},
    {{0, 0}, {0, -100}, {0, 100}},
    {{0, -50}, {0, 50}, {100, -50}, {100, 50}},
    {{0, -50}, {0, 50}, {100, 0}, {100, -100}, {100, 100}},
};

i32 SvvSurf = -1;
SVV_BANNER SvvBannerTbl[SVV_BANNER_MAX];
i32 SvvBannerStep = 0;
i32 SvvPortraitStep = 0;
TIME_DATA SvvPortraitTimer{};

constexpr int kPlayerType = 0;

void SVV_Init() {
    SvvSurf = SPR_LoadSurf(MakeFilePath("Bmp\\Survival.bmp"), 0);
    MAP_Open(0, 0, 0);
    mBSC_Chr_Create(0, 0, MEKA_CTRL_PLAYER, kPlayerType, 800, 600);
    PNL_Create(0, kPlayerType, 4, 436);
    PNL_CreateCountPopup();
    PNL_CreateMarker();
    PNL_Show(0, 0);
    SVV_ResetLineup();
    SVV_SkipLineup(0);
}

void SVV_Release() { SvvSurf = SPR_DelSurfDat2(SvvSurf); }

// ---- the wave start ----

namespace {

void ShowLoadingPicture() {
    DISP_ClearScreen();
    const int logo = SPR_LoadSurf(MakeFilePath("Bmp\\MiniRogo.bmp"), 0);
    if (logo >= 0 && DispBackBuffer) BLT_Copy(DispBackBuffer, 420, 350, SPR_GetSlotSurf(logo), nullptr, 1);
    SPR_DelSurfDat(logo);
    DISP_Flip();
}

void SetFacing(LIST_DATA* obj, int dir) {
    obj->dir = i8(dir);
    if (SPR_DATA* spr = SPR_GetSpr(obj->spr)) spr->pageOffset = u8(dir);
}

}  // namespace

void SVV_StartWave() {
    ShowLoadingPicture();
    BTL_ResetBattleWork();
    BTL_DelSubObjects();
    SVV_LINEUP& L = SvvLineup;
    if (L.stageChange && L.stage >= 0 && L.stage < SVV_STAGE_MAX) {
        const SVV_STAGE& st = SvvStageTbl[L.stage];
        MAP_Open(st.mapNo, st.subNo, st.flag);
    }
    const SVV_STAGE& st = SvvStageTbl[std::clamp(L.stage, 0, SVV_STAGE_MAX - 1)];
    LIST_DATA* player = MEKA_GetSlot(0);
    if (player) {
        MEKA_SetX(player, st.x - 100);
        MEKA_SetY(player, st.y);
        SetFacing(player, 6);
    }
    PNL_Show(0, 1);

    i32 kinds[SVV_SLOT_MAX];
    const int n = std::clamp(SVV_StepLineup(kinds), 1, SVV_SLOT_MAX);
    HIS_ENTRY& run = HisData.entry[HIS_CUR];
    for (int s = 0; s < SVV_SLOT_MAX; s++) {
        run.type[s] = -1;
        const int k = kinds[s];
        if (k < 0 || k >= SVV_KIND_MAX) continue;
        const int type = SvvKindTbl[k];
        const i32* ofs = SvvFormationTbl[n - 1][s];
        if (MEKA_Create(s + 1, 1, MEKA_CTRL_CPU, type, st.x + 100 + ofs[0], st.y + ofs[1]) < 0) {
            DebugMsg("survival: enemy of mech type %d could not be made", type);
            continue;
        }
        LIST_DATA* enemy = MEKA_GetSlot(s + 1);
        MEKA_WORK* m = enemy->meka;
        const int level = L.slot[s].level[k];
        m->stat7 = i16(std::min(32767, m->stat7 + 5 * level));
        int bars = m->lifeBarMax + level / 10;
        if (L.stageChange && s == 0) bars++;
        bars = std::min(bars, 7);
        m->lifeBarMax = i16(bars);
        m->lifeBar = i16(bars);
        PNL_Create(s + 1, type, 440, 436 - 44 * s);
        SetFacing(enemy, 2);
        MEKA_SelectTarget(enemy, 0, 0);
        run.type[s] = type;
    }
    run.waves = SvvWave;

    if (player) {
        MEKA_SelectTarget(player, 0, 1);
        CAM_SetPos(player->x, player->y);
        mBSC_Cam_Chase_Set(0, 1);
        CAM_SetSpeed(0, 1, 16);
        CAM_SetLimit(120, 80);
        SCR_Redraw(CamData.x, CamData.y);
    }
    PNL_CreateSlotPanel(8, 8);
    BGM_Play(L.stageChange ? 8 : 0, 1);
}

// ---- the wave banner ----

namespace {

void BuildBanner() {
    const int shown = SvvWave + 1;
    i32 x = 184;
    if (shown < 100) x += 16;
    if (shown < 10) x += 16;
    const int digits[3] = {shown / 100 % 10, shown / 10 % 10, shown % 10};
    bool higherShown = false;
    for (int i = 0; i < SVV_BANNER_MAX; i++) {
        SVV_BANNER& b = SvvBannerTbl[i];
        b = SVV_BANNER{-1, -1, 99, 0, 0};
        RECT src;
        bool show = true;
        if (i < 5) {
            src = {32 * i, 0, 32 * i + 32, 56};
        } else {
            const int d = digits[i - 5];
            show = d != 0 || i == 7 || higherShown;
            higherShown = higherShown || show;
            src = {160 + 32 * d, 0, 160 + 32 * d + 32, 56};
        }
        if (!show) continue;
        b.spr = SPR_GetFreeSpr();
        if (b.spr >= 0 && SPR_CreateTSpr(b.spr, 33, x, 200, SvvSurf, &src)) {
            SPR_SetTSprView(b.spr, 0);
        } else {
            b.spr = -1;
        }
        if (i >= 5) {
            const RECT glow = {src.left, src.top + 56, src.right, src.bottom + 56};
            b.glow = SPR_GetFreeSpr();
            if (b.glow >= 0 && SPR_CreateTSpr(b.glow, 32, x, 200, SvvSurf, &glow)) {
                SPR_SetTSprView(b.glow, 0);
            } else {
                b.glow = -1;
            }
        }
        b.state = 0;
        b.counter = i + 1;
        x += i == 4 ? 48 : 32;
    }
    SvvBannerStep = 1;
}

// One frame of a banner piece; odd pieces move up, even ones down.
void RenewPiece(int i) {
    SVV_BANNER& b = SvvBannerTbl[i];
    TSPR_DATA* p = b.spr >= 0 ? SPR_GetTSpr(b.spr) : nullptr;
    TSPR_DATA* g = b.glow >= 0 ? SPR_GetTSpr(b.glow) : nullptr;
    const int dy = i % 2 ? -1 : 1;
    switch (b.state) {
    case 0:
        if (--b.counter >= 1) break;
        b.start = plat::GetTimeMs();
        if (p) {
            p->view = 1;
            p->x = i16(p->x + 14);
            p->drawW = 4;
            p->y = i16(i % 2 ? 4 : -4);
            p->drawH = u16(p->drawH + 400);
        }
        b.counter = 0;
        SE_Play(0, -1);
        b.state = 1;
        break;
    case 1:
        if (p) {
            p->y = i16(p->y + 80);
            p->drawH = u16(p->drawH - 160);
        }
        if (++b.counter < 2) break;
        if (g) {
            g->view = 1;
            g->attr = 128;
            g->level = 32;
        }
        b.counter = 0;
        b.state = 2;
        if (i == 7) SE_Play(51, -1);
        break;
    case 2:
        if (p) {
            p->x = i16(p->x - 3);
            p->drawW = u16(p->drawW + 6);
            p->y = i16(p->y + 10);
            p->drawH = u16(p->drawH - 20);
        }
        if (g) {
            g->level = i16(g->level - 3);
            g->x = i16(g->x - 2);
            g->y = i16(g->y - 4);
            g->scaleX = u16(g->scaleX + 32);
            g->scaleY = u16(g->scaleY + 32);
        }
        if (++b.counter < 4) break;
        if (p) {
            p->x = i16(p->x - 2);
            p->drawW = 32;
            p->attr = 0;
        }
        b.counter = 0;
        b.state = 3;
        break;
    case 3:
        // Moves on every second frame only.
        if (++b.counter % 2 == 0) {
            if (p) p->y = i16(p->y + dy);
            if (g) {
                g->level = i16(g->level - 2);
                g->x = i16(g->x - 1);
                g->y = i16(g->y - 2);
                g->scaleX = u16(g->scaleX + 16);
                g->scaleY = u16(g->scaleY + 16);
            }
        }
        if (b.counter < 10) break;
        if (p) {
            p->attr = 64;
            p->level = 31;
        }
        b.state = 4;
        break;
    case 4:
        if (p) {
            p->y = i16(p->y + dy);
            p->level = i16(p->level - 4);
        }
        if (g) g->level = i16(g->level - 1);
        if (!p || p->level < 1) b.state = 99;
        break;
    default: break;
    }
}

}  // namespace

int SVV_ShowWave() {
    if (SvvBannerStep == 0) {
        BuildBanner();
        return 0;
    }
    if (SvvBannerStep == 1) {
        int done = 0;
        for (int i = 0; i < SVV_BANNER_MAX; i++) {
            RenewPiece(i);
            if (SvvBannerTbl[i].state == 99) done++;
        }
        if (done == SVV_BANNER_MAX) SvvBannerStep = 99;
        return 0;
    }
    for (SVV_BANNER& b : SvvBannerTbl) {
        if (b.spr >= 0) SPR_DelSpr(b.spr);
        if (b.glow >= 0) SPR_DelSpr(b.glow);
        b.spr = b.glow = -1;
    }
    SvvBannerStep = 0;
    return 1;
}

// ---- the portrait ----

int SVV_ShowPortrait() {
    TIME_DATA* t = &SvvPortraitTimer;
    switch (SvvPortraitStep) {
    case 0:
        CUR_Show(0);
        SPR_SetTSprAttr(ScreenWorkSpr, 0x200);
        SPR_SetTSprAttrCnt1(ScreenWorkSpr, 32);
        SPR_SetTSprView(ScreenWorkSpr, 1);
        TIME_Start(t, 800);
        SvvPortraitStep = 1;
        [[fallthrough]];
    case 1: {
        const int level = 30 - TIME_GetTimeRate(t, 30, 1);
        SPR_SetTSprAttrCnt1(ScreenWorkSpr, level);
        if (level <= 0) {
            TIME_Init(t);
            SvvPortraitStep = 2;
        }
        break;
    }
    case 2:
        if (plat::Surface* work = SPR_GetSlotSurf(ScreenWorkSurf)) {
            SURF_LoadImageTo(work, MakeFilePath("Bmp\\Svv\\Chr%02d.bmp", int(SvvWave / 3)), 0, 0, 0, nullptr);
        }
        TIME_Start(t, 800);
        SvvPortraitStep = 3;
        [[fallthrough]];
    case 3: {
        const int level = TIME_GetTimeRate(t, 31, 1);
        SPR_SetTSprAttrCnt1(ScreenWorkSpr, level);
        if (level >= 31) {
            TIME_Init(t);
            SvvPortraitStep = 4;
        }
        break;
    }
    case 4: {
        KEY_Renew(&SysKey);
        u32 buttons = 0;
        INP_GetMouse(nullptr, nullptr, &buttons);
        if ((buttons & 1) || (buttons & 2) || (SysKey.trigger & 16) || (SysKey.trigger & 32)) {
            TIME_Start(t, 800);
            SvvPortraitStep = 5;
        }
        break;
    }
    case 5: {
        const int level = 30 - TIME_GetTimeRate(t, 30, 1);
        SPR_SetTSprAttrCnt1(ScreenWorkSpr, level);
        if (level > 0) break;
        TIME_Init(t);
        SPR_RestoreViewAll();
        SPR_RestoreAnimeAll();
        SPR_SetTSprAttr(ScreenWorkSpr, 0);
        SPR_SetTSprView(ScreenWorkSpr, 0);
        BTL_SkipDraw();
        SvvPortraitStep = 0;
        return 1;
    }
    default: break;
    }
    return 0;
}

// ---- the game over ----

int SVV_GameOver() {
    HIS_SetMode(0);
    if (HIS_Loop() != 1) return 0;
    SVV_Release();
    return 1;
}
