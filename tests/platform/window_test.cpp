#include "platform/window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/dialog.h"

namespace {

struct Seen {
    u32 message;
    WPARAM wParam;
};
std::vector<Seen> g_seen;
std::vector<std::string> g_names;
RECT g_rectAtDestroy;
bool g_rectReadable;

LRESULT Recorder(HWND window, u32 message, WPARAM wParam, LPARAM lParam) {
    g_seen.push_back(Seen{message, wParam});
    switch (message) {
    case WM_DESTROY: g_rectReadable = plat::GetWindowRect(window, &g_rectAtDestroy); return 0;
    case WM_DROPFILES: {
        auto drop = reinterpret_cast<HDROP>(wParam);
        const u32 n = plat::DragQueryFile(drop, 0xFFFFFFFFu, nullptr, 0);
        for (u32 i = 0; i < n; ++i) {
            char name[8];
            const u32 full = plat::DragQueryFile(drop, i, nullptr, 0);
            plat::DragQueryFile(drop, i, name, sizeof(name));
            g_names.push_back(std::string(name) + "/" + std::to_string(full));
        }
        char past[4];
        EXPECT_EQ(plat::DragQueryFile(drop, n, past, sizeof(past)), 0u);
        plat::DragFinish(drop);
        return 0;
    }
    case WM_KEYDOWN: return 0;
    default: return plat::DefWindowProc(window, message, wParam, lParam);
    }
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::DiscardMessages();
        g_seen.clear();
        g_names.clear();
        window = plat::CreateAppWindow("Korvane～求生模式體驗版～", 640, 480, Recorder);
        ASSERT_NE(window, nullptr);
        plat::ShowAppWindow(window);
        Drain();
        g_seen.clear();
    }
    void TearDown() override {
        plat::DestroyWindow(window);
        plat::ReleaseDestroyedWindows();
        plat::DiscardMessages();
    }
    // Dispatches what is queued; true when the quit message came.
    bool Drain() {
        plat::MSG m;
        while (plat::PeekMessage(&m)) {
            if (!plat::GetMessage(&m)) return true;
            plat::DispatchMessage(&m);
        }
        return false;
    }
    std::vector<u32> Messages() const {
        std::vector<u32> out;
        for (const Seen& s : g_seen) out.push_back(s.message);
        return out;
    }

    HWND window = nullptr;
};

TEST_F(WindowTest, CreationSendsCreateAtOnce) {
    g_seen.clear();
    HWND other = plat::CreateAppWindow("x", 320, 200, Recorder);
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0].message, WM_CREATE);
    plat::DestroyAppWindow(other);
}

TEST_F(WindowTest, ActivationComesInThePlatformOrderOncePerChange) {
    plat::SimulateFocus(window, false);  // not active yet: nothing to lose
    plat::SimulateFocus(window, true);
    plat::SimulateFocus(window, true);
    EXPECT_TRUE(g_seen.empty());  // nothing is delivered outside the loop
    Drain();
    EXPECT_EQ(Messages(), (std::vector<u32>{WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE}));
    for (const Seen& s : g_seen) EXPECT_EQ(s.wParam & 0xFFFF, 1u);
    g_seen.clear();
    plat::SimulateFocus(window, false);
    Drain();
    EXPECT_EQ(Messages(), (std::vector<u32>{WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP}));
    for (const Seen& s : g_seen) EXPECT_EQ(s.wParam & 0xFFFF, 0u);
}

TEST_F(WindowTest, CloseAndQuitEventsBecomeCloseAndDestroyIsImmediate) {
    plat::SimulateExpose(window);
    plat::SimulateClose(window);
    EXPECT_FALSE(Drain());
    // The default procedure destroys on close; the destruction message arrives at once, while the
    // window can still be measured.
    EXPECT_EQ(Messages(), (std::vector<u32>{WM_PAINT, WM_CLOSE, WM_DESTROY}));
    EXPECT_TRUE(g_rectReadable);
    EXPECT_FALSE(plat::IsWindowAlive(window));
    EXPECT_FALSE(plat::IsIconic(window));
    RECT r;
    EXPECT_FALSE(plat::GetWindowRect(window, &r));

    // Later messages for the destroyed window are dropped.
    g_seen.clear();
    plat::PostMessage(window, WM_PAINT, 0, 0);
    plat::PostQuitMessage(3);
    plat::MSG m;
    ASSERT_TRUE(plat::GetMessage(&m));
    EXPECT_EQ(plat::DispatchMessage(&m), 0);
    EXPECT_FALSE(plat::GetMessage(&m));
    EXPECT_EQ(m.wParam, 3u);
    EXPECT_TRUE(g_seen.empty());
}

TEST_F(WindowTest, QuitRequestClosesTheWindow) {
    plat::SimulateQuit();
    Drain();
    EXPECT_EQ(Messages(), (std::vector<u32>{WM_CLOSE, WM_DESTROY}));
}

TEST_F(WindowTest, KeysArriveAsKeyDownAndAltF4ClosesThroughTheDefaultProcedure) {
    plat::SimulateKey(window, false, true);
    Drain();
    EXPECT_EQ(Messages(), (std::vector<u32>{WM_KEYDOWN}));
    EXPECT_EQ(g_seen[0].wParam, VK_F4);
    g_seen.clear();
    plat::SimulateKey(window, true, false);
    Drain();
    EXPECT_EQ(Messages(), (std::vector<u32>{WM_SYSKEYDOWN}));
    EXPECT_TRUE(plat::IsWindowAlive(window));
    g_seen.clear();
    plat::SimulateKey(window, true, true);
    Drain();
    EXPECT_EQ(Messages(), (std::vector<u32>{WM_SYSKEYDOWN, WM_CLOSE, WM_DESTROY}));
}

TEST_F(WindowTest, DropsReachOnlyAWindowThatAcceptsThem) {
    plat::SimulateDrop(window, {"ignored"});
    Drain();
    EXPECT_TRUE(g_seen.empty());
    plat::DragAcceptFiles(window, true);
    plat::SimulateDrop(window, {"a.scr", "a-long-name.scr"});
    plat::SimulateDrop(window, {});
    Drain();
    EXPECT_EQ(Messages(), (std::vector<u32>{WM_DROPFILES}));
    // Names are cut to the buffer and terminated; the full length is reported without a buffer.
    EXPECT_EQ(g_names, (std::vector<std::string>{"a.scr/5", "a-long-/15"}));
}

TEST_F(WindowTest, PlacementRoundTripsAndMinimiseIsReported) {
    const plat::ScreenMetrics m = plat::GetScreenMetrics(window);
    EXPECT_GT(m.cxScreen, 0);
    EXPECT_GT(m.cyScreen, 0);
    const RECT want{30, 40, 30 + 640 + 2 * m.cxFrame, 40 + 480 + 2 * m.cyFrame + m.cyCaption};
    ASSERT_TRUE(plat::SetWindowRect(window, want));
    RECT got;
    ASSERT_TRUE(plat::GetWindowRect(window, &got));
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right, want.right);
    EXPECT_EQ(got.bottom, want.bottom);
    EXPECT_FALSE(plat::IsIconic(window));
    plat::MinimizeWindow(window);
    EXPECT_TRUE(plat::IsIconic(window));
    // Coming back to the front ends the minimised state.
    plat::SimulateFocus(window, true);
    Drain();
    EXPECT_FALSE(plat::IsIconic(window));
}

// The wait itself, on the real clock: it never ends before its time, a queued message ends it at once
// and an open dialog within 10 ms. The upper bounds are loose: they tell a wait that ran its whole
// five seconds from one that did not, whatever the machine's load.
TEST_F(WindowTest, WaitEndsOnTimeOrAtOnceForAMessageOrSoonWithADialog) {
    const struct {
        const char* what;
        bool message, dialog;
        u32 timeoutMs, atLeastMs;
    } rows[] = {
        {"nothing comes", false, false, 30, 30},
        {"a message waits", true, false, 5000, 0},
        {"a dialog is open", false, true, 5000, 10},
    };
    static const plat::DlgTemplate kDialog = {900, "wait", nullptr, 0, 10, true};
    plat::UseFakeDialogs(true);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        plat::DiscardMessages();
        if (r.message) plat::PostMessage(window, WM_COMMAND, 0, 0);
        if (r.dialog) {
            ASSERT_NE(plat::CreateDialog(kDialog, [](plat::Dialog*, plat::DlgMsg, int, plat::DlgCode) {}, nullptr),
                      nullptr);
        }
        const u32 start = plat::GetTimeMs();
        plat::WaitMessage(r.timeoutMs);
        const u32 took = plat::GetTimeMs() - start;
        EXPECT_GE(took, r.atLeastMs);
        EXPECT_LT(took, 2000u);
        plat::DestroyAllDialogs();
    }
    plat::UseFakeDialogs(false);
}

}  // namespace
