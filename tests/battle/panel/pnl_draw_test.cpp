// A battle frame with two HUD panels after scripted damage, chips and a refill, effects over the
// stage, the slot panel, the hit-count popup and the target marker, drawn through the battle
// renderer: every pixel of the strip rows shows the front-most strip's colour band.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "battle/battle.h"
#include "battle/data/meka_type.h"
#include "battle/map/cam.h"
#include "battle/map/map.h"
#include "battle/map/scr.h"
#include "battle/meka/hit.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "battle/panel/pnl.h"
#include "graphics/display/disp.h"
#include "graphics/sprite/spr.h"
#include "platform/random.h"
#include "screens/btl/btl.h"
#include "screens/save/save.h"
#include "shell/sys.h"
#include "test_support.h"
#include "tests/battle/battle_env.h"
#include "tests/battle/map/map_stage.h"
#include "tools/writers/meka_set_writer.h"

namespace {

constexpr i32 kCamX = 480, kCamY = 320;

// The colour the strip row of a panel must show at screen x: the front-most strip covering it
// (lower priority in front: A 35, B 36, life 37, under 38), read from the parts bitmap; -1 where
// none covers it.
int StripColour(const PNL_DATA& p, int x) {
    const plat::Surface* parts = SPR_GetSlotSurf(PnlPartsSurf);
    for (const PNL_STRIP* s : {&p.damageA, &p.damageB, &p.life, &p.under}) {
        const int w = s->src.right - s->src.left;
        if (w <= 0 || s->src.bottom <= s->src.top || x < s->x || x >= s->x + w) continue;
        return test::Pixel16(parts, s->src.left + x - s->x, s->src.top + 2);
    }
    return -1;
}

using PnlDraw = test::BattleEnv;

TEST_F(PnlDraw, PanelsOverABattleFrameShowTheirStrips) {
    DISP_SetClipRect(0, 0, 640, 480);
    SAVE_InitGameData();
    SYS_SetSeq(4);
    plat::SRand(11);
    ScrQuake = ScrQuakeOfs = 0;  // a still frame
    ScrQuakeCnt = 0;
    for (int type : {0, 1}) ASSERT_TRUE(tools::SaveSimpleMekaSet(dir_.path(), MekaNameTbl[type]));
    test::WriteStage(dir_, 9, 0, 'L', {test::RandomMap(60, 45, 21, 6, 40), test::OddCsp()});
    MAP_Open(9, 0, 0);
    ASSERT_EQ(MAP_IsOpen(), 1);
    CAM_Setup(CAM_MODE_FIXED, nullptr, nullptr);
    CAM_SetPos(kCamX, kCamY);
    SCR_Redraw(kCamX, kCamY);

    ASSERT_EQ(MEKA_Create(0, 0, MEKA_CTRL_PLAYER, 0, 470, 336), 1);
    ASSERT_EQ(MEKA_Create(1, 1, MEKA_CTRL_CPU, 1, 560, 420), 1);
    LIST_DATA* player = MekaSlotTbl[0];
    LIST_DATA* enemy = MekaSlotTbl[1];
    for (LIST_DATA* m : {player, enemy}) {
        m->meka->lifeBar = m->meka->lifeBarMax = 2;
        m->meka->life = MEKA_LIFE_UNITS;
    }
    player->meka->gauge = 80;
    enemy->meka->gauge = 35;
    PNL_InitAll();

    // The player: a 60-pixel hit, a chip, then 20 pixels back. The enemy: a hit, then one that empties
    // its bar (two trails), a chip for each, and a few frames of catch-up.
    auto hit = [](LIST_DATA* m, int damage) {
        HIT_SubLife(m, m, damage);
        PNL_SetDamageWait(m->mekaNo, 0);  // the trail starts catching up at once
    };
    hit(player, 960);
    PNL_AddLife(player, 320, 2);
    hit(enemy, 1600);
    hit(enemy, 800);
    for (int i = 0; i < 6; ++i) PNL_RenewDamageBar(1);
    PNL_SetGaugeRect(0, 1);
    PNL_RenewGauge(player);
    PNL_RenewGauge(enemy);

    PNL_CreateSlotPanel(552, 8);
    PNL_SetSlotMark(0, 0, 0);
    PNL_SetSlotMark(2, 1, 1);
    PNL_CreateCountPopup();
    player->meka->hitCnt = 12;
    PNL_SetCountPopup();
    PNL_RenewCountPopup();
    PNL_CreateMarker();
    PNL_RenewMarker(player, enemy);

    for (int type : {0, 7, 18, 20, 23}) EFT_Create(type, nullptr, 430 + type * 8, 380 - type * 2, 30);

    BTL_SetState(5);
    BTL_SetState(5);
    const RECT all{0, 0, 640, 480};
    SURF_Fill(DispBackBuffer, &all, 0);
    EXPECT_EQ(BTL_Draw(), 1);
    i32 w = 0, h = 0;
    std::vector<u16> screen = test::ReadSurface(DispBackBuffer, &w, &h);
    ASSERT_EQ(w, 640);
    // The chips add their colour over the trail they came from.
    const std::size_t chipAt = std::size_t(PnlTbl[0].y + 19) * 640 + std::size_t(PnlTbl[0].x + 57 + 75);
    EXPECT_NE(screen[chipAt], StripColour(PnlTbl[0], PnlTbl[0].x + 57 + 75));

    // Once the chips are gone (17 frames) the strips show alone.
    const OBJ_RENEW_FUNC funcs[OBJ_KIND_COUNT] = {nullptr, nullptr, nullptr, nullptr, PNL_RenewChip, nullptr};
    for (int frame = 0; frame < 17; ++frame) OBJ_RenewAll(funcs);
    EXPECT_EQ(PnlChipCnt, 0);
    SURF_Fill(DispBackBuffer, &all, 0);
    EXPECT_EQ(BTL_Draw(), 1);
    screen = test::ReadSurface(DispBackBuffer, &w, &h);

    // Both panels' strip rows, left to right over the whole bar, and the gauge strips.
    for (int slot : {0, 1}) {
        const PNL_DATA& p = PnlTbl[slot];
        int checked = 0;
        for (int x = p.x + 57; x < p.x + 187; ++x) {
            const int want = StripColour(p, x);
            if (want < 0) continue;
            EXPECT_EQ(screen[std::size_t(p.y + 19) * 640 + std::size_t(x)], want) << "panel " << slot << " x " << x;
            checked++;
        }
        EXPECT_GT(checked, 100) << slot;
        const plat::Surface* parts = SPR_GetSlotSurf(PnlPartsSurf);
        EXPECT_EQ(screen[std::size_t(p.y + 29) * 640 + std::size_t(p.x + 58)], test::Pixel16(parts, 1, p.gauge.src.top + 2));
    }
    // The player's bar: 90 px of band 3 (two bars left), then the trail.
    EXPECT_EQ(PnlTbl[0].life.src.left, 40);
    EXPECT_EQ(PnlTbl[0].damageA.x, 4 + 57 + 90);

    MAP_Close();
    BTL_SetState(0);
}

}  // namespace
