// An X server that goes away (killed, or its connection cut) makes Xlib end the process at once from
// inside whatever call noticed it, with the sound and movie threads still running: a crash on the way
// out, and nothing of the game's own shut-down. Here the loss is only noted; Xlib's calls on the dead
// connection return at once from then on, and the window layer turns the loss into a close of the
// window, so the game ends the way a closed window does. The editors' dialogs have a connection of their
// own: it is watched the same way, and whichever connection notices first ends the game.
#include <SDL.h>
#include <SDL_syswm.h>

#include <atomic>
#include <cstdlib>

#include "platform/debug.h"
#include "platform/sdl_internal.h"

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#endif

namespace plat {

namespace {

std::atomic<bool> g_displayLost{false};
bool g_presenting = false;

#if defined(SDL_VIDEO_DRIVER_X11)
int NoteDisplayLost(::Display*) {
    if (!g_displayLost.exchange(true)) DebugOutput("display: the X server is gone; the game ends\n");
    // Inside a present the renderer's own error path frees buffers its drawing threads still write
    // into: going back there crashes, so the game ends here, before anything more runs. Its files are
    // all written whole (temporary, then rename), so nothing written is lost.
    if (g_presenting) std::_Exit(0);
    return 0;
}

// Xlib's default ends the process here; returning leaves the connection marked dead.
void KeepRunning(::Display* display, void*) { NoteDisplayLost(display); }
#endif

}  // namespace

void WatchDisplayLoss(_XDisplay* display) {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (!display) return;
    // Both steps of Xlib's handling end the process by default: the message (for every connection)
    // and the exit (for each connection on its own).
    XSetIOErrorHandler(NoteDisplayLost);
    XSetIOErrorExitHandler(display, KeepRunning, nullptr);
#else
    (void)display;
#endif
}

void WatchDisplayLoss(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    WatchDisplayLoss(info.info.x11.display);
#else
    (void)window;
#endif
}

bool DisplayLost() { return g_displayLost.load(); }

void SetPresenting(bool presenting) { g_presenting = presenting; }

}  // namespace plat
