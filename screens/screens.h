// The screens' entry points that the shell calls: two start-up loads and the scenes' update and draw.
#pragma once
#include "screens/save/save.h"  // SAVE_ScanSlots

int SVV_LoadHistory();
void OP_Renew();
void OP_Draw();
void TITLE_Renew();
void TITLE_Draw();
int BTL_Loop();
int HIS_Loop();
void HIS_Draw();
