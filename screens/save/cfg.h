// The configuration file "Save\Zentri.cfg": the system key device's key codes and joystick map and a
// small option block, 90 bytes little-endian in that order.
#pragma once
#include "platform/types.h"

struct CFG_OPTION {
    u8 bytes[6];  // defaults 0, 0, 0, 1, 0, 0
    u16 words[2];
};

constexpr int CFG_FILE_SIZE = 90;
constexpr int CFG_KEYS_SIZE = 80;  // the key codes and the joystick map

extern CFG_OPTION CfgOption;

// Sets the system key device up from the file (its defaults without one) and fills the option block;
// 1 when the file's tables were read.
int CFG_Load();
// 1 when the device's tables and the option block were written.
int CFG_Save();
