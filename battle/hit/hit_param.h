// The 26-byte hit parameter block that technique motions and shot phases share; a mech keeps a copy
// of the block of the last hit it took.
#pragma once
#include <cstddef>

#include "platform/types.h"

struct HIT_PARAM {
    u8 knockDown;   // 0  bit 0: knock-down flag of a mech blown away
    u8 timedState;  // 1  given to the hit mech; 1 also spawns effect 9
    u8 byte2[2];    // 2
    i16 power;      // 4
    i16 minDamage;  // 6  before the gauge and repeat scaling
    u8 byte8[2];    // 8
    u8 hitStop;     // 10 frames
    u8 knockDir;    // 11 0 attacker to mech, 1 the attacker's velocity, 2 owner root to attacker
    u8 knockSpeed;  // 12
    u8 byte13;      // 13
    u16 reactTime;  // 14 frames of the hit state
    u8 downValue;   // 16 added to the hit mech's down counter
    u8 byte17;      // 17
    u16 blowZSpeed;  // 18 z speed of a mech blown away
    u8 sparkEffect;  // 20 effect type + 1
    u8 sparkCount;   // 21 count code for the chance test
    u8 sparkSpread;  // 22 pixels
    u8 byte23;       // 23
    u8 forceReact;   // 24 non-zero puts the hit mech into the hit state
    u8 byte25;       // 25
};
static_assert(sizeof(HIT_PARAM) == 26 && offsetof(HIT_PARAM, reactTime) == 14 &&
              offsetof(HIT_PARAM, blowZSpeed) == 18 && offsetof(HIT_PARAM, forceReact) == 24);
