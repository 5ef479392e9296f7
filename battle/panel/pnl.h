// The battle HUD: mech panels, the slot panel, the hit-count popup and the target marker.
#pragma once
#include "platform/types.h"

struct LIST_DATA;

void PNL_Delete(int slot);
void PNL_SetGaugeRect(int slot, int piece);
void PNL_ClearSlotMark();
// Shows or hides every panel of a live mech, the slot panel, the hit-count popup and the marker.
void PNL_ShowAll(int flag);
// Marks the equipment slot (row, column) on the slot panel.
void PNL_SetSlotMark(int kind, int row, int column);
// The player's hit-count popup: set after the player's update, stepped once a frame.
void PNL_SetCountPopup();
void PNL_RenewCountPopup();
// The gauge strip of a mech and the trail of its damage bar, once a frame.
void PNL_RenewGauge(LIST_DATA* meka);
void PNL_RenewDamageBar(int slot);

// The damage display of a mech's life bar: px are life units / 16 before and after the hit.
void PNL_SetDamageGauge(LIST_DATA* meka, int oldPx, int newPx, int life, int bars);
void PNL_SetDamageWait(int slot, int frames);
// Gauge chips for the lost part of the bar: the chip's object index, -999 when nothing was lost.
int PNL_CreateChip(LIST_DATA* meka, int oldPx, int newPx);

struct LIST_DATA;
// The target marker over obj's target, once a drawn frame.
void PNL_RenewMarker(LIST_DATA* obj, LIST_DATA* target);

// ---- set-up and teardown of the HUD ----
extern i16 PnlChipCnt;  // live gauge chips
// 1 when the HUD bitmaps were loaded.
int PNL_Init();
void PNL_Term();
void PNL_InitAll();
int PNL_Create(int slot, int icon, int x, int y);
void PNL_Show(int slot, int flag);
int PNL_DeleteChip(LIST_DATA* chip);
void PNL_CreateSlotPanel(int x, int y);
void PNL_DeleteSlotPanel();
void PNL_CreateCountPopup();
void PNL_DeleteCountPopup();
void PNL_CreateMarker();
void PNL_DeleteMarker();
