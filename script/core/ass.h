// The script interpreter: runs the active script a slice per update, owns the engine's init and term
// order, the waits, the dispatch of function calls (built-in functions 0..83 and the text line 900
// through _ass_callfunc in ass_func.h, 128..899 through the game function) and the end values the
// script scene reads.
#pragma once
#include "platform/types.h"
#include "shell/input/key.h"

// The game function: called with the function number - 128; 1 ends the frame, 0 goes on.
using ASS_GAME_FUNC = int (*)(i32 no);

constexpr int SCR_GLOBAL_VALUE_COUNT = 256;
constexpr int SCR_FUNC_FLAG_COUNT = 32;
constexpr int ASS_STATEMENT_BUDGET = 100000;  // statements per update before the frame is cut
constexpr int ASS_CALL_DEPTH_MAX = 32;         // nesting of calls inside expressions

// Function numbers the interpreter itself knows.
constexpr int ASS_FUNC_BUILTIN_LAST = 83;
constexpr int ASS_FUNC_GAME_FIRST = 128;
constexpr int ASS_FUNC_GAME_LAST = 899;
constexpr int ASS_FUNC_TEXT = 900;

// Waited function numbers with their own end test.
constexpr int ASS_WAIT_FADE = 10;
constexpr int ASS_WAIT_FADE2 = 11;
constexpr int ASS_WAIT_KEY = 13;
constexpr int ASS_WAIT_PAGE = 27;
constexpr int ASS_WAIT_CLOSE = 29;
constexpr int ASS_WAIT_SELECT = 48;

extern i32 ScrValueTbl[SCR_GLOBAL_VALUE_COUNT];
extern u8 ScrFuncFlagTbl[SCR_FUNC_FLAG_COUNT];
extern KEY_DEVICE* adv_tkey;  // the screens' key device (trigger and current words are read)
extern i32 ass_MouseX;
extern i32 ass_MouseY;
extern u32 ass_MouseTrg;  // newly pressed: bit 1 left, bit 2 right (higher bits may be set)
extern u32 ass_MousePad;  // held
extern i32 ass_debug;
extern u32 ass_UpdateCount;  // counts ASS_Loop calls: parts that must step once an update compare it

// The engine's neighbours (script sprites, text window and messages, choice rectangles, the fade),
// called through one table so the interpreter can be run and checked without them. The defaults are
// the modules' own functions.
struct ASS_PARTS {
    void (*initSprite)();
    void (*termSprite)();
    void (*renewSprite)();
    void (*initText)();
    void (*termText)();
    void (*loopText)();
    void (*drawText)();
    void (*initSelect)();
    void (*termSelect)();
    int (*renewSelect)();
    int (*getSelectWait)();
    int (*getSelectAns)();
    i32 (*getSelectLabel)();
    void (*dispSelect)(int flag);
    int (*getPageState)();
    void (*setPageState)(int state);
    int (*getWaitType)(u32* ms);  // automatic advance: on flag, its time
    u32 (*getPageTime)();
    int (*getWindowState)();      // 0 closed, 1 opening, 2 open, 3 closing
    i32 (*getFadeTime)();
    u32 (*getFadeStart)();
    void (*setFadeKind)(i32 kind);
    void (*drawFade)();
};
const ASS_PARTS& ASS_DefaultParts();
void ASS_SetParts(const ASS_PARTS* parts);  // null restores the defaults
const ASS_PARTS& ASS_GetParts();

// ---- engine ----
void ASS_Init();
void ASS_Term();
i32 ASS_Loop();
void ASS_Draw();
void _ass_initcommon();
void _ass_initscript();
void _ass_termscript();
void ASS_InitScript();
void ASS_TermScirpt();
// Tears the engine's parts down, builds them again (the clear-surface flag kept) and loads the named
// script without starting it: the dropped-file reload. 0 (nothing changed) for a name of 260 bytes or
// more, 0 also when the script does not load (the engine is then built and empty).
int ASS_ReloadScript(const char* name);

// ---- the step ----
i32 _ass_analysisscript();
i32 ASS_AnalysisScirpt();
int _ass_analysisline();
int _ass_analysiscontrol();
int _ass_analysisdeclare(int kind);
int _ass_analysisif();
int _ass_analysisloop();
int _ass_analysisgoto();
int _ass_analysisassign();
// After the token or statement byte 7: reads the function number and runs the function; 1 ends the
// frame.
int AnalysisFunc();
void CheckWaitFunc();
// 1 for the numbers whose call ends the frame.
int _ass_funcendsframe(int no);

// ---- running, waits and flags ----
void ASS_StartScript();
void ASS_StopScript();
int ASS_IsScriptRunning();
int ASS_IsLoaded();
void ASS_SetGameFunc(ASS_GAME_FUNC func);
void ASS_SetFuncReturn(i32 n);
void SetFuncReturnNum(i32 n);
i32 ASS_GetFuncReturn();
void ASS_SetScriptReadMode(i32 n);
i32 ASS_GetScriptReadMode();
void _ass_setScirptReadMode(i32 n);
i32 _ass_getScriptReadMmode();
void ASS_SetClearSurfFlag(i32 v);
void _ass_setclearsurfflag(i32 v);
i32 ASS_ClearSurfFlag();
void ASS_SetDebugMode(i32 v);
void ASS_InitKeyDevice(KEY_DEVICE* device);
void ASS_RenewKeyDevice(i32 x, i32 y, u32 trigger, u32 held);
int SetScirptWait(int on, int number);
int GetScriptWait();
int GetScriptWaitFunc();
// A timed wait from now; -1 sets none.
void _ass_setscriptwait(i32 ms);
void _ass_setscriptend(int flag);
int _ass_getscriptend();
void _ass_setscriptendret(i32 value);
i32 _ass_getscriptendret();
