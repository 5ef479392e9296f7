#include <gtest/gtest.h>

#include "display_support.h"
#include "graphics/display/disp.h"
#include "graphics/sprite/spr.h"
#include "test_support.h"

namespace {

class SpriteLayer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display.ok());
        SPR_Init();
    }
    void TearDown() override {
        for (int n = 0; n < SPR_LAYER_MAX; ++n) SPR_CloseLayer(n);
        SPR_Release();
        test::EmptySurfaceSlots();
    }
    static int Level(int n) { return SPR_GetTSpr(SprLayerTbl[n].sprite)->level; }
    static int UsedSurfSlots() {
        int used = 0;
        for (const auto& d : SurfTbl) used += d.useCount ? 1 : 0;
        return used;
    }

    test::HeadlessDisplay display;
    test::FakeClock clock;
};

TEST_F(SpriteLayer, TheLayerTableStartsClosed) {
    // Layer 15 is opened by no test, so it still shows the state before any call.
    EXPECT_EQ(SprLayerTbl[15].open, 0);
    EXPECT_EQ(SprLayerTbl[15].sprite, -1);
    EXPECT_EQ(SprLayerTbl[15].surf, -1);
}

TEST_F(SpriteLayer, LevelsFollowTheClockByType) {
    ASSERT_EQ(SPR_OpenLayer(0, 0, 1000, 5), 1);
    ASSERT_EQ(SPR_OpenLayer(1, 1, 1000, 5), 1);
    ASSERT_EQ(SPR_OpenLayer(2, 2, 1000, 5), 1);
    ASSERT_EQ(SPR_OpenLayer(3, 3, 1000, 5), 1);
    const TSPR_DATA* spr = SPR_GetTSpr(SprLayerTbl[0].sprite);
    EXPECT_EQ(spr->attr, 0x200u);
    EXPECT_EQ(spr->priority, 5);
    EXPECT_EQ(spr->drawW, 640);
    EXPECT_EQ(spr->drawH, 480);
    EXPECT_EQ(Level(0), 31);
    EXPECT_EQ(Level(1), 0);

    struct At {
        u32 ms;
        int level[4];
    };
    const At table[] = {
        {0, {31, 0, 31, 0}},
        {500, {16, 15, 46, 31}},  // 500 × 31 / 1000 = 15
        {1000, {0, 31, 62, 62}},
        {2000, {0, 62, 93, 124}},  // no upper limit after the duration
    };
    const u32 start = SprLayerTbl[0].start;
    for (const At& at : table) {
        clock.Set(start + at.ms);
        SPR_RenewLayer();
        for (int n = 0; n < 4; ++n) EXPECT_EQ(Level(n), at.level[n]) << at.ms << " ms, type " << n;
    }
    // The animation step renews the layers too.
    clock.Set(start + 500);
    SPR_RenewAnime();
    EXPECT_EQ(Level(0), 16);
}

TEST_F(SpriteLayer, AZeroDurationCountsAsOneMillisecond) {
    ASSERT_EQ(SPR_OpenLayer(4, 1, 0, 0), 1);
    ASSERT_EQ(SPR_OpenLayer(5, 0, 0, 0), 1);
    clock.Advance(5);
    SPR_RenewLayer();
    EXPECT_EQ(Level(4), 155);
    EXPECT_EQ(Level(5), 0);
}

TEST_F(SpriteLayer, AnUnknownTypeKeepsItsLevel) {
    ASSERT_EQ(SPR_OpenLayer(6, 9, 100, 0), 1);
    SPR_SetTSprAttrCnt1(SprLayerTbl[6].sprite, 12);
    clock.Advance(50);
    SPR_RenewLayer();
    EXPECT_EQ(Level(6), 12);
}

TEST_F(SpriteLayer, OpeningIsRefusedWhenOpenOrWhenASlotIsMissing) {
    ASSERT_EQ(SPR_OpenLayer(0, 0, 100, 0), 1);
    const SPR_LAYER first = SprLayerTbl[0];
    EXPECT_EQ(SPR_OpenLayer(0, 1, 200, 0), 0);
    EXPECT_EQ(SprLayerTbl[0].surf, first.surf);
    EXPECT_EQ(SprLayerTbl[0].duration, 100u);
    EXPECT_EQ(SPR_OpenLayer(-1, 0, 100, 0), 0);
    EXPECT_EQ(SPR_OpenLayer(SPR_LAYER_MAX, 0, 100, 0), 0);

    // No sprite slot: the surface slot it took is given back and the layer stays closed.
    for (int s = 0; s < SPR_MAX; ++s)
        if (!SprTbl[s]) SPR_CreateFSpr(s, 0, nullptr);
    const int used = UsedSurfSlots();
    EXPECT_EQ(SPR_OpenLayer(1, 0, 100, 0), 0);
    EXPECT_EQ(UsedSurfSlots(), used);
    EXPECT_EQ(SprLayerTbl[1].open, 0);
    EXPECT_EQ(SprLayerTbl[1].sprite, -1);
    EXPECT_EQ(SprLayerTbl[1].surf, -1);

    // No surface slot: no sprite is taken.
    SPR_DelSpr(300);
    for (int i = UsedSurfSlots(); i < SURF_SLOT_MAX; ++i) ASSERT_GE(SPR_CreateSurf(1, 1, 0), 0);
    EXPECT_EQ(SPR_OpenLayer(1, 0, 100, 0), 0);
    EXPECT_EQ(SprTbl[300], nullptr);
    EXPECT_EQ(SprLayerTbl[1].open, 0);
}

TEST_F(SpriteLayer, ClosingReleasesTheSlotAndTheSprite) {
    ASSERT_EQ(SPR_OpenLayer(3, 2, 100, 0), 1);
    const SPR_LAYER layer = SprLayerTbl[3];
    SPR_CloseLayer(3);
    EXPECT_EQ(SurfTbl[layer.surf].useCount, 0);
    EXPECT_EQ(SprTbl[layer.sprite], nullptr);
    EXPECT_EQ(SprLayerTbl[3].open, 0);
    EXPECT_EQ(SprLayerTbl[3].sprite, -1);
    EXPECT_EQ(SprLayerTbl[3].surf, -1);
    EXPECT_EQ(SprLayerTbl[3].duration, 0u);
    SPR_CloseLayer(3);  // closed already
    SPR_CloseLayer(-1);
    SPR_CloseLayer(SPR_LAYER_MAX);
    EXPECT_EQ(SPR_OpenLayer(3, 0, 100, 0), 1);  // and it opens again
}

}  // namespace
