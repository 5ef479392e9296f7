// The one application window on SDL. The shell's window procedure receives its events as messages.
#pragma once
#include <string>
#include <vector>

#include "platform/types.h"

namespace plat {

struct Window;

// Starts SDL's video (dummy driver when SDL_VIDEODRIVER says so); true when it is up.
bool InitVideo();

// A hidden window whose client area is width × height; null on failure.
Window* CreateAppWindow(const char* titleUtf8, i32 width, i32 height);
void DestroyAppWindow(Window* window);

}  // namespace plat

using HWND = plat::Window*;

namespace plat {

// The client area's top-left corner in screen coordinates.
bool GetClientOrigin(Window* window, i32* x, i32* y);

}  // namespace plat

// ---- messages ----

namespace plat {
struct DropFiles;
}
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using HDROP = plat::DropFiles*;
using WNDPROC = LRESULT (*)(HWND window, u32 message, WPARAM wParam, LPARAM lParam);

// Message numbers and flags, with the values of the platform the game was written for.
constexpr u32 WM_CREATE = 0x0001;
constexpr u32 WM_DESTROY = 0x0002;
constexpr u32 WM_ACTIVATE = 0x0006;
constexpr u32 WM_PAINT = 0x000F;
constexpr u32 WM_CLOSE = 0x0010;
constexpr u32 WM_QUIT = 0x0012;
constexpr u32 WM_ACTIVATEAPP = 0x001C;
constexpr u32 WM_NCACTIVATE = 0x0086;
constexpr u32 WM_KEYDOWN = 0x0100;
constexpr u32 WM_SYSKEYDOWN = 0x0104;
constexpr u32 WM_COMMAND = 0x0111;
constexpr u32 WM_DROPFILES = 0x0233;

constexpr u32 WA_INACTIVE = 0;
constexpr u32 WA_ACTIVE = 1;

constexpr u32 VK_F4 = 0x73;

// System-menu item flags.
constexpr u32 MF_ENABLED = 0x0000;
constexpr u32 MF_GRAYED = 0x0001;
constexpr u32 MF_DISABLED = 0x0002;
constexpr u32 MF_BYPOSITION = 0x0400;

namespace plat {

struct MSG {
    HWND window;
    u32 message;
    WPARAM wParam;
    LPARAM lParam;
};

// A window whose procedure receives every message; WM_CREATE is sent before it returns (a result of -1
// fails the creation). The window starts hidden. One made for full screen covers the screen from its
// first showing on, so that a full-screen display made for it finds it so (on X).
Window* CreateAppWindow(const char* titleUtf8, i32 width, i32 height, WNDPROC proc, bool fullScreen = false);

// Sends WM_DESTROY at once and hides the window for good; further messages to it are dropped. The handle
// itself stays valid (queries answer as for a window that is gone) until ReleaseDestroyedWindows, which
// the program calls after the display device that may still refer to it has been released.
void DestroyWindow(Window* window);
bool IsWindowAlive(Window* window);
void ReleaseDestroyedWindows();

void ShowAppWindow(Window* window);
void MinimizeWindow(Window* window);
bool IsIconic(Window* window);

// The message queue. Window-system events are turned into messages only here, when the queue has run
// dry, so the procedure is never entered from inside another platform call.
bool PeekMessage(MSG* msg);     // a message waits; it stays in the queue
bool GetMessage(MSG* msg);      // takes the next one (waits when none); false for WM_QUIT
LRESULT DispatchMessage(const MSG* msg);
void PostMessage(Window* window, u32 message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
LRESULT SendMessage(Window* window, u32 message, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProc(Window* window, u32 message, WPARAM wParam, LPARAM lParam);
// Sleeps until an event arrives or the millisecond clock has moved on timeoutMs from its reading now
// (for a loop with nothing to do): it ends as that millisecond begins. Returns at once when a message
// waits. Under a test's clock it sleeps through SleepUntilMs (at once unless the test follows sleeps).
void WaitMessage(u32 timeoutMs);
// Empties the queue (dropped-file lists included); for tests that run several message loops.
void DiscardMessages();

// ---- dropped files ----
void DragAcceptFiles(Window* window, bool accept);
// index 0xFFFFFFFF gives the number of names; else copies name index (cut to size − 1 bytes and
// terminated) and gives the bytes copied, 0 when there is none. buffer null gives its full length.
u32 DragQueryFile(HDROP drop, u32 index, char* buffer, u32 size);
void DragFinish(HDROP drop);

// ---- placement ----
// Screen size and the frame sizes of a captioned window, as the window system reports them.
struct ScreenMetrics {
    i32 cxScreen;
    i32 cyScreen;
    i32 cxFrame;
    i32 cyFrame;
    i32 cyCaption;
};
ScreenMetrics GetScreenMetrics(Window* window);
// The whole window's rectangle, frame included, in screen coordinates.
bool GetWindowRect(Window* window, RECT* rect);
bool SetWindowRect(Window* window, const RECT& rect);

// ---- system menu ----
// The window system has no menu for an SDL window; the calls are kept so their sequence shows.
struct MenuCall {
    u32 position;
    u32 flags;
};
void EnableMenuItem(Window* window, u32 position, u32 flags);
const std::vector<MenuCall>& MenuCalls(Window* window);
void ClearMenuCalls(Window* window);

// Text input (the input method) off for the process.
void DisableIme();

// ---- the events the window system would send, for tests ----
void SimulateFocus(Window* window, bool gained);
void SimulateClose(Window* window);
void SimulateQuit();
void SimulateExpose(Window* window);
void SimulateKey(Window* window, bool alt, bool f4);
void SimulateDrop(Window* window, const std::vector<std::string>& names);

}  // namespace plat
