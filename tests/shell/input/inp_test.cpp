#include <gtest/gtest.h>

#include "platform/input_fake.h"
#include "platform/picture.h"
#include "shell/input/inp.h"

namespace {

constexpr int kDikZ = 44;

class Inp : public ::testing::Test {
protected:
    void SetUp() override { plat::SetInputBackend(&fake); }
    void TearDown() override {
        INP_Term();
        EXPECT_EQ(fake.liveDevices, 0);
        plat::SetInputBackend(nullptr);
        plat::SetPicturePlacement(RECT{0, 0, 640, 480}, 640, 480);
    }
    void Init() { ASSERT_EQ(INP_Init(nullptr, nullptr), &fake); }

    u32 MouseWord() {
        INP_RenewMouse();
        u32 w = 99;
        INP_GetMouse(nullptr, nullptr, &w);
        return w;
    }
    JOY_STATE Joy(int i) {
        JOY_STATE s{-1, -1, 0xDEAD};
        EXPECT_EQ(INP_GetJoystick(i, &s.x, &s.y, &s.buttons), 1);
        return s;
    }

    plat::FakeInputBackend fake;
};

TEST_F(Inp, MouseWordMarksAPressForOneReadWithEitherButtonOrder) {
    Init();
    fake.button[0] = true;
    EXPECT_EQ(MouseWord(), 5u);
    EXPECT_EQ(MouseWord(), 1u);
    EXPECT_EQ(MouseWord(), 1u);
    fake.button[1] = true;
    EXPECT_EQ(MouseWord(), 1u | 2u | 8u);
    fake.button[0] = fake.button[1] = false;
    EXPECT_EQ(MouseWord(), 0u);
    INP_Term();

    // Swapped system buttons: the physical second button is the primary one.
    fake.swapped = true;
    Init();
    fake.button[1] = true;
    EXPECT_EQ(MouseWord(), 5u);
    EXPECT_EQ(MouseWord(), 1u);
    EXPECT_EQ(MouseWord(), 1u);
    fake.button[1] = false;
    fake.button[0] = true;
    EXPECT_EQ(MouseWord(), 2u | 8u);
}

TEST_F(Inp, AnyFailedReadClearsEveryButtonButKeepsThePosition) {
    fake.joysticks.resize(2);
    Init();
    fake.Press(kDikZ);
    fake.button[0] = true;
    fake.cursorX = 100;
    fake.cursorY = 200;
    fake.joysticks[0] = {.x = -100, .y = 50, .buttons = 3};
    fake.joysticks[1] = {.x = 20, .y = 0, .buttons = 1};
    INP_RenewKeyboard();
    INP_RenewJoysticks();
    EXPECT_EQ(MouseWord(), 5u);

    for (int device = 0; device < 3; ++device) {
        SCOPED_TRACE(device);
        fake.cursorX = 300;  // moves while a read fails: not taken
        fake.keyboardReadFails = device == 0;
        fake.mouseReadFails = device == 1;
        fake.joysticks[1].readFails = device == 2;
        if (device == 0) INP_RenewKeyboard();
        if (device == 1) INP_RenewMouse();
        if (device == 2) INP_RenewJoysticks();

        i32 x = 0, y = 0;
        u32 w = 99;
        INP_GetMouse(&x, &y, &w);
        EXPECT_EQ(x, 100);
        EXPECT_EQ(y, 200);
        EXPECT_EQ(w, 0u);
        EXPECT_EQ(INP_GetKey(kDikZ), 0);
        for (int j = 0; j < 2; ++j) {
            const JOY_STATE s = Joy(j);
            EXPECT_EQ(s.x, 0);
            EXPECT_EQ(s.y, 0);
            EXPECT_EQ(s.buttons, 0u);
        }

        // Back in service: the state refills, and the button held all along is not newly pressed
        // because the previous-button word survived.
        fake.keyboardReadFails = fake.mouseReadFails = fake.joysticks[1].readFails = false;
        fake.cursorX = 100;
        INP_RenewKeyboard();
        INP_RenewJoysticks();
        EXPECT_EQ(MouseWord(), 1u);
        EXPECT_EQ(INP_GetKey(kDikZ), 1);
        EXPECT_EQ(Joy(0).x, -100);
    }
}

TEST_F(Inp, ActivationChangesClearTheStateUntilTheNextRead) {
    fake.joysticks.resize(1);
    Init();
    fake.Press(kDikZ);
    fake.button[0] = true;
    fake.joysticks[0] = {.x = 100, .y = 100, .buttons = 1};
    INP_RenewKeyboard();
    INP_RenewJoysticks();
    MouseWord();

    INP_Unacquire();
    u32 w = 99;
    INP_GetMouse(nullptr, nullptr, &w);
    EXPECT_EQ(w, 0u);
    EXPECT_EQ(INP_GetKey(kDikZ), 0);
    EXPECT_EQ(Joy(0).buttons, 0u);
    // Unacquired devices cannot be read; the failure keeps everything released.
    INP_RenewKeyboard();
    EXPECT_EQ(INP_GetKey(kDikZ), 0);

    INP_Acquire();
    EXPECT_EQ(INP_GetKey(kDikZ), 0);
    INP_RenewKeyboard();
    INP_RenewJoysticks();
    EXPECT_EQ(INP_GetKey(kDikZ), 1);  // still held: down again
    EXPECT_EQ(Joy(0).buttons, 1u);
    EXPECT_EQ(MouseWord(), 1u);
}

TEST_F(Inp, OneJoystickThatRefusesSetUpLeavesNone) {
    fake.joysticks.resize(2);
    fake.joysticks[1].refuseConfigure = true;
    Init();
    EXPECT_EQ(INP_GetJoystickCount(), 0);
    i32 x = 7;
    EXPECT_EQ(INP_GetJoystick(0, &x, nullptr, nullptr), 0);
    EXPECT_EQ(x, 7);
    EXPECT_EQ(fake.liveDevices, 2);  // keyboard and mouse only
    INP_RenewJoysticks();            // nothing to read, nothing breaks
}

TEST_F(Inp, JoysticksFillSlotsInOrderUpToSixteen) {
    fake.joysticks.resize(18);
    for (size_t i = 0; i < fake.joysticks.size(); ++i) fake.joysticks[i].x = i32(i);
    Init();
    EXPECT_EQ(INP_GetJoystickCount(), 16);
    INP_RenewJoysticks();
    EXPECT_EQ(Joy(15).x, 15);
    EXPECT_EQ(INP_GetJoystick(16, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(INP_GetJoystick(-1, nullptr, nullptr, nullptr), 0);
    INP_Term();

    // A joystick that cannot be opened ends the enumeration; the ones before it stay.
    fake.joysticks.assign(3, {});
    fake.joysticks[1].refuseCreate = true;
    Init();
    EXPECT_EQ(INP_GetJoystickCount(), 1);
}

TEST_F(Inp, WithoutTheInputSystemOnlyWindowSystemCallsWork) {
    // Before set-up every read is harmless and answers nothing.
    INP_RenewKeyboard();
    INP_RenewMouse();
    INP_RenewJoysticks();
    EXPECT_EQ(INP_GetKey(kDikZ), 0);
    EXPECT_EQ(INP_GetJoystickCount(), 0);

    fake.startFails = true;
    fake.joysticks.resize(1);
    fake.Press(kDikZ);
    fake.button[0] = true;
    EXPECT_EQ(INP_Init(nullptr, nullptr), nullptr);
    EXPECT_EQ(fake.liveDevices, 0);
    INP_RenewKeyboard();
    EXPECT_EQ(INP_GetKey(kDikZ), 0);
    EXPECT_EQ(MouseWord(), 0u);

    fake.asyncKeys[plat::VK_LBUTTON] = true;
    fake.asyncKeys[plat::VK_SHIFT] = true;
    EXPECT_EQ(INP_GetAsyncKey(plat::VK_SHIFT), 1);
    EXPECT_EQ(INP_GetAsyncKey('1'), 0);
    fake.cursorX = 40;
    fake.cursorY = 30;
    INP_RenewMouseAsync();
    i32 x = 0, y = 0;
    u32 w = 0;
    INP_GetMouse(&x, &y, &w);
    EXPECT_EQ(x, 40);
    EXPECT_EQ(y, 30);
    EXPECT_EQ(w, 5u);
    INP_RenewMouseAsync();
    INP_GetMouse(nullptr, nullptr, &w);
    EXPECT_EQ(w, 1u);
    INP_SetMousePos(10, 20);
    EXPECT_EQ(fake.warpCount, 1);
}

TEST_F(Inp, GettersIgnoreNullPointersAndOutOfRangeCodes) {
    Init();
    fake.Press(255);
    INP_RenewKeyboard();
    EXPECT_EQ(INP_GetKey(255), 1);
    EXPECT_EQ(INP_GetKey(256), 0);
    EXPECT_EQ(INP_GetKey(-1), 0);
    EXPECT_EQ(INP_GetKey(0xFFFF), 0);
    INP_GetMouse(nullptr, nullptr, nullptr);
}

TEST_F(Inp, PositionIsInPicturePixelsAndBarsLieOutside) {
    // A 1920×1080 window shows the picture 1440×1080 between 240-pixel bars.
    plat::SetPicturePlacement(RECT{240, 0, 1680, 1080}, 640, 480);
    Init();
    i32 x = 0, y = 0;
    fake.cursorX = 240 + 720;
    fake.cursorY = 540;
    INP_RenewMouse();
    INP_GetMouse(&x, &y, nullptr);
    EXPECT_EQ(x, 320);
    EXPECT_EQ(y, 240);
    fake.cursorX = 100;  // on the left bar
    INP_RenewMouse();
    INP_GetMouse(&x, &y, nullptr);
    EXPECT_LT(x, 0);
    fake.cursorX = 1900;  // on the right bar
    fake.cursorY = -5;    // above the window
    INP_RenewMouse();
    INP_GetMouse(&x, &y, nullptr);
    EXPECT_GE(x, 640);
    EXPECT_LT(y, 0);

    INP_SetMousePos(320, 240);
    i32 wx = 0, wy = 0;
    plat::PictureToWindow(320, 240, &wx, &wy);
    EXPECT_EQ(fake.warpX, wx);
    EXPECT_EQ(fake.warpY, wy);
}

TEST_F(Inp, WarpedPositionHoldsUntilThePointerReallyMoves) {
    // Scaled 2:1 so a window point maps back to a picture point other than the warp's.
    plat::SetPicturePlacement(RECT{0, 0, 1280, 960}, 640, 480);
    Init();
    fake.ignoreWarps = true;
    fake.cursorX = 20;
    fake.cursorY = 20;
    INP_RenewMouse();

    auto pos = [] {
        i32 x = 0, y = 0;
        INP_GetMouse(&x, &y, nullptr);
        return POINT{x, y};
    };
    INP_SetMousePos(100, 50);
    EXPECT_EQ(pos().x, 100);  // at once, before any read
    INP_RenewMouse();         // the system still reports the old place
    EXPECT_EQ(pos().x, 100);
    EXPECT_EQ(pos().y, 50);

    INP_SetMousePos(200, 60);  // a second warp before the first was reported
    plat::PictureToWindow(100, 50, &fake.cursorX, &fake.cursorY);  // the first one arrives late
    INP_RenewMouse();
    EXPECT_EQ(pos().x, 200);
    fake.cursorX = fake.warpX;  // then the second one
    fake.cursorY = fake.warpY;
    INP_RenewMouse();
    EXPECT_EQ(pos().x, 200);
    EXPECT_EQ(pos().y, 60);

    fake.cursorX = 900;  // a real movement
    fake.cursorY = 300;
    INP_RenewMouse();
    EXPECT_EQ(pos().x, 450);
    EXPECT_EQ(pos().y, 150);
    fake.cursorX = 20;  // the place from before the warps is an ordinary position again
    fake.cursorY = 20;
    INP_RenewMouse();
    EXPECT_EQ(pos().x, 10);
}

TEST_F(Inp, TermReleasesEverythingAndLeavesNoState) {
    fake.joysticks.resize(3);
    fake.swapped = true;
    Init();
    EXPECT_EQ(fake.liveDevices, 5);
    fake.Press(kDikZ);
    INP_RenewKeyboard();
    INP_Term();
    EXPECT_EQ(fake.liveDevices, 0);
    EXPECT_FALSE(fake.started);
    EXPECT_EQ(INP_GetJoystickCount(), 0);
    EXPECT_EQ(INP_GetKey(kDikZ), 0);
    INP_RenewKeyboard();
    INP_RenewMouse();
    // Nor the swapped buttons of that set-up: the system's left button is the primary one again.
    fake.asyncKeys[plat::VK_LBUTTON] = true;
    INP_RenewMouseAsync();
    u32 w = 0;
    INP_GetMouse(nullptr, nullptr, &w);
    EXPECT_EQ(w & 3u, 1u);
}

}  // namespace
