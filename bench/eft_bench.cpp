// Effects: creating and deleting one effect, and one frame's walk over a battle's worth of moving,
// bouncing and fading effects (kept at the same count by topping up after each frame).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "battle/effect/eft.h"
#include "battle/map/map.h"
#include "battle/object/obj.h"
#include "graphics/display/disp.h"
#include "graphics/sprite/spr.h"
#include "platform/random.h"
#include "shell/common.h"
#include "tools/writers/hud_writer.h"

namespace {

struct EffectScene {
    EffectScene() {
        DISP_Init(nullptr, 640, 480, 16, 1, 0, 1);
        SPR_Init();
        std::string tmpl = (std::filesystem::temp_directory_path() / "korvane-eft-XXXXXX").string();
        dir = mkdtemp(tmpl.data()) ? tmpl : std::string();
        tools::SaveEffectSet(dir);
        const std::filesystem::path old = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        InitCommon();
        EFT_Init();
        std::filesystem::current_path(old);
        InitCommon();
        OBJ_Init();
        cells.assign(std::size_t(120) * 90, MAP_CELL{});
        map.mapNo = 1;
        map.width = 120;
        map.height = 90;
        map.pixelW = 120 * 16;
        map.pixelH = 90 * 16;
        map.cells = cells.data();
        MAP_SetMapPtr(&map);
        plat::SRand(9);
    }
    ~EffectScene() {
        MAP_SetMapPtr(nullptr);
        OBJ_FreeAll();
        EFT_Term();
        SPR_Release();
        SPR_ReleaseSurfAll();
        DISP_Release();
        std::error_code ec;
        if (!dir.empty()) std::filesystem::remove_all(dir, ec);
    }
    // Moving flashes, bouncing debris, smoke and sparks from spawners, in turn.
    void Spawn(int i) {
        static constexpr int kTypes[] = {13, 14, 18, 2, 7};
        const int type = kTypes[i % 5];
        LIST_DATA* e = OBJ_Get(EFT_Create(type, nullptr, 400 + i % 800, 300 + i % 600, 20));
        if (e && type == 13) {
            e->subStep = 2;
            e->vx16 = 0x8000;
        }
    }
    std::string dir;
    std::vector<MAP_CELL> cells;
    MAP_DATA map{};
};

void BM_EftCreateDelete(benchmark::State& state) {
    EffectScene scene;
    for (auto _ : state) {
        LIST_DATA* e = OBJ_Get(EFT_Create(7, nullptr, 500, 400, 0));
        benchmark::DoNotOptimize(e);
        EFT_Delete(e);
    }
}
BENCHMARK(BM_EftCreateDelete);

void BM_EftRenewFrame(benchmark::State& state) {
    EffectScene scene;
    const int count = int(state.range(0));
    const OBJ_RENEW_FUNC funcs[OBJ_KIND_COUNT] = {nullptr, nullptr, nullptr, EFT_Renew, nullptr, nullptr};
    int made = 0;
    for (auto _ : state) {
        while (EftCnt < count) scene.Spawn(made++);
        OBJ_RenewAll(funcs);
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_EftRenewFrame)->Arg(300)->Unit(benchmark::kMicrosecond);

}  // namespace
