// Runs arbitrary bytes as a compiled script for 100 updates with changing input and clock: every read
// must stay inside the data, and nothing may crash, leak or hang.
#include <cstdlib>
#include <string>

#include "fuzz_script_env.h"
#include "platform/file.h"
#include "script/core/ass.h"
#include "script/core/scr_data.h"

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
    fuzz::ScriptWorld& world = fuzz::ScriptWorld::Get();
    if (!plat::WriteFileAtomic(world.ScriptPath("fuzz.scr").c_str(), data, size)) std::abort();
    ASS_Init();
    ASS_InitKeyDevice(&world.key);
    ASS_SetGameFunc(size % 2 ? fuzz::GameFunc : nullptr);
    ASS_SetScriptReadMode(size % 3 == 0);
    if (ASS_LoadScript("fuzz.scr")) ASS_StartScript();
    u32 input = size > 0 ? data[0] : 0;
    world.spun = false;
    for (int u = 0; u < 100; ++u) {
        input = input * 1103515245u + 12345u;
        world.key.trigger = u16(input >> 16);
        ASS_RenewKeyDevice(i32(input % 640), i32(input % 480), (input >> 8) % 16, (input >> 12) % 4);
        world.now += 33 + (input >> 24);
        ASS_Loop();
        ASS_Draw();
        if (u % 30 == 29) ASS_StartScript();
        if (world.spun) break;
    }
    ASS_Term();
    return 0;
}
