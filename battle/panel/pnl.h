// The battle HUD: mech panels, gauge chips, the slot panel, the hit-count popup and the target marker.
#pragma once
#include "platform/types.h"

struct LIST_DATA;

constexpr int PNL_MAX = 10;  // one per mech slot
constexpr int PNL_BAR_PX = 130;

// A strip of a panel: a surface sprite showing columns left..right of one colour row of the parts
// bitmap.
struct PNL_STRIP {
    i16 spr;  // -1 none
    i32 x;
    i32 y;
    RECT src;  // left..right columns, top..bottom rows
};

struct PNL_DATA {
    u8 use;
    i32 surf;  // the 196 × 40 panel surface, -1 none
    i16 bgSpr;
    i16 overSpr;
    PNL_STRIP life;
    PNL_STRIP under;
    PNL_STRIP damageA;
    PNL_STRIP damageB;
    PNL_STRIP gauge;
    i32 twoTrail;  // strip B holds a trail
    i8 damageWait;
    i32 x;
    i32 y;
    i32 baseY;
    u8 highlight;
};

extern PNL_DATA PnlTbl[PNL_MAX];
extern i32 PnlPartsSurf;  // "Bmp\Parts.bmp", -1 when not loaded
extern i32 PnlIconSurf;   // "Bmp\MekaPnl.bmp"
extern i16 PnlChipCnt;    // live gauge chips

// 1 when both bitmaps loaded.
int PNL_Init();
// Releases the two bitmaps; a second call does nothing.
void PNL_Term();
void PNL_InitAll();
int PNL_Create(int slot, int icon, int x, int y);
void PNL_ResetGauge(int slot);
void PNL_Show(int slot, int flag);
void PNL_Delete(int slot);
void PNL_SetPos(int slot, int x, int y);
void PNL_SetGaugeRect(int slot, int piece);
void PNL_RenewGauge(LIST_DATA* meka);
void PNL_Renew();
// Shows or hides every panel of a live mech, the slot panel, the hit-count popup and the marker.
void PNL_ShowAll(int flag);

// The damage display of a mech's life bar: px are life units / 16 before and after the hit (the new
// one before the bar carry, negative past the bar's end), life the units before the carry, bars the
// bar count before the hit.
void PNL_SetDamageGauge(LIST_DATA* meka, int oldPx, int newPx, int life, int bars);
void PNL_SetDamageWait(int slot, int frames);
void PNL_RenewDamageBar(int slot);
void PNL_AddLife(LIST_DATA* meka, int amount, int maxBars);

// Gauge chips for the lost part of the bar: the chip's object index, -999 when nothing was lost (or
// no chip could be made).
int PNL_CreateChip(LIST_DATA* meka, int oldPx, int newPx);
// The kind-4 update of the frame walk (CurObj); always 1.
int PNL_RenewChip();
int PNL_DeleteChip(LIST_DATA* chip);

void PNL_CreateSlotPanel(int x, int y);
void PNL_ShowSlotPanel(int flag);
void PNL_DeleteSlotPanel();
void PNL_SetSlotMark(int kind, int row, int col);
void PNL_ClearSlotMark();

void PNL_CreateCountPopup();
void PNL_DeleteCountPopup();
void PNL_ShowCountPopup(int flag);
void PNL_SetCountPopup();
void PNL_RenewCountPopup();

void PNL_CreateMarker();
void PNL_DeleteMarker();
void PNL_ShowMarker(int flag);
// The target marker over obj's target, once a drawn frame.
void PNL_RenewMarker(LIST_DATA* obj, LIST_DATA* target);

// What the tests and the renderer read of the HUD's other state.
struct PNL_HUD_STATE {
    i32 slotSurf;
    i16 slotSpr;
    i32 popupSurf;
    i16 popupSpr;
    i32 popupTime;
    i32 popupCount;  // last shown count, -1 none
    i16 markerSpr;
    u8 markerFar;
};
extern PNL_HUD_STATE PnlHud;
