// The opening: a logo fades in and out, the movie "opening.mpg" plays full screen until it ends or
// the player skips it, its last picture fades to black, and the title follows.
#pragma once
#include "platform/types.h"
#include "shell/movie/dwwl.h"

extern i32 OpStep;          // 0 open, 1 logo, 2 movie, 3 fade, 4 end
extern DWWL_DATA* OpMovie;  // null while no movie is open
extern u32 OpFadeStart;
extern i32 OpLogoStep;      // 0..3
extern i32 OpLogoSurf;
extern i32 OpLogoSpr;
extern u32 OpLogoStart;

void OP_Renew();
void OP_InitMovie();
void OP_Logo();
void OP_End();
void OP_Draw();
// Closes the movie and ends the movie system when one is open, and starts the opening over; the
// shut-down calls it before the sound device goes, so no stream outlives it.
void OP_ReleaseMovie();
