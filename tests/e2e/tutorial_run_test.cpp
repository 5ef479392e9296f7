// The five tutorial scenes on the sample data after the real start-up, each entered as the title's
// submenu enters it and run in the shell's loop to its end: a seeded generator, a clock stepping
// 33 ms an update and scripted input. Each run's per-update log must repeat and match its golden
// file in tests/data (KORVANE_UPDATE_GOLDEN=1 rewrites them).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "battle/battle.h"
#include "battle/meka/meka.h"
#include "battle/panel/pnl.h"
#include "platform/input_fake.h"
#include "platform/settings.h"
#include "platform/window.h"
#include "screens/btl/btl.h"
#include "script/bsc/bsc.h"
#include "script/core/ass.h"
#include "script/script.h"
#include "shell/sys.h"
#include "test_support.h"
#include "tests/harness/battle_harness.h"
#include "tests/harness/tutorial_harness.h"

namespace {

constexpr int kMaxUpdates = 3000;

// Who goes down in a handed-over fight.
enum class FightEnd { kCpuDown, kPlayerDown };

struct Scene {
    int no;
    FightEnd end = FightEnd::kCpuDown;
};

struct RunLog {
    std::vector<std::string> lines;
    int updates = 0;
    int handOvers = 0;
    int mekasLeft = 0;     // mechs alive when the title is back
    bool hudSeen = false;  // a mech panel, the popup or the marker alive in the scene after a fight
};

std::string ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The first line where two logs part, both lines; empty when they are the same.
std::string FirstDifference(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); i++) {
        const std::string la = i < a.size() ? a[i] : "(end)", lb = i < b.size() ? b[i] : "(end)";
        if (la != lb) return la + "\n" + lb;
    }
    return "";
}

class TutorialRun : public ::testing::Test {
protected:
    void SetUp() override {
        plat::SetSettingsFile(config_.File("settings.txt").c_str());
        plat::SetInputBackend(&input_);
    }
    void TearDown() override {
        plat::SetInputBackend(nullptr);
        plat::SetSettingsFile("");
    }
    // The real start-up, then the run, then the window closed through the platform's event path, so
    // that every run starts from the same state.
    RunLog Run(const Scene& s) {
        SYS_ResetState();
        if (SYS_InitWindow() != 1) {
            ADD_FAILURE() << "no window";
            return {};
        }
        SYS_InitGame();
        RunLog r = RunScene(s);
        plat::SimulateClose(MainWnd);
        int code = 0, turns = 0;
        while (SYS_MessageTurn(&code) && ++turns < 1000) clock_.Advance(10);
        SYS_ReleaseGame();
        plat::ReleaseDestroyedWindows();
        return r;
    }
    // Enters the scene as the title's submenu does and runs whole turns of the shell's loop until
    // the title is back. A handed-over fight is played until its loser goes down.
    RunLog RunScene(const Scene& s) {
        RunLog r;
        reader_.Reset();
        BTL_SetState(0);  // what an earlier run of this process left
        harness::SeedRandom(1234);
        ADV_SetScriptNo(s.no);
        mBSC_Init();
        SYS_SetSeq(5);
        for (int u = 0; u < kMaxUpdates && SYS_GetSeq(0) != 2; u++) {
            reader_.Answer(u);
            clock_.Advance(33);
            SYS_Loop_Main();
            const bool fighting = SYS_GetSeq(0) == 4 && AdvState == 6;
            if (fighting && BTL_GetState(0) == 5) {
                harness::KnockOut(s.end == FightEnd::kCpuDown ? 1 : 0);
            }
            if (AdvState == 6 && BTL_GetState(0) == 3) r.handOvers++;
            if (SYS_GetSeq(0) == 5 && r.handOvers > 0)
                for (int slot = 0; slot < PNL_MAX; slot++) r.hudSeen |= PnlTbl[slot].use != 0;
            if (SYS_GetSeq(0) == 5 && r.handOvers > 0) r.hudSeen |= PnlHud.popupSpr >= 0 || PnlHud.markerSpr >= 0;
            r.lines.push_back(harness::TutorialLine(u));
            r.updates = u + 1;
        }
        for (int slot = 0; slot < MEKA_SLOT_MAX; slot++) r.mekasLeft += MEKA_GetSlot(slot) != nullptr;
        reader_.Reset();
        harness::RestoreRandom();
        return r;
    }
    // Compares the log with tests/data/<name>, or rewrites that file on request.
    static void CheckGolden(const std::string& name, const RunLog& r) {
        std::string text;
        for (const std::string& line : r.lines) text += line + "\n";
        const std::string path = std::string(KORVANE_TESTDATA_DIR) + "/" + name;
        if (const char* update = std::getenv("KORVANE_UPDATE_GOLDEN"); update && *update == '1') {
            std::ofstream(path, std::ios::binary) << text;
            return;
        }
        const std::string want = ReadAll(path.c_str());
        ASSERT_FALSE(want.empty()) << path << " is missing: run with KORVANE_UPDATE_GOLDEN=1";
        std::istringstream a(want), b(text);
        std::string la, lb;
        for (int n = 1;; n++) {
            const bool ha = bool(std::getline(a, la)), hb = bool(std::getline(b, lb));
            if (!ha && !hb) break;
            ASSERT_EQ(ha ? la : "(end)", hb ? lb : "(end)") << name << " line " << n;
        }
    }

    test::TempDir config_;
    test::ScopedCwd cwd_{KORVANE_SAMPLE_DATA_DIR};
    test::FakeClock clock_;
    test::DebugCapture debug_;
    test::MessageBoxCapture boxes_;
    plat::FakeInputBackend input_;
    harness::ScriptReader reader_{input_};
};

const char* const kGoldenNames[ADV_SCRIPT_MAX] = {"tutorial_move.log", "tutorial_at.log", "tutorial_combo.log",
                                                  "tutorial_pow.log", "tutorial_wnd.log"};

TEST_F(TutorialRun, EachSceneRunsRepeatablyToItsEndAndBackToTheTitle) {
    for (int n = 0; n < ADV_SCRIPT_MAX; n++) {
        const Scene scene{n};
        const RunLog a = Run(scene);
        const RunLog b = Run(scene);
        EXPECT_LT(a.updates, kMaxUpdates) << TutorialScriptTbl[n];
        EXPECT_EQ(SYS_GetSeq(0), 2u) << TutorialScriptTbl[n];
        EXPECT_EQ(a.handOvers > 0, n == 2) << TutorialScriptTbl[n];
        EXPECT_EQ(FirstDifference(a.lines, b.lines), "") << TutorialScriptTbl[n];
        EXPECT_EQ(a.mekasLeft, 0) << TutorialScriptTbl[n];
        CheckGolden(kGoldenNames[n], a);
        std::printf("%s: %d updates\n", TutorialScriptTbl[n], a.updates);
    }
    EXPECT_FALSE(debug_.Contains("did not load")) << debug_.text();
    EXPECT_FALSE(debug_.Contains("Open error")) << debug_.text();
}

// The combination scene hands the player a fight (its return 2): won or lost, the fight comes back to
// the scene with no HUD, the script goes on after its return, and no survival record is written.
TEST_F(TutorialRun, TheHandOverSceneGetsItsFightBackWonOrLost) {
    const std::string history = ReadAll("History.dat"), survival = ReadAll("Save/Svv.dat");
    for (FightEnd end : {FightEnd::kCpuDown, FightEnd::kPlayerDown}) {
        const Scene scene{2, end};
        const RunLog r = Run(scene);
        const bool won = end == FightEnd::kCpuDown;
        EXPECT_LT(r.updates, kMaxUpdates) << won;
        EXPECT_EQ(SYS_GetSeq(0), 2u) << won;
        EXPECT_GT(r.handOvers, 0) << won;
        EXPECT_FALSE(r.hudSeen) << won;
        // Back in the scene on battle sub-state 8, the script going on after its return to its end.
        bool resumed = false;
        for (std::size_t i = 1; i < r.lines.size(); i++) {
            if (r.lines[i - 1].find("seq=4 adv=6") == std::string::npos) continue;
            if (r.lines[i].find("seq=5 adv=6") == std::string::npos) continue;
            EXPECT_NE(r.lines[i].find("btl=8"), std::string::npos) << r.lines[i];
            for (std::size_t k = i + 1; k < r.lines.size(); k++)
                resumed |= r.lines[k].find("loop=-2") != std::string::npos;
        }
        EXPECT_TRUE(resumed) << won;
        if (!resumed)
            for (const std::string& line : r.lines) std::printf("%s\n", line.c_str());
    }
    EXPECT_EQ(ReadAll("History.dat"), history);
    EXPECT_EQ(ReadAll("Save/Svv.dat"), survival);
}

}  // namespace
