// The SDL input backend's scan-code table, shared with its tests only.
#pragma once
#include <SDL.h>

namespace plat {

// The SDL scancode of a DirectInput scan code; SDL_SCANCODE_UNKNOWN for codes outside 0..255 and for
// codes no keyboard SDL knows produces.
SDL_Scancode SdlScancodeFromDik(int dik);
// The reverse; 0 when the scancode has no DirectInput code.
int DikFromSdlScancode(SDL_Scancode scancode);

}  // namespace plat
