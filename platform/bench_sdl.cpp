#include "platform/bench_sdl.h"

#include <SDL.h>

namespace plat {

namespace {

SDL_Surface* View(Surface* s) {
    if (!s || s->bitCount != 16) return nullptr;
    return SDL_CreateRGBSurfaceFrom(s->pixels, s->width, s->height, 16, s->pitch, s->rMask, s->gMask, s->bMask, 0);
}

}  // namespace

SdlBlitReference::SdlBlitReference(Surface* dst, Surface* src, Mode mode) : mode_(mode) {
    SDL_Surface* d = View(dst);
    SDL_Surface* s = View(src);
    dst_ = d;
    src_ = s;
    if (!d || !s) return;
    SDL_SetColorKey(s, SDL_TRUE, 0);
    switch (mode) {
        case kKeyedHalf:
            SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_BLEND);
            SDL_SetSurfaceAlphaMod(s, 128);
            break;
        case kKeyedAdd: SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_ADD); break;
        case kKeyedTone: SDL_SetSurfaceColorMod(s, 160, 160, 160); break;
        default: SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE); break;
    }
}

SdlBlitReference::~SdlBlitReference() {
    SDL_FreeSurface(static_cast<SDL_Surface*>(src_));
    SDL_FreeSurface(static_cast<SDL_Surface*>(dst_));
}

void SdlBlitReference::Blit(i32 x, i32 y, i32 w, i32 h) {
    if (!ok()) return;
    auto* s = static_cast<SDL_Surface*>(src_);
    auto* d = static_cast<SDL_Surface*>(dst_);
    SDL_Rect to{x, y, w, h};
    if (mode_ == kKeyedScaled) SDL_BlitScaled(s, nullptr, d, &to);
    else SDL_BlitSurface(s, nullptr, d, &to);
}

}  // namespace plat
