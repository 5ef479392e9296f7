// Gives arbitrary bytes to the state block restore: a block is refused whole or restored into a
// working engine that then runs a few updates.
#include <cstdlib>

#include "fuzz_script_env.h"
#include "platform/file.h"
#include "script/core/ass.h"
#include "script/core/ass_save.h"

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
    fuzz::ScriptWorld& world = fuzz::ScriptWorld::Get();
    if (!plat::WriteFileAtomic(world.Path("state.dat").c_str(), data, size)) std::abort();
    ASS_Init();
    ASS_InitKeyDevice(&world.key);
    ASS_Load(world.Path("state.dat").c_str());
    for (int u = 0; u < 10; ++u) {
        world.key.trigger = u16(u * 16);
        world.now += 33;
        ASS_Loop();
    }
    ASS_Save(world.Path("again.dat").c_str());
    ASS_Term();
    return 0;
}
