#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "platform/dialog.h"
#include "platform/display.h"
#include "platform/picture.h"
#include "platform/sdl_internal.h"
#include "platform/surface.h"
#include "platform/window.h"

namespace {

std::array<i32, 4> Fit(i32 ww, i32 wh) {
    RECT r = plat::FitPicture(ww, wh, 640, 480);
    return {r.left, r.top, r.right, r.bottom};
}

TEST(DisplayFit, FullScreenKeepsTheAspectBetweenBars) {
    EXPECT_EQ(Fit(1920, 1080), (std::array<i32, 4>{240, 0, 1680, 1080}));  // bars left and right
    EXPECT_EQ(Fit(1280, 1024), (std::array<i32, 4>{0, 32, 1280, 992}));    // bars above and below
    EXPECT_EQ(Fit(640, 480), (std::array<i32, 4>{0, 0, 640, 480}));
    EXPECT_EQ(Fit(1366, 768), (std::array<i32, 4>{171, 0, 1195, 768}));
    EXPECT_EQ(Fit(0, 0), (std::array<i32, 4>{0, 0, 640, 480}));  // no size yet: 1:1
}

TEST(DisplayFit, DisplayFormatsAndPalette) {
    plat::SetDisplayLayout16(plat::PixelLayout::k555);
    plat::Display* d = plat::CreateDisplay(nullptr, 64, 48, 16, true);
    ASSERT_NE(d, nullptr);
    u32 r, g, b;
    plat::GetDisplayMasks(d, &r, &g, &b);
    EXPECT_EQ((std::array<u32, 3>{r, g, b}), (std::array<u32, 3>{0x7C00, 0x03E0, 0x001F}));
    EXPECT_TRUE(plat::IsDisplayHeadless(d));
    // A headless present counts, and the first one's time is kept.
    plat::Surface* picture = plat::CreateSurface(64, 48, 16, r, g, b, 0);
    const u64 presents = plat::GetPresentCount();
    plat::PresentDisplay(d, picture);
    EXPECT_EQ(plat::GetPresentCount(), presents + 1);
    EXPECT_GT(plat::GetFirstPresentTicks(), 0);
    EXPECT_LE(plat::GetFirstPresentTicks(), i64(std::chrono::steady_clock::now().time_since_epoch().count()));
    plat::ReleaseSurface(picture);
    plat::DestroyDisplay(d);
    plat::SetDisplayLayout16(plat::PixelLayout::k565);
    d = plat::CreateDisplay(nullptr, 64, 48, 16, true);
    plat::GetDisplayMasks(d, &r, &g, &b);
    EXPECT_EQ(g, 0x07E0u);
    plat::DestroyDisplay(d);
    EXPECT_EQ(plat::CreateDisplay(nullptr, 64, 48, 24, true), nullptr);
    EXPECT_EQ(plat::CreateDisplay(nullptr, 0, 48, 16, true), nullptr);

    d = plat::CreateDisplay(nullptr, 4, 4, 8, false);
    plat::PaletteEntry in[3] = {{1, 2, 3, 0}, {4, 5, 6, 1}, {7, 8, 9, 0}};
    plat::SetDisplayPalette(d, in, 254, 3);  // the entry past 255 is dropped
    plat::PaletteEntry out[2];
    plat::GetDisplayPalette(d, out, 254, 2);
    EXPECT_EQ(out[1].green, 5);
    plat::DestroyDisplay(d);
}

// Needs an X server (scripts/test.sh runs it under Xvfb, where no window manager answers full screen):
// the window really covers the screen, and a window of another size gets the picture fitted into it.
TEST(DisplayOnX, PictureFillsTheWindowItReallyHas) {
    if (!plat::InitVideo() || std::strcmp(SDL_GetCurrentVideoDriver(), "x11") != 0) GTEST_SKIP() << "no X server";
    auto placed = [] {
        const RECT p = plat::GetPicturePlacement();
        return std::array<i32, 4>{p.left, p.top, p.right, p.bottom};
    };
    SDL_Rect screen{};
    ASSERT_EQ(SDL_GetDisplayBounds(0, &screen), 0);
    // Windows left short in one direction or both are laid over the screen.
    for (const std::array<int, 2> start : {std::array<int, 2>{640, 480}, {screen.w, 480}, {640, screen.h}}) {
        SCOPED_TRACE(testing::Message() << start[0] << "x" << start[1]);
        plat::Window* window = plat::CreateAppWindow("display", start[0], start[1]);
        ASSERT_NE(window, nullptr);
        plat::ShowAppWindow(window);
        plat::Display* d = plat::CreateDisplay(window, 640, 480, 16, true);
        ASSERT_NE(d, nullptr);
        int w = 0, h = 0;
        ASSERT_TRUE(plat::GetRealWindowSize(plat::SdlWindowOf(window), &w, &h));
        EXPECT_EQ((std::array<int, 2>{w, h}), (std::array<int, 2>{screen.w, screen.h}));
        EXPECT_EQ(placed(), Fit(screen.w, screen.h));
        plat::DestroyDisplay(d);
        plat::DestroyAppWindow(window);
    }
    plat::Window* window = plat::CreateAppWindow("display", 640, 480);
    ASSERT_NE(window, nullptr);
    plat::ShowAppWindow(window);
    plat::Display* d = plat::CreateDisplay(window, 640, 480, 16, false);
    ASSERT_NE(d, nullptr);
    SDL_SetWindowSize(plat::SdlWindowOf(window), 800, 500);
    plat::Surface* picture = plat::CreateSurface(640, 480, 16, 0xF800, 0x07E0, 0x001F, 0);
    plat::PresentDisplay(d, picture);
    EXPECT_EQ(placed(), Fit(800, 500));
    plat::ReleaseSurface(picture);
    plat::DestroyDisplay(d);
    plat::DestroyAppWindow(window);
    plat::SetPicturePlacement(RECT{0, 0, 640, 480}, 640, 480);
}

// A window made full screen shows once, already over the screen: the display keeps that X window (no
// second one for its renderer), and SDL has the pointer where the X server has it, with no move of the
// window under a still pointer to leave SDL's position behind.
TEST(DisplayOnX, FullScreenWindowShowsOnceOverTheScreen) {
    if (!plat::InitVideo() || std::strcmp(SDL_GetCurrentVideoDriver(), "x11") != 0) GTEST_SKIP() << "no X server";
    SDL_Rect screen{};
    ASSERT_EQ(SDL_GetDisplayBounds(0, &screen), 0);
    plat::Window* window = plat::CreateAppWindow("display", 640, 480, nullptr, true);
    ASSERT_NE(window, nullptr);
    SDL_Window* sdl = plat::SdlWindowOf(window);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(sdl, &info) && info.subsystem == SDL_SYSWM_X11);
    ::Display* x = info.info.x11.display;
    const ::Window shown = info.info.x11.window;
    XWarpPointer(x, None, DefaultRootWindow(x), 0, 0, 0, 0, screen.w / 3, screen.h / 3);
    XSync(x, False);
    plat::ShowAppWindow(window);
    plat::Display* d = plat::CreateDisplay(window, 640, 480, 16, true);
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(SDL_GetWindowWMInfo(sdl, &info));
    EXPECT_EQ(info.info.x11.window, shown);
    XWindowAttributes real{};
    ASSERT_TRUE(XGetWindowAttributes(x, shown, &real));
    EXPECT_EQ((std::array<int, 4>{real.x, real.y, real.width, real.height}),
              (std::array<int, 4>{screen.x, screen.y, screen.w, screen.h}));
    int sx = -1, sy = -1;
    for (int i = 0; i < 200 && SDL_GetMouseFocus() != sdl; ++i) {
        plat::DiscardMessages();
        SDL_Delay(10);
    }
    SDL_GetMouseState(&sx, &sy);
    EXPECT_EQ((std::array<int, 2>{sx, sy}), (std::array<int, 2>{screen.w / 3, screen.h / 3}));
    plat::DestroyDisplay(d);
    plat::DestroyAppWindow(window);
    plat::DiscardMessages();
    plat::SetPicturePlacement(RECT{0, 0, 640, 480}, 640, 480);
}

// Losing the X server ends the game the way a closed window does, whichever connection notices it:
// the game's (SDL's), a dialog's (FLTK's), a modal dialog's wait; inside a present it ends there, at
// once. Every row runs in a fresh process (SDL and FLTK then open the row's own server) with an Xvfb of
// its own, killed under it; a row that hangs is ended by its alarm.
enum class LostIn { Messages, Dialog, ModalDialog, Present };

bool g_destroyed = false;

// SDL takes a window for mapped when asking the server fails (it reads what the stack held): with the
// stack left as a release build often has it, a hide on a lost server waits for ever.
[[gnu::noinline]] void FillStack() {
    volatile unsigned char junk[1 << 16];
    std::memset(const_cast<unsigned char*>(junk), 0xFF, sizeof junk);
}

LRESULT CloseProc(HWND window, u32 message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE || message == WM_DESTROY) FillStack();  // before the window is hidden
    if (message == WM_DESTROY) {
        g_destroyed = true;
        plat::PostQuitMessage(0);
    }
    return plat::DefWindowProc(window, message, wParam, lParam);
}

std::atomic<bool> g_dialogMade{false};

void NoteDlgProc(plat::Dialog*, plat::DlgMsg msg, int, plat::DlgCode) {
    if (msg == plat::DlgMsg::Init) g_dialogMade = true;
}

// 0 when the window's close ran after the loss (or the present ended the process with 0).
int RunUntilTheServerIsGone(LostIn where) {
    alarm(20);
    int ready[2];
    if (pipe(ready) != 0) return 10;
    const pid_t server = fork();
    if (server == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        const std::string fd = std::to_string(ready[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    char number[16] = {};
    if (read(ready[0], number, sizeof number - 1) <= 0) return 11;
    setenv("DISPLAY", (":" + std::to_string(std::atoi(number))).c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    auto killServer = [server] {
        kill(server, SIGKILL);
        waitpid(server, nullptr, 0);
    };

    plat::Window* window = plat::CreateAppWindow("lost", 640, 480, CloseProc);
    if (!window) return 12;
    plat::ShowAppWindow(window);
    plat::Display* display = plat::CreateDisplay(window, 640, 480, 16, false);
    plat::Surface* picture = plat::CreateSurface(640, 480, 16, 0xF800, 0x07E0, 0x001F, 0);
    if (!display || !picture) return 13;
    plat::PresentDisplay(display, picture);
    static const plat::DlgControl kEdit[] = {plat::DlgEdit(10, "edit")};
    static const plat::DlgTemplate kDlg = {901, "lost", kEdit, 1, 10, true};
    if (where == LostIn::Dialog && !plat::CreateDialog(kDlg, NoteDlgProc, nullptr)) return 14;
    if (where == LostIn::ModalDialog) {
        std::thread killer([&] {
            while (!g_dialogMade) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::this_thread::sleep_for(std::chrono::milliseconds(300));  // into its wait
            killServer();
        });
        plat::DialogBox(kDlg, NoteDlgProc, nullptr);  // comes back once the server has gone
        killer.join();
    } else {
        killServer();
    }
    if (where == LostIn::Present) {
        for (int i = 0; i < 100; i++) plat::PresentDisplay(display, picture);
        return 15;
    }
    for (plat::MSG m;;) {
        plat::PumpDialogs();  // the dialogs' connection first, as each turn of the game has it
        if (!plat::GetMessage(&m)) break;
        plat::DispatchMessage(&m);
    }
    plat::DestroyDisplay(display);
    plat::ReleaseDestroyedWindows();
    return g_destroyed && !plat::IsDialog(plat::FindDialog(901)) ? 0 : 16;
}

TEST(DisplayOnX, LosingTheServerEndsThroughTheWindowsClose) {
    if (!std::getenv("SDL_VIDEODRIVER") || std::strcmp(std::getenv("SDL_VIDEODRIVER"), "x11") != 0)
        GTEST_SKIP() << "no X server";
    const std::string style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: SDL not yet on any server
    for (LostIn where : {LostIn::Messages, LostIn::Dialog, LostIn::ModalDialog, LostIn::Present}) {
        SCOPED_TRACE(int(where));
        EXPECT_EXIT(_exit(RunUntilTheServerIsGone(where)), testing::ExitedWithCode(0), "");
    }
    GTEST_FLAG_SET(death_test_style, style);
}

}  // namespace
