// Lasers: the chain's lay-out, growth, erasing and refilling, straightening, a head's phase change,
// the launcher's end, and the member behaviours.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "tama_fixture.h"
#include "tests/battle/effect/eft_probe.h"

namespace {

class TamaLsr : public test::TamaFixture {
protected:
    // A laser of `members` members from box 6 of the player toward the CPU mech.
    TAMA_PHASE& Laser(int members, int memberType = 0) {
        MakeHeld(400, 400, 600, 600);
        TAMA_DATA* d = NewWeapon();
        for (TAMA_PHASE& ph : d->phase) {
            ph.kind = 2;
            ph.laserType = u8(memberType);
            ph.q[12] = members;
        }
        TAMA_FIRE& f = Fire();
        f.fireType = 4;
        f.loops = u16(members);
        f.shots = u16(members);
        return d->phase[0];
    }
    LIST_DATA* Start() {
        LIST_DATA* l = Launch();
        Frame();
        return l;
    }
    static LIST_DATA* Member(const LIST_DATA* l, int k) { return OBJ_Get(l->lnch->shots[k]); }
    static int ChainSize(const LIST_DATA* l) {
        int n = 0;
        while (n < TAMA_CHAIN_MAX && Member(l, n)) n++;
        return n;
    }
};

TEST_F(TamaLsr, ChainLiesOnTheLineOfItsFacing) {
    Laser(10);
    LIST_DATA* l = Start();
    ASSERT_EQ(ChainSize(l), 10);
    LIST_DATA* head = Member(l, 0);
    // The head on box 6's bottom edge, lifted by the box height.
    EXPECT_EQ(head->x, 400 + test::kBox6.left);
    EXPECT_EQ(head->y, 400 + test::kBox6.bottom);
    EXPECT_EQ(head->z, player_->z + 10);
    EXPECT_EQ(head->dir, MATH_GetSector(9, 400, 400, 600, 600));
    const POINT step = Link(head->dir);
    for (int k = 1; k < 10; k++) {
        LIST_DATA* m = Member(l, k);
        EXPECT_EQ(m->owner, Member(l, k - 1)->index);
        EXPECT_EQ(m->x, head->x + k * step.x) << k;
        EXPECT_EQ(m->y, head->y + k * step.y) << k;
        EXPECT_EQ(m->z, head->z) << k;
    }
    EXPECT_EQ(l->lnch->value1, 1) << "started";
}

TEST_F(TamaLsr, AttachmentsAreMadeOncePerLauncher) {
    TAMA_PHASE& ph = Laser(1);
    ph.q[11] = 1;
    ph.q[13] = 4;
    ph.q[14] = 2;
    LIST_DATA* l = Start();
    Frame(5);
    std::vector<std::array<int, 5>> pieces;
    for (const std::array<int, 5>& e : test::LiveEffects())
        if (e[0] == 21) pieces.push_back(e);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0][1], l->index);
    EXPECT_EQ(pieces[1][1], l->index);
}

TEST_F(TamaLsr, ChainGrowsOneSlotAVolleyUpTo63) {
    TAMA_PHASE& ph = Laser(1);
    ph.q[11] = 1;
    LIST_DATA* l = Start();
    EXPECT_EQ(ChainSize(l), 1);
    Frame(4);
    EXPECT_EQ(ChainSize(l), 5);
    Frame(80);
    EXPECT_EQ(l->lnch->loops, 63);
    EXPECT_EQ(ChainSize(l), 63);
    EXPECT_EQ(TamaShotCnt, 63);
}

TEST_F(TamaLsr, ErasedMembersEndAndRefilledSlotsLive) {
    Laser(10);
    LIST_DATA* l = Start();
    std::vector<int> old;
    for (int k = 0; k < 10; k++) old.push_back(Member(l, k)->index);
    TamaLsrMemEndTbl[1](Member(l, 3), l);
    for (int k = 4; k < 10; k++) EXPECT_EQ(l->lnch->shots[k], -1);
    // The next volley refills slots 4..9 before the erased members' checks: those end without
    // freeing the new members' slots.
    Fire().interval = 0;
    Frame();
    ASSERT_EQ(ChainSize(l), 10);
    for (int k = 4; k < 10; k++) {
        LIST_DATA* m = Member(l, k);
        EXPECT_EQ(m->tama->state[TAMA_LSR_INDEX], k);
    }
    EXPECT_EQ(TamaShotCnt, 10);
    int oldLeft = 0;
    for (LIST_DATA* s : Shots())
        for (int k = 4; k < 10; k++) oldLeft += s->index == old[std::size_t(k)] && s->tama->state[TAMA_LSR_INDEX] == k && Member(l, k) != s;
    EXPECT_EQ(oldLeft, 0);
    Frame(3);
    EXPECT_EQ(ChainSize(l), 10);
    EXPECT_EQ(TamaShotCnt, 10);
}

TEST_F(TamaLsr, StraighteningHitLinesUpTheFollowers) {
    TAMA_PHASE& ph = Laser(8);
    ph.q[0] = 4;  // an electric chain bent at random
    LIST_DATA* l = Start();
    LIST_DATA* hit = Member(l, 2);
    TamaLsrMemEndTbl[2](hit, l);
    const POINT step = Link(hit->dir);
    for (int k = 3; k < 8; k++) {
        LIST_DATA* m = Member(l, k);
        EXPECT_EQ(m->dir, hit->dir) << k;
        EXPECT_EQ(m->x, hit->x + (k - 2) * step.x) << k;
        EXPECT_EQ(m->y, hit->y + (k - 2) * step.y) << k;
        EXPECT_EQ(m->tama->state[TAMA_LSR_STRAIGHT], 1);
    }
}

TEST_F(TamaLsr, HeadPhaseChangeReinitsEveryMemberOnce) {
    Laser(6);
    TAMA_DATA* d = TamaDataTbl[0];
    d->phase[0].nextOnAnimEnd = 1;
    d->phase[1].nextOnAnimEnd = 2;
    d->phase[1].q[0] = 7;
    LIST_DATA* l = Start();
    LIST_DATA* head = Member(l, 0);
    TamaCurShot = head;
    ASSERT_EQ(TAMA_SetPhase(1), 1);
    TamaCurShot = nullptr;
    EXPECT_EQ(head->tama->state[TAMA_LSR_REINIT], 0);
    for (int k = 1; k < 6; k++) {
        EXPECT_EQ(Member(l, k)->tama->state[TAMA_LSR_REINIT], 1) << k;
        EXPECT_EQ(Member(l, k)->tama->memberState[0], 7) << k;
    }
    Frame(2);
    ASSERT_EQ(ChainSize(l), 6);
    for (int k = 0; k < 6; k++) {
        EXPECT_EQ(Member(l, k)->tama->phase, 1) << k;
        EXPECT_EQ(Member(l, k)->tama->state[TAMA_LSR_REINIT], 0) << k;
    }
}

TEST_F(TamaLsr, LauncherEndTakesTheChain) {
    Laser(10);
    LIST_DATA* l = Start();
    ASSERT_EQ(TamaShotCnt, 10);
    const int idx = l->index;
    Fire().holdMask = 0;
    Frame();
    EXPECT_FALSE(OBJ_Get(idx));
    EXPECT_EQ(TamaShotCnt, 0);
    EXPECT_TRUE(Shots().empty());
}

// A head direction behaviour laid out afresh with its two parameters, then stepped once.
template <int kKind, i32 kP0, i32 kP1>
void InitThenRenew(LIST_DATA* h) {
    static constexpr i32 p[2] = {kP0, kP1};
    TamaLsrDirInitTbl[kKind](h, h->tama->state, p);
    TamaLsrDirRenewTbl[kKind](h, h->tama->state);
}

// One behaviour step at a time on a 3-member chain, rand() giving 0: the facings the stepped member
// is left with, in sectors from the head's facing after the lay-out.
TEST_F(TamaLsr, BehaviourStepsTurnTheFacing) {
    using Step = void (*)(LIST_DATA*);
    struct Case {
        const char* what;
        int member, start;         // the stepped member (0 the head) and the head's facing and heading
        std::array<i32, 5> state;  // the head's direction state or the member's state
        Step step;
        std::vector<int> facings;
    };
    const Case cases[] = {
        {"sweep reverses past its bound", 0, 0, {2, 4, 2},
         [](LIST_DATA* h) { TamaLsrDirRenewTbl[2](h, h->tama->state); }, {2, 4, 6, 4, 2, 0, -2, -4, -6, -4}},
        {"track turns the facing", 0, 8, {1, 2}, [](LIST_DATA* h) { TamaLsrDirRenewTbl[1](h, h->tama->state); },
         {6, 4, 2, 0}},
        {"turn mode 3", 0, 8, {}, [](LIST_DATA* h) { TAMA_TurnToPoint(h, 600, 600, 9, 3, 9); }, {7, 6, 5, 4}},
        {"turn mode 6", 0, 8, {}, [](LIST_DATA* h) { TAMA_TurnToPoint(h, 600, 600, 9, 6, 9); }, {7, 6, 6, 5}},
        {"turn mode 5 by the rate", 0, 8, {}, [](LIST_DATA* h) { TAMA_TurnToPoint(h, 600, 600, 9, 5, 9); },
         {-1, -10, -19, 12}},
        {"aim once spreads from above", 0, 0, {}, InitThenRenew<0, 0, 2>, {2, 2, 2}},
        {"sweep starts at half its bound", 0, 0, {}, InitThenRenew<2, 1, 6>, {3, 3, 3}},
        {"guided turns by one", 1, 8, {0, 1}, [](LIST_DATA* m) { TamaLsrMemRenewTbl[1](m, nullptr); },
         {7, 7, 7}},
        {"electric bound from above", 1, 0, {0, 2, 5}, [](LIST_DATA* m) { TamaLsrMemRenewTbl[0](m, nullptr); },
         {0, 2, 4, 5, 5}},
        {"wriggle's sign", 1, 0, {2, 3, 0, 0, 0}, [](LIST_DATA* m) { TamaLsrMemRenewTbl[2](m, nullptr); },
         {0, 2, 3, 1, -1, -3, -3, -1}},
        {"wriggle's countdown", 1, 0, {1, 3, 0, 2, 0}, [](LIST_DATA* m) { TamaLsrMemRenewTbl[2](m, nullptr); },
         {0, 1, 1, 1, 2, 2, 2, 3}},
    };
    for (const Case& c : cases) {
        Laser(3);
        LIST_DATA* l = Start();
        plat::SetRandSource([] { return 0; });
        LIST_DATA* head = Member(l, 0);
        LIST_DATA* m = Member(l, c.member);
        const int ref = head->dir;
        TAMA_SetDir(head, (ref + c.start) % TAMA_LSR_DIRS);
        if (c.start) MATH_GetAngleVec(head->dir * 9, &head->vx16, &head->vy16);
        std::copy(c.state.begin(), c.state.end(), c.member == 0 ? m->tama->state : m->tama->memberState);
        std::vector<int> got;
        for (std::size_t i = 0; i < c.facings.size(); i++) {
            c.step(m);
            got.push_back((m->dir - ref + TAMA_LSR_DIRS * 3 / 2) % TAMA_LSR_DIRS - TAMA_LSR_DIRS / 2);
        }
        EXPECT_EQ(got, c.facings) << c.what;
        plat::SetRandSource({});
        Reset();
    }
}

// A 12-member chain of each member behaviour behind a sweeping head stays whole for 30 frames, its
// members mostly within a 240×160 band around the head's start.
TEST_F(TamaLsr, MemberBehavioursKeepTheChain) {
    int near = 0;
    for (int type = 0; type < 3; type++) {
        SCOPED_TRACE(type);
        TAMA_PHASE& ph = Laser(12, type);
        ph.moveType = 2;
        ph.p[0] = 1;
        ph.p[1] = 8;
        ph.q[0] = type == 0 ? 1 : type == 1 ? 3 : 1;
        ph.q[1] = type == 0 ? 1 : 2;
        ph.q[2] = type == 0 ? 4 : 1;
        Fire().targetMode = 0;
        player_->meka->aimX = 100;
        player_->meka->aimY = -80;
        LIST_DATA* l = Start();
        for (int f = 0; f < 30; f++) {
            Frame();
            for (int k = 0; k < 12; k++)
                if (const LIST_DATA* m = Member(l, k))
                    near += m->x - 400 >= -120 && m->x - 400 < 120 && m->y - 400 >= -80 && m->y - 400 < 80;
        }
        EXPECT_EQ(ChainSize(l), 12);
        Reset();
    }
    EXPECT_GT(near, 3 * 12 * 30 / 2);
}

}  // namespace
