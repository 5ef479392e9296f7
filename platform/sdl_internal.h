// Shared between the SDL-backed parts of the platform only.
#pragma once
#include <SDL.h>

#include "platform/window.h"

namespace plat {

SDL_Window* SdlWindowOf(Window* window);

}  // namespace plat
