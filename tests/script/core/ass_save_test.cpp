// The script state block: its bytes at their offsets, a restore into the same wait, and blocks or
// stacks the engine refuses without losing what it has.
#include <filesystem>
#include <string>

#include "script/core/ass_save.h"
#include "script_env.h"
#include "tools/writers/script_asm.h"

namespace {

using test::ScriptEnv;

u32 U16At(const std::string& b, size_t at) { return u8(b[at]) | u32(u8(b[at + 1])) << 8; }
u32 U32At(const std::string& b, size_t at) { return U16At(b, at) | U16At(b, at + 2) << 16; }
size_t EntryAt(int e) { return 1032 + 3092 * size_t(e); }
size_t SlotAt(int e, int slot) { return EntryAt(e) + 20 + 12 * size_t(slot); }
i32 Length(const std::string& source) { return i32(tools::AssembleScript(source).bytes.size()); }

const char* const kA = "decl 1 a1 = 1\ndecl 2 a2 = -2\ncall call \"b.scr\"";
const char* const kB = "decl 3 b3 = 3\ndecl 4 b4 = 4\ncall call \"c.scr\"";
const char* const kC = "decl 5 c5 = 5\ndecl 6 c6 = 6\ndecl 7 c7 = \"seven\"";

// Three scripts stacked, the top one waiting for a key.
void StackOfThree(ScriptEnv& env) {
    env.Write("b.scr", std::string(kB) + "\ncall setvalue 1, b3");
    env.Write("c.scr", std::string(kC) + "\ncall keywait\ncall setvalue 0, c5 + c6");
    env.Run("a.scr", std::string(kA) + "\ncall return 5");
    env.Loop();
    env.Loop();
    env.Loop();
    ASSERT_EQ(GetScriptDepth(), 3);
    ASSERT_EQ(GetScriptWaitFunc(), 13);
    ScrValueTbl[7] = 77;
    ScrFuncFlagTbl[3] = 1;
}

TEST(ScriptSave, BlockBytesAndRestoreIntoTheSameWait) {
    ScriptEnv env;
    StackOfThree(env);
    ASSERT_EQ(ASS_Save("state.dat"), 1);
    const std::string b = env.dir.Read("state.dat");
    ASSERT_EQ(b.size(), 14456u);
    EXPECT_EQ(U16At(b, 0), 1u);
    EXPECT_EQ(U32At(b, 4 + 4 * 7), 77u);
    EXPECT_EQ(U16At(b, 1028), 3u);
    EXPECT_EQ(u8(b[14424 + 3]), 1);
    const char* names[] = {"a.scr", "b.scr", "c.scr"};
    const i32 positions[] = {Length(kA), Length(kB), Length(kC)};  // callers after the call, c at its wait
    for (int e = 0; e < 3; ++e) {
        EXPECT_EQ(b.substr(EntryAt(e), 6), std::string(names[e]) + '\0');
        EXPECT_EQ(i32(U32At(b, EntryAt(e) + 16)), positions[e]);
        for (int s = 0; s < 2; ++s) {
            EXPECT_EQ(u8(b[SlotAt(e, s)]), 1);
            EXPECT_EQ(U16At(b, SlotAt(e, s) + 2), u32(2 * e + s + 1));  // kinds 1..6
            EXPECT_EQ(U16At(b, SlotAt(e, s) + 4), 4u);
        }
    }
    EXPECT_EQ(U32At(b, SlotAt(0, 1) + 8), u32(-2));
    EXPECT_EQ(U32At(b, SlotAt(2, 0) + 8), 5u);
    EXPECT_EQ(U16At(b, SlotAt(2, 2) + 2), 7u);
    EXPECT_EQ(U16At(b, SlotAt(2, 2) + 4), 5u);
    EXPECT_EQ(U32At(b, SlotAt(2, 2) + 8), 0u);  // no text reference in the block
    EXPECT_EQ(u8(b[SlotAt(2, 3)]), 0);

    ASS_Term();
    ASS_Init();
    ScrValueTbl[7] = 0;
    ASSERT_EQ(ASS_Load("state.dat"), 1);
    ASSERT_EQ(GetScriptDepth(), 3);
    EXPECT_EQ(ScrValueTbl[7], 77);
    EXPECT_EQ(ScrFuncFlagTbl[3], 1);
    EXPECT_EQ(actv_scr->value[2].size, 5);
    EXPECT_STREQ(actv_scr->value[2].text, "");
    ASSERT_EQ(ASS_Save("again.dat"), 1);  // a save right after the restore gives the same block
    EXPECT_EQ(env.dir.Read("again.dat"), b);
    EXPECT_EQ(env.Loop(), 0);  // the wait runs again
    EXPECT_EQ(GetScriptWaitFunc(), 13);
    EXPECT_EQ(env.Loop(16), 5);
    EXPECT_EQ(ScrValueTbl[0], 11);
    EXPECT_EQ(ScrValueTbl[1], 3);
}

TEST(ScriptSave, RefusedBlocksLeaveTheEngineUntouchedAndAMissingScriptEndsTheStackBelowIt) {
    ScriptEnv env;
    StackOfThree(env);
    ASSERT_EQ(ASS_Save("state.dat"), 1);
    const std::string good = env.dir.Read("state.dat");
    std::string version = good, count = good, name = good;
    version[0] = 2;
    count[1028] = 9;
    for (int i = 0; i < 16; ++i) name[EntryAt(1) + size_t(i)] = 'n';
    const std::string blocks[] = {version, good.substr(0, 14000), count, name, good + "x"};
    env.parts.calls.clear();
    for (const std::string& block : blocks) {
        env.dir.Write("bad.dat", block);
        EXPECT_EQ(ASS_Load("bad.dat"), 0);
    }
    EXPECT_EQ(ASS_Load("missing.dat"), 0);
    EXPECT_TRUE(env.parts.calls.empty());
    EXPECT_EQ(GetScriptDepth(), 3);
    EXPECT_EQ(GetScriptWaitFunc(), 13);
    EXPECT_EQ(env.Loop(16), 5);

    // A missing script stops the entries above it.
    ScrValueTbl[1] = 0;
    std::filesystem::remove(env.dir.path() + "/script/c.scr");
    EXPECT_EQ(ASS_Load("state.dat"), 1);
    EXPECT_EQ(GetScriptDepth(), 2);
    EXPECT_TRUE(ASS_IsScriptRunning());
    EXPECT_EQ(env.Loop(), 5);  // b goes on after its call, then a
    EXPECT_EQ(ScrValueTbl[1], 3);

    // A block swapped for a short one while it loads is judged by what was read.
    test::SwapWhileReading(env.dir.File("swap.dat"), good.substr(0, 14000), good, 200, [] { ASS_Load("swap.dat"); });
}

TEST(ScriptSave, FreshLoadStoresPositionZeroAndEmptyEngineSavesNoEntries) {
    ScriptEnv env;
    ASSERT_EQ(ASS_Save("empty.dat"), 1);
    EXPECT_EQ(U16At(env.dir.Read("empty.dat"), 1028), 0u);
    StackOfThree(env);
    env.Write("d.scr", "call return 5");
    ASSERT_EQ(ASS_LoadScript("d.scr"), 1);
    ASSERT_EQ(ASS_Save("d.dat"), 1);
    const std::string b = env.dir.Read("d.dat");
    EXPECT_EQ(U16At(b, 1028), 1u);
    EXPECT_EQ(U32At(b, EntryAt(0) + 16), 0u);
    EXPECT_EQ(ASS_Load("empty.dat"), 1);
    EXPECT_EQ(actv_scr, nullptr);
    EXPECT_TRUE(ASS_IsLoaded());
}

TEST(ScriptSave, DeepStacksAndLongNamesAreRefusedAndTheOldFileKept) {
    ScriptEnv env;
    for (int i = 1; i <= 4; ++i) env.Write("s" + std::to_string(i), "call call \"s" + std::to_string(i + 1) + "\"");
    env.Write("s5", "call keywait");
    env.dir.Write("state.dat", std::string("old"));
    ASSERT_EQ(ASS_LoadScript("s1"), 1);
    ASS_StartScript();
    for (int i = 0; i < 5; ++i) env.Loop();
    ASSERT_EQ(GetScriptDepth(), 5);
    EXPECT_EQ(ASS_Save("state.dat"), 0);
    EXPECT_EQ(env.dir.Read("state.dat"), "old");
    env.Write("sixteen_chars.sc", "call keywait");
    ASSERT_EQ(ASS_LoadScript("sixteen_chars.sc"), 1);
    EXPECT_EQ(ASS_Save("state.dat"), 0);
    EXPECT_EQ(env.dir.Read("state.dat"), "old");
}

}  // namespace
