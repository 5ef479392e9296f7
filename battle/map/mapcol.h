// Placing objects on the map and the map and mech collision.
#pragma once
#include "platform/types.h"

struct LIST_DATA;

// Places the object at (x, y, z) with its FIX16 copies and takes its boxes from its sprite.
void MAP_SetObjPos(LIST_DATA* obj, i32 x, i32 y, i32 z);
