// The per-frame sprite pass: sorting a full table, and drawing it (32×32 keyed parts, plain copies and
// alpha blends) onto the 640×480 back buffer of a headless display.
#include <benchmark/benchmark.h>

#include <random>

#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/display.h"
#include "platform/memory.h"

namespace {

struct SpriteScene {
    SpriteScene() {
        DISP_Init(nullptr, 640, 480, 16, 1, 0, 1);
        SPR_Init();
        DISP_SetClipRect(0, 0, 640, 480);
        const int img = SPR_CreateSurf(32, 32, 0);
        const RECT inner{4, 4, 28, 28};
        SURF_Fill(SPR_GetSlotSurf(img), &inner, 0x7BEF);
        auto* page = static_cast<SPR_PAGE*>(plat::GlobalAllocZero(sizeof(SPR_PAGE)));
        page->partCount = 1;
        page->parts = static_cast<SPR_PART*>(plat::GlobalAllocZero(sizeof(SPR_PART)));
        page->parts[0].image = u16(img);
        page->parts[0].dest = RECT{-16, -32, 16, 0};
        page->parts[0].src = RECT{0, 0, 32, 32};
        SprPageTbl[0] = page;
        SprGrpTbl[0].pageCount = 1;
        std::mt19937 rng(7);
        for (int s = 0; s < SPR_MAX; ++s) SPR_CreateSpr(s, int(rng() % 64), int(rng() % 640), int(rng() % 480 + 32), 0, 0);
    }
    ~SpriteScene() {
        SPR_Release();
        SPR_ReleaseSurfAll();
        DISP_Release();
    }
};

void BM_SortFullTable(benchmark::State& state) {
    SpriteScene scene;
    u16 list[SPR_MAX + 1];
    for (auto _ : state) {
        SPR_SortSpr(list);
        benchmark::DoNotOptimize(list);
    }
}
BENCHMARK(BM_SortFullTable);

void BM_DrawFullTable(benchmark::State& state) {
    SpriteScene scene;
    for (int s = 0; s < SPR_MAX; ++s) {
        SPR_SetSprAttr(s, u32(state.range(0)));
        SPR_SetSprAttrCnt1(s, 16);
    }
    for (auto _ : state) SPR_DrawAllSpr(-1);
    state.SetItemsProcessed(state.iterations() * SPR_MAX);
}
BENCHMARK(BM_DrawFullTable)->Arg(0)->Arg(0x40)->Unit(benchmark::kMicrosecond);

}  // namespace
