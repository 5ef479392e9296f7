#include <gtest/gtest.h>

#include <cstring>

#include "display_support.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "shell/common.h"
#include "test_support.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/grp_writer.h"
#include "tools/writers/lz_writer.h"
#include "tools/writers/spr_writer.h"

namespace {

tools::GrpImage SolidImage(u16 pixel, u32 w = 8, u32 h = 8) {
    tools::GrpImage img;
    img.bpp = 16;
    img.width = w;
    img.height = h;
    for (u32 i = 0; i < w * h; ++i) {
        img.pixels.push_back(u8(pixel));
        img.pixels.push_back(u8(pixel >> 8));
    }
    return img;
}

tools::SprSetDef TwoImageSet() {
    tools::SprSetDef set;
    set.images = {"Shared", "Own"};
    tools::SprPageDef page;
    page.wait = 3;
    page.parts.push_back({0, RECT{0, 0, 8, 8}, RECT{0, 0, 8, 8}, 0});
    page.parts.push_back({1, RECT{10, 5, 18, 13}, RECT{0, 0, 8, 8}, 0});
    page.hit[2] = RECT{1, 2, 3, 4};
    set.pages.push_back(page);
    set.pages.push_back(tools::SprPageDef{});  // a page without parts still has its hit rectangles
    set.seqs[0] = {{1, 2}, {0, 0}};
    return set;
}

class SpriteSlots : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display.ok());
        SPR_Init();
        tools::SaveGrp(dir.File("Bmp/Effect/Shared.grp"), SolidImage(0x1234), true);
        tools::SaveGrp(dir.File("Bmp/Effect/Own.grp"), SolidImage(0x0F0F), false);
        tools::SaveGrp(dir.File("Bmp/Meka/Shared.grp"), SolidImage(0x7777), false);
        tools::SaveFile(dir.File("Bmp/Effect/Effect.spr"), tools::SprFile(TwoImageSet()));
    }
    void TearDown() override {
        SPR_Release();
        for (int i = 0; i < SURF_SLOT_MAX; ++i)
            while (SurfTbl[i].useCount) SPR_DelSurfDat(i);
    }
    std::string Path(const char* rel) { return dir.path() + "/" + rel; }

    test::HeadlessDisplay display;
    test::TempDir dir;
};

TEST_F(SpriteSlots, GroupsShareImagesByStem) {
    ASSERT_EQ(SPR_LoadSprGrp(0, Path("Bmp\\Effect\\Effect.spr").c_str(), 0), 1);
    int shared = SprGrpTbl[0].imageSlot[0];
    EXPECT_EQ(SurfTbl[shared].useCount, 1);
    EXPECT_STREQ(SurfTbl[shared].name, "Shared");
    // Part image indices became slot numbers.
    EXPECT_EQ(SprPageTbl[0][0].parts[1].image, SprGrpTbl[0].imageSlot[1]);
    EXPECT_EQ(SprPageTbl[0][0].hit[2].bottom, 4);
    EXPECT_EQ(SprGrpTbl[0].pageCount, 2);
    EXPECT_EQ(SprSeqTbl[0][0].count, 2);

    // Another set, or a picture from another folder, naming the same stem shares the first picture.
    ASSERT_EQ(SPR_LoadSprGrp(1, Path("Bmp/Effect/Effect.spr").c_str(), 0), 1);
    EXPECT_EQ(SprGrpTbl[1].imageSlot[0], shared);
    EXPECT_EQ(SPR_LoadSurf(Path("Bmp/Meka/Shared.bmp").c_str(), 0), shared);
    EXPECT_EQ(SurfTbl[shared].useCount, 3);

    SPR_DelSprGrp(0);
    EXPECT_EQ(SurfTbl[shared].useCount, 2);
    EXPECT_NE(SPR_GetSlotSurf(shared), nullptr);
    EXPECT_EQ(SPR_GetFreeSprGrp(), 0);

    // A released group drops exactly the uses it held.
    SPR_Release();
    EXPECT_EQ(SurfTbl[shared].useCount, 1);
    EXPECT_EQ(SPR_DelSurfDat2(shared), -1);
    EXPECT_EQ(SurfTbl[shared].useCount, 0);
    EXPECT_EQ(SPR_GetSlotSurf(shared), nullptr);
}

TEST_F(SpriteSlots, AMissingImageLeavesNoSlot) {
    auto set = TwoImageSet();
    set.images[1] = "Missing";
    tools::SaveFile(dir.File("Bmp/Effect/Broken.spr"), tools::SprFile(set));
    ASSERT_EQ(SPR_LoadSprGrp(0, Path("Bmp/Effect/Broken.spr").c_str(), 0), 1);
    EXPECT_EQ(SprGrpTbl[0].imageSlot[1], 0xFFFF);
    EXPECT_EQ(SPR_GetSlotSurf(SprPageTbl[0][0].parts[1].image), nullptr);
    SPR_DelSprGrp(0);  // drops no use for the missing image
}

TEST_F(SpriteSlots, MalformedSetsAreRefusedWhole) {
    test::DebugCapture debug;
    auto body = tools::SprBody(TwoImageSet());
    auto save = [&](const std::vector<u8>& b, const char* magic = "SPR") {
        tools::ByteWriter w;
        w.Text(magic).Bytes(tools::LzCompress(b));
        tools::SaveFile(dir.File("bad.spr"), w.bytes());
        return SPR_LoadSprGrp(3, Path("bad.spr").c_str(), 0);
    };
    EXPECT_EQ(save(body, "SPQ"), 0);
    EXPECT_EQ(save(std::vector<u8>(body.begin(), body.end() - 5)), 0);  // counts beyond the body
    auto badImage = body;
    badImage[2 + 7 + 4 + 2 + 10] = 9;  // first part's image index past the list
    EXPECT_EQ(save(badImage), 0);
    auto tooMany = body;
    tooMany[0] = 33;
    EXPECT_EQ(save(tooMany), 0);
    EXPECT_EQ(SprPageTbl[3], nullptr);
    for (const auto& d : SurfTbl) EXPECT_EQ(d.useCount, 0);  // nothing leaked
    EXPECT_TRUE(debug.Contains("damaged"));

    EXPECT_EQ(SPR_LoadSprGrp(-1, Path("Bmp/Effect/Effect.spr").c_str(), 0), 0);
    ASSERT_EQ(SPR_LoadSprGrp(3, Path("Bmp/Effect/Effect.spr").c_str(), 0), 1);
    EXPECT_EQ(SPR_LoadSprGrp(3, Path("Bmp/Effect/Effect.spr").c_str(), 0), 0);  // slot in use
}

// A damaged stream header stating a body of gigabytes is refused before anything is allocated.
TEST_F(SpriteSlots, BodiesBeyondAnySetAreRefused) {
    test::DebugCapture debug;
    tools::LzTokenWriter lz;
    lz.Literals(tools::SprBody(TwoImageSet()));
    lz.expandedSize = 0xFFFFFFF0u;
    tools::ByteWriter w;
    w.Text("SPR").Bytes(lz.Build());
    tools::SaveFile(dir.File("huge.spr"), w.bytes());
    EXPECT_EQ(SPR_LoadSprGrp(2, Path("huge.spr").c_str(), 0), 0);
    EXPECT_EQ(SprPageTbl[2], nullptr);
    EXPECT_TRUE(debug.Contains("too large"));

    // The damaged file the fuzzer found, as it was.
    const std::string found = std::string(KORVANE_TESTDATA_DIR) + "/fuzz/spr/huge-body";
    EXPECT_EQ(SPR_LoadSprGrp(2, found.c_str(), 0), 0);
    EXPECT_EQ(SprPageTbl[2], nullptr);
}

TEST_F(SpriteSlots, StemsAreCutAtTheLastSeparatorAndDot) {
    int a = SPR_LoadSurf(Path("Bmp/Effect/Own.grp").c_str(), 0);
    ASSERT_GE(a, 0);
    EXPECT_STREQ(SurfTbl[a].name, "Own");
    test::DebugCapture debug;
    EXPECT_EQ(SPR_LoadSurf(Path("Bmp/ABCDEFGHIJKLMNOPQRSTUVWXYZ.grp").c_str(), 0), -1);
    EXPECT_TRUE(debug.Contains("too long"));
}

TEST_F(SpriteSlots, BlankSlotsAreNeverShared) {
    int a = SPR_CreateSurf(640, 480, 0);
    int b = SPR_CreateSurf(640, 480, 0);
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    EXPECT_NE(a, b);
    EXPECT_STREQ(SurfTbl[b].name, "CREATE !");
    i32 w = 0, h = 0;
    EXPECT_EQ(SPR_GetSurfSize(b, &w, &h), b);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(SPR_GetSurfSize(200, &w, &h), -1);
    EXPECT_EQ(SPR_GetTSprSize(b, &w, &h), 1);
}

TEST_F(SpriteSlots, DroppingAUseOfNoSlot) {
    const int a = SPR_CreateSurf(8, 8, 0);
    ASSERT_GE(a, 0);
    ++SurfTbl[a].useCount;
    EXPECT_EQ(SPR_DelSurfDat2(a), -1);  // one use left
    EXPECT_EQ(SurfTbl[a].useCount, 1);
    EXPECT_NE(SPR_GetSlotSurf(a), nullptr);
    EXPECT_EQ(SPR_DelSurfDat(a), 1);
    EXPECT_EQ(SurfTbl[a].useCount, 0);
    EXPECT_STREQ(SurfTbl[a].name, "");
    EXPECT_EQ(SPR_DelSurfDat(a), 1);  // free: unchanged
    EXPECT_EQ(SurfTbl[a].useCount, 0);
    EXPECT_EQ(SPR_DelSurfDat(-1), 0);
    EXPECT_EQ(SPR_DelSurfDat(SURF_SLOT_MAX), 0);
    EXPECT_EQ(SPR_DelSurfDat2(SURF_SLOT_MAX), SURF_SLOT_MAX);
    EXPECT_EQ(SPR_DelSurfDat2(0xFFFF), 0xFFFF);
}

TEST_F(SpriteSlots, FullTableStillFindsKnownStems) {
    int own = SPR_LoadSurf(Path("Bmp/Effect/Own.grp").c_str(), 0);
    for (int i = 1; i < SURF_SLOT_MAX; ++i) ASSERT_GE(SPR_CreateSurf(4, 4, 0), 0);
    EXPECT_EQ(SPR_CreateSurf(4, 4, 0), -1);
    EXPECT_EQ(SPR_LoadSurf(Path("Bmp/Effect/Shared.grp").c_str(), 0), -1);
    EXPECT_EQ(SPR_LoadSurf(Path("Bmp/Effect/Own.grp").c_str(), 0), own);
}

TEST_F(SpriteSlots, PushAndPopKeepPicturesAndKeys) {
    int own = SPR_LoadSurf(Path("Bmp/Effect/Own.grp").c_str(), 0);
    SPR_SetSurfColorKey(0x0F0F);
    int blank = SPR_CreateSurf(16, 16, 0);
    SPR_SetSurfColorKey(0);
    const int count = DispSurfCount;

    SPR_PushSurfAll();
    EXPECT_EQ(SurfTbl[own].surface, nullptr);
    SURF_SAVE* first = SurfTbl[own].saved;
    ASSERT_NE(first, nullptr);
    SPR_PushSurfAll();  // a second save keeps the first copies
    EXPECT_EQ(SurfTbl[own].saved, first);
    EXPECT_EQ(DispSurfCount, count - 2);

    SPR_PopSurfAll();
    EXPECT_EQ(DispSurfCount, count);
    EXPECT_EQ(SurfTbl[own].saved, nullptr);
    plat::SurfaceDesc desc{};
    ASSERT_EQ(SURF_Lock(SurfTbl[own].surface, &desc), 0);
    u16 px;
    std::memcpy(&px, desc.pixels, 2);
    SURF_Unlock(SurfTbl[own].surface);
    EXPECT_NE(px, 0);
    EXPECT_EQ(SurfTbl[blank].surface->colorKeyLow, 0x0F0Fu);
    plat::Surface* before = SurfTbl[own].surface;
    SPR_PopSurfAll();  // nothing saved: nothing changes
    EXPECT_EQ(SurfTbl[own].surface, before);
}

TEST_F(SpriteSlots, SurfaceSpritesTakeTheWholeSurfaceOrARect) {
    int slot = SPR_CreateSurf(40, 30, 0);
    EXPECT_EQ(SPR_CreateTSpr(0, 5, 1, 2, 77, nullptr), 0);  // free slot
    ASSERT_EQ(SPR_CreateTSpr(0, 5, 1, 2, slot, nullptr), 1);
    EXPECT_EQ(SPR_GetTSpr(0)->src.right, 40);
    EXPECT_EQ(SPR_GetTSpr(0)->drawH, 30);
    SPR_SetTSprRect(0, 16, 8, 32, 24);
    EXPECT_EQ(SPR_GetTSpr(0)->src.right, 48);
    EXPECT_EQ(SPR_GetTSpr(0)->src.bottom, 32);
    EXPECT_EQ(SPR_GetTSpr(0)->drawW, 32);
    // A group sprite created into the same slot replaces the record.
    ASSERT_EQ(SPR_LoadSprGrp(0, Path("Bmp/Effect/Effect.spr").c_str(), 0), 1);
    ASSERT_EQ(SPR_CreateSpr(0, 5, 0, 0, 0, 0), 1);
    EXPECT_EQ(SPR_GetTSpr(0), nullptr);
    EXPECT_EQ(SPR_GetSprPartCnt(0), 2);
}

}  // namespace
