// Effects: the extension record of object kind 3, the live count and the create call.
#pragma once
#include "platform/types.h"

struct LIST_DATA;

struct EFT_WORK {
    i16 type;  // 0..24
    i8 kill;   // the next update deletes the effect
};

extern i16 EftCnt;  // live effects
extern i32 EftSprGrpNo;  // sprite group of the effect set, -1 when not loaded; shots draw from it too

// A new effect of the type at (x, y, z), owned by owner (or none); its object index, -1 when none
// could be made.
int EFT_Create(int type, LIST_DATA* owner, int x, int y, int z);
// A burst of effects of the type at the debris rectangles of CurObj's sprite; 0 for a negative type.
int EFT_CreateDebris(int type, int spread, int life);

// 1 when the sprite set was loaded.
int EFT_Init();
// Releases the sprite set; a second call does nothing.
void EFT_Term();
// OBJ_Free's next index.
int EFT_Delete(LIST_DATA* obj);
