// SDL answers a desktop full-screen request with the screen's size at once and keeps believing it,
// whether or not a window manager carried the request out. On an X server without one the window
// stays as it was, while SDL's renderer lays the picture out for the whole screen. The X window is
// asked directly for its real size here, and made to cover the screen where nothing else did.
#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>

#include "platform/sdl_internal.h"

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#endif

namespace plat {

void CoverScreenIfLeftSmall(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (!window || !(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN)) return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    ::Display* x = info.info.x11.display;
    const ::Window xw = info.info.x11.window;
    XWindowAttributes real{};
    if (!x || !XGetWindowAttributes(x, xw, &real)) return;
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    if (w <= 0 || h <= 0 || (real.width == w && real.height == h)) return;
    SDL_Rect screen{};
    if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(window)), &screen) != 0) return;
    XMoveResizeWindow(x, xw, screen.x, screen.y, unsigned(w), unsigned(h));
    XSync(x, False);
#else
    (void)window;
#endif
}

}  // namespace plat
