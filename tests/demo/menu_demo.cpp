// Demonstration of the battle's pause menu on the sample data through the real scene switch, with the
// debug flag on: the keys take the title's battle entry, M during the fight opens the menus over the
// tinted fight, and scripted keys walk through them. The pictures are written as 24-bit ".bmp" files:
// <prefix>_main.bmp (the main menu), _equip.bmp (the equipment grid with the category picker),
// _mech.bmp (the mech cards) and _waza.bmp (the player's technique list).
//   menu_demo <output prefix>      (run in the sample data folder; scripts/menu_demo.sh)
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "graphics/display/disp.h"
#include "platform/clock.h"
#include "platform/input_fake.h"
#include "platform/surface.h"
#include "platform/window.h"
#include "screens/btl/btl.h"
#include "screens/menu/menu.h"
#include "shell/input/inp.h"
#include "shell/sys.h"
#include "tests/demo/demo_support.h"
#include "tests/e2e/title_entry.h"

namespace {

plat::FakeInputBackend g_input;
constexpr int kDikUp = 72, kDikDown = 80, kDikRight = 77, kDikLeft = 75, kDikDecide = 44, kDikCancel = 45;

// One scripted step: waits until `ready` holds (and `settle` more turns), then acts once.
struct Step {
    std::function<bool()> ready;
    int settle;
    std::function<void()> act;
};

}  // namespace

int main(int argc, char** argv) {
    const std::string prefix = argc > 1 ? argv[1] : "menu_demo";
    SysDebugFlag = 1;
    plat::SetInputBackend(&g_input);
    if (!SYS_InitWindow()) {
        std::fprintf(stderr, "menu_demo: no window\n");
        return 1;
    }
    SYS_InitGame();
    SYS_SetSeq(2);

    bool ok = true;
    auto shot = [&](const char* name) {
        const std::string path = prefix + name;
        const bool saved = plat::SaveSurfaceBmp(DispBackBuffer, path.c_str());
        std::printf("menu_demo: %s %s\n", saved ? "wrote" : "cannot write", path.c_str());
        ok = saved && ok;
    };
    int pressed = -1, holdTurns = 0;
    auto press = [&](int dik) {
        pressed = dik;
        holdTurns = 2;
        g_input.Press(dik);
    };
    // M stays down until the fight has left for the menus: a turn that runs no update would miss a
    // one-turn press, and the menus would take a press still held as their own.
    bool holdM = false;
    const std::vector<Step> script = {
        {[] { return SYS_GetSeq(0) == 4 && BTL_GetState(0) == 5; }, 40, [&] { holdM = true; }},
        {[] { return MenuMain.state == 3; }, 12, [&] { shot("_main.bmp"); press(kDikUp); }},
        {[] { return true; }, 3, [&] { press(kDikDecide); }},
        {[] { return MenuEquip.work.state == 2; }, 3, [&] { press(kDikDown); }},
        {[] { return true; }, 3, [&] { press(kDikDecide); }},
        {[] { return MenuEquip2.work.state == 2; }, 12, [&] { shot("_equip.bmp"); press(kDikCancel); }},
        {[] { return MenuEquip.work.state == 2; }, 3, [&] { press(kDikCancel); }},
        {[] { return MenuMain.state == 3; }, 3, [&] { press(kDikDown); }},
        {[] { return true; }, 3, [&] { press(kDikUp); }},
        {[] { return true; }, 3, [&] { press(kDikDecide); }},
        {[] { return MenuMeka.state == 3; }, 3, [&] { press(kDikRight); }},
        {[] { return true; }, 3, [&] { press(kDikLeft); }},
        {[] { return true; }, 10, [&] { shot("_mech.bmp"); press(kDikDecide); }},
        {[] { return MenuWaza.state == 3; }, 3, [&] { press(kDikDown); }},
        {[] { return true; }, 10, [&] { shot("_waza.bmp"); press(kDikCancel); }},
        {[] { return MenuMeka.state == 3; }, 3, [&] { press(kDikCancel); }},
        {[] { return MenuMain.state == 3; }, 3, [&] { press(kDikCancel); }},
        {[] { return BTL_GetState(0) == 5; }, 10, [] {}},
    };
    size_t next = 0;
    int waited = 0, titleKey = 0;
    for (int turn = 0; turn < 3000 && next < script.size(); ++turn) {
        const u32 start = plat::GetTimeMs();
        demo::PumpMessages();
        if (titleKey) g_input.Let(titleKey);
        titleKey = e2e::TitleEntryTaken() ? 0 : e2e::TitleEntryKey(0, turn);
        if (titleKey) g_input.Press(titleKey);
        holdM = holdM && BTL_GetState(0) == 5;
        g_input.keys[0x32] = holdM ? 0x80 : 0;  // M
        if (pressed >= 0 && holdTurns-- <= 0) {
            g_input.Let(pressed);
            pressed = -1;
        }
        // A bare X server gives the window no focus, and the devices follow the focus.
        INP_Acquire();
        SYS_Loop_Main();
        if (script[next].ready()) {
            if (++waited > script[next].settle) {
                script[next].act();
                ++next;
                waited = 0;
            }
        } else {
            waited = 0;
        }
        const u32 spent = plat::GetTimeMs() - start;
        if (spent < 34) plat::SleepMs(34 - spent);
    }
    if (next < script.size()) {
        std::fprintf(stderr, "menu_demo: the script stopped at step %zu (sub-state %d)\n", next, int(BTL_GetState(0)));
        ok = false;
    }

    demo::ShutDown();
    return ok ? 0 : 1;
}
