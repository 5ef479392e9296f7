// The map's share of a drawn frame: a camera step that scrolls the ring buffer by 15 pixels on both
// axes (one new chip column and row, and the background objects over them) against a full redraw of
// the buffer, on a generated 120×90 stage with objects.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "battle/map/cam.h"
#include "battle/map/map.h"
#include "battle/map/scr.h"
#include "graphics/display/disp.h"
#include "graphics/sprite/spr.h"
#include "shell/common.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/grp_writer.h"
#include "tools/writers/map_writer.h"

namespace {

tools::GrpImage Sheet(u32 w, u32 h, bool holes) {
    tools::GrpImage img;
    img.width = w;
    img.height = h;
    img.pixels.resize(size_t(w) * h * 2);
    for (u32 y = 0; y < h; ++y)
        for (u32 x = 0; x < w; ++x) {
            const u16 v = holes && (x + y) % 5 == 0 ? 0 : u16(1 + (x * 37 + y * 11) % 0x7FFE);
            img.pixels[(size_t(y) * w + x) * 2] = u8(v);
            img.pixels[(size_t(y) * w + x) * 2 + 1] = u8(v >> 8);
        }
    return img;
}

struct MapScene {
    MapScene() {
        DISP_Init(nullptr, 640, 480, 16, 1, 0, 1);
        SPR_Init();
        DISP_SetClipRect(0, 0, 640, 480);
        std::string tmpl = (std::filesystem::temp_directory_path() / "korvane-map-XXXXXX").string();
        dir = mkdtemp(tmpl.data()) ? tmpl : std::string();
        const std::string base = dir + "/Bmp/Map/01_0_L";
        std::mt19937 rng(3);
        tools::MapDef m;
        m.width = 120;
        m.height = 90;
        for (int i = 0; i < 120 * 90; ++i) {
            m.chips.push_back(u16(rng() % 120));
            m.objs.push_back(rng() % 20 == 0 ? u16(1 + rng() % 3) : 0);
            m.attrA.push_back(0);
            m.attrB.push_back(0);
        }
        tools::SaveGrp(base + "_f.grp", Sheet(640, 48, false), false);
        tools::SaveGrp(base + "_o.grp", Sheet(256, 128, true), false);
        tools::SaveFile(base + "_o.csp", tools::CspBytes({{0, 0, 48, 80, 16, 64}, {64, 0, 96, 40, 40, 24},
                                                          {0, 80, 33, 47, 8, 30}}));
        tools::SaveFile(base + ".map", tools::MapBytes(m));
        const std::filesystem::path old = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        InitCommon();
        MAP_Open(1, 0, 0);
        std::filesystem::current_path(old);
        InitCommon();
    }
    ~MapScene() {
        MAP_Close();
        SPR_Release();
        SPR_ReleaseSurfAll();
        DISP_Release();
        std::error_code ec;
        if (!dir.empty()) std::filesystem::remove_all(dir, ec);
    }
    std::string dir;
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
