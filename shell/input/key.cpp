#include "shell/input/key.h"

#include <cstring>

#include "shell/common.h"
#include "shell/input/inp.h"

KEY_DEVICE SysKey;
KEY_DEVICE ScreenKey;
i32 ScreenMouseX = 0;
i32 ScreenMouseY = 0;
u32 ScreenMousePad = 0;
u32 ScreenMouseTrg = 0;

namespace {

// The bits of each slot are fixed: slot numbers carry the meaning, only the scan codes change.
constexpr u16 KeySlotBits[KEY_SLOT_COUNT] = {
    KEY_DOWN,  KEY_DOWN | KEY_LEFT, KEY_LEFT, KEY_UP | KEY_LEFT, KEY_UP, KEY_UP | KEY_RIGHT,
    KEY_RIGHT, KEY_DOWN | KEY_RIGHT, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096, 0, 0, 0,
};

// Directions from the numeric keypad only (2 1 4 7 8 9 6 3), then Z X C, keypad 5, S D 1 2 Esc.
constexpr u16 SysKeyTable[KEY_SLOT_COUNT] = {
    80, 79, 75, 71, 72, 73, 77, 81, 44, 45, 46, 76, 31, 32, 2, 3, 1, KEY_NONE, KEY_NONE, KEY_NONE,
};
constexpr u16 SysPadMap[KEY_SLOT_COUNT] = {
    0, 0, 0, 0, 0, 0, 0, 0, 16, 32, 64, 1024, 256, 512, 128, 2048, 4096, KEY_NONE, KEY_NONE, KEY_NONE,
};

// The screens use A and Space where the battle uses keypad 5 and Esc.
constexpr u16 ScreenKeyTable[KEY_SLOT_COUNT] = {
    80, 79, 75, 71, 72, 73, 77, 81, 44, 45, 46, 30, 31, 32, 2, 3, 57, KEY_NONE, KEY_NONE, KEY_NONE,
};
constexpr u16 ScreenPadMap[KEY_SLOT_COUNT] = {
    0, 0, 0, 0, 0, 0, 0, 0, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096, KEY_NONE, KEY_NONE, KEY_NONE,
};

constexpr int kPadButtonSlot = 8;  // joystick button 1 uses pad map entry 8
constexpr int kPadButtons = 9;
constexpr i32 kStickThreshold = 80;

}  // namespace

void KEY_Init(KEY_DEVICE* key, const u16* keyTable, const u16* padMap) {
    key->trigger = key->release = key->current = 0;
    key->historyIndex = KEY_HISTORY_COUNT - 1;
    std::memset(key->history, 0, sizeof key->history);
    std::memcpy(key->keys, keyTable ? keyTable : SysKeyTable, sizeof key->keys);
    std::memcpy(key->padMap, padMap ? padMap : SysPadMap, sizeof key->padMap);
}

void KEY_Renew(KEY_DEVICE* key) {
    key->historyIndex = (key->historyIndex + 1) % KEY_HISTORY_COUNT;
    u16& word = key->history[key->historyIndex];
    word = 0;
    key->source = KEY_SOURCE_NONE;

    INP_RenewKeyboard();
    for (int slot = 0; slot < KEY_SLOT_COUNT; ++slot)
        if (key->keys[slot] != KEY_NONE && INP_GetKey(key->keys[slot])) word |= KeySlotBits[slot];
    if (word) key->source = KEY_SOURCE_KEYBOARD;

    // Read every frame, so the joystick's state is fresh whenever the keyboard lets go.
    INP_RenewJoysticks();
    i32 x = 0, y = 0;
    u32 buttons = 0;
    if (key->source == KEY_SOURCE_NONE && INP_GetJoystick(0, &x, &y, &buttons)) {
        // Not symmetric: -80 is still neutral, +80 already counts.
        if (y < -kStickThreshold) word |= KEY_UP;
        if (y >= kStickThreshold) word |= KEY_DOWN;
        if (x < -kStickThreshold) word |= KEY_LEFT;
        if (x >= kStickThreshold) word |= KEY_RIGHT;
        for (int b = 0; b < kPadButtons; ++b)
            if (buttons & (u32(1) << b)) word |= key->padMap[kPadButtonSlot + b];
        if (word) key->source = KEY_SOURCE_JOYSTICK;
    }

    key->trigger = u16((key->current ^ word) & word);
    key->release = u16(key->current & ~word);
    key->current = word;
}

u16 KEY_GetHistory(const KEY_DEVICE* key, int n) {
    if (n < 0 || n >= KEY_HISTORY_COUNT) return 0;
    int index = key->historyIndex - n;
    if (index < 0) index += KEY_HISTORY_COUNT;
    return key->history[index];
}

// The window and the full-screen flag are carried for the callers' sake: the pointer goes through
// the module's own warp, which maps picture pixels to the window in either mode.
void KEY_MoveCursor(const KEY_DEVICE* key, HWND window, i32* x, i32* y, i32 step, int fullScreen) {
    const i32 oldX = *x, oldY = *y;
    if (key->current & KEY_UP) *y -= step;
    if (key->current & KEY_DOWN) *y += step;
    if (key->current & KEY_LEFT) *x -= step;
    if (key->current & KEY_RIGHT) *x += step;
    if (*x == oldX && *y == oldY) return;
    POINT point;
    SetPointDat(&point, *x, *y);
    INP_SetMousePos(point.x, point.y);
}

void KEY_InitScreenKey() { KEY_Init(&ScreenKey, ScreenKeyTable, ScreenPadMap); }

void KEY_RenewScreenKey() {
    INP_RenewKeyboard();  // read again inside KEY_Renew; kept for the reads' order
    KEY_Renew(&ScreenKey);
    INP_RenewMouse();
    u32 word = 0;
    INP_GetMouse(&ScreenMouseX, &ScreenMouseY, &word);
    ScreenMouseTrg = (ScreenMousePad ^ word) & word;
    ScreenMousePad = word;
}
