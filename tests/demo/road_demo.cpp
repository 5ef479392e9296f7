// The player's road of the end-to-end test under a real display with the real clock: the same
// scripted play, one picture of each scene, battle sub-state and battle menu it reaches, taken 25
// frames (a menu: 3) after it began, or of its last frame when it ends sooner but lasted three frames
// (<prefix>_NN_<what>.bmp).
//   road_demo <output prefix>      (run in a copy of the sample data; scripts/road_demo.sh)
#include <cstdio>
#include <set>
#include <string>

#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "platform/input_fake.h"
#include "platform/surface.h"
#include "screens/btl/btl.h"
#include "screens/menu/menu.h"
#include "script/script.h"
#include "shell/sys.h"
#include "tests/harness/road.h"

namespace {

// The menu in front while the battle mode runs its menus.
const char* MenuName() {
    if (MENU_GetMode(0) == 0) return "";
    if (MenuWaza.state >= 2) return "_techniques";
    if (MenuMeka.state >= 2) return "_mechs";
    if (MenuEquip2.work.state >= 2) return "_categories";
    if (MenuEquip.work.state >= 2) return "_equipment";
    return "_main";
}

// What one picture is of: the scene, with the battle's sub-state (and menu) or the script's number.
std::string Subject() {
    char buf[64];
    if (SysSeq == 4)
        std::snprintf(buf, sizeof(buf), "scene%u_battle%d%s", SysSeq, BtlState, MenuName());
    else if (SysSeq == 5)
        std::snprintf(buf, sizeof(buf), "scene%u_script%d", SysSeq, AdvScriptNo);
    else
        std::snprintf(buf, sizeof(buf), "scene%u", SysSeq);
    return buf;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string prefix = argc > 1 ? argv[1] : "road";
    plat::FakeInputBackend input;
    harness::Road road(input, 20261207, true);
    std::set<std::string> taken;
    std::string current;
    int since = 0, shots = 0;
    // The previous frame's picture, for a subject the road leaves before its picture was due (a
    // level-up the road decides through at once); passing states of a frame or two get none.
    constexpr int kShortest = 3;
    plat::Surface* last = nullptr;
    bool lastHeld = false;
    const auto save = [&](plat::Surface* picture, const std::string& subject) {
        if (!taken.insert(subject).second) return;
        char name[32];
        std::snprintf(name, sizeof(name), "_%02d_", ++shots);
        const std::string path = prefix + name + subject + ".bmp";
        const bool ok = plat::SaveSurfaceBmp(picture, path.c_str());
        std::printf("road_demo: %s %s\n", ok ? "wrote" : "cannot write", path.c_str());
    };
    road.onFrame = [&](harness::Road&) {
        const std::string subject = Subject();
        if (subject != current) {
            if (lastHeld && since >= kShortest) save(last, current);
            current = subject;
            since = 0;
        }
        // A menu stands only a few frames before the road clicks on: its picture is taken sooner.
        const int after = MenuName()[0] ? 3 : 25;
        if (++since == after) save(DispBackBuffer, subject);
        lastHeld = !taken.count(subject) && DispBackBuffer != nullptr;
        if (lastHeld) {
            if (!last) last = SURF_Create(DispWidth, DispHeight, SURF_CAPS_SYSMEM);
            lastHeld = last && BLT_Copy(last, 0, 0, DispBackBuffer, nullptr, 0) == plat::kSurfOk;
        }
    };
    road.StartUp();
    harness::PlayWholeRoad(road, [](const char*) {});
    if (last) SURF_Release(last);
    road.ShutDown();
    for (const std::string& f : road.failures()) std::fprintf(stderr, "road_demo: %s\n", f.c_str());
    return road.failures().empty() ? 0 : 1;
}
