// The script engine's entry points that the shell and the title call: the script scene and the
// dropped-file hook.
#pragma once
#include "platform/types.h"
#include "platform/window.h"

constexpr int ADV_SCRIPT_MAX = 5;
constexpr int ADV_SPEAKER_MAX = 21;

extern const char TutorialScriptTbl[ADV_SCRIPT_MAX][32];
extern i32 AdvState;       // -1 init pending, 4/5 running, 2 to the title, 3 to the battle mode, 6 handed over
extern i32 AdvScriptNo;
extern i32 AdvBattlePicFlag;  // 1 while the battle picture is drawn under the script's
extern i32 AdvDropWaiting;    // a dropped script is loaded and waits for the scene to start it
extern i32 AdvLoopResult;     // what the last run step's ASS_Loop returned, for logs

void ADV_SetState(i32 n);
void ADV_SetScriptNo(i32 n);
void ADV_Loop();
void ADV_Draw();
void ADV_Init();
void ADV_Run();
void ADV_Term();
void ADV_Resume();
void ADV_ToBattle();
void ASS_DropOpenScirpt(HDROP drop);
