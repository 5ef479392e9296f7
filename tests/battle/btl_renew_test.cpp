// The battle frame steps over the real pool, mechs, effects and HUD: which kinds each step updates,
// the round end, the hit-stop counts, the fight-start banner and the technique cut-in.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "battle/btl_draw.h"
#include "battle/effect/eft.h"
#include "battle/panel/pnl.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "screens/btl/btl.h"
#include "shell/sys.h"
#include "tests/battle/meka/meka_drive.h"

namespace {

using Ints = std::vector<int>;

using test::MekaDrive;

class BtlRenew : public MekaDrive {
protected:
    void SetUp() override {
        MekaDrive::SetUp();
        BtlState = BtlPrevState = 5;
        BtlPhaseCnt = 0;
        HitSlowCnt = HitStopCnt = 0;
        HitMarkSlot = -1;
        BtlSkipFlag = 0;
        MakePair();
    }
    void TearDown() override {
        BTL_ReleaseStartBanner();
        if (ScreenWorkSpr >= 0) SPR_DelSpr(ScreenWorkSpr);
        if (ScreenWorkSurf >= 0) SPR_DelSurfDat(ScreenWorkSurf);
        ScreenWorkSpr = ScreenWorkSurf = -1;
        EftSprGrpNo = -1;
        MekaDrive::TearDown();
    }
    // An effect marked to die: the first EFT_Renew that reaches it deletes it.
    int DoomedEffect(int viewFlag = 1, int running = 1) {
        EftSprGrpNo = SPR_GetSpr(player_->spr)->group;
        const int i = EFT_Create(0, nullptr, 100, 100, 0);
        EXPECT_GE(i, 0);
        if (i < 0) return -1;
        LIST_DATA* e = ObjTbl[i];
        e->eft->kill = 1;
        SPR_GetSpr(e->spr)->view = u8(viewFlag);
        SPR_GetSpr(e->spr)->running = u8(running);
        return i;
    }
    static bool Alive(int i) { return OBJ_Get(i) != nullptr; }
    void MakeWorkSurface() {
        ScreenWorkSurf = SPR_CreateSurf(640, 480, 0);
        ASSERT_GE(ScreenWorkSurf, 0);
        ScreenWorkSpr = SPR_GetFreeSpr();
        ASSERT_EQ(SPR_CreateTSpr(ScreenWorkSpr, 160, 0, 0, ScreenWorkSurf, nullptr), 1);
        SPR_SetTSprView(ScreenWorkSpr, 0);
    }
};

TEST_F(BtlRenew, EffectsRunInTheStepsThatUpdateThem) {
    struct Case {
        const char* step;
        int state;
        i32 cnt;
        bool runs;
    };
    const Case cases[] = {
        {"play", 5, 0, true},         {"start", 4, 30, true},         {"hit-stop", 6, 0, true},
        {"knock-back c=0", 7, 0, true}, {"knock-back c=2", 7, 2, false}, {"script", 8, 0, true},
    };
    for (const Case& c : cases) {
        const int e = DoomedEffect();
        BtlState = c.state;
        BtlPhaseCnt = c.cnt;
        HitStopCnt = 5;
        switch (c.state) {
            case 4: BTL_RenewStart(&BtlPhaseCnt); break;
            case 5: BTL_Renew(); break;
            case 6: BTL_RenewHitStop(&BtlPhaseCnt); break;
            case 7: BTL_RenewHitStop2(&BtlPhaseCnt); break;
            case 8: BTL_RenewScript(); break;
        }
        EXPECT_EQ(!Alive(e), c.runs) << c.step;
        if (Alive(e)) EFT_Delete(ObjTbl[e]);
    }
}

TEST_F(BtlRenew, CutInStepsOnlyVisibleAnimatingEffects) {
    CutInTbl[0] = 99;  // the player runs no technique: its cut-in ends in the first cut-in frame
    const int shown = DoomedEffect(1, 1), hidden = DoomedEffect(0, 1), still = DoomedEffect(1, 0);
    BtlState = 9;
    BTL_RenewCutIn();
    EXPECT_FALSE(Alive(shown));
    EXPECT_TRUE(Alive(hidden));
    EXPECT_TRUE(Alive(still));
}

TEST_F(BtlRenew, RoundEndWonRefillsThenResetsThePlayerForTheNextWave) {
    MEKA_Delete(1);
    MEKA_WORK* m = player_->meka;
    m->life = 100;
    m->lifeBar = 1;
    const int e = DoomedEffect(0, 0);
    ObjTbl[e]->eft->kill = 0;
    ObjTbl[e]->level = 99;  // never reached by the walk: only the round end removes it
    SE_Play(3, 1);
    FightOver = 1;
    int frames = 0;
    while (BtlState == 5 && frames < 60) {
        BTL_Renew();
        frames++;
    }
    EXPECT_EQ((Ints{frames, BtlState, m->life, m->lifeBar}), (Ints{39, 17, 100 + 39 * 16, 1}));
    EXPECT_FALSE(Alive(e));
    EXPECT_EQ((Ints{SE_IsPlaying(3), BtlSkipFlag, m->act}), (Ints{0, 1, 0}));
    EXPECT_EQ(MekaSlotTbl[0], player_);
}

TEST_F(BtlRenew, RoundEndLostResetsTheOthersAndDropsTheirPanels) {
    MEKA_Delete(0);
    cpu_->meka->act = 8;
    FightOver = 1;
    int frames = 0;
    while (BtlState == 5 && frames < 60) {
        BTL_Renew();
        frames++;
    }
    EXPECT_EQ(frames, 39);
    EXPECT_EQ(BtlState, 19);
    EXPECT_EQ(cpu_->meka->act, 0);
    EXPECT_EQ((Ints{PnlTbl[1].use, PnlHud.popupSpr, PnlHud.markerSpr, BtlSkipFlag}), (Ints{0, -1, -1, 1}));
}

TEST_F(BtlRenew, HitStopRunsSlowThenStopFrames) {
    // An ownerless sprite on a long wait counts it down in every animation pass, mechs or not.
    const int s = SPR_GetFreeSpr();
    ASSERT_EQ(SPR_CreateSpr(s, 128, 0, 0, SPR_GetSpr(player_->spr)->group, 0), 1);
    ASSERT_EQ(SPR_SetSeq(s, 21, 1, 1), 1);
    struct Case {
        int slow, stop, frames;
        std::vector<int> animFrames;
    };
    for (const Case& c : {Case{3, 2, 5, {4, 5}}, Case{0, 0, 1, {1}}}) {
        BtlState = 6;
        BtlPhaseCnt = 0;
        HitSlowCnt = i16(c.slow);
        HitStopCnt = i16(c.stop);
        std::vector<int> anim;
        int frame = 0;
        while (BtlState == 6 && frame < 20) {
            SPR_GetSpr(s)->wait = 50;
            EXPECT_EQ(BTL_RenewHitStop(&BtlPhaseCnt), 1);
            frame++;
            if (SPR_GetSpr(s)->wait != 50) anim.push_back(frame);
        }
        EXPECT_EQ((Ints{frame, BtlState, BtlPhaseCnt}), (Ints{c.frames, 5, 0})) << c.slow;
        EXPECT_EQ(anim, c.animFrames) << c.slow;
    }
    BtlState = 7;
    HitMarkSlot = 1;
    EXPECT_EQ(BTL_RenewHitStop2(&BtlPhaseCnt), 0);
    EXPECT_EQ(HitMarkSlot, -1);
    EXPECT_EQ(BtlState, 5);
    SPR_DelSpr(s);
}

TEST_F(BtlRenew, FightStartSlidesAndDropsTheBanner) {
    const int group = SPR_GetSpr(player_->spr)->group;
    for (i32& s : BtlStartBanner.spr) {
        s = SPR_GetFreeSpr();
        ASSERT_EQ(SPR_CreateSpr(s, 30, 0, 0, group, 0), 1);
    }
    struct Check {
        i32 afterC;
        int spr;
        bool y;
        int value;
    };
    const Check checks[] = {{4, 0, false, -560}, {4, 1, false, 440},   {5, 0, false, -540},  {5, 1, false, 420},
                            {6, 0, false, -578}, {6, 1, false, 458},   {14, 0, false, -562}, {14, 1, false, 442},
                            {19, 0, false, 38},  {19, 1, false, -208}, {19, 2, true, -480},  {20, 2, true, -500},
                            {29, 2, true, -478}};
    BtlState = 4;
    int frames = 0;
    std::vector<int> se31, se42;
    while (BtlState == 4 && frames < 60) {
        const i32 c = BtlPhaseCnt;
        BTL_RenewStart(&BtlPhaseCnt);
        frames++;
        if (SE_IsPlaying(31)) se31.push_back(c);
        if (SE_IsPlaying(42)) se42.push_back(c);
        SE_Stop(31);
        SE_Stop(42);
        for (const Check& k : checks) {
            if (k.afterC != c) continue;
            const SPR_HEAD* h = SPR_GetAnySpr(BtlStartBanner.spr[k.spr]);
            ASSERT_NE(h, nullptr);
            EXPECT_EQ(k.y ? h->y : h->x, k.value) << "c=" << c << " sprite " << k.spr;
        }
    }
    EXPECT_EQ(frames, 41);
    EXPECT_EQ(BtlState, 5);
    EXPECT_EQ(se31, std::vector<int>{5});
    EXPECT_EQ(se42, std::vector<int>{20});
    for (i32 s : BtlStartBanner.spr) EXPECT_EQ(s, -1);
}

TEST_F(BtlRenew, FightStartWithoutABannerSkipsIt) {
    BtlState = 4;
    for (int i = 0; i < 41; i++) EXPECT_EQ(BTL_RenewStart(&BtlPhaseCnt), 1);
    EXPECT_EQ(BtlState, 5);
}

TEST_F(BtlRenew, CutInStartsOnlyForALiveEntryOutsideTheCutIn) {
    MakeWorkSurface();
    EXPECT_EQ(BTL_StartCutIn(), 0);  // both entries clear
    CutInTbl[1] = 3;
    BtlState = 9;
    EXPECT_EQ(BTL_StartCutIn(), 0);
    BtlState = 5;
    MEKA_Delete(1);
    EXPECT_EQ(BTL_StartCutIn(), 0);  // the entry's mech is gone: the entry goes, nothing starts
    EXPECT_EQ(CutInTbl[1], -1);
}

TEST_F(BtlRenew, CutInShowsOnlyItsMechOverTheSnapshotAndEndsWithTheTechnique) {
    MakeWorkSurface();
    const int effect = DoomedEffect(1, 1);
    ObjTbl[effect]->eft->kill = 0;
    ObjTbl[effect]->level = 99;
    ASSERT_EQ(PNL_Create(1, 1, 440, 436), 1);
    const int chip = PNL_CreateChip(cpu_, 50, 40);
    ASSERT_GE(chip, 0);
    CutInTbl[1] = 3;
    ASSERT_EQ(BTL_StartCutIn(), 1);
    EXPECT_EQ(BtlState, 9);
    EXPECT_EQ(BtlPrevState, 5);
    EXPECT_TRUE(SE_IsPlaying(35));
    EXPECT_EQ((Ints{SPR_GetSpr(cpu_->spr)->view, SPR_GetSpr(player_->spr)->view, SPR_GetSpr(ObjTbl[effect]->spr)->view,
                    SPR_GetTSpr(ScreenWorkSpr)->view, SPR_GetTSpr(ObjTbl[chip]->spr)->view}),
              (Ints{1, 0, 0, 1, 1}));

    // The snapshot was taken and tinted: the empty work surface reads the tint's colour.
    plat::Surface* work = SPR_GetSlotSurf(ScreenWorkSurf);
    plat::SurfaceDesc d{};
    ASSERT_EQ(SURF_Lock(work, &d), 0);
    const u16 ground = static_cast<const u16*>(d.pixels)[5 * (d.pitch / 2) + 5];
    SURF_Unlock(work);
    EXPECT_NE(ground, 0);

    // The CPU mech runs no technique: its entry ends in the first cut-in frame and play comes back.
    // The chip aged a frame under the cut-in.
    EXPECT_EQ((Ints{BTL_RenewCutIn(), CutInTbl[1], BtlState, SPR_GetSpr(player_->spr)->view,
                    SPR_GetSpr(ObjTbl[effect]->spr)->view, SPR_GetTSpr(ScreenWorkSpr)->view, ObjTbl[chip]->zSpeed}),
              (Ints{0, -1, 5, 1, 1, 0, 1}));
}

TEST_F(BtlRenew, ScriptStepWaitsWhileTheBattleScriptIsOff) {
    BtlState = 8;
    for (int i = 0; i < 5; i++) EXPECT_EQ(BTL_RenewScript(), 0);
}

TEST_F(BtlRenew, StateAndBattleType) {
    BtlState = BtlPrevState = 0;
    BTL_SetState(3);
    EXPECT_EQ(BTL_SetState(4), 0);
    EXPECT_EQ(BTL_GetState(0), 4);
    EXPECT_EQ(BTL_GetState(1), 3);
    for (auto [type, result] : {std::array{0, 0}, {1, 1}, {3, 1}, {4, 0}}) {
        BtlBattleType = i16(type);
        EXPECT_EQ(BTL_CheckBattleType(), result) << type;
    }
}

}  // namespace
