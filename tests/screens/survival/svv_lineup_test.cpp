#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "screens/survival/svv.h"

namespace {

struct Wave {
    int stageAtStart;
    bool mapOpened;  // the previous wave ended its stage
    std::array<i32, 5> kinds;
    std::array<i32, 5> levels;  // read after the step, -1 for a slot that took no part
    bool lastOfStage;
};

// Runs waves 1..count from a fresh line-up as the wave start does.
std::vector<Wave> RunWaves(int count) {
    SVV_SkipLineup(0);
    std::vector<Wave> waves;
    for (int w = 0; w < count; w++) {
        Wave row{};
        row.stageAtStart = SvvLineup.stage;
        row.mapOpened = SvvLineup.stageChange != 0;
        i32 kinds[5];
        SVV_StepLineup(kinds);
        for (int s = 0; s < 5; s++) {
            row.kinds[size_t(s)] = kinds[s];
            row.levels[size_t(s)] = kinds[s] >= 0 ? SvvLineup.slot[s].level[kinds[s]] : -1;
        }
        row.lastOfStage = SvvLineup.stageChange != 0;
        waves.push_back(row);
    }
    return waves;
}

// Waves 1..60 as this machine gives them: kinds of slots 0..3 (slot 4 never takes part), levels,
// stage index at the start, last of stage. Generated once and kept; the rows the reading of the rules
// gives by hand are checked separately below.
struct Golden {
    int stage;
    std::array<i32, 4> kinds;
    std::array<i32, 4> levels;
    int last;
};
// clang-format off
const Golden kGolden[60] = {
#include "svv_lineup_golden.inc"
};
// clang-format on

TEST(SvvLineup, SixtyWavesMatchTheKeptTable) {
    const std::vector<Wave> waves = RunWaves(60);
    for (int w = 0; w < 60; w++) {
        const Wave& got = waves[size_t(w)];
        const Golden& want = kGolden[w];
        SCOPED_TRACE(w + 1);
        EXPECT_EQ(got.stageAtStart, want.stage);
        for (size_t s = 0; s < 4; s++) {
            EXPECT_EQ(got.kinds[s], want.kinds[s]);
            EXPECT_EQ(got.levels[s], want.levels[s]);
        }
        EXPECT_EQ(got.kinds[4], -1);
        EXPECT_EQ(got.lastOfStage, want.last != 0);
    }
}

TEST(SvvLineup, HandCheckedRows) {
    const std::vector<Wave> waves = RunWaves(60);
    const int mech[13] = {4, 7, 5, 14, 10, 9, 1, 6, 16, 11, 17, 18, 20};
    struct Row {
        int wave, stage;
        bool opened;
        std::vector<int> types, levels;
        bool last;
    };
    const Row rows[] = {
        {1, 0, false, {4}, {0}, false},
        {2, 0, false, {7}, {0}, false},
        {3, 0, false, {5}, {0}, false},
        {4, 0, false, {14}, {0}, false},
        {5, 0, false, {10}, {1}, true},
        {6, 1, true, {4, 4}, {1, 0}, false},
        {10, 1, false, {10, 7}, {1, 0}, false},
        {11, 1, false, {9}, {1}, true},
        {12, 2, true, {4, 7}, {2, 0}, false},
        {13, 2, false, {5, 5}, {2, 0}, false},
        {20, 3, false, {6, 5}, {1, 1}, true},
        {21, 4, true, {4, 5, 4}, {4, 1, 0}, false},
        {37, 6, false, {17, 9, 14}, {1, 0, 1}, true},
        {38, 7, true, {4, 1, 4, 4}, {7, 0, 2, 0}, false},
        {44, 7, false, {18, 5, 5}, {1, 3, 1}, true},
        {60, 10, false, {5, 7, 4, 14}, {10, 4, 3, 0}, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.wave);
        const Wave& got = waves[size_t(r.wave - 1)];
        EXPECT_EQ(got.stageAtStart, r.stage);
        EXPECT_EQ(got.mapOpened, r.opened);
        EXPECT_EQ(got.lastOfStage, r.last);
        size_t n = 0;
        for (size_t s = 0; s < 5; s++) {
            if (got.kinds[s] < 0) continue;
            ASSERT_LT(n, r.types.size());
            EXPECT_EQ(mech[got.kinds[s]], r.types[n]);
            EXPECT_EQ(got.levels[s], r.levels[n]);
            n++;
        }
        EXPECT_EQ(n, r.types.size());
    }
    std::vector<int> stageEnds;
    for (int w = 0; w < 60; w++)
        if (waves[size_t(w)].lastOfStage) stageEnds.push_back(w + 1);
    EXPECT_EQ(stageEnds, (std::vector<int>{5, 11, 15, 20, 25, 31, 37, 44, 51, 58}));
}

TEST(SvvLineup, InvariantsOverAThousandWaves) {
    SVV_SkipLineup(0);
    for (int w = 0; w < 1000; w++) {
        i32 kinds[5];
        const int n = SVV_StepLineup(kinds);
        int taken = 0;
        for (int s = 0; s < 5; s++) {
            if (kinds[s] < 0) continue;
            taken++;
            EXPECT_LT(kinds[s], SVV_KIND_MAX);
        }
        EXPECT_EQ(n, taken);
        EXPECT_LE(n, 4);
        EXPECT_EQ(kinds[4], -1);
        EXPECT_LE(SvvLineup.limit, 3);
        EXPECT_GE(SvvLineup.stage, 0);
        EXPECT_LT(SvvLineup.stage, SVV_STAGE_MAX);
        for (const SVV_LINEUP_SLOT& slot : SvvLineup.slot) EXPECT_LE(slot.period, SVV_PERIOD_MAX);
    }
}

TEST(SvvLineup, SkipEqualsStepsWithTheFlagAsTheirOr) {
    for (int n : {0, 1, 4, 5, 6, 11, 12, 59}) {
        SCOPED_TRACE(n);
        SVV_ResetLineup();
        i32 kinds[5];
        i32 changed = 0;
        for (int i = 0; i < n; i++) {
            SVV_StepLineup(kinds);
            changed |= SvvLineup.stageChange;
        }
        const SVV_LINEUP stepped = SvvLineup;
        SVV_SkipLineup(n);
        EXPECT_EQ(SvvWave, n);
        EXPECT_EQ(SvvLineup.stageChange, changed);
        EXPECT_EQ(SvvLineup.limit, stepped.limit);
        EXPECT_EQ(SvvLineup.stage, stepped.stage);
        for (int s = 0; s < 5; s++) {
            EXPECT_EQ(SvvLineup.slot[s].counter, stepped.slot[s].counter);
            EXPECT_EQ(SvvLineup.slot[s].period, stepped.slot[s].period);
        }
    }
}

TEST(SvvLineup, ResetGivesSlotZeroPeriodFiveAndTheOthersOne) {
    SvvLineup.limit = 3;
    SvvLineup.slot[2].level[4] = 9;
    SVV_ResetLineup();
    EXPECT_EQ(SvvLineup.limit, 0);
    EXPECT_EQ(SvvLineup.slot[0].period, 5);
    for (int s = 1; s < 5; s++) EXPECT_EQ(SvvLineup.slot[s].period, 1);
    EXPECT_EQ(SvvLineup.slot[2].level[4], 0);
}

}  // namespace
