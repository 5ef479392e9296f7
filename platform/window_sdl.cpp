#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <deque>

#include "platform/clock.h"
#include "platform/dialog.h"
#include "platform/dialog_internal.h"
#include "platform/sdl_internal.h"
#include "platform/window.h"

namespace plat {

struct Window {
    SDL_Window* sdl = nullptr;
    WNDPROC proc = nullptr;
    bool alive = true;
    bool destroying = false;
    bool focused = false;    // as last reported through the activation messages
    bool minimized = false;  // SDL's own flag is not kept by every video driver
    bool acceptDrops = false;
    bool showFullScreen = false;  // its first showing covers the screen
    i32 cxFrame = 0, cyFrame = 0, cyCaption = 0;  // last non-zero frame sizes seen
    std::vector<MenuCall> menu;
};

struct DropFiles {
    std::vector<std::string> names;
};

namespace {

std::vector<Window*> g_windows;
std::deque<MSG> g_queue;
DropFiles* g_pendingDrop = nullptr;
u32 g_pendingDropWindow = 0;

bool Known(Window* window) { return window && std::find(g_windows.begin(), g_windows.end(), window) != g_windows.end(); }

Window* FindById(u32 id) {
    for (Window* w : g_windows)
        if (w->alive && w->sdl && SDL_GetWindowID(w->sdl) == id) return w;
    return nullptr;
}

Window* FirstAlive() {
    for (Window* w : g_windows)
        if (w->alive && w->proc) return w;
    return nullptr;
}

void FreeQueued(const MSG& m) {
    if (m.message == WM_DROPFILES) DragFinish(reinterpret_cast<HDROP>(m.wParam));
}

void DropQueuedFor(Window* window) {
    for (auto it = g_queue.begin(); it != g_queue.end();) {
        if (it->window == window) {
            FreeQueued(*it);
            it = g_queue.erase(it);
        } else {
            ++it;
        }
    }
}

void Post(Window* w, u32 message, WPARAM wParam, LPARAM lParam = 0) { g_queue.push_back(MSG{w, message, wParam, lParam}); }

// Activation arrives in the order the original platform sends it, once per real change of focus.
void PostActivation(Window* w, bool gained) {
    if (w->focused == gained) return;
    w->focused = gained;
    if (gained) {
        w->minimized = false;
        Post(w, WM_ACTIVATEAPP, 1);
        Post(w, WM_NCACTIVATE, 1);
        Post(w, WM_ACTIVATE, WA_ACTIVE);
    } else {
        const WPARAM minimized = w->minimized ? WPARAM(1) << 16 : 0;
        Post(w, WM_NCACTIVATE, 0);
        Post(w, WM_ACTIVATE, WA_INACTIVE | minimized);
        Post(w, WM_ACTIVATEAPP, 0);
    }
}

void FinishDrop(DropFiles* drop, u32 windowId) {
    Window* w = FindById(windowId);
    if (!w || !w->acceptDrops || drop->names.empty()) {
        delete drop;
        return;
    }
    Post(w, WM_DROPFILES, reinterpret_cast<WPARAM>(drop));
}

void Convert(const SDL_Event& e) {
    switch (e.type) {
    case SDL_QUIT:
        if (Window* w = FirstAlive()) Post(w, WM_CLOSE, 0);
        break;
    case SDL_WINDOWEVENT: {
        Window* w = FindById(e.window.windowID);
        if (!w) break;
        switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE: Post(w, WM_CLOSE, 0); break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: PostActivation(w, true); break;
        case SDL_WINDOWEVENT_FOCUS_LOST: PostActivation(w, false); break;
        case SDL_WINDOWEVENT_EXPOSED: Post(w, WM_PAINT, 0); break;
        case SDL_WINDOWEVENT_MINIMIZED: w->minimized = true; break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED: w->minimized = false; break;
        default: break;
        }
        break;
    }
    case SDL_KEYDOWN: {
        Window* w = FindById(e.key.windowID);
        if (!w) w = FirstAlive();
        if (!w) break;
        // Only the function keys carry the original's key codes: the default procedure needs F4.
        SDL_Keycode k = e.key.keysym.sym;
        WPARAM vk = (k >= SDLK_F1 && k <= SDLK_F12) ? WPARAM(0x70 + (k - SDLK_F1)) : 0;
        if (e.key.keysym.mod & KMOD_ALT)
            Post(w, WM_SYSKEYDOWN, vk, LPARAM(1) << 29);
        else
            Post(w, WM_KEYDOWN, vk, 0);
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
        if (Window* w = FindById(e.button.windowID)) TakeKeyboardOnClick(w->sdl);
        break;
    case SDL_DROPBEGIN:
        delete g_pendingDrop;
        g_pendingDrop = new DropFiles;
        g_pendingDropWindow = e.drop.windowID;
        break;
    case SDL_DROPFILE:
        if (e.drop.file) {
            if (g_pendingDrop) {
                g_pendingDrop->names.emplace_back(e.drop.file);
            } else {  // a driver that sends no begin: a drop of its own
                auto* one = new DropFiles;
                one->names.emplace_back(e.drop.file);
                FinishDrop(one, e.drop.windowID);
            }
            SDL_free(e.drop.file);
        }
        break;
    case SDL_DROPTEXT:
        if (e.drop.file) SDL_free(e.drop.file);
        break;
    case SDL_DROPCOMPLETE:
        if (g_pendingDrop) {
            FinishDrop(g_pendingDrop, g_pendingDropWindow);
            g_pendingDrop = nullptr;
        }
        break;
    default: break;
    }
}

void Pump() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    // Not SDL_PollEvent: it stops at the marker a wait leaves behind and would hold back newer events.
    SDL_PumpEvents();
    SDL_Event e;
    while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) Convert(e);
    // A lost display closes the window, as the system's close would.
    if (DisplayLost())
        if (Window* w = FirstAlive()) Post(w, WM_CLOSE, 0);
}

void UpdateFrame(Window* w) {
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(w->sdl, &top, &left, &bottom, &right) != 0) return;
    if (top == 0 && left == 0 && bottom == 0) return;  // full screen or not mapped yet: keep the last ones
    w->cxFrame = left;
    w->cyFrame = bottom;
    w->cyCaption = std::max(0, top - bottom);
}

}  // namespace

bool InitVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

Window* CreateAppWindow(const char* titleUtf8, i32 width, i32 height) {
    return CreateAppWindow(titleUtf8, width, height, nullptr);
}

Window* CreateAppWindow(const char* titleUtf8, i32 width, i32 height, WNDPROC proc, bool fullScreen) {
    if (!InitVideo()) return nullptr;
    // Made for OpenGL where it can be: the renderer SDL prefers would otherwise make the window again
    // (a second window on the screen for a moment) to get it.
    const char* title = titleUtf8 ? titleUtf8 : "";
    SDL_Window* s = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                     SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL);
    if (!s)
        s = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height, SDL_WINDOW_HIDDEN);
    if (!s) return nullptr;
    WatchDisplayLoss(s);
    auto* w = new Window;
    w->sdl = s;
    w->proc = proc;
    w->showFullScreen = fullScreen;
    g_windows.push_back(w);
    if (proc && proc(w, WM_CREATE, 0, 0) == -1) {
        DestroyAppWindow(w);
        return nullptr;
    }
    return w;
}

void DestroyAppWindow(Window* window) {
    if (!window) return;
    DropQueuedFor(window);
    g_windows.erase(std::remove(g_windows.begin(), g_windows.end(), window), g_windows.end());
    // SDL hides a window before destroying it and waits for the server's answer: on a lost display
    // the window is left to the process's end.
    if (window->sdl && !DisplayLost()) SDL_DestroyWindow(window->sdl);
    delete window;
}

SDL_Window* SdlWindowOf(Window* window) { return window ? window->sdl : nullptr; }

bool WindowHasFocus(Window* window) { return IsWindowAlive(window) && window->focused; }

}  // namespace plat

namespace plat {

bool GetClientOrigin(Window* window, i32* x, i32* y) {
    if (!window || !x || !y) return false;
    int wx = 0, wy = 0;
    SDL_GetWindowPosition(window->sdl, &wx, &wy);
    *x = wx;
    *y = wy;
    return true;
}

// ---- destruction ----

void DestroyWindow(Window* window) {
    if (!Known(window) || !window->alive || window->destroying) return;
    window->destroying = true;
    // The editors' dialogs belong to the game window and go first.
    DestroyAllDialogs();
    if (window->proc) window->proc(window, WM_DESTROY, 0, 0);
    window->alive = false;
    window->destroying = false;
    DropQueuedFor(window);
    // SDL waits for the X server to confirm a hide: never on a lost one.
    if (window->sdl && !DisplayLost()) SDL_HideWindow(window->sdl);
}

bool IsWindowAlive(Window* window) { return Known(window) && window->alive; }

void ReleaseDestroyedWindows() {
    std::vector<Window*> dead;
    for (Window* w : g_windows)
        if (!w->alive) dead.push_back(w);
    for (Window* w : dead) DestroyAppWindow(w);
}

void ShowAppWindow(Window* window) {
    if (!IsWindowAlive(window)) return;
    if (window->showFullScreen) CoverScreenBeforeShow(window->sdl);
    SDL_ShowWindow(window->sdl);
}

void MinimizeWindow(Window* window) {
    if (!IsWindowAlive(window)) return;
    window->minimized = true;
    SDL_MinimizeWindow(window->sdl);
}

bool IsIconic(Window* window) {
    if (!IsWindowAlive(window)) return false;
    return window->minimized || (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_MINIMIZED) != 0;
}

// ---- the queue ----

bool PeekMessage(MSG* msg) {
    if (g_queue.empty()) Pump();
    if (g_queue.empty()) return false;
    if (msg) *msg = g_queue.front();
    return true;
}

bool GetMessage(MSG* msg) {
    while (g_queue.empty()) {
        if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_WaitEventTimeout(nullptr, 100);
        Pump();
    }
    MSG m = g_queue.front();
    g_queue.pop_front();
    if (msg) *msg = m;
    return m.message != WM_QUIT;
}

LRESULT DispatchMessage(const MSG* msg) {
    if (!msg) return 0;
    if (!IsWindowAlive(msg->window)) {
        FreeQueued(*msg);
        return 0;
    }
    return SendMessage(msg->window, msg->message, msg->wParam, msg->lParam);
}

void PostMessage(Window* window, u32 message, WPARAM wParam, LPARAM lParam) { Post(window, message, wParam, lParam); }

void PostQuitMessage(int exitCode) { Post(nullptr, WM_QUIT, WPARAM(exitCode), 0); }

LRESULT SendMessage(Window* window, u32 message, WPARAM wParam, LPARAM lParam) {
    if (!IsWindowAlive(window)) return 0;
    if (window->proc) return window->proc(window, message, wParam, lParam);
    return DefWindowProc(window, message, wParam, lParam);
}

LRESULT DefWindowProc(Window* window, u32 message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4 && (lParam & (LPARAM(1) << 29))) SendMessage(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_NCACTIVATE: return 1;
    default: return 0;
    }
}

void WaitMessage(u32 timeoutMs) {
    if (!g_queue.empty()) return;
    // The editors' dialogs take their events from a connection of their own, which this wait does
    // not watch: while one is open the loop comes round often enough for them.
    constexpr u32 kDialogWaitMs = 10;
    if (DialogsOpen()) timeoutMs = std::min(timeoutMs, kDialogWaitMs);
    const u32 due = GetTimeMs() + timeoutMs;
    // SDL's wait counts whole milliseconds and wakes at or after its time, which would open the
    // game's gates a millisecond late: it watches for events until shortly before the due
    // millisecond, and a plain sleep ends the wait as that millisecond begins.
    constexpr u32 kPlainSleepMs = 2;
    if (timeoutMs > kPlainSleepMs && SDL_WasInit(SDL_INIT_VIDEO) && !TimeSourceReplaced() &&
        SDL_WaitEventTimeout(nullptr, int(std::min<u32>(timeoutMs - kPlainSleepMs, 0x7FFFFFFF))) == 1)
        return;
    SleepUntilMs(due);
}

void DiscardMessages() {
    Pump();
    while (!g_queue.empty()) {
        FreeQueued(g_queue.front());
        g_queue.pop_front();
    }
    delete g_pendingDrop;
    g_pendingDrop = nullptr;
}

// ---- dropped files ----

void DragAcceptFiles(Window* window, bool accept) {
    if (IsWindowAlive(window)) window->acceptDrops = accept;
}

u32 DragQueryFile(HDROP drop, u32 index, char* buffer, u32 size) {
    if (!drop) return 0;
    if (index == 0xFFFFFFFFu) return u32(drop->names.size());
    if (index >= drop->names.size()) return 0;
    const std::string& name = drop->names[index];
    if (buffer && size > 0) {
        const size_t n = std::min<size_t>(name.size(), size - 1);
        std::memcpy(buffer, name.data(), n);
        buffer[n] = '\0';
        return u32(n);
    }
    return u32(name.size());
}

void DragFinish(HDROP drop) { delete drop; }

// ---- placement ----

ScreenMetrics GetScreenMetrics(Window* window) {
    ScreenMetrics m{640, 480, 0, 0, 0};
    int display = 0;
    if (IsWindowAlive(window)) {
        display = std::max(0, SDL_GetWindowDisplayIndex(window->sdl));
        UpdateFrame(window);
        m.cxFrame = window->cxFrame;
        m.cyFrame = window->cyFrame;
        m.cyCaption = window->cyCaption;
    }
    SDL_DisplayMode mode;
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDesktopDisplayMode(display, &mode) == 0) {
        m.cxScreen = mode.w;
        m.cyScreen = mode.h;
    }
    return m;
}

bool GetWindowRect(Window* window, RECT* rect) {
    if (!IsWindowAlive(window) || !rect) return false;
    UpdateFrame(window);
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(window->sdl, &x, &y);
    SDL_GetWindowSize(window->sdl, &w, &h);
    *rect = RECT{x - window->cxFrame, y - window->cyFrame - window->cyCaption, x + w + window->cxFrame,
                 y + h + window->cyFrame};
    return true;
}

bool SetWindowRect(Window* window, const RECT& rect) {
    if (!IsWindowAlive(window)) return false;
    UpdateFrame(window);
    const i32 cw = rect.right - rect.left - 2 * window->cxFrame;
    const i32 ch = rect.bottom - rect.top - 2 * window->cyFrame - window->cyCaption;
    if (cw > 0 && ch > 0) SDL_SetWindowSize(window->sdl, cw, ch);
    SDL_SetWindowPosition(window->sdl, rect.left + window->cxFrame, rect.top + window->cyFrame + window->cyCaption);
    return true;
}

// ---- system menu ----

void EnableMenuItem(Window* window, u32 position, u32 flags) {
    if (IsWindowAlive(window)) window->menu.push_back(MenuCall{position, flags});
}

const std::vector<MenuCall>& MenuCalls(Window* window) {
    static const std::vector<MenuCall> none;
    return Known(window) ? window->menu : none;
}

void ClearMenuCalls(Window* window) {
    if (Known(window)) window->menu.clear();
}

void DisableIme() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_StopTextInput();
}

// ---- simulated events ----

namespace {
void PushWindowEvent(Window* window, u8 event) {
    if (!IsWindowAlive(window)) return;
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(window->sdl);
    e.window.event = event;
    SDL_PushEvent(&e);
}
}  // namespace

void SimulateFocus(Window* window, bool gained) {
    PushWindowEvent(window, gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST);
}

void SimulateClose(Window* window) { PushWindowEvent(window, SDL_WINDOWEVENT_CLOSE); }

void SimulateQuit() {
    SDL_Event e{};
    e.type = SDL_QUIT;
    SDL_PushEvent(&e);
}

void SimulateExpose(Window* window) { PushWindowEvent(window, SDL_WINDOWEVENT_EXPOSED); }

void SimulateKey(Window* window, bool alt, bool f4) {
    if (!IsWindowAlive(window)) return;
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = SDL_GetWindowID(window->sdl);
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = f4 ? SDLK_F4 : SDLK_a;
    e.key.keysym.scancode = f4 ? SDL_SCANCODE_F4 : SDL_SCANCODE_A;
    e.key.keysym.mod = alt ? KMOD_LALT : KMOD_NONE;
    SDL_PushEvent(&e);
}

void SimulateDrop(Window* window, const std::vector<std::string>& names) {
    if (!IsWindowAlive(window)) return;
    const u32 id = SDL_GetWindowID(window->sdl);
    SDL_Event e{};
    e.type = SDL_DROPBEGIN;
    e.drop.windowID = id;
    SDL_PushEvent(&e);
    for (const std::string& n : names) {
        SDL_Event f{};
        f.type = SDL_DROPFILE;
        f.drop.windowID = id;
        f.drop.file = SDL_strdup(n.c_str());
        SDL_PushEvent(&f);
    }
    SDL_Event c{};
    c.type = SDL_DROPCOMPLETE;
    c.drop.windowID = id;
    SDL_PushEvent(&c);
}

}  // namespace plat
