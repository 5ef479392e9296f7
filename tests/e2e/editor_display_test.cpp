// The weapon editor over the running game, with real dialog windows: runs only under a display
// (scripts/test.sh starts Xvfb and sets KORVANE_DIALOG_DISPLAY).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "battle/data/tama_data.h"
#include "editors/tama_editor.h"
#include "graphics/display/disp.h"
#include "platform/dialog.h"
#include "platform/input_fake.h"
#include "platform/settings.h"
#include "platform/window.h"
#include "shell/sys.h"
#include "test_support.h"

namespace {

class EditorsOnTheGame : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("KORVANE_DIALOG_DISPLAY")) GTEST_SKIP() << "needs a display";
        std::filesystem::copy(KORVANE_SAMPLE_DATA_DIR, data.path(), std::filesystem::copy_options::recursive);
    }
    // Starts the game on the copied data; false when it did not come up.
    void Start() {
        plat::SetSettingsFile(config.File("settings.txt").c_str());
        plat::SetInputBackend(&input);
        SYS_ResetState();
        trace.clear();
        SYS_SetTrace([this](const char* e) { trace.emplace_back(e); });
        ASSERT_EQ(SYS_InitWindow(), 1);
        SYS_InitGame();
        Turns(10);
    }
    void Stop() {
        plat::SimulateClose(MainWnd);
        int exitCode = -1, turns = 0;
        while (SYS_MessageTurn(&exitCode) && ++turns < 1000) clock.Advance(10);
        EXPECT_EQ(exitCode, 0);
        SYS_ReleaseGame();
        plat::ReleaseDestroyedWindows();
        SYS_SetTrace({});
        plat::SetInputBackend(nullptr);
        plat::SetSettingsFile("");
        MainWnd = nullptr;
    }
    // Game turns; how many updates ran in them.
    int Turns(int n) {
        int updates = 0;
        const size_t from = trace.size();
        for (int i = 0; i < n; i++) {
            int code = 0;
            SYS_MessageTurn(&code);
            clock.Advance(17);
        }
        for (size_t i = from; i < trace.size(); i++) updates += trace[i].rfind("update ", 0) == 0;
        return updates;
    }

    test::TempDir data;
    test::TempDir config;
    test::ScopedCwd cwd{data.path()};
    test::FakeClock clock;
    test::MessageBoxCapture boxes;
    plat::FakeInputBackend input;
    std::vector<std::string> trace;
};

TEST_F(EditorsOnTheGame, EditsSavePausesAndCloseWithTheGame) {
    Start();
    ASSERT_NE(DispFullScreen, 0);
    ASSERT_EQ(EDIT_OpenTamaEditor(), 1);
    EXPECT_EQ(DispFullScreen, 0);  // windowed, so the dialogs beside the game can be seen
    plat::Dialog* list = plat::FindDialog(118);
    plat::Dialog* phase = plat::FindDialog(116);
    ASSERT_TRUE(list && phase);
    plat::TypeText(phase, 2524, "777");
    plat::ClickCtl(list, 1042);

    // An editor with the focus: the game stands still while the dialogs keep answering.
    plat::SimulateFocus(MainWnd, false);
    EXPECT_EQ(Turns(20), 0);
    EXPECT_EQ(PauseFlag, 1u);
    plat::TypeText(phase, 2526, "12");
    EXPECT_EQ(TamaDataTbl[0]->phase[0].powerMin, 12);
    plat::SimulateFocus(MainWnd, true);
    EXPECT_GT(Turns(20), 0);

    // Closing the game with the editors open takes them along.
    Stop();
    EXPECT_EQ(plat::FindDialog(118), nullptr);
    EXPECT_EQ(plat::FindDialog(116), nullptr);
    EXPECT_EQ(TamaListDlg, nullptr);
    EXPECT_EQ(TamaDlg, nullptr);

    // The saved edit is there after a restart.
    Start();
    ASSERT_GT(TamaDataCount, 0);
    EXPECT_EQ(TamaDataTbl[0]->phase[0].power, 777);

    // Full screen again once the last editor dialog has closed.
    ASSERT_EQ(EDIT_OpenTamaEditor(), 1);
    EXPECT_EQ(DispFullScreen, 0);
    plat::ClickCtl(plat::FindDialog(116), plat::IDCANCEL);
    Turns(2);
    EXPECT_EQ(DispFullScreen, 0);
    plat::ClickCtl(plat::FindDialog(118), plat::IDCANCEL);
    Turns(2);
    EXPECT_NE(DispFullScreen, 0);
    Stop();
}

}  // namespace
