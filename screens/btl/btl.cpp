// The battle mode's sub-state machine, the per-battle work the frame steps share with it, and what
// every battle loads and releases.
#include "screens/btl/btl.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "battle/battle.h"
#include "battle/btl_draw.h"
#include "battle/effect/eft.h"
#include "battle/map/cam.h"
#include "battle/map/map.h"
#include "battle/map/mapobj.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "battle/panel/pnl.h"
#include "battle/tama/tama.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/clock.h"
#include "screens/menu/menu.h"
#include "screens/save/save.h"
#include "screens/survival/svv.h"
#include "shell/common.h"
#include "shell/input/cur.h"
#include "shell/input/inp.h"
#include "shell/sound/sound.h"
#include "shell/sys.h"

i32 BtlState = 0;
i32 BtlPrevState = 0;
i32 BtlFrameState = 0;
i32 BtlPhaseCnt = 0;
i16 BtlBattleType = 0;

namespace {
u32 BtlResultHold = 0;
// The debug keys' state at their previous read, so that only a fresh press counts.
bool BtlMenuKeyDown = false;
bool BtlLeaveKeyDown = false;
}  // namespace

i8 BtlLevelBonus = 0;
i32 BtlResultStep = 0;
i32 BtlResultSurf = -1;
i32 BtlResultSpr = -1;
BTL_DEBUG_ROW BtlDebugRowTbl[BTL_DEBUG_ROW_MAX] = {
    {1, "     FPS"}, {0, "   MOUSE"}, {1, "LIST_CNT"}, {1, " WP2_CNT"}, {1, " WPN_CNT"},
    {1, " EFT_CNT"}, {1, "GAGE_CNT"}, {1, " OBJ_CNT"}, {1, "  CPU_LV"}, {1, "  WPN_LV"},
};
i32 BtlDebugGlyphSurf = -1;
i32 BtlDebugSurf = -1;
i32 BtlDebugLabelW = 0;
i32 BtlDebugW = 0;
i32 BtlDebugH = 0;
u8 BtlDebugView = 1;

int BTL_SetState(int n) {
    const int replaced = BtlPrevState;
    BtlPrevState = BtlState;
    BtlState = n;
    return replaced;
}

int BTL_GetState(int which) {
    if (which == 1) return BtlPrevState;
    if (which == 2) return BtlFrameState;
    return BtlState;
}

int BTL_CheckBattleType() { return BtlBattleType >= 1 && BtlBattleType <= 3 ? 1 : 0; }

void BTL_DummyFunc() {}

// ---- the sub-states ----

namespace {

constexpr int kDikM = 0x32, kDikL = 0x26;

// Read through the keyboard device, as the game keys are, so that a tap between two updates counts.
bool KeyPressed(int scanCode, bool* wasDown) {
    INP_RenewKeyboard();
    const bool down = INP_GetKey(scanCode) != 0;
    const bool fresh = down && !*wasDown;
    *wasDown = down;
    return fresh;
}

void StateInit() {
    CUR_Show(0);
    for (auto& slot : MekaSlotTbl) slot = nullptr;
    BTL_InitBattle();
    BtlBattleType = 1;
    BTL_SetState(14);
}

void StateMenu() {
    BTL_DummyFunc();
    if (MENU_Renew() == -999) BTL_SetState(20);
}

void StateMenuOpen() {
    BTL_ShowAll(0);
    MENU_SetBG(0);
    MENU_SetMode(0);
    BTL_SetState(2);
    StateMenu();
}

void StateSetup() {
    BTL_SetupBattle();
    BTL_SetState(5);
}

void StateStart() { BTL_RenewStart(&BtlPhaseCnt); }

void StatePlay() {
    // Debug keys into the menu phases; the play step does not run in that frame.
    if (SysDebugFlag) {
        const bool menu = KeyPressed(kDikM, &BtlMenuKeyDown);
        const bool leave = KeyPressed(kDikL, &BtlLeaveKeyDown);
        if (menu) {
            MENU_SetBG(1);
            BTL_SetState(12);
            return;
        }
        if (leave) {
            SVV_Release();
            BTL_SetState(11);
            return;
        }
    }
    BTL_Renew();
}

void StateHitStop() { BTL_RenewHitStop(&BtlPhaseCnt); }
void StateHitStop2() { BTL_RenewHitStop2(&BtlPhaseCnt); }
void StateScript() { BTL_RenewScript(); }
void StateCutIn() { BTL_RenewCutIn(); }
void StateResult() { BTL_Result(&BtlPhaseCnt); }

void StateLeave() {
    SURF_Fill(SPR_GetSlotSurf(ScreenWorkSurf), nullptr, 1);
    SPR_SetTSprView(ScreenWorkSpr, 0);
    BTL_ReleaseBattle();
    BTL_SetState(13);
}

void StatePause() {
    BTL_DummyFunc();
    if (MENU_Renew() == -999) {
        SPR_RestoreViewAll();
        SPR_RestoreAnimeAll();
        BTL_SetState(BTL_GetState(1));
    }
}

void StateReload() {
    if (MapData) MapData->mapNo = GameData.stage;
    BTL_InitBattle();
    BTL_SetState(1);
}

void StateSurvival() {
    SVV_Init();
    if (!MEKA_GetSlot(0)) {
        // Without the player's mech no wave can be placed or fought.
        DebugMsg("survival: the player's mech could not be made");
        SVV_Release();
        BTL_SetState(20);
        return;
    }
    BTL_SetState(15);
}

void StateWaveStart() {
    SVV_StartWave();
    BTL_SetState(16);
}

void StateWaveBanner() {
    if (SVV_ShowWave()) BTL_SetState(5);
}

void StateLevelUp() { SVV_LevelUp(); }

void StatePortrait() {
    if (SVV_ShowPortrait()) BTL_SetState(15);
}

void StateGameOver() {
    if (SVV_GameOver()) BTL_SetState(20);
}

using BTL_STATE_FUNC = void (*)();

// Sub-state 20 is handled by BTL_Loop itself: it ends the frame early.
const BTL_STATE_FUNC BtlStateTbl[BTL_STATE_MAX - 1] = {
    StateInit,     StateMenuOpen, StateMenu,      StateSetup,       StateStart,     StatePlay,
    StateHitStop,  StateHitStop2, StateScript,    StateCutIn,       StateResult,    StateLeave,
    StatePause,    StateReload,   StateSurvival,  StateWaveStart,   StateWaveBanner, StateLevelUp,
    StatePortrait, StateGameOver,
};

}  // namespace

int BTL_Loop() {
    INP_RenewMouse();
    BtlFrameState = BtlState;
    BTL_StartCutIn();
    if (BtlState == 20) {
        BTL_ReleaseBattle();
        BTL_SetState(0);
        BGM_Stop();
        SYS_SetSeq(2);
        return 0;
    }
    if (BtlState >= 0 && BtlState < BTL_STATE_MAX - 1) BtlStateTbl[BtlState]();
    if (SysDebugFlag) BTL_DrawDebugInfo();
    return 1;
}

// ---- loading and releasing a battle ----

int BTL_InitBattle() {
    BtlScriptFight = 0;
    SAVE_InitGameData();
    OBJ_Init();
    BTL_InitDebugInfo();
    BTL_ResetBattleWork();
    EFT_Init();
    PNL_Init();
    return 1;
}

void BTL_ResetBattleWork() {
    BTL_ReleaseStartBanner();
    FightOver = 0;
    // A fight that ended inside a hit-stop must not hand its last frames to the next one.
    HitSlowCnt = 0;
    HitStopCnt = 0;
    // Nor its quake: the counter's parity picks the shake's direction, so it starts afresh too.
    ScrQuake = 0;
    ScrQuakeOfs = 0;
    ScrQuakeCnt = 0;
    HitMarkSlot = -1;
    CutInTbl[0] = -1;
    CutInTbl[1] = -1;
    // The pointer animates with the battle's sprites: started afresh, a battle's pictures follow from
    // its seed and input alone, not from how long the pointer ran before it.
    CUR_Restart();
    for (WAZA_EXP& e : GameData.exp) {
        e.shownExp = e.exp;
        e.penalty = 0;
        e.damage = 0;
    }
}

int BTL_SetupBattle() {
    BTL_ResetBattleWork();
    BTL_DelSubObjects();
    for (int slot = 0; slot < MEKA_SLOT_MAX; slot++) {
        if (MekaSlotTbl[slot]) MEKA_Reset(slot, -999, -999);
    }
    PNL_InitAll();
    PNL_CreateSlotPanel(8, 8);
    PNL_CreateCountPopup();
    PNL_CreateMarker();
    return 1;
}

int BTL_ReleaseBattle() {
    BtlScriptFight = 0;
    SPR_SetDrawOffset(0, 0);
    EFT_Term();
    MAP_Close();
    BTL_DelAllObjects();
    PNL_DeleteSlotPanel();
    PNL_DeleteCountPopup();
    PNL_DeleteMarker();
    PNL_Term();
    BTL_ReleaseStartBanner();
    OBJ_FreeAll();
    // The camera must not go on following objects of the pool just freed.
    CAM_Setup(CAM_MODE_FIXED, nullptr, nullptr);
    for (int n = 0; n <= 55; n++) SE_Stop(n);
    if (SysDebugFlag) BTL_TermDebugInfo();
    return 1;
}

namespace {

// Each delete returns the next active index, so the walk survives deletes of its own objects.
void DelObjects(bool keepMechs) {
    for (int i = ObjActHead; i >= 0;) {
        LIST_DATA* obj = ObjTbl[i];
        switch (obj->kind) {
            case OBJ_KIND_MEKA:
                if (keepMechs) {
                    i = obj->next;
                    break;
                }
                // The mech's panel goes with it: nothing else frees its sprites and surface.
                PNL_Delete(obj->mekaNo);
                i = MEKA_Delete(obj->mekaNo);
                break;
            case OBJ_KIND_LAUNCHER: i = TAMA_DeleteLauncher(obj); break;
            case OBJ_KIND_SHOT: i = TAMA_DeleteShot(obj); break;
            case OBJ_KIND_EFFECT: i = EFT_Delete(obj); break;
            case OBJ_KIND_CHIP: i = PNL_DeleteChip(obj); break;
            case OBJ_KIND_MAPOBJ: i = MAP_DelObjSpr(obj); break;
            default: i = obj->next; break;
        }
    }
}

}  // namespace

void BTL_DelAllObjects() { DelObjects(false); }

void BTL_DelSubObjects() { DelObjects(true); }

void BTL_ReleaseStartBanner() {
    if (BtlStartBanner.surf >= 0) SPR_DelSurfDat(BtlStartBanner.surf);
    BtlStartBanner.surf = -1;
    for (i32& s : BtlStartBanner.spr) {
        if (s >= 0) SPR_DelSpr(s);
        s = -1;
    }
    BtlStartBanner.use = 0;
}

// ---- the result screen ----

int BTL_Result(i32* counter) {
    TSPR_DATA* pic = BtlResultSpr >= 0 ? SPR_GetTSpr(BtlResultSpr) : nullptr;
    switch (BtlResultStep) {
    case 0:
        BTL_SetupBattle();
        for (int n = 0; n <= 55; n++) SE_Stop(n);
        BGM_Stop();
        SE_Play(35, -1);
        BtlResultSurf = SPR_LoadSurf(MakeFilePath("Bmp\\Title2.bmp"), 0);
        BtlResultSpr = SPR_GetFreeSpr();
        if (BtlResultSpr >= 0 && !SPR_CreateTSpr(BtlResultSpr, 0, -1, 20, BtlResultSurf, nullptr)) BtlResultSpr = -1;
        *counter = 384;
        if (BtlResultSpr >= 0) {
            SPR_SetTSprScale(BtlResultSpr, int(*counter), int(*counter));
            SPR_SetTSprAttr(BtlResultSpr, 8);
        }
        BtlResultStep = 1;
        break;
    case 1:
        *counter -= 16;
        if (pic) {
            pic->x = i16(pic->x + 14);
            pic->y = i16(pic->y + 7);
            pic->scaleX = pic->scaleY = u16(*counter);
        }
        if (*counter <= 256) {
            SE_Play(42, -1);
            BtlResultHold = plat::GetTimeMs();
            BtlResultStep = 2;
        }
        break;
    case 2:
        if (plat::GetTimeMs() - BtlResultHold >= 3000) {
            SPR_SetTSprAttr(ScreenWorkSpr, 0x8000);
            SPR_SetTSprAttrCnt1(ScreenWorkSpr, 31);
            BtlResultStep = 3;
        }
        break;
    case 3: {
        TSPR_DATA* work = SPR_GetTSpr(ScreenWorkSpr);
        const int level = (work ? work->level : 0) - 2;
        SPR_SetTSprAttrCnt1(ScreenWorkSpr, level);
        if (level < 1) {
            SE_Play(0, -1);
            BtlResultStep = 4;
        }
        break;
    }
    case 4:
        if (!pic) {
            *counter = 0;
            BtlResultStep = 5;
            break;
        }
        pic->x = i16(pic->x - 27);
        pic->y = i16(pic->y + 30);
        pic->scaleX = u16(pic->scaleX + 32);
        if (int(pic->scaleY) - 64 <= 0) {
            pic->scaleY = 4;
            pic->attr = 0x200;
            pic->level = 31;
            *counter = 0;
            BtlResultStep = 5;
        } else {
            pic->scaleY = u16(pic->scaleY - 64);
        }
        break;
    case 5:
        if (pic) {
            pic->x = i16(pic->x - 27);
            pic->scaleX = u16(pic->scaleX + 32);
            pic->level = i16(pic->level - 4);
        }
        *counter += 1;
        if (*counter > 8) BtlResultStep = 99;
        break;
    case 99:
        BTL_SetState(20);
        BtlResultSurf = SPR_DelSurfDat2(BtlResultSurf);
        if (BtlResultSpr >= 0) {
            SPR_DelSpr(BtlResultSpr);
            BtlResultSpr = -1;
        }
        BtlResultStep = 0;
        break;
    default: break;
    }
    BTL_RenewSprAnim(0);
    return 0;
}

// ---- the debug overlay ----

namespace {

// Characters below 33 and bytes from 128 have no glyph: nothing is drawn, the pen still moves.
void DrawDebugText(i32 x, i32 y, const char* text) {
    plat::Surface* dst = SPR_GetSlotSurf(BtlDebugSurf);
    plat::Surface* glyphs = SPR_GetSlotSurf(BtlDebugGlyphSurf);
    for (int i = 0; text[i]; i++) {
        const u8 c = u8(text[i]);
        if (c < 33 || c >= 128 || !dst || !glyphs) continue;
        const RECT src = {8 * (c - 33), 0, 8 * (c - 33) + 8, 8};
        BLT_Copy(dst, x + 7 * i, y, glyphs, &src, 1);
    }
}

}  // namespace

void BTL_InitDebugInfo() {
    if (!SysDebugFlag) {
        BtlDebugSurf = -1;
        return;
    }
    BTL_TermDebugInfo();  // a battle built again without a release keeps one overlay
    size_t longest = 0;
    for (const BTL_DEBUG_ROW& row : BtlDebugRowTbl) longest = std::max(longest, std::strlen(row.label));
    BtlDebugLabelW = i32(8 * longest);
    BtlDebugGlyphSurf = SPR_LoadSurf(MakeFilePath("Bmp\\DebugEft.bmp"), 0);
    BtlDebugW = BtlDebugLabelW + 80;
    BtlDebugH = 80;
    BtlDebugSurf = SPR_CreateSurf(BtlDebugW, BtlDebugH, 0);
    BtlDebugSpr = BtlDebugSurf >= 0 ? SPR_GetFreeSpr() : -1;
    if (BtlDebugSpr >= 0 && !SPR_CreateTSpr(BtlDebugSpr, 1, 250, 400, BtlDebugSurf, nullptr)) BtlDebugSpr = -1;
    if (BtlDebugSurf < 0) return;
    SURF_Fill(SPR_GetSlotSurf(BtlDebugSurf), nullptr, 0);
    i32 y = 0;
    for (const BTL_DEBUG_ROW& row : BtlDebugRowTbl) {
        if (!row.enabled) continue;
        DrawDebugText(0, y, row.label);
        y += 8;
    }
    BTL_ShowDebugSpr(BtlDebugView);
}

int BTL_TermDebugInfo() {
    if (BtlDebugSurf < 0) return 0;
    BtlDebugGlyphSurf = SPR_DelSurfDat2(BtlDebugGlyphSurf);
    BtlDebugSurf = SPR_DelSurfDat2(BtlDebugSurf);
    if (BtlDebugSpr >= 0) {
        SPR_DelSpr(BtlDebugSpr);
        BtlDebugSpr = -1;
    }
    return 1;
}

void BTL_DrawDebugInfo() {
    if (BtlDebugSurf < 0) return;
    const RECT values = {BtlDebugLabelW, 0, BtlDebugW, BtlDebugH};
    SURF_Fill(SPR_GetSlotSurf(BtlDebugSurf), &values, 0);
    const int inUse = ObjLiveCnt + MapObjLiveCnt;
    const int counts[5] = {TamaLnchCnt, TamaShotCnt, EftCnt, PnlChipCnt, MapObjLiveCnt};
    i32 mx = 0, my = 0;
    INP_GetMouse(&mx, &my, nullptr);
    char text[64];
    i32 y = 0;
    for (int r = 0; r < BTL_DEBUG_ROW_MAX; r++) {
        if (!BtlDebugRowTbl[r].enabled) continue;
        switch (r) {
        case 0: std::snprintf(text, sizeof text, "%3d", int(GetFps())); break;
        case 1: std::snprintf(text, sizeof text, "(%3d:%3d)", int(mx), int(my)); break;
        case 2: std::snprintf(text, sizeof text, "%3d /%4d", inUse, OBJ_MAX); break;
        case 8: std::snprintf(text, sizeof text, "%3d /  10", int(GameData.cpuLevel)); break;
        case 9: std::snprintf(text, sizeof text, "%3d /   2", int(BtlLevelBonus)); break;
        default: std::snprintf(text, sizeof text, "%3d / %3d", counts[r - 3], inUse); break;
        }
        DrawDebugText(BtlDebugLabelW, y, text);
        y += 8;
    }
}
