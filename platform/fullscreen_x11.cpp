// SDL answers a desktop full-screen request with the screen's size at once and keeps believing it,
// whether or not a window manager carried the request out. On an X server without one the window
// stays as it was, while SDL's renderer lays the picture out for the whole screen. The X window is
// asked directly for its real size here, and made to cover the screen where nothing else did. A
// window that is to be full screen from the start is laid over the screen before it first shows.
#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>

#include "platform/sdl_internal.h"

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace plat {

namespace {

#if defined(SDL_VIDEO_DRIVER_X11)
bool X11WindowOf(SDL_Window* window, ::Display** display, ::Window* xwindow) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    *display = info.info.x11.display;
    *xwindow = info.info.x11.window;
    return *display != nullptr;
}
#endif

}  // namespace

bool GetRealWindowSize(SDL_Window* window, int* width, int* height) {
#if defined(SDL_VIDEO_DRIVER_X11)
    ::Display* x = nullptr;
    ::Window xw = 0;
    XWindowAttributes real{};
    if (!X11WindowOf(window, &x, &xw) || !XGetWindowAttributes(x, xw, &real)) return false;
    *width = real.width;
    *height = real.height;
    return true;
#else
    (void)window, (void)width, (void)height;
    return false;
#endif
}

void CoverScreenIfLeftSmall(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (!window || !(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN)) return;
    int realW = 0, realH = 0, w = 0, h = 0;
    if (!GetRealWindowSize(window, &realW, &realH)) return;
    SDL_GetWindowSize(window, &w, &h);
    if (w <= 0 || h <= 0 || (realW == w && realH == h)) return;
    SDL_Rect screen{};
    ::Display* x = nullptr;
    ::Window xw = 0;
    if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(window)), &screen) != 0 ||
        !X11WindowOf(window, &x, &xw))
        return;
    XMoveResizeWindow(x, xw, screen.x, screen.y, unsigned(w), unsigned(h));
    XSync(x, False);
#else
    (void)window;
#endif
}

void CoverScreenBeforeShow(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    ::Display* x = nullptr;
    ::Window xw = 0;
    XWindowAttributes now{};
    SDL_Rect screen{};
    if (!X11WindowOf(window, &x, &xw) || !XGetWindowAttributes(x, xw, &now) || now.map_state != IsUnmapped ||
        SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(window)), &screen) != 0)
        return;
    // SDL can only ask for full screen once the window shows, after it has shown as it was made. A
    // window manager reads the state of a window it is about to map from this property, and without
    // one the window shows where and as large as it is. The display's full-screen request then
    // finds it covering the screen already.
    Atom fullScreen = XInternAtom(x, "_NET_WM_STATE_FULLSCREEN", False);
    XChangeProperty(x, xw, XInternAtom(x, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeAppend,
                    reinterpret_cast<unsigned char*>(&fullScreen), 1);
    // The window's fixed size would hold a window manager to it: the display's full-screen request
    // lifts it the same way.
    if (XSizeHints* hints = XAllocSizeHints()) {
        long given = 0;
        if (XGetWMNormalHints(x, xw, hints, &given)) {
            hints->flags &= ~(PMinSize | PMaxSize);
            XSetWMNormalHints(x, xw, hints);
        }
        XFree(hints);
    }
    XMoveResizeWindow(x, xw, screen.x, screen.y, unsigned(screen.w), unsigned(screen.h));
    XFlush(x);
#else
    (void)window;
#endif
}

// Without a window manager nothing moves the keyboard: a click on the window takes it back from the
// window that had it (an editor's dialog), as a click on a dialog takes it from the game.
void TakeKeyboardOnClick(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    ::Display* x = nullptr;
    ::Window xw = 0, root = 0, parent = 0, *children = nullptr, focus = 0;
    unsigned count = 0;
    int revert = 0;
    if (DisplayLost() || !X11WindowOf(window, &x, &xw) || !XQueryTree(x, xw, &root, &parent, &children, &count))
        return;
    if (children) XFree(children);
    XGetInputFocus(x, &focus, &revert);
    if (parent != root || focus == xw) return;  // a window manager framed it, or it has the keyboard
    XSetInputFocus(x, xw, RevertToParent, CurrentTime);
    XFlush(x);
#else
    (void)window;
#endif
}

}  // namespace plat
