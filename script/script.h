// The script engine's entry points that the shell calls: the script scene and the dropped-file hook.
#pragma once
#include "platform/window.h"

void ADV_Loop();
void ADV_Draw();
void ASS_DropOpenScirpt(HDROP drop);
