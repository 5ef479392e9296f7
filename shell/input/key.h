// Key devices: the keyboard and the first joystick folded into one button word per frame, with the
// bits newly pressed and released and the words of the last 32 frames.
#pragma once
#include "platform/types.h"
#include "platform/window.h"

constexpr int KEY_SLOT_COUNT = 20;
constexpr int KEY_HISTORY_COUNT = 32;
constexpr u16 KEY_NONE = 0xFFFF;  // a key slot without a key

// Bits of the button word.
constexpr u16 KEY_UP = 1;
constexpr u16 KEY_DOWN = 2;
constexpr u16 KEY_LEFT = 4;
constexpr u16 KEY_RIGHT = 8;

// Where a frame's word came from.
constexpr i32 KEY_SOURCE_NONE = 0;
constexpr i32 KEY_SOURCE_KEYBOARD = 1;
constexpr i32 KEY_SOURCE_JOYSTICK = 2;

struct KEY_DEVICE {
    u16 trigger;                     // set now, clear in the previous frame
    u16 release;                     // set in the previous frame, clear now
    u16 current;                     // this frame's word
    u16 keys[KEY_SLOT_COUNT];        // scan code per slot, KEY_NONE for none
    u16 padMap[KEY_SLOT_COUNT];      // entries 8..16: bits of joystick buttons 1..9
    i32 source;                      // KEY_SOURCE_*
    i32 historyIndex;                // entry of this frame's word
    u16 history[KEY_HISTORY_COUNT];  // ring of the last 32 words
};

extern KEY_DEVICE SysKey;     // the battle and the battle mode's screens
extern KEY_DEVICE ScreenKey;  // opening, title, ranking, panels, script scene
// The screens' mouse, in picture pixels, with the mouse button word and its newly set bits.
extern i32 ScreenMouseX;
extern i32 ScreenMouseY;
extern u32 ScreenMousePad;
extern u32 ScreenMouseTrg;

void KEY_Init(KEY_DEVICE* key, const u16* keyTable, const u16* padMap);
void KEY_Renew(KEY_DEVICE* key);
// n from 0 (this frame) to 31; any other n reads 0.
u16 KEY_GetHistory(const KEY_DEVICE* key, int n);
void KEY_MoveCursor(const KEY_DEVICE* key, HWND window, i32* x, i32* y, i32 step, int fullScreen);
void KEY_InitScreenKey();
void KEY_RenewScreenKey();
