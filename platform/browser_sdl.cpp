#include <SDL.h>

#include "platform/net.h"

namespace plat {

namespace {
std::function<bool(const char*)> g_browserHook;
}

void SetBrowserHook(std::function<bool(const char* url)> hook) { g_browserHook = std::move(hook); }

bool OpenUrlInBrowser(const char* url) {
    if (!url) return false;
    if (g_browserHook) return g_browserHook(url);
    return SDL_OpenURL(url) == 0;
}

}  // namespace plat
