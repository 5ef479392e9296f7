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

// ---- the record's bytes and the save slots ----

constexpr int GAME_DATA_SIZE = 3312;
constexpr int SAVE_HEAD_SIZE = 8;
constexpr int SAVE_FILE_SIZE = SAVE_HEAD_SIZE + GAME_DATA_SIZE;  // a shorter slot file holds no record
constexpr int SAVE_SLOT_MAX = 100;

// The local date and time a slot was written.
struct SAVE_HEAD {
    u16 month;
    u16 day;
    u16 hour;
    u16 minute;
};

struct SAVE_SLOT {
    i32 present;
    SAVE_HEAD head;
};

extern SAVE_SLOT SaveSlotTbl[SAVE_SLOT_MAX];
extern i32 SaveSlotCnt;  // slots present

// The record as its 3312 little-endian bytes and back; every byte round-trips, the unused ones too.
void SAVE_ReadGameData(GAME_DATA* data, const u8* bytes);
void SAVE_WriteGameData(const GAME_DATA* data, u8* bytes);

void SAVE_ScanSlots();
// Slot numbers 0..99; any other is refused (0, nothing touched). A failed write or delete leaves the
// file and the slot table as they were.
int SAVE_WriteSlot(int n);
int SAVE_ReadSlot(int n);  // 0 with the new-game record when the slot holds none
int SAVE_DeleteSlot(int n);
int SAVE_ReadDebugTxt();
