// Compiled scripts: expressions, declarations, text operands, the bounded byte readers and the stack.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#include "script/core/ass.h"
#include "script/core/scr_data.h"
#include "script_env.h"
#include "tools/writers/byte_writer.h"

namespace {

using test::ScriptEnv;

// x after "set x = expr", or after the raw assignment bytes when expr starts with "raw ".
i32 Eval(const std::string& expr) {
    ScriptEnv env;
    const std::string set = expr.rfind("raw ", 0) == 0 ? "raw 3 i32:0 8 8 " + expr.substr(4) : "set x = " + expr;
    env.Run("e.scr", "decl 3 x\ndecl 7 t = \"abc\"\n" + set + "\ncall return 5");
    EXPECT_EQ(env.Loop(), 5) << expr;
    return env.Var(0);
}

TEST(ScriptExpression, EvaluatesRightToLeftWithWrapSafeDivisionAndOddTokens) {
    const struct {
        const char* expr;
        i32 value;
    } cases[] = {
        {"5 - 2", 3},
        {"10 - 4 - 3", 9},
        {"3 * 2 + 4", 18},
        {"2 + 3 * 4", 14},
        {"6 & 3 | 8", 2},
        {"17 % 5", 2},
        {"-7 / 2", -3},
        {"1 / 0", 0},
        {"7 % 0", 0},
        {"-2147483648 / -1", INT_MIN},
        {"-2147483648 % -1", 0},
        {"2147483647 + 1", INT_MIN},
        {"65536 * 65536", 0},
        {"$300", 0},  // outside the table
        {"$7", 7},    // undeclared: the index as written
        {"t + 1", 1},  // a text variable reads 0
        {"raw 255 8 2 0 i32:1 255", 256},  // a 255 first is a value, not the end
        {"raw 8 3 0 i32:5 255", -5},       // an operator first combines 0 with the rest
        {"raw 42 255", 42},                // a byte with no meaning gives itself
        {"raw 8 20 255", 20},              // an operator of 7 or more is its code
        {"raw 0 i32:1 0 i32:2 255", 2},    // a second operand replaces the first
    };
    for (const auto& c : cases) EXPECT_EQ(Eval(c.expr), c.value) << c.expr;
}

TEST(ScriptExpression, LongChainsAndDeepCallsStayOffTheNativeStack) {
    ScriptEnv env;
    tools::ByteWriter w;
    w.U8(2).U16(9).I16(4).I32(0).U8(255);  // decl 3 x
    w.U8(3).I32(0).U8(8).U8(8);
    for (int i = 0; i < 200000; ++i) w.U8(0).I32(1).U8(8).U8(2);
    w.U8(0).I32(1).U8(255);
    w.U8(3).I32(0).U8(8).U8(9);  // x += getvalue(getvalue(... 1,000 deep
    for (int i = 0; i < 1000; ++i) w.U8(7).U16(9);
    w.U8(0).I32(0).U8(255);
    env.WriteBytes("deep.scr", w.bytes());
    ASSERT_EQ(ASS_LoadScript("deep.scr"), 1);
    ASS_StartScript();
    for (int i = 0; i < 5 && env.Loop() != -2; ++i) {
    }
    EXPECT_EQ(ScrValueTbl[0], 0);
    EXPECT_EQ(actv_scr, nullptr);  // the rest read as statements to the end
    EXPECT_EQ(ScriptFirst.data, nullptr);
}

TEST(ScriptDeclare, SlotsInOrderAndBadEntriesSafe) {
    ScriptEnv env;
    env.Run("d.scr",
            "decl 3 a = 1, b = 2, c = 3\n"
            "decl 1 d:6 = 0x11223344\n"         // more than four bytes: the first four
            "decl 7 t = \"hi\", u:4 = \"\"\n"
            "raw 2 u16:9 u16:0xFFFD 0 0 255\n"  // size -3 ends the statement
            "decl 2 e = -1\n"
            "call return 5");
    EXPECT_EQ(env.Loop(), 5);
    const SCRIPT_VALUE* v = actv_scr->value;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(v[i].value, u32(i + 1));
    EXPECT_EQ(v[3].kind, 1);
    EXPECT_EQ(v[3].size, 6);
    EXPECT_EQ(v[3].value, 0x11223344u);
    EXPECT_EQ(v[4].kind, 7);
    EXPECT_STREQ(v[4].text, "hi");
    EXPECT_EQ(v[4].value, 0u);
    EXPECT_EQ(v[5].size, 4);
    // After the refused entry its bytes 0 0 255 read as statements: slot 6 is the next declaration.
    EXPECT_EQ(v[6].value, 0xFFFFFFFFu);
    EXPECT_EQ(v[6].kind, 2);
    EXPECT_FALSE(v[7].used);
}

TEST(ScriptDeclare, NoFreeSlotSkipsTheEntryAndABusyLoopEndsTheFrame) {
    ScriptEnv env;
    test::DebugCapture debug;
    env.Run("full.scr", "top: decl 7 t = \"abcdef\"\ndecl 3 n = 9\njump top");
    EXPECT_EQ(env.Loop(), 0);
    EXPECT_TRUE(actv_scr->value[255].used);
    EXPECT_TRUE(debug.Contains("no free variable slot"));
    EXPECT_TRUE(debug.Contains("statements without a wait"));
    EXPECT_EQ(env.Loop(), 0);  // the next update is cut again, nothing grows
}

TEST(ScriptAssign, EveryOperatorAndTextVariablesAndBadIndicesIgnoreNumbers) {
    ScriptEnv env;
    env.Run("o.scr",
            "decl 3 a = 5, b = 5, c = 5, d = 5, e = 5, f = 5, g = 5, n = 10\ndecl 7 t = \"xyz\"\n"
            "set a = 2\nset b += 2\nset c -= 2\nset d *= 2\nset e /= 2\nset f &= 4\nset g |= 2\n"
            "set t += 5\nset t = 7\nset $300 = 1\nset $-1 = 1\nset n /= 0\nraw 3 i32:1 8 99 0 i32:4 255\n"
            "call return 5");
    EXPECT_EQ(env.Loop(), 5);
    const i32 expect[] = {2, 7, 3, 10, 2, 4, 7, 0};  // n /= 0 gives 0; op 99 changes nothing
    for (int i = 0; i < 8; ++i) EXPECT_EQ(env.Var(i), expect[i]) << i;
    EXPECT_EQ(actv_scr->value[8].value, 0u);
    EXPECT_STREQ(actv_scr->value[8].text, "xyz");
}

TEST(ScriptReader, ReadsAndJumpsStayInsideTheData) {
    ScriptEnv env;
    tools::ByteWriter w;
    w.U8(1).U32(300).Zeros(0);
    for (int i = 0; i < 300; ++i) w.U8(u32('a' + i % 26));
    w.U8(1).U32(2).Text("ok").U8(9).U8(255);  // skipped byte, last text wins
    w.U8(1).U32(u32(-5)).U8(255);               // a negative length counts as 0
    w.U8(7).U16(9);
    env.WriteBytes("r.scr", w.bytes());
    ASSERT_EQ(ASS_LoadScript("r.scr"), 1);
    const i32 size = actv_scr->size;

    char buf[kMaxPath];
    EXPECT_EQ(ASS_GetScriptParamStr(buf), 2);
    EXPECT_STREQ(buf, "ok");  // the 300 bytes were cut to 259 and then replaced
    EXPECT_EQ(ASS_GetScriptParamStr(buf), 2);
    EXPECT_STREQ(buf, "");
    const i32 at = actv_scr->pos;

    u8 b[4];
    JumpScriptPt(size - 2);
    EXPECT_EQ(ReadScrData(b, 4), 0);
    EXPECT_EQ(actv_scr->pos, size - 2);
    EXPECT_EQ(CheckScrData(b, 2), 1);
    EXPECT_EQ(actv_scr->pos, size - 2);
    EXPECT_EQ(ReadScrData(b, -1), 0);
    EXPECT_EQ(ASS_ReadDummyScrData(9), 0);  // four bytes at most, and only two are left
    EXPECT_EQ(ASS_ReadDummyScrData(2), 1);
    EXPECT_EQ(actv_scr->pos, size);
    for (i32 target : {-10, size + 1, INT_MIN}) {
        JumpScriptPt(target);
        EXPECT_EQ(actv_scr->pos, size) << target;
    }
    EXPECT_EQ(ReadScrData(b, 0), 0);  // at the end nothing more is read
    JumpScriptPt(at);
    EXPECT_EQ(actv_scr->pos, at);
}

TEST(ScriptReader, WithoutAnActiveScriptEverythingReportsTheEnd) {
    ScriptEnv env;
    u8 b[4];
    i32 v = 7;
    char text[kMaxPath] = "x";
    EXPECT_EQ(ReadScrData(b, 1), 0);
    EXPECT_EQ(ASS_GetScriptParam(&v), 0);
    EXPECT_EQ(ASS_GetScriptParamStr(text), 0);
    EXPECT_STREQ(text, "");
    JumpScriptPt(5);
    PreviousScript();
    EXPECT_EQ(_ass_getscriptend(), 1);
}

TEST(ScriptStack, CallsStackWithOwnVariablesAndResumeAfterTheCall) {
    ScriptEnv env;
    env.Write("b.scr", "decl 3 y = 2\ncall call \"c.scr\"\nset y += 20\ncall setvalue 1, y");
    env.Write("c.scr", "decl 3 z = 3\ndecl 3 w = 4\ncall setvalue 2, z + w\ncall return 0");
    env.Run("a.scr", "decl 3 x = 1\ncall call \"b.scr\"\nset x += 10\ncall setvalue 0, x\ncall return 0");
    EXPECT_EQ(env.Loop(), 0);
    EXPECT_EQ(GetScriptDepth(), 2);
    EXPECT_EQ(env.Loop(), 0);
    EXPECT_EQ(GetScriptDepth(), 3);
    EXPECT_STREQ(actv_scr->name, "c.scr");
    EXPECT_EQ(actv_scr->prev->value[0].value, 2u);
    EXPECT_EQ(env.Loop(), 0);  // c returns
    EXPECT_EQ(GetScriptDepth(), 2);
    EXPECT_EQ(env.Loop(), -2);  // b ends by its data, a goes on and returns
    EXPECT_EQ(ScrValueTbl[0], 11);
    EXPECT_EQ(ScrValueTbl[1], 22);
    EXPECT_EQ(ScrValueTbl[2], 7);
    EXPECT_EQ(actv_scr, nullptr);
    EXPECT_EQ(env.Loop(), -2);
}

TEST(ScriptStack, AMissingCalledScriptLetsTheCallerGoOn) {
    ScriptEnv env;
    test::DebugCapture debug;
    env.Run("a.scr", "call call \"none.scr\"\ncall setvalue 0, 7\ncall return 5");
    env.Loop();
    EXPECT_EQ(env.Loop(), 5);
    EXPECT_EQ(ScrValueTbl[0], 7);
    EXPECT_EQ(GetScriptDepth(), 1);
    EXPECT_TRUE(debug.Contains("none.scr"));
}

TEST(ScriptStack, LoadingIntoTheBottomReleasesWhatWasStackedAndResetsTheRecord) {
    ScriptEnv env;
    env.Write("b.scr", "decl 7 t = \"held\"\ncall keywait");
    env.Run("a.scr", "decl 3 x = 1\ncall call \"b.scr\"");
    env.Loop();
    env.Loop();
    ASSERT_EQ(GetScriptDepth(), 2);
    ASSERT_GT(ScriptFirst.start, 0);
    env.Write("c.scr", "call return 5");
    ASSERT_EQ(ASS_LoadScript("c.scr"), 1);
    EXPECT_EQ(GetScriptDepth(), 1);
    EXPECT_EQ(ScriptFirst.start, 0);
    EXPECT_FALSE(ScriptFirst.value[0].used);
    EXPECT_EQ(ASS_LoadScript("gone.scr"), 0);  // nothing changes
    EXPECT_STREQ(actv_scr->name, "c.scr");
}

TEST(ScriptStack, CallsInsideExpressionsStopAtTheDepthLimit) {
    ScriptEnv env;
    test::DebugCapture debug;
    env.Run("self.scr", "l: set $0 = call(\"self.scr\")\njump l");
    env.Loop();
    EXPECT_EQ(GetScriptDepth(), SCRIPT_STACK_MAX);
    EXPECT_TRUE(debug.Contains("nested deeper than 64"));
}

TEST(ScriptLoad, AFileChangingWhileItLoadsRunsInsideItsBlockAndOddFilesAreRefusedAtOnce) {
    ScriptEnv env;
    const std::vector<u8> small = env.Write("small.scr", "decl 3 x = 1");
    std::string longer = "decl 3 x = 1";
    for (int i = 0; i < 40; ++i) longer += "\nset x = 2";
    const std::vector<u8> large = env.Write("large.scr", longer);
    const std::string path = env.dir.File("script/drop.scr");
    test::SwapWhileReading(path, std::string(small.begin(), small.end()), std::string(large.begin(), large.end()), 400,
                           [&] {
                               if (!ASS_LoadScript(path.c_str())) return;
                               ASS_StartScript();
                               for (int i = 0; i < 3 && env.Loop() != -2; ++i) {
                               }
                           });

    // A pipe with no writer, a folder, a device and a file past the size limit: refused, none waited on.
    const std::string pipe = env.dir.File("script/pipe.scr");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string huge = env.dir.File("script/huge.scr");
    env.dir.Write("script/huge.scr", "");
    ASSERT_EQ(truncate(huge.c_str(), kMaxScriptSize + 1), 0);
    const std::string folder = env.dir.File("script/folder.scr");
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    for (const std::string& drop : {pipe, folder, std::string("/dev/zero"), huge}) {
        test::DebugCapture debug;
        EXPECT_EQ(ASS_LoadScript(drop.c_str()), 0) << drop;
        EXPECT_TRUE(debug.Contains(drop == huge ? "more than the 16777216" : "not a regular file")) << debug.text();
    }
}

}  // namespace
