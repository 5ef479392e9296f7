// Demonstration of the survival waves on the sample data through the real scene switch: the title's
// battle entry starts the run (a click skips the intro, a decide takes the entry), the first wave's
// banner plays over the stage, the fight runs, a cleared third wave shows the level-up screen and its
// portrait, and a click goes on to the next wave. The pictures are written as 24-bit ".bmp" files
// (<prefix>_banner.bmp, _fight.bmp, _levelup.bmp, _portrait.bmp). KORVANE_DEBUG shows the battle's
// debug overlay on all of them.
//   survival_demo <output prefix>      (run in the sample data folder; scripts/survival_demo.sh)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "platform/clock.h"
#include "platform/input_fake.h"
#include "platform/window.h"
#include "screens/btl/btl.h"
#include "screens/save/save.h"
#include "screens/survival/lvup.h"
#include "screens/survival/svv.h"
#include "screens/title/title.h"
#include "shell/input/inp.h"
#include "platform/surface.h"
#include "shell/sys.h"
#include "tests/demo/demo_support.h"
#include "tools/writers/bmp_writer.h"

namespace {

plat::FakeInputBackend g_input;

}  // namespace

int main(int argc, char** argv) {
    const std::string prefix = argc > 1 ? argv[1] : "survival_demo";
    if (const char* debug = std::getenv("KORVANE_DEBUG")) SysDebugFlag = u32(std::strtol(debug, nullptr, 10));
    plat::SetInputBackend(&g_input);
    if (!SYS_InitWindow()) {
        std::fprintf(stderr, "survival_demo: no window\n");
        return 1;
    }
    SYS_InitGame();
    SYS_SetSeq(2);

    bool ok = true;
    int bannerTurns = 0, fightTurns = 0, levelUpTurns = 0, portraitShots = 0;
    bool clickNext = false, done = false;
    for (int turn = 0; turn < 1500 && !done; ++turn) {
        const u32 start = plat::GetTimeMs();
        demo::PumpMessages();
        g_input.button[0] = turn == 5 || clickNext;  // the first skips the title's intro
        // In the title's menu a decide takes its first entry, the battle.
        if (SYS_GetSeq(0) == 2 && TitleWork.step == 4) TitleWork.selected = 0;
        g_input.keys[44] = SYS_GetSeq(0) == 2 && TitleWork.step == 4 ? 0x80 : 0;
        clickNext = false;
        // A bare X server gives the window no focus, and the devices follow the focus.
        INP_Acquire();
        SYS_Loop_Main();
        const int state = BTL_GetState(0);
        if (SYS_GetSeq(0) == 4 && state == 16 && ++bannerTurns == 14) ok = demo::SavePicture("survival_demo", prefix + "_banner.bmp") && ok;
        if (SYS_GetSeq(0) == 4 && state == 5 && ++fightTurns == 30) {
            ok = demo::SavePicture("survival_demo", prefix + "_fight.bmp") && ok;
            // The fight stands in until the frame steps are built: two waves count as cleared.
            SvvWave = 2;
            // Made-up uses of the equipped techniques, one of them near its next level.
            for (int i = 0; i < GAME_EQUIP_MAX; ++i) {
                const int g = GameData.equip[i] / 3;
                if (g < 0 || g >= GAME_EXP_MAX) continue;
                WAZA_EXP& e = GameData.exp[g];
                e.useCnt += 3 + i;
                e.shownExp = i16(40 * i);
                e.exp = i16(e.shownExp + (i == 4 ? 1100 : 150 + 30 * i));
                e.damage = i16(100 * i);
            }
            BTL_SetState(17);
        }
        if (state == 17 && LvupStep == 2 && ++levelUpTurns == 4) {
            ok = demo::SavePicture("survival_demo", prefix + "_levelup.bmp") && ok;
            clickNext = true;
        }
        if (state == 18 && SvvPortraitStep == 4 && portraitShots++ == 3) {
            ok = demo::SavePicture("survival_demo", prefix + "_portrait.bmp") && ok;
            clickNext = true;
        }
        if (portraitShots > 0 && state == 16) done = true;
        const u32 spent = plat::GetTimeMs() - start;
        if (spent < 34) plat::SleepMs(34 - spent);
    }
    if (!done) {
        std::fprintf(stderr, "survival_demo: the run did not reach the next wave\n");
        ok = false;
    }

    demo::ShutDown();
    return ok ? 0 : 1;
}
