// The battle frame steps: one per battle phase, each a walk of the object pool with its own choice of
// update per object kind, then the HUD and the sprite animation; the round-end count and the
// technique cut-in switch.
#include "battle/battle.h"
#include "battle/btl_draw.h"
#include "battle/effect/eft.h"
#include "battle/map/map.h"
#include "battle/meka/meka.h"
#include "battle/meka/meka_act.h"
#include "battle/object/obj.h"
#include "battle/panel/pnl.h"
#include "battle/tama/tama.h"
#include "graphics/blit/blt.h"
#include "graphics/display/disp.h"
#include "graphics/sprite/spr.h"
#include "screens/btl/btl.h"
#include "script/bsc/bsc.h"
#include "shell/input/cur.h"
#include "shell/input/inp.h"
#include "shell/input/key.h"
#include "shell/sound/sound.h"
#include "shell/sys.h"

BTL_START_BANNER BtlStartBanner = {0, -1, {-1, -1, -1}, {0, 0}, 0};
i8 BtlScriptFight = 0;
i32 BtlMouseX = 0;
i32 BtlMouseY = 0;
u32 BtlMouseBtn = 0;

namespace {

constexpr int kRoundEndFrames = 40;
constexpr int kRefillUnits = 16;

// The counter of the running hit-stop step, for its effect column.
const i32* HitStopCntRef = nullptr;

int RenewEffectQuarter() { return HitStopCntRef && *HitStopCntRef % 4 == 0 ? EFT_Renew() : 1; }

// Only effects still on screen and animating move on under the cut-in's frozen picture.
int RenewEffectCutIn() {
    const SPR_DATA* spr = CurObj ? SPR_GetSpr(CurObj->spr) : nullptr;
    return spr && spr->view && spr->running ? EFT_Renew() : 1;
}

constexpr OBJ_RENEW_FUNC kPlayTbl[OBJ_KIND_COUNT] = {MEKA_Renew,  TAMA_RenewLauncher, TAMA_RenewShot,
                                                     EFT_Renew,   PNL_RenewChip,      nullptr};
constexpr OBJ_RENEW_FUNC kScriptTbl[OBJ_KIND_COUNT] = {MEKA_RenewScript, TAMA_RenewLauncher, TAMA_RenewShot,
                                                       EFT_Renew,        PNL_RenewChip,      nullptr};
constexpr OBJ_RENEW_FUNC kStartTbl[OBJ_KIND_COUNT] = {MEKA_RenewStart, nullptr,       nullptr,
                                                      EFT_Renew,       PNL_RenewChip, nullptr};
constexpr OBJ_RENEW_FUNC kHitStopTbl[OBJ_KIND_COUNT] = {MEKA_RenewFreeze, nullptr,       nullptr,
                                                        EFT_Renew,        PNL_RenewChip, nullptr};
constexpr OBJ_RENEW_FUNC kHitStop2Tbl[OBJ_KIND_COUNT] = {MEKA_RenewFreeze,   nullptr,       nullptr,
                                                         RenewEffectQuarter, PNL_RenewChip, nullptr};
constexpr OBJ_RENEW_FUNC kCutInTbl[OBJ_KIND_COUNT] = {MEKA_RenewCutIn,  nullptr,       nullptr,
                                                      RenewEffectCutIn, PNL_RenewChip, nullptr};

void ReadInput() {
    KEY_Renew(&SysKey);
    INP_GetMouse(&BtlMouseX, &BtlMouseY, &BtlMouseBtn);
}

// A cut-in entry whose mech is gone (destroyed, or its slot emptied) would hold the battle in the
// cut-in for good, and show an empty slot.
void DropDeadCutIns() {
    for (int slot = 0; slot < 2; slot++)
        if (CutInTbl[slot] >= 0 && !MEKA_GetSlot(slot)) CutInTbl[slot] = -1;
}

void ShowCutInMechs() {
    for (int slot = 0; slot < 2; slot++)
        if (CutInTbl[slot] >= 0)
            if (const LIST_DATA* obj = MEKA_GetSlot(slot)) SPR_SetSprView(obj->spr, 1);
}

// A chip is a surface sprite: it has no animation flag for SPR_SetAnimeAll to pause, and the cut-in
// column's PNL_RenewChip keeps it moving.
void ShowChips() {
    for (int i = ObjActHead; i >= 0;) {
        const LIST_DATA* obj = ObjTbl[i];
        if (obj->kind == OBJ_KIND_CHIP) SPR_SetSprView(obj->spr, 1);
        i = obj->next;
    }
}

// A banner sprite the battle mode never made is skipped.
SPR_HEAD* BannerSpr(int n) { return SPR_GetAnySpr(BtlStartBanner.spr[n]); }

void MoveBanner(i32 c) {
    SPR_HEAD* a = BannerSpr(0);
    SPR_HEAD* b = BannerSpr(1);
    SPR_HEAD* d = BannerSpr(2);
    if (c < 5) {
        if (a) BtlStartBanner.savedX[0] = a->x = i16(a->x - 112);
        if (b) BtlStartBanner.savedX[1] = b->x = i16(b->x + 88);
    } else if (c < 15) {
        if (c == 5) SE_Play(31, -1);
        const i32 w = (15 - c) * 2;
        const i32 shake = c % 2 ? w : -w;
        if (a) a->x = i16(BtlStartBanner.savedX[0] + shake);
        if (b) b->x = i16(BtlStartBanner.savedX[1] - shake);
    } else if (c < 20) {
        if (a) a->x = i16(a->x + 120);
        if (b) b->x = i16(b->x - 130);
        if (d) BtlStartBanner.savedY = d->y = i16(d->y - 96);
    } else if (c < 30) {
        if (c == 20) SE_Play(42, -1);
        const i32 w = (30 - c) * 2;
        if (d) d->y = i16(BtlStartBanner.savedY + (c % 2 ? w : -w));
    }
}

}  // namespace

int BTL_CheckRenew() { return 1; }

int BTL_Renew() {
    ReadInput();
    if (!BTL_CheckRenew()) return 0;
    BTL_DummyFunc();
    OBJ_RenewAll(kPlayTbl);
    PNL_Renew();
    BTL_RenewRoundEnd();
    BTL_RenewSprAnim(0);
    SPR_RenewLayer2();
    return 1;
}

int BTL_RenewRoundEnd() {
    if (FightOver == 0) return 0;
    LIST_DATA* player = MEKA_GetSlot(0);
    // Up to its current bar count: the refill tops up the bar it stands on and adds none.
    if (player) PNL_AddLife(player, kRefillUnits, player->meka->lifeBar);
    if (++FightOver < kRoundEndFrames) return 0;

    for (int n = 0; n <= kSeCount; n++) SE_Stop(n);  // 0..55
    BTL_ReleaseStartBanner();
    BTL_DelSubObjects();
    PNL_DeleteSlotPanel();
    const bool scripted = BtlScriptFight != 0;
    if ((player = MEKA_GetSlot(0))) {
        const i16 life = player->meka->life;
        const i16 bars = player->meka->lifeBar;
        MEKA_Reset(0, -999, -999);
        player->meka->life = life;
        player->meka->lifeBar = bars;
        if (!scripted) {
            BTL_SkipDraw();
            BTL_SetState(17);
        }
    } else {
        for (int slot = 1; slot < MEKA_SLOT_MAX; slot++) {
            if (!MEKA_GetSlot(slot)) continue;
            PNL_Delete(slot);
            MEKA_Reset(slot, -999, -999);
        }
        PNL_DeleteCountPopup();
        PNL_DeleteMarker();
        if (!scripted) {
            BTL_SkipDraw();
            BTL_SetState(19);
        }
    }
    // A fight a script handed over goes back to its script, which shows no HUD.
    if (scripted) {
        for (int slot = 0; slot < PNL_MAX; slot++) PNL_Delete(slot);
        PNL_DeleteCountPopup();
        PNL_DeleteMarker();
        BtlScriptFight = 0;
        BTL_SetState(8);
        SYS_SetSeq(5);
    }
    return 1;
}

int BTL_RenewStart(i32* cnt) {
    ReadInput();
    if (!BTL_CheckRenew()) return 0;
    BTL_DummyFunc();
    OBJ_RenewAll(kStartTbl);
    MoveBanner(*cnt);
    if (++*cnt > 40) {
        *cnt = 0;
        BTL_ReleaseStartBanner();
        BTL_SetState(5);
    }
    PNL_Renew();
    BTL_RenewSprAnim(0);
    return 1;
}

namespace {

// Both hit-stop steps; the second also clears the hit marker when its stop frames run out.
int HitStop(i32* cnt, const OBJ_RENEW_FUNC (&tbl)[OBJ_KIND_COUNT], bool knockBack) {
    ReadInput();
    if (!BTL_CheckRenew()) return knockBack ? -1 : 0;
    BTL_DummyFunc();
    HitStopCntRef = cnt;
    OBJ_RenewAll(tbl);
    HitStopCntRef = nullptr;
    PNL_Renew();
    if (HitSlowCnt >= 1) {
        HitSlowCnt--;
        if (++*cnt % 4 == 0) BTL_RenewSprAnim(1);
    } else {
        BTL_RenewSprAnim(1);
        if (--HitStopCnt < 1) {
            if (knockBack && HitMarkSlot >= 0) HitMarkSlot = -1;
            *cnt = 0;
            BTL_SetState(5);
        }
    }
    return knockBack ? 0 : 1;
}

}  // namespace

int BTL_RenewHitStop(i32* cnt) { return HitStop(cnt, kHitStopTbl, false); }

int BTL_RenewHitStop2(i32* cnt) { return HitStop(cnt, kHitStop2Tbl, true); }

int BTL_RenewScript() {
    OBJ_RenewAll(kScriptTbl);
    BTL_RenewSprAnim(0);
    if (mBSC_GetActCount() != 0) return 0;
    mBSC_Clear();
    return 1;
}

int BTL_StartCutIn() {
    DropDeadCutIns();
    if ((CutInTbl[0] < 0 && CutInTbl[1] < 0) || BTL_GetState(0) == 9) return 0;
    SE_Play(35, -1);
    CUR_Show(0);
    PNL_ShowAll(0);
    if (plat::Surface* work = SPR_GetSlotSurf(ScreenWorkSurf)) {
        SPR_SetDrawSurf(&SurfTbl[ScreenWorkSurf].surface);
        // The world's screen position, as every draw of it; the scroll position would put the mechs
        // off the picture.
        BTL_DrawWorld(MapData ? MapData->screenX : 0, MapData ? MapData->screenY : 0);
        SPR_SetDrawSurf(&DispBackBuffer);
        BLT_Tint(work, nullptr, 100, 100, 100, 7);
    }
    CUR_Show(1);
    PNL_ShowAll(1);
    ShowCutInMechs();

    SPR_SetViewAll(0);
    SPR_SetAnimeAll(0);
    ShowCutInMechs();
    CUR_Show(1);
    PNL_ShowAll(1);
    ShowChips();
    SPR_SetTSprView(ScreenWorkSpr, 1);
    BTL_SetState(9);
    return 1;
}

int BTL_RenewCutIn() {
    DropDeadCutIns();
    OBJ_RenewAll(kCutInTbl);
    PNL_Renew();
    DropDeadCutIns();
    if (CutInTbl[0] < 0 && CutInTbl[1] < 0) {
        SPR_RestoreViewAll();
        SPR_RestoreAnimeAll();
        SPR_SetTSprView(ScreenWorkSpr, 0);
        BTL_SetState(BTL_GetState(1));
        return 0;
    }
    BTL_RenewSprAnim(0);
    return 1;
}
