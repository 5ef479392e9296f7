#include <gtest/gtest.h>

#include <string>

#include "platform/input_fake.h"
#include "platform/picture.h"
#include "shell/input/inp.h"
#include "shell/input/key.h"

namespace {

// Scan codes the tests press.
constexpr int kZ = 44, kEsc = 1, kA = 30, kSpace = 57, kUpArrow = 0xC8;
constexpr int kPad4 = 75, kPad5 = 76, kPad6 = 77, kPad7 = 71;

class Key : public ::testing::Test {
protected:
    void SetUp() override {
        plat::SetInputBackend(&fake);
        fake.joysticks.resize(1);
        ASSERT_EQ(INP_Init(nullptr, nullptr), &fake);
        KEY_Init(&SysKey, nullptr, nullptr);
        KEY_InitScreenKey();
        ScreenMousePad = ScreenMouseTrg = 0;
    }
    void TearDown() override {
        INP_Term();
        plat::SetInputBackend(nullptr);
    }
    plat::FakeInputBackend::Joystick& joy() { return fake.joysticks[0]; }

    plat::FakeInputBackend fake;
};

TEST_F(Key, HeldKeyTriggersOnceAndReleasesTheFrameAfter) {
    fake.Press(kZ);
    for (int frame = 0; frame < 3; ++frame) {
        KEY_Renew(&SysKey);
        EXPECT_EQ(SysKey.current, 16);
        EXPECT_EQ(SysKey.trigger, frame == 0 ? 16 : 0);
        EXPECT_EQ(SysKey.release, 0);
        EXPECT_EQ(SysKey.source, KEY_SOURCE_KEYBOARD);
    }
    fake.Let(kZ);
    KEY_Renew(&SysKey);
    EXPECT_EQ(SysKey.current, 0);
    EXPECT_EQ(SysKey.trigger, 0);
    EXPECT_EQ(SysKey.release, 16);
    EXPECT_EQ(SysKey.source, KEY_SOURCE_NONE);
    KEY_Renew(&SysKey);
    EXPECT_EQ(SysKey.release, 0);
}

TEST_F(Key, KeypadGivesDirectionsThatOrTogether) {
    fake.Press(kPad7);
    KEY_Renew(&SysKey);
    EXPECT_EQ(SysKey.current, KEY_UP | KEY_LEFT);
    fake.Let(kPad7);
    fake.Press(kPad4);
    fake.Press(kPad6);
    KEY_Renew(&SysKey);
    EXPECT_EQ(SysKey.current, KEY_LEFT | KEY_RIGHT);  // nothing cancels opposites
    fake.keys = {};
    fake.Press(kUpArrow);  // arrows are in neither table
    KEY_Renew(&SysKey);
    KEY_Renew(&ScreenKey);
    EXPECT_EQ(SysKey.current, 0);
    EXPECT_EQ(ScreenKey.current, 0);
}

// Every slot of both default tables, one key at a time: each key gives its slot's bits alone.
TEST_F(Key, EverySlotOfBothTablesGivesItsOwnBits) {
    const struct {
        const char* key;
        int sysCode;
        int screenCode;
        u16 bits;
    } slots[] = {
        {"keypad 2", 80, 80, KEY_DOWN},
        {"keypad 1", 79, 79, KEY_DOWN | KEY_LEFT},
        {"keypad 4", 75, 75, KEY_LEFT},
        {"keypad 7", 71, 71, KEY_UP | KEY_LEFT},
        {"keypad 8", 72, 72, KEY_UP},
        {"keypad 9", 73, 73, KEY_UP | KEY_RIGHT},
        {"keypad 6", 77, 77, KEY_RIGHT},
        {"keypad 3", 81, 81, KEY_DOWN | KEY_RIGHT},
        {"Z", 44, 44, 16},
        {"X", 45, 45, 32},
        {"C", 46, 46, 64},
        {"keypad 5 / A", 76, 30, 128},
        {"S", 31, 31, 256},
        {"D", 32, 32, 512},
        {"1", 2, 2, 1024},
        {"2", 3, 3, 2048},
        {"Esc / Space", 1, 57, 4096},
    };
    for (KEY_DEVICE* device : {&SysKey, &ScreenKey}) {
        const bool sys = device == &SysKey;
        for (const auto& slot : slots) {
            SCOPED_TRACE(std::string(sys ? "system " : "screens ") + slot.key);
            fake.keys = {};
            KEY_Renew(device);
            fake.Press(sys ? slot.sysCode : slot.screenCode);
            KEY_Renew(device);
            EXPECT_EQ(device->current, slot.bits);
            EXPECT_EQ(device->trigger, slot.bits);
            EXPECT_EQ(device->source, KEY_SOURCE_KEYBOARD);
        }
        // The last three slots hold no key.
        for (int slot = 17; slot < KEY_SLOT_COUNT; ++slot) EXPECT_EQ(device->keys[slot], KEY_NONE) << slot;
    }
}

TEST_F(Key, SystemAndScreenTablesDifferInThreeSlots) {
    const struct {
        int dik;
        u16 sys;
        u16 screen;
    } cases[] = {{kPad5, 128, 0}, {kA, 0, 128}, {kEsc, 4096, 0}, {kSpace, 0, 4096}, {kZ, 16, 16}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dik);
        fake.keys = {};
        fake.Press(c.dik);
        KEY_Renew(&SysKey);
        KEY_Renew(&ScreenKey);
        EXPECT_EQ(SysKey.current, c.sys);
        EXPECT_EQ(ScreenKey.current, c.screen);
    }
}

TEST_F(Key, StickThresholdsAreAsymmetric) {
    const struct {
        i32 x, y;
        u16 word;
    } cases[] = {
        {0, -80, 0},         {0, -81, KEY_UP},   {0, 80, KEY_DOWN},  {0, 79, 0},
        {-80, 0, 0},         {-81, 0, KEY_LEFT}, {80, 0, KEY_RIGHT}, {79, 0, 0},
        {-100, -100, KEY_UP | KEY_LEFT},         {100, 100, KEY_DOWN | KEY_RIGHT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        joy().x = c.x;
        joy().y = c.y;
        KEY_Renew(&SysKey);
        EXPECT_EQ(SysKey.current, c.word);
        EXPECT_EQ(SysKey.source, c.word ? KEY_SOURCE_JOYSTICK : KEY_SOURCE_NONE);
    }
}

TEST_F(Key, KeyboardWinsOverTheJoystick) {
    fake.Press(kZ);
    joy().buttons = 1u << 1;  // button 2
    joy().x = 100;
    KEY_Renew(&SysKey);
    EXPECT_EQ(SysKey.current, 16);
    EXPECT_EQ(SysKey.source, KEY_SOURCE_KEYBOARD);
    fake.Let(kZ);
    KEY_Renew(&SysKey);
    EXPECT_EQ(SysKey.current, 32 | KEY_RIGHT);
    EXPECT_EQ(SysKey.trigger, 32 | KEY_RIGHT);
    EXPECT_EQ(SysKey.release, 16);
    EXPECT_EQ(SysKey.source, KEY_SOURCE_JOYSTICK);

    // With the keyboard failing, the joystick still supplies the word.
    fake.Press(kZ);
    fake.keyboardReadFails = true;
    joy().x = 0;
    KEY_Renew(&SysKey);
    EXPECT_EQ(SysKey.current, 32);
    EXPECT_EQ(SysKey.source, KEY_SOURCE_JOYSTICK);
}

TEST_F(Key, PadMapsOrderButtonsDifferently) {
    const struct {
        int button;  // 1-based
        u16 sys;
        u16 screen;
    } cases[] = {{1, 16, 16}, {4, 1024, 128}, {7, 128, 1024}, {9, 4096, 4096}, {10, 0, 0}, {32, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        joy().buttons = 1u << (c.button - 1);
        KEY_Renew(&SysKey);
        KEY_Renew(&ScreenKey);
        EXPECT_EQ(SysKey.current, c.sys);
        EXPECT_EQ(ScreenKey.current, c.screen);
    }
}

TEST_F(Key, CustomTablesSkipEmptySlotsAndFoldSparesToNothing) {
    u16 keys[KEY_SLOT_COUNT];
    u16 pad[KEY_SLOT_COUNT] = {};
    for (auto& k : keys) k = KEY_NONE;
    keys[0] = kUpArrow;  // slot 0: down
    keys[8] = 300;       // not a scan code: never down
    keys[17] = kZ;       // spare slots contribute no bits
    pad[8] = 4096;
    KEY_DEVICE key;
    KEY_Init(&key, keys, pad);
    fake.Press(kUpArrow);
    fake.Press(kZ);
    KEY_Renew(&key);
    EXPECT_EQ(key.current, KEY_DOWN);
    fake.keys = {};
    KEY_Renew(&key);
    EXPECT_EQ(key.current, 0);
    EXPECT_EQ(key.source, KEY_SOURCE_NONE);  // slot 17's key alone reads as nothing pressed
    joy().buttons = 1;
    KEY_Renew(&key);
    EXPECT_EQ(key.current, 4096);
}

TEST_F(Key, HistoryHoldsTheLast32WordsAndZeroBeyond) {
    const int k = 5;
    for (int i = 0; i < k; ++i) {
        fake.keys = {};
        fake.Press(i % 2 ? kZ : kPad4);
        KEY_Renew(&SysKey);
    }
    EXPECT_EQ(KEY_GetHistory(&SysKey, 0), KEY_LEFT);  // frame 4
    EXPECT_EQ(KEY_GetHistory(&SysKey, 1), 16);        // frame 3
    EXPECT_EQ(KEY_GetHistory(&SysKey, 4), KEY_LEFT);  // frame 0
    for (int n = k; n < KEY_HISTORY_COUNT; ++n) EXPECT_EQ(KEY_GetHistory(&SysKey, n), 0) << n;
    EXPECT_EQ(KEY_GetHistory(&SysKey, -1), 0);
    EXPECT_EQ(KEY_GetHistory(&SysKey, KEY_HISTORY_COUNT), 0);
    EXPECT_EQ(KEY_GetHistory(&SysKey, 1000), 0);

    // Around the ring: the oldest of 32 is still there, a 33rd frame replaces it.
    fake.keys = {};
    for (int i = k; i < KEY_HISTORY_COUNT; ++i) KEY_Renew(&SysKey);
    EXPECT_EQ(SysKey.historyIndex, KEY_HISTORY_COUNT - 1);
    EXPECT_EQ(KEY_GetHistory(&SysKey, 31), KEY_LEFT);
    KEY_Renew(&SysKey);
    EXPECT_EQ(SysKey.historyIndex, 0);
    EXPECT_EQ(KEY_GetHistory(&SysKey, 31), 16);
    EXPECT_EQ(KEY_GetHistory(&SysKey, 0), 0);

    KEY_Init(&SysKey, nullptr, nullptr);
    for (int n = 0; n < KEY_HISTORY_COUNT; ++n) EXPECT_EQ(KEY_GetHistory(&SysKey, n), 0);
}

TEST_F(Key, ScreenStepTracksMouseClicks) {
    fake.cursorX = 123;
    fake.cursorY = 45;
    fake.button[0] = true;
    KEY_RenewScreenKey();
    EXPECT_EQ(ScreenMousePad, 5u);
    EXPECT_EQ(ScreenMouseTrg, 5u);
    EXPECT_EQ(ScreenMouseX, 123);
    EXPECT_EQ(ScreenMouseY, 45);
    KEY_RenewScreenKey();
    EXPECT_EQ(ScreenMousePad, 1u);
    EXPECT_EQ(ScreenMouseTrg, 0u);
    fake.button[1] = true;
    KEY_RenewScreenKey();
    EXPECT_EQ(ScreenMousePad, 1u | 2u | 8u);
    EXPECT_EQ(ScreenMouseTrg, 2u | 8u);
    fake.button[0] = fake.button[1] = false;
    KEY_RenewScreenKey();
    EXPECT_EQ(ScreenMousePad, 0u);
    EXPECT_EQ(ScreenMouseTrg, 0u);

    // The key device renews once per step.
    fake.Press(kSpace);
    KEY_RenewScreenKey();
    EXPECT_EQ(ScreenKey.trigger, 4096);
    KEY_RenewScreenKey();
    EXPECT_EQ(ScreenKey.trigger, 0);
}

TEST_F(Key, MoveCursorStepsByTheDirectionBits) {
    i32 x = 100, y = 100;
    KEY_Renew(&SysKey);
    KEY_MoveCursor(&SysKey, nullptr, &x, &y, 8, 0);
    EXPECT_EQ(fake.warpCount, 0);  // nothing held: no warp

    fake.Press(kPad7);
    KEY_Renew(&SysKey);
    KEY_MoveCursor(&SysKey, nullptr, &x, &y, 8, 0);
    EXPECT_EQ(x, 92);
    EXPECT_EQ(y, 92);
    EXPECT_EQ(fake.warpCount, 1);
    EXPECT_EQ(fake.warpX, 92);
    i32 mx = 0, my = 0;
    INP_GetMouse(&mx, &my, nullptr);
    EXPECT_EQ(mx, 92);

    fake.keys = {};
    fake.Press(kPad4);
    fake.Press(kPad6);  // left and right cancel out: no change, no warp
    KEY_Renew(&SysKey);
    KEY_MoveCursor(&SysKey, nullptr, &x, &y, 8, 1);
    EXPECT_EQ(x, 92);
    EXPECT_EQ(fake.warpCount, 1);
}

}  // namespace
