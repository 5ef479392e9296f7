#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lvup_support.h"
#include "screens/survival/lvup.h"

namespace {

using lvuptest::Exp;

}  // namespace

TEST(LevelUpGains, MasteryAndExperienceOfOneTechnique) {
    struct Case {
        const char* what;
        WAZA_EXP in;
        i32 base;
        i32 uses, mastery, exp, countdown;
        u8 flags;
        i32 gain = -1;  // -1: as the countdown
    } cases[] = {
        {"two uses are carried", Exp(0, 2, 100, 100, 0, 0), 30, 2, 0, 100, 0, 0},
        {"seven uses below the limit", Exp(0, 7, 100, 100, 0, 0), 30, 1, 2, 100, 2, LVUP_FLAG_MASTERY},
        {"at the limit", Exp(0, 7, 100, 100, 0, 20), 30, 7, 20, 100, 0, 0},
        {"just below, the whole gain", Exp(0, 9, 100, 100, 0, 19), 30, 0, 22, 100, 3, LVUP_FLAG_MASTERY},
        {"used: damage 55 adds 5", Exp(0, 0, 120, 100, 55, 0), 30, 0, 0, 125, 0, LVUP_FLAG_EXP},
        {"unused: nothing", Exp(0, 0, 100, 100, 55, 0), 30, 0, 0, 100, 0, 0},
        {"saturates", Exp(0, 0, 32765, 0, 550, 0), 30, 0, 0, 32767, 0, LVUP_FLAG_EXP},
        {"a damaged use count: the countdown stops with the cost bar", Exp(0, 0x7FFFFFFF, 100, 100, 0, 0), 30, 1,
         32767, 100, 25, LVUP_FLAG_MASTERY, 715827882},
    };
    for (const Case& c : cases) {
        LVUP_BAR bar;
        WAZA_EXP e = c.in;
        LVUP_TakeGains(&bar, &e, 25, c.base);
        EXPECT_EQ(e.useCnt, c.uses) << c.what;
        EXPECT_EQ(e.mastery, c.mastery) << c.what;
        EXPECT_EQ(e.exp, c.exp) << c.what;
        EXPECT_EQ(bar.countdown, c.countdown) << c.what;
        EXPECT_EQ(bar.gain, c.gain < 0 ? c.countdown : c.gain) << c.what;
        EXPECT_EQ(bar.flags, c.flags) << c.what;
        EXPECT_EQ(bar.costShown, 25) << c.what;
        EXPECT_EQ(bar.costStart, 25) << c.what;
    }
}

TEST(LevelUpFill, BarsStepTenAFrameAndLevelsRiseAtAThousand) {
    // Shown 995, experience 1025 at level 0: level 1, shown 5 and experience 25, then 15, 25.
    WAZA_EXP e = Exp(0, 0, 1025, 995, 0, 0);
    LVUP_BAR bar;
    LVUP_TakeGains(&bar, &e, 10, 30);
    EXPECT_EQ(LVUP_FillStep(&bar, &e), LVUP_EVENT_TOP | LVUP_EVENT_LEVEL | LVUP_EVENT_FULL);
    EXPECT_EQ(e.level, 1);
    EXPECT_EQ(bar.shownExp, 5);
    EXPECT_EQ(e.exp, 25);
    EXPECT_EQ(bar.barStart, 0);
    EXPECT_EQ(LVUP_FillStep(&bar, &e), 0);
    EXPECT_EQ(bar.shownExp, 15);
    EXPECT_EQ(LVUP_FillStep(&bar, &e), 0);
    EXPECT_EQ(bar.shownExp, 25);
    EXPECT_EQ(bar.barWidth, 2);
    EXPECT_EQ(bar.flags, 0);

    // Level 1 reaching 1000 stays full at level 2; level 2 never passes 1000.
    for (i8 level : {1, 2}) {
        WAZA_EXP f = Exp(level, 0, 1040, 990, 0, 0);
        LVUP_BAR b;
        LVUP_TakeGains(&b, &f, 10, 30);
        EXPECT_EQ(LVUP_FillStep(&b, &f), LVUP_EVENT_TOP | (level == 1 ? LVUP_EVENT_LEVEL : 0));
        EXPECT_EQ(f.level, 2);
        EXPECT_EQ(f.exp, 1000);
        EXPECT_EQ(b.shownExp, 1000);
        EXPECT_EQ(b.flags, 0);
    }

    // The mastery countdown takes one pixel of cost a frame and reports its end once.
    WAZA_EXP m = Exp(0, 6, 0, 0, 0, 0);
    LVUP_BAR mb;
    LVUP_TakeGains(&mb, &m, 20, 30);
    EXPECT_EQ(LVUP_FillStep(&mb, &m), 0);
    EXPECT_EQ(LVUP_FillStep(&mb, &m), LVUP_EVENT_MASTERED);
    EXPECT_EQ(mb.costShown, 18);
    EXPECT_EQ(LVUP_FillStep(&mb, &m), 0);

    // A bar whose gains were not taken never fills, whatever its stored experience.
    WAZA_EXP idle = Exp(1, 0, 1000, 1000, 0, 0);
    LVUP_BAR cleared;
    EXPECT_EQ(LVUP_FillStep(&cleared, &idle), 0);
    EXPECT_EQ(idle.level, 1);
}

// Save slots the fuzzer found: a group that used its technique 1644167168 times, and one whose
// damage is negative, leaving its experience below the shown value. Every bar of such a record
// settles within the frames the cost and experience allow.
TEST(LevelUpFill, DamagedSaveSlotsSettleInBoundedFrames) {
    for (const char* name : {"huge-use-count", "negative-damage"}) {
        std::ifstream in(std::string(KORVANE_TESTDATA_DIR) + "/fuzz/save/" + name, std::ios::binary);
        const std::vector<u8> slot{std::istreambuf_iterator<char>(in), {}};
        ASSERT_EQ(slot.size(), size_t(SAVE_FILE_SIZE)) << name;
        GAME_DATA data;
        SAVE_ReadGameData(&data, slot.data() + SAVE_HEAD_SIZE);
        for (const i16 equipped : data.equip) {
            WAZA_EXP& e = data.exp[equipped / 3];
            LVUP_BAR bar;
            LVUP_TakeGains(&bar, &e, 40, 60);
            int frames = 0;
            while ((bar.flags || bar.countdown > 0) && frames < 10000) {
                LVUP_FillStep(&bar, &e);
                ++frames;
            }
            EXPECT_LE(frames, 100) << name << ", technique " << equipped;
        }
    }
}

TEST(LevelUpFill, PortraitsFollowEveryThirdWaveUpToTheSixteenth) {
    for (int wave = 1; wave <= 60; ++wave)
        EXPECT_EQ(LVUP_NextState(wave), wave % 3 == 0 && wave <= 48 ? 18 : 15) << wave;
}
