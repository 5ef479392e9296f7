// 16-bit software drawing over a whole 640×480 frame.
#include <benchmark/benchmark.h>

#include <vector>

#include "graphics/blit/drw.h"
#include "graphics/display/disp.h"

namespace {

void Use565() {
    DispPixelFormat = {31, 63, 31, 3, 2, 3, 0, 5, 11, 0xF800, 0x07E0, 0x001F};
}

struct Frame {
    std::vector<u16> px = std::vector<u16>(640 * 480);
    DRW_BUFFER buf{nullptr, 640, 480};
    Frame() {
        u16 v = 1;
        for (u16& p : px) p = v = u16(v * 31421u + 6927u);
        buf.pixels = px.data();
    }
};

void BM_AlphaBlend(benchmark::State& state) {
    Use565();
    Frame dst, src;
    for (auto _ : state) DWW_DrawObjectAlpha(&dst.buf, 0, 0, 640, 480, &src.buf, 0, 0, 100, DRW_NO_KEY);
    state.SetItemsProcessed(state.iterations() * 640 * 480);
}
BENCHMARK(BM_AlphaBlend);

void BM_HalfBlend(benchmark::State& state) {
    Use565();
    Frame dst, src;
    ProcessorClass = int(state.range(0));
    for (auto _ : state) DWW_DrawObjectBH(&dst.buf, 0, 0, 640, 480, &src.buf, 0, 0, DRW_NO_KEY);
    state.SetItemsProcessed(state.iterations() * 640 * 480);
}
BENCHMARK(BM_HalfBlend)->Arg(1)->Arg(4);

void BM_FadeInBlack(benchmark::State& state) {
    Use565();
    Frame dst, src;
    for (auto _ : state)
        FadeInBlack(dst.px.data(), 0, 0, 640, 480, 640, 480, src.px.data(), 0, 0, 640, 480, 20, DRW_NO_KEY, nullptr);
    state.SetItemsProcessed(state.iterations() * 640 * 480);
}
BENCHMARK(BM_FadeInBlack);

void BM_FillAlpha(benchmark::State& state) {
    Use565();
    Frame dst;
    for (auto _ : state) DRWW_Fill(&dst.buf, 0, 0, 640, 480, 0x1234, 100);
    state.SetItemsProcessed(state.iterations() * 640 * 480);
}
BENCHMARK(BM_FillAlpha);

}  // namespace
