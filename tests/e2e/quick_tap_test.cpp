// Quick taps through the real SDL input path on the sample data: each press and its release are pushed
// as SDL events between two updates of the shell's loop, so SDL's own key state never sees them down
// and only the press latch carries them.
#include <gtest/gtest.h>

#include <SDL.h>

#include <csignal>

#include "platform/input.h"
#include "platform/movie.h"
#include "platform/settings.h"
#include "platform/window.h"
#include "screens/btl/btl.h"
#include "screens/op.h"
#include "script/bsc/bsc.h"
#include "script/core/ass.h"
#include "script/script.h"
#include "shell/input/key.h"
#include "shell/sys.h"
#include "test_support.h"

namespace {

void Tap(SDL_Scancode sc) {
    for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
        SDL_Event e{};
        e.type = type;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.scancode = sc;
        SDL_PushEvent(&e);
    }
}

// Reads the window scene as a player would, by taps alone: pages get a decide, a choice the pad's
// down (which moves the pointer onto an answer) and then a decide. tapAt: the update of the second
// choice's opening that gets one more decide.
struct WindowSceneReader {
    int tapAt = -1;
    int choices = 0, since = 0, last = -1;
    void Answer(int u) {
        const int waited = GetScriptWait() ? GetScriptWaitFunc() : -1;
        if (waited == ASS_WAIT_SELECT && last != ASS_WAIT_SELECT) {
            ++choices;
            since = 0;
        }
        last = waited;
        const ASS_PARTS& parts = ASS_GetParts();
        if (waited == ASS_WAIT_SELECT) {
            if (choices == 2 && since == tapAt) Tap(SDL_SCANCODE_Z);
            if (since >= 12 && since % 6 == 0) Tap(SDL_SCANCODE_KP_2);
            if (since >= 12 && since % 6 == 3) Tap(SDL_SCANCODE_Z);
            ++since;
        } else if (u % 4 == 0 && (waited == ASS_WAIT_PAGE || waited == ASS_WAIT_KEY ||
                                  (parts.getWindowState() == 2 && parts.getPageState() == 1))) {
            Tap(SDL_SCANCODE_Z);
        }
    }
};

class QuickTap : public ::testing::Test {
protected:
    void SetUp() override {
        plat::SetSettingsFile(config_.File("settings.txt").c_str());
        plat::SetInputBackend(nullptr);
        SYS_ResetState();
        ASSERT_EQ(SYS_InitWindow(), 1);
        SYS_InitGame();
        plat::SimulateFocus(MainWnd, true);
    }
    void TearDown() override {
        if (!released_) {
            plat::SimulateClose(MainWnd);
            EXPECT_TRUE(RunOut());
            SYS_ReleaseGame();
        }
        plat::ReleaseDestroyedWindows();
        plat::SetSettingsFile("");
    }
    // Turns until the loop ends; false when it did not.
    bool RunOut() {
        int code = 0, turns = 0;
        while (SYS_MessageTurn(&code))
            if (++turns > 1000) return false;
        return true;
    }
    // One turn with its messages taken first: one update.
    void Turn() {
        clock_.Advance(34);
        int code = 0;
        for (;;) {
            plat::MSG m;
            const bool queued = plat::PeekMessage(&m);
            SYS_MessageTurn(&code);
            if (!queued) break;
        }
    }
    void TapTurn() {
        Tap(SDL_SCANCODE_Z);
        Turn();
    }
    bool TurnUntil(bool (*done)(), int turns = 600) {
        for (int i = 0; i < turns && !done(); ++i) Turn();
        return done();
    }
    // A tap a turn into a step that reads no keys must leave it as it was; then on to the next step.
    void TapWhileDeafThenUntil(bool (*deaf)(), bool (*next)()) {
        ASSERT_TRUE(TurnUntil(deaf));
        Turn();
        TapTurn();
        ASSERT_TRUE(deaf());
        ASSERT_TRUE(TurnUntil(next));
    }
    // Enters the window scene and reads it until `done`, at most 1000 updates.
    void ReadWindowScene(WindowSceneReader& reader, bool (*done)()) {
        BTL_SetState(0);
        ADV_SetScriptNo(4);
        mBSC_Init();
        SYS_SetSeq(5);
        for (int u = 0; u < 1000 && !done(); ++u) {
            reader.Answer(u);
            Turn();
        }
    }

    bool released_ = false;
    test::TempDir config_;
    test::ScopedCwd cwd_{KORVANE_SAMPLE_DATA_DIR};
    test::FakeClock clock_;
    test::DebugCapture debug_;
    test::MessageBoxCapture boxes_;
};

// Only the movie step reads input: a decide during the logo is gone by then.
TEST_F(QuickTap, ADecideDuringTheLogoLeavesTheMovieToPlay) {
    ASSERT_NO_FATAL_FAILURE(TapWhileDeafThenUntil([] { return SYS_GetSeq(0) == 1 && OpStep == 1; },
                                                  [] { return OpStep == 2; }));
    for (int i = 0; i < 5; ++i) Turn();
    EXPECT_EQ(OpStep, 2);
    // A tap during the movie skips it.
    TapTurn();
    EXPECT_EQ(OpStep, 3);
}

// The wave banner reads no keys: a tap there is no trigger of the fight's first update.
TEST_F(QuickTap, ATapDuringTheWaveBannerIsNoTriggerOfTheFight) {
    BTL_SetState(0);
    SYS_SetSeq(4);
    ASSERT_NO_FATAL_FAILURE(TapWhileDeafThenUntil([] { return BTL_GetState(0) == 16; },
                                                  [] { return BTL_GetState(0) == 5; }));
    Turn();
    EXPECT_EQ(SysKey.trigger, 0);
    // A tap during the fight is one.
    TapTurn();
    EXPECT_NE(SysKey.trigger, 0);
}

// The window scene's second choice, its window still opening when a tap takes the choice, then asks to
// close the window: the scene must still end, wherever in the choice's opening the tap falls.
TEST_F(QuickTap, TheWindowSceneEndsWhateverMomentOfItsChoiceOpeningIsTapped) {
    for (int at = 0; at <= 10; ++at) {
        SCOPED_TRACE(at);
        WindowSceneReader reader{at};
        ReadWindowScene(reader, [] { return SYS_GetSeq(0) == 2; });
        EXPECT_GE(reader.choices, 2);
        ASSERT_EQ(SYS_GetSeq(0), 2u);
    }
}

// The system's request to end (SIGTERM) ends the game in the middle of a scene with a movie open.
TEST_F(QuickTap, SigtermEndsTheGameWithAScriptMovieOpen) {
    WindowSceneReader reader;
    ReadWindowScene(reader, [] { return plat::MovieLiveStreams() > 0; });
    ASSERT_GT(plat::MovieLiveStreams(), 0u);
    std::raise(SIGTERM);
    EXPECT_TRUE(RunOut());
    SYS_ReleaseGame();
    released_ = true;
    EXPECT_EQ(plat::MovieLiveStreams(), 0u);
}

}  // namespace
