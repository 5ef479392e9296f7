// Stands in for the parts of the battle world not built yet.
// The stand-in of the HUD show-all call does the least its callers need and
// records its calls (battle/placeholder.h).
#include "battle/placeholder.h"

#include "battle/panel/pnl.h"

BTL_STANDIN_LOG BtlStandIn;

// ---- the HUD ----
// Built with the mechs' show calls; the HUD's own show calls exist.

void PNL_ShowAll(int flag) { BtlStandIn.pnlShowAll.push_back(flag); }
