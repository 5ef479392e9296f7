// The camera: targets by mode, the step toward them, the range it keeps, the objects it follows
// (looked up at each use), and the screen quake.
#include <gtest/gtest.h>

#include "battle/battle.h"
#include "battle/map/cam.h"
#include "battle/map/map.h"
#include "battle/map/scr.h"
#include "battle/object/obj.h"
#include "graphics/sprite/spr.h"
#include "map_stage.h"

namespace {

using Ints = std::vector<int>;

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(env_.ok());
        test::WriteStage(env_.dir(), 9, 0, 'L', {test::RandomMap(100, 80, 21, 6, 25), test::OddCsp()});
        MAP_Open(9, 0, 0);
        ASSERT_EQ(MAP_IsOpen(), 1);  // 1600 × 1280 pixels
        ASSERT_EQ(OBJ_Init(), 1);
        CamData = CAM_DATA{CAM_MODE_FIXED, 0, 0, 0, 0, 0, 0, -1, -1, 0, 0, 8, -1, -1, -1};
        HitSlowCnt = HitStopCnt = 0;
        ScrQuake = ScrQuakeOfs = 0;
        ScrQuakeCnt = 0;
    }
    void TearDown() override {
        OBJ_FreeAll();
        CamData = CAM_DATA{CAM_MODE_FIXED, 0, 0, 0, 0, 0, 0, -1, -1, 0, 0, 0, -1, -1, -1};
    }
    // Centre and buffer placed together, as the battle flow does at a battle's start.
    void Place(i32 x, i32 y) {
        CAM_SetPos(x, y);
        SCR_Redraw(x, y);
    }
    LIST_DATA* Object(i32 x, i32 y, i32 z = 0) {
        LIST_DATA* o = OBJ_Alloc(OBJ_KIND_EFFECT);
        o->x = x;
        o->y = y;
        o->z = z;
        return o;
    }
    void ExpectInSync() {
        EXPECT_EQ(MapData->scrollX, CamData.x - 320);
        EXPECT_EQ(MapData->scrollY, CamData.y - 240);
    }
    test::MapFixtureEnv env_;
};

TEST_F(CameraTest, TargetByMode) {
    CamData.x = 700;
    CamData.y = 600;
    LIST_DATA* a = Object(500, 400, 30);
    LIST_DATA* b = Object(800, 500, 0);
    CamData.fixX = 10;  // left of the range: clamped to 0 + 320
    CamData.fixY = 5000;  // below it: clamped to 1280 − 240
    const struct {
        i32 mode;
        LIST_DATA *first, *second;
        i32 limitX, limitY;
        i32 x, y;
    } cases[] = {
        {CAM_MODE_FIXED, a, b, 50, 50, 700, 600},
        {CAM_MODE_POINT, a, b, 50, 50, 320, 1040},
        {CAM_MODE_FOLLOW, a, nullptr, 50, 50, 500, 370},
        {CAM_MODE_FOLLOW, a, b, 50, 50, 550, 420},      // half of (300, 130), limited to 50
        {CAM_MODE_FOLLOW, a, b, 200, 40, 650, 410},
        {CAM_MODE_FOLLOW, a, b, -1, -1, 500, 370},      // no lean at all
        {CAM_MODE_FOLLOW, nullptr, b, 50, 50, 700, 600},
    };
    for (const auto& c : cases) {
        CAM_Setup(c.mode, c.first, c.second);
        CAM_SetLimit(c.limitX, c.limitY);
        i32 x = 0, y = 0;
        CAM_GetTargetPos(&x, &y);
        EXPECT_EQ(x, c.x) << "mode " << c.mode << " limit " << c.limitX;
        EXPECT_EQ(y, c.y) << "mode " << c.mode << " limit " << c.limitX;
    }
}

TEST_F(CameraTest, StepsBySpeedAndSnapsWhenClose) {
    Place(400, 300);
    CAM_Setup(CAM_MODE_POINT, nullptr, nullptr);
    CAM_SetSpeed(-999, -999, 8);
    CamData.fixX = 405;
    CamData.fixY = 300;
    EXPECT_EQ(CAM_CheckStop(), 0);
    SCR_Renew(0);
    EXPECT_EQ(CamData.x, 405);
    EXPECT_EQ(CamData.x16, 405 << 16);
    EXPECT_EQ(CAM_CheckStop(), 1);
    ExpectInSync();
    // Far away: the unit vector is 65535 long, so a step of 8 lands just short of 8 pixels.
    CamData.fixX = 505;
    SCR_Renew(0);
    EXPECT_EQ(CamData.x, 412);
    ExpectInSync();
}

TEST_F(CameraTest, StopsAtTheRangeWithoutScrollingPast) {
    Place(330, 300);
    ASSERT_EQ(MapData->scrollX, 10);
    CAM_Setup(CAM_MODE_POINT, nullptr, nullptr);
    CAM_SetSpeed(-999, -999, 8);
    CamData.fixX = 100;
    CamData.fixY = 300;
    for (int i = 0; i < 5; ++i) {
        SCR_Renew(0);
        EXPECT_GE(MapData->scrollX, 0);
        ExpectInSync();
    }
    EXPECT_EQ(CamData.x, 320);
    EXPECT_EQ(MapData->scrollX, 0);
    EXPECT_EQ(CAM_CheckStop(), 1);
}

TEST_F(CameraTest, CentreOutOfRangeIsClampedWithoutScrolling) {
    Place(320, 240);
    CAM_SetPos(100, 2000);  // out of range on both axes, the buffer unmoved
    EXPECT_EQ(CAM_CheckStop(), 1);  // mode 0 always stands
    const u32 before = ScrDrawChipCnt;
    SCR_Renew(0);
    EXPECT_EQ(ScrDrawChipCnt, before);
    EXPECT_EQ((Ints{CamData.x, CamData.y, MapData->scrollY}), (Ints{320, 1040, 0}));
    // Back toward the middle: the scroll follows only the part inside the range.
    CAM_SetPos(100, 240);
    CAM_Setup(CAM_MODE_POINT, nullptr, nullptr);
    CAM_SetSpeed(-999, -999, 300);
    CamData.fixX = 500;
    CamData.fixY = 240;
    SCR_Renew(0);
    EXPECT_EQ(CamData.x, 399);
    EXPECT_EQ(MapData->scrollX, 79);
    ExpectInSync();
}

TEST_F(CameraTest, FallbackTakesOverFromAFreedFirstObject) {
    LIST_DATA* a = Object(600, 500);
    LIST_DATA* b = Object(900, 700);
    Place(600, 500);
    CAM_Setup(CAM_MODE_FOLLOW, a, nullptr);
    CAM_SetNextObject(b);
    CAM_SetSpeed(-999, -999, 1000);
    OBJ_Free(a->index);
    SCR_Renew(0);
    EXPECT_EQ((Ints{CamData.obj, CamData.nextObj, CamData.x, CamData.y}), (Ints{b->index, -1, 900, 700}));
    ExpectInSync();
}

TEST_F(CameraTest, PoolTornDownUnderTheCameraIsNotRead) {
    LIST_DATA* a = Object(600, 500);
    LIST_DATA* b = Object(900, 700);
    Place(600, 500);
    CAM_Setup(CAM_MODE_FOLLOW, a, b);
    CAM_SetNextObject(b);
    OBJ_FreeAll();
    SCR_Renew(0);  // under ASan: no read of a freed record
    i32 x = 0, y = 0;
    CAM_GetTargetPos(&x, &y);
    EXPECT_EQ(x, CamData.x);
    EXPECT_EQ(y, CamData.y);
    CAM_SetAllObjSpr();
}

TEST_F(CameraTest, QuakeDiesAwayWithAlternatingSign) {
    SCR_SetQuake(-1, -1, 40);
    EXPECT_EQ(ScrQuake, 32);
    const i16 amplitude[] = {32, 24, 18, 14, 11, 9, 7, 6, 5, 4, 3, 2, 1, 0, 0};
    for (int i = 0; i < 15; ++i) {
        SCR_RenewQuake();
        EXPECT_EQ(ScrQuakeOfs, i % 2 ? amplitude[i] : -amplitude[i]) << i;
    }
    EXPECT_EQ(ScrQuake, 0);
}

TEST_F(CameraTest, QuakeRaisesHitStopCountsOnly) {
    const struct {
        i32 slow, stop, amp;
        i16 wantSlow, wantStop, wantQuake;
    } steps[] = {
        {-1, -1, 40, 0, 0, 32}, {3, 0, -1, 3, 0, 32}, {1, 5, 2, 3, 5, 2}, {4, 4, 0, 4, 5, 0},
    };
    for (const auto& s : steps) {
        SCR_SetQuake(s.slow, s.stop, s.amp);
        EXPECT_EQ(HitSlowCnt, s.wantSlow);
        EXPECT_EQ(HitStopCnt, s.wantStop);
        EXPECT_EQ(ScrQuake, s.wantQuake);
    }
}

TEST_F(CameraTest, SpeedArgumentsOfMinus999AreKept) {
    CAM_SetSpeed(3, 2, 7);
    CAM_SetSpeed(-999, -999, 12);
    EXPECT_EQ(CamData.ramp, 3);
    EXPECT_EQ(CamData.rampStep, 2);
    EXPECT_EQ(CamData.speed, 12);
    CAM_RenewSpeed();
    EXPECT_EQ(CamData.ramp, 5);
    for (int i = 0; i < 5; ++i) CAM_RenewSpeed();
    EXPECT_EQ(CamData.ramp, 12);
}

TEST_F(CameraTest, SpritesArePlacedAroundTheCentreExceptChipsAndPieces) {
    CAM_SetPos(700, 600);
    const int kinds[] = {OBJ_KIND_EFFECT, OBJ_KIND_CHIP, OBJ_KIND_MAPOBJ};
    LIST_DATA* objs[3];
    for (int k = 0; k < 3; ++k) {
        objs[k] = OBJ_Alloc(kinds[k]);
        objs[k]->x = 750;
        objs[k]->y = 580;
        objs[k]->z = 9;
        objs[k]->spr = i16(100 + k);
        ASSERT_EQ(SPR_CreateFSpr(100 + k, 128, nullptr), 1);
    }
    CAM_SetAllObjSpr();
    EXPECT_EQ((Ints{SprTbl[100]->x, SprTbl[100]->y, SprTbl[100]->height, SprTbl[101]->x, SprTbl[102]->x}),
              (Ints{370, 220, 9, 0, 0}));
}

}  // namespace
