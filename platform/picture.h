// Where the 640×480 picture lies inside the window. Full screen scales and letterboxes it, so every
// mouse position the game reads and every pointer warp it makes passes through these mappings.
#pragma once
#include "platform/types.h"

namespace plat {

// Set by the display whenever it lays out the picture: its rectangle in window pixels and the
// picture's own size. Until then the picture fills the window 1:1 at 640×480.
void SetPicturePlacement(const RECT& inWindow, i32 pictureWidth, i32 pictureHeight);
RECT GetPicturePlacement();

// Window pixel → picture pixel: the one shown under the window pixel's centre. A point on the bars or
// outside the window lands outside 0..width-1 / 0..height-1 (callers test the range).
void WindowToPicture(i32 wx, i32 wy, i32* px, i32* py);
// Picture pixel → window pixel (the centre of the scaled pixel).
void PictureToWindow(i32 px, i32 py, i32* wx, i32* wy);

}  // namespace plat
