// Whole battles on the sample data after the real start-up: a scripted player and an idle one, each
// run twice from one seed with identical frame logs, and the pool, sprites and surfaces as before.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "battle/object/obj.h"
#include "graphics/sprite/spr.h"
#include "platform/input_fake.h"
#include "platform/settings.h"
#include "platform/window.h"
#include "screens/btl/btl.h"
#include "shell/sys.h"
#include "test_support.h"
#include "tests/harness/battle_harness.h"

namespace {

using harness::HeldKey;

// Walks in, strikes near, fires far, dashes, boosts, and keeps pressing toward the CPU mech.
std::vector<HeldKey> ScriptA() {
    std::vector<HeldKey> s = {{0, 20, harness::kDikPad6}, {25, 26, harness::kDikZ}, {40, 41, harness::kDikX},
                              {60, 62, harness::kDikPad5}, {80, 81, harness::kDikC}};
    for (int f = 100; f < 3600; f += 24) {
        s.push_back({f, f + 8, harness::kDikPad6});
        s.push_back({f + 10, f + 11, (f / 24) % 3 == 0 ? harness::kDikX : harness::kDikZ});
    }
    return s;
}

struct Snapshot {
    int sprites = 0;
    int surfaces = 0;
};

Snapshot Take() {
    Snapshot s;
    for (int i = 0; i < SPR_MAX; i++) s.sprites += SPR_GetAnySpr(i) != nullptr;
    for (int i = 0; i < SURF_SLOT_MAX; i++) s.surfaces += SurfTbl[i].surface != nullptr;
    return s;
}

class BattleRun : public ::testing::Test {
protected:
    void SetUp() override {
        plat::SetSettingsFile(config_.File("settings.txt").c_str());
        plat::SetInputBackend(&input_);
        SYS_ResetState();
        ASSERT_EQ(SYS_InitWindow(), 1);
        SYS_InitGame();
        SYS_SetSeq(4);
    }
    void TearDown() override {
        plat::SimulateClose(MainWnd);
        int code = 0, turns = 0;
        while (SYS_MessageTurn(&code) && ++turns < 1000) clock_.Advance(10);
        SYS_ReleaseGame();
        plat::ReleaseDestroyedWindows();
        plat::SetInputBackend(nullptr);
        plat::SetSettingsFile("");
    }
    harness::RunResult Run(const std::vector<HeldKey>& script) {
        const Snapshot before = Take();
        harness::SetupBattle({4});
        harness::RunResult r = harness::RunBattle(input_, script, 1234, 3600);
        harness::TeardownBattle();
        const Snapshot after = Take();
        EXPECT_EQ(after.sprites, before.sprites);
        EXPECT_EQ(after.surfaces, before.surfaces);
        EXPECT_EQ(ObjLiveCnt, 0);
        return r;
    }

    test::TempDir config_;
    test::ScopedCwd cwd_{KORVANE_SAMPLE_DATA_DIR};
    test::FakeClock clock_;
    test::DebugCapture debug_;
    test::MessageBoxCapture boxes_;
    plat::FakeInputBackend input_;
};

// The first line where two logs' states part, or -1.
int FirstDifference(const harness::RunResult& a, const harness::RunResult& b) {
    const std::size_t n = std::min(a.log.size(), b.log.size());
    for (std::size_t i = 0; i < n; i++)
        if (a.log[i] != b.log[i]) return int(i);
    return a.log.size() == b.log.size() ? -1 : int(n);
}

bool Seen(const harness::RunResult& r, int state) {
    return std::find(r.statesSeen.begin(), r.statesSeen.end(), state) != r.statesSeen.end();
}

TEST_F(BattleRun, ScriptedPlayerRunsRepeatably) {
    const harness::RunResult a = Run(ScriptA());
    const harness::RunResult b = Run(ScriptA());
    const int diff = FirstDifference(a, b);
    EXPECT_EQ(diff, -1) << a.log[std::size_t(std::max(diff, 0))] << "\n" << b.log[std::size_t(std::max(diff, 0))];
    ASSERT_FALSE(a.log.empty());
    EXPECT_TRUE(Seen(a, 5));
    EXPECT_TRUE(Seen(a, 6));  // hits land and stop the fight for a moment
    EXPECT_FALSE(debug_.Contains("見つかりません")) << debug_.text();
    EXPECT_FALSE(debug_.Contains("Open error")) << debug_.text();
    std::printf("scenario A: %d frames, end state %d, states", a.frames, a.endState);
    for (int s : a.statesSeen) std::printf(" %d", s);
    std::printf("\nfirst: %s\nlast: %s\n", a.log.front().c_str(), a.log.back().c_str());
}

TEST_F(BattleRun, IdlePlayerRunsRepeatably) {
    const harness::RunResult a = Run({});
    const harness::RunResult b = Run({});
    const int diff = FirstDifference(a, b);
    EXPECT_EQ(diff, -1) << a.log[std::size_t(std::max(diff, 0))] << "\n" << b.log[std::size_t(std::max(diff, 0))];
    std::printf("scenario B: %d frames, end state %d\nlast: %s\n", a.frames, a.endState, a.log.back().c_str());
}

}  // namespace
