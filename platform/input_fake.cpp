#include "platform/input_fake.h"

#include <cstring>

namespace plat {

namespace {

enum class Kind { Keyboard, Mouse, Joystick };

// Reads fail while the device is not acquired, as a real device's do.
class FakeDevice final : public InputDevice {
public:
    FakeDevice(FakeInputBackend& owner, Kind kind, int index) : owner_(owner), kind_(kind), index_(index) {
        ++owner_.liveDevices;
    }
    ~FakeDevice() override { --owner_.liveDevices; }

    bool Configure(Window*) override {
        return kind_ != Kind::Joystick || !owner_.joysticks[size_t(index_)].refuseConfigure;
    }
    void Acquire() override { acquired_ = true; }
    void Unacquire() override { acquired_ = false; }

    bool ReadKeys(u8* state) override {
        if (kind_ != Kind::Keyboard || !acquired_ || owner_.keyboardReadFails) return false;
        std::memcpy(state, owner_.keys.data(), owner_.keys.size());
        return true;
    }
    bool ReadMouseButtons(u8* buttons2) override {
        if (kind_ != Kind::Mouse || !acquired_ || owner_.mouseReadFails) return false;
        buttons2[0] = owner_.button[0] ? 0x80 : 0;
        buttons2[1] = owner_.button[1] ? 0x80 : 0;
        return true;
    }
    bool ReadJoystick(JoyReading* out) override {
        if (kind_ != Kind::Joystick || !acquired_ || size_t(index_) >= owner_.joysticks.size()) return false;
        const auto& j = owner_.joysticks[size_t(index_)];
        if (j.readFails) return false;
        *out = JoyReading{j.x, j.y, j.buttons};
        return true;
    }

private:
    FakeInputBackend& owner_;
    Kind kind_;
    int index_;
    bool acquired_ = false;
};

}  // namespace

bool FakeInputBackend::Start() {
    started = !startFails;
    return started;
}

void FakeInputBackend::Stop() { started = false; }

InputDevice* FakeInputBackend::CreateKeyboard() {
    return started && !noKeyboard ? new FakeDevice(*this, Kind::Keyboard, 0) : nullptr;
}

InputDevice* FakeInputBackend::CreateMouse() {
    return started && !noMouse ? new FakeDevice(*this, Kind::Mouse, 0) : nullptr;
}

void FakeInputBackend::EnumJoysticks(const std::function<bool(const JoystickInstance&)>& fn) {
    if (!started) return;
    for (size_t i = 0; i < joysticks.size(); ++i)
        if (!fn(JoystickInstance{int(i)})) break;
}

InputDevice* FakeInputBackend::CreateJoystick(const JoystickInstance& instance) {
    if (!started || instance.index < 0 || size_t(instance.index) >= joysticks.size()) return nullptr;
    if (joysticks[size_t(instance.index)].refuseCreate) return nullptr;
    return new FakeDevice(*this, Kind::Joystick, instance.index);
}

void FakeInputBackend::GetCursorPos(Window*, i32* x, i32* y) {
    *x = cursorX;
    *y = cursorY;
}

void FakeInputBackend::SetCursorPos(Window*, i32 x, i32 y) {
    ++warpCount;
    warpX = x;
    warpY = y;
    if (!ignoreWarps) {
        cursorX = x;
        cursorY = y;
    }
}

}  // namespace plat
