// Mech action states and drivers: the pad, double-tap boosts, dashes, the boost's turn, landing,
// the blown-away poses, the down timeline, speeds, recovery frames, the shake and a whole scenario.
#include <sstream>

#include "battle/effect/eft.h"
#include "battle/data/waza_data.h"
#include "battle/map/mapcol.h"
#include "graphics/sprite/spr.h"
#include "meka_drive.h"
#include "screens/btl/btl.h"

namespace {

using Ints = std::vector<int>;

using test::MekaDrive;

constexpr u16 kUp = 1, kDown = 2, kLeft = 4, kRight = 8, kDash = 128;

class MekaAct : public MekaDrive {
protected:
    void SetUp() override {
        MekaDrive::SetUp();
        WriteWaz(test::kPlayerType, {Tech()});
        WriteWaz(test::kCpuType, {Tech()});
    }
    // Runs the handler of the mech's state as the driver would.
    static void Handle(LIST_DATA* obj, int* gravity = nullptr) {
        int g = 0;
        CurObj = obj;
        CurMeka = obj->meka;
        MekaActTbl[obj->meka->act](gravity ? gravity : &g);
    }
};

TEST_F(MekaAct, PadDirections) {
    const int table[16] = {-1, 4, 0, -1, 2, 3, 1, -1, 6, 5, 7, -1, -1, -1, -1, -1};
    for (int pad = 0; pad < 16; pad++) EXPECT_EQ(MEKA_PadToDir(pad), table[pad]) << "pad " << pad;
    EXPECT_EQ(MEKA_PadToDir(16 | 8), 6) << "buttons are not directions";

    MakePair();
    for (int i = 0; i < 3; i++) Frame(kUp | kDown);
    EXPECT_EQ(player_->meka->act, 0);
    EXPECT_EQ(PadHist[(PadHistIndex + MEKA_PAD_HIST_MAX - 1) % MEKA_PAD_HIST_MAX], -1);
    Frame(kRight);
    EXPECT_EQ(player_->meka->act, 1);
}

TEST_F(MekaAct, DoubleTapBoosts) {
    struct Case {
        std::vector<u16> keys;
        bool boost;
    };
    const Case cases[] = {
        {{kRight, 0, kRight}, true},
        {{kRight, kRight, 0, kRight}, true},
        {{kRight, 0, 0, 0, kRight}, true},
        {{kRight, 0, kLeft, 0, kRight}, false},
        {{kRight, kLeft, kRight}, false},
        {{kRight, 0, 0, 0, 0, kRight}, false},
    };
    for (const Case& c : cases) {
        MakePair();
        SysKey = KEY_DEVICE{};
        SysKey.source = KEY_SOURCE_KEYBOARD;
        for (u16 k : c.keys) Frame(k);
        EXPECT_EQ(player_->meka->act == 2, c.boost) << "after " << c.keys.size() << " reads";
        if (c.boost) {
            EXPECT_EQ(player_->meka->moveVx, 65535);
            EXPECT_EQ(SE_IsPlaying(13), 1);
        }
        SE_Stop(13);
        MEKA_Delete(0);
        MEKA_Delete(1);
    }
}

TEST_F(MekaAct, DashStopsWhenReleasedAndCoastsWhenHeld) {
    MakePair(400, 400, 900, 400);
    MEKA_WORK* m = player_->meka;
    m->dashSpeed = 12;
    m->dashTime = 10;
    Frame(kDash);
    Frame(kDash);
    EXPECT_EQ(m->act, 5);
    Frame(0);
    EXPECT_EQ(m->act, 0) << "released early: stands at once";
    EXPECT_EQ(SE_IsPlaying(15), 1);

    Frame(0);
    std::vector<int> speeds;
    for (int i = 0; i < 16 && (i == 0 || m->act == 5); i++) {
        Frame(i < 10 ? kDash : 0);
        speeds.push_back(m->moveSpeed);
    }
    EXPECT_EQ(speeds, (std::vector<int>{20, 16, 12, 12, 12, 12, 12, 12, 12, 5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(m->act, 0);
    EXPECT_GT(player_->x, 400) << "the dash runs at the target";
}

TEST_F(MekaAct, BoostTurnsThirtyDegreesAFrame) {
    MakePair();
    MEKA_WORK* m = player_->meka;
    player_->target = -1;
    MEKA_SetAct(player_, 2);
    m->actStep = 1;
    m->actCnt[0] = 5;
    m->moveVx = 65535;
    m->moveVy = 0;
    std::vector<int> headings;
    for (int i = 0; i < 7; i++) {
        Frame(kLeft);
        // As the next frame reads it: toward the point 32 vectors ahead.
        headings.push_back(MATH_GetAngle(0, 0, i32((i64(m->moveVx) * 32) >> 16), i32((i64(m->moveVy) * 32) >> 16)));
    }
    // The heading is read back through a 32-pixel point, so a step may lose a degree to rounding.
    const int ideal[] = {30, 60, 90, 120, 150, 180, 180};
    for (std::size_t i = 0; i < headings.size(); i++) EXPECT_NEAR(headings[i], ideal[i], 1) << "frame " << i;
    EXPECT_EQ(headings.back(), 180);
}

TEST_F(MekaAct, LandingSoundOnlyWhenComingDown) {
    struct Case {
        i32 z;
        i16 zSpeed;
        int gravity;
        i32 z2;
        int sound;
    };
    const Case cases[] = {{0, -5, 1, 0, 0}, {3, -5, 1, 0, 1}, {3, -5, 0, 0, 1}, {390, 20, 0, 400, 0}, {10, 4, 1, 14, 0}};
    MakePair();
    for (const Case& c : cases) {
        SE_Stop(34);
        CurObj = player_;
        player_->z = c.z;
        player_->zSpeed = c.zSpeed;
        player_->meka->subActCnt[3] = 0;
        MEKA_Move(c.gravity, 0);
        EXPECT_EQ(player_->z, c.z2) << "from " << c.z;
        EXPECT_EQ(SE_IsPlaying(34), c.sound) << "from " << c.z;
    }
}

TEST_F(MekaAct, BlownAwayPoses) {
    struct Case {
        u8 knockDown;
        i16 d;
        int pose;
    };
    const Case cases[] = {{0, 9, 0}, {0, 3, 1}, {0, 0, 2}, {0, -3, 3}, {0, -9, 7},
                          {1, 5, 0}, {1, 4, 1}, {1, 0, 2}, {1, -4, 3}, {1, -5, 4}};
    MakePair();
    for (const Case& c : cases) {
        MEKA_SetAct(cpu_, 7);
        cpu_->flagA = c.knockDown;
        cpu_->z = 200;
        cpu_->zSpeed = c.d;  // no air frames: the step is the z speed
        cpu_->meka->knockSpeed = 8;
        int g = 0;
        for (int i = 0; i < 10; i++) Handle(cpu_, &g);
        EXPECT_EQ(cpu_->meka->actCnt[1], c.pose) << "flag " << int(c.knockDown) << " d " << c.d;
        EXPECT_EQ(g, 1);
    }
    // Landing: with the flag it goes down, without it stands.
    cpu_->z = 0;
    Handle(cpu_);
    EXPECT_EQ(cpu_->meka->act, 8);
    EXPECT_EQ(cpu_->flagB, 100);
    MEKA_SetAct(cpu_, 7);
    cpu_->flagA = 0;
    cpu_->meka->actCnt[0] = 3;
    player_->meka->recovery = 0;
    Handle(cpu_);
    EXPECT_EQ(cpu_->meka->act, 0);
    EXPECT_EQ(cpu_->meka->endure, cpu_->meka->endureMax);
}

TEST_F(MekaAct, DownTimelineStandsUpOrDestroys) {
    MakePair();
    const i32 effectSet = EftSprGrpNo;
    EftSprGrpNo = SPR_GetSpr(cpu_->spr)->group;  // any loaded set lets the dust effect be made
    MEKA_SetAct(cpu_, 8);
    std::vector<std::pair<int, int>> changes;  // (frame, animation)
    int anime = cpu_->anime;
    int frame = 0;
    for (; frame < 30 && cpu_->meka->act == 8; frame++) {
        Frame(0);
        if (cpu_->anime != anime) changes.emplace_back(frame, anime = cpu_->anime);
    }
    EXPECT_EQ(changes, (std::vector<std::pair<int, int>>{{5, 4}, {10, 5}}));
    EXPECT_EQ(frame, 19);
    EXPECT_EQ(cpu_->meka->act, 0);
    EXPECT_EQ(cpu_->meka->actStep, 99);
    int dust = 0;
    for (int i = ObjActHead; i >= 0; i = ObjTbl[i]->next) {
        const LIST_DATA* o = ObjTbl[i];
        if (o->kind == OBJ_KIND_EFFECT && o->eft->type == 13 && o->owner == cpu_->index) dust++;
    }
    EXPECT_EQ(dust, 1);
    EftSprGrpNo = effectSet;

    // Without life bars the counter passes 18 and the driver destroys the mech.
    MEKA_SetAct(cpu_, 8);
    cpu_->meka->lifeBar = -1;
    for (frame = 0; frame < 30 && MekaSlotTbl[1]; frame++) Frame(0);
    EXPECT_EQ(frame, 19);
    EXPECT_EQ(FightOver, 1);
}

TEST_F(MekaAct, TechniqueShiftAndSlowSpeeds) {
    WAZA_DATA w = Tech(4, 0);
    w.moveShift = 40;
    WriteWaz(test::kPlayerType, {w});
    MakePair();
    MEKA_WORK* m = player_->meka;
    m->moveSpeed = 10;
    m->dashSpeed = 6;
    m->moveVx = 65535;
    Start(0);
    std::vector<int> speeds;
    for (int i = 0; i < 5; i++) {
        MEKA_SetFrameVelocity();
        speeds.push_back(player_->speed);
    }
    EXPECT_EQ(speeds, (std::vector<int>{6, 4, 2, 0, 0})) << "the floor runs out";

    // Speed 1 keeps its fraction: no pixel in the first frame, then one a frame.
    MEKA_SetSubAct(player_, 0);
    m->moveSpeed = 1;
    const i32 x0 = player_->x;
    std::vector<int> xs;
    for (int i = 0; i < 3; i++) {
        MEKA_SetFrameVelocity();
        MEKA_Move(0, 0);
        xs.push_back(player_->x - x0);
    }
    EXPECT_EQ(xs, (std::vector<int>{0, 1, 2}));
}

TEST_F(MekaAct, RecoveryGoesToIdleMechsNotAimingAtTheRecoveringOne) {
    MakePair();
    while (true) {
        LIST_DATA* filler = OBJ_Alloc(OBJ_KIND_CHIP);
        ASSERT_NE(filler, nullptr);
        if (filler->index == 36) break;
    }
    ASSERT_EQ(MEKA_Create(2, 1, MEKA_CTRL_CPU, test::kCpuType, 800, 400), 1);
    LIST_DATA* recovering = MekaSlotTbl[2];
    ASSERT_EQ(recovering->index, 37);
    player_->target = recovering->index;
    cpu_->target = player_->index;
    MEKA_SetAct(recovering, 6);
    recovering->meka->lastHit.reactTime = 1;
    recovering->meka->endure = 0;
    Handle(recovering);
    EXPECT_EQ((Ints{recovering->meka->act, recovering->meka->endure, cpu_->meka->recovery, player_->meka->recovery}),
              (Ints{0, recovering->meka->endureMax, 10, 0}));
}

TEST_F(MekaAct, ShakeKeepsTheFrameBlendWhileTheTechniqueRuns) {
    WAZA_DATA w = Tech(4, 0);
    w.motion[0].frame[0].attrIndex = 11;
    w.motion[0].frame[0].blendLevel = 16;
    WriteWaz(test::kPlayerType, {w});
    MakePair();
    Start(0);
    const SPR_DATA* spr = SPR_GetSpr(player_->spr);
    plat::SetRandSource([] { return 3; });
    struct Step {
        i8 timed;
        u8 phase;
        u32 attr;
        int level, level2;
    };
    MEKA_WORK* m = player_->meka;
    for (const Step& s : {Step{-1, 0, 64, 16, -999}, Step{1, 1, 65536, 2578, 0}, Step{1, 2, 64, 16, -999},
                          Step{4, 1, 65536, 2578, 18}}) {
        m->timedState = s.timed;
        m->shakePhase = s.phase;
        MEKA_RenewShake();
        EXPECT_EQ(spr->attr, s.attr) << "phase " << int(s.phase);
        EXPECT_EQ(spr->level, s.level) << "phase " << int(s.phase);
        if (s.level2 != -999) {
            EXPECT_EQ(spr->level2, s.level2);
        }
    }
    EXPECT_EQ(m->timedState, -1) << "state 4 ends";
    CurObj = player_;
    WAZA_End();
    MEKA_RenewShake();
    EXPECT_EQ(spr->attr, 0u);
}

TEST_F(MekaAct, CutInEntryClearsWhenTheTechniqueEnds) {
    WAZA_DATA w = Tech(4, 0);
    w.motion[0].cutIn = 1;
    WriteWaz(test::kPlayerType, {w});
    MakePair();
    Start(0);
    EXPECT_EQ(CutInTbl[0], 0);
    player_->meka->cutIn = 1;
    CurObj = player_;
    MEKA_RenewCutIn();
    EXPECT_EQ(CutInTbl[0], 0) << "still in its step";
    EXPECT_EQ(player_->meka->cutInCnt, 1);
    MEKA_SetSubAct(player_, 0);  // ended by a hit
    MEKA_RenewCutIn();
    EXPECT_EQ(CutInTbl[0], -1);
    EXPECT_EQ(player_->meka->cutIn, 0);
}

// ---- a scenario ----

TEST_F(MekaAct, ScenarioRunsTheSameTwice) {
    // Three steps: 0 hits, a hit jumps past step 1 to step 2.
    WAZA_DATA w = Tech(2, 3);
    for (int s = 0; s < 3; s++) w.stepTbl[s] = u8(s);
    w.cost = 20;
    w.costKind = 2;
    w.motion[0].frame[0].hitField = 1 << 2;
    w.branch[0] = {0, 2, 1, 0, 1};
    auto run = [&] {
        WriteWaz(test::kPlayerType, {w});
        SAVE_InitGameData();
        for (i16& e : GameData.equip) e = 0;
        BTL_SetState(0);
        BTL_SetState(0);
        SysKey = KEY_DEVICE{};
        SysKey.source = KEY_SOURCE_KEYBOARD;
        PadHistIndex = 0;
        plat::SRand(7);
        MakePair(400, 600, 520, 440);
        player_->meka->walkSpeed = 4;
        player_->meka->dashSpeed = 12;
        player_->meka->dashTime = 6;
        std::vector<u16> keys(8, kUp);
        keys.insert(keys.end(), 4, kDash);
        keys.insert(keys.end(), 3, 0);
        keys.push_back(16);
        keys.insert(keys.end(), 14, 0);
        std::ostringstream log;
        bool dashed = false, step1 = false, step2 = false;
        const i16 life = cpu_->meka->life;
        for (u16 k : keys) {
            Frame(k);
            const MEKA_WORK* m = player_->meka;
            dashed |= m->act == 5;
            step1 |= m->subAct != 0 && m->step == 1;
            step2 |= m->subAct != 0 && m->step == 2;
            log << m->act << ' ' << m->subAct << ' ' << int(m->step) << ' ' << int(m->frame) << ' ' << player_->x
                << ',' << player_->y << ' ' << m->gauge << ' ' << cpu_->meka->life << '\n';
        }
        EXPECT_TRUE(dashed);
        EXPECT_TRUE(step2 && !step1) << "the hit branches past step 1";
        EXPECT_LT(cpu_->meka->life, life);
        EXPECT_LT(player_->y, 600);
        MEKA_Delete(0);
        MEKA_Delete(1);
        OBJ_FreeAll();
        EXPECT_EQ(OBJ_Init(), 1);
        return log.str();
    };
    const std::string first = run();
    EXPECT_EQ(run(), first);
}

}  // namespace
