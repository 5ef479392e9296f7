#include <gtest/gtest.h>

#include <vector>

#include "graphics/sprite/spr.h"
#include "platform/memory.h"

namespace {

// A group built in memory: pages with chosen waits and a few sequences, no images.
class SpriteAnime : public ::testing::Test {
protected:
    void SetUp() override {
        SPR_Release();
        MakeGroup(0, std::vector<u16>(8, 0));
    }
    void TearDown() override { SPR_Release(); }

    static void MakeGroup(int g, const std::vector<u16>& waits) {
        auto* pages = static_cast<SPR_PAGE*>(plat::GlobalAllocZero(sizeof(SPR_PAGE) * waits.size()));
        for (size_t i = 0; i < waits.size(); ++i) pages[i].wait = waits[i];
        SprPageTbl[g] = pages;
        SprGrpTbl[g].pageCount = u16(waits.size());
    }
    static void MakeSeq(int g, int n, const std::vector<std::pair<u16, u16>>& steps) {
        auto* st = static_cast<SPR_STEP*>(plat::GlobalAllocZero(sizeof(SPR_STEP) * steps.size()));
        for (size_t i = 0; i < steps.size(); ++i) st[i] = SPR_STEP{steps[i].first, steps[i].second, {}};
        SprSeqTbl[g][n] = SPR_SEQ{u16(steps.size()), st};
    }
    // The page shown now, then after each of `frames` animation steps.
    static std::vector<int> Trace(int s, int frames) {
        std::vector<int> pages{SPR_GetSpr(s)->page};
        for (int i = 0; i < frames; ++i) {
            SPR_RenewAnime();
            pages.push_back(SPR_GetSpr(s) ? SPR_GetSpr(s)->page : -1);
        }
        return pages;
    }
};

TEST_F(SpriteAnime, PageModesFollowTheirRules) {
    ASSERT_EQ(SPR_CreateSpr(0, 0, 0, 0, 0, 0), 1);
    SPR_SetAnime(0, 0, 2, 5);  // one shot ends on the page before the far bound
    EXPECT_EQ(Trace(0, 4), (std::vector<int>{2, 3, 4, 4, 4}));
    EXPECT_EQ(SPR_IsAnime(0), 0);

    SPR_SetAnime(0, 3, 2, 4);  // ping-pong
    EXPECT_EQ(Trace(0, 6), (std::vector<int>{2, 3, 4, 3, 2, 3, 4}));
    SPR_SetAnime(0, 2, 2, 4);  // loop
    EXPECT_EQ(Trace(0, 6), (std::vector<int>{2, 3, 4, 2, 3, 4, 2}));
    SPR_SetAnime(0, 1, 2, 4);  // there and back once
    EXPECT_EQ(Trace(0, 5), (std::vector<int>{2, 3, 4, 3, 3, 3}));
    EXPECT_EQ(SPR_IsAnime(0), 0);
}

TEST_F(SpriteAnime, BackwardsRangesStartAtTheUpperPage) {
    SPR_CreateSpr(0, 0, 0, 0, 0, 0);
    SPR_SetAnime(0, 0, 5, 2);
    EXPECT_EQ(Trace(0, 4), (std::vector<int>{5, 4, 3, 3, 3}));
    SPR_SetAnime(0, 2, 4, 2);  // looping backwards wraps to the upper bound
    EXPECT_EQ(Trace(0, 4), (std::vector<int>{4, 3, 2, 4, 3}));
}

TEST_F(SpriteAnime, APageIsShownForItsWaitPlusOneSteps) {
    SPR_Release();
    MakeGroup(0, {0, 0, 0, 2, 0});
    SPR_CreateSpr(0, 0, 0, 0, 0, 0);
    SPR_SetAnime(0, 5, 3, 3);  // a single page: mode forced to one shot
    EXPECT_EQ(SPR_GetSpr(0)->mode, 0);
    EXPECT_EQ(Trace(0, 3), (std::vector<int>{3, 3, 3, 3}));
    EXPECT_EQ(SPR_IsAnime(0), 0);
}

TEST_F(SpriteAnime, SequencesEndLoopAndDelete) {
    MakeSeq(0, 7, {{1, 0}, {5, 1}, {2, 0}});
    SPR_CreateSpr(0, 0, 0, 0, 0, 0);
    ASSERT_EQ(SPR_SetSeq(0, 7, 0, 1), 1);
    // The first step is shown one frame longer (the frame it was started in).
    EXPECT_EQ(Trace(0, 5), (std::vector<int>{1, 1, 5, 5, 2, 2}));
    EXPECT_EQ(SPR_GetSpr(0)->running, 0);
    EXPECT_EQ(SPR_GetSpr(0)->first, 2);

    SPR_SetSeq(0, 7, 1, 1);
    EXPECT_EQ(Trace(0, 6), (std::vector<int>{1, 1, 5, 5, 2, 1, 5}));

    SPR_SetSeq(0, 7, 0, 1);
    SPR_SetAnimeDel(0, 1);
    Trace(0, 5);
    EXPECT_EQ(SprTbl[0], nullptr);
}

TEST_F(SpriteAnime, BadSequencesAndStepsAreRefused) {
    MakeSeq(0, 1, {{3, 0}});
    SPR_CreateSpr(0, 0, 0, 0, 0, 0);
    EXPECT_EQ(SPR_SetSeq(0, 2, 0, 1), 0);    // empty
    EXPECT_EQ(SPR_SetSeq(0, 128, 0, 1), 0);  // beyond the table
    EXPECT_EQ(SPR_SetSeqStep(0, 1, 1), 0);
    EXPECT_EQ(SPR_SetSeqStep(0, 1, 0), 1);
    EXPECT_EQ(SPR_GetSpr(0)->page, 3);
    EXPECT_EQ(SPR_GetSpr(0)->running, 0);
}

TEST_F(SpriteAnime, PagesBeyondTheGroupReadAsNothing) {
    SPR_Release();
    MakeGroup(0, std::vector<u16>(8, 1));
    for (int p = 0; p < 8; ++p) SprPageTbl[0][p].partCount = 2;  // counted only, never drawn here
    SPR_CreateSpr(0, 0, 0, 0, 0, 0);
    // The loop runs past the 8 pages: pages 8..10 wait 0, the pages inside wait 1.
    SPR_SetAnime(0, 2, 6, 10);
    EXPECT_EQ(Trace(0, 10), (std::vector<int>{6, 6, 7, 7, 8, 9, 10, 6, 6, 7, 7}));
    EXPECT_EQ(SPR_IsAnime(0), 1);

    // The part count reads page + page offset.
    SPR_SetSprPage(0, 7);
    EXPECT_EQ(SPR_GetSprPartCnt(0), 2);
    SPR_GetSpr(0)->pageOffset = 1;
    EXPECT_EQ(SPR_GetSprPartCnt(0), 0);
    SPR_SetSprPage(0, 6);
    EXPECT_EQ(SPR_GetSprPartCnt(0), 2);
    SPR_SetSprPage(0, 100);
    EXPECT_EQ(SPR_GetSprPartCnt(0), 0);
}

TEST_F(SpriteAnime, WaitsAreReadWithoutThePageOffset) {
    SPR_Release();
    MakeGroup(0, {0, 2, 0, 0, 0, 0});
    SPR_CreateSpr(0, 0, 0, 0, 0, 0);
    SPR_GetSpr(0)->pageOffset = 2;  // would move the long wait off page 1
    SPR_SetAnime(0, 2, 0, 3);
    EXPECT_EQ(Trace(0, 6), (std::vector<int>{0, 1, 1, 1, 2, 3, 0}));
}

TEST_F(SpriteAnime, GlobalHideAndPauseSaveOnce) {
    SPR_CreateSpr(0, 0, 0, 0, 0, 0);
    SPR_CreateSpr(1, 0, 0, 0, 0, 0);
    SPR_SetViewAll(0);
    SPR_SetViewAll(0);  // saves the hidden state
    SPR_RestoreViewAll();
    EXPECT_EQ(SprTbl[0]->view, 0);

    SPR_SetAnime(0, 2, 0, 3);
    SPR_SetAnimeAll(0);
    EXPECT_EQ(SPR_IsAnime(0), 0);
    SPR_RestoreAnimeAll();
    EXPECT_EQ(SPR_IsAnime(0), 1);
    SPR_RestoreAnimeAll();  // nothing saved any more: no change
    EXPECT_EQ(SPR_IsAnime(0), 1);

    // A sprite created since the last pause has saved flag 0: a restore stops it.
    SPR_CreateSpr(2, 0, 0, 0, 0, 0);
    SPR_SetAnime(2, 2, 0, 3);
    SPR_RestoreAnimeAll();
    EXPECT_EQ(SPR_IsAnime(2), 0);
}

TEST_F(SpriteAnime, CreationRefusesBadNumbersAndReplacesRecords) {
    EXPECT_EQ(SPR_CreateSpr(-1, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(SPR_CreateSpr(SPR_MAX, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(SPR_CreateSpr(0, 0, 0, 0, -1, 0), 0);
    EXPECT_EQ(SPR_CreateSpr(0, 0, 0, 0, 5, 0), 0);  // group not loaded
    EXPECT_EQ(SPR_CreateFSpr(3, 10, nullptr), 1);
    EXPECT_EQ(SprTbl[3]->owner, 0);
    EXPECT_EQ(SPR_CreateSpr(3, 10, 1, 2, 0, 0), 1);
    ASSERT_NE(SPR_GetSpr(3), nullptr);
    EXPECT_EQ(SPR_GetSpr(3)->owner, -999);
    EXPECT_EQ(SPR_GetSpr(3)->savedView, -1);
    EXPECT_EQ(SPR_GetSpr(3)->savedRunning, 0);
    EXPECT_EQ(SPR_GetSpr(3)->scaleX, 256);
    EXPECT_EQ(SPR_GetSpr(3)->layer, 0);
    EXPECT_EQ(SPR_GetFreeSpr(), 0);
}

// A stop from any mode keeps the page shown and clears the mode and its counters.
TEST_F(SpriteAnime, StopKeepsThePageAndClearsTheCounters) {
    MakeSeq(0, 3, {{6, 1}, {1, 0}});
    const struct {
        const char* what;
        int mode, from, to;  // mode -1: sequence 3, looping
    } cases[] = {{"one shot", 0, 1, 6}, {"there and back", 1, 2, 5}, {"loop", 2, 3, 6}, {"ping-pong", 3, 0, 7},
                 {"sequence", -1, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(SPR_CreateSpr(0, 0, 0, 0, 0, 0), 1);
        if (c.mode < 0)
            ASSERT_EQ(SPR_SetSeq(0, 3, 1, 1), 1);
        else
            SPR_SetAnime(0, c.mode, c.from, c.to);
        Trace(0, 2);
        SPR_DATA* spr = SPR_GetSpr(0);
        const u16 page = spr->page;
        ASSERT_EQ(SPR_IsAnime(0), 1);
        EXPECT_EQ(SPR_StopAnime(0), 1);
        EXPECT_EQ(SPR_IsAnime(0), 0);
        EXPECT_EQ(spr->mode, 0);
        EXPECT_EQ(spr->first, 0);
        EXPECT_EQ(spr->last, 0);
        EXPECT_EQ(spr->step, 0);
        EXPECT_EQ(spr->wait, 0);
        EXPECT_EQ(Trace(0, 3), (std::vector<int>(4, page)));
    }
    EXPECT_EQ(SPR_StopAnime(1), 0);  // no sprite
    SPR_CreateFSpr(1, 0, nullptr);
    EXPECT_EQ(SPR_StopAnime(1), 0);  // not a group sprite
    EXPECT_EQ(SPR_StopAnime(-1), 0);
}

TEST_F(SpriteAnime, WrappersReturnTheHandlesNewValue) {
    EXPECT_EQ(SPR_DelSprDat2(-1), -1);
    EXPECT_EQ(SPR_DelSprDat2(5), 5);
    SPR_CreateSpr(5, 0, 0, 0, 0, 0);
    EXPECT_EQ(SPR_DelSprDat2(5), -1);
    EXPECT_EQ(SprTbl[5], nullptr);
    int handles[3] = {-1, 1, 2};
    SPR_CreateSpr(2, 0, 0, 0, 0, 0);
    EXPECT_EQ(SPR_DelSprDat3(handles, 3), 3);
    EXPECT_EQ(handles[1], 1);
    EXPECT_EQ(handles[2], -1);
    EXPECT_EQ(SPR_DelSurfDat2(-5), -5);

    SPR_CreateFSpr(4, 0, nullptr);
    EXPECT_EQ(SPR_SetSprPos(4, 7, 8), 1);  // any kind
    EXPECT_EQ(SPR_SetSprAttrCnt1(4, 3), 0);  // never on a function sprite
    EXPECT_EQ(SPR_SetSprScale(4, 1, 1), 0);
    EXPECT_EQ(SPR_SetSprLayer(-1, 2), 0);

    // The function-sprite view setter leaves other kinds alone; the general ones take any kind.
    SPR_CreateSpr(6, 0, 0, 0, 0, 0);
    EXPECT_EQ(SPR_SetFSprView(6, 0), 0);
    EXPECT_EQ(SprTbl[6]->view, 1);
    EXPECT_EQ(SPR_SetFSprView(4, 0), 1);
    EXPECT_EQ(SprTbl[4]->view, 0);
    EXPECT_EQ(SPR_SetTSprView(6, 0), 1);
    EXPECT_EQ(SprTbl[6]->view, 0);
}

}  // namespace
