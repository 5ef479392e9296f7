// Checked reads of what one object names in another table: the technique, motion and frame a mech
// runs. Each index comes from a record and is tested against the table it names; anything outside
// counts as none. (The mech of a slot: MEKA_GetSlot; an object index: OBJ_Get.)
#pragma once

struct LIST_DATA;
struct WAZA_DATA;
struct WAZA_MOTION;
struct WAZA_FRAME;

// The live mech's current technique, null when its type's techniques are not loaded or the number is
// not below their count.
WAZA_DATA* OBJ_GetMekaWaza(LIST_DATA* obj);
// Its current motion (0..15) and the frame (0..9) of that motion; null as above or out of range.
WAZA_MOTION* OBJ_GetMekaMotion(LIST_DATA* obj);
WAZA_FRAME* OBJ_GetMekaFrame(LIST_DATA* obj);
