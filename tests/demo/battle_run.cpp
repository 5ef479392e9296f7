// A battle on the sample data in the game's own loop: the real start-up, the harness's set-up, scene 4
// turned by the shell's message loop with the real clock, the scripted keys through the fake input
// backend, and at the script's end a close through the platform's event path.
//   battle_run [frames]      (run in the sample data folder; scripts/battle_shot.sh takes a picture)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/clock.h"
#include "platform/input_fake.h"
#include "platform/window.h"
#include "screens/btl/btl.h"
#include "shell/sys.h"
#include "tests/harness/battle_harness.h"

namespace {

std::vector<harness::HeldKey> Script(int frames) {
    std::vector<harness::HeldKey> s = {{0, 20, harness::kDikPad6}, {60, 62, harness::kDikPad5}};
    for (int f = 30; f < frames; f += 24) {
        s.push_back({f, f + 8, harness::kDikPad6});
        s.push_back({f + 10, f + 11, (f / 24) % 3 == 0 ? harness::kDikX : harness::kDikZ});
    }
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    plat::FakeInputBackend input;
    plat::SetInputBackend(&input);
    if (SYS_InitWindow() != 1) return 1;
    SYS_InitGame();
    harness::SetupBattle({4});
    harness::SeedRandom(1234);
    SYS_SetSeq(4);
    const std::vector<harness::HeldKey> script = Script(frames);
    const u32 start = plat::GetTimeMs();
    int code = 0;
    bool closing = false;
    while (SYS_MessageTurn(&code)) {
        const int frame = int((plat::GetTimeMs() - start) / 33);
        harness::ApplyInput(input, script, frame);
        if (!closing && (frame >= frames || BtlState == 17 || BtlState == 19)) {
            closing = true;
            harness::TeardownBattle();
            SYS_SetSeq(2);
            plat::SimulateClose(MainWnd);
        }
    }
    harness::RestoreRandom();
    SYS_ReleaseGame();
    plat::ReleaseDestroyedWindows();
    plat::SetInputBackend(nullptr);
    std::printf("battle_run: %d frames, sub-state %d\n", frames, BtlState);
    return code;
}
