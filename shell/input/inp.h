// Input devices: one keyboard, one mouse and up to 16 joysticks, each read only when a caller asks for
// the frame's read; getters hand out the module's copy. Positions are in the 640×480 picture's pixels.
#pragma once
#include "platform/input.h"
#include "platform/types.h"
#include "platform/window.h"

constexpr int INP_JOYSTICK_MAX = 16;

// Mouse button word.
constexpr u32 INP_MOUSE_L = 0x1;      // primary held
constexpr u32 INP_MOUSE_R = 0x2;      // secondary held
constexpr u32 INP_MOUSE_L_TRG = 0x4;  // primary pressed since the previous read
constexpr u32 INP_MOUSE_R_TRG = 0x8;  // secondary pressed since the previous read

struct JOY_STATE {
    i32 x;        // -100..100
    i32 y;        // -100..100, negative is up
    u32 buttons;  // bit i: button i+1
};

using INP_OBJECT = plat::InputBackend*;

INP_OBJECT INP_Init(HWND window, void* instance);
void INP_Term();

int INP_InitKeyboard(INP_OBJECT input, HWND window);
int INP_ReleaseKeyboard();
int INP_InitMouse(INP_OBJECT input, HWND window);
int INP_ReleaseMouse();
int INP_InitJoysticks(INP_OBJECT input, HWND window);
constexpr int DIENUM_STOP = 0;
constexpr int DIENUM_CONTINUE = 1;
int INP_EnumJoystickProc(const plat::JoystickInstance* instance, void* context);
int INP_ReleaseJoysticks();

void INP_Acquire();
void INP_Unacquire();

void INP_RenewKeyboard();
int INP_GetKey(int scanCode);

void INP_RenewMouse();
void INP_RenewMouseAsync();
void INP_GetMouse(i32* x, i32* y, u32* buttons);
void INP_SetMousePos(i32 x, i32 y);
int INP_GetAsyncKey(int virtualKey);

void INP_RenewJoysticks();
int INP_GetJoystickCount();
int INP_GetJoystick(int index, i32* x, i32* y, u32* buttons);
