#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "platform/display.h"
#include "platform/picture.h"
#include "platform/sdl_internal.h"

namespace plat {

struct Display {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    i32 width = 0, height = 0;
    u32 depth = 0;
    bool fullScreen = false;
    u32 rMask = 0, gMask = 0, bMask = 0;
    PaletteEntry palette[256] = {};
    std::vector<u32> expanded;  // an 8-bit picture through the palette
    int laidOutW = -1, laidOutH = -1;
    SDL_Rect target{};  // the picture in renderer pixels
};

namespace {

PixelLayout g_layout = PixelLayout::k565;
u64 g_presents = 0;
i64 g_firstPresent = 0;

bool DummyDriver() {
    const char* name = SDL_GetCurrentVideoDriver();
    return name && std::strcmp(name, "dummy") == 0;
}

// The picture keeps its aspect ratio, centred between bars, in whatever size the window has: full
// screen, a window manager's choice, or 1:1 in a window of the picture's own size.
void LayOut(Display* d) {
    int ww = 0, wh = 0, ow = 0, oh = 0;
    SDL_GetWindowSize(d->window, &ww, &wh);
    if (SDL_GetRendererOutputSize(d->renderer, &ow, &oh) != 0 || ow <= 0 || oh <= 0) {
        ow = ww;
        oh = wh;
    }
    if (ww == d->laidOutW && wh == d->laidOutH) return;
    d->laidOutW = ww;
    d->laidOutH = wh;
    const RECT place = FitPicture(ww, wh, d->width, d->height);
    SetPicturePlacement(place, d->width, d->height);
    // The renderer may have more pixels than the window (high density screens).
    const double sx = ww > 0 ? double(ow) / ww : 1.0, sy = wh > 0 ? double(oh) / wh : 1.0;
    d->target = SDL_Rect{int(place.left * sx), int(place.top * sy), int((place.right - place.left) * sx),
                         int((place.bottom - place.top) * sy)};
}

}  // namespace

RECT FitPicture(i32 windowWidth, i32 windowHeight, i32 pictureWidth, i32 pictureHeight) {
    if (windowWidth <= 0 || windowHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0)
        return RECT{0, 0, pictureWidth, pictureHeight};
    i64 w = windowWidth, h = i64(windowWidth) * pictureHeight / pictureWidth;
    if (h > windowHeight) {
        h = windowHeight;
        w = i64(windowHeight) * pictureWidth / pictureHeight;
    }
    const i32 left = i32((windowWidth - w) / 2), top = i32((windowHeight - h) / 2);
    return RECT{left, top, left + i32(w), top + i32(h)};
}

void SetDisplayLayout16(PixelLayout layout) { g_layout = layout; }
PixelLayout GetDisplayLayout16() { return g_layout; }
u16 GetDesktopDepth() { return 16; }

Display* CreateDisplay(Window* window, i32 width, i32 height, u32 depth, bool fullScreen) {
    if (width <= 0 || height <= 0 || (depth != 8 && depth != 16 && depth != 32)) return nullptr;
    auto* d = new Display;
    d->width = width;
    d->height = height;
    d->depth = depth;
    d->fullScreen = fullScreen;
    if (depth == 16) {
        if (g_layout == PixelLayout::k555) {
            d->rMask = 0x7C00, d->gMask = 0x03E0, d->bMask = 0x001F;
        } else {
            d->rMask = 0xF800, d->gMask = 0x07E0, d->bMask = 0x001F;
        }
    } else if (depth == 32) {
        d->rMask = 0xFF0000, d->gMask = 0x00FF00, d->bMask = 0x0000FF;
    }
    // Until a palette is written, an 8-bit picture shows its indices as grey.
    for (int i = 0; i < 256; ++i) d->palette[i] = PaletteEntry{u8(i), u8(i), u8(i), 0};

    d->window = SdlWindowOf(window);
    if (!d->window || DummyDriver()) {
        d->window = nullptr;
        return d;
    }
    SDL_SetWindowFullscreen(d->window, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    d->renderer = SDL_CreateRenderer(d->window, -1, 0);
    if (!d->renderer) {
        SDL_SetWindowFullscreen(d->window, 0);
        delete d;
        return nullptr;
    }
    Uint32 format = SDL_PIXELFORMAT_XRGB8888;
    if (depth == 16) format = g_layout == PixelLayout::k555 ? SDL_PIXELFORMAT_RGB555 : SDL_PIXELFORMAT_RGB565;
    d->texture = SDL_CreateTexture(d->renderer, format, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!d->texture) {
        SDL_DestroyRenderer(d->renderer);
        SDL_SetWindowFullscreen(d->window, 0);
        delete d;
        return nullptr;
    }
    // After the renderer: making it may re-create the window.
    if (fullScreen) CoverScreenIfLeftSmall(d->window);
    LayOut(d);
    return d;
}

void DestroyDisplay(Display* display) {
    if (!display) return;
    // A renderer on a lost X server cannot be taken down safely: it is left to the process's end.
    if (!DisplayLost()) {
        if (display->texture) SDL_DestroyTexture(display->texture);
        if (display->renderer) SDL_DestroyRenderer(display->renderer);
    }
    delete display;
}

void GetDisplayMasks(const Display* display, u32* r, u32* g, u32* b) {
    if (r) *r = display ? display->rMask : 0;
    if (g) *g = display ? display->gMask : 0;
    if (b) *b = display ? display->bMask : 0;
}

bool IsDisplayHeadless(const Display* display) { return !display || !display->renderer; }

void SetDisplayPalette(Display* display, const PaletteEntry* entries, int first, int count) {
    if (!display || !entries) return;
    for (int i = 0; i < count; ++i)
        if (first + i >= 0 && first + i < 256) display->palette[first + i] = entries[i];
}

void GetDisplayPalette(const Display* display, PaletteEntry* entries, int first, int count) {
    if (!display || !entries) return;
    for (int i = 0; i < count; ++i)
        if (first + i >= 0 && first + i < 256) entries[i] = display->palette[first + i];
}

void PresentDisplay(Display* display, Surface* picture) {
    if (!display) return;
    if (++g_presents == 1) g_firstPresent = i64(std::chrono::steady_clock::now().time_since_epoch().count());
    // The renderer's drawing threads write into buffers of the lost server's connection: no more.
    if (DisplayLost()) return;
    if (!display->renderer || !picture || picture->width != display->width || picture->height != display->height ||
        picture->bitCount != display->depth)
        return;
    LayOut(display);
    if (display->depth == 8) {
        display->expanded.resize(size_t(display->width) * size_t(display->height));
        u32 lut[256];
        for (int i = 0; i < 256; ++i) {
            const PaletteEntry& e = display->palette[i];
            lut[i] = u32(e.red) << 16 | u32(e.green) << 8 | e.blue;
        }
        for (i32 y = 0; y < display->height; ++y) {
            const u8* src = picture->pixels + size_t(y) * size_t(picture->pitch);
            u32* dst = &display->expanded[size_t(y) * size_t(display->width)];
            for (i32 x = 0; x < display->width; ++x) dst[x] = lut[src[x]];
        }
        SDL_UpdateTexture(display->texture, nullptr, display->expanded.data(), display->width * 4);
    } else {
        SDL_UpdateTexture(display->texture, nullptr, picture->pixels, picture->pitch);
    }
    SetPresenting(true);
    SDL_SetRenderDrawColor(display->renderer, 0, 0, 0, 255);
    SDL_RenderClear(display->renderer);
    SDL_RenderCopy(display->renderer, display->texture, nullptr, &display->target);
    SDL_RenderPresent(display->renderer);
    SetPresenting(false);
}

u64 GetPresentCount() { return g_presents; }

i64 GetFirstPresentTicks() { return g_firstPresent; }

}  // namespace plat
