// Launchers: volley timing, the firing boxes, the firing types' angles, holding and ending, the
// owner's launcher link, missing weapon data and an exhausted pool.
#include <gtest/gtest.h>

#include <set>

#include "platform/audio.h"
#include "shell/sound/snd.h"
#include "tama_fixture.h"

namespace {

class TamaLnch : public test::TamaFixture {};

TEST_F(TamaLnch, VolleysFollowTheIntervalAndEndWithTheLoops) {
    struct Case {
        int interval, loops;
        std::vector<int> counts;  // shots alive after each frame
    };
    const Case cases[] = {
        {0, 3, {1, 2, 3, 3, 3}},
        {2, 3, {1, 1, 1, 2, 2, 2, 3, 3}},
        {0, 1, {1, 1}},
    };
    for (const Case& c : cases) {
        MakeHeld();
        NewWeapon();
        Fire().interval = u16(c.interval);
        Fire().loops = u16(c.loops);
        Fire().sound = 14 + 1;  // its table entry loops
        LIST_DATA* l = Launch();
        ASSERT_TRUE(l);
        EXPECT_EQ(player_->child, l->index);
        for (std::size_t f = 0; f < c.counts.size(); f++) {
            Frame();
            EXPECT_EQ(int(Shots().size()), c.counts[f]) << "interval " << c.interval << " frame " << f;
        }
        EXPECT_EQ(SND_GetStatus(SeBuffer[14]), plat::kSoundStatusPlaying | plat::kSoundStatusLooping);
        SE_Stop(14);
        EXPECT_EQ(TamaLnchCnt, 0);
        EXPECT_EQ(player_->child, -999);
        Reset();
    }
}

TEST_F(TamaLnch, PositionCodesChooseTheFiringBox) {
    MakeHeld();
    NewWeapon();
    const i32 px = player_->x, py = player_->y;
    auto xs = [&](int code, int count) {
        Fire().firePos = u8(code);
        Fire().shots = u16(count);
        Launch();
        Frame();
        std::vector<LIST_DATA*> shots = Shots();
        std::vector<i32> out;
        for (LIST_DATA* s : shots) out.push_back(s->x - px);
        for (LIST_DATA* s : shots) TAMA_DeleteShot(s);
        return out;
    };
    EXPECT_EQ(xs(5, 3), (std::vector<i32>{10, 10, 10}));
    EXPECT_EQ(xs(17, 4), (std::vector<i32>{10, -10, 10, -10}));
    const std::vector<i32> random = xs(16, 20);
    EXPECT_EQ(std::set<i32>(random.begin(), random.end()), (std::set<i32>{10, -10}));

    // Code 18: box 5 + i; from shot 11 on the box number passes 15 and reads as an empty box.
    Fire().firePos = 18;
    Fire().shots = 20;
    Launch();
    Frame();
    std::vector<LIST_DATA*> shots = Shots();
    ASSERT_EQ(shots.size(), 20u);
    EXPECT_EQ(shots[0]->x, px + 10);
    EXPECT_EQ(shots[1]->x, px - 10);
    for (int i = 11; i < 20; i++) {
        EXPECT_EQ(shots[std::size_t(i)]->x, px) << i;
        EXPECT_EQ(shots[std::size_t(i)]->y, py) << i;
        EXPECT_EQ(shots[std::size_t(i)]->z, player_->z) << i;
    }
}

TEST_F(TamaLnch, FiringTypesTurnTheTargetPoint) {
    struct Case {
        int type, count, v1, v2;
        std::vector<int> angles;  // relative to the straight line toward the target
    };
    const Case cases[] = {
        {3, 3, 10, 0, {-10, 0, 10}},
        {3, 4, 10, 0, {-15, -5, 5, 15}},
        {2, 4, 10, 0, {10, 0, -10, 0}},  // radial, value2 0: reverses after every shot
        {1, 3, 20, 5, {5, 25, 45}},     // circling
        {5, 2, 30, 30, {0, 0}},         // unknown: toward the target unturned
    };
    for (const Case& c : cases) {
        MakeHeld(400, 400, 400, 700);  // target straight below: heading 0
        NewWeapon();
        TAMA_FIRE& f = Fire();
        f.fireType = u8(c.type);
        f.shots = u16(c.count);
        f.value1 = i16(c.v1);
        f.value2 = i16(c.v2);
        f.aimOrigin = 1;
        Launch();
        Frame();
        std::vector<int> got;
        for (LIST_DATA* s : Shots()) {
            const int h = Heading(s);
            got.push_back(h > 180 ? h - 360 : h);
        }
        ASSERT_EQ(got.size(), c.angles.size()) << "type " << c.type;
        // The rotation turns the point by -degrees, the heading counts clockwise: a positive angle
        // shows as a negative heading. One degree of rounding is allowed.
        for (std::size_t i = 0; i < got.size(); i++) EXPECT_NEAR(got[i], -c.angles[i], 1) << "type " << c.type << " shot " << i;
        Reset();
    }
}

TEST_F(TamaLnch, HoldingFreezingAndEnding) {
    MakeHeld();
    NewWeapon();
    Fire().loops = 100;
    LIST_DATA* l = Launch();
    Frame();
    EXPECT_EQ(Shots().size(), 1u);

    // A frozen mech keeps its launcher silent.
    player_->meka->freeze = 5;
    Frame(3);
    EXPECT_EQ(Shots().size(), 1u);
    EXPECT_EQ(OBJ_Get(l->index), l);
    player_->meka->freeze = 0;
    Frame();
    EXPECT_EQ(Shots().size(), 2u);

    // The hold test still runs while frozen.
    player_->meka->freeze = 5;
    Fire().holdMask = 0;
    Frame();
    EXPECT_FALSE(OBJ_Get(l->index));
    EXPECT_EQ(player_->child, -999);

    // A lost target or another technique ends it.
    Fire().holdMask = 0xffff;
    player_->meka->freeze = 0;
    l = Launch();
    player_->target = -1;
    l->target = -1;
    Frame();
    EXPECT_EQ(TamaLnchCnt, 0);
    player_->target = cpu_->index;
    l = Launch();
    player_->meka->waza = 1;
    Frame();
    EXPECT_EQ(TamaLnchCnt, 0);
}

TEST_F(TamaLnch, DeletingTheOlderLauncherKeepsTheOwnersLinkToTheNewer) {
    MakeHeld();
    NewWeapon();
    Fire().loops = 100;
    LIST_DATA* first = Launch();
    LIST_DATA* second = Launch();
    EXPECT_EQ(player_->child, second->index);
    TAMA_DeleteLauncher(first);
    EXPECT_EQ(player_->child, second->index);
    TAMA_DeleteLauncher(second);
    EXPECT_EQ(player_->child, -999);
    EXPECT_EQ(TamaLnchCnt, 0);
}

TEST_F(TamaLnch, NoWeaponDataNoShot) {
    MakeHeld();
    // "Tama.dat" missing: the table is empty.
    LIST_DATA* l = Launch();
    ASSERT_TRUE(l);
    Frame();
    EXPECT_TRUE(Shots().empty());
    EXPECT_EQ(TamaLnchCnt, 0);
    EXPECT_EQ(TAMA_CreateShot(0, player_, 0, 0, 0, 0, 0, 0, 1, 1, 0, 6), -1);
    // A record taken out of use is refused the same way.
    NewWeapon();
    TAMA_UnlinkData(0);
    EXPECT_EQ(TAMA_CreateShot(0, player_, 0, 0, 0, 0, 0, 0, 1, 1, 0, 6), -1);
}

TEST_F(TamaLnch, AFullPoolOrSpriteTableMakesNothing) {
    MakeHeld();
    NewWeapon();
    std::vector<int> taken;
    while (LIST_DATA* o = OBJ_Alloc(OBJ_KIND_EFFECT)) taken.push_back(o->index);
    const i16 child = player_->child;
    EXPECT_EQ(TAMA_CreateLauncher(player_, &Fire()), -1);
    EXPECT_EQ(player_->child, child);
    EXPECT_EQ(TamaLnchCnt, 0);
    OBJ_Free(taken.back());
    OBJ_Free(taken[taken.size() - 2]);
    LIST_DATA* l = Launch();
    ASSERT_TRUE(l);
    // One object left but no sprite slot of the world's part: the shot is refused and the sprite
    // table untouched.
    std::vector<int> sprites;
    for (int s = SPR_GetFreeWorldSpr(); s >= 0; s = SPR_GetFreeWorldSpr()) {
        ASSERT_EQ(SPR_CreateSpr(s, 0, 0, 0, EftSprGrpNo, 0), 1);
        sprites.push_back(s);
    }
    Frame();
    EXPECT_TRUE(Shots().empty());
    SPR_DelSpr(sprites.back());
    TamaLnchCnt = 0;
    l = Launch();
    Frame();
    EXPECT_EQ(Shots().size(), 1u);
    for (int s : sprites) SPR_DelSpr(s);
    for (int i : taken) OBJ_Free(i);
}

}  // namespace
