// Stands in for the parts of the battle world not built yet.
// The stand-in of the HUD show-all call does the least its callers need and records its calls
// (battle/placeholder.h).
#include "battle/placeholder.h"

#include "battle/battle.h"
#include "battle/data/tama_data.h"
#include "battle/effect/eft.h"
#include "battle/map/mapcol.h"
#include "battle/meka/meka.h"
#include "battle/meka/meka_act.h"
#include "battle/object/obj.h"
#include "battle/panel/pnl.h"
#include "battle/tama/tama.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "shell/sys.h"

BTL_STANDIN_LOG BtlStandIn;

// ---- the HUD ----
// Built with the mechs' show calls; the HUD's own show calls exist.

void PNL_ShowAll(int flag) { BtlStandIn.pnlShowAll.push_back(flag); }

