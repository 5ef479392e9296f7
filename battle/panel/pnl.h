// The battle HUD: mech panels, the slot panel, the hit-count popup and the target marker.
#pragma once
#include "platform/types.h"

void PNL_Delete(int slot);
void PNL_SetGaugeRect(int slot, int piece);
void PNL_ClearSlotMark();
// Shows or hides every panel of a live mech, the slot panel, the hit-count popup and the marker.
void PNL_ShowAll(int flag);
