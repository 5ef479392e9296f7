// Keyboard, mouse and joysticks in the shape the game's input module was written against: devices that
// are created, tied to the window, acquired and read on request into fixed state records. Keys are
// addressed by DirectInput scan codes (extended keys are 0x80 | code), because the key tables in the
// configuration file hold those codes.
#pragma once
#include <functional>

#include "platform/types.h"
#include "platform/window.h"

namespace plat {

// Virtual-key codes of the platform the game was written for, for the keys it asks about directly.
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
// Digits are their characters: '0' (0x30) to '9' (0x39).

constexpr int kKeyStateSize = 256;
constexpr int kJoystickButtons = 32;

// One joystick read: x and y scaled into -100..100 (negative is left / up), bit i of buttons set while
// button i (0-based) is down.
struct JoyReading {
    i32 x;
    i32 y;
    u32 buttons;
};

// One attached joystick as enumeration reports it.
struct JoystickInstance {
    int index;  // position in the backend's enumeration order
};

// A device of the backend. Reads fail (false) while the device is not acquired, while the window it
// is tied to is not the active one (keyboard and mouse), or when the device is gone.
class InputDevice {
public:
    virtual ~InputDevice() = default;
    // Ties the device to the window; a joystick also gets its x and y axes scaled into -100..100.
    // False when the device refuses (the caller then releases it).
    virtual bool Configure(Window* window) = 0;
    virtual void Acquire() = 0;
    virtual void Unacquire() = 0;
    // Keyboard: kKeyStateSize bytes by scan code, bit 7 set while down.
    virtual bool ReadKeys(u8* state) { return false; }
    // Mouse: the physical first and second buttons, bit 7 set while down.
    virtual bool ReadMouseButtons(u8* buttons2) { return false; }
    // Joystick: polls the device, then reads it.
    virtual bool ReadJoystick(JoyReading* out) { return false; }
};

// The input system. Devices come from it and are released with delete.
class InputBackend {
public:
    virtual ~InputBackend() = default;
    // Starts the input system; false when it is unavailable (then no device can be made).
    virtual bool Start() = 0;
    virtual void Stop() = 0;

    virtual InputDevice* CreateKeyboard() = 0;
    virtual InputDevice* CreateMouse() = 0;
    // Calls fn for each attached joystick in enumeration order until fn returns false.
    virtual void EnumJoysticks(const std::function<bool(const JoystickInstance&)>& fn) = 0;
    virtual InputDevice* CreateJoystick(const JoystickInstance& instance) = 0;

    // Window-system services; they work whether or not the input system started.
    // Whether the system exchanges the primary and secondary mouse buttons.
    virtual bool MouseButtonsSwapped() = 0;
    // The pointer in the window's coordinates; a pointer outside the window lies outside its size.
    virtual void GetCursorPos(Window* window, i32* x, i32* y) = 0;
    // Moves the system pointer to a point of the window.
    virtual void SetCursorPos(Window* window, i32 x, i32 y) = 0;
    // Hides the system pointer while it is over the picture; the platform shows it again once it
    // moves onto the letterbox bars or out of the window.
    virtual void HideCursor() {}
    // The shell's update begins and ends: a press seen between two updates reads down in the reads of
    // the next update only, and is forgotten when that update ends whether or not it was read.
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}
    // Whether the key or mouse button of the virtual-key code is down now.
    virtual bool AsyncKeyDown(int vk) = 0;
};

// The backend in use: SDL unless a test installed its own (null restores SDL).
InputBackend& GetInputBackend();
void SetInputBackend(InputBackend* backend);

}  // namespace plat
