#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <array>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>

#include "platform/input.h"
#include "platform/input_sdl.h"
#include "platform/picture.h"
#include "platform/sdl_internal.h"
#include "platform/window.h"

namespace {

TEST(SdlScanCodes, EveryCodeHasAnEntryAndMappedOnesAreOneToOne) {
    std::set<int> seen;
    int mapped = 0;
    for (int dik = 0; dik < 256; ++dik) {
        const SDL_Scancode sc = plat::SdlScancodeFromDik(dik);
        if (sc == SDL_SCANCODE_UNKNOWN) continue;
        ++mapped;
        EXPECT_TRUE(seen.insert(sc).second) << "scan code " << dik;
        EXPECT_EQ(plat::DikFromSdlScancode(sc), dik);
    }
    EXPECT_GT(mapped, 120);
    EXPECT_EQ(plat::SdlScancodeFromDik(-1), SDL_SCANCODE_UNKNOWN);
    EXPECT_EQ(plat::SdlScancodeFromDik(256), SDL_SCANCODE_UNKNOWN);
    EXPECT_EQ(plat::SdlScancodeFromDik(0xFFFF), SDL_SCANCODE_UNKNOWN);

    // The codes the default key tables hold, and the extended keys beside their plain twins.
    const struct {
        int dik;
        SDL_Scancode sc;
    } known[] = {
        {1, SDL_SCANCODE_ESCAPE},  {2, SDL_SCANCODE_1},         {3, SDL_SCANCODE_2},
        {30, SDL_SCANCODE_A},      {31, SDL_SCANCODE_S},        {32, SDL_SCANCODE_D},
        {44, SDL_SCANCODE_Z},      {45, SDL_SCANCODE_X},        {46, SDL_SCANCODE_C},
        {57, SDL_SCANCODE_SPACE},  {71, SDL_SCANCODE_KP_7},     {72, SDL_SCANCODE_KP_8},
        {73, SDL_SCANCODE_KP_9},   {75, SDL_SCANCODE_KP_4},     {76, SDL_SCANCODE_KP_5},
        {77, SDL_SCANCODE_KP_6},   {79, SDL_SCANCODE_KP_1},     {80, SDL_SCANCODE_KP_2},
        {81, SDL_SCANCODE_KP_3},   {0xC8, SDL_SCANCODE_UP},     {0xD0, SDL_SCANCODE_DOWN},
        {0xCB, SDL_SCANCODE_LEFT}, {0xCD, SDL_SCANCODE_RIGHT},  {0x1C, SDL_SCANCODE_RETURN},
        {0x9C, SDL_SCANCODE_KP_ENTER}, {0x1D, SDL_SCANCODE_LCTRL}, {0x9D, SDL_SCANCODE_RCTRL},
        {0x38, SDL_SCANCODE_LALT}, {0xB8, SDL_SCANCODE_RALT},   {0x35, SDL_SCANCODE_SLASH},
        {0xB5, SDL_SCANCODE_KP_DIVIDE}, {0x58, SDL_SCANCODE_F12}, {0xD3, SDL_SCANCODE_DELETE},
    };
    for (const auto& k : known) EXPECT_EQ(plat::SdlScancodeFromDik(k.dik), k.sc) << k.dik;
}

// A virtual joystick of SDL's own, read through the real backend.
TEST(SdlInput, VirtualJoystickReadsInTheHundredRange) {
    ASSERT_TRUE(plat::InitVideo());
    plat::Window* window = plat::CreateAppWindow("input", 640, 480);
    ASSERT_NE(window, nullptr);
    // SDL drops joystick input while no window of the program is active (the hidden test window
    // never is), just as the game wants it; the test lifts that.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    plat::InputBackend& backend = plat::GetInputBackend();
    ASSERT_TRUE(backend.Start());
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 12, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* handle = SDL_JoystickOpen(index);
    ASSERT_NE(handle, nullptr);

    int enumerated = -1;
    backend.EnumJoysticks([&](const plat::JoystickInstance& instance) {
        if (instance.index == index) enumerated = instance.index;
        return true;
    });
    ASSERT_EQ(enumerated, index);
    std::unique_ptr<plat::InputDevice> joy(backend.CreateJoystick(plat::JoystickInstance{index}));
    ASSERT_NE(joy, nullptr);
    ASSERT_TRUE(joy->Configure(window));
    plat::JoyReading r{};
    EXPECT_FALSE(joy->ReadJoystick(&r));  // not acquired yet
    joy->Acquire();

    SDL_JoystickSetVirtualAxis(handle, 0, SDL_JOYSTICK_AXIS_MIN);
    SDL_JoystickSetVirtualAxis(handle, 1, SDL_JOYSTICK_AXIS_MIN);
    SDL_JoystickSetVirtualButton(handle, 0, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(handle, 11, SDL_PRESSED);
    ASSERT_TRUE(joy->ReadJoystick(&r));
    EXPECT_EQ(r.x, -100);
    EXPECT_EQ(r.y, -100);
    EXPECT_EQ(r.buttons, (1u << 0) | (1u << 11));

    SDL_JoystickSetVirtualAxis(handle, 0, SDL_JOYSTICK_AXIS_MAX);
    SDL_JoystickSetVirtualAxis(handle, 1, 0);
    SDL_JoystickSetVirtualButton(handle, 0, SDL_RELEASED);
    ASSERT_TRUE(joy->ReadJoystick(&r));
    EXPECT_EQ(r.x, 100);
    EXPECT_EQ(r.y, 0);  // centred, no dead zone needed
    EXPECT_EQ(r.buttons, 1u << 11);

    joy->Unacquire();
    EXPECT_FALSE(joy->ReadJoystick(&r));
    joy->Acquire();
    SDL_JoystickClose(handle);
    SDL_JoystickDetachVirtual(index);
    EXPECT_FALSE(joy->ReadJoystick(&r));  // unplugged

    // Keyboard and mouse cannot be tied to no window, and read nothing while the window is inactive.
    std::unique_ptr<plat::InputDevice> keyboard(backend.CreateKeyboard());
    ASSERT_NE(keyboard, nullptr);
    EXPECT_FALSE(keyboard->Configure(nullptr));
    EXPECT_TRUE(keyboard->Configure(window));
    keyboard->Acquire();
    u8 keys[plat::kKeyStateSize];
    EXPECT_FALSE(keyboard->ReadKeys(keys));

    joy.reset();
    keyboard.reset();
    backend.Stop();
    plat::DestroyAppWindow(window);
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, nullptr);
}

// A press seen between two updates reads down in the next update's reads only, and is forgotten when
// that update ends, read or not. Columns: Z, the first and the second button; rows by the button tapped
// and whether Z's press is a key repeat (held, not pressed anew: never latched).
TEST(SdlInput, QuickPressIsReadDownByTheNextUpdateOnly) {
    ASSERT_TRUE(plat::InitVideo());
    plat::Window* window = plat::CreateAppWindow("input", 640, 480);
    ASSERT_NE(window, nullptr);
    plat::SimulateFocus(window, true);
    plat::DiscardMessages();  // the events are taken in: the window is the active one
    plat::InputBackend& backend = plat::GetInputBackend();
    ASSERT_TRUE(backend.Start());
    std::unique_ptr<plat::InputDevice> keyboard(backend.CreateKeyboard()), mouse(backend.CreateMouse());
    for (plat::InputDevice* d : {keyboard.get(), mouse.get()}) {
        ASSERT_TRUE(d->Configure(window));
        d->Acquire();
    }
    // SDL's own state never sees these pushed events down: as a tap already over when read.
    auto tap = [](Uint8 button, bool repeat) {
        for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
            SDL_Event e{};
            e.type = type;
            e.key.keysym.scancode = SDL_SCANCODE_Z;
            e.key.repeat = repeat;
            if (type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP) e.button.button = button;
            SDL_PushEvent(&e);
        }
    };
    auto read = [&] {
        u8 keys[plat::kKeyStateSize] = {}, buttons[2] = {};
        EXPECT_TRUE(keyboard->ReadKeys(keys));
        EXPECT_TRUE(mouse->ReadMouseButtons(buttons));
        return std::array<u8, 3>{keys[0x2C], buttons[0], buttons[1]};
    };
    constexpr std::array<u8, 3> kUp{0, 0, 0};
    const struct {
        Uint8 button;
        bool repeat;
        std::array<u8, 3> down;
    } rows[] = {
        {SDL_BUTTON_LEFT, false, {0x80, 0x80, 0}},
        {SDL_BUTTON_RIGHT, false, {0x80, 0, 0x80}},
        {SDL_BUTTON_MIDDLE, false, {0x80, 0, 0}},
        {SDL_BUTTON_LEFT, true, {0, 0x80, 0}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << int(r.button) << " repeat " << r.repeat);
        tap(r.button, r.repeat);
        plat::DiscardMessages();
        plat::DiscardMessages();  // turns without an update keep the press
        backend.BeginUpdate();
        EXPECT_EQ(read(), r.down);
        EXPECT_EQ(read(), r.down);  // every read of the same update
        backend.EndUpdate();
        EXPECT_EQ(read(), kUp);  // gone with the update's end
        backend.BeginUpdate();
        EXPECT_EQ(read(), kUp);
        backend.EndUpdate();

        tap(r.button, r.repeat);  // an update that reads nothing lets it go
        backend.BeginUpdate();
        backend.EndUpdate();
        backend.BeginUpdate();
        EXPECT_EQ(read(), kUp);
        tap(r.button, r.repeat);  // seen during an update: the next one's
        EXPECT_EQ(read(), kUp);
        backend.EndUpdate();
        backend.BeginUpdate();
        EXPECT_EQ(read(), r.down);
        backend.EndUpdate();

        tap(r.button, r.repeat);  // before a re-acquire: not the game's
        keyboard->Acquire();
        mouse->Acquire();
        backend.BeginUpdate();
        EXPECT_EQ(read(), kUp);
        backend.EndUpdate();
    }

    keyboard.reset();
    mouse.reset();
    backend.Stop();
    plat::DestroyAppWindow(window);
    plat::DiscardMessages();
}

// A button let go while another window had the input stays down in SDL: it reads up until SDL sees it
// go up, or the system says it is down again (SDL then drops the press).
TEST(SdlInput, StaleButtonsReadUpUntilReleasedOrPressedAgain) {
    const Uint32 L = SDL_BUTTON_LMASK, R = SDL_BUTTON_RMASK;
    const struct {
        Uint32 stale, sdl, system;
        Uint32 reported, staleAfter, later;  // later: a next read while the system says nothing
    } rows[] = {
        {L, L, 0, 0, L, 0},          // still stale
        {L, L | R, R, R, L, R},      // another button is not held back
        {L, 0, 0, 0, 0, 0},          // SDL saw it go up
        {L, L, L, L, 0, L},          // down again for the system
        {0, L, 0, L, 0, L},          // never stale
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.stale << " " << r.sdl << " " << r.system);
        u32 stale = r.stale;
        EXPECT_EQ(plat::ReportedButtons(&stale, r.sdl, r.system), r.reported);
        EXPECT_EQ(stale, r.staleAfter);
        // Once no longer stale it stays so: a later read reports it while SDL holds it.
        EXPECT_EQ(plat::ReportedButtons(&stale, r.sdl, 0), r.later);
    }
}

// The hidden system pointer comes back when it moves onto the letterbox bars, not over the picture.
TEST(SdlInput, HiddenPointerReturnsOnTheBars) {
    ASSERT_TRUE(plat::InitVideo());
    plat::SetPicturePlacement(RECT{160, 0, 800, 480}, 640, 480);
    plat::InputBackend& backend = plat::GetInputBackend();
    auto motion = [](int x, int y) {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.x = x;
        e.motion.y = y;
        SDL_PushEvent(&e);
    };
    for (int round = 0; round < 2; ++round) {  // a second hide works as the first
        backend.HideCursor();
        EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
        motion(160, 10);
        motion(799, 479);
        EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
        motion(159, 10);
        EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    }
    backend.HideCursor();
    motion(800, 10);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    plat::SetPicturePlacement(RECT{0, 0, 640, 480}, 640, 480);
}

// Keys and buttons as the X server delivers them, which SDL's own state follows: a key held through
// several updates reads down in each; a button pressed in the game window and let go in another window
// that had taken the input (an editor's dialog) is up once the game has the input back, though SDL never
// saw the release. Needs a real X display (scripts/test.sh runs it under Xvfb).
TEST(SdlInputOnDisplay, HeldKeyAndButtonLetGoInAnotherWindow) {
    if (!std::getenv("KORVANE_DIALOG_DISPLAY")) GTEST_SKIP() << "needs a display";
    ASSERT_TRUE(plat::InitVideo());
    plat::Window* window = plat::CreateAppWindow("input", 320, 240);
    ASSERT_NE(window, nullptr);
    plat::ShowAppWindow(window);
    SDL_Window* sdl = plat::SdlWindowOf(window);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(sdl, &info) && info.subsystem == SDL_SYSWM_X11);
    Display* x = info.info.x11.display;
    const ::Window xwin = info.info.x11.window;
    // Takes in events until done() holds (X answers in its own time); false after two seconds. The
    // platform's take, so that the window's activation follows the focus as in the game.
    auto until = [](const std::function<bool()>& done) {
        for (int i = 0; i < 200; ++i) {
            plat::DiscardMessages();
            if (done()) return true;
            SDL_Delay(10);
        }
        return false;
    };
    auto focus = [&](::Window to) {
        XSetInputFocus(x, to, RevertToParent, CurrentTime);
        XSync(x, False);
    };
    // The first button going down or up as the X server delivers it to the game window, not as its
    // pointer has it: the pointer's own buttons stay up.
    auto button = [&](int type) {
        SDL_Delay(50);  // SDL drops a click that comes right after a change of focus
        XEvent e{};
        e.xbutton = XButtonEvent{type, 0, True, x, xwin, DefaultRootWindow(x), None, CurrentTime,
                                 10, 10, 10, 10, type == ButtonPress ? 0u : Button1Mask, Button1, True};
        XSendEvent(x, xwin, True, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &e);
        XSync(x, False);
    };
    ASSERT_TRUE(until([&] { return SDL_GetWindowFlags(sdl) & SDL_WINDOW_SHOWN; }));
    focus(xwin);
    ASSERT_TRUE(until([&] { return SDL_GetKeyboardFocus() == sdl; }));
    plat::InputBackend& backend = plat::GetInputBackend();
    ASSERT_TRUE(backend.Start());
    std::unique_ptr<plat::InputDevice> mouse(backend.CreateMouse());
    ASSERT_TRUE(mouse && mouse->Configure(window));
    mouse->Acquire();

    std::unique_ptr<plat::InputDevice> keyboard(backend.CreateKeyboard());
    ASSERT_TRUE(keyboard && keyboard->Configure(window));
    keyboard->Acquire();
    auto key = [&](int type) {
        XEvent e{};
        e.xkey = XKeyEvent{type, 0, True, x, xwin, DefaultRootWindow(x), None, CurrentTime,
                           10, 10, 10, 10, 0, XKeysymToKeycode(x, XK_z), True};
        XSendEvent(x, xwin, True, type == KeyPress ? KeyPressMask : KeyReleaseMask, &e);
        XSync(x, False);
    };
    u8 keys[plat::kKeyStateSize] = {};
    key(KeyPress);
    ASSERT_TRUE(until([] { return SDL_GetKeyboardState(nullptr)[SDL_SCANCODE_Z] != 0; }));
    for (int update = 0; update < 3; ++update) {
        backend.BeginUpdate();
        ASSERT_TRUE(keyboard->ReadKeys(keys));
        EXPECT_EQ(keys[0x2C], 0x80) << update;
        backend.EndUpdate();
    }
    key(KeyRelease);
    ASSERT_TRUE(until([] { return SDL_GetKeyboardState(nullptr)[SDL_SCANCODE_Z] == 0; }));
    backend.BeginUpdate();
    ASSERT_TRUE(keyboard->ReadKeys(keys));
    EXPECT_EQ(keys[0x2C], 0);
    backend.EndUpdate();
    keyboard.reset();

    button(ButtonPress);
    ASSERT_TRUE(until([] { return SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK; }));
    u8 buttons[2] = {};
    ASSERT_TRUE(mouse->ReadMouseButtons(buttons));
    EXPECT_EQ(buttons[0], 0x80);

    // The other window takes the input (and the release); then the game takes it back.
    mouse->Unacquire();
    focus(DefaultRootWindow(x));
    ASSERT_TRUE(until([] { return SDL_GetKeyboardFocus() == nullptr; }));
    focus(xwin);
    ASSERT_TRUE(until([&] { return SDL_GetKeyboardFocus() == sdl; }));
    mouse->Acquire();
    ASSERT_TRUE(mouse->ReadMouseButtons(buttons));
    EXPECT_EQ(buttons[0], 0);
    EXPECT_FALSE(backend.AsyncKeyDown(plat::VK_LBUTTON));

    // Once a read has found it up in SDL too, its presses count again.
    button(ButtonRelease);
    ASSERT_TRUE(until([] { return !(SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK); }));
    ASSERT_TRUE(mouse->ReadMouseButtons(buttons));
    button(ButtonPress);
    ASSERT_TRUE(until([] { return SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK; }));
    ASSERT_TRUE(mouse->ReadMouseButtons(buttons));
    EXPECT_EQ(buttons[0], 0x80);
    button(ButtonRelease);
    until([] { return !(SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK); });
    mouse.reset();
    backend.Stop();
    plat::DestroyAppWindow(window);
}

}  // namespace
