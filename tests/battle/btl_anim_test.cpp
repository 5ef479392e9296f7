// The battle's sprite animation step (owners' end flags, shot and technique waits and loops, the pause
// flag, deletion at the end) and the zoom rectangle.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "battle/btl_draw.h"
#include "battle/data/meka_type.h"
#include "battle/data/tama_data.h"
#include "battle/data/waza_data.h"
#include "battle/effect/eft.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "battle/tama/tama.h"
#include "graphics/sprite/spr.h"
#include "platform/memory.h"
#include "test_support.h"
#include "tools/writers/battle_data_writer.h"
#include "tools/writers/byte_writer.h"

namespace {

using Ints = std::vector<int>;

class BtlAnim : public ::testing::Test {
protected:
    void SetUp() override {
        SPR_Release();
        ASSERT_EQ(OBJ_Init(), 1);
        auto* pages = static_cast<SPR_PAGE*>(plat::GlobalAllocZero(sizeof(SPR_PAGE) * 8));
        SprPageTbl[0] = pages;
        SprGrpTbl[0].pageCount = 8;
    }
    void TearDown() override {
        OBJ_FreeAll();
        SPR_Release();
    }
    // Sequence n of group 0: steps {page, wait}.
    static void MakeSeq(int n, const std::vector<std::pair<u16, u16>>& steps) {
        auto* st = static_cast<SPR_STEP*>(plat::GlobalAllocZero(sizeof(SPR_STEP) * steps.size()));
        for (size_t i = 0; i < steps.size(); ++i) st[i] = SPR_STEP{steps[i].first, steps[i].second, {}};
        SprSeqTbl[0][n] = SPR_SEQ{u16(steps.size()), st};
    }
    // Sprite s playing sequence seq once, owned by a new object of the kind (or none for kind -1).
    static LIST_DATA* Play(int s, int seq, int kind, int loop = 0) {
        EXPECT_EQ(SPR_CreateSpr(s, 128, 0, 0, 0, 0), 1);
        EXPECT_EQ(SPR_SetSeq(s, seq, loop, 1), 1);
        if (kind < 0) return nullptr;
        LIST_DATA* o = OBJ_Alloc(kind);
        SPR_SetSprObjNo(s, o->index);
        o->spr = i16(s);
        return o;
    }
    // The page shown after each of `frames` steps (-1 once the sprite is gone), and how often `flag`
    // went up (it is put back down each time).
    static std::vector<int> Trace(int s, int frames, u8* flag = nullptr, int* raised = nullptr, int pause = 0) {
        std::vector<int> pages;
        for (int i = 0; i < frames; ++i) {
            BTL_RenewSprAnim(pause);
            const SPR_DATA* spr = SPR_GetSpr(s);
            pages.push_back(spr ? spr->page : -1);
            if (flag && *flag) {
                ++*raised;
                *flag = 0;
            }
        }
        return pages;
    }
};

TEST_F(BtlAnim, AOneShotMechSequenceRaisesTheEndFlagOnceAndKeepsItsLastPage) {
    MakeSeq(2, {{3, 0}, {4, 1}, {5, 0}});
    LIST_DATA* mech = Play(0, 2, OBJ_KIND_MEKA);
    int raised = 0;
    EXPECT_EQ(Trace(0, 7, &mech->meka->frameDone, &raised), (std::vector<int>{3, 4, 4, 5, 5, 5, 5}));
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(SPR_IsAnime(0), 0);
    EXPECT_EQ(SPR_GetSpr(0)->first, 2);
}

TEST_F(BtlAnim, PageRangesStepLoopBounceAndStop) {
    const struct {
        int mode, first, last;
        std::vector<int> pages;
        int running;
    } cases[] = {
        {2, 3, 6, {4, 5, 6, 3, 4}, 1},
        {0, 0, 5, {1, 2, 3, 4, 4, 4}, 0},
        {3, 2, 4, {3, 4, 3, 2, 3}, 1},
        {1, 2, 4, {3, 4, 3, 3}, 0},
        {2, 6, 3, {5, 4, 3, 6, 5}, 1},  // backwards
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode);
        ASSERT_EQ(SPR_CreateSpr(0, 128, 0, 0, 0, 0), 1);
        SPR_SetAnime(0, c.mode, c.first, c.last);
        SPR_GetSpr(0)->wait = 0;
        EXPECT_EQ(Trace(0, int(c.pages.size())), c.pages);
        EXPECT_EQ(SPR_IsAnime(0), c.running);
    }
    // Page waits: the page reached for a forward step, the page below it going back.
    SprPageTbl[0][4].wait = 2;
    SprPageTbl[0][3].wait = 1;
    SPR_SetAnime(0, 3, 3, 5);
    SPR_GetSpr(0)->wait = 0;
    EXPECT_EQ(Trace(0, 7), (std::vector<int>{4, 4, 4, 5, 5, 5, 4}));
}

TEST_F(BtlAnim, ThePauseFlagHoldsMechsAndShotsButNotEffectsChipsOrOwnerlessSprites) {
    MakeSeq(0, {{1, 0}, {2, 0}, {3, 0}, {4, 0}});
    Play(0, 0, OBJ_KIND_MEKA);
    Play(1, 0, OBJ_KIND_SHOT);
    Play(2, 0, OBJ_KIND_EFFECT);
    Play(3, 0, OBJ_KIND_CHIP);
    Play(4, 0, -1);
    Play(5, 0, -1);
    SPR_SetSprObjNo(5, 4000);  // an owner outside the pool is none
    LIST_DATA* gone = Play(6, 0, OBJ_KIND_MEKA);
    OBJ_Free(gone->index);     // its sprite went with it: a new one names the freed record
    Play(6, 0, -1);
    SPR_SetSprObjNo(6, gone->index);
    for (int i = 0; i < 2; ++i) BTL_RenewSprAnim(1);
    std::vector<int> pages;
    for (int s = 0; s < 7; ++s) pages.push_back(SPR_GetSpr(s)->page);
    EXPECT_EQ(pages, (std::vector<int>{1, 1, 2, 2, 2, 2, 2}));
    BTL_RenewSprAnim(0);  // the held wait runs on
    EXPECT_EQ(SPR_GetSpr(0)->page, 1);
    BTL_RenewSprAnim(0);
    EXPECT_EQ(SPR_GetSpr(0)->page, 2);
}

// ---- shots ----

class ShotAnim : public BtlAnim {
protected:
    void SetUp() override {
        BtlAnim::SetUp();
        weapon_ = tools::NewTama(0);
        MakeSeq(1, {{1, 0}, {2, 0}});
    }
    LIST_DATA* Shot(u8 timing, i16 duration, int s = 0, int seq = 1) {
        TAMA_STEP& st = weapon_.phase[1].step[2];
        st.timing = timing;
        st.duration = duration;
        LIST_DATA* o = Play(s, seq, OBJ_KIND_SHOT);
        o->tama->weapon = &weapon_;
        o->tama->phase = 1;
        o->tama->step = 2;
        return o;
    }
    TAMA_DATA weapon_{};
};

TEST_F(ShotAnim, ShotStepsLoopByTheirTimingOrDuration) {
    const struct {
        u8 timing;
        i16 duration;
        bool loops;
    } cases[] = {{2, 10, true}, {3, 10, true}, {0, 255, true}, {0, 10, false}, {1, 10, false}, {4, 10, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "timing " << int(c.timing) << " duration " << c.duration);
        LIST_DATA* shot = Shot(c.timing, c.duration);
        int raised = 0;
        const std::vector<int> pages = Trace(0, 4, &shot->tama->animeEnd, &raised);
        EXPECT_EQ(pages, c.loops ? (std::vector<int>{1, 2, 1, 2}) : (std::vector<int>{1, 2, 2, 2}));
        EXPECT_EQ(raised, c.loops ? 0 : 1);
        OBJ_Free(shot->index);
    }
}

TEST_F(ShotAnim, ALongSequencePlaysEveryStepWithTheShotsWaitsAsFarAsTheyGo) {
    std::vector<std::pair<u16, u16>> steps;
    for (u16 i = 0; i < 200; ++i) steps.push_back({i, u16(i == 150 ? 1 : 0)});
    MakeSeq(7, steps);
    LIST_DATA* shot = Shot(0, 10, 0, 7);
    for (u16& w : shot->tama->waits) w = 0;
    shot->tama->waits[5] = 2;
    shot->tama->waits[128] = 1;
    int raised = 0;
    const std::vector<int> pages = Trace(0, 220, &shot->tama->animeEnd, &raised);
    std::vector<int> want{0};
    for (int i = 1; i < 200; ++i) {
        want.push_back(i);
        if (i == 5) want.insert(want.end(), 2, 5);
        if (i == 128 || i == 150) want.push_back(i);
    }
    want.resize(pages.size(), 199);
    EXPECT_EQ(pages, want);
    EXPECT_EQ(raised, 1);
}

TEST_F(ShotAnim, AnEffectDeletedAtItsEndForgetsItsSprite) {
    MakeSeq(3, {{1, 0}});
    LIST_DATA* eft = Play(9, 3, OBJ_KIND_EFFECT);
    SPR_SetAnimeDel(9, 1);
    BTL_RenewSprAnim(0);
    BTL_RenewSprAnim(0);
    EXPECT_EQ(eft->eft->kill, 1);
    EXPECT_EQ(SPR_GetAnySpr(9), nullptr);
    EXPECT_EQ(eft->spr, -999);
    ASSERT_EQ(SPR_CreateSpr(9, 20, 0, 0, 0, 0), 1);  // someone else takes the slot
    OBJ_Free(eft->index);
    EXPECT_NE(SPR_GetSpr(9), nullptr);
}

TEST_F(BtlAnim, ASequenceWithoutStepsStops) {
    MakeSeq(4, {{2, 0}});
    Play(0, 4, -1);
    SprSeqTbl[0][4].count = 0;
    BTL_RenewSprAnim(0);
    BTL_RenewSprAnim(0);
    EXPECT_EQ(SPR_IsAnime(0), 0);
}

// ---- techniques ----

class WazaAnim : public BtlAnim {
protected:
    void SetUp() override {
        BtlAnim::SetUp();
        cwd_ = std::make_unique<test::ScopedCwd>(dir_.path());
        std::vector<WAZA_DATA> records(1, tools::NewWaza());
        const std::string path = dir_.File(std::string("Dat/") + MekaNameTbl[kType] + ".waz");
        ASSERT_TRUE(tools::SaveFile(path, tools::WazFile(records)));
        ASSERT_EQ(WAZA_LoadData(kType), 1);
        MakeSeq(1, {{1, 0}, {2, 0}});
    }
    void TearDown() override {
        WAZA_ReleaseData(kType);
        BtlAnim::TearDown();
    }
    // A mech running frame 3 of motion 2 of technique 0, the frame's wait mode and wait as given.
    LIST_DATA* Mech(u8 waitMode, i16 wait, i16 subAct = 1) {
        WAZA_FRAME& f = WAZA_GetData(kType, 0)->motion[2].frame[3];
        f.waitMode = waitMode;
        f.wait = wait;
        LIST_DATA* o = Play(0, 1, OBJ_KIND_MEKA);
        MEKA_WORK* m = o->meka;
        m->type = kType;
        m->waza = 0;
        m->motion = 2;
        m->frame = 3;
        m->subAct = subAct;
        for (u16& w : m->frameWait) w = 0;
        return o;
    }
    static constexpr int kType = 1;
    test::TempDir dir_;
    std::unique_ptr<test::ScopedCwd> cwd_;
};

TEST_F(WazaAnim, TechniqueFramesLoopByTheirWaitModeAndTakeTheMechsWaits) {
    const struct {
        const char* what;
        u8 waitMode;
        i16 wait;
        i16 subAct;
        bool loops;
    } cases[] = {
        {"wait mode 0 plays once", 0, 10, 1, false},
        {"wait mode 1 plays once", 1, 10, 2, false},
        {"timer", 2, 10, 1, true},
        {"until landing", 3, 10, 1, true},
        {"until the launcher is gone", 4, 10, 1, true},
        {"wait 255", 0, 255, 1, true},
        {"no technique running keeps the sprite's flag", 2, 10, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LIST_DATA* mech = Mech(c.waitMode, c.wait, c.subAct);
        int raised = 0;
        EXPECT_EQ(Trace(0, 4, &mech->meka->frameDone, &raised),
                  c.loops ? (std::vector<int>{1, 2, 1, 2}) : (std::vector<int>{1, 2, 2, 2}));
        EXPECT_EQ(raised, c.loops ? 0 : 1);
        OBJ_Free(mech->index);
    }
    // The frame waits of the mech per step, not the sequence's.
    LIST_DATA* mech = Mech(2, 10);
    mech->meka->frameWait[1] = 2;
    EXPECT_EQ(Trace(0, 5), (std::vector<int>{1, 2, 2, 2, 1}));
    // A technique number its type does not have counts as none running: the sequence's own flag.
    mech->meka->waza = 9;
    SPR_SetSeq(0, 1, 1, 1);
    EXPECT_EQ(Trace(0, 3), (std::vector<int>{1, 2, 1}));
}

// ---- the zoom rectangle ----

std::string Rect(const BTL_ZOOM_RECT& z) {
    return std::to_string(z.left) + "," + std::to_string(z.top) + "," + std::to_string(z.right) + "," +
           std::to_string(z.bottom);
}

TEST(BtlZoom, GrowsToItsTargetInsideTheLimits) {
    BtlZoomRect = BTL_ZOOM_RECT{};
    EXPECT_EQ(BTL_StartZoomRect(0, 100, 50, 640, 480, 30, 30, 10), 1);
    EXPECT_EQ(BTL_StartZoomRect(0, 100, 50, 640, 480, 10, 30, 0), 1);
    EXPECT_EQ(BTL_RenewZoomRect(), -1);

    EXPECT_EQ(BTL_StartZoomRect(0, 100, 50, 640, 480, 10, 40, 10), 0);
    EXPECT_EQ(Rect(BtlZoomRect), "90,40,110,60");
    EXPECT_EQ(BTL_RenewZoomRect(), 0);
    EXPECT_EQ(BTL_RenewZoomRect(), 0);
    EXPECT_EQ(BTL_RenewZoomRect(), 1);
    EXPECT_EQ(Rect(BtlZoomRect), "60,10,140,90");
    EXPECT_EQ(BTL_RenewZoomRect(), 1);  // kept

    // Shrinking past the target stops on it; the edges are pushed back inside 0..limit.
    const struct {
        i32 x, y, size, target, step;
        const char* startRect;
        std::vector<int> results;
        const char* rect;
    } cases[] = {
        {10, 10, 20, 30, 10, "0,0,40,40", {1}, "0,0,60,60"},
        {630, 475, 30, 20, 15, "580,420,640,480", {1}, "600,440,640,480"},
        {320, 240, 50, 0, 20, "270,190,370,290", {0, 0, 1}, "320,240,320,240"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.startRect);
        EXPECT_EQ(BTL_StartZoomRect(0, c.x, c.y, 640, 480, c.size, c.target, c.step), 0);
        EXPECT_EQ(Rect(BtlZoomRect), c.startRect);
        std::vector<int> results;
        for (size_t i = 0; i < c.results.size(); ++i) results.push_back(BTL_RenewZoomRect());
        EXPECT_EQ(results, c.results);
        EXPECT_EQ(Rect(BtlZoomRect), c.rect);
        EXPECT_EQ(BtlZoomRect.size, c.target);
    }

    EXPECT_EQ((Ints{BTL_StartZoomRect(1, 100, 50, 640, 480, 10, 20, 10), BTL_RenewZoomRect(), BTL_RenewZoomRect(),
                    BtlZoomRect.state}),
              (Ints{0, 2, -1, 0}));
}

}  // namespace
