#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "editors/cpu_editor.h"
#include "editors/waza_editor.h"
#include "menu_support.h"
#include "platform/dialog.h"
#include "platform/encoding.h"

namespace {

using menutest::MenuTest;
using namespace menutest;

// Points on each triangle's slanted edge lie inside, one pixel beyond lies outside.
TEST(MenuCard, HitShapesIncludeTheirEdges) {
    struct Row {
        bool odd;
        i32 x, y;
        bool in;
    };
    const Row rows[] = {
        {false, 0, 0, true},    {false, 40, 47, true},  {false, 152, 24, true}, {false, 153, 25, false},
        {false, 58, 30, true},  {false, 59, 30, false}, {false, 166, 10, true}, {false, 167, 10, false},
        {false, 176, 0, true},  {false, 177, 0, false}, {true, 176, 48, true},  {true, 24, 24, true},
        {true, 126, 10, true},  {true, 125, 10, false}, {true, 18, 30, true},   {true, 17, 30, false},
        {true, 0, 48, true},    {true, 112, 23, false}, {true, 136, 0, true},   {false, 0, 49, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.odd) + " " + std::to_string(r.x) + "," + std::to_string(r.y));
        EXPECT_EQ(MENU_MEKA_InCard(r.odd, 100, 200, 100 + r.x, 200 + r.y), r.in);
    }
}

TEST(MenuCard, CursorStepsWrapByTwentyFiveAndWithinTheRow) {
    struct Row {
        int from, dir, to;
    };
    const Row rows[] = {{0, 0, 22}, {1, 0, 0}, {24, 1, 0}, {23, 1, 1}, {2, 1, 3}, {3, 3, 0}, {4, 2, 7}, {0, 2, 3}, {5, 3, 6}};
    for (const Row& r : rows) EXPECT_EQ(MENU_MEKA_Step(r.from, r.dir, r.from), r.to) << r.from << " dir " << r.dir;
}

TEST_F(MenuTest, MechCardsInterlockLowerIndexWinsAndCardTwentyFourKeepsLeftAndRight) {
    MENU_LoadBmp();
    MENU_MEKA_Start();
    for (int f = 0; f < 6 && MenuMeka.state != 3; ++f) Frame({}, false, false, 630, 470);
    ASSERT_EQ(MenuMeka.state, 3);
    EXPECT_EQ(MenuMekaItem[0].x, 80);
    EXPECT_EQ(MenuMekaItem[1].x, 124);
    EXPECT_EQ(MenuMekaItem[5].y, 131);
    // The highlight over each card: even cards take the band at y 48 of the menu picture, odd ones 144.
    for (int i : {0, 1, 24}) {
        const RECT src = SPR_GetTSpr(MenuMekaItem[i].spr2)->src;
        const i32 top = i % 2 ? 144 : 48;
        EXPECT_TRUE(src.left == 0 && src.top == top && src.right == MENU_CARD_W && src.bottom == top + MENU_CARD_H)
            << i << ": " << src.left << "," << src.top << "," << src.right << "," << src.bottom;
    }
    // Card 0's band and card 1's band share the row y + 24.
    EXPECT_EQ(MENU_MEKA_HitCard(200, 104), 0);
    EXPECT_EQ(MENU_MEKA_HitCard(200, 105), 1);
    EXPECT_EQ(MENU_MEKA_HitCard(10, 10), -1);
    for (int dik : {kDikLeft, kDikRight}) {
        MenuMeka.cursor = 24;
        MenuRepeatCnt = 0;
        Frame();
        Frame({dik});
        EXPECT_EQ(MenuMeka.cursor, 24);
    }
    // Even cards take the mouse to (x + 40, y + 40), odd ones to (x + 168, y + 40).
    MenuMeka.cursor = 4;
    Frame({}, false, false, 632, 472);  // off the cards (a real move: the warp no longer holds)
    Frame({kDikRight});
    EXPECT_EQ(MenuMeka.cursor, 5);
    EXPECT_EQ(input_.warpX, MenuMekaItem[5].x + 168);
    EXPECT_EQ(input_.warpY, MenuMekaItem[5].y + 40);
}

struct PageRow {
    int count;
    std::vector<int> firsts;  // after each next-page press
    std::vector<int> items;
};

TEST_F(MenuTest, TechniquePagesOfNinetyTwoLines) {
    const PageRow rows[] = {{0, {0, 0}, {6, 6}}, {92, {92, 0}, {6, 98}}, {93, {92, 0}, {7, 98}}};
    for (const PageRow& r : rows) {
        SCOPED_TRACE(r.count);
        WriteTechniques(1, r.count);
        ClearMenus();
        MENU_LoadBmp();
        MenuMeka.chosen = 1;
        MENU_WAZA_Start();
        Frame({}, false, false, 630, 470);
        ASSERT_EQ(MenuWaza.state, 3);
        EXPECT_EQ(MenuWazaCnt, 6 + std::min(r.count, 92));
        // The type's card keeps its half-transparent highlight, as every mech card does.
        const TSPR_DATA* highlight = SPR_GetTSpr(MenuWazaItem[0].spr2);
        ASSERT_NE(highlight, nullptr);
        EXPECT_EQ(highlight->attr, 4u);
        for (size_t i = 0; i < r.firsts.size(); ++i) {
            Frame({}, true, false, CentreX(MenuWazaItem[5]), CentreY(MenuWazaItem[5]));
            Frame();
            EXPECT_EQ(MenuWazaFirst, r.firsts[i]);
            EXPECT_EQ(MenuWazaCnt, r.items[i]);
        }
        if (r.count == 93) {
            EXPECT_EQ(MenuWazaItem[6].y, 60);
        }
        MenuWaza.state = 5;
        Frame();
        EXPECT_EQ(MekaTypeTbl[1].wazaRef, 0);
        MENU_ReleaseBmp();
    }
}

// A new technique's name lies in the record-name encoding and draws as Big5.
TEST(MenuRecordName, NewTechniqueNameConvertsToDrawnText) {
    const std::string stored("\x81\x69\x90\x56\x8B\x4B\x8B\x5A\x81\x6A");
    EXPECT_EQ(plat::Utf8ToDrawnText(plat::RecordNameToUtf8(stored)), "\xA1\x5D\xB7\x73\xB3\x57\xA7\xDE\xA1\x5E");
    EXPECT_EQ(plat::Utf8ToRecordName("（新規技）"), stored);
    // Under the Big5 setting the same name is stored and read as Big5.
    plat::SetRecordNameEncoding(plat::RecordEncoding::Big5);
    const std::string big5 = plat::Utf8ToRecordName("（新規技）");
    EXPECT_TRUE(plat::IsRecordNameLead(u8(big5[0])));
    EXPECT_EQ(plat::RecordNameToUtf8(big5), "（新規技）");
    plat::SetRecordNameEncoding(plat::RecordEncoding::ShiftJis);
}

// Cost kinds beyond the picture's eight rows get no background; the number and name still show.
TEST_F(MenuTest, TechniqueLineOfAnUnknownCostKindHasNoBackground) {
    std::vector<WAZA_DATA> v{tools::NewWaza("a"), tools::NewWaza("b")};
    v[0].costKind = 2;
    v[1].costKind = 200;
    dir_.Write("Dat/zako01.waz", tools::WazFile(v));
    MENU_LoadBmp();
    MenuMeka.chosen = 1;
    MENU_WAZA_Start();
    Frame({}, false, false, 630, 470);
    ASSERT_EQ(MenuWazaCnt, 8);
    auto pixel = [](int surf, i32 x, i32 y) {
        plat::Surface* s = SPR_GetSlotSurf(surf);
        plat::SurfaceDesc d;
        if (!s || SURF_Lock(s, &d) != 0) return u16(0xFFFF);
        const u16 v = reinterpret_cast<const u16*>(static_cast<const u8*>(d.pixels) + y * d.pitch)[x];
        SURF_Unlock(s);
        return v;
    };
    EXPECT_NE(pixel(MenuWazaItem[6].surf, 128, 8), 0);
    EXPECT_EQ(pixel(MenuWazaItem[7].surf, 128, 8), 0);
}

TEST_F(MenuTest, TechniqueCommandsAddSaveAndOpenTheEditors) {
    plat::UseFakeDialogs(true);
    WriteTechniques(1, 3);
    dir_.Write("Dat/zako01.cpu", tools::CpuFile(tools::NewCpu()));
    MENU_LoadBmp();
    MenuMeka.chosen = 1;
    MENU_WAZA_Start();
    Frame({}, false, false, 630, 470);
    auto click = [&](int item) {
        Frame({}, true, false, CentreX(MenuWazaItem[item]), CentreY(MenuWazaItem[item]));
        Frame();
    };
    click(1);  // add: saved, appended, the page rebuilt with it
    EXPECT_EQ(WAZA_GetCount(1), 4);
    EXPECT_EQ(MenuWazaCnt, 10);
    click(2);  // save
    EXPECT_EQ(std::filesystem::file_size(dir_.File("Dat/zako01.waz")), 2u + 4 * WAZA_FILE_SIZE);
    click(3);
    EXPECT_NE(plat::FindDialog(138), nullptr);
    click(4);
    EXPECT_NE(plat::FindDialog(116), nullptr);
    click(8);
    EXPECT_NE(plat::FindDialog(113), nullptr);
    EXPECT_EQ(WazaEditState.type, 1);
    EXPECT_EQ(WazaEditState.no, 2);
    plat::DestroyAllDialogs();
    EDIT_CpuReleaseAll();
    plat::UseFakeDialogs(false);
}

// Mech card -> technique menu in the same frame; cancel there restarts the mech menu, and the
// techniques are given back in the next frame.
TEST_F(MenuTest, CancelInTheTechniqueMenuRestartsTheMechMenu) {
    WriteTechniques(4, 2);
    MENU_LoadBmp();
    MENU_MEKA_Start();
    for (int f = 0; f < 6 && MenuMeka.state != 3; ++f) Frame({}, false, false, 630, 470);
    const MENU_ITEM& card = MenuMekaItem[4];
    Frame({}, true, false, card.x + 10, card.y + 10);
    EXPECT_EQ(MENU_MEKA_GetMeka(), 4);
    EXPECT_EQ(MenuWaza.state, 3);
    EXPECT_EQ(MenuWazaType, 4);
    EXPECT_EQ(MekaTypeTbl[4].wazaRef, 1);
    Idle(4);
    EXPECT_EQ(MenuMeka.state, 0);
    Frame({kDikCancel});
    EXPECT_EQ(MenuWaza.state, 5);
    EXPECT_EQ(MenuMeka.state, 1) << "restarted in the same frame";
    EXPECT_EQ(MekaTypeTbl[4].wazaRef, 1);
    Frame();
    EXPECT_EQ(MekaTypeTbl[4].wazaRef, 0);
    EXPECT_EQ(MenuWazaCnt, 0);
}

}  // namespace
