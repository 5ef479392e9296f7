// The SDL input backend's scan-code table, shared with its tests only.
#pragma once
#include <SDL.h>

#include "platform/types.h"

namespace plat {

// The SDL scancode of a DirectInput scan code; SDL_SCANCODE_UNKNOWN for codes outside 0..255 and for
// codes no keyboard SDL knows produces.
SDL_Scancode SdlScancodeFromDik(int dik);
// The reverse; 0 when the scancode has no DirectInput code.
int DikFromSdlScancode(SDL_Scancode scancode);

// The mouse buttons a read reports (SDL's button masks), given SDL's buttons and the system's. Stale
// buttons are those SDL still counts as down though they were let go while another window (an
// editor's dialog) had the input; they read up and are updated here.
u32 ReportedButtons(u32* stale, u32 sdlHeld, u32 systemHeld);

}  // namespace plat
