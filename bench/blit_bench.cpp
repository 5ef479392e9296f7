// The blit families on a 640×480 565 back buffer with a 128×128 keyed sprite tiled over it, beside
// SDL's software blitter doing the nearest equivalent and a plain memcpy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

#include "graphics/blit/blt.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "platform/bench_sdl.h"

namespace {

constexpr i32 kW = 640, kH = 480, kSprite = 128, kScaled = 160;

struct Scene {
    plat::Surface* dst;
    plat::Surface* src;
    Scene() {
        BLT_InitBlendTbl();
        DispClipRect = RECT{0, 0, kW, kH};
        dst = plat::CreateSurface(kW, kH, 16, 0xF800, 0x07E0, 0x001F, plat::kCapsSystemMemory);
        src = plat::CreateSurface(kSprite, kSprite, 16, 0xF800, 0x07E0, 0x001F, plat::kCapsSystemMemory);
        plat::SetColorKey(src, 0, 0);
        std::mt19937 rng(5);
        auto* d = reinterpret_cast<u16*>(dst->pixels);
        for (i32 i = 0; i < kW * kH; ++i) d[i] = u16(rng() | 1);
        // A round shape: the corners (about a fifth of the sprite) are the key.
        for (i32 y = 0; y < kSprite; ++y)
            for (i32 x = 0; x < kSprite; ++x) {
                const i32 dx = x - 64, dy = y - 64;
                u16 v = dx * dx + dy * dy < 64 * 64 ? u16(rng() | 1) : 0;
                std::memcpy(src->pixels + y * src->pitch + x * 2, &v, 2);
            }
    }
    ~Scene() {
        plat::ReleaseSurface(src);
        plat::ReleaseSurface(dst);
    }
};

Scene& TheScene() {
    static Scene scene;
    return scene;
}

// One frame: the sprite at every tile position (the last row clipped by the frame).
template <class Fn>
void Tiles(Fn fn) {
    for (i32 y = 0; y < kH; y += kSprite)
        for (i32 x = 0; x < kW; x += kSprite) fn(x, y);
}

template <class Fn>
void ScaledTiles(Fn fn) {
    for (i32 y = 0; y < kH; y += kScaled)
        for (i32 x = 0; x < kW; x += kScaled) fn(x, y);
}

void Report(benchmark::State& state) {
    state.SetBytesProcessed(i64(state.iterations()) * kW * kH * 2);
}

void BM_Memcpy(benchmark::State& state) {
    Scene& s = TheScene();
    for (auto _ : state) {
        Tiles([&](i32 x, i32 y) {
            const i32 rows = y + kSprite > kH ? kH - y : kSprite;
            for (i32 r = 0; r < rows; ++r)
                std::memcpy(s.dst->pixels + (y + r) * s.dst->pitch + x * 2, s.src->pixels + r * s.src->pitch,
                            kSprite * 2);
        });
        benchmark::DoNotOptimize(s.dst->pixels);
    }
    Report(state);
}

template <class Blit>
void RunOurs(benchmark::State& state, Blit blit) {
    Scene& s = TheScene();
    for (auto _ : state) {
        Tiles([&](i32 x, i32 y) { blit(s.dst, x, y, s.src); });
        benchmark::DoNotOptimize(s.dst->pixels);
    }
    Report(state);
}

void RunSdl(benchmark::State& state, plat::SdlBlitReference::Mode mode) {
    Scene& s = TheScene();
    plat::SdlBlitReference ref(s.dst, s.src, mode);
    if (!ref.ok()) {
        state.SkipWithError("SDL surfaces");
        return;
    }
    for (auto _ : state) {
        if (mode == plat::SdlBlitReference::kKeyedScaled) ScaledTiles([&](i32 x, i32 y) { ref.Blit(x, y, kScaled, kScaled); });
        else Tiles([&](i32 x, i32 y) { ref.Blit(x, y, kSprite, kSprite); });
        benchmark::DoNotOptimize(s.dst->pixels);
    }
    Report(state);
}

void BM_KeyedCopy(benchmark::State& st) {
    RunOurs(st, [](plat::Surface* d, i32 x, i32 y, plat::Surface* s) { BLT_Copy(d, x, y, s, nullptr, 1); });
}
void BM_ScaledCopy(benchmark::State& st) {
    Scene& s = TheScene();
    for (auto _ : st) {
        ScaledTiles([&](i32 x, i32 y) {
            const RECT r{x, y, x + kScaled, y + kScaled};
            BLT_CopyScaled(s.dst, &r, s.src, nullptr, 0, 1);
        });
        benchmark::DoNotOptimize(s.dst->pixels);
    }
    Report(st);
}
void BM_AlphaScaledHalf(benchmark::State& st) {
    Scene& s = TheScene();
    for (auto _ : st) {
        ScaledTiles([&](i32 x, i32 y) {
            RECT r{x, y, x + kScaled, y + kScaled};
            BLT_AlphaScaled(s.dst, &r, s.src, nullptr, 16, 0, 1);
        });
        benchmark::DoNotOptimize(s.dst->pixels);
    }
    Report(st);
}
void BM_AlphaHalf(benchmark::State& st) {
    RunOurs(st, [](plat::Surface* d, i32 x, i32 y, plat::Surface* s) { BLT_Alpha(d, x, y, s, nullptr, 16, 0, 1); });
}
void BM_AlphaAdd(benchmark::State& st) {
    RunOurs(st, [](plat::Surface* d, i32 x, i32 y, plat::Surface* s) { BLT_AlphaAdd(d, x, y, s, nullptr, 32, 0, 1); });
}
void BM_Add100(benchmark::State& st) {
    RunOurs(st, [](plat::Surface* d, i32 x, i32 y, plat::Surface* s) { BLT_Add100(d, x, y, s, nullptr, 0, 1); });
}
void BM_Alpha50(benchmark::State& st) {
    RunOurs(st, [](plat::Surface* d, i32 x, i32 y, plat::Surface* s) { BLT_Alpha50(d, x, y, s, nullptr, 0, 1); });
}
void BM_Sub100(benchmark::State& st) {
    RunOurs(st, [](plat::Surface* d, i32 x, i32 y, plat::Surface* s) { BLT_Sub100(d, x, y, s, nullptr, 0, 1); });
}
void BM_Tone(benchmark::State& st) {
    RunOurs(st, [](plat::Surface* d, i32 x, i32 y, plat::Surface* s) { BLT_Tone(d, x, y, s, nullptr, 20, 0, 1); });
}
void BM_ToneRGB(benchmark::State& st) {
    RunOurs(st, [](plat::Surface* d, i32 x, i32 y, plat::Surface* s) {
        BLT_ToneRGB(d, x, y, s, nullptr, 20, 25, 40, 0, 1);
    });
}
void BM_Mesh(benchmark::State& st) {
    RunOurs(st, [](plat::Surface* d, i32 x, i32 y, plat::Surface* s) { BLT_Mesh(d, x, y, s, nullptr, 8, 0, 1); });
}
void BM_Dark(benchmark::State& st) {
    DispPixelFormat.maskR = 0xF800;
    DispPixelFormat.maskG = 0x07E0;
    DispPixelFormat.maskB = 0x001F;
    RunOurs(st, [](plat::Surface* d, i32 x, i32 y, plat::Surface* s) { BLT_Dark(d, x, y, s, nullptr, 16, 0, 1); });
}
void BM_AlphaMirrored(benchmark::State& st) {
    RunOurs(st, [](plat::Surface* d, i32 x, i32 y, plat::Surface* s) {
        BLT_Alpha(d, x, y, s, nullptr, 16, BLT_MIRROR_LR | BLT_MIRROR_UD, 1);
    });
}

void BM_Sdl_KeyedCopy(benchmark::State& st) { RunSdl(st, plat::SdlBlitReference::kKeyedCopy); }
void BM_Sdl_KeyedScaled(benchmark::State& st) { RunSdl(st, plat::SdlBlitReference::kKeyedScaled); }
void BM_Sdl_KeyedBlend128(benchmark::State& st) { RunSdl(st, plat::SdlBlitReference::kKeyedHalf); }
void BM_Sdl_KeyedAdd(benchmark::State& st) { RunSdl(st, plat::SdlBlitReference::kKeyedAdd); }
void BM_Sdl_KeyedColorMod(benchmark::State& st) { RunSdl(st, plat::SdlBlitReference::kKeyedTone); }

}  // namespace

BENCHMARK(BM_Memcpy);
BENCHMARK(BM_KeyedCopy);
BENCHMARK(BM_Sdl_KeyedCopy);
BENCHMARK(BM_ScaledCopy);
BENCHMARK(BM_AlphaScaledHalf);
BENCHMARK(BM_Sdl_KeyedScaled);
BENCHMARK(BM_AlphaHalf);
BENCHMARK(BM_AlphaMirrored);
BENCHMARK(BM_Alpha50);
BENCHMARK(BM_Sdl_KeyedBlend128);
BENCHMARK(BM_AlphaAdd);
BENCHMARK(BM_Add100);
BENCHMARK(BM_Sdl_KeyedAdd);
BENCHMARK(BM_Sub100);
BENCHMARK(BM_Tone);
BENCHMARK(BM_ToneRGB);
BENCHMARK(BM_Sdl_KeyedColorMod);
BENCHMARK(BM_Mesh);
BENCHMARK(BM_Dark);
