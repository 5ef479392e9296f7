#include "fuzz_script_env.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "graphics/display/disp.h"
#include "graphics/sprite/spr.h"
#include "platform/clock.h"
#include "platform/debug.h"
#include "platform/file.h"
#include "shell/common.h"

namespace fuzz {

ScriptWorld& ScriptWorld::Get() {
    static ScriptWorld world;
    return world;
}

ScriptWorld::ScriptWorld() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::string tmpl = (std::filesystem::temp_directory_path() / "korvane-fuzz-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) std::abort();
    dir_ = tmpl;
    std::filesystem::create_directories(dir_ + "/script");
    // Scripts a state block may name: the ones its entries are most likely to keep.
    for (const char* name : {"a.scr", "b.scr", "c.scr", "fuzz.scr"}) {
        const char text[] = {7, 13, 0, 0, 3, 0, 0, 0, 0, 8, 9, 0, 1, 0, 0, 0, static_cast<char>(255)};
        plat::WriteFileAtomic(ScriptPath(name).c_str(), text, sizeof(text));
    }
    if (chdir(dir_.c_str()) != 0) std::abort();
    InitCommon();
    plat::SetTimeSource([this] { return now; });
    // Debug lines are expected by the thousand; only the budget's is of interest.
    plat::SetDebugSink([this](std::string_view text) {
        if (text.find("without a wait") != std::string_view::npos) spun = true;
    });
    if (DISP_Init(nullptr, 640, 480, 16, 1, 0, 1) != 1) {
        std::fprintf(stderr, "script fuzz: no headless display\n");
        std::abort();
    }
    SPR_Init();
}

int GameFunc(i32 n) { return n % 3 == 0; }

}  // namespace fuzz
