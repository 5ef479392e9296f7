// The game's own mouse pointer: a sprite of the cursor set that follows the mouse over the 640×480
// picture, so that it is part of the picture like any other sprite.
#pragma once
#include "platform/types.h"
#include "platform/window.h"

constexpr int CUR_TYPE_MAX = 4;  // types 0..4 show sequences 0..4 of the cursor set; -1 hides

int CUR_Init(const char* name, int group);
int CUR_Renew(HWND window);
void CUR_SetType(int type);
int CUR_GetType();
void CUR_Show(u8 flag);
void CUR_SetPri(int priority);
// Starts the shown type's sequence again from its first step (nothing while hidden by type -1).
void CUR_Restart();
