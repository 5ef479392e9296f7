// The depth-generic bodies behind the named primitive functions. P is the pixel type (u8, u16, u32).
// Coordinates are widened to 64 bits inside so that offsets such as cx + r never overflow.
#pragma once
#include <cstring>
#include <utility>

#include "graphics/blit/prim.h"
#include "platform/surface.h"

namespace prim_detail {

inline i64 Width(const PRIM_DESC* d) { return i64(d->width); }
inline i64 Height(const PRIM_DESC* d) { return i64(d->height); }

template <class P>
P* Row(const PRIM_DESC* d, i64 y) {
    return reinterpret_cast<P*>(static_cast<u8*>(d->pixels) + y * d->pitch);
}

template <class P>
void PutPixel(const PRIM_DESC* d, i64 x, i64 y, u32 color) {
    if (x < 0 || x >= Width(d) || y < 0 || y >= Height(d)) return;
    Row<P>(d, y)[x] = P(color);
}

template <class P>
void HLine(const PRIM_DESC* d, i64 x1, i64 x2, i64 y, u32 color) {
    if (y < 0 || y >= Height(d)) return;
    if (x1 > x2) std::swap(x1, x2);
    if (x1 < 0) x1 = 0;
    if (x2 >= Width(d)) x2 = Width(d) - 1;
    if (x1 >= Width(d) || x2 < 0 || x1 > x2) return;
    P* row = Row<P>(d, y);
    if constexpr (sizeof(P) == 1) {
        std::memset(row + x1, int(u8(color)), size_t(x2 - x1 + 1));
    } else {
        for (i64 x = x1; x <= x2; ++x) row[x] = P(color);
    }
}

template <class P>
void VLine(const PRIM_DESC* d, i64 y1, i64 y2, i64 x, u32 color) {
    if (x < 0 || x >= Width(d)) return;
    if (y1 > y2) std::swap(y1, y2);
    if (y1 < 0) y1 = 0;
    if (y2 >= Height(d)) y2 = Height(d) - 1;
    if (y1 >= Height(d) || y2 < 0 || y1 > y2) return;
    for (i64 y = y1; y <= y2; ++y) Row<P>(d, y)[x] = P(color);
}

template <class P>
void Line(const PRIM_DESC* d, i32 x1, i32 y1, i32 x2, i32 y2, u32 color) {
    if (!PRIM_ClipLine(d, x1, y1, x2, y2)) return;
    // A line that passes outside a corner keeps an end outside after clipping: it draws nothing.
    const i64 w = Width(d), h = Height(d);
    if (x1 < 0 || x1 >= w || x2 < 0 || x2 >= w || y1 < 0 || y1 >= h || y2 < 0 || y2 >= h) return;
    const i64 dx = x2 > x1 ? i64(x2) - x1 : i64(x1) - x2;
    const i64 dy = y2 > y1 ? i64(y2) - y1 : i64(y1) - y2;
    if (dx > dy) {
        if (x1 > x2) { std::swap(x1, x2); std::swap(y1, y2); }
        const i64 s = y2 > y1 ? 1 : -1;
        i64 x = x1, y = y1, e = dx >> 1;
        Row<P>(d, y)[x] = P(color);
        for (i64 i = 0; i < dx; ++i) {
            ++x;
            e -= dy;
            if (e < 0) { e += dx; y += s; }
            Row<P>(d, y)[x] = P(color);
        }
    } else {
        if (y1 > y2) { std::swap(x1, x2); std::swap(y1, y2); }
        const i64 s = x2 > x1 ? 1 : -1;
        i64 x = x1, y = y1, e = dy >> 1;
        Row<P>(d, y)[x] = P(color);
        for (i64 i = 0; i < dy; ++i) {
            ++y;
            e -= dx;
            if (e < 0) { e += dy; x += s; }
            Row<P>(d, y)[x] = P(color);
        }
    }
}

template <class P>
void Rect(const PRIM_DESC* d, i64 x1, i64 y1, i64 x2, i64 y2, u32 color) {
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    HLine<P>(d, x1, x2, y1, color);
    HLine<P>(d, x1, x2, y2, color);
    VLine<P>(d, y1, y2, x1, color);
    VLine<P>(d, y1, y2, x2, color);
}

template <class P>
void RectFill(const PRIM_DESC* d, i64 x1, i64 y1, i64 x2, i64 y2, u32 color) {
    if (x1 < 0) x1 = 0;
    if (y1 < 0) y1 = 0;
    if (x2 >= Width(d)) x2 = Width(d) - 1;
    if (y2 >= Height(d)) y2 = Height(d) - 1;
    if (x2 < x1 || y2 < y1) return;
    for (i64 y = y1; y <= y2; ++y) {
        P* row = Row<P>(d, y);
        if constexpr (sizeof(P) == 1) {
            std::memset(row + x1, int(u8(color)), size_t(x2 - x1 + 1));
        } else {
            for (i64 x = x1; x <= x2; ++x) row[x] = P(color);
        }
    }
}

// Runs fn on the locked description of the whole surface; a failed lock draws nothing and does
// not unlock.
template <class Fn>
void WithLock(plat::Surface* surface, Fn&& fn) {
    plat::SurfaceDesc desc;
    std::memset(&desc, 0, sizeof(desc));
    if (plat::LockSurface(surface, &desc) != 0) return;
    fn(&desc);
    plat::UnlockSurface(surface);
}

// Runs fn<P> by the description's depth; any other depth draws nothing.
template <class Fn>
void Dispatch(const PRIM_DESC* d, Fn&& fn) {
    switch (d->bitCount) {
        case 8: fn.template operator()<u8>(); break;
        case 16: fn.template operator()<u16>(); break;
        case 32: fn.template operator()<u32>(); break;
        default: break;
    }
}

}  // namespace prim_detail

// Defines the eight members of one operation: PRIM_<Name>8/16/32 on a description, their Lock
// wrappers, the dispatcher PRIM_<Name> and PRIM_<Name>Lock. PARAMS and ARGS are parenthesised lists.
#define PRIM_UNPAREN(...) __VA_ARGS__
#define PRIM_DEFINE_FAMILY(Name, Body, PARAMS, ARGS)                                                         \
    void PRIM_##Name##8(const PRIM_DESC* d, PRIM_UNPAREN PARAMS) { Body<u8>(d, PRIM_UNPAREN ARGS); }         \
    void PRIM_##Name##16(const PRIM_DESC* d, PRIM_UNPAREN PARAMS) { Body<u16>(d, PRIM_UNPAREN ARGS); }       \
    void PRIM_##Name##32(const PRIM_DESC* d, PRIM_UNPAREN PARAMS) { Body<u32>(d, PRIM_UNPAREN ARGS); }       \
    void PRIM_##Name##8Lock(plat::Surface* s, PRIM_UNPAREN PARAMS) {                                         \
        prim_detail::WithLock(s, [&](const PRIM_DESC* d) { Body<u8>(d, PRIM_UNPAREN ARGS); });               \
    }                                                                                                        \
    void PRIM_##Name##16Lock(plat::Surface* s, PRIM_UNPAREN PARAMS) {                                        \
        prim_detail::WithLock(s, [&](const PRIM_DESC* d) { Body<u16>(d, PRIM_UNPAREN ARGS); });              \
    }                                                                                                        \
    void PRIM_##Name##32Lock(plat::Surface* s, PRIM_UNPAREN PARAMS) {                                        \
        prim_detail::WithLock(s, [&](const PRIM_DESC* d) { Body<u32>(d, PRIM_UNPAREN ARGS); });              \
    }                                                                                                        \
    void PRIM_##Name(const PRIM_DESC* d, PRIM_UNPAREN PARAMS) {                                              \
        prim_detail::Dispatch(d, [&]<class P>() { Body<P>(d, PRIM_UNPAREN ARGS); });                         \
    }                                                                                                        \
    void PRIM_##Name##Lock(plat::Surface* s, PRIM_UNPAREN PARAMS) {                                          \
        prim_detail::WithLock(s, [&](const PRIM_DESC* d) {                                                   \
            prim_detail::Dispatch(d, [&]<class P>() { Body<P>(d, PRIM_UNPAREN ARGS); });                     \
        });                                                                                                  \
    }
