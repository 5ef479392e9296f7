#include "shell/input/inp.h"

#include <cstring>
#include <vector>

#include "platform/picture.h"

namespace {

HWND InpWnd = nullptr;
INP_OBJECT InpInput = nullptr;
plat::InputDevice* InpKeyboard = nullptr;
plat::InputDevice* InpMouse = nullptr;
plat::InputDevice* InpJoystick[INP_JOYSTICK_MAX] = {};
int InpJoystickCount = 0;

u8 InpKeyState[plat::kKeyStateSize] = {};
i32 InpMouseX = 0;
i32 InpMouseY = 0;
u32 InpMouseButton = 0;
int InpMouseSwap = 0;
u32 InpMousePrev = 0;       // previous held bits of the device read
u32 InpMousePrevAsync = 0;  // previous held bits of the window-system read
JOY_STATE InpJoyState[INP_JOYSTICK_MAX] = {};

// After a warp the module keeps the warped position until the system reports a position that is
// neither the warp's target nor one the pointer had before it: the system may report the warp late,
// or not at all.
struct WarpHold {
    bool active = false;
    std::vector<POINT> stale;  // window positions that do not count as a movement
};
WarpHold InpWarp;
constexpr size_t kWarpStaleMax = 8;

plat::InputBackend& Backend() { return plat::GetInputBackend(); }

void ClearDeviceState() {
    std::memset(InpKeyState, 0, sizeof InpKeyState);
    InpMouseButton = 0;
    std::memset(InpJoyState, 0, sizeof InpJoyState);
}

// A failed read of any device: every button reads as released; position and the previous-button
// words stay. The devices come back with the next activation.
void ReadFailed() { ClearDeviceState(); }

// The pointer in picture pixels; false while a warp is held (the module's position stands).
bool ReadPointer(i32* x, i32* y) {
    i32 wx = 0, wy = 0;
    Backend().GetCursorPos(InpWnd, &wx, &wy);
    if (InpWarp.active) {
        for (const POINT& p : InpWarp.stale)
            if (p.x == wx && p.y == wy) return false;
        InpWarp.active = false;
        InpWarp.stale.clear();
    }
    plat::WindowToPicture(wx, wy, x, y);
    return true;
}

u32 MouseWord(u32 held, u32* prev) {
    const u32 pressed = (held ^ *prev) & held;
    *prev = held;
    return held | (pressed << 2);
}

// Acquisition changes on activation: every present device, then every button reads as released
// until the next read.
void SetAcquired(void (plat::InputDevice::*change)()) {
    if (InpKeyboard) (InpKeyboard->*change)();
    if (InpMouse) (InpMouse->*change)();
    for (auto* device : InpJoystick)
        if (device) (device->*change)();
    ClearDeviceState();
}

void ReleaseDevice(plat::InputDevice** device) {
    delete *device;
    *device = nullptr;
}

}  // namespace

INP_OBJECT INP_Init(HWND window, void* instance) {
    InpWnd = window;
    plat::InputBackend& backend = Backend();
    if (!backend.Start()) return nullptr;
    InpInput = &backend;
    INP_InitKeyboard(InpInput, window);
    INP_InitMouse(InpInput, window);
    INP_InitJoysticks(InpInput, window);
    return InpInput;
}

void INP_Term() {
    INP_ReleaseKeyboard();
    INP_ReleaseMouse();
    INP_ReleaseJoysticks();
    if (InpInput) {
        InpInput->Stop();
        InpInput = nullptr;
    }
    ClearDeviceState();
    InpMouseX = InpMouseY = 0;
    InpMousePrev = InpMousePrevAsync = 0;
    InpMouseSwap = 0;  // read again at the next set-up; one that fails must not keep the last one's
    InpWarp = WarpHold{};
    InpWnd = nullptr;
}

int INP_InitKeyboard(INP_OBJECT input, HWND window) {
    if (!input) return 0;
    InpKeyboard = input->CreateKeyboard();
    if (!InpKeyboard) return 0;
    if (!InpKeyboard->Configure(window)) {
        INP_ReleaseKeyboard();
        return 0;
    }
    InpKeyboard->Acquire();
    std::memset(InpKeyState, 0, sizeof InpKeyState);
    return 1;
}

int INP_ReleaseKeyboard() {
    ReleaseDevice(&InpKeyboard);
    return 0;
}

int INP_InitMouse(INP_OBJECT input, HWND window) {
    if (!input) return 0;
    InpMouse = input->CreateMouse();
    if (!InpMouse) return 0;
    if (!InpMouse->Configure(window)) {
        INP_ReleaseMouse();
        return 0;
    }
    InpMouse->Acquire();
    InpMouseSwap = input->MouseButtonsSwapped() ? 1 : 0;
    InpMouseX = InpMouseY = 0;
    InpMouseButton = 0;
    return 1;
}

int INP_ReleaseMouse() {
    ReleaseDevice(&InpMouse);
    return 0;
}

int INP_EnumJoystickProc(const plat::JoystickInstance* instance, void* context) {
    if (!InpInput || !instance || InpJoystickCount >= INP_JOYSTICK_MAX) return DIENUM_STOP;
    plat::InputDevice* device = InpInput->CreateJoystick(*instance);
    if (!device) return DIENUM_STOP;
    InpJoystick[InpJoystickCount++] = device;
    return InpJoystickCount < INP_JOYSTICK_MAX ? DIENUM_CONTINUE : DIENUM_STOP;
}

int INP_InitJoysticks(INP_OBJECT input, HWND window) {
    InpJoystickCount = 0;
    if (!input) return 0;
    input->EnumJoysticks([](const plat::JoystickInstance& instance) {
        return INP_EnumJoystickProc(&instance, nullptr) == DIENUM_CONTINUE;
    });
    if (InpJoystickCount == 0) return 0;
    for (int i = 0; i < InpJoystickCount; ++i) {
        // One joystick that cannot be set up leaves the program with none.
        if (!InpJoystick[i]->Configure(window)) {
            INP_ReleaseJoysticks();
            return 0;
        }
        InpJoystick[i]->Acquire();
    }
    std::memset(InpJoyState, 0, sizeof InpJoyState);
    return 1;
}

int INP_ReleaseJoysticks() {
    for (auto*& device : InpJoystick) ReleaseDevice(&device);
    InpJoystickCount = 0;
    return 0;
}

void INP_Acquire() { SetAcquired(&plat::InputDevice::Acquire); }

void INP_Unacquire() { SetAcquired(&plat::InputDevice::Unacquire); }

void INP_RenewKeyboard() {
    if (!InpKeyboard) return;
    if (!InpKeyboard->ReadKeys(InpKeyState)) ReadFailed();
}

int INP_GetKey(int scanCode) {
    if (scanCode < 0 || scanCode >= plat::kKeyStateSize) return 0;
    return (InpKeyState[scanCode] & 0x80) ? 1 : 0;
}

void INP_RenewMouse() {
    if (!InpMouse) return;
    u8 buttons[2] = {0, 0};
    if (!InpMouse->ReadMouseButtons(buttons)) {
        ReadFailed();
        return;
    }
    ReadPointer(&InpMouseX, &InpMouseY);
    const u32 first = (buttons[0] & 0x80) ? 1 : 0;
    const u32 second = (buttons[1] & 0x80) ? 1 : 0;
    const u32 held = InpMouseSwap ? (second | first << 1) : (first | second << 1);
    InpMouseButton = MouseWord(held, &InpMousePrev);
}

void INP_RenewMouseAsync() {
    ReadPointer(&InpMouseX, &InpMouseY);
    const u32 left = Backend().AsyncKeyDown(plat::VK_LBUTTON) ? 1 : 0;
    const u32 right = Backend().AsyncKeyDown(plat::VK_RBUTTON) ? 1 : 0;
    const u32 held = InpMouseSwap ? (right | left << 1) : (left | right << 1);
    InpMouseButton = MouseWord(held, &InpMousePrevAsync);
}

void INP_GetMouse(i32* x, i32* y, u32* buttons) {
    if (x) *x = InpMouseX;
    if (y) *y = InpMouseY;
    if (buttons) *buttons = InpMouseButton;
}

void INP_SetMousePos(i32 x, i32 y) {
    i32 wx = 0, wy = 0;
    plat::PictureToWindow(x, y, &wx, &wy);
    POINT before{};
    Backend().GetCursorPos(InpWnd, &before.x, &before.y);
    if (!InpWarp.active) InpWarp.stale.clear();
    InpWarp.active = true;
    // The position before this warp and every earlier target still unreported stay stale.
    for (const POINT& p : {before, POINT{wx, wy}}) {
        if (InpWarp.stale.size() >= kWarpStaleMax) InpWarp.stale.erase(InpWarp.stale.begin());
        InpWarp.stale.push_back(p);
    }
    Backend().SetCursorPos(InpWnd, wx, wy);
    InpMouseX = x;
    InpMouseY = y;
}

int INP_GetAsyncKey(int virtualKey) { return Backend().AsyncKeyDown(virtualKey) ? 1 : 0; }

void INP_RenewJoysticks() {
    for (int i = 0; i < InpJoystickCount; ++i) {
        if (!InpJoystick[i]) continue;
        plat::JoyReading r{};
        if (!InpJoystick[i]->ReadJoystick(&r)) {
            ReadFailed();
            continue;
        }
        InpJoyState[i] = JOY_STATE{r.x, r.y, r.buttons};
    }
}

int INP_GetJoystickCount() { return InpJoystickCount; }

int INP_GetJoystick(int index, i32* x, i32* y, u32* buttons) {
    if (index < 0 || index >= InpJoystickCount) return 0;
    if (x) *x = InpJoyState[index].x;
    if (y) *y = InpJoyState[index].y;
    if (buttons) *buttons = InpJoyState[index].buttons;
    return 1;
}
