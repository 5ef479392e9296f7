// The battle world's entry points that the shell calls.
#pragma once
#include "battle/data/tama_data.h"  // TAMA_LoadData, TAMA_ClearData

int BTL_Draw();
