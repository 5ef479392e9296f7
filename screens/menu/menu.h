// The battle mode's menus.
#pragma once
#include "battle/data/meka_type.h"

// The mech types' display names as drawn text (Big5 bytes), in type order; shown on the mech cards.
extern const char* const MekaDispNameTbl[MEKA_TYPE_MAX];
