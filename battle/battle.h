// The battle world's entry points that the shell calls.
#pragma once

int TAMA_LoadData();
void TAMA_ClearData();
int BTL_Draw();
