// Technique records: a mech type's file "Dat\%s.waz" (i16 count, then count records of 4242 bytes),
// loaded once per type and shared by reference count through MekaTypeTbl (battle/data/meka_type.h).
//
// C++ offsets equal the file offsets (asserted at the end); files are still read and written field
// by field (WAZA_ReadRecord, WAZA_WriteRecord). Fields named "unused" are kept as they lie so that
// load -> save gives the same bytes.
#pragma once
#include <cstddef>

#include "battle/data/tama_data.h"
#include "platform/types.h"

constexpr int WAZA_NAME_MAX = 40;
constexpr int WAZA_STEP_MAX = 32;
constexpr int WAZA_LOOP_MAX = 4;
constexpr int WAZA_BRANCH_MAX = 8;
constexpr int WAZA_MOTION_MAX = 16;
constexpr int WAZA_FRAME_MAX = 10;
constexpr int WAZA_FILE_SIZE = 4242;   // one record in the file
constexpr int WAZA_MEM_SIZE = 4248;    // one record as the load and release messages count it

// One frame entry of a motion (16 bytes).
struct WAZA_FRAME {
    u8 anim;           // 0  animation number of the mech's sprite set
    u8 unused1;        // 1
    i16 boostAnim;     // 2  animation while the mech boosts, -1 none
    u8 turn;           // 4  frame turn in eighths of a turn
    u8 waitMode;       // 5  0 total time, 1 percent, 2 timer, 3 until landing, 4 until the launcher is gone
    i16 wait;          // 6  negative: the motion ends before this frame
    u16 hitField;      // 8  bit n: hit rectangle n takes part in hit checks
    u16 attrIndex;     // 10 sprite attribute index 0..17
    u16 blendLevel;    // 12 the sprite's first blend level (for the attribute at 10)
    u8 sound;          // 14 sound effect + 1 at the frame's start, 0 none
    i8 armourRate;     // 15 armour effect rate (endurance multiplier while hit)
};

// One motion (256 bytes). Bytes 192..217 are the hit parameter block read by the hit detection.
struct WAZA_MOTION {
    WAZA_FRAME frame[WAZA_FRAME_MAX];  // 0
    u8 byte160;                        // 160 stored, no known use
    u8 stepMarker;                     // 161 copied into the mech when the step is entered
    u8 cutIn;                          // 162 entering the step asks for a technique cut-in
    u8 facingMode;                     // 163 1 toward the aim point, 3 toward the target, else keep
    u8 velocityMode;                   // 164 0 speed 0, 1 toward the target, 2 toward the aim point
    u8 unused165;                      // 165
    i16 angleOffset;                   // 166 degrees added to the velocity direction
    u8 stepFlags;                      // 168 4 ground only, 16/32 set the mech's step flags 1/2, 2 parabolic
    u8 unused169;                      // 169
    i16 speed;                         // 170 technique speed at entry
    i16 speedAdd;                      // 172 change per frame
    i16 speedMin;                      // 174
    i16 speedMax;                      // 176
    i16 zSpeed;                        // 178 z speed at entry
    i16 zSpeedAdd;                     // 180
    i16 zSpeedMin;                     // 182
    i16 zSpeedMax;                     // 184
    u8 mekaHitLimit;                   // 186 255 no limit
    u8 shotHitLimit;                   // 187 255 no limit
    u8 hitCount;                       // 188 hit checks per frame are 64 minus it, at least 1
    u8 unused189;                      // 189
    i16 word190;                       // 190 stored, no known use
    // 192..217: the hit parameter block.
    u8 hitKnockDown;                   // 192 bit 0: knock-down flag of a mech blown away
    u8 hitTimedState;                  // 193 timed state given to the hit mech
    u8 hitByte194;                     // 194
    u8 unused195;                      // 195
    i16 hitPower;                      // 196
    i16 hitMinDamage;                  // 198
    i16 chainAdd;                      // 200 chain increment
    u8 hitStop;                        // 202 hit-stop frames
    u8 knockDir;                       // 203
    i16 knockSpeed;                    // 204
    i16 reactTime;                     // 206 reaction time of the hit state
    i16 downValue;                     // 208
    i16 blowZSpeed;                    // 210 z speed of a mech blown away
    u8 sparkEffect;                    // 212 effect type + 1, 0 none
    u8 sparkCount;                     // 213
    u8 sparkSpread;                    // 214
    u8 hitSound;                       // 215 sound effect + 1, 0 none
    u8 forceReact;                     // 216 non-zero puts the hit mech into the hit state
    u8 hitByte217;                     // 217
    TAMA_FIRE fire;                    // 218
    u8 debris;                         // 254 n > 0: debris of type n - 1 every frame
    u8 unused255;                      // 255
};

struct WAZA_LOOP {
    u8 from;           // step
    u8 to;             // step
    u8 count;
};

struct WAZA_BRANCH {
    u8 from;           // 0 step
    u8 to;             // 1 step
    u8 kind;           // 2 0 end, 1 branch once enough hits landed, 2 branch at the step's end when too few
    u8 unused3;        // 3
    i16 window;        // 4 a number of hits
};

// A technique (4242 bytes in the file).
struct WAZA_DATA {
    char name[WAZA_NAME_MAX];          // 0   Shift-JIS, NUL-terminated, kept verbatim
    u8 flag40;                         // 40  1 in a new record
    u8 costKind;                       // 41  0 scaled by stat 3, 1 by stat 6, 2 unscaled, else no cost
    u8 kind;                           // 42  0 normal, 1 secret, 2 evasion
    u8 unused43;                       // 43
    i16 cost;                          // 44  gauge cost; non-zero: a special technique
    u8 airFlag;                        // 46  0: the player cannot start it in the air
    u8 unused47;                       // 47
    i16 hitLimit;                      // 48  hit checks stop after this many hits
    u8 moveShift;                      // 50  own movement speed >> this while it runs
    u8 unused51;                       // 51
    i16 expBase;                       // 52  experience base
    u8 stepTbl[WAZA_STEP_MAX];         // 54  motion 0..15 of each step; anything else ends the technique
    WAZA_LOOP loop[WAZA_LOOP_MAX];     // 86
    WAZA_BRANCH branch[WAZA_BRANCH_MAX];  // 98
    WAZA_MOTION motion[WAZA_MOTION_MAX];  // 146 motion m at 146 + 256 m
};

// Each returns 0 and does nothing for a mech type outside 0..24.
// Takes a reference; the first one reads the file. 1 when loaded; 0 when the file is missing or cannot
// be read (count 0, the reference stays counted). A file that is there but could not be read is never
// replaced: saves are refused until a later load reads it.
int WAZA_LoadData(int type);
// Drops a reference; the last one frees the records (count 0). Nothing happens at 0 references.
int WAZA_ReleaseData(int type);
// Writes the type's file from memory; 0 (old file kept) when nothing is loaded or the write fails.
int WAZA_SaveData(int type);
// Saves, then appends a new record in memory (the others stay where they are). 0 when nothing is
// loaded (file untouched) or when the save failed (the record is appended all the same).
int WAZA_AddData(int type);
// Rewrites the file from the named fields (unused bytes 0); 0 when nothing is loaded or the write fails.
int WAZA_ConvertData(int type);
// The type's technique count (0 when not loaded).
int WAZA_GetCount(int type);
// Technique n of a loaded type, or null.
WAZA_DATA* WAZA_GetData(int type, int n);

// The values of a new record (name "（新規技）") over the whole record.
void WAZA_SetNewData(WAZA_DATA* data);
// Record bytes <-> fields; the bytes are WAZA_FILE_SIZE long.
void WAZA_ReadRecord(const u8* bytes, WAZA_DATA* data);
void WAZA_WriteRecord(const WAZA_DATA* data, u8* bytes);

static_assert(sizeof(WAZA_FRAME) == 16 && sizeof(WAZA_LOOP) == 3 && sizeof(WAZA_BRANCH) == 6);
static_assert(sizeof(WAZA_MOTION) == 256 && offsetof(WAZA_MOTION, fire) == 218);
static_assert(offsetof(WAZA_MOTION, hitKnockDown) == 192 && offsetof(WAZA_MOTION, debris) == 254);
static_assert(sizeof(WAZA_DATA) == WAZA_FILE_SIZE && offsetof(WAZA_DATA, motion) == 146);
