// The screens' entry points that the shell calls: two start-up loads and the scenes' update and draw.
#pragma once
#include "screens/ranking/his.h"  // SVV_LoadHistory, HIS_Loop, HIS_Draw
#include "screens/save/save.h"    // SAVE_ScanSlots
#include "screens/op.h"           // OP_Renew, OP_Draw, OP_ReleaseMovie
#include "screens/title/title.h"  // TITLE_Renew, TITLE_Draw
int BTL_Loop();
