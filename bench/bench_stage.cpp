#include "bench/bench_stage.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "battle/map/map.h"
#include "graphics/display/disp.h"
#include "graphics/sprite/spr.h"
#include "shell/common.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/grp_writer.h"
#include "tools/writers/map_writer.h"

namespace {

u16 ChipPixel(u32 x, u32 y) { return u16(1 + (x * 37 + y * 11) % 0x7FFE); }
// The object sheet: keyed holes on a lattice.
u16 ObjPixel(u32 x, u32 y) { return (x + y) % 5 == 0 ? 0 : ChipPixel(x, y); }

}  // namespace

BenchStage::BenchStage(u32 seed) : rng(seed) {
    DISP_Init(nullptr, 640, 480, 16, 1, 0, 1);
    SPR_Init();
    DISP_SetClipRect(0, 0, 640, 480);
    std::string tmpl = (std::filesystem::temp_directory_path() / "korvane-stage-XXXXXX").string();
    dir = mkdtemp(tmpl.data()) ? tmpl : std::string();
    const std::string base = dir + "/Bmp/Map/01_0_L";
    tools::MapDef m;
    m.width = 120;
    m.height = 90;
    for (int i = 0; i < 120 * 90; ++i) {
        m.chips.push_back(u16(rng() % 120));
        m.objs.push_back(rng() % 20 == 0 ? u16(1 + rng() % 3) : 0);
        m.attrA.push_back(0);
        m.attrB.push_back(0);
    }
    tools::SaveGrp(base + "_f.grp", tools::Grp16(640, 48, ChipPixel), false);
    tools::SaveGrp(base + "_o.grp", tools::Grp16(256, 128, ObjPixel), false);
    tools::SaveFile(base + "_o.csp", tools::CspBytes({{0, 0, 48, 80, 16, 64}, {64, 0, 96, 40, 40, 24},
                                                      {0, 80, 33, 47, 8, 30}}));
    tools::SaveFile(base + ".map", tools::MapBytes(m));
}

BenchStage::~BenchStage() {
    MAP_Close();
    SPR_Release();
    SPR_ReleaseSurfAll();
    DISP_Release();
    std::error_code ec;
    if (!dir.empty()) std::filesystem::remove_all(dir, ec);
}

void BenchStage::InFolder(const std::function<void()>& f) {
    const std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    InitCommon();
    f();
    std::filesystem::current_path(old);
    InitCommon();
}
