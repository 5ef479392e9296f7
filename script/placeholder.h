// What the script engine's stand-ins record of their calls, for the tests.
#pragma once
#include <array>
#include <vector>

struct SCRIPT_STANDIN_LOG {
    std::vector<std::array<int, 2>> bscInterrupt;  // mBSC_Chr_Interrupt (slot, value)
};

extern SCRIPT_STANDIN_LOG ScriptStandIn;
