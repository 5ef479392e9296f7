// The technique engine: step traces (loops, branches, ground-only motions, runaway data), frame
// waits, launchers, blends and facing; the technique buttons, costs, experience and the history.
#include <cstdio>
#include <functional>
#include <sstream>

#include "battle/data/waza_data.h"
#include "battle/tama/tama.h"
#include "meka_drive.h"

namespace {

using Ints = std::vector<int>;

using test::MekaDrive;

class Waza : public MekaDrive {
protected:
    // Steps of the player's technique 0 after its start and after each sub-state frame, until it
    // ends or `frames` ran; `each` runs before every frame.
    std::string Trace(const WAZA_DATA& w, int frames, const std::function<void(int)>& each = {}, i32 z = 0) {
        WriteWaz(test::kPlayerType, {w});
        MakePair();
        player_->z = z;
        std::ostringstream out;
        Start(0);
        MEKA_WORK* m = player_->meka;
        for (int i = 0; i <= frames && m->subAct != 0; i++) {
            if (i > 0) {
                if (each) each(i);
                SubFrame(player_);
            }
            out << (m->subAct ? std::to_string(m->step) : "end") << ' ';
        }
        if (m->subAct) out << "running";
        return out.str();
    }
    static WAZA_DATA Steps(int count) {
        WAZA_DATA w = Tech();
        for (int s = 0; s < count; s++) w.stepTbl[s] = u8(s);
        return w;
    }
};

TEST_F(Waza, StepMachineTraces) {
    struct Case {
        const char* name;
        std::function<void(WAZA_DATA&)> edit;
        std::string trace;
        i32 z = 0;
    };
    const Case cases[] = {
        {"step entry 99 ends at once", [](WAZA_DATA& w) { w.stepTbl[1] = 99; }, "0 end "},
        {"loop 3 -> 2 twice", [](WAZA_DATA& w) { w.loop[0] = {3, 2, 2}; }, "0 1 2 3 2 3 2 3 4 end "},
        {"kind-0 end entry", [](WAZA_DATA& w) { w.branch[0] = {2, 4, 0, 0, 0}; }, "0 1 2 end "},
        {"kind-2 window 1 without hits", [](WAZA_DATA& w) { w.branch[0] = {1, 4, 2, 0, 1}; }, "0 1 4 end "},
        {"kind-2 window 0 never jumps", [](WAZA_DATA& w) { w.branch[0] = {1, 4, 2, 0, 0}; }, "0 1 2 3 4 end "},
        {"motion 16 ends", [](WAZA_DATA& w) { w.stepTbl[2] = 16; }, "0 1 end "},
        {"ground-only motion in the air", [](WAZA_DATA& w) { w.motion[1].stepFlags = 4; }, "0 2 3 4 end ", 30},
        {"ground-only motion on the ground", [](WAZA_DATA& w) { w.motion[1].stepFlags = 4; }, "0 1 2 3 4 end "},
    };
    for (const Case& c : cases) {
        WAZA_DATA w = Steps(5);
        c.edit(w);
        EXPECT_EQ(Trace(w, 20, {}, c.z), c.trace) << c.name;
        MEKA_Delete(0);
        MEKA_Delete(1);
    }
}

TEST_F(Waza, KindOneBranchJumpsOnTheSecondHitOfTheStep) {
    WAZA_DATA w = Steps(5);
    w.motion[1].mekaHitLimit = 5;
    w.motion[1].frame[0].waitMode = 4;  // the step waits for its hits
    w.branch[0] = {1, 4, 1, 0, 2};
    // A hit lands in frames 2 and 3 of step 1.
    EXPECT_EQ(Trace(w, 6, [this](int i) { if (i == 2 || i == 3) player_->meka->mekaHits--; }), "0 1 1 4 end ");
}

TEST_F(Waza, RunawayDataEndsTheTechnique) {
    // Step 3 with an empty frame 0 branches to itself for ever, within one call.
    WAZA_DATA self = Steps(4);
    self.motion[3].frame[0].wait = -1;
    self.branch[0] = {3, 3, 2, 0, 1};
    // The longest chain that does end: 31 empty steps, four of them repeated 255 times, then a frame.
    WAZA_DATA longest = Tech();
    for (int s = 0; s < 32; s++) longest.stepTbl[s] = u8(s < 31 ? 1 : 0);
    longest.motion[1].frame[0].wait = -1;
    for (int i = 0; i < 4; i++) longest.loop[i] = {u8(i), u8(i), 255};
    WriteWaz(test::kPlayerType, {self, longest});
    MakePair();
    test::DebugCapture debug;
    Start(0);
    for (int i = 0; i < 3; i++) SubFrame(player_);
    EXPECT_EQ(player_->meka->subAct, 0);
    EXPECT_EQ(player_->meka->stepMark, 1);
    EXPECT_TRUE(debug.Contains("steps without end"));

    debug.Clear();
    EXPECT_EQ(Start(1), 1);
    EXPECT_EQ(player_->meka->step, 31);
    EXPECT_EQ(player_->meka->subAct, 1);
    EXPECT_FALSE(debug.Contains("steps without end"));
}

TEST_F(Waza, FrameWaitsByMode) {
    struct Case {
        int mode, wait, anim;
        std::vector<int> waits;
        int sprWait, loop;
    };
    const Case cases[] = {
        {0, 10, 20, {5, 2}, 5, 0},     // (d + 1) v / sum - 1
        {0, 7, 21, {7}, 7, 0},         // one step: the value
        {0, 2, 22, {0, 0, 0, 0}, 1, 0},  // -1 is shown as 0
        {1, 50, 20, {1, 0}, 1, 0},     // percent
        {1, 100, 20, {3, 1}, 3, 0},    // 100 copies
        {2, 6, 20, {3, 1}, 3, 1},      // timer
        {3, 6, 20, {3, 1}, 3, 1},
        {4, 6, 20, {3, 1}, 3, 1},
        {7, 6, 20, {3, 1}, 3, 0},
    };
    for (const Case& c : cases) {
        WriteWaz(test::kPlayerType, {Tech(c.mode, c.wait, c.anim)});
        MakePair();
        Start(0);
        const MEKA_WORK* m = player_->meka;
        std::vector<int> waits(m->frameWait, m->frameWait + c.waits.size());
        EXPECT_EQ(waits, c.waits) << "mode " << c.mode << " value " << c.wait;
        EXPECT_EQ(SPR_GetSpr(player_->spr)->wait, c.sprWait) << "mode " << c.mode;
        EXPECT_EQ(SPR_GetSpr(player_->spr)->last, c.loop) << "mode " << c.mode;
        if (c.mode == 2) {
            EXPECT_EQ(m->frameTimer, 6);
        }
        MEKA_Delete(0);
        MEKA_Delete(1);
    }
}

TEST_F(Waza, WaitModesEndTheirFrames) {
    // Frames run in sub-state 1 (or 2) while the animation never ends; mode 3 lands after frame 4.
    struct Case {
        int mode, expected, subAct = 1;
    };
    const Case cases[] = {{0, 10}, {1, 10}, {2, 3}, {3, 5}, {4, 10}, {2, 1, 2}};  // sub-state 2 counts from 0
    for (auto [mode, expected, subAct] : cases) {
        WAZA_DATA w = Tech(mode, 2);
        w.motion[0].frame[1] = w.motion[0].frame[0];
        WriteWaz(test::kPlayerType, {w});
        MakePair();
        player_->z = mode == 3 ? 50 : 0;
        Start(0);
        MEKA_SetSubAct(player_, subAct);
        MEKA_WORK* m = player_->meka;
        int frames = 0;
        while (m->frame == 0 && frames < 10) {
            CurObj = player_;
            int g = 0;
            (subAct == 2 ? WAZA_RenewFrameEnd : WAZA_RenewFrame)(&g);  // the animation never ends here
            frames++;
            if (frames == 4) player_->z = 0;
        }
        EXPECT_EQ(frames, expected) << "wait mode " << mode;
        MEKA_Delete(0);
        MEKA_Delete(1);
    }
}

TEST_F(Waza, StartMaskFrameCallsTheLauncherAndHoldsSubStateTwo) {
    WAZA_DATA w = Steps(2);
    w.motion[0].fire.weapon = 3;
    w.motion[0].fire.startMask = 1;
    w.motion[0].frame[0].waitMode = 4;
    w.motion[1].fire.weapon = -1;
    w.motion[1].fire.startMask = 1;
    WriteWaz(test::kPlayerType, {w});
    MakePair();
    Start(0);
    LIST_DATA* lnch = OBJ_Get(player_->child);
    ASSERT_TRUE(lnch && lnch->kind == OBJ_KIND_LAUNCHER);
    EXPECT_EQ(lnch->lnch->fire->weapon, 3);
    EXPECT_EQ(player_->meka->subAct, 2);
    // Mode 4 waits for the launcher: weapon 3 is not loaded, so it ends on its first update.
    CurObj = lnch;
    TAMA_RenewLauncher();
    EXPECT_EQ(player_->child, -999);
    SubFrame(player_);
    EXPECT_EQ(player_->meka->step, 1);
    EXPECT_EQ(player_->meka->subAct, 1);
    EXPECT_EQ(player_->child, -999) << "no weapon, no launcher";
}

TEST_F(Waza, AddedRecordHitsAtFullScale) {
    WriteWaz(test::kPlayerType, {Tech()});
    MakePair();
    ASSERT_EQ(WAZA_AddData(test::kPlayerType), 1);
    WAZA_DATA* added = WAZA_GetData(test::kPlayerType, 1);
    added->motion[0].frame[0].wait = 5;
    added->motion[0].frame[0].hitField = 1 << 2;
    added->motion[0].frame[0].attrIndex = 11;
    // A new record allows no mech hits (limit 0) for the hit detection.
    added->motion[0].mekaHitLimit = 255;
    const i16 life = cpu_->meka->life;
    Start(1);
    CurObj = player_;
    int g = 0;
    WAZA_RenewFrame(&g);
    const SPR_DATA* spr = SPR_GetSpr(player_->spr);
    EXPECT_EQ((Ints{spr->scaleX, spr->scaleY, int(spr->attr), spr->level}), (Ints{256, 256, 64, 0}));
    EXPECT_LT(cpu_->meka->life, life);
    EXPECT_EQ(player_->meka->wazaHitCnt, 1);
}

TEST_F(Waza, FrameZeroTurnsTwiceUnlessTheMotionFaces) {
    // The CPU mech stands to the right: sector 6.
    for (int mode : {0, 3}) {
        WAZA_DATA w = Tech();
        w.motion[0].frame[0].turn = 2;
        w.motion[0].facingMode = u8(mode);
        WriteWaz(test::kPlayerType, {w});
        MakePair();
        player_->dir = 1;
        Start(0);
        EXPECT_EQ(player_->dir, mode == 0 ? 5 : 0) << "facing mode " << mode;
        EXPECT_EQ(SPR_GetSpr(player_->spr)->pageOffset, player_->dir);
        MEKA_Delete(0);
        MEKA_Delete(1);
    }
}

// ---- the technique buttons ----

TEST_F(Waza, TriggerPicksTheFirstFreeRowOfTheColumn) {
    std::vector<WAZA_DATA> records(36, Tech());
    for (WAZA_DATA& w : records) w.cost = 10;
    WriteWaz(test::kPlayerType, records);
    for (int i = 0; i < 12; i++) GameData.equip[i] = i16(3 * i);
    MakePair();
    MEKA_WORK* m = player_->meka;
    m->slotFlag[1] = 1;  // (row 0, column 1) used in this chain
    PNL_CreateSlotPanel(0, 0);
    const plat::Surface* slotPanel = SPR_GetSlotSurf(PnlHud.slotSurf);
    const u16 mark = test::Pixel16(SPR_GetSlotSurf(PnlPartsSurf), 76 + 6, 200);
    ASSERT_NE(test::Pixel16(slotPanel, 45 + 12, 29 + 12), mark);
    Key(32);
    CurObj = player_;
    CurMeka = m;
    EXPECT_EQ(WAZA_CheckTrigger(0), 1);
    EXPECT_EQ(m->waza, 3 * 4);  // row 1, column 1, level 0
    EXPECT_EQ(test::Pixel16(slotPanel, 45 + 12, 29 + 12), mark);  // kind 1 at row 1, column 1
    EXPECT_EQ(m->slotFlag[4], 1);

    // Rows 1 to 3 used too: refused with the beep.
    m->slotFlag[7] = m->slotFlag[10] = 1;
    m->stepMark = 1;
    Key(0);
    Frame(32);
    EXPECT_EQ(SE_IsPlaying(4), 1);
    EXPECT_EQ(m->waza, 12);
}

TEST_F(Waza, TriggerRefusals) {
    WAZA_DATA ground = Tech();
    ground.airFlag = 0;
    WriteWaz(test::kPlayerType, {ground});
    MakePair();
    MEKA_WORK* m = player_->meka;
    CurObj = player_;
    CurMeka = m;
    Key(16);
    player_->z = 10;
    EXPECT_EQ(WAZA_CheckTrigger(0), -1) << "air flag 0 in the air";
    player_->z = 0;
    GameData.equip[0] = 30;  // no such technique
    EXPECT_EQ((Ints{WAZA_CheckTrigger(0), WAZA_Start(player_, 30), WAZA_Start(player_, -1), m->subAct}),
              (Ints{-1, 0, 0, 0}));

    // Without a ".waz" file the type has no techniques at all.
    MEKA_Delete(0);
    std::remove((dir_.path() + "/Dat/player.waz").c_str());
    ASSERT_EQ(WAZA_GetCount(test::kPlayerType), 0);
    MakePair();
    CurObj = player_;
    CurMeka = player_->meka;
    GameData.equip[0] = 0;
    EXPECT_EQ(WAZA_CheckTrigger(0), -1);
    EXPECT_EQ(player_->meka->subAct, 0);
}

TEST_F(Waza, CostsAndExperience) {
    std::vector<WAZA_DATA> records(3, Tech());
    records[0].cost = 99;
    records[0].costKind = 2;
    records[0].expBase = 100;
    records[1].cost = 200;
    records[1].costKind = 2;
    records[2].expBase = 100;
    WriteWaz(test::kPlayerType, records);
    WriteWaz(test::kCpuType, records);
    MakePair();
    GameData.exp[0].mastery = 100;
    EXPECT_EQ(WAZA_GetCost(0, 0), 33);
    EXPECT_EQ(WAZA_GetCost(0, 1), 100);
    GameData.exp[0].mastery = 0;
    EXPECT_EQ(WAZA_GetCost(0, 1), 130);
    EXPECT_EQ(WAZA_GetBaseCost(0, 1), 200);
    EXPECT_EQ(WAZA_GetCost(1, 1), 130) << "a CPU pays at most 130";

    // Gain = (base / 2 - penalty) × ((history count - 1) × 10 + 100) / 100, read after the append.
    // Technique 2 costs nothing and leaves the count at 0; technique 0 appends first.
    struct Case {
        int n, before, penalty, gain;
    };
    const Case cases[] = {{2, 0, 0, 45}, {0, 0, 0, 50}, {0, 2, 0, 60}, {0, 0, 48, 2}, {0, 0, 49, 1}, {0, 0, 60, 1}};
    for (const Case& c : cases) {
        MEKA_WORK* m = player_->meka;
        m->histCnt = u8(c.before);
        GameData.exp[0] = WAZA_EXP{};
        GameData.exp[0].penalty = i16(c.penalty);
        Start(c.n);
        EXPECT_EQ(GameData.exp[0].exp, c.gain) << "technique " << c.n << " count " << c.before << " penalty " << c.penalty;
        EXPECT_EQ(GameData.exp[0].penalty, c.penalty + 10);
        EXPECT_EQ(GameData.exp[0].useCnt, 1);
    }
    GameData.exp[0].exp = 32760;
    GameData.exp[0].penalty = 0;
    player_->meka->histCnt = 0;
    Start(0);
    EXPECT_EQ(GameData.exp[0].exp, 32767) << "saturates";
}

TEST_F(Waza, FullGaugeBlocksTheChain) {
    std::vector<WAZA_DATA> records(6, Tech());
    for (WAZA_DATA& w : records) w.cost = 65, w.costKind = 2, w.motion[0].stepMarker = 1;
    WriteWaz(test::kPlayerType, records);
    for (i16& e : GameData.equip) e = 0;
    MakePair();
    MEKA_WORK* m = player_->meka;
    CurObj = player_;
    CurMeka = m;
    Key(16);
    EXPECT_EQ(WAZA_CheckTrigger(0), 1);
    Key(0);
    Key(32);
    EXPECT_EQ(WAZA_CheckTrigger(0), 1);
    EXPECT_EQ(m->gauge, 130);
    Key(0);
    Key(64);
    EXPECT_EQ(WAZA_CheckTrigger(0), 0);
    m->gauge = 129;
    EXPECT_EQ(WAZA_CheckTrigger(0), 1);
}

TEST_F(Waza, HitLimitCountsEachUseAfresh) {
    WAZA_DATA w = Tech(4, 0);
    w.hitLimit = 3;
    w.motion[0].hitCount = 0;  // 64 checks a frame
    w.motion[0].frame[0].hitField = 1 << 2;
    WriteWaz(test::kPlayerType, {w});
    MakePair();
    cpu_->meka->lifeBar = 30;
    for (int use = 0; use < 2; use++) {
        const i16 life = cpu_->meka->life;
        Start(0);
        for (int i = 0; i < 3; i++) SubFrame(player_);
        EXPECT_EQ(player_->meka->wazaHitCnt, 3) << "use " << use;
        EXPECT_LT(cpu_->meka->life, life) << "use " << use;
    }
}

TEST_F(Waza, HistoryKeepsItsFirst25) {
    WAZA_DATA w = Tech();
    w.cost = 1;
    w.costKind = 2;
    WriteWaz(test::kPlayerType, {w});
    MakePair();
    for (int i = 0; i < 30; i++) Start(0);
    EXPECT_EQ(player_->meka->histCnt, MEKA_HIST_MAX);
    EXPECT_EQ(player_->meka->repeat, MEKA_HIST_MAX);
}

}  // namespace
