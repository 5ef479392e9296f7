// Effects: the extension record of object kind 3, the shared effect sprite set, creation, the per-type
// init and update tables and the debris burst.
#pragma once
#include "platform/types.h"

struct LIST_DATA;

constexpr int EFT_TYPE_MAX = 25;

struct EFT_WORK {
    i16 type;  // 0..24
    i8 kill;   // the next update deletes the effect
};

extern i16 EftCnt;       // live effects
extern i32 EftSprGrpNo;  // sprite group of "Bmp\Effect\Effect.spr", -1 when not loaded; shots draw from it too
extern EFT_WORK* EftCur;  // the effect being updated

// 1 when the sprite set was loaded.
int EFT_Init();
// Releases the sprite set; a second call does nothing.
void EFT_Term();
// A new effect of the type at (x, y, z), owned by owner (or none); its object index, -1 when none
// could be made (type outside 0..24, type 24 without an owner drawn by a group sprite, pool or sprite
// table full), with nothing left taken.
int EFT_Create(int type, LIST_DATA* owner, int x, int y, int z);
// The kind-3 update of the frame walk (CurObj); always 1.
int EFT_Renew();
// OBJ_Free's next index.
int EFT_Delete(LIST_DATA* obj);
// A burst of effects of the type from hit rectangles 14 and 15 of the current mech's sprite; 0 for a
// negative type, else 1.
int EFT_CreateDebris(int type, int spread, int life);
// x16, y16 += velocity × step; x, y follow.
int EFT_RenewMove();

using EFT_INIT_FUNC = void (*)(LIST_DATA* obj, LIST_DATA* owner);
using EFT_RENEW_FUNC = int (*)();
extern const EFT_INIT_FUNC EftInitTbl[EFT_TYPE_MAX];
extern const EFT_RENEW_FUNC EftRenewTbl[EFT_TYPE_MAX];
