#include "shell/sys.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "battle/map/cam.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "graphics/display/disp.h"
#include "platform/clock.h"
#include "platform/dialog.h"
#include "platform/display.h"
#include "platform/settings.h"
#include "platform/timer.h"
#include "screens/op.h"
#include "screens/title/title.h"
#include "display_support.h"
#include "test_support.h"

namespace {

constexpr const char* kKey = "Software\\QUOLIA\\KV_SC\\Main";
using Log = std::vector<std::string>;

const Log kFullInitOrder = {
    "InitCommon",     "CheckProcessor", "SRand",           "SYS_InitSound",  "INP_Init",       "SPR_Init",
    "MATH_SetShift",  "CUR_Init",       "CUR_SetType",     "KEY_Init",       "FONT_Init",      "FONT_LoadFont 0",
    "FONT_LoadFont 1", "DBG_InitText",  "SAVE_ScanSlots",  "TAMA_LoadData",  "SVV_LoadHistory", "SPR_CreateSurf",
    "SPR_GetFreeSpr", "SPR_CreateTSpr", "SPR_Hide"};
const Log kFullReleaseOrder = {"TAMA_ClearData", "DBG_TermText",     "SPR_Release", "FONT_Release",
                               "SYS_ReleaseSurf", "SYS_ReleaseSound", "INP_Term",    "DISP_Release"};

std::vector<std::string> g_dropped;
void RecordDrop(HDROP drop) {
    const u32 n = plat::DragQueryFile(drop, 0xFFFFFFFFu, nullptr, 0);
    for (u32 i = 0; i < n; ++i) {
        char name[260];
        plat::DragQueryFile(drop, i, name, sizeof(name));
        g_dropped.push_back(name);
    }
    plat::DragFinish(drop);
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::SetSettingsFile(dir.File("settings/korvane.ini").c_str());
        plat::DiscardMessages();
        SYS_ResetState();
        DISP_Release();
        DispFullScreen = 0;
        g_dropped.clear();
        SYS_SetTrace([this](const char* e) { log.push_back(e); });
    }
    void TearDown() override {
        SYS_SetTrace({});
        plat::KillAllTimers();
        if (plat::IsWindowAlive(MainWnd)) plat::DestroyWindow(MainWnd);
        DISP_Release();
        DispSurfCount = 0;
        plat::ReleaseDestroyedWindows();
        plat::DiscardMessages();
        plat::SetSettingsFile("");
    }

    // Dispatches what is queued, as the loop does between idle turns; true when the quit came.
    bool Drain() {
        plat::MSG m;
        while (plat::PeekMessage(&m)) {
            if (!plat::GetMessage(&m)) return true;
            plat::DispatchMessage(&m);
        }
        return false;
    }
    // The window as the entry makes it (full screen), with the start-up events handled.
    void OpenWindow() {
        ASSERT_EQ(SYS_InitWindow(), 1);
        Drain();
        log.clear();
    }
    void OpenWindowed() {
        OpenWindow();
        ASSERT_EQ(ChangeDisplayMode(MainWnd, 640, 480, 16, 0), 1);
        Drain();
        log.clear();
    }
    bool Stored(const char* name, std::vector<u8>* bytes = nullptr) {
        u32 size = 0;
        if (!plat::SettingsRead(kKey, name, nullptr, nullptr, &size)) return false;
        std::vector<u8> b(size);
        if (!plat::SettingsRead(kKey, name, nullptr, b.data(), &size)) return false;
        if (bytes) *bytes = b;
        return true;
    }
    static std::vector<u8> RectBytes(const RECT& r) {
        std::vector<u8> b;
        for (i32 v : {r.left, r.top, r.right, r.bottom})
            for (int i = 0; i < 4; ++i) b.push_back(u8(u32(v) >> (8 * i)));
        return b;
    }
    // One idle turn of the paced step at the given time.
    void TurnAt(u32 now) {
        clock.Set(now);
        SYS_Loop_Main();
    }

    test::TempDir dir;
    test::ScopedCwd cwd{dir.path()};
    test::FakeClock clock{0x10000000};
    test::DebugCapture debug;
    Log log;
};

// ---- sequence switching and the paced step ----

TEST_F(ShellTest, SetSeqKeepsThePreviousSceneAndReturnsTheOneBeforeIt) {
    SYS_SetSeq(1);
    SYS_SetSeq(2);
    EXPECT_EQ(SYS_SetSeq(4), 1u);
    EXPECT_EQ(SysSeq, 4u);
    EXPECT_EQ(SysSeqPrev, 2u);
    EXPECT_EQ(SYS_GetSeq(0), 4u);
    EXPECT_EQ(SYS_GetSeq(1), 2u);
    EXPECT_EQ(SYS_GetSeq(-7), 2u);
}

// A game started again in the same process finds what a fresh process has: the camera's objects are
// pool indices, so none is -1, never a valid 0.
TEST_F(ShellTest, ResetGivesTheValuesOfAFreshProcess) {
    CamData.obj = CamData.obj2 = CamData.nextObj = 5;
    SYS_ResetState();
    EXPECT_EQ((std::array<i32, 3>{CamData.obj, CamData.obj2, CamData.nextObj}), (std::array<i32, 3>{-1, -1, -1}));
}

TEST_F(ShellTest, GatesOpenAfterMoreThan33MsAndNeverCatchUp) {
    SYS_SetSeq(3);  // no update, default draw: only the gates show
    // Both stamps start at 0: the first turn runs both steps.
    TurnAt(0x10000000);
    EXPECT_EQ(log, (Log{"update 3", "cursor", "draw 3", "SYS_DrawDefault"}));
    EXPECT_EQ(SYS_IdleWaitMs(), 34u);  // the loop sleeps until the next gate
    log.clear();
    TurnAt(0x10000000 + 33);
    EXPECT_EQ(log, (Log{"cursor"}));
    EXPECT_EQ(SYS_IdleWaitMs(), 1u);
    log.clear();
    TurnAt(0x10000000 + 34);
    EXPECT_EQ(log, (Log{"update 3", "cursor", "draw 3", "SYS_DrawDefault"}));
    EXPECT_EQ(SysRenewTime, 0x10000000u + 34);
    EXPECT_EQ(SysDrawTime, 0x10000000u + 34);

    // A 200 ms stall: one update and one draw, stamped with the current time.
    log.clear();
    TurnAt(0x10000000 + 234);
    TurnAt(0x10000000 + 234);
    EXPECT_EQ(log, (Log{"update 3", "cursor", "draw 3", "SYS_DrawDefault", "cursor"}));
    EXPECT_EQ(SysRenewTime, 0x10000000u + 234);

    // The two gates are independent.
    log.clear();
    SysDrawTime = 0x10000000 + 250;
    TurnAt(0x10000000 + 270);
    EXPECT_EQ(log, (Log{"update 3", "cursor"}));
    // The nearer gate, or a timer tick due sooner, ends the wait.
    EXPECT_EQ(SYS_IdleWaitMs(), 14u);
    plat::SetTimer(1, 10, [](u32) {});
    EXPECT_EQ(SYS_IdleWaitMs(), 10u);
    clock.Set(0x10000000 + 290);
    EXPECT_EQ(SYS_IdleWaitMs(), 0u);
}

TEST_F(ShellTest, GateDifferenceSurvivesTheClockWrap) {
    SYS_SetSeq(3);
    SysRenewTime = SysDrawTime = 0xFFFFFFF0u;
    TurnAt(0x00000011);  // 33 ms later
    EXPECT_EQ(log, (Log{"cursor"}));
    EXPECT_EQ(SYS_IdleWaitMs(), 1u);
    TurnAt(0x00000012);  // 34 ms later
    EXPECT_EQ(SysRenewTime, 0x12u);
    EXPECT_EQ(SysDrawTime, 0x12u);
}

// A turn with nothing queued sleeps until the next gate or timer tick, counted from when its work is
// done; a message queued meanwhile ends it at once; an open dialog or a pause wakes it after 10 ms.
TEST_F(ShellTest, IdleTurnSleepsUntilTheNextGateOrTick) {
    // The one thing beside the turn: a 10 ms timer started 4 ms before it, an editor dialog open, a
    // message the update queues, or a pause.
    enum Beside { kNothing, kTimer, kDialog, kMessage, kPaused };
    const struct {
        const char* what;
        u32 workMs;  // the update's own time
        Beside beside;
        u32 wokeAt;  // the clock after the turn, from its start
    } rows[] = {
        {"next gate", 5, kNothing, 34},
        {"timer tick before the gate", 0, kTimer, 6},
        {"dialog open", 0, kDialog, 10},
        {"message queued by the update", 5, kMessage, 5},
        {"paused", 0, kPaused, 10},
    };
    static const plat::DlgTemplate kWait = {900, "wait", nullptr, 0, 10, true};
    plat::UseFakeDialogs(true);
    clock.FollowSleeps();
    const u32 start = 0x20000000;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        SYS_SetSeq(3);
        SysRenewTime = SysDrawTime = 0;  // both gates open in the turn
        PauseFlag = r.beside == kPaused;
        if (r.beside == kTimer) {
            clock.Set(start - 4);
            plat::SetTimer(1, 10, [](u32) {});
        }
        if (r.beside == kDialog) {
            ASSERT_TRUE(plat::CreateDialog(kWait, [](plat::Dialog*, plat::DlgMsg, int, plat::DlgCode) {}, nullptr));
        }
        SYS_SetTrace([&](const char* e) {
            if (std::strcmp(e, "update 3") != 0) return;
            clock.Advance(r.workMs);
            if (r.beside == kMessage) plat::PostMessage(nullptr, WM_COMMAND, 0, 0);
        });
        clock.Set(start);
        int code = 0;
        ASSERT_TRUE(SYS_MessageTurn(&code));
        EXPECT_EQ(clock.now() - start, r.wokeAt);
        plat::KillAllTimers();
        plat::DestroyAllDialogs();
        plat::DiscardMessages();
    }
    plat::UseFakeDialogs(false);
    PauseFlag = 0;
}

TEST_F(ShellTest, SceneSwitchedInAnUpdateIsDrawnInTheSameTurn) {
    test::HeadlessDisplay display;
    ASSERT_TRUE(display.ok());
    const u64 presents = plat::GetPresentCount();
    TurnAt(0x10000000);  // boot goes to the opening, whose draw runs at once (nothing to show yet)
    EXPECT_EQ(SysSeq, 1u);
    EXPECT_EQ(log, (Log{"update 0", "cursor", "draw 1"}));
    EXPECT_EQ(plat::GetPresentCount(), presents);
    // Without a movie file the opening runs its logo and a second's fade, then switches to the title,
    // which is drawn in that same turn.
    u32 now = 0x10000000;
    while (SysSeq == 1 && now < 0x10000000 + 10000) {
        log.clear();
        TurnAt(now += 40);
    }
    EXPECT_EQ(SysSeq, 2u);
    EXPECT_EQ(SysSeqPrev, 1u);
    EXPECT_EQ(log, (Log{"update 1", "cursor", "draw 2"}));
    EXPECT_GT(plat::GetPresentCount(), presents);
    log.clear();
    TurnAt(now += 40);  // the title stays
    EXPECT_EQ(SysSeq, 2u);
    EXPECT_EQ(log, (Log{"update 2", "cursor", "draw 2"}));
    // The battle mode keeps its scene while it runs.
    SYS_SetSeq(4);
    clock.Advance(40);
    SYS_Loop_Main();
    EXPECT_EQ(SysSeq, 4u);
    // A tutorial whose script is missing returns to the title (the ranking's view has its own tests).
    for (u32 seq : {5u}) {
        SYS_SetSeq(seq);
        log.clear();
        for (int turn = 0; turn < (seq == 5 ? 2 : 1); turn++) {
            clock.Advance(40);
            SYS_Loop_Main();
        }
        EXPECT_EQ(SysSeq, 2u) << seq;
        EXPECT_EQ(SysSeqPrev, seq);
        EXPECT_EQ(log.back(), "draw 2") << seq;
    }
    EXPECT_NE(DropOpenFunc, nullptr);  // the script scene installed its hook
    TITLE_Term();
}

TEST_F(ShellTest, ScenesWithoutAnUpdateKeepTheirNumber) {
    struct Case {
        u32 seq;
        bool drawsDefault;
    };
    u32 now = 0x10000000;
    for (Case c : {Case{3, true}, Case{7, false}, Case{8, false}, Case{9, true}, Case{11, true}, Case{250, true}}) {
        SYS_SetSeq(c.seq);
        log.clear();
        now += 40;
        TurnAt(now);
        EXPECT_EQ(SysSeq, c.seq);
        Log expected{"update " + std::to_string(c.seq), "cursor", "draw " + std::to_string(c.seq)};
        if (c.drawsDefault) expected.push_back("SYS_DrawDefault");
        EXPECT_EQ(log, expected) << c.seq;
    }
}

TEST_F(ShellTest, QuitTurnDestroysTheWindowAndTheLoopEndsAtTheNextGet) {
    OpenWindow();
    HWND window = MainWnd;
    SYS_SetSeq(10);
    TurnAt(0x10000000);
    EXPECT_EQ(log, (Log{"update 10"}));  // no cursor follow, no draw
    EXPECT_TRUE(debug.Contains(" ( 終了 ) "));
    EXPECT_EQ(SysSeq, 0u);
    EXPECT_FALSE(plat::IsWindowAlive(window));
    std::vector<u8> mode;
    ASSERT_TRUE(Stored("WndMode", &mode));
    EXPECT_EQ(mode, (std::vector<u8>{0, 0, 0, 0}));
    EXPECT_FALSE(Stored("WndRect"));  // the run ended in full screen
    // No idle turn may run before the quit is seen.
    log.clear();
    int code = -1;
    while (SYS_MessageTurn(&code)) {
    }
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(log.empty());
}

// ---- start-up and shut-down ----

TEST_F(ShellTest, StartUpAndShutDownRunInTheirFixedOrders) {
    SYS_InitGame();
    EXPECT_EQ(log, kFullInitOrder);
    log.clear();
    SYS_ReleaseGame();
    EXPECT_EQ(log, kFullReleaseOrder);
}

TEST_F(ShellTest, WholeRunStartsScenesAndQuitsOnWindowCloseWritingTheSettings) {
    u32 t = 0x20000000;
    plat::SetTimeSource([&t] { return t += 3; });
    plat::SetTimer(7, 600, [](u32) { plat::SimulateClose(MainWnd); });
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 1), 0);

    const Log& init = kFullInitOrder;
    const Log& release = kFullReleaseOrder;
    ASSERT_GT(log.size(), 1 + init.size() + release.size());
    EXPECT_EQ(log[0], "DISP_Init");
    EXPECT_EQ(Log(log.begin() + 1, log.begin() + 1 + long(init.size())), init);
    EXPECT_EQ(Log(log.end() - long(release.size()), log.end()), release);
    EXPECT_EQ(log[1 + init.size()], "update 0");
    EXPECT_NE(std::find(log.begin(), log.end(), "update 1"), log.end());
    EXPECT_EQ(SysSeq, 1u);        // closed during the opening's logo
    EXPECT_EQ(OpMovie, nullptr);  // whose movie record the sound release closed
    EXPECT_FALSE(DISP_DeviceExists());
    std::vector<u8> mode;
    ASSERT_TRUE(Stored("WndMode", &mode));
    EXPECT_EQ(mode, (std::vector<u8>{0, 0, 0, 0}));
    EXPECT_FALSE(Stored("WndRect"));
    MainWnd = nullptr;  // released with the run
}

TEST_F(ShellTest, WindowedRunStoresItsRectangleAndMode) {
    u32 t = 0x20000000;
    plat::SetTimeSource([&t] { return t += 3; });
    plat::SetTimer(7, 300, [](u32) {
        plat::KillTimer(7);
        ChangeDisplayMode(MainWnd, 640, 480, 16, 0);
        plat::SetTimer(8, 300, [](u32) { plat::SimulateQuit(); });
    });
    RECT last{};
    plat::SetTimer(9, 10, [&last](u32) { plat::GetWindowRect(MainWnd, &last); });
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 1), 0);
    std::vector<u8> mode, rect;
    ASSERT_TRUE(Stored("WndMode", &mode));
    EXPECT_EQ(mode, (std::vector<u8>{1, 0, 0, 0}));
    ASSERT_TRUE(Stored("WndRect", &rect));
    EXPECT_EQ(rect, RectBytes(last));
    MainWnd = nullptr;
}

// ---- activation ----

TEST_F(ShellTest, FullScreenPausesOnFocusLossAndRecreatesTheDisplayOnEachActivation) {
    OpenWindow();
    plat::SimulateFocus(MainWnd, true);
    Drain();
    ASSERT_EQ(PauseFlag, 0u);
    log.clear();
    plat::ClearMenuCalls(MainWnd);

    plat::SimulateFocus(MainWnd, false);
    Drain();
    EXPECT_EQ(log, (Log{"PushSurf", "DISP_ReInit", "PopSurf", "PushSurf"}));
    EXPECT_EQ(ActivateFlag, 0u);
    EXPECT_EQ(PauseFlag, 1u);
    EXPECT_TRUE(DISP_DeviceExists());
    // The non-client change is refused without a menu update; the activation refreshes the menu as
    // active, the loss of the application then greys it as inactive.
    const auto& menu = plat::MenuCalls(MainWnd);
    ASSERT_EQ(menu.size(), 12u);
    EXPECT_EQ(menu[4].flags, MF_BYPOSITION | MF_GRAYED | MF_DISABLED);  // restore, while "active"
    EXPECT_EQ(menu[10].flags, MF_BYPOSITION);                           // restore, inactive
    EXPECT_EQ(WndProc(MainWnd, WM_NCACTIVATE, 1, 0), 0);
    EXPECT_EQ(menu.size(), 12u);

    // Paused: idle turns run no step, but the timers still tick.
    int ticks = 0;
    plat::SetTimer(3, 0, [&ticks](u32) { ++ticks; });
    log.clear();
    clock.Advance(100);
    SYS_MessageTurn(nullptr);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(ticks, 1);

    plat::SimulateFocus(MainWnd, true);
    Drain();
    EXPECT_EQ(log, (Log{"PushSurf", "DISP_ReInit", "PopSurf"}));
    EXPECT_EQ(ActivateFlag, 1u);
    EXPECT_EQ(PauseFlag, 0u);
    log.clear();
    clock.Advance(100);
    SYS_MessageTurn(nullptr);
    EXPECT_EQ(log.front(), "update 0");
}

TEST_F(ShellTest, WindowedPausesWithoutTouchingTheDisplay) {
    OpenWindowed();
    plat::SimulateFocus(MainWnd, true);
    Drain();
    log.clear();
    plat::ClearMenuCalls(MainWnd);
    plat::SimulateFocus(MainWnd, false);
    Drain();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(PauseFlag, 1u);
    EXPECT_EQ(ActivateFlag, 0u);
    // NCACTIVATE and ACTIVATE each refresh the menu; ACTIVATEAPP leaves windowed mode alone.
    EXPECT_EQ(plat::MenuCalls(MainWnd).size(), 12u);
    plat::SimulateFocus(MainWnd, true);
    Drain();
    EXPECT_EQ(PauseFlag, 0u);
    EXPECT_EQ(ActivateFlag, 1u);
    // The non-client activation alone resumes a windowed game, and is refused to the default procedure.
    EXPECT_EQ(WndProc(MainWnd, WM_NCACTIVATE, 0, 0), 0);
    EXPECT_EQ(PauseFlag, 1u);
    EXPECT_EQ(WndProc(MainWnd, WM_NCACTIVATE, 1, 0), 0);
    EXPECT_EQ(PauseFlag, 0u);
}

TEST_F(ShellTest, FailedRecreationOnActivationDestroysTheWindow) {
    OpenWindow();
    HWND window = MainWnd;
    DispBpp = 24;  // a depth the display refuses
    test::MessageBoxCapture boxes;
    plat::SimulateFocus(window, true);
    EXPECT_TRUE(Drain());
    EXPECT_FALSE(plat::IsWindowAlive(window));
    EXPECT_EQ(log, (Log{"PushSurf", "DISP_ReInit"}));
}

TEST_F(ShellTest, MinimiseRequestSavesReleasesAndResumesOnActivation) {
    OpenWindow();
    plat::SimulateFocus(MainWnd, true);
    Drain();
    plat::ClearMenuCalls(MainWnd);
    log.clear();
    // A surface slot whose picture must survive the whole round.
    const int slot = SPR_CreateSurf(8, 8, 0);
    ASSERT_GE(slot, 0);
    const RECT dot{3, 3, 4, 4};
    SURF_Fill(SurfTbl[slot].surface, &dot, 0x1234);

    SetCloseFlag();
    SYS_MessageTurn(nullptr);
    EXPECT_EQ(SurfTbl[slot].surface, nullptr);
    EXPECT_NE(SurfTbl[slot].saved, nullptr);
    EXPECT_EQ(CloseFlag, 0u);
    EXPECT_EQ(log, (Log{"PushSurf", "DISP_Release"}));
    EXPECT_FALSE(DISP_DeviceExists());
    EXPECT_TRUE(plat::IsIconic(MainWnd));
    EXPECT_EQ(PauseFlag, 1u);
    EXPECT_EQ(ActivateFlag, 0u);
    EXPECT_TRUE(debug.Contains("_CLOSE !"));
    const auto& menu = plat::MenuCalls(MainWnd);
    ASSERT_EQ(menu.size(), 6u);
    EXPECT_EQ(menu[4].position, 0u);
    EXPECT_EQ(menu[4].flags, MF_BYPOSITION);
    EXPECT_EQ(menu[5].position, 3u);
    EXPECT_EQ(menu[5].flags, MF_BYPOSITION | MF_GRAYED | MF_DISABLED);

    // The window system then takes the activation away: every save after the first finds the
    // surfaces saved already.
    log.clear();
    plat::SimulateFocus(MainWnd, false);
    Drain();
    EXPECT_EQ(log, (Log{"PushSurf", "DISP_ReInit", "PopSurf", "PushSurf"}));
    EXPECT_EQ(PauseFlag, 1u);

    log.clear();
    plat::SimulateFocus(MainWnd, true);
    Drain();
    EXPECT_EQ(log, (Log{"PushSurf", "DISP_ReInit", "PopSurf"}));
    EXPECT_TRUE(DISP_DeviceExists());
    EXPECT_EQ(PauseFlag, 0u);
    ASSERT_NE(SurfTbl[slot].surface, nullptr);
    EXPECT_EQ(SurfTbl[slot].saved, nullptr);
    plat::SurfaceDesc desc{};
    ASSERT_EQ(SURF_Lock(SurfTbl[slot].surface, &desc), 0);
    u16 px = 0;
    std::memcpy(&px, static_cast<u8*>(desc.pixels) + 3 * desc.pitch + 3 * 2, 2);
    SURF_Unlock(SurfTbl[slot].surface);
    EXPECT_EQ(px, 0x1234);
    SPR_DelSurfDat(slot);
}

// ---- the window procedure's other messages ----

TEST_F(ShellTest, DropsReachTheHookOnlyOnceItIsInstalled) {
    OpenWindow();
    plat::SimulateDrop(MainWnd, {"early.scr"});
    Drain();
    EXPECT_TRUE(g_dropped.empty());

    SYS_SetDropOpenFile(RecordDrop);
    EXPECT_EQ(DropOpenFunc, &RecordDrop);
    plat::SimulateDrop(MainWnd, {"a.scr", "b.scr"});
    Drain();
    EXPECT_EQ(g_dropped, (std::vector<std::string>{"a.scr", "b.scr"}));
    // Files are still accepted after a drop.
    plat::SimulateDrop(MainWnd, {"c.scr"});
    Drain();
    EXPECT_EQ(g_dropped.back(), "c.scr");
}

TEST_F(ShellTest, KeysAreSwallowedButTheSystemCloseKeyCloses) {
    OpenWindow();
    plat::SimulateKey(MainWnd, false, true);
    EXPECT_FALSE(Drain());
    EXPECT_TRUE(plat::IsWindowAlive(MainWnd));
    EXPECT_EQ(WndProc(MainWnd, WM_COMMAND, 1, 0), 0);
    plat::SimulateKey(MainWnd, true, true);
    EXPECT_TRUE(Drain());
    EXPECT_FALSE(plat::IsWindowAlive(MainWnd));
}

TEST_F(ShellTest, PaintPresentsOnlyWithADisplay) {
    OpenWindow();
    u64 before = plat::GetPresentCount();
    plat::SimulateExpose(MainWnd);
    Drain();
    EXPECT_EQ(plat::GetPresentCount(), before + 1);
    DISP_Release();
    before = plat::GetPresentCount();
    EXPECT_EQ(WndProc(MainWnd, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(plat::GetPresentCount(), before);
}

// ---- display-mode changes and placement ----

TEST_F(ShellTest, FailedFirstDisplayCreationDestroysTheWindow) {
    test::MessageBoxCapture boxes;
    MainWnd = plat::CreateAppWindow("t", 640, 480, WndProc);
    HWND window = MainWnd;
    EXPECT_EQ(ChangeDisplayMode(window, 640, 480, 24, 1), 0);
    EXPECT_FALSE(plat::IsWindowAlive(window));
    EXPECT_TRUE(Stored("WndMode"));
    EXPECT_TRUE(Drain());  // the quit is queued
}

TEST_F(ShellTest, FailedLaterChangeShowsTheCheckMessageAndEndsAtOnce) {
    OpenWindow();
    HWND window = MainWnd;
    test::MessageBoxCapture boxes;
    // Windowed mode is refused for a depth other than the desktop's.
    EXPECT_EQ(ChangeDisplayMode(window, 640, 480, 8, 0), 0);
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, "無法完成DirectDraw的檢查");
    EXPECT_EQ(boxes.calls()[0].caption, "");
    EXPECT_EQ(boxes.calls()[0].flags, plat::MB_TASKMODAL | plat::MB_OK);
    EXPECT_FALSE(plat::IsWindowAlive(window));
    EXPECT_EQ(log, (Log{"PushSurf", "DISP_ReInit"}));  // nothing restored or placed
}

TEST_F(ShellTest, WindowRectangleIsStoredWhenWindowedAndNotMinimised) {
    OpenWindowed();
    ASSERT_EQ(DispFullScreen, 0);
    const RECT where{100, 50, 740, 530};
    ASSERT_TRUE(plat::SetWindowRect(MainWnd, where));
    // Before a later change of the display mode...
    ASSERT_EQ(ChangeDisplayMode(MainWnd, 640, 480, 16, 1), 1);
    std::vector<u8> rect;
    ASSERT_TRUE(Stored("WndRect", &rect));
    EXPECT_EQ(rect, RectBytes(where));
    EXPECT_EQ(log, (Log{"PushSurf", "DISP_ReInit", "PopSurf"}));

    // ...and on destruction, but not while minimised.
    ASSERT_EQ(ChangeDisplayMode(MainWnd, 640, 480, 16, 0), 1);
    ASSERT_TRUE(plat::SetWindowRect(MainWnd, RECT{7, 8, 647, 488}));
    plat::MinimizeWindow(MainWnd);
    plat::DestroyWindow(MainWnd);
    ASSERT_TRUE(Stored("WndRect", &rect));
    EXPECT_EQ(rect, RectBytes(where));
    std::vector<u8> mode;
    ASSERT_TRUE(Stored("WndMode", &mode));
    EXPECT_EQ(mode, (std::vector<u8>{1, 0, 0, 0}));
}

TEST_F(ShellTest, WindowedPlacementComesFromTheStoredRectangle) {
    OpenWindow();
    const plat::ScreenMetrics m = plat::GetScreenMetrics(MainWnd);
    SetRegistry("Main", "WndRect", REG_BINARY, RectBytes(RECT{5000, 9000, 0, 0}).data(), 16);
    ASSERT_EQ(ChangeDisplayMode(MainWnd, 640, 480, 16, 0), 1);
    RECT r;
    ASSERT_TRUE(plat::GetWindowRect(MainWnd, &r));
    EXPECT_EQ(r.left, m.cxScreen - 2 * m.cxFrame - 640);
    EXPECT_EQ(r.top, m.cyScreen - 2 * m.cyFrame - m.cyCaption - 480);

    // A value of another size is refused: the window goes to 0,0.
    const std::vector<u8> longer(20, 0x11);
    SetRegistry("Main", "WndRect", REG_BINARY, longer.data(), 20);
    ASSERT_EQ(ChangeDisplayMode(MainWnd, 640, 480, 16, 1), 1);
    SetRegistry("Main", "WndRect", REG_BINARY, longer.data(), 20);  // the change stored a fresh one
    ASSERT_EQ(ChangeDisplayMode(MainWnd, 640, 480, 16, 0), 1);
    ASSERT_TRUE(plat::GetWindowRect(MainWnd, &r));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_TRUE(debug.Contains("WndRect holds 20 bytes"));
}

TEST(ShellPlacement, WindowedPlacementClampsToTheScreen) {
    const plat::ScreenMetrics m{1024, 768, 4, 4, 19};
    const i32 w = 640 + 8, h = 480 + 8 + 19;
    // Left 2000 on a 1024-wide screen: the screen less both frames less the width.
    RECT stored{2000, 10, 2640, 500};
    RECT r = SYS_WindowedPlacement(m, 640, 480, &stored);
    EXPECT_EQ(r.left, 1024 - 8 - 640);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.right - r.left, w);
    EXPECT_EQ(r.bottom - r.top, h);
    // Bottom edge: limit is the height less both frames and the caption.
    stored = RECT{0, 700, 0, 0};
    r = SYS_WindowedPlacement(m, 640, 480, &stored);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 768 - 8 - 19 - 480);
    // Negative values keep 0, without clamping.
    stored = RECT{-300, -1, 0, 0};
    r = SYS_WindowedPlacement(m, 640, 480, &stored);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    // Exactly at the limit stays.
    stored = RECT{1024 - 8 - 640, 0, 0, 0};
    EXPECT_EQ(SYS_WindowedPlacement(m, 640, 480, &stored).left, 1024 - 8 - 640);
    // The largest coordinates a damaged file can hold clamp like any other.
    stored = RECT{0x7FFFFFFF, 0x7FFFFFF0, 0, 0};
    r = SYS_WindowedPlacement(m, 640, 480, &stored);
    EXPECT_EQ(r.left, 1024 - 8 - 640);
    EXPECT_EQ(r.top, 768 - 8 - 19 - 480);
    // Nothing stored.
    r = SYS_WindowedPlacement(m, 640, 480, nullptr);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.bottom, h);
}

TEST(ShellPlacement, FullScreenPlacementPutsTheClientAtTheScreenOrigin) {
    const plat::ScreenMetrics m{1920, 1080, 4, 3, 19};
    const RECT r = SYS_FullScreenPlacement(m, 640, 480);
    EXPECT_EQ(r.left, -4);
    EXPECT_EQ(r.top, -(3 + 19));
    EXPECT_EQ(r.right - r.left, 640 + 2 * 4);
    EXPECT_EQ(r.bottom - r.top, 480 + 19 + 2 * 3);
}

TEST_F(ShellTest, SystemMenuGreysByActivityAndMinimise) {
    HWND w = plat::CreateAppWindow("t", 640, 480, WndProc);
    const u32 g = MF_BYPOSITION | MF_GRAYED | MF_DISABLED, e = MF_BYPOSITION;
    auto flags = [&] {
        std::vector<std::pair<u32, u32>> out;
        for (const auto& c : plat::MenuCalls(w)) out.emplace_back(c.position, c.flags);
        plat::ClearMenuCalls(w);
        return out;
    };
    using Calls = std::vector<std::pair<u32, u32>>;
    SetSystemMenu(w, 1);
    EXPECT_EQ(flags(), (Calls{{1, g}, {2, g}, {4, g}, {5, e}, {0, g}, {3, e}}));
    SetSystemMenu(w, 0);
    EXPECT_EQ(flags(), (Calls{{1, g}, {2, g}, {4, g}, {5, e}, {0, e}, {3, g}}));
    plat::MinimizeWindow(w);
    SetSystemMenu(w, 1);
    EXPECT_EQ(flags(), (Calls{{1, g}, {2, g}, {4, g}, {5, e}, {0, e}, {3, g}}));
    plat::DestroyAppWindow(w);
}

// ---- the settings store ----

TEST_F(ShellTest, RegistrySizesFollowTheType) {
    auto size = [](const char* sub, const char* name) {
        char path[128];
        std::snprintf(path, sizeof(path), "Software\\QUOLIA\\KV_SC%s%s", sub ? "\\" : "", sub ? sub : "");
        u32 s = 0xFFFF;
        return plat::SettingsRead(path, name, nullptr, nullptr, &s) ? s : 0xFFFFu;
    };
    EXPECT_EQ(SetRegistry("Main", "sz", REG_SZ, "abc", 0), 1);
    EXPECT_EQ(size("Main", "sz"), 4u);
    const u8 multi[] = {'a', 0, 'b', 'c', 0, 0, 'x', 0};
    EXPECT_EQ(SetRegistry("Main", "multi", REG_MULTI_SZ, multi, 0), 1);
    EXPECT_EQ(size("Main", "multi"), 6u);
    const u8 emptyList[] = {0, 0};
    SetRegistry("Main", "empty", REG_MULTI_SZ, emptyList, 0);
    EXPECT_EQ(size("Main", "empty"), 2u);
    const u8 bin[] = {1, 2, 3};
    SetRegistry("Main", "bin", REG_BINARY, bin, 0);
    EXPECT_EQ(size("Main", "bin"), 0u);
    SetRegistry(nullptr, "top", REG_BINARY, bin, 3);
    EXPECT_EQ(size(nullptr, "top"), 3u);
    SetRegistry("", "top2", REG_BINARY, bin, 3);
    EXPECT_EQ(size(nullptr, "top2"), 3u);

    SetRegistryValue("Main", "n", 0x12345678);
    EXPECT_EQ(size("Main", "n"), 4u);
    EXPECT_EQ(GetRegistryValue("Main", "n"), 0x12345678u);
    EXPECT_EQ(GetRegistryValue("Main", "missing"), 0u);
    EXPECT_EQ(GetRegistryValue("Other", "n"), 0u);
    // A value of another size than asked for is refused, never copied.
    u8 buf[4] = {9, 9, 9, 9};
    EXPECT_EQ(GetRegistry("Main", "bin", buf, 4), 0);
    EXPECT_EQ(GetRegistry("Main", "sz", buf, 2), 0);
    EXPECT_EQ(buf[0], 9);
    EXPECT_EQ(GetRegistry("Main", "sz", buf, 4), 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf)), "abc");
}

}  // namespace
