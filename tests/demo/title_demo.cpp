// Demonstration of the opening and the title on the sample data through the real scene switch, with
// a clock of its own (34 ms a turn) and scripted input: pictures of the opening's logo, a movie frame,
// the title's menu with its highlight, the submenu and the closing picture, as 24-bit ".bmp" files
// (<prefix>_logo.bmp, _movie.bmp, _menu.bmp, _submenu.bmp, _closing.bmp).
//   title_demo <output prefix>      (run in the sample data folder; scripts/title_shots.sh)
#include <cstdio>
#include <string>

#include "graphics/display/disp.h"
#include "platform/clock.h"
#include "platform/input_fake.h"
#include "platform/picture.h"
#include "platform/surface.h"
#include "platform/window.h"
#include "screens/op.h"
#include "screens/title/title.h"
#include "shell/input/inp.h"
#include "shell/sys.h"
#include "tests/demo/demo_support.h"

namespace {

constexpr int kDikDown = 80, kDikDecide = 44, kDikCancel = 45;

plat::FakeInputBackend g_input;
u32 g_now = 0x40000000;

// One turn of the loop, one update and one draw; false once the loop has ended.
bool Turn() {
    // A bare X server gives the window no focus, and the devices follow the focus.
    INP_Acquire();
    int code = 0;
    const bool going = SYS_MessageTurn(&code);
    g_now += 34;
    return going;
}

void Tap(int dik) {
    g_input.Press(dik);
    Turn();
    g_input.Let(dik);
    Turn();
}

void MouseAt(i32 x, i32 y) { plat::PictureToWindow(x, y, &g_input.cursorX, &g_input.cursorY); }

}  // namespace

int main(int argc, char** argv) {
    const std::string prefix = argc > 1 ? argv[1] : "title_demo";
    plat::SetTimeSource([] { return g_now; });
    plat::SetInputBackend(&g_input);
    if (!SYS_InitWindow()) {
        std::fprintf(stderr, "title_demo: no window\n");
        return 1;
    }
    SYS_InitGame();
    bool ok = true;
    int shots = 0;
    auto shot = [&](const char* name) {
        ok = demo::SavePicture("title_demo", prefix + name) && ok;
        ++shots;
    };
    int n = 0;
    // The logo standing plain, then a movie frame two seconds in, then the skip.
    for (; n < 2000 && !(OpStep == 1 && OpLogoStep == 2); ++n) Turn();
    shot("_logo.bmp");
    for (; n < 2000 && !(OpStep == 2 && DWWL_GetTime(OpMovie) > 2000); ++n) Turn();
    shot("_movie.bmp");
    Tap(kDikDecide);
    // The title's intro in full, then the menu with the pointer over the ranking entry.
    for (; n < 4000 && !(SysSeq == 2 && TitleWork.step == 4); ++n) Turn();
    MouseAt(300, 350);
    for (int i = 0; i < 20; ++i) Turn();
    shot("_menu.bmp");
    // The submenu, and back.
    MouseAt(600, 20);
    Turn();
    Tap(kDikDown);
    Tap(kDikDecide);
    for (; n < 6000 && TitleWork.step != 11; ++n) Turn();
    for (int i = 0; i < 10; ++i) Turn();
    shot("_submenu.bmp");
    Tap(kDikCancel);
    for (; n < 8000 && TitleWork.step != 4; ++n) Turn();
    // The quit entry, the closing picture standing plain; the quit ends the loop.
    Tap(kDikDown);
    Tap(kDikDecide);
    for (; n < 10000 && TitleWork.elem[TITLE_ELEM_CLOSING].step != 2; ++n) Turn();
    for (int i = 0; i < 10; ++i) Turn();
    shot("_closing.bmp");
    for (; n < 20000 && Turn(); ++n) {
    }
    SYS_ReleaseGame();
    plat::ReleaseDestroyedWindows();
    plat::SetInputBackend(nullptr);
    plat::SetTimeSource({});
    std::printf("title_demo: %d pictures\n", shots);
    return ok ? 0 : 1;
}
