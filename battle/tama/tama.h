// Weapon launchers and shots: the extension records of object kinds 1 and 2 and the live shot count.
#pragma once
#include "platform/types.h"

struct TAMA_FIRE;
struct TAMA_DATA;

constexpr int TAMA_CHAIN_MAX = 64;  // laser chain slots of a launcher
constexpr int TAMA_WAIT_MAX = 129;  // animation-step waits a shot keeps

struct TAMA_LNCH_WORK {
    const TAMA_FIRE* fire;  // the entry that started it (in a technique motion or a shot phase)
    u16 waza;               // technique number of the owner
    u16 interval;           // volleys every interval + 1 frames
    i16 loops;              // volleys left; for lasers the chain length
    i16 count;              // shots per volley
    i16 wait;               // frames until the next volley
    u16 fired;
    i32 value1;  // lasers: chain started
    i32 value2;  // lasers: chain growth per volley
    i32 value3;  // running counter of the firing types; lasers: hit flags of the chain
    i16 extension;  // laser extension counter
    u8 repeat;      // the owner technique's repetition count
    i16 shots[TAMA_CHAIN_MAX];  // laser chain members, -1 free
};

struct TAMA_WORK {
    u16 waza;  // technique number of the firing mech
    i16 hold;  // countdown of a step in timing mode 2
    i16 arc;   // sub-step counter of the height curve
    i16 age;   // frames in the current phase
    i32 targetX;
    i32 targetY;
    i32 targetZ;
    i32 aimX;  // target position minus shot position, taken at a step start
    i32 aimY;
    u8 rangeType;  // 0 strike, 1 shot
    i16 charaHits;
    i16 weaponHits;
    u8 struck;    // a weapon hit this shot in the current frame
    i8 hitPause;  // sub-steps before the next hit check
    u8 phase;     // 0..3
    i16 ref;      // the launcher (missiles, lasers) or its owner (force fields)
    i32 state[16];        // movement type state; lasers and missiles use the last four words too
    i32 memberState[16];  // laser member state
    u8 step;      // 0..3
    u8 animeEnd;  // the sequence ended
    u16 waits[TAMA_WAIT_MAX];
    i32 combo;  // highest combo value of the firing mech seen in flight
    u8 repeat;
    u8 box;
    u8 mapHit;     // touched a blocking cell this frame
    u8 trailMade;  // trail effects of flag 8 made
    const TAMA_DATA* weapon;
};

extern i16 TamaShotCnt;  // live shots

struct LIST_DATA;
// A launcher firing the entry for its creator (a mech's technique frame or a shot's step); its object
// index, negative when none was made.
int TAMA_CreateLauncher(LIST_DATA* creator, const TAMA_FIRE* fire);
