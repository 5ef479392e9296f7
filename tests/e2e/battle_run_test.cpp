// Whole battles on the sample data after the real start-up: a scripted player who wins and an idle one
// who loses, each run twice from one seed with identical frame logs (picture checksums included), each
// log matching its golden file, and the pool, sprites and surfaces as before.
//
// The golden logs are tests/data/battle_run_a.log and battle_run_b.log. When the battle's behaviour or
// the sample data change on purpose, rewrite them with
//   KORVANE_UPDATE_GOLDEN=1 ctest --test-dir build-test -R BattleRun
// and review the diff before committing it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "battle/data/meka_type.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "graphics/sprite/spr.h"
#include "platform/input_fake.h"
#include "platform/settings.h"
#include "platform/window.h"
#include "screens/btl/btl.h"
#include "screens/survival/svv.h"
#include "shell/sys.h"
#include "test_support.h"
#include "tests/harness/battle_harness.h"

namespace {

using harness::HeldKey;

// Walks in, strikes near, fires far, dashes, opens the cut-in, then keeps walking toward the CPU mech
// and attacking; every fourth approach is a boost (a double tap) with a boost strike.
std::vector<HeldKey> ScriptA() {
    std::vector<HeldKey> s = {{0, 20, harness::kDikPad6}, {25, 26, harness::kDikZ}, {40, 41, harness::kDikX},
                              {60, 62, harness::kDikPad5}, {80, 81, harness::kDikC}};
    for (int f = 100; f < 3600; f += 24) {
        if ((f / 24) % 4 == 1) {
            s.push_back({f, f, harness::kDikPad6});
            s.push_back({f + 2, f + 8, harness::kDikPad6});
            s.push_back({f + 4, f + 5, harness::kDikZ});
            continue;
        }
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

// What a frame line tells of the objects and the first two mech slots.
struct Frame {
    int kinds[6] = {};
    struct Meka {
        bool present = false;
        int act = 0, bars = 0, life = 0;
    } meka[2];
};

Frame Parse(const std::string& line) {
    Frame f;
    const std::size_t at = line.find(" obj=");
    if (at != std::string::npos)
        std::sscanf(line.c_str() + at, " obj=%d,%d,%d,%d,%d,%d", &f.kinds[0], &f.kinds[1], &f.kinds[2], &f.kinds[3],
                    &f.kinds[4], &f.kinds[5]);
    for (int slot = 0; slot < 2; slot++) {
        const std::size_t m = line.find(" | " + std::to_string(slot) + ":");
        if (m == std::string::npos) continue;
        int x, y, z, sub, waza, gauge;
        Frame::Meka& k = f.meka[slot];
        k.present = std::sscanf(line.c_str() + m + 5, "%d,%d,%d a%d s%d w%d l%d/%d g%d", &x, &y, &z, &k.act, &sub, &waza,
                                &k.bars, &k.life, &gauge) == 9;
    }
    return f;
}

// The whole log against the golden file of the scenario.
void ExpectGolden(const char* name, const harness::RunResult& r) {
    const harness::GoldenCheck c = harness::CheckGolden(std::string(KORVANE_TESTDATA_DIR) + "/" + name, r.log);
    if (c.written) {
        std::printf("golden log written: %s\n", name);
        return;
    }
    EXPECT_EQ(c.error, "");
    EXPECT_EQ(c.firstDiff, -1) << name << " line " << c.firstDiff << "\nwant: " << c.want << "\ngot:  " << c.got;
}

void ExpectRepeated(const harness::RunResult& a, const harness::RunResult& b) {
    const int diff = FirstDifference(a, b);
    EXPECT_EQ(diff, -1) << a.log[std::size_t(std::max(diff, 0))] << "\n" << b.log[std::size_t(std::max(diff, 0))];
}

TEST_F(BattleRun, ScriptedPlayerWins) {
    const harness::RunResult a = Run(ScriptA());
    ExpectRepeated(a, Run(ScriptA()));
    ExpectGolden("battle_run_a.log", a);
    ASSERT_FALSE(a.log.empty());
    EXPECT_EQ(a.endState, 17);
    EXPECT_LT(a.frames, 3600);
    EXPECT_TRUE(Seen(a, 6)) << "hits stop the fight for a moment";
    EXPECT_TRUE(Seen(a, 9)) << "the cut-in technique";
    EXPECT_FALSE(debug_.Contains("見つかりません")) << debug_.text();
    EXPECT_FALSE(debug_.Contains("Open error")) << debug_.text();

    // Shots and effects come and go, both mechs lose life, and the CPU walks, boosts and dashes.
    bool shots = false, shotsGone = false, effects = false, effectsGone = false, walks = false, boosts = false,
         dashes = false, playerBoosts = false, playerDashes = false;
    int lowest[2] = {1 << 30, 1 << 30};
    for (const std::string& line : a.log) {
        const Frame f = Parse(line);
        shotsGone |= shots && f.kinds[2] == 0;
        shots |= f.kinds[2] > 0;
        effectsGone |= effects && f.kinds[3] == 0;
        effects |= f.kinds[3] > 0;
        for (int slot = 0; slot < 2; slot++)
            if (f.meka[slot].present)
                lowest[slot] = std::min(lowest[slot], f.meka[slot].bars * MEKA_LIFE_UNITS + f.meka[slot].life);
        playerBoosts |= f.meka[0].present && f.meka[0].act == 2;
        playerDashes |= f.meka[0].present && f.meka[0].act == 5;
        if (!f.meka[1].present) continue;
        walks |= f.meka[1].act == 1;
        boosts |= f.meka[1].act == 2;
        dashes |= f.meka[1].act >= 3 && f.meka[1].act <= 5;
    }
    EXPECT_TRUE(shots && shotsGone);
    EXPECT_TRUE(effects && effectsGone);
    const Frame first = Parse(a.log.front());
    for (int slot = 0; slot < 2; slot++)
        EXPECT_LT(lowest[slot], first.meka[slot].bars * MEKA_LIFE_UNITS + first.meka[slot].life) << slot;
    EXPECT_TRUE(walks);
    EXPECT_TRUE(boosts);
    EXPECT_TRUE(dashes);
    EXPECT_TRUE(playerBoosts);
    EXPECT_TRUE(playerDashes);
}

TEST_F(BattleRun, IdlePlayerLoses) {
    const harness::RunResult a = Run({});
    ExpectRepeated(a, Run({}));
    ExpectGolden("battle_run_b.log", a);
    EXPECT_EQ(a.endState, 19);
    EXPECT_LT(a.frames, 3600);
}

// Every enemy type of the survival line-up fights: against an idle player it comes close enough to
// hurt within a few seconds.
TEST_F(BattleRun, EverySurvivalEnemyFights) {
    for (i32 type : SvvKindTbl) {
        SCOPED_TRACE(MekaNameTbl[type]);
        harness::SetupBattle({type});
        ASSERT_NE(MEKA_GetSlot(1), nullptr);
        const harness::RunResult r = harness::RunBattle(input_, {}, 77, 600);
        harness::TeardownBattle();
        const Frame first = Parse(r.log.front()), last = Parse(r.log.back());
        EXPECT_TRUE(!last.meka[0].present || last.meka[0].bars * MEKA_LIFE_UNITS + last.meka[0].life <
                                                 first.meka[0].bars * MEKA_LIFE_UNITS + first.meka[0].life);
    }
    EXPECT_FALSE(debug_.Contains("Open error")) << debug_.text();
}

}  // namespace
