// Missile and force-field behaviours: homing, wobble, inertial guidance, mines, the stop range, and
// fields that follow, grow or end with their owner.
#include <gtest/gtest.h>

#include <algorithm>

#include "tama_fixture.h"

namespace {

class TamaMove : public test::TamaFixture {
protected:
    void SetUp() override {
        TamaFixture::SetUp();
        MakePair(400, 400, 600, 600);
    }
    static void Renew(LIST_DATA* s, int frames = 1) {
        for (int f = 0; f < frames; f++) {
            CurObj = s;
            TAMA_RenewShot();
        }
    }
    TAMA_PHASE& Missile(int type, int speed = 4) {
        TAMA_PHASE& ph = NewWeapon()->phase[0];
        ph.moveType = u8(type);
        ph.speed = i16(speed);
        return ph;
    }
};

TEST_F(TamaMove, HomingMissileClosesInTurningClockwise) {
    TAMA_PHASE& ph = Missile(1);
    ph.p[1] = 10;
    LIST_DATA* s = MakeShot(0, 400, 400, 500, 400);  // flying right; the target is below-right
    s->target = cpu_->index;
    i64 dist = MATH_GetDist2(s->x, s->y, cpu_->x, cpu_->y);
    int heading = Heading(s);
    for (int f = 0; f < 12; f++) {
        Renew(s);
        const i64 d = MATH_GetDist2(s->x, s->y, cpu_->x, cpu_->y);
        EXPECT_LT(d, dist) << "frame " << f;
        dist = d;
        if (f < 3) {
            EXPECT_GT(Heading(s), heading) << "clockwise, frame " << f;
        }
        heading = Heading(s);
    }
    // The target deleted: on straight for good.
    MEKA_Delete(1);
    const int h = Heading(s);
    Renew(s, 5);
    EXPECT_NEAR(Heading(s), h, 1);
    EXPECT_EQ(s->tama->state[0], 0);
}

TEST_F(TamaMove, ZeroParameterWobbleAndInertialKeepTheirHeading) {
    for (int type : {2, 4}) {
        Missile(type, 6);
        LIST_DATA* s = MakeShot(0, 400, 400, 300, 300);  // up-left
        s->target = cpu_->index;
        const int h = Heading(s);
        Renew(s, 10);
        EXPECT_NEAR(Heading(s), h, 2) << "type " << type;
        Reset();
        MakePair(400, 400, 600, 600);
    }
}

TEST_F(TamaMove, WobbleAlternatesItsPartsByASeededDraw) {
    TAMA_PHASE& ph = Missile(2);
    ph.p[2] = 30;
    ph.p[3] = 5;
    ph.p[5] = 3;
    ph.p[6] = 4;
    auto trace = [&](u32 seed) {
        plat::SRand(seed);
        LIST_DATA* s = MakeShot(0, 400, 400, 500, 400);
        s->target = cpu_->index;
        std::vector<int> parts;
        for (int f = 0; f < 40; f++) {
            Renew(s);
            parts.push_back(s->tama->state[8]);
        }
        TAMA_DeleteShot(s);
        return parts;
    };
    const std::vector<int> a = trace(11);
    EXPECT_EQ(a, trace(11));
    int switches = 0;
    for (std::size_t i = 1; i < a.size(); i++) switches += a[i] != a[i - 1];
    // Parts last 3..5 (wobbling) and 4..7 (straight) frames.
    EXPECT_GE(switches, 5);
    EXPECT_LE(switches, 14);

    ph.p[6] = 0;  // never straight
    const std::vector<int> b = trace(11);
    EXPECT_EQ(std::count(b.begin(), b.end(), 1), 0);
}

TEST_F(TamaMove, WobbleWithoutATargetFliesStraight) {
    TAMA_PHASE& ph = Missile(2);
    ph.p[1] = 5;
    ph.p[2] = 90;
    ph.p[3] = 30;
    ph.p[5] = 50;
    LIST_DATA* s = MakeShot(0, 400, 400, 500, 400);
    s->target = -1;
    Renew(s, 10);
    EXPECT_EQ(s->y, 400);
    EXPECT_GT(s->x, 430);
}

TEST_F(TamaMove, InertialGuidance) {
    // Heading 350 (counted from down), the target at 5: 15 degrees off, within 30: it speeds up.
    TAMA_PHASE& ph = Missile(4, 8);
    ph.p[0] = 30;
    ph.p[1] = 2;
    ph.p[2] = 100;
    ph.p[3] = 1;
    LIST_DATA* s = MakeShot(0, 400, 400, 400, 500);
    MATH_GetAngleVec(350, &s->vx16, &s->vy16);
    cpu_->x = 400 - 17;  // about 5 degrees clockwise of down
    cpu_->y = 600;
    s->target = cpu_->index;
    ASSERT_NEAR(MATH_GetSector(1, s->x, s->y, cpu_->x, cpu_->y), 5, 1);
    CurObj = s;
    TamaCurShot = s;
    TAMA_MSL_Check();
    EXPECT_EQ(s->subStep, 8 + 2);
    // Straight behind: off bearing, it brakes and turns by s5 toward the shorter side.
    s->subStep = 8;
    cpu_->x = 400 + 100;
    cpu_->y = 300;
    TAMA_MSL_Check();
    EXPECT_EQ(s->subStep, 8 - 1);
    TamaCurShot = nullptr;
}

TEST_F(TamaMove, MineAttachesToTheNearestEnemyWithinRange) {
    TAMA_PHASE& ph = Missile(3);
    ph.p[0] = 100;
    LIST_DATA* near = MakeShot(0, 560, 600, 700, 600);
    LIST_DATA* far = MakeShot(0, 300, 300, 700, 600);
    EXPECT_EQ(near->tama->state[1], 1);
    EXPECT_EQ(far->tama->state[1], -1);
    MEKA_SetX(cpu_, 650);
    Renew(near);
    Renew(far);
    EXPECT_EQ(near->x, 650 - 40);
    EXPECT_EQ(far->x, 300);
    const int idx = near->index;
    MEKA_Delete(1);
    Renew(near);
    EXPECT_FALSE(OBJ_Get(idx)) << "its mech gone, the mine ends";
}

TEST_F(TamaMove, StopRangeEndsTheCalculation) {
    TAMA_PHASE& ph = Missile(0, 10);
    ph.p[15] = 50;
    LIST_DATA* s = MakeShot(0, 600, 500, 600, 600);
    s->target = cpu_->index;
    const int idx = s->index;
    Renew(s, 5);
    EXPECT_TRUE(OBJ_Get(idx)) << "51 pixels away: not within";
    Renew(s, 2);  // the test comes before the sub-step's move
    EXPECT_FALSE(OBJ_Get(idx));
    // No target: never.
    s = MakeShot(0, 600, 500, 600, 600);
    s->target = -1;
    Renew(s, 12);
    EXPECT_TRUE(OBJ_Get(s->index));
}

class TamaField : public TamaMove {
protected:
    // A field of the type fired from box 5 of the player's held technique.
    LIST_DATA* Field(int type, int p1 = 0, int p2 = 0) {
        MakeHeld(400, 400, 600, 600);
        TAMA_PHASE& ph = NewWeapon()->phase[0];
        ph.kind = 1;
        ph.moveType = u8(type);
        ph.p[1] = p1;
        ph.p[2] = p2;
        Fire().firePos = 5;
        Launch();
        Frame();
        std::vector<LIST_DATA*> s = Shots();
        return s.empty() ? nullptr : s[0];
    }
};

TEST_F(TamaField, ShieldRangeAndChip) {
    LIST_DATA* s = Field(0);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->tama->ref, player_->index);
    MEKA_SetX(player_, 420);
    Renew(s);
    EXPECT_EQ(s->x, 420 + 10);
    EXPECT_EQ(s->y, 400 - 20);
    EXPECT_EQ(s->z, player_->z + 10);
    // Leaving sub-state 2 ends it.
    player_->meka->subAct = 1;
    const int idx = s->index;
    Renew(s);
    EXPECT_FALSE(OBJ_Get(idx));

    Reset();
    MakePair(400, 400, 600, 600);
    s = Field(1, 4, 40);
    std::vector<i32> radius;
    for (int f = 0; f < 12; f++) {
        Renew(s);
        radius.push_back(s->tama->state[3]);
    }
    EXPECT_EQ(radius.front(), 4);
    EXPECT_EQ(radius.back(), 40);
    EXPECT_EQ(radius[8], 36);

    // An owner page that leaves the box empty ends a chip field at once.
    Reset();
    MakePair(400, 400, 600, 600);
    s = Field(2, 4, 40);
    ASSERT_TRUE(s);
    s->tama->state[0] = 7;
    const int chip = s->index;
    Renew(s);
    EXPECT_FALSE(OBJ_Get(chip));

    // A field type the table lacks ends too.
    Reset();
    MakePair(400, 400, 600, 600);
    s = Field(6);
    ASSERT_TRUE(s);
    const int odd = s->index;
    Renew(s);
    EXPECT_FALSE(OBJ_Get(odd));
}

}  // namespace
