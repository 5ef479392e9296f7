// Demonstration of the panels on the sample data: the file panel opens, a right click on an entry
// types its help, then the keys open the save list and the yes/no panel. The input is scripted; the
// picture is written at two moments as 24-bit ".bmp" files (<prefix>_help.bmp, <prefix>_yesno.bmp).
//   panel_demo <output prefix>      (run in the sample data folder; scripts/panel_demo.sh)
#include <cstdio>
#include <string>
#include <vector>

#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/clock.h"
#include "platform/input_fake.h"
#include "platform/picture.h"
#include "platform/window.h"
#include "screens/panel/ims.h"
#include "screens/panel/ims_file.h"
#include "shell/input/cur.h"
#include "shell/input/inp.h"
#include "shell/input/key.h"
#include "platform/surface.h"
#include "shell/sys.h"
#include "tests/demo/demo_support.h"
#include "tools/writers/bmp_writer.h"

namespace {

constexpr int kDikDown = 80;
constexpr int kDikDecide = 44;

plat::FakeInputBackend g_input;

void MoveMouse(i32 x, i32 y) { plat::PictureToWindow(x, y, &g_input.cursorX, &g_input.cursorY); }

// What happens at a frame: a key pressed for one frame, a mouse button, a move, a picture written.
struct Cue {
    int frame;
    int key;
    int button;  // 0 none, 1 left, 2 right
    i32 mouseX, mouseY;  // -1 keeps the mouse
    const char* shot;
};

}  // namespace

int main(int argc, char** argv) {
    const std::string prefix = argc > 1 ? argv[1] : "panel_demo";
    plat::SetInputBackend(&g_input);
    if (!SYS_InitWindow()) {
        std::fprintf(stderr, "panel_demo: no window\n");
        return 1;
    }
    SYS_InitGame();
    KEY_InitScreenKey();
    IMS_Init();
    IMS_FILE_Create();

    const std::vector<Cue> cues = {
        {1, -1, 0, 110, 32 + 32 + 12, nullptr},  // rest on "load"
        {12, -1, 2, -1, -1, nullptr},            // its help
        {34, -1, 0, -1, -1, "_help.bmp"},
        {36, kDikDecide, 0, -1, -1, nullptr},    // the save list beside it
        {62, kDikDown, 0, -1, -1, nullptr},
        {64, kDikDown, 0, -1, -1, nullptr},      // slot No.02
        {68, kDikDecide, 0, -1, -1, nullptr},    // the confirmation
        {72, kDikDown, 0, -1, -1, nullptr},      // on NO
        {78, -1, 0, -1, -1, "_yesno.bmp"},
    };
    const u16 background = DISP_PackRGB(24, 32, 56);
    bool ok = true;
    for (int frame = 0; frame <= cues.back().frame; ++frame) {
        const u32 start = plat::GetTimeMs();
        demo::PumpMessages();
        const Cue* cue = nullptr;
        for (const Cue& c : cues)
            if (c.frame == frame) cue = &c;
        if (cue && cue->mouseX >= 0) MoveMouse(cue->mouseX, cue->mouseY);
        if (cue && cue->key >= 0) g_input.Press(cue->key);
        g_input.button[0] = cue && cue->button == 1;
        g_input.button[1] = cue && cue->button == 2;

        // A bare X server gives the window no focus, and the devices follow the focus.
        INP_Acquire();
        KEY_RenewScreenKey();
        IMS_Loop();
        if (cue && cue->key >= 0) g_input.Let(cue->key);

        CUR_Renew(MainWnd);
        SURF_Fill(DispBackBuffer, nullptr, background);
        SPR_DrawAllSpr(-1);
        if (cue && cue->shot) ok = demo::SavePicture("panel_demo", prefix + cue->shot) && ok;
        DISP_Flip();
        const u32 spent = plat::GetTimeMs() - start;
        if (spent < 33) plat::SleepMs(33 - spent);
    }

    demo::ShutDown();
    return ok ? 0 : 1;
}
