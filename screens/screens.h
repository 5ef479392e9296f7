// The screens' entry points that the shell calls: two start-up loads and the scenes' update and draw.
#pragma once
#include "screens/ranking/his.h"  // SVV_LoadHistory, HIS_Loop, HIS_Draw
#include "screens/save/save.h"    // SAVE_ScanSlots

void OP_Renew();
void OP_Draw();
void TITLE_Renew();
void TITLE_Draw();
int BTL_Loop();
