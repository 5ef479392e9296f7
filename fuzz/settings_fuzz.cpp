// The settings file: the window placement read back and placed as the shell does, and a value of each
// type.
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/settings.h"
#include "shell/sys.h"

fuzz::Seeds FuzzSeeds() {
    const std::string text =
        "# korvane settings\n"
        "[Software\\QUOLIA\\KV_SC\\Main]\n"
        "WndRect=3:0a000000140000008a020000f4010000\n"
        "WndMode=4:01000000\n"
        "Name=1:6b6f7276616e6500\n"
        "List=7:610062000000\n";
    return {{"main", std::vector<u8>(text.begin(), text.end())}};
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
    static const bool pointed = [] {
        plat::SetSettingsFile(fuzz::InputFile("settings.txt", nullptr, 0));
        return true;
    }();
    (void)pointed;
    fuzz::InputFile("settings.txt", data, size);
    u8 rect[16];
    if (GetRegistry("Main", "WndRect", rect, sizeof(rect))) {
        i32 v[4];
        std::memcpy(v, rect, sizeof(v));
        const RECT stored{v[0], v[1], v[2], v[3]};
        const plat::ScreenMetrics metrics{1920, 1080, 4, 4, 19};
        SYS_WindowedPlacement(metrics, 640, 480, &stored);
    }
    u8 value[64];
    for (const char* name : {"WndMode", "Name", "List"}) {
        u32 type = 0, got = sizeof(value);
        plat::SettingsRead("Software\\QUOLIA\\KV_SC\\Main", name, &type, value, &got);
    }
    return 0;
}
