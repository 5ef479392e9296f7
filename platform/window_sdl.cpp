#include <SDL.h>

#include "platform/sdl_internal.h"
#include "platform/window.h"

namespace plat {

struct Window {
    SDL_Window* sdl = nullptr;
};

bool InitVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

Window* CreateAppWindow(const char* titleUtf8, i32 width, i32 height) {
    if (!InitVideo()) return nullptr;
    SDL_Window* w = SDL_CreateWindow(titleUtf8 ? titleUtf8 : "", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                     width, height, SDL_WINDOW_HIDDEN);
    if (!w) return nullptr;
    return new Window{w};
}

void DestroyAppWindow(Window* window) {
    if (!window) return;
    SDL_DestroyWindow(window->sdl);
    delete window;
}

SDL_Window* SdlWindowOf(Window* window) { return window ? window->sdl : nullptr; }

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

}  // namespace plat
