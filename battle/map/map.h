// The stage map.
#pragma once
#include "platform/types.h"

constexpr u8 MAP_NONE = 255;  // the map number while no map is open

// The open map's number, MAP_NONE when none is open.
int MAP_GetMapNo();
void MAP_ShowLayer(int flag);
