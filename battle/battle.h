// The battle world's entry points that the shell calls.
#pragma once

int TAMA_LoadData();
void TAMA_ClearData();
int BTL_Draw();
// The battle picture of the script scene and of the battle script's frame, drawn to the sprite draw
// target; the caller presents.
int BTL_DrawScript();
