// The battle mode's menus.
#pragma once
#include "battle/data/meka_type.h"

// The mech types' display names as drawn text (Big5 bytes), in type order; shown on the mech cards.
extern const char* const MekaDispNameTbl[MEKA_TYPE_MAX];

// 0 while the menus run, -999 once the menu mode has ended.
int MENU_Renew();
// The menus' background: 1 hides every sprite and pauses its animation, saving both flags.
void MENU_SetBG(int mode);
void MENU_SetMode(int mode);
