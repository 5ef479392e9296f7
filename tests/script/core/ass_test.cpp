// The interpreter: frame results of every function number, waits, end values, restarts, the engine's
// init and term order and the dropped-file reload.
#include <cstring>
#include <string>

#include "script/core/ass.h"
#include "script/core/ass_func.h"
#include "script/core/scr_data.h"
#include "script_env.h"
#include "tools/writers/script_asm.h"

namespace {

using test::ScriptEnv;

std::vector<int> GameCalls;

int RecordGame(i32 n) {
    GameCalls.push_back(n);
    return n == 5 ? 1 : 0;
}

// Runs one call statement by hand: the frame result and where the reading stopped.
int CallOnce(ScriptEnv& env, const std::string& source, i32* endPos) {
    env.Write("f.scr", source);
    EXPECT_EQ(ASS_LoadScript("f.scr"), 1);
    u8 type = 0;
    ReadScrData(&type, 1);
    const int r = AnalysisFunc();
    *endPos = actv_scr ? actv_scr->pos : -1;
    return r;
}

// Every known number's frame result and arguments are checked with the real neighbours (ass_func_test).
TEST(ScriptFunc, UnknownNumbersReadNothingAndGameNumbersGoToTheGame) {
    // A game number with no game function installed reads nothing either.
    for (const char* call : {"call #84", "call #100", "call #127", "call #901", "call #65535", "bsc 3 1, 2, 3, 4, 5"}) {
        ScriptEnv env;
        i32 pos = 0;
        EXPECT_EQ(CallOnce(env, std::string(call) + "\ncall return 5", &pos), 0) << call;
        EXPECT_EQ(pos, 3) << call;
    }
    ScriptEnv env;
    GameCalls.clear();
    ASS_SetGameFunc(RecordGame);
    env.Run("g.scr", "bsc 4\ncall #133\ncall setvalue 0, 1");
    EXPECT_EQ(env.Loop(), 0);
    EXPECT_EQ(GameCalls, (std::vector<int>{4, 5}));  // 5 ended the frame
    EXPECT_EQ(ScrValueTbl[0], 0);
    env.Loop();
    EXPECT_EQ(ScrValueTbl[0], 1);
}

TEST(ScriptFunc, CallInsideAnExpressionGivesTheLastReturnNumber) {
    ScriptEnv env;
    env.Run("x.scr",
            "decl 3 a, b, c\ncall setvalue 3, 42\ncall setvalue 300, 1\nset a = getvalue(3)\n"
            "set b = nop2a(9, 9) + 1\nset c = getvalue(-1)\ncall return 5");
    EXPECT_EQ(env.Loop(), 5);
    EXPECT_EQ(env.Var(0), 42);
    EXPECT_EQ(env.Var(1), 43);  // a function that sets nothing leaves the last number
    EXPECT_EQ(env.Var(2), 0);
    EXPECT_EQ(ScrValueTbl[3], 42);
}

TEST(ScriptWait, KeyWaitAndGetKeyTakeFreshPressesOnly) {
    const struct {
        int mode;
        u16 trigger;
        u32 mouseTrg;
        u32 mousePad;
        bool ends;
        i32 key;
    } cases[] = {
        {0, 16, 0, 0, true, 1},  {0, 0, 5, 5, true, 1},   {1, 0, 10, 10, true, 1}, {0, 0, 10, 10, true, 0},
        {1, 32, 0, 0, true, 1},  {2, 64, 0, 0, true, 1},  {-1, 0, 5, 5, true, 1},  {7, 16, 0, 0, true, 0},
        {0, 0, 0, 1, false, 0},  {0, 1, 0, 3, false, 0},
    };
    for (const auto& c : cases) {
        ScriptEnv env;
        env.Run("k.scr", "decl 3 k = -9\ncall keywait\nset k = getkey(" + std::to_string(c.mode) + ")\ncall return 5");
        EXPECT_EQ(env.Loop(), 0);
        EXPECT_EQ(GetScriptWaitFunc(), 13);
        env.Loop(c.trigger, c.mouseTrg, c.mousePad);
        EXPECT_EQ(GetScriptWait(), c.ends ? 0 : 1) << c.mode << " " << c.trigger << " " << c.mouseTrg;
        EXPECT_EQ(env.Var(0), c.ends ? c.key : -9) << c.mode << " " << c.trigger << " " << c.mouseTrg;
    }
}

TEST(ScriptWait, TimedWaitsOnTheWrappingClock) {
    const struct {
        i32 ms;
        u32 start;
        int updatesBefore;  // further updates that still wait
    } cases[] = {{0, 1000, 0}, {-1, 1000, 0}, {100, 1000, 3}, {100, 0xFFFFFFF0u, 3}, {33, 0xFFFFFFFFu, 0}};
    for (const auto& c : cases) {
        ScriptEnv env;
        env.clock.Set(c.start);
        env.Run("w.scr", "decl 3 n\ncall wait " + std::to_string(c.ms) + "\nset n = 1\ncall return 5");
        env.Loop();
        for (int i = 0; i < c.updatesBefore; ++i) EXPECT_EQ(env.Loop(), 0) << c.ms;
        EXPECT_EQ(env.Var(0), 0) << c.ms;
        EXPECT_EQ(env.Loop(), 5) << c.ms << " " << c.start;
        EXPECT_EQ(env.Var(0), 1);
    }
}

TEST(ScriptWait, ReadModeSkipsWaitsAndKeys) {
    ScriptEnv env;
    ASS_SetScriptReadMode(1);
    env.Run("r.scr", "decl 3 k = 9\ncall keywait\ncall wait 5000\nset k = getkey(-1)\ncall return 5");
    env.Loop();
    EXPECT_EQ(GetScriptWait(), 0);
    env.Loop();
    EXPECT_EQ(env.Loop(16, 5, 5), 5);
    EXPECT_EQ(env.Var(0), 0);
}

TEST(ScriptWait, FadeWaitsEndWithValueFourAndStatementsRunNextUpdate) {
    ScriptEnv env;
    env.Run("f.scr", "decl 3 n\ncall keywait\nset n = 1\ncall keywait");
    env.Loop();
    SetScirptWait(1, 10);
    env.parts.fadeTime = -1;
    env.parts.fadeStart = env.clock.now() - 100000;
    EXPECT_EQ(env.Loop(), 0);  // a duration of -1 never ends
    env.parts.fadeTime = 100;
    env.parts.fadeStart = env.clock.now();
    EXPECT_EQ(env.Loop(), 0);
    env.clock.Advance(100);
    env.parts.fadeKind = 10;
    EXPECT_EQ(env.Loop(), 4);
    EXPECT_EQ(env.parts.fadeKind, -1);
    EXPECT_EQ(env.Var(0), 0);
    EXPECT_EQ(env.Loop(), 0);  // 4 is spent, statements run at once
    EXPECT_EQ(env.Var(0), 1);
    SetScirptWait(1, 11);
    env.parts.fadeKind = 11;
    env.parts.fadeStart = env.clock.now() - 100;
    EXPECT_EQ(env.Loop(), 4);
    EXPECT_EQ(env.parts.fadeKind, 11);  // the second fade's overlay stays
}

TEST(ScriptWait, PageCloseAndChoiceWaits) {
    ScriptEnv env;
    // keywait (4 bytes), return 5 (9 bytes), then the answer at 13.
    env.Run("p.scr", "call keywait\ncall return 5\nans: call return 6");
    env.Loop();
    auto waitOn = [&](int no) {
        SetScirptWait(1, no);
        return env.Loop();
    };
    env.parts.pageState = 0;
    EXPECT_EQ(waitOn(27), 0);
    EXPECT_EQ(GetScriptWait(), 1);
    env.parts.pageState = 1;
    env.parts.autoOn = 1;
    env.parts.pageTime = env.clock.now() - 500;
    EXPECT_EQ(env.Loop(), 0);  // not more than the automatic time yet
    env.parts.pageTime = env.clock.now() - 501;
    env.parts.selectWait = 0;
    SetScirptWait(1, 27);
    env.key.trigger = 0;
    EXPECT_EQ(ASS_AnalysisScirpt(), 5);
    EXPECT_EQ(env.parts.pageState, 2);

    ScriptEnv env2;
    env2.Run("p.scr", "call keywait\ncall return 5\nans: call return 6");
    env2.Loop();
    env2.parts.windowState = 3;
    SetScirptWait(1, 29);
    EXPECT_EQ(env2.Loop(), 0);
    env2.parts.windowState = 0;
    SetScirptWait(1, 48);
    EXPECT_EQ(env2.Loop(), 0);  // no choice wait open yet
    env2.parts.selectWait = 1;
    env2.parts.renewResult = 2;
    env2.parts.selectAns = 1;
    env2.parts.selectLabel = 13;
    EXPECT_EQ(env2.Loop(), 6);  // 29 was replaced by 48; the choice jumps to its answer
    EXPECT_EQ(env2.parts.calls.back(), "termSelect");
}

TEST(ScriptEnd, ReturnCodesStopAndRestartRunsOn) {
    ScriptEnv env;
    env.Run("r.scr", "call return 2\ncall setvalue 0, 3\ncall return 0");
    EXPECT_EQ(env.Loop(), 2);
    EXPECT_EQ(env.Loop(), 0);  // stopped
    EXPECT_EQ(ScrValueTbl[0], 0);
    ASS_StartScript();
    EXPECT_EQ(env.Loop(), -2);  // ran on, returned 0 from the bottom
    EXPECT_EQ(ScrValueTbl[0], 3);
    EXPECT_EQ(env.Loop(), -2);

    env.Run("f.scr", "call keywait");
    _ass_setscriptendret(3);  // a running fade's code is not touched by a start
    ASS_StartScript();
    EXPECT_EQ(_ass_getscriptendret(), 3);
}

TEST(ScriptEnd, ANewEngineDoesNotInheritAStoppingCode) {
    ScriptEnv env;
    env.Run("a.scr", "call return -1");
    EXPECT_EQ(env.Loop(), -1);
    ASS_Term();
    ASS_Init();
    env.Run("b.scr", "call setvalue 0, 9\ncall return 5");
    EXPECT_EQ(env.Loop(), 5);
    EXPECT_EQ(ScrValueTbl[0], 9);
}

TEST(ScriptEnd, JumpOutsideTheDataPopsTheScript) {
    ScriptEnv env;
    env.Run("j.scr", "jump -10\ncall setvalue 0, 1");
    EXPECT_EQ(env.Loop(), -2);
    EXPECT_EQ(ScrValueTbl[0], 0);
}

TEST(ScriptEngine, InitTwiceTearsDownFirstAndDrawOrder) {
    ScriptEnv env;
    env.Run("a.scr", "decl 7 t = \"kept\"\ncall keywait");
    env.Loop();
    ASS_Init();
    EXPECT_EQ(env.parts.calls, (std::vector<std::string>{"termSprite", "termText", "termSelect", "initSprite",
                                                          "initText", "initSelect"}));
    EXPECT_EQ(actv_scr, nullptr);
    EXPECT_EQ(ASS_ClearSurfFlag(), 1);
    env.parts.calls.clear();
    ASS_Draw();
    ASS_SetDebugMode(1);
    ASS_Draw();
    ASS_SetDebugMode(0);
    EXPECT_EQ(env.parts.calls, (std::vector<std::string>{"drawFade", "drawText", "drawFade"}));
}

TEST(ScriptEngine, ReloadLoadsWithoutStartingAndKeepsTheClearFlag) {
    ScriptEnv env;
    env.Write("rel.scr", "call setvalue 1, 2\ncall return 5");
    const std::string abs = env.dir.File("drop/abs.scr");
    const std::vector<u8> bytes = tools::AssembleScript("call setvalue 0, 1\ncall return 5").bytes;
    env.dir.Write("drop/abs.scr", bytes);
    ASS_SetClearSurfFlag(0);
    ASSERT_EQ(ASS_ReloadScript(abs.c_str()), 1);
    EXPECT_EQ(env.parts.calls, (std::vector<std::string>{"termSprite", "termText", "termSelect", "initSprite",
                                                          "initText", "initSelect"}));
    EXPECT_EQ(ASS_ClearSurfFlag(), 0);
    EXPECT_EQ(env.Loop(), 0);
    EXPECT_EQ(ScrValueTbl[0], 0);
    ASS_StartScript();
    EXPECT_EQ(env.Loop(), 5);
    EXPECT_EQ(ScrValueTbl[0], 1);

    ASSERT_EQ(ASS_ReloadScript("rel.scr"), 1);
    ASS_StartScript();
    EXPECT_EQ(env.Loop(), 5);
    EXPECT_EQ(ScrValueTbl[1], 2);

    env.parts.calls.clear();
    test::DebugCapture debug;
    const std::string longName(300, 'a');
    EXPECT_EQ(ASS_ReloadScript(longName.c_str()), 0);
    EXPECT_TRUE(env.parts.calls.empty());
    EXPECT_STREQ(actv_scr->name, "rel.scr");
    EXPECT_TRUE(debug.Contains("too long"));
}

TEST(ScriptCondition, IfAndLoopListsCombineLeftToRight) {
    const struct {
        const char* line;
        bool jumps;
    } cases[] = {
        {"if a else skip", true},
        {"if a or b else skip", false},
        {"if b and a else skip", true},
        {"if 1 and 0 or 1 else skip", false},  // (1 and 0) or 1
        {"if 1 or 1 and 0 else skip", true},   // (1 or 1) and 0
        {"if 2 > 1 and 3 <= 3 and -1 < 0 else skip", false},
        {"if b != 1 or a >= 1 else skip", true},
        // Conditions without a connector between them take the last one read (and before any).
        {"raw 2 u16:15 i32:skip 3 i32:1 255 3 i32:0 255 255", true},
        {"raw 2 u16:15 i32:skip 3 i32:0 255 8 22 3 i32:0 255 3 i32:1 255 255", false},
        {"loop b == 1 and a < 1 exit skip", false},
        {"loop b == 1 and a > 1 exit skip", true},
        {"raw 2 u16:18 i32:skip 0 i32:1 255 8 7 255 0 i32:0 255 255", false},  // not a comparison: true
    };
    for (const auto& c : cases) {
        ScriptEnv env;
        env.Run("if.scr", std::string("decl 3 a = 0, b = 1, r = 0\n") + c.line + "\nset r = 1\nskip: call return 5");
        EXPECT_EQ(env.Loop(), 5) << c.line;
        EXPECT_EQ(env.Var(2), c.jumps ? 0 : 1) << c.line;
    }
}

}  // namespace
