#include "platform/input_sdl.h"

#include <array>
#include <utility>

#include "platform/input.h"
#include "platform/picture.h"
#include "platform/sdl_internal.h"

namespace plat {

namespace {

// DirectInput scan codes are the PC keyboard's set-1 make codes, with 0x80 | code for the E0-prefixed
// (extended) keys. Keypad keys keep their own codes whatever NumLock says, as SDL's KP_ scancodes do.
constexpr std::pair<int, SDL_Scancode> kDikPairs[] = {
    {0x01, SDL_SCANCODE_ESCAPE},
    {0x02, SDL_SCANCODE_1},
    {0x03, SDL_SCANCODE_2},
    {0x04, SDL_SCANCODE_3},
    {0x05, SDL_SCANCODE_4},
    {0x06, SDL_SCANCODE_5},
    {0x07, SDL_SCANCODE_6},
    {0x08, SDL_SCANCODE_7},
    {0x09, SDL_SCANCODE_8},
    {0x0A, SDL_SCANCODE_9},
    {0x0B, SDL_SCANCODE_0},
    {0x0C, SDL_SCANCODE_MINUS},
    {0x0D, SDL_SCANCODE_EQUALS},
    {0x0E, SDL_SCANCODE_BACKSPACE},
    {0x0F, SDL_SCANCODE_TAB},
    {0x10, SDL_SCANCODE_Q},
    {0x11, SDL_SCANCODE_W},
    {0x12, SDL_SCANCODE_E},
    {0x13, SDL_SCANCODE_R},
    {0x14, SDL_SCANCODE_T},
    {0x15, SDL_SCANCODE_Y},
    {0x16, SDL_SCANCODE_U},
    {0x17, SDL_SCANCODE_I},
    {0x18, SDL_SCANCODE_O},
    {0x19, SDL_SCANCODE_P},
    {0x1A, SDL_SCANCODE_LEFTBRACKET},
    {0x1B, SDL_SCANCODE_RIGHTBRACKET},
    {0x1C, SDL_SCANCODE_RETURN},
    {0x1D, SDL_SCANCODE_LCTRL},
    {0x1E, SDL_SCANCODE_A},
    {0x1F, SDL_SCANCODE_S},
    {0x20, SDL_SCANCODE_D},
    {0x21, SDL_SCANCODE_F},
    {0x22, SDL_SCANCODE_G},
    {0x23, SDL_SCANCODE_H},
    {0x24, SDL_SCANCODE_J},
    {0x25, SDL_SCANCODE_K},
    {0x26, SDL_SCANCODE_L},
    {0x27, SDL_SCANCODE_SEMICOLON},
    {0x28, SDL_SCANCODE_APOSTROPHE},
    {0x29, SDL_SCANCODE_GRAVE},
    {0x2A, SDL_SCANCODE_LSHIFT},
    {0x2B, SDL_SCANCODE_BACKSLASH},
    {0x2C, SDL_SCANCODE_Z},
    {0x2D, SDL_SCANCODE_X},
    {0x2E, SDL_SCANCODE_C},
    {0x2F, SDL_SCANCODE_V},
    {0x30, SDL_SCANCODE_B},
    {0x31, SDL_SCANCODE_N},
    {0x32, SDL_SCANCODE_M},
    {0x33, SDL_SCANCODE_COMMA},
    {0x34, SDL_SCANCODE_PERIOD},
    {0x35, SDL_SCANCODE_SLASH},
    {0x36, SDL_SCANCODE_RSHIFT},
    {0x37, SDL_SCANCODE_KP_MULTIPLY},
    {0x38, SDL_SCANCODE_LALT},
    {0x39, SDL_SCANCODE_SPACE},
    {0x3A, SDL_SCANCODE_CAPSLOCK},
    {0x3B, SDL_SCANCODE_F1},
    {0x3C, SDL_SCANCODE_F2},
    {0x3D, SDL_SCANCODE_F3},
    {0x3E, SDL_SCANCODE_F4},
    {0x3F, SDL_SCANCODE_F5},
    {0x40, SDL_SCANCODE_F6},
    {0x41, SDL_SCANCODE_F7},
    {0x42, SDL_SCANCODE_F8},
    {0x43, SDL_SCANCODE_F9},
    {0x44, SDL_SCANCODE_F10},
    {0x45, SDL_SCANCODE_NUMLOCKCLEAR},
    {0x46, SDL_SCANCODE_SCROLLLOCK},
    {0x47, SDL_SCANCODE_KP_7},
    {0x48, SDL_SCANCODE_KP_8},
    {0x49, SDL_SCANCODE_KP_9},
    {0x4A, SDL_SCANCODE_KP_MINUS},
    {0x4B, SDL_SCANCODE_KP_4},
    {0x4C, SDL_SCANCODE_KP_5},
    {0x4D, SDL_SCANCODE_KP_6},
    {0x4E, SDL_SCANCODE_KP_PLUS},
    {0x4F, SDL_SCANCODE_KP_1},
    {0x50, SDL_SCANCODE_KP_2},
    {0x51, SDL_SCANCODE_KP_3},
    {0x52, SDL_SCANCODE_KP_0},
    {0x53, SDL_SCANCODE_KP_PERIOD},
    {0x56, SDL_SCANCODE_NONUSBACKSLASH},  // the extra key beside left Shift on 102-key keyboards
    {0x57, SDL_SCANCODE_F11},
    {0x58, SDL_SCANCODE_F12},
    {0x64, SDL_SCANCODE_F13},
    {0x65, SDL_SCANCODE_F14},
    {0x66, SDL_SCANCODE_F15},
    {0x70, SDL_SCANCODE_INTERNATIONAL2},  // kana
    {0x73, SDL_SCANCODE_INTERNATIONAL1},  // ro (Brazilian slash)
    {0x79, SDL_SCANCODE_INTERNATIONAL4},  // convert
    {0x7B, SDL_SCANCODE_INTERNATIONAL5},  // no-convert
    {0x7D, SDL_SCANCODE_INTERNATIONAL3},  // yen
    {0x8D, SDL_SCANCODE_KP_EQUALS},
    {0x90, SDL_SCANCODE_AUDIOPREV},
    {0x95, SDL_SCANCODE_STOP},
    {0x99, SDL_SCANCODE_AUDIONEXT},
    {0x9C, SDL_SCANCODE_KP_ENTER},
    {0x9D, SDL_SCANCODE_RCTRL},
    {0xA0, SDL_SCANCODE_MUTE},
    {0xA1, SDL_SCANCODE_CALCULATOR},
    {0xA2, SDL_SCANCODE_AUDIOPLAY},
    {0xA4, SDL_SCANCODE_AUDIOSTOP},
    {0xAE, SDL_SCANCODE_VOLUMEDOWN},
    {0xB0, SDL_SCANCODE_VOLUMEUP},
    {0xB2, SDL_SCANCODE_AC_HOME},
    {0xB3, SDL_SCANCODE_KP_COMMA},
    {0xB5, SDL_SCANCODE_KP_DIVIDE},
    {0xB7, SDL_SCANCODE_PRINTSCREEN},
    {0xB8, SDL_SCANCODE_RALT},
    {0xC5, SDL_SCANCODE_PAUSE},
    {0xC7, SDL_SCANCODE_HOME},
    {0xC8, SDL_SCANCODE_UP},
    {0xC9, SDL_SCANCODE_PAGEUP},
    {0xCB, SDL_SCANCODE_LEFT},
    {0xCD, SDL_SCANCODE_RIGHT},
    {0xCF, SDL_SCANCODE_END},
    {0xD0, SDL_SCANCODE_DOWN},
    {0xD1, SDL_SCANCODE_PAGEDOWN},
    {0xD2, SDL_SCANCODE_INSERT},
    {0xD3, SDL_SCANCODE_DELETE},
    {0xDB, SDL_SCANCODE_LGUI},
    {0xDC, SDL_SCANCODE_RGUI},
    {0xDD, SDL_SCANCODE_APPLICATION},
    {0xDE, SDL_SCANCODE_POWER},
    {0xDF, SDL_SCANCODE_SLEEP},
    {0xE5, SDL_SCANCODE_AC_SEARCH},
    {0xE6, SDL_SCANCODE_AC_BOOKMARKS},
    {0xE7, SDL_SCANCODE_AC_REFRESH},
    {0xE8, SDL_SCANCODE_AC_STOP},
    {0xE9, SDL_SCANCODE_AC_FORWARD},
    {0xEA, SDL_SCANCODE_AC_BACK},
    {0xEB, SDL_SCANCODE_COMPUTER},
    {0xEC, SDL_SCANCODE_MAIL},
    {0xED, SDL_SCANCODE_MEDIASELECT},
};

// Every one of the 256 codes has an entry (most of them unknown), so any code a key table holds
// can be looked up without a range check beyond 0..255.
constexpr std::array<SDL_Scancode, kKeyStateSize> kDikToSdl = [] {
    std::array<SDL_Scancode, kKeyStateSize> t{};
    for (auto& s : t) s = SDL_SCANCODE_UNKNOWN;
    for (const auto& [dik, sc] : kDikPairs) t[dik] = sc;
    return t;
}();

constexpr std::array<u8, SDL_NUM_SCANCODES> kSdlToDik = [] {
    std::array<u8, SDL_NUM_SCANCODES> t{};
    for (const auto& [dik, sc] : kDikPairs) t[sc] = u8(dik);
    return t;
}();

// Buttons SDL still counts as down though they were let go while another window (an editor's dialog)
// had the input: SDL never saw those releases. Found whenever the mouse is acquired again.
Uint32 g_staleButtons = 0;

void FindStaleButtons() {
    if (SDL_WasInit(SDL_INIT_VIDEO))
        g_staleButtons = SDL_GetMouseState(nullptr, nullptr) & ~SDL_GetGlobalMouseState(nullptr, nullptr);
}

Uint32 MouseButtons() {
    const Uint32 held = SDL_GetMouseState(nullptr, nullptr);
    if (!g_staleButtons) return held;
    return ReportedButtons(&g_staleButtons, held, SDL_GetGlobalMouseState(nullptr, nullptr));
}


// A read gives the state at that moment, so a press and release that both fall between two updates
// would never be seen down. The rule: a press seen between two updates is read as down by the reads
// of the next update only, and is forgotten when that update ends whether or not it was read. A
// press seen during an update belongs to the next one.
constexpr u8 kSeen = 1;  // pressed since the last update began
constexpr u8 kLive = 2;  // pressed before the running update began
std::array<u8, kKeyStateSize> g_keyPress{};  // by scan code
std::array<u8, 2> g_buttonPress{};          // physical first and second buttons

int SDLCALL LatchPress(void*, SDL_Event* e) {
    if (e->type == SDL_KEYDOWN && !e->key.repeat) {
        if (const int dik = DikFromSdlScancode(e->key.keysym.scancode)) g_keyPress[size_t(dik)] |= kSeen;
    } else if (e->type == SDL_MOUSEBUTTONDOWN) {
        if (e->button.button == SDL_BUTTON_LEFT) g_buttonPress[0] |= kSeen;
        if (e->button.button == SDL_BUTTON_RIGHT) g_buttonPress[1] |= kSeen;
    }
    return 1;
}

// Presses from before the devices were acquired are not the game's.
template <size_t N>
void WatchPresses(std::array<u8, N>* presses) {
    presses->fill(0);
    // Watches go with the video subsystem: put in again on each acquire.
    SDL_DelEventWatch(LatchPress, nullptr);
    SDL_AddEventWatch(LatchPress, nullptr);
}

template <size_t N>
void StepPresses(std::array<u8, N>* presses, bool begin) {
    for (u8& p : *presses) p = begin ? ((p & kSeen) ? kLive : 0) : u8(p & kSeen);
}

bool Latched(u8 press) { return (press & kLive) != 0; }

// Keyboard and mouse follow the window: they can be read only while it is the active one.
class SdlFocusDevice : public InputDevice {
public:
    bool Configure(Window* window) override {
        if (!SdlWindowOf(window)) return false;
        window_ = window;
        return true;
    }
    void Acquire() override { acquired_ = true; }
    void Unacquire() override { acquired_ = false; }

protected:
    bool Readable() const { return acquired_ && window_ && WindowHasFocus(window_); }

private:
    Window* window_ = nullptr;
    bool acquired_ = false;
};

class SdlKeyboard final : public SdlFocusDevice {
public:
    void Acquire() override {
        SdlFocusDevice::Acquire();
        WatchPresses(&g_keyPress);
    }
    bool ReadKeys(u8* state) override {
        if (!Readable()) return false;
        int count = 0;
        const Uint8* sdl = SDL_GetKeyboardState(&count);
        for (int dik = 0; dik < kKeyStateSize; ++dik) {
            const SDL_Scancode sc = kDikToSdl[size_t(dik)];
            const bool down = sc != SDL_SCANCODE_UNKNOWN && sc < count && sdl[sc];
            state[dik] = (down || Latched(g_keyPress[size_t(dik)])) ? 0x80 : 0;
        }
        return true;
    }
};

class SdlMouse final : public SdlFocusDevice {
public:
    void Acquire() override {
        SdlFocusDevice::Acquire();
        FindStaleButtons();
        WatchPresses(&g_buttonPress);
    }
    bool ReadMouseButtons(u8* buttons2) override {
        if (!Readable()) return false;
        // SDL's left and right are already the logical buttons.
        const Uint32 b = MouseButtons();
        buttons2[0] = ((b & SDL_BUTTON_LMASK) || Latched(g_buttonPress[0])) ? 0x80 : 0;
        buttons2[1] = ((b & SDL_BUTTON_RMASK) || Latched(g_buttonPress[1])) ? 0x80 : 0;
        return true;
    }
};

// SDL's axis range -32768..32767 onto -100..100, linear, with no dead zone.
i32 ScaleAxis(Sint16 v) { return i32((i32(v) + 32768) * 200 / 65535) - 100; }

class SdlJoystick final : public InputDevice {
public:
    explicit SdlJoystick(SDL_Joystick* j) : joy_(j) {}
    ~SdlJoystick() override { SDL_JoystickClose(joy_); }
    bool Configure(Window*) override { return SDL_JoystickNumAxes(joy_) >= 2; }
    void Acquire() override { acquired_ = true; }
    void Unacquire() override { acquired_ = false; }
    bool ReadJoystick(JoyReading* out) override {
        SDL_JoystickUpdate();
        if (!acquired_ || !SDL_JoystickGetAttached(joy_)) return false;
        out->x = ScaleAxis(SDL_JoystickGetAxis(joy_, 0));
        out->y = ScaleAxis(SDL_JoystickGetAxis(joy_, 1));
        out->buttons = 0;
        const int n = SDL_JoystickNumButtons(joy_);
        for (int i = 0; i < n && i < kJoystickButtons; ++i)
            if (SDL_JoystickGetButton(joy_, i)) out->buttons |= u32(1) << i;
        return true;
    }

private:
    SDL_Joystick* joy_;
    bool acquired_ = false;
};

// Shows the hidden system pointer again where the picture is not: on the letterbox bars (outside the
// window the system draws its own pointer anyway).
int SDLCALL ShowCursorOffPicture(void*, SDL_Event* e) {
    if (e->type != SDL_MOUSEMOTION) return 1;
    const RECT p = GetPicturePlacement();
    const i32 x = e->motion.x, y = e->motion.y;
    if (x < p.left || x >= p.right || y < p.top || y >= p.bottom) SDL_ShowCursor(SDL_ENABLE);
    return 1;
}

class SdlInputBackend final : public InputBackend {
public:
    bool Start() override {
        if (started_) return true;
        started_ = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
        return started_;
    }
    void Stop() override {
        if (!started_) return;
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        started_ = false;
    }
    InputDevice* CreateKeyboard() override { return started_ ? new SdlKeyboard : nullptr; }
    InputDevice* CreateMouse() override { return started_ ? new SdlMouse : nullptr; }
    void EnumJoysticks(const std::function<bool(const JoystickInstance&)>& fn) override {
        if (!started_) return;
        const int n = SDL_NumJoysticks();
        for (int i = 0; i < n; ++i)
            if (!fn(JoystickInstance{i})) break;
    }
    InputDevice* CreateJoystick(const JoystickInstance& instance) override {
        if (!started_) return nullptr;
        SDL_Joystick* j = SDL_JoystickOpen(instance.index);
        return j ? new SdlJoystick(j) : nullptr;
    }

    bool MouseButtonsSwapped() override { return false; }

    void GetCursorPos(Window* window, i32* x, i32* y) override {
        *x = -1;
        *y = -1;
        SDL_Window* w = SdlWindowOf(window);
        if (!w || !SDL_WasInit(SDL_INIT_VIDEO)) return;
        int px = 0, py = 0;
        if (SDL_GetMouseFocus() == w) {
            SDL_GetMouseState(&px, &py);
        } else {
            // Away from the window: its desktop position relative to the window, where the system
            // tells it; a point that would still land inside the window is not to be trusted.
            int gx = 0, gy = 0, wx = 0, wy = 0, ww = 0, wh = 0;
            SDL_GetGlobalMouseState(&gx, &gy);
            SDL_GetWindowPosition(w, &wx, &wy);
            SDL_GetWindowSize(w, &ww, &wh);
            px = gx - wx;
            py = gy - wy;
            if (px >= 0 && py >= 0 && px < ww && py < wh) return;
        }
        *x = px;
        *y = py;
    }

    void SetCursorPos(Window* window, i32 x, i32 y) override {
        SDL_Window* w = SdlWindowOf(window);
        if (w) SDL_WarpMouseInWindow(w, x, y);
    }

    void HideCursor() override {
        if (!SDL_WasInit(SDL_INIT_VIDEO) || SDL_ShowCursor(SDL_QUERY) == SDL_DISABLE) return;
        // The watch is dropped with the video subsystem, so it is put in again on each hide.
        SDL_DelEventWatch(ShowCursorOffPicture, nullptr);
        SDL_AddEventWatch(ShowCursorOffPicture, nullptr);
        SDL_ShowCursor(SDL_DISABLE);
    }

    void BeginUpdate() override {
        StepPresses(&g_keyPress, true);
        StepPresses(&g_buttonPress, true);
    }
    void EndUpdate() override {
        StepPresses(&g_keyPress, false);
        StepPresses(&g_buttonPress, false);
    }

    bool AsyncKeyDown(int vk) override {
        if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
        const Uint32 b = MouseButtons();
        const Uint8* k = SDL_GetKeyboardState(nullptr);
        switch (vk) {
            case VK_LBUTTON: return b & SDL_BUTTON_LMASK;
            case VK_RBUTTON: return b & SDL_BUTTON_RMASK;
            case VK_MBUTTON: return b & SDL_BUTTON_MMASK;
            case VK_SHIFT: return k[SDL_SCANCODE_LSHIFT] || k[SDL_SCANCODE_RSHIFT];
            case VK_CONTROL: return k[SDL_SCANCODE_LCTRL] || k[SDL_SCANCODE_RCTRL];
            default: break;
        }
        if (vk == '0') return k[SDL_SCANCODE_0];
        if (vk >= '1' && vk <= '9') return k[SDL_SCANCODE_1 + (vk - '1')];
        if (vk >= 'A' && vk <= 'Z') return k[SDL_SCANCODE_A + (vk - 'A')];
        return false;
    }

private:
    bool started_ = false;
};

SdlInputBackend g_sdl;
InputBackend* g_backend = &g_sdl;

}  // namespace

// A stale button stops being one once SDL sees it go up, or once the system says it is down again
// (SDL drops that press: it thinks the button is down already).
u32 ReportedButtons(u32* stale, u32 sdlHeld, u32 systemHeld) {
    *stale &= sdlHeld & ~systemHeld;
    return sdlHeld & ~*stale;
}

SDL_Scancode SdlScancodeFromDik(int dik) {
    return dik >= 0 && dik < kKeyStateSize ? kDikToSdl[size_t(dik)] : SDL_SCANCODE_UNKNOWN;
}

int DikFromSdlScancode(SDL_Scancode scancode) {
    return scancode >= 0 && scancode < SDL_NUM_SCANCODES ? kSdlToDik[size_t(scancode)] : 0;
}

InputBackend& GetInputBackend() { return *g_backend; }

void SetInputBackend(InputBackend* backend) { g_backend = backend ? backend : &g_sdl; }

}  // namespace plat
