// Shots: sub-steps, wait fitting, the height curve, walls, the random speed, launchers made at
// creation, phase events, unknown kinds and sequences, and long sequences.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "tama_fixture.h"
#include "tests/battle/effect/eft_probe.h"

namespace {

class TamaShot : public test::TamaFixture {
protected:
    void SetUp() override {
        TamaFixture::SetUp();
        MakePair(400, 400, 900, 900);
    }
    // One update of a single shot, as the walk makes it.
    static void Renew(LIST_DATA* s) {
        CurObj = s;
        TAMA_RenewShot();
    }
};

TEST_F(TamaShot, SpeedSplitsIntoSubSteps) {
    NewWeapon();
    Phase(0).speed = 40;
    LIST_DATA* s = MakeShot(0, 100, 100, 200, 100);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->subStepCnt, 3);
    EXPECT_EQ(s->subStep, 13);
    Renew(s);
    EXPECT_EQ(s->x, 100 + 38);  // 3 x 13 on a unit vector just under 1.0
    EXPECT_EQ(s->y, 100);
}

TEST_F(TamaShot, WaitFittingByTimingMode) {
    struct Case {
        int timing, duration;
        std::vector<int> waits;
        int hold;
    };
    const Case cases[] = {
        {0, 30, {4, 9, 14}, 0},  // (w + 1) d / total - 1, total 12
        {0, 3, {0, 0, 0}, 0},    // -1 would hold the step for 65536 frames
        {1, 50, {0, 1, 2}, 0},
        {1, 100, {1, 3, 5}, 0},
        {2, 7, {1, 3, 5}, 7},
        {3, 7, {1, 3, 5}, 0},
    };
    TAMA_DATA* d = NewWeapon();
    for (const Case& c : cases) {
        TAMA_STEP& st = d->phase[0].step[0];
        st.anim = 1;
        st.timing = u8(c.timing);
        st.duration = i16(c.duration);
        LIST_DATA* s = MakeShot(0, 100, 100, 200, 100);
        ASSERT_TRUE(s);
        std::vector<int> got(s->tama->waits, s->tama->waits + 3);
        EXPECT_EQ(got, c.waits) << "mode " << c.timing;
        EXPECT_EQ(s->tama->hold, c.hold) << "mode " << c.timing;
        EXPECT_EQ(SPR_GetSpr(s->spr)->wait, c.waits[0]) << "mode " << c.timing;
        EXPECT_EQ(SPR_GetSpr(s->spr)->last, c.timing >= 2 ? 1 : 0) << "loop flag, mode " << c.timing;
        TAMA_DeleteShot(s);
    }
    // One animation step: the whole duration.
    d->phase[0].step[0] = TAMA_STEP{3, 0, -1, 0, 0, 12, 2, 0, 0, 0, 0};
    LIST_DATA* s = MakeShot(0, 100, 100, 200, 100);
    EXPECT_EQ(s->tama->waits[0], 11);
}

TEST_F(TamaShot, LongSequenceKeepsTheFirstWaitsAndPlaysOn) {
    TAMA_DATA* d = NewWeapon();
    d->phase[0].step[0] = TAMA_STEP{2, 0, -1, 0, 0, 600, 2, 0, 0, 0, 0};
    LIST_DATA* s = MakeShot(0, 100, 100, 200, 100);
    ASSERT_TRUE(s);
    // 200 steps of wait 2 fitted into 600 frames: every copied wait is 2; nothing past the table.
    for (int i = 0; i < TAMA_WAIT_MAX; i++) EXPECT_EQ(s->tama->waits[i], 2) << i;
    SPR_DATA* spr = SPR_GetSpr(s->spr);
    int steps = 0, last = -1;
    for (int f = 0; f < 600 && spr->running; f++) {
        SPR_RenewAnime();
        if (spr->first != last) steps++, last = spr->first;
    }
    EXPECT_EQ(steps, 200);
}

TEST_F(TamaShot, ParabolicHeightPerSubStep) {
    TAMA_PHASE& ph = NewWeapon()->phase[0];
    ph.flags = TAMA_FLAG_PARABOLIC;
    ph.heightAdd = 8;
    ph.heightMax = 9999;
    LIST_DATA* s = MakeShot(0, 100, 100, 200, 100);
    std::vector<int> deltas;
    for (int i = 0; i < 7; i++) {
        const i32 z = s->z;
        Renew(s);
        deltas.push_back(s->z - z);
    }
    EXPECT_EQ(deltas, (std::vector<int>{8, 8, 8, 7, 6, 5, 4}));
}

TEST_F(TamaShot, ObstacleModes) {
    // A wall of blocking cells from x = 240.
    for (int y = 0; y < 60; y++)
        for (int x = 15; x < 20; x++) cells_[std::size_t(y * 80 + x)].attrA = 1;
    TAMA_PHASE& ph = NewWeapon()->phase[0];
    ph.speed = 6;

    ph.obstacle = 1;
    LIST_DATA* s = MakeShot(0, 200, 100, 400, 100);
    i32 stop = -1;
    for (int f = 0; f < 20; f++) {
        Renew(s);
        if (f == 10) stop = s->x;
    }
    EXPECT_LT(s->x + 4, 240 + 16) << "back in front of the wall";
    EXPECT_EQ(s->x, stop) << "and kept there";
    EXPECT_EQ(s->x16 >> 16, s->x);

    ph.obstacle = 3;
    s = MakeShot(0, 200, 100, 400, 100);
    for (int f = 0; f < 20; f++) Renew(s);
    EXPECT_LT(s->vx16, 0) << "reflected";
    EXPECT_LT(s->x, 230);

    ph.obstacle = 2;
    s = MakeShot(0, 220, 100, 400, 100);
    const int idx = s->index;
    for (int f = 0; f < 10; f++)
        if (OBJ_Get(idx)) Renew(s);
    EXPECT_FALSE(OBJ_Get(idx)) << "mode 2 ends the shot";
}

TEST_F(TamaShot, RandomSpeedIsReplacedByThePhaseSpeed) {
    TAMA_PHASE& ph = NewWeapon()->phase[0];
    ph.flags = TAMA_FLAG_RANDOM_SPEED;
    ph.speed = 1000;
    ph.speedMax = 1000;
    LIST_DATA* s = MakeShot(0, 100, 100, 200, 100);
    const i16 first = s->speed;
    EXPECT_LT(first, 1000);
    Renew(s);
    EXPECT_EQ(s->speed, first);
    Renew(s);
    EXPECT_EQ(s->speed, 1000);
}

TEST_F(TamaShot, CreationDrawsARandomScaleOfEntryZeroTwice) {
    NewWeapon()->phase[0].scale[0] = TAMA_SCALE{2, 0, 100, 0, 0, 1000};
    int draws = 0;
    plat::SetRandSource([&] { return 10 * ++draws; });
    LIST_DATA* s = MakeShot(0, 100, 100, 200, 100);
    EXPECT_EQ((std::vector<int>{draws, SPR_GetSpr(s->spr)->scaleX}), (std::vector<int>{2, 20 + 1}));
}

TEST_F(TamaShot, StartMaskBitZeroMakesTwoLaunchersAtCreation) {
    NewWeapon();
    NewWeapon();
    Phase(0).fire.weapon = 1;
    Phase(0).fire.startMask = 1;
    LIST_DATA* s = MakeShot(0, 100, 100, 200, 100);
    std::vector<LIST_DATA*> l = Live(OBJ_KIND_LAUNCHER);
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[0]->owner, s->index);
    EXPECT_EQ(l[1]->owner, s->index);
    EXPECT_EQ(s->child, l[1]->index);
}

TEST_F(TamaShot, UnknownKindAndMovementTypeFlyStraight) {
    // Other kinds ignore their movement: homing (1) would turn toward the target, a mine (3) stick to it.
    for (auto [kind, move] : {std::pair{0, 7}, {5, 7}, {3, 1}, {6, 3}}) {
        TAMA_PHASE& ph = NewWeapon()->phase[0];
        ph.kind = u8(kind);
        ph.moveType = u8(move);
        ph.p[0] = 5000;
        ph.p[1] = 10;
        ph.laserType = 7;
        ph.speed = 10;
        ph.step[0].blend = 15;
        ph.step[0].anim = 255;
        ph.step[0].sound = 200;
        LIST_DATA* s = MakeShot(0, 100, 100, 100, 300);
        ASSERT_TRUE(s);
        s->target = cpu_->index;
        EXPECT_EQ(SPR_GetSpr(s->spr)->attr, 0u);
        for (int f = 0; f < 5; f++) Renew(s);
        EXPECT_EQ(s->x, 100) << kind << " " << move;
        EXPECT_NEAR(s->y, 150, 1) << kind << " " << move;
        Reset();
        MakePair(400, 400, 900, 900);
    }
}

TEST_F(TamaShot, PhaseEvents) {
    TAMA_DATA* d = NewWeapon();
    // Character-hit trigger 0: nothing used, already reached.
    d->phase[0].charHitTrigger = 0;
    d->phase[0].nextOnCharHit = 2;
    LIST_DATA* s = MakeShot(0, 100, 100, 200, 100);
    Renew(s);
    EXPECT_EQ(s->tama->phase, 2);

    // 999 waits until the hits are used up.
    d->phase[0].charHitTrigger = 999;
    d->phase[0].charHits = 2;
    s = MakeShot(0, 100, 100, 200, 100);
    Renew(s);
    EXPECT_EQ(s->tama->phase, 0);
    s->tama->charaHits = 0;
    Renew(s);
    EXPECT_EQ(s->tama->phase, 2);

    // A step whose sequence the set lacks counts as ended: the next step follows, then the phase's
    // next phase at the end of the animation; a shot with none left is deleted.
    d->phase[0].charHitTrigger = -1;
    d->phase[0].step[0] = TAMA_STEP{99, 0, -1, 0, 0, 20, 2, 0, 0, 0, 0};  // mode 0
    d->phase[0].step[1] = TAMA_STEP{0, 0, -1, 0, 2, 3, 2, 0, 0, 0, 0};
    d->phase[0].nextOnAnimEnd = 3;
    d->phase[3].nextOnCalcEnd = -1;
    s = MakeShot(0, 100, 100, 200, 100);
    Renew(s);
    EXPECT_EQ(s->tama->step, 1);
    for (int f = 0; f < 4; f++) Renew(s);
    EXPECT_EQ(s->tama->phase, 3);
    const int idx = s->index, before = TamaShotCnt;
    s->z = -1;
    Renew(s);  // below height 0 with no next phase: gone the same frame
    EXPECT_FALSE(OBJ_Get(idx));
    EXPECT_EQ(TamaShotCnt, before - 1);
}

TEST_F(TamaShot, TrailEffectsAreMadeOncePerShot) {
    TAMA_DATA* d = NewWeapon();
    d->phase[0].flags = d->phase[1].flags = TAMA_FLAG_TRAIL;
    d->phase[0].nextOnCalcEnd = 1;
    LIST_DATA* s = MakeShot(0, 100, 100, 200, 100);
    auto count = [](int type) {
        const std::vector<std::array<int, 5>> live = test::LiveEffects();
        return std::count_if(live.begin(), live.end(), [type](const std::array<int, 5>& e) { return e[0] == type; });
    };
    EXPECT_EQ(count(19), 1);
    EXPECT_EQ(count(12), 1);
    TamaCurShot = s;
    ASSERT_EQ(TAMA_SetPhase(-1), 1);
    TamaCurShot = nullptr;
    EXPECT_EQ(s->tama->phase, 1);
    EXPECT_EQ(count(19), 1) << "the phase change keeps the trail";
}

}  // namespace
