// Movie playback: a movie file decoded into a surface of its own size, drawn stretched to the movie's
// draw rectangle, with its sound. Each open gives a record that the caller holds and passes back;
// every call accepts a null record (and does nothing, getters give 0).
#pragma once
#include "platform/display.h"
#include "platform/movie.h"
#include "platform/surface.h"
#include "platform/types.h"

struct DWWL_DATA {
    char name[260];
    i32 playing;  // 1 after a successful play, and still after a stop
    i32 paused;
    i32 x, y;
    i32 width, height;            // the draw size (the video's size after the open)
    plat::Display* display;       // borrowed from the display device
    plat::MovieStream* stream;    // null when the file could not be opened
    plat::MovieSample* sample;    // writes frames into surface
    plat::Surface* surface;       // the video's size, in the display's format
    RECT srcRect;                 // 0, 0, video width, video height
    i64 duration;                 // 100-ns units
    i32 bltFailed;                // a failing draw is reported once per movie
};

void DWWL_Init();
void DWWL_Term();
DWWL_DATA* DWWL_Open(const char* name, plat::Display* display);
void DWWL_Close(DWWL_DATA** handle);
void DWWL_Play(DWWL_DATA* movie);
void DWWL_Stop(DWWL_DATA* movie);
void DWWL_Pause(DWWL_DATA* movie);
void DWWL_SetPos(DWWL_DATA* movie, i32 x, i32 y);
void DWWL_SetSize(DWWL_DATA* movie, i32 width, i32 height);
void DWWL_GetPos(DWWL_DATA* movie, i32* x, i32* y);
void DWWL_GetSize(DWWL_DATA* movie, i32* width, i32* height);
i32 DWWL_GetTime(DWWL_DATA* movie);
i32 DWWL_GetDuration(DWWL_DATA* movie);
void DWWL_Update(DWWL_DATA* movie);
void DWWL_Draw(DWWL_DATA* movie, plat::Surface* target);
void DWWL_Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
int DWWL_CreateRenderer(DWWL_DATA* movie);
plat::Surface* DWWL_CreateSurface(plat::Display* display, i32 width, i32 height);
