// The weapon editor over the running game, with real dialog windows: runs only under a display
// (scripts/test.sh starts Xvfb and sets KORVANE_DIALOG_DISPLAY).
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "battle/data/tama_data.h"
#include "editors/tama_editor.h"
#include "graphics/display/disp.h"
#include "platform/dialog.h"
#include "platform/input_fake.h"
#include "platform/sdl_internal.h"
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

// No window manager runs here: the clicks alone move the keyboard, between the game and the dialogs.
TEST_F(EditorsOnTheGame, EditsSavePausesAndCloseWithTheGame) {
    // The pointer mid-screen: a game window shown at its own size before covering the screen would
    // move under it and leave SDL's pointer where it was in the small window.
    ::Display* pointer = XOpenDisplay(nullptr);
    ASSERT_NE(pointer, nullptr);
    XWarpPointer(pointer, None, DefaultRootWindow(pointer), 0, 0, 0, 0, DisplayWidth(pointer, 0) / 2,
                 DisplayHeight(pointer, 0) / 2);
    XCloseDisplay(pointer);
    Start();
    ASSERT_NE(DispFullScreen, 0);
    SDL_Window* sdl = plat::SdlWindowOf(MainWnd);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(sdl, &info) && info.subsystem == SDL_SYSWM_X11);
    ::Display* x = info.info.x11.display;
    const ::Window game = info.info.x11.window;
    // SDL has the pointer where the X server has it.
    std::array<int, 2> sdlAt{}, xAt{}, window{};
    SDL_GetMouseState(&sdlAt[0], &sdlAt[1]);
    SDL_GetGlobalMouseState(&xAt[0], &xAt[1]);
    SDL_GetWindowPosition(sdl, &window[0], &window[1]);
    EXPECT_EQ(sdlAt, (std::array<int, 2>{xAt[0] - window[0], xAt[1] - window[1]}));

    auto keyboard = [x] {
        ::Window w = 0;
        int revert = 0;
        XGetInputFocus(x, &w, &revert);
        return w;
    };
    // Game turns with real time between them (X and SDL answer in theirs) until done() holds.
    auto until = [&](const auto& done) {
        for (int i = 0; i < 200 && !done(); i++) {
            Turns(1);
            SDL_Delay(10);
        }
        return done();
    };
    auto clickGame = [&] {
        SDL_Delay(50);  // SDL drops a click that comes right after a change of focus
        for (int type : {ButtonPress, ButtonRelease}) {
            XEvent e{};
            e.xbutton = XButtonEvent{type, 0, True, x, game, DefaultRootWindow(x), None, CurrentTime, 10, 10, 10, 10,
                                     type == ButtonPress ? 0u : Button1Mask, Button1, True};
            XSendEvent(x, game, True, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &e);
        }
        XSync(x, False);
    };
    auto gameRuns = [&] { return keyboard() == game && PauseFlag == 0; };
    clickGame();
    ASSERT_TRUE(until(gameRuns));

    ASSERT_EQ(EDIT_OpenTamaEditor(), 1);
    EXPECT_EQ(DispFullScreen, 0);  // windowed, so the dialogs beside the game can be seen
    plat::Dialog* list = plat::FindDialog(118);
    plat::Dialog* phase = plat::FindDialog(116);
    ASSERT_TRUE(list && phase);
    plat::TypeText(phase, 2524, "777");
    plat::ClickCtl(list, 1042);

    // A click gives an editor the keyboard: the game stands still while the dialogs keep answering,
    // until a click on the game takes the keyboard back.
    ASSERT_TRUE(plat::ClickDialogAt(phase, 2, 2));
    EXPECT_TRUE(until([] { return PauseFlag == 1; }));
    EXPECT_EQ(Turns(20), 0);
    plat::TypeText(phase, 2526, "12");
    EXPECT_EQ(TamaDataTbl[0]->phase[0].powerMin, 12);
    clickGame();
    EXPECT_TRUE(until(gameRuns));
    EXPECT_GT(Turns(20), 0);

    // A dialog closed with the keyboard hands it to the game, not to the dialog clicked before it.
    ASSERT_TRUE(plat::ClickDialogAt(list, 2, 2));
    ASSERT_TRUE(plat::ClickDialogAt(phase, 2, 2));
    plat::ClickCtl(phase, plat::IDCANCEL);
    ASSERT_EQ(plat::FindDialog(116), nullptr);
    EXPECT_TRUE(until(gameRuns));

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
