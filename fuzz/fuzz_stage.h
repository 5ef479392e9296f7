// A stage for the map targets: map 0 (sub 0, light) in "Bmp\Map", its two picture sheets written once,
// and what a battle does with an open stage.
#pragma once
#include <vector>

#include "platform/types.h"

namespace fuzz {

// The ".map" and "_o.csp" names of the stage, for InputFile and CompanionFile.
constexpr const char* kStageMap = "Bmp/Map/00_0_L.map";
constexpr const char* kStageCsp = "Bmp/Map/00_0_L_o.csp";

// The game root, the display, the sprite tables and the stage's chip and object sheets.
void NeedStage();
// Opens the stage; when it opened, draws the scroll buffer (through a small view) at the map's corners
// and centre, scrolls, asks the cell grid along both diagonals and checks every background object
// names a picture; closes it again.
void RunStage();

}  // namespace fuzz
