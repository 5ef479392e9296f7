#include "shell/movie/dwwl.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "graphics/display/surf.h"
#include "platform/debug.h"
#include "platform/memory.h"
#include "platform/msgbox.h"
#include "shell/common.h"
#include "shell/sound/snd.h"

namespace {

i32 Saturate(i64 value) { return i32(std::clamp<i64>(value, INT32_MIN, INT32_MAX)); }

// The display's depth, as its channel masks tell it (no masks: a palette display).
u32 DisplayDepth(u32 r, u32 g, u32 b) {
    if ((r | g | b) == 0) return 8;
    return (r | g | b) > 0xFFFF ? 32 : 16;
}

}  // namespace

void DWWL_Printf(const char* format, ...) {
    char buf[256];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(buf, sizeof(buf), format, ap);
    va_end(ap);
    plat::DebugOutput(buf);
}

void DWWL_Init() { DWWL_Printf("DWWL_Init\n"); }

void DWWL_Term() { DWWL_Printf("DWWL_Term\n"); }

plat::Surface* DWWL_CreateSurface(plat::Display* display, i32 width, i32 height) {
    plat::Surface* surface = nullptr;
    if (display) {
        u32 r = 0, g = 0, b = 0;
        plat::GetDisplayMasks(display, &r, &g, &b);
        surface = plat::CreateSurface(width, height, DisplayDepth(r, g, b), r, g, b,
                                      plat::kCapsOffscreenPlain | plat::kCapsSystemMemory);
    }
    if (!surface) plat::MessageBox("サーフェース作成に失敗", "エラー", plat::MB_OK);
    return surface;
}

int DWWL_CreateRenderer(DWWL_DATA* movie) {
    if (!movie || !movie->stream) return 0;
    i32 w = 0, h = 0;
    if (!plat::MovieGetVideoSize(movie->stream, &w, &h)) {
        plat::MessageBox("レンダラの作成失敗", "Error", plat::MB_OK);
        return 0;
    }
    movie->x = 0;
    movie->y = 0;
    movie->srcRect = RECT{0, 0, w, h};
    movie->width = w;
    movie->height = h;
    movie->surface = DWWL_CreateSurface(movie->display, w, h);
    if (!movie->surface) return 0;
    movie->sample = plat::MovieCreateSample(movie->stream, movie->surface, &movie->srcRect);
    if (!movie->sample) {
        plat::MessageBox("レンダラの作成失敗", "Error", plat::MB_OK);
        return 0;
    }
    return 1;
}

DWWL_DATA* DWWL_Open(const char* name, plat::Display* display) {
    auto* movie = static_cast<DWWL_DATA*>(plat::GlobalAllocZero(sizeof(DWWL_DATA)));
    if (!movie) return nullptr;
    if (name) std::snprintf(movie->name, sizeof(movie->name), "%s", name);
    movie->display = display;
    // A file that cannot be read leaves the record without a stream: nothing to render, so no message,
    // and every time reads 0, so a caller waiting for the end sees it at once.
    movie->stream = plat::MovieOpen(movie->name, SndDevice);
    if (movie->stream) {
        DWWL_CreateRenderer(movie);
        movie->duration = plat::MovieGetDuration(movie->stream);
    } else {
        DebugMsg("movie: cannot play %s", movie->name);
    }
    DWWL_Printf("movie open....(%s)\n", movie->name);
    return movie;
}

void DWWL_Close(DWWL_DATA** handle) {
    if (!handle || !*handle) return;
    DWWL_DATA* movie = *handle;
    if (movie->stream) plat::MovieSetRunning(movie->stream, false);
    // The sample writes into the surface and reads the stream, so it goes first.
    if (movie->sample) {
        plat::MovieReleaseSample(movie->sample);
        movie->sample = nullptr;
    }
    if (movie->surface) {
        plat::ReleaseSurface(movie->surface);
        movie->surface = nullptr;
    }
    if (movie->stream) {
        plat::MovieClose(movie->stream);
        movie->stream = nullptr;
    }
    DWWL_Printf("movie close ..... (%s)\n", movie->name);
    movie->name[0] = '\0';
    movie->display = nullptr;
    plat::GlobalFree(movie);
    *handle = nullptr;
}

void DWWL_Play(DWWL_DATA* movie) {
    if (!movie || !movie->stream) return;
    if (plat::MovieSetRunning(movie->stream, true)) {
        movie->playing = 1;
        movie->paused = 0;
        DWWL_Printf("movie playing....(%s)\n", movie->name);
    } else {
        movie->playing = 0;
    }
}

void DWWL_Stop(DWWL_DATA* movie) {
    if (!movie || !movie->stream || movie->playing != 1) return;
    movie->paused = 0;
    plat::MovieSetRunning(movie->stream, false);
    DWWL_Printf("movie stop....(%s)\n", movie->name);
}

void DWWL_Pause(DWWL_DATA* movie) {
    if (!movie || !movie->stream || movie->playing != 1 || movie->paused != 0) return;
    plat::MovieSetRunning(movie->stream, false);
    DWWL_Printf("movie pause....(%s)\n", movie->name);
    movie->paused = 1;
}

void DWWL_SetPos(DWWL_DATA* movie, i32 x, i32 y) {
    if (!movie) return;
    movie->x = x;
    movie->y = y;
}

void DWWL_SetSize(DWWL_DATA* movie, i32 width, i32 height) {
    if (!movie) return;
    movie->width = width;
    movie->height = height;
}

void DWWL_GetPos(DWWL_DATA* movie, i32* x, i32* y) {
    if (x) *x = movie ? movie->x : 0;
    if (y) *y = movie ? movie->y : 0;
}

void DWWL_GetSize(DWWL_DATA* movie, i32* width, i32* height) {
    if (width) *width = movie ? movie->width : 0;
    if (height) *height = movie ? movie->height : 0;
}

i32 DWWL_GetTime(DWWL_DATA* movie) {
    if (!movie || !movie->stream) return 0;
    return i32(plat::MovieGetTime(movie->stream) / 10 / 1000);
}

i32 DWWL_GetDuration(DWWL_DATA* movie) {
    if (!movie || !movie->stream) return 0;
    return i32(plat::MovieGetDuration(movie->stream) / 10000);
}

void DWWL_Update(DWWL_DATA* movie) {
    if (!movie || !movie->sample) return;
    plat::MovieUpdate(movie->sample);
}

void DWWL_Draw(DWWL_DATA* movie, plat::Surface* target) {
    if (!movie || !movie->sample) return;
    if (plat::MovieUpdate(movie->sample) != plat::MovieUpdateResult::kNewFrame) return;
    plat::SurfaceDesc desc{};
    int result = SURF_GetDesc(target, &desc);
    if (result == plat::kSurfOk) {
        // Clipped to the target, the source cut in proportion: a movie placed partly off the surface
        // draws its visible part instead of failing.
        RECT dst{movie->x, movie->y, Saturate(i64(movie->x) + movie->width), Saturate(i64(movie->y) + movie->height)};
        RECT src = movie->srcRect;
        if (!SURF_ClipBltScaled(&desc, nullptr, &dst, &src, 0)) return;
        result = plat::Blt(target, &dst, movie->surface, &src, 0, 0);
    }
    if (result != plat::kSurfOk && !movie->bltFailed) {
        movie->bltFailed = 1;
        DebugMsg("Blt failed (%s)", movie->name);
    }
}
