// The map's share of a drawn frame: a camera step that scrolls the ring buffer by 15 pixels on both
// axes (one new chip column and row, and the background objects over them) against a full redraw of
// the buffer, on a generated 120×90 stage with objects.
#include <benchmark/benchmark.h>

#include "battle/map/cam.h"
#include "battle/map/map.h"
#include "battle/map/scr.h"
#include "bench/bench_stage.h"

namespace {

struct MapScene : BenchStage {
    MapScene() : BenchStage(3) {
        InFolder([] { MAP_Open(1, 0, 0); });
    }
};

void BM_CameraStep15(benchmark::State& state) {
    MapScene scene;
    CAM_Setup(CAM_MODE_POINT, nullptr, nullptr);
    CAM_SetSpeed(-999, -999, 21);  // 21 along the diagonal: about 15 pixels on each axis
    CAM_SetPos(400, 300);
    SCR_Redraw(400, 300);
    const u32 chips = ScrDrawChipCnt;
    for (auto _ : state) {
        if (CAM_CheckStop()) {
            const bool there = CamData.x > 900;
            CamData.fixX = there ? 400 : 1500;
            CamData.fixY = there ? 300 : 1100;
        }
        SCR_Renew(0);
    }
    state.counters["chips/frame"] = double(ScrDrawChipCnt - chips) / double(state.iterations());
}
BENCHMARK(BM_CameraStep15)->Unit(benchmark::kMicrosecond);

void BM_FullRedraw(benchmark::State& state) {
    MapScene scene;
    int i = 0;
    const u32 chips = ScrDrawChipCnt;
    for (auto _ : state) SCR_Redraw(700 + (i++ & 1) * 16, 600);
    state.counters["chips/frame"] = double(ScrDrawChipCnt - chips) / double(state.iterations());
}
BENCHMARK(BM_FullRedraw)->Unit(benchmark::kMicrosecond);

}  // namespace
