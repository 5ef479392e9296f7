#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/display/grp.h"
#include "graphics/display/surf.h"
#include "menu_support.h"
#include "platform/encoding.h"
#include "platform/net.h"
#include "platform/random.h"
#include "screens/panel/ims_pnl.h"

namespace {

using menutest::MenuTest;
using namespace menutest;

// Down held: a move at once, none while the counter climbs three 100 ms steps, then one a frame.
TEST_F(MenuTest, HeldDownMovesOnceWaitsThenRepeatsEveryFrameAndWraps) {
    OpenMain();
    MENU_MAIN_Select(1);
    std::vector<int> moveFrames;
    int last = MenuMain.cursor;
    std::vector<int> cursors;
    for (int f = 0; f < 16; ++f) {
        Frame({kDikDown});
        if (MenuMain.cursor != last) moveFrames.push_back(f);
        last = MenuMain.cursor;
        cursors.push_back(last);
    }
    ASSERT_GE(moveFrames.size(), 4u);
    EXPECT_EQ(moveFrames[0], 0);
    // The counter takes three 100 ms steps (four 33 ms frames each) before the moves repeat.
    EXPECT_GE(moveFrames[1] * 33, 300);
    EXPECT_LE(moveFrames[1] * 33, 450);
    for (size_t i = 2; i < moveFrames.size(); ++i) EXPECT_EQ(moveFrames[i], moveFrames[i - 1] + 1);
    EXPECT_EQ(cursors[0], 2);
    EXPECT_EQ(cursors[size_t(moveFrames[1])], 3);
    EXPECT_EQ(cursors[size_t(moveFrames[2])], 4);
    EXPECT_EQ(cursors[size_t(moveFrames[3])], 0) << "wraps from 4 to 0";
    // The mouse was put on the item, so the hover keeps the cursor there.
    const MENU_ITEM& it = MenuMainItem[MenuMain.cursor];
    Frame();
    EXPECT_EQ(MenuMain.hover, MenuMain.cursor);
    EXPECT_EQ(input_.warpX, it.x + it.w - 8);
    // Left on item 0 goes to item 4.
    MENU_MAIN_Select(0);
    Frame();
    Frame({kDikLeft});
    EXPECT_EQ(MenuMain.cursor, 4);
}

// With nothing to stand on, every key check reports and takes no step.
TEST_F(MenuTest, KeyChecksWithoutASelectableItemReportAndReturnMinusOne) {
    struct Row {
        const char* name;
        int (*check)();
    };
    const Row rows[] = {{"MENU_MAIN_KeyCheck", MENU_MAIN_KeyCheck},   {"MENU_MEKA_KeyCheck", MENU_MEKA_KeyCheck},
                        {"MENU_WAZA_KeyCheck", MENU_WAZA_KeyCheck},   {"MENU_EQUIP_KeyCheck", MENU_EQUIP_KeyCheck},
                        {"MENU_EQUIP2_KeyCheck", MENU_EQUIP2_KeyCheck}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        test::DebugCapture debug;
        SysKey.current = KEY_DOWN;
        MenuRepeatCnt = 0;
        EXPECT_EQ(r.check(), -1);
        EXPECT_NE(debug.text().find(std::string("Error:") + r.name + "関数：選択出来るところがない！！"), std::string::npos);
    }
    SysKey.current = 0;
}

TEST_F(MenuTest, MainMenuSlidesInBouncesAndSlidesOut) {
    MENU_LoadBmp();
    MENU_MAIN_Start();
    std::vector<i32> xs;
    for (int f = 0; f < 8; ++f) {
        Frame({}, false, false, 600, 400);
        xs.push_back(MenuMainItem[0].x);
    }
    EXPECT_EQ(xs, (std::vector<i32>{-72, -48, -24, 0, -8, 0, -2, 0}));
    EXPECT_EQ(MenuMain.state, 3);
    EXPECT_EQ(SPR_GetTSpr(MenuMainItem[4].spr)->x, 0);
    EXPECT_EQ(MenuMainItem[4].y, 32 + 4 * 32);
    // The cancel key closes: four frames out, then the release answers 99.
    Frame({kDikCancel});
    EXPECT_EQ(MenuMain.state, 4);
    Idle(4);
    EXPECT_EQ(MenuMainItem[0].x, -96);
    EXPECT_EQ(MenuMain.state, 5);
    EXPECT_EQ(MENU_MAIN_Loop(), 99);
    EXPECT_EQ(MenuMain.state, 0);
    EXPECT_EQ(MenuMainItem[0].spr, -1);
    // After a decide that opened a child the release answers 98.
    OpenMain();
    Frame({}, true, false, CentreX(MenuMainItem[1]), CentreY(MenuMainItem[1]));
    EXPECT_EQ(MenuMeka.state, 2) << "the mech menu starts in the same frame";
    int result = 0;
    for (int f = 0; f < 8 && result == 0; ++f) result = MENU_MAIN_Loop();
    EXPECT_EQ(result, 98);
}

TEST_F(MenuTest, RightButtonClosesOnEmptySpaceAndShowsHelpOnAnItem) {
    OpenMain();
    const MENU_ITEM& it = MenuMainItem[3];
    Frame({}, false, true, CentreX(it), CentreY(it));
    EXPECT_EQ(MenuMain.state, 3);
    EXPECT_EQ(MenuMain.help, 3);
    EXPECT_EQ(std::string(MenuHelpMsg.str[2]), plat::Utf8ToDrawnText("データをセーブ、ロード、削除します。"));
    EXPECT_EQ(MenuHelpMsg.tipX, it.x + it.w - 8);
    Frame({}, false, false);
    Frame({}, false, true, 500, 400);
    EXPECT_EQ(MenuMain.state, 4);
    EXPECT_EQ(MenuMain.result, 2);
}

TEST_F(MenuTest, AfterAnActionAHeldButtonDecidesNothingUntilAllAreUp) {
    OpenMain();
    const MENU_ITEM& it = MenuMainItem[3];  // no action: the menu stays
    Frame({}, true, false, CentreX(it), CentreY(it));
    EXPECT_EQ(MenuMain.result, 1);
    EXPECT_EQ(MenuActCnt, 1);
    for (int f = 0; f < 3; ++f) {
        Frame({}, true, false);
        EXPECT_EQ(MenuMain.result, 0);
        Frame({kDikDecide}, true, false);
        EXPECT_EQ(MenuMain.result, 0) << "the decide key waits as well";
    }
    Frame();
    EXPECT_EQ(MenuActCnt, 0);
    Frame({}, true, false);
    EXPECT_EQ(MenuMain.result, 1);
}

TEST_F(MenuTest, WebItemMinimisesOpensThePageAndStays) {
    std::vector<std::string> urls;
    plat::SetBrowserHook([&](const char* url) {
        urls.push_back(url);
        return true;
    });
    OpenMain();
    CloseFlag = 0;
    Frame({}, true, false, CentreX(MenuMainItem[2]), CentreY(MenuMainItem[2]));
    plat::SetBrowserHook({});
    EXPECT_NE(CloseFlag, 0u);
    EXPECT_EQ(urls.size(), 1u);
    EXPECT_EQ(MenuMain.state, 3);
    CloseFlag = 0;
}

// The menu background is one of its seven pictures, chosen by the random number modulo seven.
TEST_F(MenuTest, BackgroundIsPictureRandomModuloSeven) {
    plat::Surface* work = SPR_GetSlotSurf(ScreenWorkSurf);
    const auto bytes = [](const plat::Surface* s) {
        return std::vector<u8>(s->pixels, s->pixels + size_t(s->pitch) * s->height);
    };
    std::vector<std::vector<u8>> pictures;
    for (int n = 0; n < 7; ++n) {
        SURF_Fill(work, nullptr, 1);
        SURF_LoadImageTo(work, MakeFilePath("Bmp\\MenuBG%02d.bmp", n), 0, 0, 0, nullptr);
        pictures.push_back(bytes(work));
    }
    ASSERT_NE(pictures[0], pictures[6]);
    const std::vector<std::pair<int, int>> rows = {{0, 0}, {6, 6}, {7, 0}, {13, 6}, {32762, 2}};
    for (const auto& [random, picture] : rows) {
        plat::SetRandSource([random = random] { return random; });
        SURF_Fill(work, nullptr, 0);
        MENU_SetBG(0);
        EXPECT_TRUE(bytes(work) == pictures[size_t(picture)]) << random;
    }
    plat::SetRandSource({});
}

}  // namespace
