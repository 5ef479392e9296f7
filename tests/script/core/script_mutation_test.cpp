// Damaged scripts and state blocks: mutations of assembled scripts run for 100 updates and mutated
// blocks restored, under the sanitizers; nothing may crash, leak or read outside its data.
#include <random>
#include <string>

#include "script/core/ass_save.h"
#include "script_env.h"
#include "tools/writers/script_asm.h"

namespace {

using test::ScriptEnv;

const char* const kSources[] = {
    "decl 3 count = 0\ntop: loop count < 3 exit done\ntext \"/f10第一頁。\"\nset count += 1\njump top\n"
    "done: call return 0",
    "decl 1 a = 1, b:2 = 2\ndecl 7 t = \"abc\"\nif a == 1 and b or t else x\ncall keywait\nx: set a = 10 - 4 - 3\n"
    "call setvalue a, getvalue(b) * 2\ncall call \"sub.scr\"\ncall wait 40\ncall return 2",
    "decl 3 i\nl: loop i < 4 and i >= 0 exit e\nset i += 1\nbsc 3 1, 2, 3, 4, 5\nbsc 0\njump l\n"
    "e: call selrect 1, 2, 3, 4, 5, 6, 7, 8, e\ncall seltext \"?\", l\ncall #95 e:1, t:\"x\", b:2, L:e",
};

std::vector<u8> Mutate(std::vector<u8> b, std::mt19937& rng) {
    auto pick = [&](size_t n) { return n ? size_t(rng() % n) : 0; };
    switch (rng() % 4) {
        case 0:
            for (int i = 0; i < 1 + int(rng() % 4) && !b.empty(); ++i) b[pick(b.size())] = u8(rng());
            break;
        case 1: b.resize(pick(b.size() + 1)); break;
        case 2: {
            const size_t at = pick(b.size() + 1);
            for (int i = 0, n = 1 + int(rng() % 8); i < n; ++i) b.insert(b.begin() + long(at), u8(rng()));
            break;
        }
        default:
            if (!b.empty()) {
                const size_t from = pick(b.size());
                const std::vector<u8> chunk(b.begin() + long(from), b.begin() + long(std::min(b.size(), from + 16)));
                b.insert(b.begin() + long(pick(b.size())), chunk.begin(), chunk.end());
            }
    }
    return b;
}

int Game(i32 n) { return n % 3 == 0; }

TEST(ScriptMutation, DamagedScriptsRunWithoutHarm) {
    std::mt19937 rng(20261207);
    for (int round = 0; round < 150; ++round) {
        ScriptEnv env;
        if (round % 2) ASS_SetGameFunc(Game);
        ASS_SetScriptReadMode(round % 5 == 0);
        const std::vector<u8> base = tools::AssembleScript(kSources[round % 3]).bytes;
        env.WriteBytes("m.scr", Mutate(base, rng));
        env.WriteBytes("sub.scr", Mutate(base, rng));
        ASSERT_EQ(ASS_LoadScript("m.scr"), 1);
        ASS_StartScript();
        test::DebugCapture debug;
        for (int u = 0; u < 100; ++u) {
            env.parts.pageState = int(rng() % 4);
            env.Loop(u16(rng()), rng() % 16, rng() % 4);
            if (u % 25 == 24) ASS_StartScript();
            // A mutant that spins repeats the same cut frame; one is enough.
            if (debug.Contains("statements without a wait")) break;
        }
    }
}

TEST(ScriptMutation, DamagedStateBlocksRestoreSafelyOrNotAtAll) {
    ScriptEnv env;
    env.Write("sub.scr", "decl 7 t = \"x\"\ncall keywait");
    env.Run("a.scr", "decl 3 a = 1\ndecl 7 s = \"str\"\ncall call \"sub.scr\"\ncall return 5");
    env.Loop();
    env.Loop();
    ASSERT_EQ(ASS_Save("good.dat"), 1);
    const std::string good = env.dir.Read("good.dat");
    std::mt19937 rng(7);
    // Positions, kinds and sizes of the two entries' first slots, and the count and names.
    const size_t hot[] = {1028, 1029, 1032, 1048, 1051, 1052, 1054, 1055, 1056, 1057, 1064,
                          1066, 1068, 1069, 4124, 4140, 4143, 4144, 4146, 4148, 4149};
    for (int round = 0; round < 200; ++round) {
        std::string b = good;
        for (int i = 0; i < 3; ++i) b[hot[rng() % std::size(hot)]] = char(rng());
        env.dir.Write("m.dat", b);
        ASS_Load("m.dat");
        for (int u = 0; u < 5; ++u) env.Loop(u16(rng()), rng() % 16, 0);
    }
}

}  // namespace
