// Placing objects on the map and the map and mech collision.
#pragma once
#include "platform/types.h"

struct LIST_DATA;

// Places the object at (x, y, z) with its FIX16 copies and takes its boxes from its sprite (a mech's
// as it faces direction 0; zero boxes when the sprite cannot be read).
void MAP_SetObjPos(LIST_DATA* obj, i32 x, i32 y, i32 z);

// The first mech slot whose mech meets the object in height and in its foot box 2 (taken without its
// offsets); -1 none.
int HIT_CheckMekaRect(LIST_DATA* obj);
// Moves CurObj toward (new x, new y) against the other mechs (unless ignoreMeka) and the blocked cells,
// clipping the move and sliding along what blocks it. 0 moved freely, 1 with contact (the caller
// repeats while it gets 1), -1 blocked by a mech, -2 by the map. Callers pass retry 0.
int HIT_MoveMeka(FIX16* nx16, FIX16* ny16, int ignoreMeka, int retry);
// 1 when a cell under the object's sprite hit rectangle 2 has attribute A & mask; 0 without a map.
int HIT_CheckMapAttr(LIST_DATA* obj, int mask);
// 1 when the cells on the line are free of attribute A & mask; 0 when blocked, off the map or no map.
int HIT_CheckMapLine(i32 x1, i32 y1, i32 x2, i32 y2, int mask);
// 1 when the object's foot box 1 can travel to (x, y) over cells free of attribute A & mask.
int HIT_CheckMapLineBox(LIST_DATA* obj, i32 x, i32 y, int mask);
