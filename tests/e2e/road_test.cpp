// The whole road from the real start-up on the sample data, with the injected clock and scripted
// input: the opening, the title, a survival run through a won and a lost wave into the ranking, the
// ranking view, and the quit through the closing picture. The log of scene and sub-state changes is
// compared with tests/data/road_log.txt; KORVANE_UPDATE_GOLDEN=1 rewrites it:
//   SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy KORVANE_UPDATE_GOLDEN=1 build-test/tests/test_e2e --gtest_filter='Road.From*'
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "graphics/sprite/spr.h"
#include "platform/input_fake.h"
#include "platform/settings.h"
#include "platform/window.h"
#include "screens/btl/btl.h"
#include "screens/op.h"
#include "screens/ranking/his.h"
#include "screens/survival/lvup.h"
#include "screens/survival/svv.h"
#include "screens/title/title.h"
#include "script/script.h"
#include "shell/sys.h"
#include "test_support.h"
#include "tests/e2e/title_entry.h"

namespace {

constexpr int kDikDown = 80, kDikDecide = 44;
constexpr u32 kTurnMs = 34;  // one update and one draw each turn

class Road : public ::testing::Test {
protected:
    void SetUp() override {
        // The sample data seen through links, so the history the run writes lands in a folder of its own.
        for (const auto& entry : std::filesystem::directory_iterator(KORVANE_SAMPLE_DATA_DIR)) {
            const std::string name = entry.path().filename().string();
            if (name == "Save" || name == "History.dat") continue;
            std::filesystem::create_symlink(entry.path(), std::filesystem::path(data_.path()) / name);
        }
        cwd_ = std::make_unique<test::ScopedCwd>(data_.path());
        plat::SetSettingsFile(config_.File("settings.txt").c_str());
        plat::SetInputBackend(&input_);
        SYS_ResetState();
        ASSERT_EQ(SYS_InitWindow(), 1);
        SYS_InitGame();
        for (int i = 0; i < SURF_SLOT_MAX; i++) surfacesBefore_ += SurfTbl[i].surface != nullptr;
    }
    void TearDown() override {
        if (!ended_) {
            plat::SimulateClose(MainWnd);
            int code = 0, turns = 0;
            while (SYS_MessageTurn(&code) && ++turns < 1000) clock_.Advance(10);
        }
        SYS_ReleaseGame();
        plat::ReleaseDestroyedWindows();
        plat::SetInputBackend(nullptr);
        plat::SetSettingsFile("");
    }

    // The scene's own sub-state.
    static int SubState() {
        switch (SysSeq) {
        case 1: return OpStep;
        case 2: return TitleWork.step;
        case 4: return BtlState;
        case 5: return AdvState;
        case 6: return HisState.phase;
        default: return 0;
        }
    }
    // One turn of the message loop; false once the loop has ended.
    bool Turn() {
        int code = 0;
        const bool going = SYS_MessageTurn(&code);
        ended_ = ended_ || !going;
        clock_.Advance(kTurnMs);
        const std::string line = "scene " + std::to_string(SysSeq) + " " + std::to_string(SubState());
        if (log_.empty() || log_.back() != line) log_.push_back(line);
        return going;
    }
    // Presses a key for one turn, lets it go for the next.
    void Tap(int dik) {
        input_.Press(dik);
        Turn();
        input_.Let(dik);
        Turn();
    }
    // Through the title's intro and main menu to the entry, and takes it.
    void TakeTitleEntry(int entry) {
        for (int n = 0; n < 1000 && !e2e::TitleEntryTaken(); n++) {
            const int key = e2e::TitleEntryKey(entry, n);
            if (key) input_.Press(key);
            Turn();
            if (key) input_.Let(key);
        }
        ASSERT_TRUE(e2e::TitleEntryTaken());
        EXPECT_EQ(TitleWork.selected, entry);
    }
    // Turns until the scene reads seq; false when it never did.
    bool UntilScene(u32 seq, int limit = 3000, bool clicking = false) {
        for (int n = 0; n < limit && SysSeq != seq; n++) {
            input_.button[0] = clicking && n % 10 == 9;
            Turn();
        }
        input_.button[0] = false;
        return SysSeq == seq;
    }
    bool UntilBattle(int state, int limit = 3000) {
        for (int n = 0; n < limit && !(SysSeq == 4 && BtlState == state); n++) Turn();
        return SysSeq == 4 && BtlState == state;
    }
    // A mech blows up as the battle's own death does.
    static void Explode(int slot) {
        if (LIST_DATA* obj = MEKA_GetSlot(slot)) {
            CurObj = obj;
            MEKA_Explode();
            CurObj = nullptr;
        }
    }

    test::TempDir config_;
    test::TempDir data_;
    std::unique_ptr<test::ScopedCwd> cwd_;
    bool ended_ = false;
    test::FakeClock clock_;
    test::DebugCapture debug_;
    test::MessageBoxCapture boxes_;
    plat::FakeInputBackend input_;
    std::vector<std::string> log_;
    int surfacesBefore_ = 0;
};

TEST_F(Road, FromTheOpeningThroughASurvivalRunAndTheRankingToTheQuit) {
    HisData = HIS_DATA{};
    // The opening: the logo, then the movie skipped by a decide.
    for (int n = 0; n < 500 && !(OpMovie && DWWL_GetTime(OpMovie) > 500); n++) Turn();
    ASSERT_EQ(OpStep, 2);
    Tap(kDikDecide);
    EXPECT_EQ(OpStep, 3);
    ASSERT_TRUE(UntilScene(2));

    // The title: intro skipped, the battle entry.
    TakeTitleEntry(0);
    ASSERT_TRUE(UntilBattle(5));
    // Wave 1 won: every CPU mech blows up; the level-up screen leads into wave 2.
    for (int slot = 1; slot < MEKA_SLOT_MAX; slot++) Explode(slot);
    ASSERT_TRUE(UntilBattle(17));
    // The level-up fills its bars, then waits for a decide before the next wave.
    for (int n = 0; n < 3000 && SysSeq == 4 && BtlState == 17 && LvupStep != 2; n++) Turn();
    ASSERT_EQ(LvupStep, 2);
    Tap(kDikDecide);
    ASSERT_TRUE(UntilBattle(5));
    EXPECT_EQ(SvvWave, 1);
    // Wave 2 lost: the ranking enters the run and the title returns.
    Explode(0);
    ASSERT_TRUE(UntilBattle(19));
    ASSERT_TRUE(UntilScene(2, 3000, true));
    EXPECT_GE(HisData.entry[0].waves, 1);

    // The ranking view and back.
    TakeTitleEntry(1);
    ASSERT_TRUE(UntilScene(6));
    ASSERT_TRUE(UntilScene(2, 3000, true));

    // The quit through the closing picture ends the loop.
    TakeTitleEntry(3);
    int turns = 0;
    while (Turn() && ++turns < 2000) {
    }
    EXPECT_LT(turns, 2000);
    EXPECT_EQ(SysSeq, 0u);

    std::ostringstream text;
    for (const std::string& line : log_) text << line << "\n";
    const std::string golden = std::string(KORVANE_TESTDATA_DIR) + "/road_log.txt";
    if (const char* update = std::getenv("KORVANE_UPDATE_GOLDEN"); update && std::string(update) == "1") {
        std::ofstream(golden) << text.str();
    } else {
        std::ifstream in(golden);
        std::stringstream want;
        want << in.rdbuf();
        EXPECT_EQ(text.str(), want.str()) << "KORVANE_UPDATE_GOLDEN=1 rewrites " << golden;
    }
    EXPECT_FALSE(debug_.Contains("Open error")) << debug_.text();
    EXPECT_TRUE(boxes_.calls().empty());
}

// The submenu hands its entry to the script scene, whose scene runs and returns to the title.
TEST_F(Road, TheSubmenuStartsTheChosenScriptedScene) {
    SYS_SetSeq(2);
    TakeTitleEntry(2);
    for (int n = 0; n < 100 && TitleWork.step != 11; n++) Turn();
    ASSERT_EQ(TitleWork.step, 11);
    Tap(kDikDown);  // 2 -> 3
    ASSERT_EQ(TitleWork.selected, 3);
    Tap(kDikDecide);
    ASSERT_TRUE(UntilScene(5));
    EXPECT_EQ(AdvScriptNo, 3);
    EXPECT_EQ(TitleWork.selected, 0);
    EXPECT_EQ(TitleWork.state, -1);
    ASSERT_TRUE(UntilScene(2));
    EXPECT_FALSE(debug_.Contains("did not load")) << debug_.text();
    for (int slot = 0; slot < MEKA_SLOT_MAX; slot++) EXPECT_EQ(MEKA_GetSlot(slot), nullptr) << slot;
}

}  // namespace
