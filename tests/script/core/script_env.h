// A headless script engine for tests: scripts assembled into a temporary folder made current, a fake
// clock, the screens' key device and mouse words set by the test, and recording doubles in place of the
// script sprites, the text window and messages, the choice rectangles and the fade.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/core/ass.h"
#include "script/core/scr_data.h"
#include "test_support.h"

namespace test {

struct PartsDouble {
    std::vector<std::string> calls;  // init and term calls, in order
    int pageState = 3;
    int windowState = 0;
    int selectWait = 0;
    int selectAns = -1;
    i32 selectLabel = -1;
    int renewResult = -1;
    int autoOn = 0;
    u32 autoMs = 500;
    u32 pageTime = 0;
    i32 fadeTime = 1;
    u32 fadeStart = 0;
    i32 fadeKind = -1;
    int loopTextCount = 0;
};

class ScriptEnv {
public:
    ScriptEnv();
    ~ScriptEnv();
    ScriptEnv(const ScriptEnv&) = delete;
    ScriptEnv& operator=(const ScriptEnv&) = delete;

    // Assembles source into "script/<name>"; returns the bytes.
    std::vector<u8> Write(const std::string& name, const std::string& source);
    void WriteBytes(const std::string& name, const std::vector<u8>& bytes);
    // Loads and starts name as the bottom script.
    void Run(const std::string& name, const std::string& source);
    // One update with the given input: key trigger word and the mouse's new and held buttons.
    i32 Loop(u16 trigger = 0, u32 mouseTrg = 0, u32 mousePad = 0);
    i32 Var(int index) const;

    TempDir dir;
    FakeClock clock;
    KEY_DEVICE key{};
    PartsDouble parts;

private:
    ScopedCwd cwd_;
};

}  // namespace test
