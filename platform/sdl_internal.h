// Shared between the SDL-backed parts of the platform only.
#pragma once
#include <SDL.h>

#include "platform/window.h"

struct _XDisplay;  // Xlib's Display

namespace plat {

SDL_Window* SdlWindowOf(Window* window);

// After a full-screen request: where the window system left the window smaller than the size SDL
// now reports (no window manager answered), moves and sizes it over the screen itself, so that SDL's
// sizes, the renderer's and the window's agree.
void CoverScreenIfLeftSmall(SDL_Window* window);
// Before a window that is to be full screen first shows: marks it full screen for a window manager and
// lays it over the screen, so that it shows once, already covering it (X only).
void CoverScreenBeforeShow(SDL_Window* window);
// The window's size as the X server has it; false on other video drivers.
bool GetRealWindowSize(SDL_Window* window, int* width, int* height);
// On a click in the window: gives it the keyboard where no window manager would (X only).
void TakeKeyboardOnClick(SDL_Window* window);

// Keeps a lost X server from ending the process inside Xlib; DisplayLost then answers true. The
// second form is for an X connection of the platform's own (the dialogs').
void WatchDisplayLoss(SDL_Window* window);
void WatchDisplayLoss(_XDisplay* display);
bool DisplayLost();
// Around the renderer's present, where a loss cannot be gone back from.
void SetPresenting(bool presenting);

// Whether the window is the active one, as its activation messages last said.
bool WindowHasFocus(Window* window);

}  // namespace plat
