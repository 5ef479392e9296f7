// Battle-script commands on the real battle code: queues and their limits, the scripted walk, boost and
// dash, direction and technique steps, interruptions, the count the script waits on, and the commands
// read from an assembled script.
#include "battle/map/cam.h"
#include "battle/map/scr.h"
#include "battle/tama/tama.h"
#include "bsc_env.h"
#include "tests/battle/effect/eft_probe.h"

namespace {

using test::Bsc;

TEST_F(Bsc, QueueLimitsAndRefusals) {
    MakePair();
    for (int i = 0; i < BSC_STEP_MAX; i++) {
        ASSERT_EQ(mBSC_Chr_Mov_Set(0, 400 + i, 400, 1, i % 3, -999), 0);
        EXPECT_EQ(BscQueueTbl[0].step[i].mode, i % 3 * 2) << "facing modes 1 and 2 are stored as 2 and 4";
    }
    EXPECT_EQ(mBSC_Chr_Mov_Set(0, 1, 1, 1, 0, -999), -1);
    EXPECT_EQ(mBSC_Chr_Dir_Set(0, 1, 1), -1);
    EXPECT_EQ(BscQueueTbl[0].step[23].x, 423);

    EXPECT_EQ(mBSC_Chr_Waza_Set(1, 1, 7, 3), 0);  // an empty queue: a turn first
    const BSC_QUEUE& q = BscQueueTbl[1];
    EXPECT_EQ(q.step[0].kind, BSC_KIND_DIR);
    EXPECT_EQ(q.step[0].mode, cpu_->dir);
    EXPECT_EQ(q.step[0].wait, 0);
    EXPECT_EQ(q.step[1].kind, BSC_KIND_WAZA);
    EXPECT_EQ(q.step[1].code, 1 * 3 + 2);
    EXPECT_FALSE(q.step[2].used);
    EXPECT_EQ(mBSC_Chr_Dir_Set(1, 12, 0), 0);
    EXPECT_EQ(q.step[2].mode, 7);
    EXPECT_EQ(mBSC_Chr_Dir_Set(1, -5, 0), 0);
    EXPECT_EQ(q.step[3].mode, -1);

    // Empty or unknown slots and codes outside the action table queue nothing.
    for (auto [slot, code] : {std::pair{-1, 1}, {10, 1}, {5, 1}, {1, 9}, {1, -1}})
        EXPECT_EQ(mBSC_Chr_Mov_Set(slot, 0, 0, code, 0, 0), -1) << slot << " " << code;
    for (int slot : {-1, 5, 10}) {
        EXPECT_EQ(mBSC_Chr_Dir_Set(slot, 0, 0), -1);
        EXPECT_EQ(mBSC_Chr_Waza_Set(slot, 0, 0, 0), -1);
    }
    EXPECT_FALSE(BscQueueTbl[1].step[4].used);
    EXPECT_EQ(mBSC_GetActCount(), -1);  // off until started
}

TEST_F(Bsc, WalkBoostAndDashArriveOnTheirPoints) {
    struct Case {
        int code;
        int firstAnim;
        int firstSe;
        int frames;  // the walk pauses on its footfalls; the dash slows over its first three frames
    };
    for (const Case& c : {Case{1, 7, -1, 79}, Case{2, 11, 13, 20}, Case{5, 11, 53, 25}}) {
        MakePair(400, 400, 400, 800);
        player_->meka->walkSpeed = 4;
        player_->meka->boostSpeed = 8;
        player_->meka->dashSpeed = 6;
        player_->meka->dashTime = 30;
        ASSERT_EQ(mBSC_Chr_Mov_Set(0, 561, 400, c.code, 0, -999), 0);
        EXPECT_EQ(player_->meka->act, c.code);
        mBSC_Chr_Start_All();
        EXPECT_EQ(BscActCnt, 1);
        Frame();
        EXPECT_EQ(player_->anime, c.firstAnim) << c.code;
        if (c.firstSe >= 0) {
            EXPECT_EQ(SE_IsPlaying(c.firstSe), 1) << c.code;
        }
        EXPECT_GT(player_->x, 400);
        // Every frame's animation has ended, so the walk steps through its footfalls.
        int frames = 0;
        for (; frames < 400 && mBSC_GetActCount() != 0; frames++) {
            if (SPR_DATA* spr = SPR_GetSpr(player_->spr)) spr->running = 0;
            Frame();
        }
        EXPECT_EQ(frames, c.frames) << c.code;
        EXPECT_EQ(player_->x, 561) << c.code;
        EXPECT_EQ(player_->x16, 561 << 16);
        EXPECT_EQ(player_->y, 400);
        EXPECT_EQ(player_->meka->act, 0);
        if (c.code == 1) {
            EXPECT_EQ(player_->dir, 6) << "faces along the walk";
        }
        EXPECT_EQ(SE_IsPlaying(14), 0);
        mBSC_Clear();
        MEKA_Delete(0);
        MEKA_Delete(1);
    }
    // A boost into a second boost goes on at its speed, without a second start-up.
    MakePair(400, 400, 400, 800);
    ASSERT_EQ(mBSC_Chr_Mov_Set(0, 480, 400, 2, 0, 12), 0);
    ASSERT_EQ(mBSC_Chr_Mov_Set(0, 561, 400, 2, 0, -999), 0);
    mBSC_Chr_Start_All();
    for (int f = 0; f < 20 && BscQueueTbl[0].cur == 0; f++) Frame();
    Frame();
    EXPECT_EQ(player_->meka->moveSpeed, 12);
    EXPECT_EQ(SE_IsPlaying(13), 0);
}

TEST_F(Bsc, DashToTheComputedPoint) {
    struct Case {
        bool target;
        i32 cx, cy;
        int dir;
        i32 ex, ey;
    };
    // 5 × 10 = 50 pixels toward the target, or along the facing (direction 2 is left).
    for (const Case& c : {Case{true, 400, 700, 0, 400, 450}, Case{false, 900, 900, 2, 350, 400}}) {
        MakePair(400, 400, c.cx, c.cy);
        if (!c.target) player_->target = -1;
        player_->dir = i8(c.dir);
        player_->meka->dashSpeed = 5;
        player_->meka->dashTime = 10;
        ASSERT_EQ(mBSC_Chr_Mov_Set(0, BSC_AUTO, 400, 5, 0, -999), 0);
        mBSC_Chr_Start_All();
        EXPECT_NEAR(BscQueueTbl[0].step[0].x, c.ex, 1);
        EXPECT_NEAR(BscQueueTbl[0].step[0].y, c.ey, 1);
        EXPECT_GT(RunOut(), 0);
        mBSC_Clear();
        MEKA_Delete(0);
        MEKA_Delete(1);
    }
}

TEST_F(Bsc, DirectionStepFollowsTheTargetAndTechniqueRuns) {
    MakePair(400, 400, 500, 400);
    ASSERT_EQ(mBSC_Chr_Dir_Set(0, -1, 4), 0);
    ASSERT_EQ(mBSC_Chr_Waza_Set(0, 0, 1, 2), 0);
    mBSC_Chr_Start_All();
    const std::pair<i32, i32> spots[] = {{400, 500}, {300, 400}, {400, 300}, {500, 500}};
    for (auto [x, y] : spots) {
        MEKA_SetX(cpu_, x);
        MEKA_SetY(cpu_, y);
        Frame();
        EXPECT_EQ(player_->dir, MATH_GetSector(45, 400, 400, x, y)) << x << "," << y;
    }
    Frame();  // the wait runs out: the technique starts
    EXPECT_EQ(BscQueueTbl[0].cur, 1);
    EXPECT_EQ(player_->meka->waza, 0 * 3 + 1);
    EXPECT_GT(RunOut(), 0);
    EXPECT_EQ(BscQueueTbl[0].step[1].kind, BSC_KIND_SPENT);
}

TEST_F(Bsc, AHitInterruptsAWalkWhichThenResumes) {
    MakePair(400, 400, 400, 800);
    ASSERT_EQ(mBSC_Chr_Mov_Set(0, 600, 400, 1, 0, 4), 0);
    mBSC_Chr_Start_All();
    for (int i = 0; i < 5; i++) Frame();
    player_->meka->lastHit.reactTime = 6;
    MEKA_SetAct(player_, 6);
    mBSC_Chr_Interrupt(0, BSC_INTERRUPTED);
    mBSC_Chr_Interrupt(0, BSC_INTERRUPTED);  // nested: nothing changes
    EXPECT_EQ(BscQueueTbl[0].saved, 0);
    EXPECT_EQ(BscActCnt, 2);
    const i32 x = player_->x;
    Frame();
    EXPECT_EQ(BscQueueTbl[0].cur, BSC_INTERRUPTED);
    for (int f = 0; f < 10 && BscQueueTbl[0].cur == BSC_INTERRUPTED; f++) Frame();
    EXPECT_EQ(BscQueueTbl[0].cur, 0);
    EXPECT_EQ(BscActCnt, 1);
    EXPECT_EQ(player_->meka->act, 1);
    EXPECT_GT(RunOut(), 0);
    EXPECT_EQ(player_->x, 600);
    EXPECT_GT(player_->x, x);
}

TEST_F(Bsc, QueuesThatWouldNeverEndStillEnd) {
    // A speed of 0 places the mech at once.
    MakePair(400, 400, 400, 800);
    ASSERT_EQ(mBSC_Chr_Mov_Set(0, 700, 420, 1, 0, 0), 0);
    mBSC_Chr_Start_All();
    EXPECT_EQ(RunOut(2), 1);
    EXPECT_EQ(player_->x, 700);
    mBSC_Clear();

    // A walk into a mech standing on its point gives up after its stalled frames, where it stands.
    MEKA_SetX(cpu_, 800);
    MEKA_SetY(cpu_, 420);
    ASSERT_EQ(mBSC_Chr_Mov_Set(0, 800, 420, 1, 0, 4), 0);
    mBSC_Chr_Start_All();
    EXPECT_GT(RunOut(), BSC_STALL_FRAMES);
    EXPECT_LT(player_->x, 800);
    mBSC_Clear();

    // A dash that brakes short of its point is over all the same.
    player_->meka->dashSpeed = 3;
    player_->meka->dashTime = 4;
    MEKA_SetX(player_, 100);
    ASSERT_EQ(mBSC_Chr_Mov_Set(0, 1000, 420, 5, 0, -999), 0);
    mBSC_Chr_Start_All();
    EXPECT_GT(RunOut(), 0);
    EXPECT_LT(player_->x, 1000);
    EXPECT_EQ(player_->meka->act, 0);
}

TEST_F(Bsc, TheCountKeepsEachQueuesShare) {
    MakePair(400, 400, 400, 800);
    ASSERT_EQ(mBSC_Chr_Mov_Set(0, 600, 400, 1, 0, 2), 0);
    ASSERT_EQ(mBSC_Chr_Mov_Set(1, 600, 800, 1, 0, 2), 0);
    mBSC_Chr_Start_All();
    EXPECT_EQ(BscActCnt, 2);
    Script("bsc 15 1\ncall return 5");
    Loop();
    EXPECT_EQ(BscActCnt, 1) << "a deleted mech's queue goes with its share";
    EXPECT_EQ(MEKA_GetSlot(1), nullptr);
    EXPECT_GT(RunOut(), 0);

    // Hit after its queue ended, with the script off: the hit still plays out and the count returns.
    mBSC_Clear();
    MEKA_SetAct(player_, 6);
    mBSC_Chr_Interrupt(0, BSC_INTERRUPTED);
    Frame();
    MEKA_SetAct(player_, 0);
    Frame();
    EXPECT_EQ(BscQueueTbl[0].cur, -1);
    EXPECT_EQ(BscActCnt, 0);
    mBSC_Chr_Start_All();
    EXPECT_EQ(mBSC_GetActCount(), 0);
}

TEST_F(Bsc, ShotsAndTheCameraHoldTheCount) {
    MakePair();
    mBSC_Chr_Start_All();
    EXPECT_EQ(mBSC_GetActCount(), 0);
    TamaShotCnt = 1;
    EXPECT_EQ(mBSC_GetActCount(), 999);
    TamaShotCnt = 0;
    ScrRangeRect = RECT{0, 0, 1280, 960};
    map_.viewW = 640;
    map_.viewH = 480;
    CAM_SetPos(320, 240);
    mBSC_Cam_Point_Set(600, 400);
    // A camera of speed 0 never moves, so it holds nothing.
    EXPECT_EQ(mBSC_GetActCount(), 0);
    mBSC_Cam_Step_Set(1, 16);
    EXPECT_EQ(mBSC_GetActCount(), 999);
    CAM_SetPos(600, 400);
    EXPECT_EQ(mBSC_GetActCount(), 0);
}

TEST_F(Bsc, CameraCommands) {
    ScrRangeRect = RECT{0, 0, 1280, 960};
    map_.viewW = 640;
    map_.viewH = 400;
    struct Case {
        int x, y, ex, ey;
    };
    for (const Case& c : {Case{0, 0, 320, 240}, Case{5000, 5000, 960, 800}, Case{700, 500, 700, 500}}) {
        mBSC_Cam_Point_Set(c.x, c.y);
        EXPECT_EQ(CamData.mode, CAM_MODE_POINT);
        EXPECT_EQ(CamData.fixX, c.ex);
        EXPECT_EQ(CamData.fixY, c.ey);
    }
    const CAM_DATA before = CamData;
    mBSC_Cam_Speed_Set(120, 80);
    EXPECT_EQ(CamData.limitX, 120);
    EXPECT_EQ(CamData.limitY, 80);
    EXPECT_EQ(CamData.mode, before.mode);
    EXPECT_EQ(CamData.speed, before.speed);
    mBSC_Cam_Step_Set(3, 12);
    EXPECT_EQ(CamData.ramp, 0);
    EXPECT_EQ(CamData.rampStep, 3);
    EXPECT_EQ(CamData.speed, 12);
    MakePair();
    mBSC_Cam_Chase_Set(0, 1);
    EXPECT_EQ(CamData.obj, player_->index);
    EXPECT_EQ(CamData.obj2, cpu_->index);
    mBSC_Cam_Chase_Set(1, 7);
    EXPECT_EQ(CamData.obj2, -1);
}

TEST_F(Bsc, ScriptCommands) {
    Script(
        "bsc 13 0, 300, 300\nbsc 14 1, 500, 300, 1\nbsc 14 12, 1, 1, 1\nbsc 20 1, 520, 330, 9\n"
        "bsc 20 0, 310, 320, 6\nbsc 19 11, 0, 0\nbsc 21 7\ncall #152\nbsc 1\ncall return 5");
    for (i16& e : GameData.equip) e = 4;
    EXPECT_EQ(Loop(), 0);  // command 1 ends the frame
    ASSERT_NE(MEKA_GetSlot(0), nullptr);
    ASSERT_NE(MEKA_GetSlot(1), nullptr);
    EXPECT_EQ(MEKA_GetSlot(1)->meka->ctrl, MEKA_CTRL_CPU);
    EXPECT_EQ(MEKA_GetSlot(1)->team, 1);
    EXPECT_EQ(MEKA_GetSlot(1)->x, 520);
    EXPECT_EQ(MEKA_GetSlot(0)->x16, 310 << 16);
    EXPECT_EQ(MEKA_GetSlot(0)->dir, 6);
    EXPECT_EQ(BscMode, 1);
    for (i16 e : GameData.equip) EXPECT_EQ(e, 5);  // level 7 taken as 2

    Script("bsc 15 -1\ncall return 5");
    Loop();
    for (int s = 0; s < MEKA_SLOT_MAX; s++) EXPECT_EQ(MEKA_GetSlot(s), nullptr) << s;
}

TEST_F(Bsc, BombWithAScriptedGenerator) {
    ASSERT_TRUE(test::LoadEffectsAndHud(dir_.path()));
    int n = 0;
    plat::SetRandSource([&n] { return n++ * 10; });
    Script("bsc 23 1, 0, 0, 0\nbsc 23 0, 500, 400, 7\ncall return 5");
    Loop();
    const std::vector<std::array<int, 5>> live = test::LiveEffects();
    ASSERT_EQ(live.size(), 21u);
    EXPECT_EQ(live[0], (std::array<int, 5>{0, -1, 500, 400, 7}));
    // The y offset takes the first number: 64 - 0, then x 64 - 10.
    EXPECT_EQ(live[1], (std::array<int, 5>{14, -1, 554, 464, 7}));
    EXPECT_EQ(ScrQuake, 16);
    test::ClearEffects();
    test::UnloadEffectsAndHud();
}

}  // namespace
