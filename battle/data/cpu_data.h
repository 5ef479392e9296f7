// CPU behaviour records: a mech type's file "Dat\%s.cpu" is one 9584-byte CPU_DATA, loaded once per
// type and shared by reference count through MekaTypeTbl (battle/data/meka_type.h).
//
// C++ offsets equal the file offsets (asserted at the end); files are still read and written field
// by field (CPU_ReadRecord, CPU_WriteRecord). Fields named "unused" are kept as they lie so that
// load -> save gives the same bytes.
#pragma once
#include <cstddef>

#include "platform/types.h"

constexpr int CPU_PARAM_MAX = 24;
constexpr int CPU_MODE_MAX = 16;
constexpr int CPU_GROUP_MAX = 24;
constexpr int CPU_ATK_MAX = 5;
constexpr int CPU_COUNTER_MAX = 160;
constexpr int CPU_DATA_SIZE = 9584;

// Parameter numbers (CPU_DATA::param). Each value of 0..9 has its per-CPU-level step at 14..23 in the
// order durability, armour, strike power, strike thruster, strike overheat, shot power, shot thruster,
// shot overheat, money, defence.
enum {
    CPU_PRM_LIFE = 0,          // life bars
    CPU_PRM_ARMOUR,
    CPU_PRM_MOVE_SPEED,
    CPU_PRM_BOOST_SPEED,
    CPU_PRM_DASH_SPEED,
    CPU_PRM_DASH_TIME,
    CPU_PRM_STRIKE_POWER,
    CPU_PRM_STRIKE_THRUSTER,
    CPU_PRM_STRIKE_HEAT,
    CPU_PRM_SHOT_POWER,
    CPU_PRM_SHOT_THRUSTER,
    CPU_PRM_SHOT_HEAT,
    CPU_PRM_MONEY,
    CPU_PRM_DEFENCE,
    CPU_PRM_LIFE_STEP,         // 14: the per-level steps begin here
};

// A basic action (40 bytes).
struct CPU_MODE {
    i8 move;           // 0  -1 none (slot unused), 0 stop, 1 walk, 2 boost, 3 wall dash, 4 tracking dash, 5 short dash
    u8 unused1;        // 1
    i16 dirKind;       // 2  0 toward the enemy, 1 away, 2 random
    i16 time;          // 4  movement time in frames
    i16 variable;      // 6  stored and edited only
    i8 level;          // 8  required CPU level
    u8 unused9;        // 9
    i16 chance;        // 10 per mille
    i16 chanceStep;    // 12 per CPU level above the required one
    u8 unused14[2];    // 14
    i32 rangeMin;      // 16 pixels
    i32 rangeMax;      // 20
    i32 lifeLimit;     // 24 chosen only at or below this many life bars
    u16 selfMask;      // 28 conditions of the mech itself that forbid it
    u16 targetMask;    // 30 conditions of the target that forbid it
    i8 priority;       // 32 0..16
    u8 unused33;       // 33
    i16 atkChance;     // 34 per mille per frame while the mode runs
    i16 delay;         // 36 frames before the movement starts
    u8 unused38[2];    // 38
};

// An attack entry of a chain (36 bytes).
struct CPU_ATK {
    i16 waza;          // 0  technique number of the type; negative: empty
    i8 level;          // 2
    u8 unused3;        // 3
    i16 chance;        // 4
    i16 chanceStep;    // 6
    i32 rangeMin;      // 8
    i32 rangeMax;      // 12
    i32 lifeLimit;     // 16
    u16 selfMask;      // 20
    u16 targetMask;    // 22
    i8 priority;       // 24
    u8 unused25;       // 25
    u16 cancelRule;    // 26 0 after a set time, 1 a set time after landing
    i16 time;          // 28 frames before the chain moves on
    i16 timeCorrect;   // 30 CPU level correction of the time
    i16 joinChance;    // 32 forced-join chance per mille
    u8 unused34[2];    // 34
};

// An attack group (184 bytes): five entries run in order as a chain.
struct CPU_ATK_GROUP {
    u8 join;                   // 0 1: a running chain of another group may continue into this one
    u8 unused1[3];             // 1
    CPU_ATK atk[CPU_ATK_MAX];  // 4 entry k at 4 + 36 k
};

// The reaction to the opponent's technique group t (its techniques 3t..3t+2) (28 bytes).
struct CPU_COUNTER {
    i8 type;           // 0  -1 nothing, 0 technique, 1 movement
    u8 unused1;        // 1
    i16 action;        // 2  technique number (type 0) or basic action (type 1)
    i8 level;          // 4
    u8 unused5;        // 5
    i16 chance;        // 6
    i16 chanceStep;    // 8
    i16 delay;         // 10 frames
    i16 delaySpread;   // 12 per CPU level
    u8 unused14[2];    // 14
    i32 rangeMin;      // 16
    i32 rangeMax;      // 20
    u16 selfMask;      // 24
    i8 priority;       // 26
    u8 unused27;       // 27
};

struct CPU_DATA {
    i16 param[CPU_PARAM_MAX];              // 0
    CPU_MODE mode[CPU_MODE_MAX];           // 48 mode i at 48 + 40 i
    CPU_ATK_GROUP group[CPU_GROUP_MAX];    // 688 group g at 688 + 184 g
    CPU_COUNTER counter[CPU_COUNTER_MAX];  // 5104 entry t at 5104 + 28 t
};

// Each returns 0 and does nothing for a mech type outside 0..24.
// Takes a reference; the first one reads the file. 1 when read; 0 when the file is missing or cannot
// be read: the reference counts and the type gets a fresh record with the defaults. A file that is
// there but could not be read is never replaced: saves are refused until a later load reads it.
int CPU_LoadData(int type);
// Drops a reference; the last one frees the record. Nothing happens at 0 references.
int CPU_ReleaseData(int type);
// Writes the type's record; 0 (old file kept) when none is loaded or the write fails.
int CPU_SaveData(int type);
// Writes the type's record from its named fields (unused bytes 0); 0 as CPU_SaveData.
int CPU_ConvertData(int type);
// Fills the type's loaded record with the defaults; 0 when none is loaded.
int CPU_SetDefaultData(int type);

// The defaults over a record; bytes the defaults do not name are left as they are.
void CPU_FillDefault(CPU_DATA* data);
// Record bytes <-> fields; the bytes are CPU_DATA_SIZE long.
void CPU_ReadRecord(const u8* bytes, CPU_DATA* data);
void CPU_WriteRecord(const CPU_DATA* data, u8* bytes);

static_assert(sizeof(CPU_MODE) == 40 && sizeof(CPU_ATK) == 36 && sizeof(CPU_ATK_GROUP) == 184);
static_assert(sizeof(CPU_COUNTER) == 28 && sizeof(CPU_DATA) == CPU_DATA_SIZE);
static_assert(offsetof(CPU_DATA, mode) == 48 && offsetof(CPU_DATA, group) == 688);
static_assert(offsetof(CPU_DATA, counter) == 5104);
