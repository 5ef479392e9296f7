#include <gtest/gtest.h>

#include "display_support.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/input_fake.h"
#include "platform/picture.h"
#include "shell/input/cur.h"
#include "shell/input/inp.h"
#include "test_support.h"
#include "tools/writers/grp_writer.h"
#include "tools/writers/spr_writer.h"

namespace {

constexpr int kGroup = 3;
constexpr char kSetName[] = "Bmp\\Cursor\\Cursor.spr";

// A cursor set: an 8×8 white arrow image, pages 0..5 showing it with the hot spot at the top left,
// sequence t (0..4) stepping through pages t and t + 1.
void WriteCursorSet(const test::TempDir& dir) {
    tools::GrpImage img;
    img.bpp = 16;
    img.width = 8;
    img.height = 8;
    for (int i = 0; i < 64; ++i) {
        img.pixels.push_back(0xFF);  // 555 white
        img.pixels.push_back(0x7F);
    }
    dir.Write("Bmp/Cursor/Arrow.grp", tools::GrpBytes(img, false));
    tools::SprSetDef set;
    set.images = {"Arrow"};
    for (int p = 0; p < 6; ++p) {
        tools::SprPageDef page;
        page.parts.push_back(tools::SprPartDef{0, {0, 0, 8, 8}, {0, 0, 8, 8}, 0});
        set.pages.push_back(page);
    }
    for (u16 t = 0; t < 5; ++t) set.seqs[t] = {{t, 0}, {u16(t + 1), 0}};
    dir.Write("Bmp/Cursor/Cursor.spr", tools::SprFile(set));
}

class Cursor : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display.ok());
        plat::SetInputBackend(&fake);
        ASSERT_EQ(INP_Init(nullptr, nullptr), &fake);
        SPR_Init();
        WriteCursorSet(dir);
    }
    void TearDown() override {
        SPR_Release();
        test::EmptySurfaceSlots();
        INP_Term();
        plat::SetInputBackend(nullptr);
        plat::SetPicturePlacement(RECT{0, 0, 640, 480}, 640, 480);
    }
    // Loads the set; the cursor is the only sprite, so it sits in slot 0.
    SPR_DATA* Init() {
        EXPECT_EQ(CUR_Init(kSetName, kGroup), 1);
        return SPR_GetSpr(0);
    }
    int RenewAt(i32 x, i32 y) {
        INP_SetMousePos(x, y);
        return CUR_Renew(nullptr);
    }

    test::HeadlessDisplay display;
    plat::FakeInputBackend fake;
    test::TempDir dir;
    test::ScopedCwd cwd{dir.path()};
};

TEST_F(Cursor, InitCreatesTheSpriteAndStartsSequenceZero) {
    SPR_DATA* spr = Init();
    ASSERT_NE(spr, nullptr);
    EXPECT_EQ(spr->x, 320);
    EXPECT_EQ(spr->y, 240);
    EXPECT_EQ(spr->priority, 0);
    EXPECT_EQ(spr->group, kGroup);
    EXPECT_EQ(spr->mode, 4);
    EXPECT_EQ(spr->step, 0);      // sequence number
    EXPECT_EQ(spr->first, 0);     // step index
    EXPECT_EQ(spr->last, 1);      // looping
    EXPECT_EQ(spr->view2, 0);     // hidden from the first renew until a screen shows it
    EXPECT_EQ(CUR_GetType(), 0);

    // The start-up's SetType(0) changes nothing: the sequence is not restarted.
    SPR_RenewAnime();
    SPR_RenewAnime();
    ASSERT_EQ(spr->first, 1);
    CUR_SetType(0);
    EXPECT_EQ(spr->first, 1);

    EXPECT_EQ(RenewAt(10, 10), 1);
    EXPECT_EQ(spr->view, 0);
}

TEST_F(Cursor, AMissingSetLeavesTheGameWithoutAPointer) {
    EXPECT_EQ(CUR_Init("Bmp\\Cursor\\None.spr", kGroup + 1), 1);
    EXPECT_EQ(SPR_GetFreeSpr(), 0);  // no sprite was taken
    EXPECT_EQ(RenewAt(10, 10), 0);
    CUR_Show(1);
    CUR_SetPri(4);
    EXPECT_EQ(SPR_GetFreeSpr(), 0);
    EXPECT_EQ(fake.cursorHides, 0);  // the system pointer is never hidden
}

TEST_F(Cursor, RenewFollowsInsideThePictureAndHidesAtItsEdges) {
    SPR_DATA* spr = Init();
    CUR_Show(1);
    EXPECT_EQ(RenewAt(639, 479), 1);
    EXPECT_EQ(spr->x, 639);
    EXPECT_EQ(spr->y, 479);
    EXPECT_EQ(spr->view, 1);
    EXPECT_EQ(fake.cursorHides, 1);

    struct Out {
        i32 x, y;
    };
    for (Out o : {Out{640, 479}, Out{-1, 0}, Out{0, 480}, Out{5, -1}}) {
        EXPECT_EQ(RenewAt(o.x, o.y), 0) << o.x << "," << o.y;
        EXPECT_EQ(spr->view, 0);
        EXPECT_EQ(spr->x, 639);  // not moved
        EXPECT_EQ(RenewAt(639, 479), 1);
        EXPECT_EQ(spr->view, 1);  // back with the view chosen by Show
    }
    EXPECT_EQ(fake.cursorHides, 5);  // hidden only by the renews inside
}

TEST_F(Cursor, ShowZeroSurvivesMovesUntilShowOne) {
    SPR_DATA* spr = Init();
    CUR_Show(0);
    RenewAt(100, 100);
    RenewAt(120, 90);
    EXPECT_EQ(spr->view, 0);
    EXPECT_EQ(spr->x, 120);
    CUR_Show(1);
    RenewAt(130, 80);
    EXPECT_EQ(spr->view, 1);
    EXPECT_EQ(spr->x, 130);
}

TEST_F(Cursor, TypeMinusOneIsStickyUntilAShapeIsChosen) {
    SPR_DATA* spr = Init();
    CUR_Show(1);
    CUR_SetType(-1);
    EXPECT_EQ(CUR_GetType(), -1);
    EXPECT_EQ(spr->view, 0);
    EXPECT_EQ(RenewAt(50, 60), 1);
    EXPECT_EQ(spr->x, 50);
    EXPECT_EQ(spr->view, 0);
    RenewAt(51, 60);
    EXPECT_EQ(spr->view, 0);

    CUR_SetType(0);
    EXPECT_EQ(spr->view, 1);
    CUR_Show(0);
    CUR_SetType(-1);
    CUR_SetType(2);  // view at once; the next renew brings back view 2
    EXPECT_EQ(spr->view, 1);
    RenewAt(52, 60);
    EXPECT_EQ(spr->view, 0);
}

TEST_F(Cursor, SetTypeRestartsTheSequenceOnlyOnChange) {
    SPR_DATA* spr = Init();
    CUR_SetType(1);
    EXPECT_EQ(spr->step, 1);
    EXPECT_EQ(spr->page, 1);
    SPR_RenewAnime();
    SPR_RenewAnime();
    ASSERT_EQ(spr->first, 1);
    ASSERT_EQ(spr->page, 2);
    CUR_SetType(1);  // the same type: no restart
    EXPECT_EQ(spr->first, 1);
    EXPECT_EQ(spr->page, 2);
    for (int t : {5, -2, 100}) {
        CUR_SetType(t);  // not a shape: ignored
        EXPECT_EQ(CUR_GetType(), 1);
        EXPECT_EQ(spr->step, 1);
    }
    CUR_SetType(4);
    EXPECT_EQ(spr->step, 4);
    EXPECT_EQ(spr->page, 4);
    EXPECT_EQ(spr->first, 0);

    CUR_SetPri(7);
    EXPECT_EQ(spr->priority, 7);

    // A restart goes back to the first step of the shown type, and does nothing while hidden.
    SPR_RenewAnime();
    SPR_RenewAnime();
    ASSERT_EQ(spr->page, 5);
    CUR_Restart();
    EXPECT_EQ(spr->step, 4);
    EXPECT_EQ(spr->page, 4);
    EXPECT_EQ(spr->first, 0);
    SPR_RenewAnime();
    SPR_RenewAnime();
    CUR_SetType(-1);
    CUR_Restart();
    EXPECT_EQ(spr->page, 5);
}

u16 Pixel(i32 x, i32 y) {
    plat::SurfaceDesc d{};
    EXPECT_EQ(SURF_Lock(DispBackBuffer, &d), 0);
    const u16 p = reinterpret_cast<const u16*>(static_cast<const u8*>(d.pixels) + y * d.pitch)[x];
    SURF_Unlock(DispBackBuffer);
    return p;
}

TEST_F(Cursor, ItsPixelsSitAtTheMouseAfterOneDrawAndVanishOffThePicture) {
    Init();
    CUR_Show(1);
    DISP_SetClipRect(0, 0, 640, 480);
    RenewAt(100, 50);
    SURF_Fill(DispBackBuffer, nullptr, 0);
    SPR_DrawAllSpr(-1);
    const u16 white = Pixel(100, 50);
    EXPECT_GE(white, 0xFFC0);  // 555 white widened to 565
    EXPECT_EQ(Pixel(107, 57), white);
    EXPECT_EQ(Pixel(99, 50), 0);
    EXPECT_EQ(Pixel(108, 50), 0);
    EXPECT_EQ(Pixel(100, 49), 0);

    RenewAt(636, 50);  // clipped at the right edge
    SURF_Fill(DispBackBuffer, nullptr, 0);
    SPR_DrawAllSpr(-1);
    EXPECT_EQ(Pixel(639, 50), white);
    EXPECT_EQ(Pixel(635, 50), 0);

    RenewAt(640, 50);
    SURF_Fill(DispBackBuffer, nullptr, 0);
    SPR_DrawAllSpr(-1);
    for (i32 x = 600; x < 640; ++x) ASSERT_EQ(Pixel(x, 50), 0) << x;
}

TEST_F(Cursor, ThePointerOnTheLetterboxBarsReadsAsOutside) {
    SPR_DATA* spr = Init();
    CUR_Show(1);
    // A 960×480 window with the picture in the middle: bars of 160 on either side.
    plat::SetPicturePlacement(RECT{160, 0, 800, 480}, 640, 480);
    fake.cursorX = 100;
    fake.cursorY = 100;
    INP_RenewMouse();
    EXPECT_EQ(CUR_Renew(nullptr), 0);
    EXPECT_EQ(fake.cursorHides, 0);
    fake.cursorX = 170;
    INP_RenewMouse();
    EXPECT_EQ(CUR_Renew(nullptr), 1);
    EXPECT_EQ(spr->x, 10);
    EXPECT_EQ(spr->y, 100);
    EXPECT_EQ(fake.cursorHides, 1);
    fake.cursorX = 800;  // the right bar
    INP_RenewMouse();
    EXPECT_EQ(CUR_Renew(nullptr), 0);
}

}  // namespace
