// What the battle's stand-ins record of their calls, and the few values they hand back, for the
// tests. Each group goes with its stand-ins when the module that owns them is built.
#pragma once
#include <array>
#include <vector>

#include "platform/types.h"

struct BTL_STANDIN_LOG {
    // Effects: EFT_Create (type, owner index or -1, x, y, z).
    std::vector<std::array<int, 5>> eftCreate;
    // The HUD.
    std::vector<int> pnlDelete;                 // slots
    std::vector<std::array<int, 2>> gaugeRect;  // PNL_SetGaugeRect (slot, piece)
    int slotMarkClears = 0;
    std::vector<std::array<int, 3>> slotMark;  // PNL_SetSlotMark (kind, row, column)
    // EFT_CreateDebris (type, spread, life).
    std::vector<std::array<int, 3>> debris;
    std::vector<std::array<int, 5>> damageGauge;  // PNL_SetDamageGauge (slot, old px, new px, life, bars)
    std::vector<std::array<int, 3>> chip;         // PNL_CreateChip (slot, old px, new px)
    std::vector<std::array<int, 2>> damageWait;   // PNL_SetDamageWait (slot, frames)
    std::vector<int> pnlShowAll;  // flags
    // The battle mode's steps and the HUD's set-up: each call by name, in order.
    std::vector<const char*> calls;
    std::vector<std::array<int, 3>> pnlCreate;  // PNL_Create (slot, x, y)
    std::vector<std::array<int, 2>> pnlShow;    // PNL_Show (slot, flag)
};

extern BTL_STANDIN_LOG BtlStandIn;
