// An input backend that tests drive: they set keys, the pointer, buttons and joysticks, make devices
// refuse set-up or fail reads, and look at what the module did with the system pointer.
#pragma once
#include <array>
#include <vector>

#include "platform/input.h"

namespace plat {

class FakeInputBackend final : public InputBackend {
public:
    struct Joystick {
        i32 x = 0;
        i32 y = 0;
        u32 buttons = 0;          // bit i: button i (0-based)
        bool refuseCreate = false;
        bool refuseConfigure = false;
        bool readFails = false;
    };

    // ---- what the tests set ----
    bool startFails = false;
    bool noKeyboard = false;
    bool noMouse = false;
    bool keyboardReadFails = false;
    bool mouseReadFails = false;
    std::array<u8, kKeyStateSize> keys{};  // by scan code, 0x80 = down
    bool button[2] = {false, false};      // physical first and second mouse buttons
    bool swapped = false;
    i32 cursorX = 0;                      // pointer in window coordinates
    i32 cursorY = 0;
    bool ignoreWarps = false;             // a display server that ignores pointer warps
    std::vector<Joystick> joysticks;
    std::array<bool, 256> asyncKeys{};    // by virtual-key code

    void Press(int dik) { keys[size_t(dik)] = 0x80; }
    void Let(int dik) { keys[size_t(dik)] = 0; }

    // ---- what the tests observe ----
    bool started = false;
    int liveDevices = 0;  // created and not yet released
    int warpCount = 0;
    i32 warpX = 0;
    i32 warpY = 0;
    int cursorHides = 0;  // HideCursor calls

    bool Start() override;
    void Stop() override;
    InputDevice* CreateKeyboard() override;
    InputDevice* CreateMouse() override;
    void EnumJoysticks(const std::function<bool(const JoystickInstance&)>& fn) override;
    InputDevice* CreateJoystick(const JoystickInstance& instance) override;
    bool MouseButtonsSwapped() override { return swapped; }
    void GetCursorPos(Window* window, i32* x, i32* y) override;
    void SetCursorPos(Window* window, i32 x, i32 y) override;
    void HideCursor() override { ++cursorHides; }
    bool AsyncKeyDown(int vk) override { return vk >= 0 && vk < 256 && asyncKeys[size_t(vk)]; }
};

}  // namespace plat
