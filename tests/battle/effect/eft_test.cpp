// Effects: every type's set-up, the updates through the frame walk, the ends through the animation
// step, followers losing their owners, the debris burst, and creation with the pool or the sprite
// table exhausted.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "battle/btl_draw.h"
#include "battle/data/meka_type.h"
#include "battle/effect/eft.h"
#include "battle/map/map.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "battle/tama/tama.h"
#include "graphics/sprite/spr.h"
#include "platform/random.h"
#include "screens/btl/btl.h"
#include "screens/save/save.h"
#include "shell/sound/sound.h"
#include "shell/sys.h"
#include "test_support.h"
#include "tests/battle/battle_env.h"
#include "tools/writers/meka_set_writer.h"

extern int BtlFrameState;

namespace {

using Ints = std::vector<int>;

class Eft : public test::BattleEnv {
protected:
    void SetUp() override {
        BattleEnv::SetUp();
        SYS_SetSeq(4);
        BtlFrameState = 5;
        plat::SRand(7);
        OpenBlankMap(kMapW, kMapH);
    }
    void TearDown() override {
        BattleEnv::TearDown();
        BtlFrameState = 0;
    }
    // A mech of type 0 in slot 0 for the effects that follow one.
    LIST_DATA* Mech(int team = 0) {
        EXPECT_TRUE(tools::SaveSimpleMekaSet(dir_.path(), MekaNameTbl[0]));
        SAVE_InitGameData();
        EXPECT_EQ(MEKA_Create(0, team, MEKA_CTRL_CPU, 0, 300, 200), 1);
        return MekaSlotTbl[0];
    }
    static LIST_DATA* Make(int type, LIST_DATA* owner, int x, int y, int z) { return OBJ_Get(EFT_Create(type, owner, x, y, z)); }
    static SPR_DATA* Spr(const LIST_DATA* o) { return SPR_GetSpr(o->spr); }
    // A shot drawn with the effect set (its pages carry hit rectangles 8 and 15), asking for trails.
    static LIST_DATA* Shot(int x, int y, int z) {
        LIST_DATA* s = OBJ_Alloc(OBJ_KIND_SHOT);
        const int spr = SPR_GetFreeSpr();
        EXPECT_TRUE(SPR_CreateSpr(spr, 128, x, y, EftSprGrpNo, 3));
        s->spr = i16(spr);
        s->x = x;
        s->y = y;
        s->z = z;
        s->tama->trailMade = 1;
        return s;
    }

    static constexpr int kMapW = 40, kMapH = 30;
};

TEST_F(Eft, EveryTypeStartsItsSequenceWithItsLookAndFlags) {
    plat::SetRandSource([] { return 0; });
    struct Case {
        int type, seq, loop;
        u32 attr;
        int scale, facing, children;
    };
    const Case cases[] = {
        {0, 47, 0, 8, 512, 0, 0},       {1, 62, 0, 0, 256, 0, 0},      {2, 57, 0, 0, 256, 0, 0},
        {5, 60, 0, 0, 256, 0, 0},       {6, 61, 0, 0, 256, 0, 0},      {7, 65, 0, 0x800, 256, 0, 0},
        {8, 70, 0, 0, 256, 0, 0},       {9, 82, 1, 0, 256, 0, 0},      {10, 87, 1, 0, 256, 0, 0},
        {11, 92, 0, 0x400, 256, 0, 0},  {12, 97, 1, 64, 256, 0, 0},    {13, 98, 0, 0, 256, 0, 0},
        {14, 99, 1, 0, 128, 0, 0},      {15, 104, 0, 0, 192, 0, 0},    {16, 107, 0, 0, 256, 0, 1},
        {17, 108, 0, 0, 256, 0, 1},     {18, 109, 1, 0, 256, 6, 0},    {19, 111, 1, 0x400, 256, 0, 0},
        {20, 110, 1, 0x400, 256, 0, 0}, {21, 112, 1, 0, 256, 0, 0},    {22, 115, 0, 0, 256, 0, 0},
        {23, 116, 0, 0, 256, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const int before = EftCnt;
        LIST_DATA* e = Make(c.type, nullptr, 300, 200, 12);
        ASSERT_NE(e, nullptr);
        const SPR_DATA* s = Spr(e);
        EXPECT_EQ((Ints{s->step, s->last, int(s->attr), s->scaleX, s->scaleY, s->pageOffset, EftCnt - before - 1}),
                  (Ints{c.seq, c.loop, int(c.attr), c.scale, c.scale, c.facing, c.children}));
        // Every type: priority 128, the height given, no team and no owner.
        EXPECT_EQ((Ints{s->priority, s->height, s->owner, e->level, e->team, e->owner}),
                  (Ints{128, 12, e->index, 4, 255, -999}));
    }
    // The trail's blend level and the small debris halted on its first page.
    EXPECT_EQ(Spr(Make(12, nullptr, 0, 0, 0))->level, 16);
    EXPECT_EQ(Spr(Make(15, nullptr, 0, 0, 0))->running, 0);
    const LIST_DATA* debris = Make(14, nullptr, 0, 0, 0);
    EXPECT_EQ((Ints{debris->zSpeed, debris->subStep, int(debris->shadow)}), (Ints{1, 1, 1}));
}

TEST_F(Eft, OwnersLendTeamTargetVelocityAndTheAfterImagesPicture) {
    LIST_DATA* m = Mech(1);
    m->target = 77;
    m->vx16 = 0x18000;
    m->vy16 = -0x8000;
    SPR_DATA* ms = Spr(m);
    ms->pageOffset = 3;
    SPR_SetSprScale(m->spr, 300, 310);

    LIST_DATA* eight = Make(8, m, 300, 200, 0);
    EXPECT_EQ((Ints{eight->team, eight->owner, eight->target, eight->vx16}), (Ints{1, m->index, 77, 0x18000}));
    LIST_DATA* after = Make(24, m, 300, 200, 0);
    ASSERT_NE(after, nullptr);
    const SPR_DATA* as = Spr(after);
    EXPECT_EQ((Ints{as->group, as->page, as->scaleX, as->scaleY, int(as->attr), as->level}),
              (Ints{ms->group, ms->page + 3, 300, 310, 64, 30}));

    // The chain near its parent's facing, wrapped into 24: rand() & 1 = 0, then 2 - 4 % 5 = -2.
    ms->pageOffset = 1;
    int draw = 0;
    const int draws[] = {0, 4};
    plat::SetRandSource([&] { return draws[draw++ % 2]; });
    EXPECT_EQ(Spr(Make(10, m, 0, 0, 0))->pageOffset, 23);
}

TEST_F(Eft, CreateRefusesBadTypesMissingOwnersAndFullTables) {
    const int live = ObjLiveCnt;
    for (int type : {-1, 25, 1000}) EXPECT_EQ(EFT_Create(type, nullptr, 0, 0, 0), -1) << type;
    EXPECT_EQ(EFT_Create(24, nullptr, 0, 0, 0), -1);
    LIST_DATA* bare = OBJ_Alloc(OBJ_KIND_SHOT);  // an owner without a sprite
    EXPECT_EQ(EFT_Create(24, bare, 0, 0, 0), -1);
    EXPECT_EQ(ObjLiveCnt, live + 1);
    EXPECT_EQ(EftCnt, 0);

    // The sprite table full: nothing taken from the pool.
    std::vector<int> held;
    for (int s; (s = SPR_GetFreeSpr()) >= 0;) {
        ASSERT_TRUE(SPR_CreateSpr(s, 0, 0, 0, EftSprGrpNo, 0));
        held.push_back(s);
    }
    EXPECT_EQ(EFT_Create(0, nullptr, 0, 0, 0), -1);
    EXPECT_EQ(ObjLiveCnt, live + 1);
    for (int s : held) SPR_DelSpr(s);

    // The pool full: no sprite kept.
    while (OBJ_Alloc(OBJ_KIND_CHIP)) {
    }
    const int freeSpr = SPR_GetFreeSpr();
    EXPECT_EQ(EFT_Create(0, nullptr, 0, 0, 0), -1);
    EXPECT_EQ(SPR_GetFreeSpr(), freeSpr);
    EXPECT_EQ(SPR_GetAnySpr(freeSpr), nullptr);
    EXPECT_EQ(EftCnt, 0);
}

TEST_F(Eft, AChainGrowsAtItsTipUntilTheTablesAreFull) {
    // Never the 1/3 chances: segments made in the walk are visited in it and grow on, until the sprite
    // table is full; then the chain simply stops.
    plat::SetRandSource([] { return 1; });
    LIST_DATA* root = Make(10, nullptr, 100, 100, 0);
    Walk();
    const auto effects = test::LiveEffects();
    ASSERT_GT(effects.size(), 100u);
    // Only the world's part of the sprite table: the rest stays for the menus.
    EXPECT_EQ(SPR_GetFreeWorldSpr(), -1);
    EXPECT_EQ(SPR_GetFreeSpr(), SPR_WORLD_MAX);
    EXPECT_EQ(int(effects.size()), EftCnt);
    // The child stands at the tip: the parent's position plus hit rectangle 8's top-left.
    EXPECT_EQ(effects[1], (std::array<int, 5>{10, root->index, 108, 96, 0}));
    EXPECT_EQ(EFT_Create(0, nullptr, 0, 0, 0), -1);

    // The 1/3 chance every time: the root ends and the segments without their parent follow it.
    plat::SetRandSource([] { return 0; });
    Walk();
    EXPECT_EQ(EftCnt, 0);
    EXPECT_EQ(ObjLiveCnt, 0);

    // With five objects left in the pool the chain takes them and stops.
    plat::SetRandSource([] { return 1; });
    while (ObjLiveCnt < OBJ_MAX - 5) OBJ_Alloc(OBJ_KIND_CHIP);
    Make(10, nullptr, 100, 100, 0);
    Walk();
    EXPECT_EQ(EftCnt, 5);
    EXPECT_EQ(ObjLiveCnt, OBJ_MAX);
}

TEST_F(Eft, SparksAndSpawners) {
    // A spark made with step 0 ends at its first update; one with a step slows as it ages.
    Make(1, nullptr, 50, 50, 0);
    LIST_DATA* spark = Make(1, nullptr, 50, 50, 0);
    spark->subStep = 3;
    spark->vx16 = 0x10000;
    Walk();
    EXPECT_EQ(EftCnt, 1);
    EXPECT_EQ(spark->x, 52);
    Walk();
    EXPECT_EQ(spark->x, 53);

    // A spawner whose creator set a step never spawns and moves by it.
    LIST_DATA* moved = Make(3, nullptr, 200, 200, 0);
    moved->subStep = 2;
    moved->vy16 = 0x10000;
    for (int i = 0; i < 5; ++i) Walk();
    EXPECT_EQ(EftCnt, 1);
    EXPECT_EQ(moved->y, 210);

    // Chance, angle 0 (the point straight above), a first rand() & 7 of 0: lifetime 10 + 0 and scale
    // 0 + 128 + 64 for type 5. One spark only, the spawner's step set to 1.
    test::ClearEffects();
    plat::SetRandSource([] { return 0; });
    LIST_DATA* spawner = Make(5, nullptr, 200, 200, 7);
    Walk();
    auto effects = test::LiveEffects();
    ASSERT_EQ(effects.size(), 2u);
    LIST_DATA* s = OBJ_Get(spawner->next);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->eft->type, 1);
    EXPECT_EQ(s->owner, spawner->index);
    EXPECT_EQ(s->z, 7);
    EXPECT_EQ(s->subStep, 10 - 1);  // visited in the walk that made it
    EXPECT_EQ(Spr(s)->scaleX, 192);
    EXPECT_EQ(i64(s->vx16) * s->vx16 + i64(s->vy16) * s->vy16 > i64(60000) * 60000, true);
    EXPECT_EQ(spawner->subStep, 1);
    Walk();
    EXPECT_EQ(test::LiveEffects().size(), 2u);
}

TEST_F(Eft, OneShotsEndThroughTheAnimationStepAndLoopsDoNot) {
    LIST_DATA* once = Make(13, nullptr, 100, 100, 0);
    LIST_DATA* loop = Make(20, nullptr, 100, 100, 0);
    const int loopIndex = loop->index;
    for (int frame = 0; frame < 20 && once->use; ++frame) {
        BTL_RenewSprAnim(0);
        Walk();
    }
    EXPECT_EQ(once->use, 0);
    EXPECT_NE(OBJ_Get(loopIndex), nullptr);
    EXPECT_EQ(EftCnt, 1);
}

TEST_F(Eft, TheAuraFollowsItsMechUntilTheTimedStateChanges) {
    LIST_DATA* m = Mech();
    m->meka->timedState = 1;
    m->meka->timedFrames = 5;
    LIST_DATA* aura = Make(9, m, 0, 0, 0);
    m->x = 320;
    m->z = 4;
    Walk();
    EXPECT_EQ((Ints{aura->x, aura->y, aura->z, Spr(aura)->step, int(Spr(aura)->attr & 0x400)}),
              (Ints{320, 216, 36, 82, 0x400}));
    // Frames read as a signed byte: 200 is negative, the aura's end starts.
    m->meka->timedFrames = 200;
    Walk();
    EXPECT_EQ(Spr(aura)->step, 83);
    EXPECT_EQ(Spr(aura)->last, 0);
    // A mech gone: the aura deletes itself.
    LIST_DATA* other = Make(9, m, 0, 0, 0);
    MEKA_Delete(0);
    Walk();
    EXPECT_EQ(other->use, 0);
}

TEST_F(Eft, TrailsSpawnPastThirtySixPixelsAndFadeOnlyInPlay) {
    LIST_DATA* shot = Shot(0, 0, 0);
    LIST_DATA* trail = Make(12, shot, 100, 100, 0);
    // p = (108, 96): 36 px away exactly makes nothing, one more pixel makes the next segment.
    shot->x = 108 + 36;
    shot->y = 96;
    Walk();
    EXPECT_EQ(EftCnt, 1);
    EXPECT_EQ(Spr(trail)->level, 14);
    shot->x++;
    Walk();
    ASSERT_EQ(EftCnt, 2);
    LIST_DATA* next = OBJ_Get(trail->next);
    EXPECT_EQ((Ints{next->eft->type, next->owner, next->x, next->y, next->flagA, trail->flagB}),
              (Ints{12, shot->index, 108, 96, 16, 1}));
    // Outside play the segments keep their level.
    BtlFrameState = 6;
    const int level = Spr(trail)->level;
    Walk();
    EXPECT_EQ(Spr(trail)->level, level);
    SYS_SetSeq(5);  // the script scene fades them
    Walk();
    EXPECT_EQ(Spr(trail)->level, level - 2);
    SYS_SetSeq(4);
    BtlFrameState = 5;
    // Fading by 2 to 2 or less ends a segment that spawned.
    while (trail->use) Walk();
    EXPECT_EQ(Spr(next)->level, 6);  // made at 18, two less each frame of play since
    // The shot no longer asking for trails ends every segment.
    shot->tama->trailMade = 0;
    Walk();
    EXPECT_EQ(EftCnt, 0);
}

TEST_F(Eft, TheGlowFollowsBoxFifteenOfItsShot) {
    LIST_DATA* shot = Shot(200, 150, 20);
    SPR_SetSprScale(shot->spr, 512, 512);
    Spr(shot)->pageOffset = 5;
    LIST_DATA* glow = Make(19, shot, 0, 0, 0);
    EXPECT_EQ(Spr(glow)->pageOffset, 5);
    Walk();
    EXPECT_EQ(glow->x, 200 + 2 * tools::kEffectGlowRect.left);  // the box scales with the shot
    EXPECT_EQ(glow->y, 150 + 2 * tools::kEffectGlowRect.top);
    EXPECT_EQ(glow->z, 20);
    EXPECT_EQ(glow->x16, glow->x << 16);
    EXPECT_EQ(Spr(glow)->scaleX, 512);
    // A shot record reused by a launcher counts as gone.
    shot->kind = OBJ_KIND_LAUNCHER;
    Walk();
    EXPECT_EQ(glow->use, 0);
}

TEST_F(Eft, LaserPiecesFollowTheChainAndHideOnAFreshLauncher) {
    LIST_DATA* lnch = OBJ_Alloc(OBJ_KIND_LAUNCHER);
    LIST_DATA* tip = Make(21, lnch, 0, 0, 0);
    tip->flagB = 4;
    tip->zSpeed = 1;
    // A zero-filled list (every entry "shot 0") counts to 64 and stops there: the tip hides.
    Walk();
    EXPECT_EQ(tip->use, 1);
    EXPECT_EQ(Spr(tip)->view, 0);

    for (i16& s : lnch->lnch->shots) s = -1;
    LIST_DATA* base = Make(21, lnch, 0, 0, 0);
    base->flagB = 1;
    Walk();
    EXPECT_EQ(Spr(base)->view, 0);
    EXPECT_EQ(Spr(tip)->view, 0);

    LIST_DATA* s0 = Shot(100, 100, 10);
    LIST_DATA* s1 = Shot(140, 100, 10);
    lnch->lnch->shots[0] = s0->index;
    lnch->lnch->shots[1] = s1->index;
    lnch->lnch->extension = 3;
    Walk();
    EXPECT_EQ((Ints{Spr(base)->view, Spr(base)->step, base->subStep, Spr(base)->scaleX, base->x, Spr(tip)->view,
                    Spr(tip)->step}),
              (Ints{1, 112, 3, 512, 100, 1, 18}));
    // The tip at the last shot's box 8; the shot has no owner, so no rise.
    EXPECT_EQ(tip->x, 140 + tools::kEffectTipRect.left);
    EXPECT_EQ(tip->y, 100 + tools::kEffectTipRect.top);
    // The chosen shot gone from the pool: the piece ends.
    OBJ_Free(s0->index);
    Walk();
    EXPECT_EQ(base->use, 0);
    EXPECT_EQ(tip->use, 1);
}

TEST_F(Eft, DebrisBouncesSoundsAndLeavesTheMap) {
    LoadSounds();
    // Variant 3 plays 44 at its landing, the others 45.
    for (auto [variant, se] : {std::array<int, 2>{3, 44}, {0, 45}}) {
        SE_Stop(44);
        SE_Stop(45);
        LIST_DATA* d = Make(14, nullptr, 300, 200, 0);
        d->flagA = u8(variant);
        d->zSpeed = 8;
        d->vx16 = d->vy16 = 0;
        int frames = 0;
        while (d->z >= 0 && frames < 40 && !(frames > 0 && d->z == 0)) {
            Walk();
            frames++;
        }
        EXPECT_EQ(d->zSpeed, 4) << variant;
        EXPECT_EQ(SE_IsPlaying(se), 1) << variant;
        EXPECT_EQ(SE_IsPlaying(se == 44 ? 45 : 44), 0) << variant;
        test::ClearEffects();
    }
    // Upward speed 3 halves to 1 at the landing: below 2, deleted.
    LIST_DATA* d = Make(14, nullptr, 300, 200, 0);
    d->zSpeed = 3;
    for (int i = 0; i < 40 && d->use; ++i) Walk();
    EXPECT_EQ(d->use, 0);

    // Off each side of the map, at once.
    for (auto [x, y, vx, vy] : {std::array<int, 4>{0, 100, -1, 0}, {kMapW * 16 - 1, 100, 1, 0},
                                {100, 0, 0, -1}, {100, kMapH * 16 - 1, 0, 1}}) {
        LIST_DATA* e = Make(14, nullptr, x, y, 0);
        e->zSpeed = 10;
        e->subStep = 1;
        e->vx16 = vx << 16;
        e->vy16 = vy << 16;
        Walk();
        EXPECT_EQ(e->use, 0) << x << "," << y;
    }
}

TEST_F(Eft, SmallDebrisSettlesAndPlaysItsSequence) {
    plat::SetRandSource([] { return 1; });  // never the 1/3 chance
    LIST_DATA* d = Make(15, nullptr, 300, 200, 0);
    d->zSpeed = 8;
    d->vx16 = d->vy16 = 0;
    do Walk();
    while (d->z > 0);
    EXPECT_EQ(d->zSpeed, 2);
    EXPECT_EQ(Spr(d)->running, 0);  // may bounce again
    d->zSpeed = 5;  // lands with 1
    do Walk();
    while (d->z > 0);
    EXPECT_EQ(d->zSpeed, 1);
    EXPECT_EQ(Spr(d)->running, 1);

    // A blocking cell turns the velocity round.
    cells_[std::size_t(12 * kMapW + 20)].attrA = 1;
    LIST_DATA* e = Make(15, nullptr, 20 * 16 + 8, 12 * 16 + 8, 40);
    e->vx16 = 0x20000;
    e->vy16 = -0x10000;
    Walk();
    EXPECT_EQ(e->vx16, -0x20000);
    EXPECT_EQ(e->vy16, 0x10000);
}

TEST_F(Eft, SmokeSinksDriftsAndEnds) {
    plat::SetRandSource([] { return 2; });  // drift 3, lifetime 5, direction - 1
    LIST_DATA* s = Make(18, nullptr, 100, 100, 20);
    EXPECT_EQ(s->flagA, 3);
    EXPECT_EQ(s->flagB, 5);
    Walk();
    Walk();
    EXPECT_EQ(s->z, 4);
    Walk();
    EXPECT_EQ((Ints{s->z, s->dir, Spr(s)->pageOffset, s->subStep}), (Ints{1, 5, 5, 3}));
    int frames = 3;
    while (s->use) {
        Walk();
        frames++;
    }
    EXPECT_EQ(frames, 8);  // counter 1..6 on the ground, past lifetime 5 at the sixth
}

TEST_F(Eft, AfterImagesFadeSixLevelsOnlyInPlayOrTheScene) {
    LIST_DATA* owner = Make(20, nullptr, 0, 0, 0);
    LIST_DATA* a = Make(24, owner, 0, 0, 0);
    ASSERT_NE(a, nullptr);
    BtlFrameState = 6;
    Walk();
    EXPECT_EQ(Spr(a)->level, 30);
    EXPECT_EQ(Spr(a)->running, 1);
    std::vector<int> levels;
    BtlFrameState = 2;
    SYS_SetSeq(5);
    while (a->use) {
        levels.push_back(Spr(a)->level);
        Walk();
    }
    EXPECT_EQ(levels, (std::vector<int>{30, 24, 18, 12, 6, 0}));
}

TEST_F(Eft, DebrisBurstsFromBoxesFourteenAndFifteen) {
    LIST_DATA* m = Mech();
    SPR_PAGE* page = SPR_GetGrpPage(Spr(m)->group, Spr(m)->page);
    page->hit[14] = RECT{-10, -30, 10, -10};
    page->hit[15] = RECT{5, -50, 5, -40};  // no width: skipped
    map_.scrollX = 100;
    map_.screenX = 40;
    CurObj = m;
    CurMeka = m->meka;
    m->meka->moveVx = 0x30000;
    RECT r{};
    ASSERT_TRUE(SPR_GetHitRectScr(m->spr, 14, &r));
    const int left = r.left + 60, top = r.top;

    EXPECT_EQ(EFT_CreateDebris(-1, 4, 10), 0);
    EXPECT_EQ(EftCnt, 0);
    for (int i = 0; i < 20; ++i) ASSERT_EQ(EFT_CreateDebris(13, 0, 10), 1);
    ASSERT_EQ(EftCnt, 20);
    for (const auto& e : test::LiveEffects()) {
        if (e[0] != 13) continue;
        EXPECT_TRUE(e[2] == left || e[2] == left - 1) << e[2];
        EXPECT_TRUE(e[3] == top || e[3] == top - 1) << e[3];
        EXPECT_EQ(e[1], m->index);
    }
    // Draw order: dy, dx, then the velocity spreads and the step; 2000 - 0 each way.
    test::ClearEffects();
    std::vector<int> draws{1, 0, 0, 0, 7};
    std::size_t at = 0;
    plat::SetRandSource([&] { return at < draws.size() ? draws[at++] : 0; });
    EFT_CreateDebris(13, 3, 10);
    const LIST_DATA* e = OBJ_Get(ObjActTail);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ((Ints{e->x, e->y, e->vx16, e->subStep}), (Ints{left + 3, top + 3 - 1, -0x30000 + 2000 * 16, 5 + 7 % 6}));
}

TEST_F(Eft, TermTwiceReleasesTheSetOnce) {
    const int g = EftSprGrpNo;
    ASSERT_GE(g, 0);
    EFT_Term();
    EXPECT_EQ(EftSprGrpNo, -1);
    EXPECT_EQ(SprPageTbl[g], nullptr);
    // The slot is taken by someone else; a second release must not free it.
    ASSERT_TRUE(tools::SaveSimpleMekaSet(dir_.path(), "other"));
    ASSERT_TRUE(SPR_LoadSprGrp(g, "Bmp\\Meka\\other.spr", 0));
    EFT_Term();
    EXPECT_NE(SprPageTbl[g], nullptr);
    SPR_DelSprGrp(g);
    EXPECT_EQ(EFT_Create(0, nullptr, 0, 0, 0), -1);  // no set, no effect
}

}  // namespace
