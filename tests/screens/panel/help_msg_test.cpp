// The help balloon's two instances on memory surfaces.
#include <cstring>
#include <string>
#include <vector>

#include "panel_support.h"
#include "screens/panel/ims_pnl.h"

namespace {

using paneltest::PanelFixture;

constexpr const char* kChars = "\xA4\x40\xA4\x41\xA4\x42\xA4\x43";  // four double-byte characters

class HelpMsg : public PanelFixture {
protected:
    static plat::Surface* Strip() { return SPR_GetSlotSurf(ImsHelpMsg.surf); }
    static int Busy() {
        int n = 0;
        for (const HELP_MSG_CHAR& c : ImsHelpMsg.chars) n += c.used;
        return n;
    }
    static bool Green(plat::Surface* s, i32 x, i32 y) { return Pixel(s, x, y) == DISP_PackRGB(64, 255, 64); }
    // Whether anything is drawn in the strip's rectangle.
    static bool Inked(i32 left, i32 top, i32 right, i32 bottom) {
        for (i32 y = top; y < bottom; ++y)
            for (i32 x = left; x < right; ++x)
                if (Pixel(Strip(), x, y) != 0) return true;
        return false;
    }
};

TEST_F(HelpMsg, ThreeEmptyLinesEndWithinTwoFramesShowingOnlyTheFrameAndPointer) {
    MENU_HelpMsg_SetStr2("", "", "");
    MENU_HelpMsg_SetPoint2(100, 200, 40, -10);
    const TSPR_DATA* strip = SPR_GetTSpr(ImsHelpMsg.spr);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(std::vector<i32>({strip->view, strip->y}), std::vector<i32>({1, 190}));
    MENU_HelpMsg_Exec2();
    MENU_HelpMsg_Exec2();
    EXPECT_EQ(ImsHelpMsg.active, 0);
    EXPECT_EQ(Busy(), 0);
    // The frame runs from text x - 2 to text x on row 32; the pointer from its left end up to the tip.
    EXPECT_TRUE(Green(Strip(), 138, 32) && Green(Strip(), 140, 32));
    EXPECT_FALSE(Green(Strip(), 141, 32));
    EXPECT_TRUE(Green(Strip(), 100, 10)) << "the tip";
    EXPECT_FALSE(Inked(141, 0, 640, 33)) << "no characters";
}

TEST_F(HelpMsg, StripAndTipAreClampedAndTheFrameSpansTheWidestLine) {
    struct Case {
        i32 dy, stripY, tipY;
    };
    for (const Case c : {Case{50, 232, 0}, Case{-50, 168, 32}, Case{-10, 190, 10}}) {
        SCOPED_TRACE(c.dy);
        MENU_HelpMsg_Reset2();
        MENU_HelpMsg_SetStr2(kChars, "\xA4\x40", "");
        MENU_HelpMsg_SetPoint2(300, 200, -60, c.dy);
        EXPECT_EQ(SPR_GetTSpr(ImsHelpMsg.spr)->y, c.stripY);
        EXPECT_TRUE(Green(Strip(), 300, c.tipY));
        // dx below 1: the pointer leaves from the frame's right end, text x + widest × 10.
        EXPECT_EQ(ImsHelpMsg.endX, 240 + 40);
        EXPECT_TRUE(Green(Strip(), 238, 32) && Green(Strip(), 280, 32));
        EXPECT_FALSE(Green(Strip(), 237, 32));
    }
}

TEST_F(HelpMsg, ACharacterFadesInOverSevenStepsAndIsBakedIntoTheStrip) {
    MENU_HelpMsg_SetStr2("", "", "\xA4\x40");
    MENU_HelpMsg_SetPoint2(100, 200, 40, -10);
    MENU_HelpMsg_Exec2();  // the first empty line, then the character into slot 0
    const HELP_MSG_CHAR& slot = ImsHelpMsg.chars[0];
    ASSERT_EQ(slot.used, 1);
    const TSPR_DATA* spr = SPR_GetTSpr(slot.spr);
    EXPECT_EQ(std::vector<i32>({slot.x, slot.y, spr->x, spr->y}), std::vector<i32>({140, 20, 140, 190 + 20}));
    EXPECT_EQ(spr->attr, 64u);
    for (int level = 0; level <= 30; level += 5) {
        EXPECT_EQ(spr->level, level);
        EXPECT_EQ(spr->view, 1);
        EXPECT_FALSE(Inked(140, 20, 152, 32));
        MENU_HelpMsg_Exec2();
    }
    EXPECT_EQ(slot.used, 0);
    EXPECT_EQ(spr->view, 0);
    // Drawn at (1, 1) of its cell with the outline around it, now on the strip.
    EXPECT_EQ(Pixel(Strip(), 140, 21), DISP_PackRGB(32, 64, 32)) << "the outline left of the glyph";
    EXPECT_EQ(Pixel(Strip(), 141, 20), DISP_PackRGB(32, 64, 32)) << "the outline above it";
    EXPECT_TRUE(Green(Strip(), 141, 21));
    EXPECT_TRUE(Green(Strip(), 150, 30));
    EXPECT_FALSE(Inked(152, 20, 160, 32));
}

TEST_F(HelpMsg, TypesTwoCharactersAFrameWithASoundAndDropsAnOddLastByte) {
    MENU_HelpMsg_SetStr2("\xA4\x40\xA4\x41\xA4", "", "");
    EXPECT_EQ(ImsHelpMsg.width[0], 2);
    MENU_HelpMsg_SetPoint2(100, 200, 40, -10);
    Played(46);
    MENU_HelpMsg_Exec2();
    EXPECT_EQ(Busy(), 2);
    EXPECT_TRUE(Played(46));
    EXPECT_EQ(Looping(46), 0u) << "the panels' bar plays it once";
    for (int i = 0; i < 10; ++i) MENU_HelpMsg_Exec2();
    EXPECT_EQ(ImsHelpMsg.active, 0);
    EXPECT_TRUE(Inked(140, 0, 152, 12));
    EXPECT_TRUE(Inked(150, 0, 162, 12));
    EXPECT_FALSE(Inked(162, 0, 640, 12)) << "the odd byte is not typed";
}

TEST_F(HelpMsg, TypingWaitsWhileEverySlotIsBusy) {
    MENU_HelpMsg_SetStr2(kChars, "", "");
    MENU_HelpMsg_SetPoint2(100, 200, 40, -10);
    for (HELP_MSG_CHAR& c : ImsHelpMsg.chars) c.used = 1;  // all fading from level 0
    Played(46);
    for (int frame = 1; frame <= 6; ++frame) {
        MENU_HelpMsg_Exec2();
        EXPECT_EQ(ImsHelpMsg.chr, 0) << frame;
        EXPECT_FALSE(Played(46));
    }
    MENU_HelpMsg_Exec2();  // the seventh step frees them all
    EXPECT_EQ(ImsHelpMsg.chr, 2);
    EXPECT_TRUE(Played(46));
}

TEST_F(HelpMsg, LinesAreCutAt79BytesOnAWholeCharacter) {
    std::string wide;
    for (int i = 0; i < 50; ++i) wide += "\xA4\x40";
    const std::string mixed = "a" + wide;
    MENU_HelpMsg_SetStr2(wide.c_str(), mixed.c_str(), nullptr);
    EXPECT_EQ(std::strlen(ImsHelpMsg.str[0]), 78u);
    EXPECT_EQ(std::strlen(ImsHelpMsg.str[1]), 79u);
    EXPECT_EQ(ImsHelpMsg.str[2][0], '\0');
    EXPECT_EQ(ImsHelpMsg.width[0], 39);
    EXPECT_EQ(ImsHelpMsg.widest, 39);
}

TEST_F(HelpMsg, TheMenusBalloonIsItsOwnAndIsReleasedByTerm) {
    MENU_HelpMsg_Init();
    ASSERT_GE(MenuHelpMsg.surf, 0);
    EXPECT_NE(MenuHelpMsg.surf, ImsHelpMsg.surf);
    MENU_HelpMsg_SetStr(kChars, "", "");
    MENU_HelpMsg_SetPoint(100, 200, 40, -10);
    Played(46);
    MENU_HelpMsg_Exec();
    EXPECT_TRUE(Played(46));
    EXPECT_EQ(Looping(46), 0u) << "the table's default for menu01";
    EXPECT_EQ(MenuHelpMsg.chr, 2);
    EXPECT_EQ(ImsHelpMsg.active, 0);
    const int surf = MenuHelpMsg.surf;
    MENU_HelpMsg_Term();
    EXPECT_EQ(SurfTbl[surf].useCount, 0);
    EXPECT_EQ(MenuHelpMsg.surf, -1);
    for (const HELP_MSG_CHAR& c : MenuHelpMsg.chars) EXPECT_EQ(c.spr, -1);
}

}  // namespace
