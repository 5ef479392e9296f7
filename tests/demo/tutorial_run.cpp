// The tutorial scenes on the sample data in the game's own loop: the real start-up, each scene entered
// as the title's submenu enters it, turned by the shell's message loop on a clock stepping 33 ms a
// turn, a reader answering through the fake input backend, the hand-over's fight ended by striking the
// CPU mech down, then a script dropped on the window during a scene (through the platform's event
// path), and at the end a close through that path. Pictures of the back buffer go to the folder given;
// with one, the windows scene's page also stays on the screen for two seconds.
//   tutorial_run [picture folder]   (run in the sample data folder; scripts/tutorial_shot.sh shows it)
#include <cstdio>
#include <set>
#include <string>

#include "battle/map/cam.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "graphics/display/disp.h"
#include "platform/clock.h"
#include "platform/input_fake.h"
#include "platform/surface.h"
#include "platform/window.h"
#include "screens/btl/btl.h"
#include "script/adv/adv_sprite.h"
#include "script/bsc/bsc.h"
#include "script/core/ass.h"
#include "script/script.h"
#include "shell/sys.h"
#include "tests/harness/battle_harness.h"
#include "tests/harness/tutorial_harness.h"

namespace {

constexpr int kMaxUpdates = 3000;
constexpr int kBustSlot = 96;  // the first bust's script sprite slot
constexpr u32 kHoldMs = 2000;

u32 Now = 0x10000000;
std::string Folder;
std::set<std::string> Taken;

void Picture(const std::string& name) {
    if (Folder.empty() || !Taken.insert(name).second) return;
    const std::string path = Folder + "/" + name + ".bmp";
    if (plat::SaveSurfaceBmp(DispBackBuffer, path.c_str())) std::printf("picture: %s\n", path.c_str());
    // The clock is the test's own, so the scenes pass faster than a look at the screen: the windows
    // scene's page stays on it for a while, announced for scripts/tutorial_shot.sh.
    if (name == "tt_page_face_name_ruby") {
        std::printf("screen: holding\n");
        std::fflush(stdout);
        plat::SleepMs(kHoldMs);
    }
}

// One turn of the shell's loop that runs an update: waiting messages are dispatched first.
bool Turn(int* code) {
    plat::MSG msg;
    while (plat::PeekMessage(&msg))
        if (!SYS_MessageTurn(code)) return false;
    Now += 33;
    return SYS_MessageTurn(code);
}

int Find(bool (*test)(const ADV_SPR&)) {
    for (int i = 0; i < ADV_SPR_MAX; i++)
        if (AdvSprTbl[i].use && test(AdvSprTbl[i])) return i;
    return -1;
}

// Pictures by what the scene shows; `since` counts updates a condition has held.
void Watch(int scene, const harness::ScriptReader& reader, int* since) {
    const ASS_PARTS& parts = ASS_GetParts();
    const int win = parts.getWindowState(), page = parts.getPageState();
    const int waited = GetScriptWait() ? GetScriptWaitFunc() : -1;
    auto held = [&](int k, bool on, int n) { return (since[k] = on ? since[k] + 1 : 0) == n; };
    if (scene == 4) {
        if (held(0, win == 1, 6)) Picture("tt_window_opening");
        if (held(1, win == 2 && page == 1, 2)) Picture("tt_page_face_name_ruby");
        if (held(2, waited == ASS_WAIT_SELECT && win == 2 && reader.choices() == 1, 1)) Picture("tt_choice_mouse");
        if (held(3, AdvSprTbl[kBustSlot].use && AdvSprTbl[kBustSlot].state == ADV_STATE_SHOWN && page == 1, 2))
            Picture("tt_bust_face");
        const bool tiles = Find([](const ADV_SPR& a) {
                               return a.fadeType == ADV_FADE_TILES && a.state == ADV_STATE_FADEOUT;
                           }) >= 0;
        if (held(4, tiles, 10)) Picture("tt_picture_tiles");
        if (held(5, Find([](const ADV_SPR& a) { return (a.kind & 15) == ADV_KIND_MOVIE; }) >= 0, 20))
            Picture("tt_movie");
        if (held(6, waited == ASS_WAIT_FADE && ASS_ClearSurfFlag(), 10)) Picture("tt_fade_to_black");
    }
    const LIST_DATA* player = MEKA_GetSlot(0);
    const int act = player && player->meka ? player->meka->act : -1;
    if (scene == 0 && held(7, act == 1, 6)) Picture("tt_walk");
    if (scene == 0 && held(8, act == 5, 3)) Picture("tt_dash");
    if (scene == 2 && held(9, player && player->meka && player->meka->waza > 0, 4)) Picture("tt_strike");
    if (scene == 3 && held(10, ScrQuake > 0, 3)) Picture("tt_bomb");
    if (scene >= 0 && scene != 4 && held(11, win == 2 && page == 1, 2)) Picture("tt_page_" + std::to_string(scene));
}

// The real start-up, tutorial n from the title's start until the title is back, then the close
// through the platform's event path; false when the scene never came back.
bool RunScene(int n, plat::FakeInputBackend& input, int dropAt) {
    SYS_ResetState();
    if (SYS_InitWindow() != 1) return false;
    SYS_InitGame();
    harness::SeedRandom(1234);
    harness::ScriptReader reader(input);
    reader.Reset();
    ADV_SetScriptNo(n);
    mBSC_Init();
    SYS_SetSeq(5);
    int since[16] = {};
    int u = 0, code = 0;
    for (; u < kMaxUpdates && SYS_GetSeq(0) != 2; u++) {
        reader.Answer(u);
        if (u == dropAt) plat::SimulateDrop(MainWnd, {"TT_Drop.scr"});
        if (!Turn(&code)) break;
        if (SYS_GetSeq(0) == 4 && AdvState == 6 && BTL_GetState(0) == 5) harness::KnockOut(1);
        Watch(dropAt >= 0 ? -1 : n, reader, since);
    }
    const bool back = SYS_GetSeq(0) == 2;
    std::printf("%s%s: %d updates, %s\n", TutorialScriptTbl[n], dropAt >= 0 ? " with a drop" : "", u,
                back ? "back at the title" : "NOT back at the title");
    reader.Reset();
    harness::RestoreRandom();
    plat::SimulateClose(MainWnd);
    while (SYS_MessageTurn(&code)) Now += 10;
    SYS_ReleaseGame();
    plat::ReleaseDestroyedWindows();
    BTL_SetState(0);  // what the next start-up of this process must not see
    return back;
}

}  // namespace

int main(int argc, char** argv) {
    Folder = argc > 1 ? argv[1] : "";
    plat::SetTimeSource([] { return Now; });
    plat::FakeInputBackend input;
    plat::SetInputBackend(&input);
    bool ok = true;
    for (int n : {4, 0, 1, 2, 3}) ok = RunScene(n, input, -1) && ok;
    // The drop demonstration: dropped during the attack scene, it runs at the next update and ends in
    // the title.
    ok = RunScene(1, input, 40) && ok;
    plat::SetInputBackend(nullptr);
    plat::SetTimeSource({});
    std::printf("tutorial_run: %s\n", ok ? "every scene back at the title" : "a scene did not end");
    return ok ? 0 : 1;
}
