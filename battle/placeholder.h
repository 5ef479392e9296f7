// What the battle's stand-ins record of their calls, and the few values they hand back, for the
// tests. Each group goes with its stand-ins when the module that owns them is built.
#pragma once
#include <array>
#include <vector>

#include "platform/types.h"

struct BTL_STANDIN_LOG {
    // The HUD.
    std::vector<int> pnlShowAll;  // flags
};

extern BTL_STANDIN_LOG BtlStandIn;
