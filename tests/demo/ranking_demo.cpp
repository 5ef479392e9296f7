// Demonstration of the ranking table on the sample data: a made-up history is viewed as from the
// title and the picture is written once the table stands, as a 24-bit ".bmp" (<prefix>_ranking.bmp).
//   ranking_demo <output prefix>      (run in the sample data folder; scripts/ranking_demo.sh)
#include <cstdio>
#include <cstring>
#include <string>

#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/clock.h"
#include "platform/input_fake.h"
#include "platform/window.h"
#include "screens/ranking/his.h"
#include "platform/surface.h"
#include "shell/sys.h"
#include "tests/demo/demo_support.h"
#include "tools/writers/bmp_writer.h"

namespace {

plat::FakeInputBackend g_input;

}  // namespace

int main(int argc, char** argv) {
    const std::string prefix = argc > 1 ? argv[1] : "ranking_demo";
    plat::SetInputBackend(&g_input);
    if (!SYS_InitWindow()) {
        std::fprintf(stderr, "ranking_demo: no window\n");
        return 1;
    }
    SYS_InitGame();
    for (int i = 0; i < HIS_ENTRY_MAX; ++i) {
        HIS_ENTRY& e = HisData.entry[i];
        e.waves = 120 - 11 * i;
        const u16 time[8] = {2026, u16(1 + i), 0, u16(3 + 2 * i), u16(8 + i), u16(5 * i), u16(59 - i), 0};
        std::memcpy(e.time, time, sizeof time);
    }
    HIS_SetMode(1);
    bool ok = true;
    for (int frame = 0; frame < 60; ++frame) {
        const u32 start = plat::GetTimeMs();
        demo::PumpMessages();
        HIS_Loop();
        SPR_DrawAllSpr(-1);
        if (frame == 59) ok = demo::SavePicture("ranking_demo", prefix + "_ranking.bmp");
        DISP_Flip();
        const u32 spent = plat::GetTimeMs() - start;
        if (spent < 33) plat::SleepMs(33 - spent);
    }
    demo::ShutDown();
    return ok ? 0 : 1;
}
