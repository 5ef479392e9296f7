// The game record: the player's start values, equipped techniques, stage, CPU level and the
// experience of every technique group; the body of a save-slot file.
#pragma once
#include <cstddef>

#include "platform/types.h"

constexpr int GAME_START_MAX = 11;
constexpr int GAME_EQUIP_MAX = 12;
constexpr int GAME_STAGE_MAX = 8;
constexpr int GAME_EXP_MAX = 160;  // one per technique group (technique number / 3)

struct WAZA_EXP {
    i8 level;  // 0..2
    u8 zero1[3];
    i32 useCnt;
    i16 exp;       // 0..1000
    i16 shownExp;  // the experience at the battle's start
    i16 penalty;   // +10 a use, reset each battle
    i16 damage;    // dealt by the group this battle
    i16 mastery;
    i16 zero18;
};
static_assert(sizeof(WAZA_EXP) == 20);

struct GAME_DATA {
    // 3..6: walk, boost and dash speed, dash duration; 9 and 10: the strike and shot overheat %.
    i16 start[GAME_START_MAX];
    i16 zero22;
    i32 value24;
    i16 equip[GAME_EQUIP_MAX];  // technique numbers, row r column c at 3r + c
    u8 zero52[25];
    u8 stageFlag[GAME_STAGE_MAX];
    u8 zero85[6];
    u8 byte91;
    u8 stage;  // map number 0..7
    i8 cpuLevel;  // 0..10
    u8 zero94[18];
    WAZA_EXP exp[GAME_EXP_MAX];
};
static_assert(sizeof(GAME_DATA) == 3312);
static_assert(offsetof(GAME_DATA, value24) == 24 && offsetof(GAME_DATA, equip) == 28 &&
              offsetof(GAME_DATA, stageFlag) == 77 && offsetof(GAME_DATA, byte91) == 91 &&
              offsetof(GAME_DATA, stage) == 92 && offsetof(GAME_DATA, cpuLevel) == 93 &&
              offsetof(GAME_DATA, exp) == 112);

extern GAME_DATA GameData;

// The new-game record; 1.
int SAVE_InitGameData();
