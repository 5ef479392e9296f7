// The editors' toolkit-free parts: the number reader, the name list, the combos, the record
// operations, the names, the rows and the placement.
#include "editors/edit_common.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "editors/tama_editor.h"
#include "platform/encoding.h"
#include "test_support.h"
#include "tools/writers/battle_data_writer.h"

namespace {

TEST(EditNumber, ReadsAndClampsTheText) {
    struct Case {
        const char* text;
        bool isSigned;
        i32 min, max, want;
    };
    const Case cases[] = {
        {"abc", true, -5, 100, -5},       {"", false, 3, 100, 3},           {"12abc", false, 0, 100, 12},
        {"  42", false, 0, 100, 42},      {"-5", false, 0, 100, 0},         {"-5", true, -10, 100, -5},
        {"-", true, -10, 100, -10},       {"4294967296", false, 1, 9, 1},   {"99999999999", true, -9, 9, -9},
        {"4294967295", false, 0, 9999, 9999}, {"-2147483648", true, -9999, 9999, -9999},
        {"250", false, 0, 100, 100},      {"-300", true, -255, 9999, -255}, {"+7", true, -1, 9, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EDIT_ClampText(c.text, c.isSigned, c.min, c.max), c.want) << '"' << c.text << '"';
}

TEST(EditNumber, WritesOnlyTheLowBytes) {
    for (int bytes : {1, 2, 4}) {
        u8 buf[8];
        std::memset(buf, 0xAA, sizeof buf);
        EDIT_StoreInt(buf + 2, -2, bytes);
        for (int i = 0; i < 8; i++) {
            const bool inside = i >= 2 && i < 2 + bytes;
            EXPECT_EQ(buf[i], inside ? 0xFF - (i == 2 ? 1 : 0) : 0xAA) << bytes << " bytes, byte " << i;
        }
        EXPECT_EQ(EDIT_LoadInt(buf + 2, bytes, true), -2);
    }
}

TEST(ChipTxt, ReadsOneNamePerLineAndAMissingFileLeavesTheDefaults) {
    test::TempDir dir;
    test::ScopedCwd cwd(dir.path());
    std::strcpy(EditChipNameTbl[7], "stale");
    EXPECT_EQ(EDIT_LoadChipTxt("none"), 0);
    for (const auto& name : EditChipNameTbl) EXPECT_STREQ(name, "---------------");

    std::string text = "/ comment\r\nfirst second\r\n\r\n   third\n";
    text += std::string(300, 'x') + "\n";
    for (int i = 0; i < 200; i++) text += "n" + std::to_string(i) + "\n";
    dir.Write("ChipTxt/效果.txt", text);
    ASSERT_EQ(EDIT_LoadChipTxt("效果"), 1);
    EXPECT_STREQ(EditChipNameTbl[0], "first");
    EXPECT_STREQ(EditChipNameTbl[1], "---------------");  // the empty CR LF line keeps its row
    EXPECT_STREQ(EditChipNameTbl[2], "third");
    EXPECT_EQ(std::string(EditChipNameTbl[3]), std::string(255, 'x'));
    EXPECT_EQ(std::string(EditChipNameTbl[4]), std::string(45, 'x'));
    EXPECT_STREQ(EditChipNameTbl[5], "n0");
    EXPECT_STREQ(EditChipNameTbl[127], "n122");
    // A file swapped for a longer one while it is read: the names come from what was read.
    test::SwapWhileReading(dir.File("ChipTxt/swap.txt"), "a\n", text, 200, [] { EDIT_LoadChipTxt("swap"); });
}

TEST(EditNames, ConvertBetweenShiftJisAndUtf8) {
    TAMA_DATA d{};
    TAMA_SetNewData(&d);
    EXPECT_EQ(EDIT_NameToUtf8(d.name, TAMA_NAME_MAX), "新規弾");

    char name[TAMA_NAME_MAX];
    std::memset(name, 'z', sizeof name);
    EDIT_NameFromUtf8("試作弾", name, TAMA_NAME_MAX);
    EXPECT_EQ(std::string(name), plat::Utf8ToSjis("試作弾"));
    EXPECT_EQ(name[TAMA_NAME_MAX - 1], 0);

    std::string kanji;
    for (int i = 0; i < 25; i++) kanji += "漢";
    EDIT_NameFromUtf8("a" + kanji, name, TAMA_NAME_MAX);
    EXPECT_EQ(std::strlen(name), 39u);  // "a" and 19 characters: the 20th would split
    EDIT_NameFromUtf8(kanji, name, TAMA_NAME_MAX);
    EXPECT_EQ(std::strlen(name), 38u);
    EDIT_NameFromUtf8("A€B", name, TAMA_NAME_MAX);
    EXPECT_STREQ(name, "A?B");
}

TEST(EditRows, ShowPhasesAndStepsPaddedCountingWideCharactersTwice) {
    EXPECT_EQ(EDIT_PadLeft("ab", 5), "   ab");
    EXPECT_EQ(EDIT_PadLeft("縮短　", 8), "  縮短　");
    EXPECT_EQ(EDIT_PadLeft("全彈發射", 8), "全彈發射");
    TAMA_DATA d{};
    TAMA_SetNewData(&d);
    std::strcpy(EditChipNameTbl[5], "spark");
    TAMA_PHASE& p = d.phase[0];
    p.step[0] = {5, 0, -1, 2, 0, 12, 1, 0, 0, 3, 0};
    p.step[1].duration = -1;
    p.fire.aimMask = 1;
    p.fire.startMask = 0;
    d.phase[1].step[0].duration = -1;
    EXPECT_EQ(EDIT_TamaPhaseRow(&d, 0), "[00]  ○   --");
    p.fire.startMask = 4;
    EXPECT_EQ(EDIT_TamaPhaseRow(&d, 0), "[00]  ○   弾");
    EXPECT_EQ(EDIT_TamaPhaseRow(&d, 1), "[01]  -------");
    EXPECT_EQ(EDIT_TamaStepRow(&p, 0), "[0]  目標 -- 命中 音效  dir:2     縮短　(wait: 012)  (05)spark");
    EXPECT_EQ(EDIT_TamaStepRow(&p, 1), "[1]  ------------------");
    TAMA_FIRE none{};
    none.weapon = -1;
    EXPECT_EQ(EDIT_ShotCaption(&none), "未使用");
}

TEST(EditRecords, InsertAndDeleteShiftPhasesAndSteps) {
    TAMA_DATA d{};
    for (int i = 0; i < TAMA_PHASE_MAX; i++) d.phase[i].speed = i16(10 + i);
    EDIT_TamaDeletePhase(&d, 0);
    EXPECT_EQ(d.phase[0].speed, 11);
    EXPECT_EQ(d.phase[2].speed, 13);
    EXPECT_EQ(d.phase[3].speed, 13);
    for (int i = 0; i < TAMA_PHASE_MAX; i++) d.phase[i].speed = i16(10 + i);
    EDIT_TamaInsertPhase(&d, 1);
    EXPECT_EQ(d.phase[1].speed, 11);
    EXPECT_EQ(d.phase[2].speed, 11);
    EXPECT_EQ(d.phase[3].speed, 12);  // phase 3 is lost

    TAMA_PHASE p{};
    for (int i = 0; i < TAMA_STEP_MAX; i++) p.step[i] = {u8(i + 1), 0, 0, 1, 1, 5, 1, 0, 0, 0, 0};
    p.scale[3].value = 77;
    EDIT_TamaInsertStep(&p, 3);
    EXPECT_EQ(p.step[2].anim, 3);
    EXPECT_EQ(std::memcmp(&p.step[3], "\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 16), 0);
    EXPECT_EQ(p.scale[3].value, 77);  // scale entries stay
    for (int i = 0; i < TAMA_STEP_MAX; i++) p.step[i] = {u8(i + 1), 0, 0, 1, 1, 5, 1, 0, 0, 0, 0};
    EDIT_TamaDeleteStep(&p, 1);
    EXPECT_EQ(p.step[1].anim, 3);
    EXPECT_EQ(p.step[2].anim, 4);
    const TAMA_STEP& last = p.step[3];
    EXPECT_EQ(std::vector<i32>({last.anim, last.facing, last.hitFlag, last.timing, last.duration}),
              std::vector<i32>({99, 0, 0, 0, -1}));

    p.step[2].duration = -1;
    p.step[3].duration = -1;
    EXPECT_EQ(EDIT_TamaStepSel(&p, 3), 2);
    EXPECT_EQ(EDIT_TamaStepSel(&p, 1), 1);
}

TEST(EditCopy, CopiesOnlyBetweenRecordsBelowTheCount) {
    test::TempDir dir;
    test::ScopedCwd cwd(dir.path());
    test::DebugCapture debug;
    dir.Write("Dat/Tama.dat", tools::TamaFile({tools::NewTama(0, "a"), tools::NewTama(1, "b"), tools::NewTama(2, "c")}));
    ASSERT_EQ(TAMA_LoadData(), 1);
    TamaDataTbl[0]->phase[2].power = 321;
    TamaDataTbl[2]->prev = 1;
    TamaDataTbl[0]->inUse = 0;
    ASSERT_TRUE(EDIT_TamaCopy(0, 2));
    EXPECT_STREQ(TamaDataTbl[2]->name, "a");
    EXPECT_EQ(TamaDataTbl[2]->inUse, 0);
    EXPECT_EQ(TamaDataTbl[2]->phase[2].power, 321);
    EXPECT_EQ(TamaDataTbl[2]->index, 2);
    EXPECT_EQ(TamaDataTbl[2]->prev, 1);
    for (auto [src, dst] : {std::pair{1, 1}, {0, 155}, {0, 3}, {3, 0}, {-1, 0}, {0, 156}}) {
        u8 before[TAMA_FILE_SIZE];
        TAMA_WriteRecord(TamaDataTbl[0], before);
        EXPECT_FALSE(EDIT_TamaCopy(src, dst)) << src << " -> " << dst;
        u8 after[TAMA_FILE_SIZE];
        TAMA_WriteRecord(TamaDataTbl[0], after);
        EXPECT_EQ(std::memcmp(before, after, TAMA_FILE_SIZE), 0);
    }
    TAMA_ClearData();
}

TEST(EditPlacement, FollowsTheGameWindowAndStaysOnScreen) {
    const plat::ScreenMetrics big{1920, 1080, 4, 4, 20};
    const plat::ScreenMetrics small{1024, 768, 4, 4, 20};
    const RECT origin{0, 0, 648, 507}, moved{200, 100, 848, 607};
    auto at = [](POINT p) { return std::pair{p.x, p.y}; };
    EXPECT_EQ(at(EDIT_PlaceDialog(origin, big, 400, 300, 0, 505)), std::pair(0, 505));
    EXPECT_EQ(at(EDIT_PlaceDialog(origin, big, 400, 300, 648, 0)), std::pair(648, 0));
    EXPECT_EQ(at(EDIT_PlaceDialog(origin, big, 400, 300, 0, 400)), std::pair(0, 400));
    EXPECT_EQ(at(EDIT_PlaceDialog(moved, big, 400, 300, 648, 0)), std::pair(848, 100));
    EXPECT_EQ(at(EDIT_PlaceDialog(moved, big, 400, 300, -1, -1)), std::pair(324, 203));
    EXPECT_EQ(at(EDIT_PlaceDialog(origin, small, 900, 600, 648, 0)), std::pair(124, 0));
    EXPECT_EQ(at(EDIT_PlaceDialog(origin, small, 1200, 900, 0, 505)), std::pair(0, 0));
}

// A child dialog covering its list goes beside it: the nearest side that leaves the list clear, or,
// where none does, the place that covers the least of it.
TEST(EditPlacement, LaysAChildBesideItsList) {
    const plat::ScreenMetrics screen{1000, 800, 1, 1, 20};
    const RECT origin{0, 0, 642, 501}, tall{300, 100, 600, 700};
    struct Case {
        RECT list;
        i32 x, y, w, h;
        std::pair<int, int> want;
    } const cases[] = {
        {{300, 300, 600, 500}, 250, 250, 200, 100, {250, 200}},  // above
        {{300, 300, 600, 500}, 250, 380, 200, 100, {250, 500}},  // below
        {{300, 300, 600, 500}, 500, 350, 200, 100, {600, 350}},  // right
        {tall, 320, 350, 200, 100, {100, 350}},                  // left
        {{300, 300, 600, 500}, 0, 0, 200, 100, {0, 0}},          // clear already
        {{0, 505, 490, 764}, 648, 0, 1000, 683, {0, 0}},         // no room: clamped, the least covered
        {{0, 300, 500, 800}, 300, 0, 600, 400, {400, 0}},        // no room: the right side covers less
    };
    for (const Case& c : cases) {
        const POINT p = EDIT_PlaceDialog(origin, screen, c.w, c.h, c.x, c.y, c.list);
        EXPECT_EQ(std::pair(int(p.x), int(p.y)), c.want) << c.x << "," << c.y << " " << c.w << "x" << c.h;
    }
}

}  // namespace
