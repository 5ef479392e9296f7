// The file, save-slot and yes/no panels under scripted screen input and a fixed local time.
#include <algorithm>
#include <array>
#include <tuple>
#include <string>
#include <vector>

#include "panel_support.h"
#include "screens/panel/ims_file.h"

namespace {

using paneltest::kDikCancel;
using paneltest::kDikDecide;
using paneltest::kDikDown;
using paneltest::kDikUp;
using paneltest::PanelFixture;

using R = std::array<i32, 4>;
R Src(int spr) {
    const TSPR_DATA* s = SPR_GetTSpr(spr);
    return s ? R{s->src.left, s->src.top, s->src.right, s->src.bottom} : R{-1, -1, -1, -1};
}
bool Visible(int spr) {
    const TSPR_DATA* s = SPR_GetTSpr(spr);
    return s && s->view;
}
u32 Attr(int spr) {
    const TSPR_DATA* s = SPR_GetTSpr(spr);
    return s ? s->attr : 0xDEAD;
}

int g_yes = 0;
int g_no = 0;
void CountYes() { ++g_yes; }
void CountNo() { ++g_no; }

class FilePanels : public PanelFixture {
protected:
    static std::vector<std::string> Stack() {
        std::vector<std::string> names;
        const IMS_DATA* g = IMS_SearchPnl("file");
        for (const IMS_CHILD* c = g ? g->first : nullptr; c; c = c->next) names.push_back(c->name);
        return names;
    }
    static i32 State(int depth) {
        const IMS_CHILD* c = IMS_SearchPnl("file")->first;
        while (depth-- > 0) c = c->next;
        return c->state;
    }
    // The file panel, opened fully, with the mouse parked off every panel.
    void OpenFile() {
        MoveMouse(600, 400);
        IMS_FILE_Create();
        for (int i = 0; i < 8; ++i) Step();
        ASSERT_EQ(State(0), 1);
    }
    // The save list from entry `entry`, opened fully.
    void OpenSave(int entry) {
        OpenFile();
        for (int i = 0; i < entry; ++i) Step(kDikDown);
        Step(kDikDecide);
        for (int i = 1; i < 22; ++i) Step();
        ASSERT_EQ(State(1), 1);
        Played(49);
        Played(46);
    }
};

TEST_F(FilePanels, TheFileEntriesOpenInOrderAndCompleteOnTheEighthFrame) {
    // Width and height of entries 0..3 after each frame, as their source rectangles show them.
    const int w[8][4] = {{24, 0, 0, 0},    {48, 16, 0, 0},   {72, 40, 8, 0},   {96, 64, 32, 0},
                         {96, 88, 56, 24}, {96, 96, 80, 48}, {96, 96, 96, 72}, {96, 96, 96, 96}};
    const int h[8][4] = {{18, 0, 0, 0}, {32, 18, 0, 0}, {32, 32, 18, 0}, {32, 32, 32, 18},
                         {32, 32, 32, 32}, {32, 32, 32, 32}, {32, 32, 32, 32}, {32, 32, 32, 32}};
    IMS_FILE_Create();
    ASSERT_EQ(Stack(), std::vector<std::string>{"file"});
    for (int i = 0; i < 4; ++i) EXPECT_EQ(SPR_GetTSpr(ImsFilePnl[i].spr[0])->y, 32 + 32 * i);
    for (int f = 0; f < 8; ++f) {
        Step();
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(testing::Message() << "frame " << f + 1 << " entry " << i);
            EXPECT_EQ(Src(ImsFilePnl[i].spr[0]), (R{0, 32 * i, w[f][i], 32 * i + h[f][i]}));
            EXPECT_EQ(Src(ImsFilePnl[i].spr[1]), (R{96, 32 * i, 96 + w[f][i], 32 * i + h[f][i]}));
        }
        EXPECT_EQ(State(0), f == 7 ? 1 : 0);
    }
}

TEST_F(FilePanels, TheMouseTakesTheEntryUnderItAndTheKeysPullItAlong) {
    OpenFile();
    struct Case {
        i32 x, y;
        int cursor;
    };
    // Right and bottom edges belong to no entry; the last entry that holds the mouse wins.
    for (const Case c : {Case{64 + 96, 32 + 64 + 5, 0}, Case{64 + 95, 32 + 64 + 5, 2}, Case{64, 32 + 128, 2},
                         Case{64, 32 + 127, 3}, Case{63, 40, 3}, Case{64, 32, 0}}) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        MoveMouse(c.x, c.y);
        Step();
        EXPECT_EQ(ImsFileCursor, c.cursor);
    }
    // Resting on entry 0, the down key still moves the cursor and pulls the mouse onto entry 1.
    Step(kDikDown);
    EXPECT_EQ(ImsFileCursor, 1);
    EXPECT_EQ(input_.warpX, 68);
    EXPECT_EQ(input_.warpY, 32 + 32 + 4);
    Step();
    EXPECT_EQ(ScreenMouseY, 68);
    EXPECT_EQ(ImsFileCursor, 1) << "the mouse now rests on the new entry";
    EXPECT_EQ(Attr(ImsFilePnl[0].spr[1]), 4u);
    EXPECT_EQ(Attr(ImsFilePnl[1].spr[1]), 8u);
    Step(kDikUp);
    Step(kDikUp);
    EXPECT_EQ(ImsFileCursor, 3) << "up wraps";
    EXPECT_EQ(Attr(ImsFilePnl[1].spr[1]), 4u);
    EXPECT_EQ(Attr(ImsFilePnl[3].spr[1]), 8u);
}

TEST_F(FilePanels, ACancelOnTheFileEntriesTypesTheEntrysHelp) {
    OpenFile();
    Step(kDikDown);
    Step(kDikCancel);
    EXPECT_EQ(Stack(), std::vector<std::string>{"file"}) << "the file panel never closes";
    EXPECT_STREQ(ImsHelpMsg.str[0], "");
    EXPECT_STREQ(ImsHelpMsg.str[2], IMS_FILE_GetHelpStr(1));
    EXPECT_EQ(SPR_GetTSpr(ImsHelpMsg.spr)->y, 32 + 64 - 8 - 10);
    EXPECT_EQ(ImsHelpMsg.textX, 64 + 88 + 40);
    // The bar types in the same frame, after the panels: two empty lines' turns then a character.
    EXPECT_EQ(ImsHelpMsg.line, 2);
    EXPECT_EQ(ImsHelpMsg.chr, 1);
    Step();
    EXPECT_EQ(ImsHelpMsg.chr, 3);
}

TEST_F(FilePanels, TheSaveListOpensBesideTheEntryAndCompletesOnItsTwentySecondFrame) {
    OpenFile();
    Step(kDikDown);
    Played(49);
    Step(kDikDecide);  // the list's first frame
    ASSERT_EQ(Stack(), (std::vector<std::string>{"file", "file_save"}));
    EXPECT_TRUE(Played(49));
    EXPECT_EQ(ImsFileSavePos.x, 64 + 96);
    EXPECT_EQ(ImsFileSavePos.y, 32 + 32 + 32);
    EXPECT_GE(ImsFileSaveSurf, 0);
    EXPECT_EQ(ImsFileSaveSurf, ImsFileSurf);
    EXPECT_EQ(SurfTbl[ImsFileSurf].useCount, 2);
    for (int f = 1; f <= 22; ++f) {
        if (f > 1) Step();
        // Line k grows from frame k + 1 on: width -8k + 32n, height 8n, capped.
        for (int k = 0; k < 13; ++k) {
            SCOPED_TRACE(testing::Message() << "frame " << f << " line " << k);
            const int n = k < 12 ? std::max(0, f - k) : 0;
            const int wk = std::clamp(-8 * k + 32 * n, 0, 256);
            const int hk = std::min(8 * n, 14);
            EXPECT_EQ(Src(ImsFileSavePnl[k].spr[0]), (R{0, 0, wk, hk}));
            EXPECT_EQ(Src(ImsFileSavePnl[k].spr[1]), (R{0, 0, wk, hk}));
        }
        EXPECT_EQ(State(1), f == 22 ? 1 : 0);
    }
    const TSPR_DATA* line3 = SPR_GetTSpr(ImsFileSavePnl[3].spr[0]);
    EXPECT_EQ(std::vector<i32>({line3->x, line3->y}), std::vector<i32>({160, 96 + 48}));
    EXPECT_LT(SPR_GetTSpr(ImsFileSavePnl[3].spr[1])->priority, line3->priority) << "the cursor over its line";
    EXPECT_EQ(ImsFileSavePnl[13].spr[0], -1);
}

TEST_F(FilePanels, SlotLinesShowTheFixedNameAndTheLocalTime) {
    OpenSave(0);
    // The same text drawn the way the panel draws its lines.
    const int ref = SPR_CreateSurf(256, 14, 0);
    plat::Surface* r = SPR_GetSlotSurf(ref);
    SURF_Fill(r, nullptr, DISP_PackRGB(32, 32, 32));
    FONT_SetFont(0, 4, 0);
    FONT_SetColor(DISP_PackRGB(255, 255, 255), DISP_PackRGB(255, 255, 255), 0);
    TXT_DrawText(r, 8, 2, "%s", "No.02:     TOVELA    2026/12/07   09:05:03");
    plat::Surface* line = SPR_GetSlotSurf(ImsFileSavePnl[3].surf[0]);
    for (i32 y = 0; y < 14; ++y)
        for (i32 x = 0; x < 256; ++x) ASSERT_EQ(Pixel(line, x, y), Pixel(r, x, y)) << x << "," << y;
    // The overlay: the same text in red on a clear surface.
    plat::Surface* overlay = SPR_GetSlotSurf(ImsFileSavePnl[3].surf[1]);
    EXPECT_EQ(Pixel(overlay, 0, 0), 0);
    const u16 red = Pixel(overlay, 9, 3);
    EXPECT_NE(red, 0);
    EXPECT_EQ(red & ~DISP_PackRGB(255, 0, 0), 0) << "red only";
    SPR_DelSurfDat(ref);
}

TEST_F(FilePanels, TheSaveCursorCoversTheTenSlotLinesOnly) {
    OpenSave(0);
    const auto shown = [] {
        std::string s;
        for (int k = 0; k < 13; ++k) s += Visible(ImsFileSavePnl[k].spr[1]) ? '#' : '.';
        return s;
    };
    EXPECT_EQ(shown(), ".............");
    Step(kDikUp);
    EXPECT_EQ(ImsFileSaveCursor, 9);
    EXPECT_EQ(shown(), "..........#..");
    EXPECT_TRUE(Played(46));
    EXPECT_EQ(input_.warpCount, 0) << "the mouse is on no line";
    Step(kDikDown);
    EXPECT_EQ(shown(), ".#...........");
    // The mouse on " ^ " or right of a line takes nothing; on slot line 4 it takes cursor 3.
    for (const auto& [x, y, cursor] : {std::tuple{170, 70, 0}, std::tuple{416, 64 + 68, 0}, std::tuple{415, 64 + 68, 3},
                                      std::tuple{160, 64 + 16 * 11, 3}}) {
        SCOPED_TRACE(testing::Message() << x << "," << y);
        MoveMouse(x, y);
        Step();
        EXPECT_EQ(ImsFileSaveCursor, cursor);
        EXPECT_FALSE(Visible(ImsFileSavePnl[0].spr[1]));
    }
    EXPECT_EQ(shown(), "....#........");
    MoveMouse(200, 64 + 16 * 4 + 2);
    Step();
    EXPECT_EQ(input_.warpCount, 0);
    Step(kDikDown);
    EXPECT_EQ(ImsFileSaveCursor, 4);
    EXPECT_EQ(input_.warpX, 164);
    EXPECT_EQ(input_.warpY, 64 + 16 * 5 + 4);
    EXPECT_EQ(ImsFileCursor, 0) << "the file panel has no focus";
}

TEST_F(FilePanels, DecideOpensTheConfirmationWhichHoldsTheFocus) {
    OpenSave(0);
    Step(kDikDecide);
    ASSERT_EQ(Stack(), (std::vector<std::string>{"file", "file_save", "yesno"}));
    EXPECT_EQ(State(2), 1) << "stepped in the frame it was made";
    EXPECT_TRUE(Played(49));
    const TSPR_DATA* yes = SPR_GetTSpr(ImsYesNoPnl[0].spr[0]);
    EXPECT_EQ(std::vector<i32>({yes->x, yes->y, SPR_GetTSpr(ImsYesNoPnl[1].spr[0])->y}), std::vector<i32>({352, 80, 96}));
    EXPECT_EQ(Src(ImsYesNoPnl[1].spr[0]), (R{0, 0, 256, 14}));
    EXPECT_LT(SPR_GetTSpr(ImsYesNoPnl[0].spr[1])->priority, yes->priority);
    EXPECT_LT(yes->priority, SPR_GetTSpr(ImsFileSavePnl[3].spr[1])->priority) << "the confirmation over the list";
    EXPECT_NE(ImsYesFunc, nullptr);

    // YES runs the yes action and the panel stays; a second decide opens nothing more.
    IMS_YESNO_SetFunc(CountYes, CountNo);
    g_yes = g_no = 0;
    Step(kDikDecide);
    EXPECT_EQ(g_yes, 1);
    EXPECT_EQ(Stack(), (std::vector<std::string>{"file", "file_save", "yesno"}));
    Step(kDikDown);
    EXPECT_EQ(ImsYesNoCursor, 1);
    EXPECT_EQ(ImsFileSaveCursor, 0) << "the list ignores the keys";
    EXPECT_TRUE(Visible(ImsYesNoPnl[1].spr[1]));
    MoveMouse(352, 80);
    Step(-1, true);
    EXPECT_EQ(ImsYesNoCursor, 0) << "the mouse took YES";
    EXPECT_EQ(g_yes, 2) << "and the click decided it";
    IMS_YESNO_SetFunc(nullptr, nullptr);
    Step(kDikDecide);  // a missing action does nothing
    EXPECT_EQ(g_no, 0);

    // A right click closes the confirmation only; the list takes input again the frame after.
    MoveMouse(600, 400);
    Step(-1, false, true);
    EXPECT_TRUE(Played(48));
    Step();
    ASSERT_EQ(Stack(), (std::vector<std::string>{"file", "file_save"}));
    EXPECT_EQ(ImsYesNoPnl[0].spr[0], -1);
    Step(kDikDown);
    EXPECT_EQ(ImsFileSaveCursor, 1);

    // A cancel closes the list; the file entries keep their picture.
    const int menu = ImsFileSurf;
    const int line = ImsFileSavePnl[1].spr[0];
    Step(kDikCancel);
    Step();
    EXPECT_EQ(Stack(), std::vector<std::string>{"file"});
    EXPECT_EQ(ImsFileSaveSurf, -1);
    EXPECT_EQ(SurfTbl[menu].useCount, 1);
    EXPECT_EQ(SPR_GetTSpr(line), nullptr);
    EXPECT_NE(SPR_GetTSpr(ImsFilePnl[0].spr[0]), nullptr);
    Step(kDikDown);
    EXPECT_EQ(ImsFileCursor, 1) << "the file panel has the focus again";
}

}  // namespace
