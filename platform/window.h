// The one application window on SDL. The shell's window procedure receives its events as messages.
#pragma once
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
