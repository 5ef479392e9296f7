// The system shell: the process entry, the one window and its procedure, the message loop, the paced
// scene switch, start-up and shut-down in their fixed orders, the window placement kept in the settings
// store, the display-mode change, the system menu, the deferred minimise and the dropped-file hook.
#pragma once
#include <functional>

#include "platform/types.h"
#include "platform/window.h"

using HINSTANCE = void*;
using DROP_OPEN_FUNC = void (*)(HDROP drop);

// Settings store values.
constexpr u32 REG_SZ = 1;
constexpr u32 REG_BINARY = 3;
constexpr u32 REG_DWORD = 4;
constexpr u32 REG_MULTI_SZ = 7;

// ---- globals ----
extern HINSTANCE MainInstance;
extern HWND MainWnd;
extern u32 ActivateFlag;
extern u32 PauseFlag;
extern u32 CloseFlag;
extern u32 SysSeq;
extern u32 SysSeqPrev;
extern u32 SysRenewTime;
extern u32 SysDrawTime;
extern DROP_OPEN_FUNC DropOpenFunc;
extern i32 ScreenWorkSurf;
extern i32 ScreenWorkSpr;
// Non-zero switches on the debug overlay and the map loader's open-error line; nothing in play sets it.
extern u32 SysDebugFlag;

// ---- entry, window and loop ----
int WinMain(HINSTANCE instance, HINSTANCE prevInstance, char* cmdLine, int showCmd);
int SYS_InitWindow();
LRESULT WndProc(HWND window, u32 message, WPARAM wParam, LPARAM lParam);
// One turn of the message loop: a message dispatched, or an idle turn. False once WM_QUIT was taken,
// with its code in *exitCode.
bool SYS_MessageTurn(int* exitCode);
// How long an idle turn waits for a message before the next one: until the next gate of the paced
// step or the next timer tick is due, whichever comes first.
u32 SYS_IdleWaitMs();

// ---- start-up and shut-down ----
void SYS_InitGame();
void SYS_ReleaseGame();

// ---- scenes ----
void SYS_Loop_Main();
void SYS_DrawDefault();
u32 SYS_SetSeq(u32 seq);
u32 SYS_GetSeq(int prev);
void SYS_Exit();

// ---- display and window ----
void SetCloseFlag();
void _closeDDWindow();
int ChangeDisplayMode(HWND window, i32 width, i32 height, u16 depth, int fullScreen);
void SetSystemMenu(HWND window, int active);
void SetDropOpenFunc(DROP_OPEN_FUNC func);
void SYS_SetDropOpenFile(DROP_OPEN_FUNC func);

// The window rectangle (frame included) of each placement, from the screen metrics alone.
RECT SYS_FullScreenPlacement(const plat::ScreenMetrics& metrics, i32 width, i32 height);
// stored: the "WndRect" value, or null when it could not be read.
RECT SYS_WindowedPlacement(const plat::ScreenMetrics& metrics, i32 width, i32 height, const RECT* stored);

// ---- surfaces and sound ----
void PushSurf();
void PopSurf();
int SYS_InitSurf();
void SYS_ReleaseSurf(int noSave);
void SYS_InitSound();
void SYS_ReleaseSound();

// ---- settings store ----
// Reads the value only when it holds exactly size bytes (a value of another size is refused).
int GetRegistry(const char* subKey, const char* name, void* buffer, u32 size);
u32 GetRegistryValue(const char* subKey, const char* name);
int SetRegistry(const char* subKey, const char* name, u32 type, const void* data, u32 size);
void SetRegistryValue(const char* subKey, const char* name, u32 value);

// ---- observation ----
// The start-up and shut-down steps in their fixed order, named for the tests' trace.
struct SYS_STEP {
    const char* name;
    void (*func)();
};
extern const SYS_STEP SysInitSteps[];
extern const int SysInitStepCount;
extern const SYS_STEP SysReleaseSteps[];
extern const int SysReleaseStepCount;

// Tests follow the shell through named events: every start-up and shut-down step that runs, the
// update ("update N") and draw ("draw N") of each scene, the cursor follow ("cursor"), PushSurf, PopSurf,
// and the display calls of the window procedure and the display-mode change.
void SYS_SetTrace(std::function<void(const char* event)> trace);
// Back to the values before the entry runs (tests start each case from there).
void SYS_ResetState();
