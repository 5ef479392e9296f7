// The battle HUD: panel stacks, the strips through damage, bar carries, the trail catch-up and
// refills, gauge chips, the slot panel, the hit-count popup, the target marker, the script scene and
// releases that run twice.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "battle/data/meka_type.h"
#include "battle/meka/hit.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "battle/panel/pnl.h"
#include "graphics/sprite/spr.h"
#include "platform/random.h"
#include "screens/save/save.h"
#include "shell/sys.h"
#include "test_support.h"
#include "tests/battle/battle_env.h"
#include "tools/writers/meka_set_writer.h"

namespace {

using Ints = std::vector<int>;

// A strip as the tests compare it: x, y, left, right, top row.
using Strip = std::array<int, 5>;
Strip S(const PNL_STRIP& s) { return {s.x, s.y, s.src.left, s.src.right, s.src.top}; }

class Pnl : public test::BattleEnv {
protected:
    void SetUp() override {
        for (int type : {0, 1}) ASSERT_TRUE(tools::SaveSimpleMekaSet(dir_.path(), MekaNameTbl[type]));
        BattleEnv::SetUp();
        SAVE_InitGameData();
        SYS_SetSeq(4);
        plat::SRand(3);
        PnlChipCnt = 0;
    }
    // A mech in the slot with its panel at (4, 436) (team 0) and the bars and units given.
    static LIST_DATA* Mech(int slot, int bars, int units, int team = 0) {
        EXPECT_EQ(MEKA_Create(slot, team, slot == 0 ? MEKA_CTRL_PLAYER : MEKA_CTRL_CPU, slot % 2, 300, 200), 1);
        LIST_DATA* m = MekaSlotTbl[slot];
        m->meka->lifeBar = i16(bars);
        m->meka->lifeBarMax = i16(bars);
        m->meka->life = i16(units);
        EXPECT_EQ(PNL_Create(slot, slot % 2, 4, 436), 1);
        return m;
    }
    // A hit through the damage code: the carry on the mech, then the panel and its chips.
    static void Hit(LIST_DATA* m, int damage) { HIT_SubLife(m, m, damage); }
};

TEST_F(Pnl, PanelsStackPerSideAndStartFull) {
    const int teams[] = {0, 1, 2, 0, 1};
    for (int slot = 0; slot < 5; ++slot) {
        ASSERT_EQ(MEKA_Create(slot, teams[slot], slot ? MEKA_CTRL_CPU : MEKA_CTRL_PLAYER, slot % 2, 300, 200), 1);
        MekaSlotTbl[slot]->meka->lifeBar = i16(slot);
        MekaSlotTbl[slot]->meka->gauge = 40;
    }
    PNL_InitAll();
    const std::array<int, 2> at[] = {{4, 436}, {440, 436}, {440, 392}, {4, 392}, {440, 348}};
    for (int slot = 0; slot < 5; ++slot) {
        const PNL_DATA& p = PnlTbl[slot];
        ASSERT_EQ(p.use, 1) << slot;
        EXPECT_EQ((std::array<int, 2>{p.x, p.y}), at[slot]) << slot;
        const int x = p.x + 57, y = p.y + 17;
        EXPECT_EQ(S(p.life), (Strip{x, y, 0, 130, (slot + 1) * 5})) << slot;
        EXPECT_EQ(S(p.under), (Strip{x + 130, y, 130, 130, slot * 5})) << slot;
        EXPECT_EQ(p.under.src.bottom - p.under.src.top, slot ? 5 : 0) << slot;  // no bar below: empty
        EXPECT_EQ(S(p.damageA), (Strip{x + 130, y, 130, 130, 45})) << slot;
        EXPECT_EQ(S(p.damageB), (Strip{x + 130, y, 130, 130, 50})) << slot;
        EXPECT_EQ(S(p.gauge), (Strip{x, p.y + 27, 0, 40, 55})) << slot;
        const TSPR_DATA* life = SPR_GetTSpr(p.life.spr);
        EXPECT_EQ((Ints{life->x, life->drawW, int(SPR_GetTSpr(p.overSpr)->attr), SPR_GetTSpr(p.overSpr)->level}),
                  (Ints{x, 130, 4, 16}));
    }
    EXPECT_EQ(PnlTbl[5].use, 0);
}

TEST_F(Pnl, TheScriptSceneLeavesThePanelsAlone) {
    LIST_DATA* m = Mech(0, 1, 2080);
    PNL_SetGaugeRect(0, 1);
    m->meka->gauge = 90;
    PnlTbl[0].highlight = 8;
    const PNL_DATA before = PnlTbl[0];
    SYS_SetSeq(5);
    PNL_ResetGauge(0);
    PNL_Show(0, 0);
    PNL_SetPos(0, 100, 100);
    PNL_SetGaugeRect(0, 0);
    PNL_RenewGauge(m);
    PNL_Renew();
    const PNL_DATA& p = PnlTbl[0];
    for (auto [a, b] : {std::array<Strip, 2>{S(p.life), S(before.life)}, {S(p.gauge), S(before.gauge)}}) EXPECT_EQ(a, b);
    EXPECT_EQ(p.x, 4);
    EXPECT_EQ(p.highlight, 8);
    EXPECT_EQ(SPR_GetTSpr(p.bgSpr)->view, 1);
    // In play the same calls act.
    SYS_SetSeq(4);
    PNL_SetPos(0, 100, 100);
    PNL_SetGaugeRect(0, 0);
    PNL_RenewGauge(m);
    PNL_Renew();
    PNL_Show(0, 0);
    EXPECT_EQ(S(p.gauge), (Strip{157, 127, 0, 90, 55}));
    EXPECT_EQ(S(p.life), (Strip{157, 117, 0, 130, 10}));
    EXPECT_EQ(p.highlight, 0);
    EXPECT_EQ(SPR_GetTSpr(p.overSpr)->src.top, 80);
    PNL_Renew();
    EXPECT_EQ(SPR_GetTSpr(p.overSpr)->src.top, 40);
    EXPECT_EQ(SPR_GetTSpr(p.bgSpr)->view, 0);
    // Slots outside 0..9 or without a panel do nothing.
    for (int slot : {-1, 3, 10}) {
        PNL_Show(slot, 1);
        PNL_SetDamageWait(slot, 5);
        PNL_RenewDamageBar(slot);
        PNL_Delete(slot);
    }
}

TEST_F(Pnl, DamageEdgeCases) {
    LIST_DATA* m = Mech(0, 2, 1000);
    const PNL_DATA& p = PnlTbl[0];
    // Less than a pixel: nothing moves, no highlight.
    PNL_ResetGauge(0);
    ASSERT_EQ(p.life.src.left, 0);
    const PNL_DATA before = p;
    PNL_SetDamageGauge(m, 62, 62, 995, 2);
    EXPECT_EQ(S(p.life), S(before.life));
    EXPECT_EQ(p.highlight, 0);

    // Step 1 within a bar: life shortens, under strip and trail A cover the lost 10 px.
    Hit(m, 160);
    EXPECT_EQ(S(p.life), (Strip{61, 453, 10, 130, 15}));
    EXPECT_EQ(S(p.under), (Strip{181, 453, 120, 130, 10}));
    EXPECT_EQ(S(p.damageA), (Strip{181, 453, 120, 130, 45}));
    EXPECT_EQ(p.highlight, 8);

    // The last bar emptied (bars -1) follows step 1: no colour change, no second trail.
    m->meka->lifeBar = 0;
    m->meka->life = 100;
    PNL_ResetGauge(0);
    Hit(m, 200);
    EXPECT_EQ((Ints{m->meka->lifeBar, p.twoTrail, p.life.src.top, p.life.src.left}), (Ints{-1, 0, 5, 6}));

    // A hit of several bars: the overflow clamps to one bar, no strip turns inside out.
    m->meka->lifeBar = 3;
    m->meka->life = 480;
    PNL_ResetGauge(0);
    Hit(m, 480 + 2080 * 2 + 100);
    for (const PNL_STRIP* s : {&p.life, &p.under, &p.damageA, &p.damageB}) {
        EXPECT_GE(s->src.right - s->src.left, 0);
        EXPECT_LE(s->src.right - s->src.left, 130);
        EXPECT_GE(s->src.left, 0);
    }
    EXPECT_EQ(S(p.life), (Strip{61, 453, 130, 130, 5}));  // bar count 0 after the hit
    EXPECT_EQ(S(p.damageB), (Strip{61, 453, 0, 130, 50}));

    // Chips: one pixel from column 128; an overflow above 130 makes one more chip of at most 130.
    const int one = PNL_CreateChip(m, 50, 49);
    const TSPR_DATA* c = SPR_GetTSpr(OBJ_Get(one)->spr);
    EXPECT_EQ((Ints{c->src.left, c->src.right, c->x, PNL_CreateChip(m, 30, 30)}), (Ints{128, 129, 4 + 49 + 57, -999}));
    PnlChipCnt = 0;
    m->meka->lifeBar = 0;
    const int big = PNL_CreateChip(m, 30, -400);
    EXPECT_GE(big, 0);
    EXPECT_EQ(PnlChipCnt, 2);
    const TSPR_DATA* second = SPR_GetTSpr(OBJ_Get(ObjActTail)->spr);
    EXPECT_EQ(second->src.left, 0);
    EXPECT_EQ(second->src.right, 130);
}

TEST_F(Pnl, ScriptedDamageCarriesAndRefills) {
    LIST_DATA* m = Mech(1, 2, 2080);
    PNL_DATA& p = PnlTbl[1];
    const int x = 61, y = 453;
    Hit(m, 1600);  // 130 → 30 px
    EXPECT_EQ(S(p.life), (Strip{x, y, 100, 130, 15}));
    EXPECT_EQ(S(p.damageA), (Strip{x + 30, y, 30, 130, 45}));
    // 30 px left, 50 px lost: the bar empties, 20 px of the next one go; two trails.
    Hit(m, 800);
    EXPECT_EQ(m->meka->lifeBar, 1);
    EXPECT_EQ(m->meka->life, 1760);
    EXPECT_EQ(p.twoTrail, 1);
    EXPECT_EQ(S(p.life), (Strip{x, y, 20, 130, 10}));
    EXPECT_EQ(S(p.under), (Strip{x + 110, y, 110, 130, 5}));
    EXPECT_EQ(S(p.damageA), (Strip{x, y, 0, 130, 45}));
    EXPECT_EQ(S(p.damageB), (Strip{x + 110, y, 110, 130, 50}));
    // A third hit while two trails run grows B.
    Hit(m, 160);
    EXPECT_EQ(S(p.damageB), (Strip{x + 100, y, 100, 130, 50}));
    EXPECT_EQ(S(p.life), (Strip{x, y, 30, 130, 10}));

    // The catch-up: A (130) runs out first, then takes B's place and the flag clears.
    PNL_SetDamageWait(1, 20);
    for (int i = 0; i < 19; ++i) PNL_RenewDamageBar(1);
    EXPECT_EQ(p.damageA.src.left, 0);
    int frames = 0;
    while (p.twoTrail && frames < 100) {
        PNL_RenewDamageBar(1);
        frames++;
    }
    EXPECT_EQ(S(p.damageA), (Strip{x + 100, y, 100, 130, 45}));
    EXPECT_EQ(p.damageB.src.left, p.damageB.src.right);

    // A refill within the same pixel only adds units; one past the bar's end carries a bar.
    m->meka->life = 1600;
    PNL_AddLife(m, 5, 3);
    EXPECT_EQ(m->meka->life, 1605);
    EXPECT_EQ(S(p.life), (Strip{x, y, 30, 130, 10}));
    PNL_AddLife(m, 2000, 3);
    EXPECT_EQ(m->meka->lifeBar, 2);
    EXPECT_EQ(m->meka->life, 1525);
    EXPECT_EQ(S(p.life), (Strip{x, y, 130 - 95, 130, 15}));
    EXPECT_EQ(S(p.under), (Strip{x + 95, y, 95, 130, 10}));
    EXPECT_EQ(p.damageA.x, x + 95);
    // At the maximum a refill past 2080 stops there.
    PNL_AddLife(m, 3000, 2);
    EXPECT_EQ(m->meka->lifeBar, 2);
    EXPECT_EQ(m->meka->life, 2080);
    EXPECT_EQ(S(p.life), (Strip{x, y, 0, 130, 15}));
    EXPECT_EQ(S(p.under), (Strip{x + 130, y, 130, 130, 10}));
}

TEST_F(Pnl, TheTrailShrinksByAnEighthAndAtLeastThree) {
    LIST_DATA* m = Mech(0, 1, 2080);
    Hit(m, 40 * 16);
    const PNL_DATA& p = PnlTbl[0];
    PNL_SetDamageWait(0, 2);
    PNL_RenewDamageBar(0);
    EXPECT_EQ(p.damageA.src.right - p.damageA.src.left, 40);
    std::vector<int> steps;
    for (int w = 40; w > 0;) {
        PNL_RenewDamageBar(0);
        const int now = p.damageA.src.right - p.damageA.src.left;
        steps.push_back(w - now);
        w = now;
    }
    EXPECT_EQ(steps, (std::vector<int>{5, 4, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 1}));
    // Long after, the wait does not wrap round into a new pause.
    for (int i = 0; i < 300; ++i) PNL_RenewDamageBar(0);
    EXPECT_EQ(p.damageWait, 0);
}

TEST_F(Pnl, ChipsShakeLessMoveDownTheColourRowsAndLiveSeventeenFrames) {
    LIST_DATA* m = Mech(0, 1, 2080);
    const int index = PNL_CreateChip(m, 100, 80);
    LIST_DATA* chip = OBJ_Get(index);
    ASSERT_NE(chip, nullptr);
    EXPECT_EQ(chip->kind, OBJ_KIND_CHIP);
    EXPECT_EQ(chip->owner, m->index);
    const TSPR_DATA* s = SPR_GetTSpr(chip->spr);
    EXPECT_EQ(s->priority, 34);
    EXPECT_EQ(s->attr, 8u);
    EXPECT_EQ(s->src.left, 110);
    const int base = s->y;
    EXPECT_EQ(base, 453);
    std::vector<int> rows, spread;
    int frames = 0;
    while (chip->use && frames < 30) {
        Walk();
        frames++;
        if (chip->use) {
            rows.push_back(s->src.top);
            spread.push_back(chip->dir);
            EXPECT_LE(std::abs(s->y - base), 3);
        }
    }
    EXPECT_EQ(frames, 17);
    EXPECT_EQ(rows, (std::vector<int>{65, 65, 65, 65, 65, 65, 65, 65, 65, 65, 65, 70, 75, 80, 85, 90}));
    EXPECT_EQ(spread, (std::vector<int>{3, 2, 2, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(PnlChipCnt, 0);
    // The world's part of the sprite table full: no chip (the rest is kept for the menus).
    std::vector<int> held;
    for (int f; (f = SPR_GetFreeWorldSpr()) >= 0; held.push_back(f)) SPR_CreateFSpr(f, 0, nullptr);
    EXPECT_EQ(PNL_CreateChip(m, 100, 80), -999);
    for (int f : held) SPR_DelSpr(f);
}

TEST_F(Pnl, SlotMarksAndTheirClearing) {
    PNL_CreateSlotPanel(540, 10);
    const plat::Surface* slot = SPR_GetSlotSurf(PnlHud.slotSurf);
    const plat::Surface* parts = SPR_GetSlotSurf(PnlPartsSurf);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(SPR_GetTSpr(PnlHud.slotSpr)->priority, 39);
    EXPECT_EQ(test::Pixel16(slot, 0, 0), test::Pixel16(parts, 76, 124));
    PNL_SetSlotMark(2, 1, 2);
    EXPECT_EQ(test::Pixel16(slot, 45 + 24, 29 + 12), test::Pixel16(parts, 76 + 12, 200));
    EXPECT_EQ(test::Pixel16(slot, 45 + 24 + 5, 29 + 12 + 2), test::Pixel16(parts, 76 + 17, 202));
    PNL_ClearSlotMark();
    EXPECT_EQ(test::Pixel16(slot, 45 + 24, 29 + 12), test::Pixel16(parts, 121 + 24, 153 + 12));
}

TEST_F(Pnl, TheCountPopupShowsTwoOrMoreHitsForThirtyFrames) {
    LIST_DATA* m = Mech(0, 1, 2080);
    SPR_SetSprPos(m->spr, 300, 250);
    PNL_CreateCountPopup();
    const TSPR_DATA* s = SPR_GetTSpr(PnlHud.popupSpr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->view, 0);
    EXPECT_EQ(s->priority, 41);
    m->meka->hitCnt = 1;
    PNL_SetCountPopup();
    EXPECT_EQ(PnlHud.popupTime, 0);
    m->meka->hitCnt = 2;
    PNL_SetCountPopup();
    EXPECT_EQ(PnlHud.popupTime, 30);
    EXPECT_EQ(s->view, 1);
    int shown = 0;
    for (int frame = 0; frame < 40; ++frame) {
        if (frame == 10) PNL_SetCountPopup();  // the same count does not restart the time
        PNL_RenewCountPopup();
        shown += s->view;
        if (frame == 0) {
            EXPECT_EQ(s->x, 200);
            EXPECT_EQ(s->y, 190);
        }
    }
    EXPECT_EQ(shown, 29);
    EXPECT_EQ(PnlHud.popupCount, -1);
    // The digits land in the left 40 columns; the next change shows it again.
    m->meka->hitCnt = 3;
    PNL_SetCountPopup();
    EXPECT_EQ(PnlHud.popupCount, 3);
    EXPECT_EQ(PnlHud.popupTime, 30);
}

TEST_F(Pnl, TheMarkerSwitchesPicturesAtTenThousandAndOne) {
    PNL_CreateMarker();
    const SPR_DATA* s = SPR_GetSpr(PnlHud.markerSpr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->step, 116);
    EXPECT_EQ(s->last, 1);
    EXPECT_EQ(s->priority, 41);
    LIST_DATA* from = Mech(0, 1, 2080);
    LIST_DATA* to = Mech(1, 1, 2080);
    SPR_SetSprPos(to->spr, 320, 240);
    SPR_GetSpr(to->spr)->height = 10;
    from->x = 0;
    from->y = 0;
    struct Step {
        int x, y, seq;
    };
    // 100² = 10000 stays near, 10001 goes far, 10000 comes back.
    for (const Step& st : {Step{100, 0, 116}, Step{100, 1, 117}, Step{60, 81, 117}, Step{100, 0, 116}}) {
        to->x = st.x;
        to->y = st.y;
        PNL_RenewMarker(from, to);
        EXPECT_EQ(s->step, st.seq) << st.x << "," << st.y;
    }
    EXPECT_EQ(s->x, 320);
    EXPECT_EQ(s->height, 42);
    EXPECT_EQ(s->view, 1);
    PNL_RenewMarker(from, nullptr);
    EXPECT_EQ(s->view, 0);
    PNL_CreateMarker();  // one marker only
    EXPECT_EQ(SPR_GetSpr(PnlHud.markerSpr), s);
}

TEST_F(Pnl, ReleasesRunTwiceDropOneUseOnly) {
    // Another screen holds the same bitmaps by stem.
    const int parts = SPR_LoadSurf("Bmp\\Parts.bmp", 0);
    ASSERT_EQ(parts, PnlPartsSurf);
    const int icons = PnlIconSurf;
    ASSERT_EQ(SurfTbl[parts].useCount, 2);
    Mech(0, 1, 2080);
    PNL_CreateSlotPanel(0, 0);
    PNL_CreateCountPopup();
    PNL_CreateMarker();
    for (int twice = 0; twice < 2; ++twice) {
        PNL_Delete(0);
        PNL_DeleteSlotPanel();
        PNL_DeleteCountPopup();
        PNL_DeleteMarker();
        PNL_Term();
        EFT_Term();
        EXPECT_EQ((Ints{SurfTbl[parts].useCount, SurfTbl[icons].useCount, PnlPartsSurf, PnlHud.slotSurf,
                        PnlHud.markerSpr}),
                  (Ints{1, 0, -1, -1, -1})) << twice;
    }
    SPR_DelSurfDat(parts);
}

}  // namespace
