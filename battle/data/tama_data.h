// Weapon records: the file "Dat\Tama.dat" (i16 count, then count records of 1422 bytes), the table of
// 156 records indexed by weapon number, and the list of the records in use.
//
// Every record type below has C++ offsets equal to its file offsets (asserted at the end), so the
// offset comments are both. Files are still read and written field by field (TAMA_ReadRecord,
// TAMA_WriteRecord), never as a block. Fields named "reserved" carry no meaning but are kept as they
// lie so that load -> save gives the same bytes.
#pragma once
#include <cstddef>

#include "platform/types.h"

constexpr int TAMA_MAX = 156;           // weapon numbers 0..155
constexpr int TAMA_PHASE_MAX = 4;
constexpr int TAMA_STEP_MAX = 4;
constexpr int TAMA_NAME_MAX = 40;
constexpr int TAMA_FILE_SIZE = 1422;    // one record in the file
constexpr int TAMA_MEM_SIZE = 1428;     // one record in memory, as the load message counts it
constexpr int TAMA_NO_WEAPON = -999;

// One animation step of a shot phase (16 bytes).
struct TAMA_STEP {
    u8 anim;           // 0  animation sequence of the effect sprite set
    u8 reserved1;      // 1
    i16 reserved2;     // 2  -1 in a new record
    u8 facing;         // 4  0 facing 0; else the velocity in 24 directions
    u8 timing;         // 5  0 fit, 1 stretch by percent, 2 loop for the duration, 3 until landing, 4 all fired
    i16 duration;      // 6  frames (percent in timing 1); 255 loops; negative: the step does not exist
    u16 hitFlag;       // 8  non-zero: overlaps deal damage
    u16 blend;         // 10 blend selector 0..14 (TamaBlendAttrTbl)
    u16 blendLevel;    // 12
    u8 sound;          // 14 sound effect + 1, 0 none
    u8 reserved15;     // 15
};

// The sprite scale of a step, 256 = 1.0 (10 bytes).
struct TAMA_SCALE {
    u8 mode;           // 0  0 the value, 2 random 1..value, 3 random value/2..value; else keep
    u8 reserved1;      // 1
    i16 value;         // 2
    i16 add;           // 4  change per frame
    i16 min;           // 6
    i16 max;           // 8
};

// A firing entry (36 bytes): ends every shot phase (+308) and every technique motion (+218).
struct TAMA_FIRE {
    i16 weapon;        // 0  weapon number; negative fires nothing (TAMA_NO_WEAPON)
    u16 aimMask;       // 2  bit k: store the aim offset at step / motion frame k
    u16 startMask;     // 4  "fire mask": bit k creates a launcher at step / frame k
    u16 holdMask;      // 6  "continuous-fire mask": the launcher fires only while the bit is set
    u8 firePos;        // 8  owner sprite box; 16..18 special choices
    u8 fireType;       // 9  0 set direction, 1 circling, 2 radial, 3 wave, 4 laser only
    u8 rangeType;      // 10 0 strike, 1 shot
    u8 aimOrigin;      // 11 0 weapon, 1 owner body, 2 target
    u8 targetMode;     // 12 0..3
    u8 reserved13;     // 13
    u16 interval;      // 14 frames between volleys
    u16 shots;         // 16 shots at once
    u16 loops;         // 18 volleys
    i16 intervalAdd;   // 20 added to the interval when a launcher starts
    i16 shotsSub;      // 22 taken from the shots when a launcher starts
    i16 loopsSub;      // 24 taken from the loops when a launcher starts
    i16 value1;        // 26
    i16 value2;        // 28
    i16 value3;        // 30
    u8 effect;         // 32 effect type + 1 at the firing position, 0 none
    u8 barrage;        // 33 chance value of that effect
    u8 sound;          // 34 sound effect + 1 at each volley, 0 none
    u8 reserved35;     // 35
};

// One shot phase (344 bytes). Bytes 278..303 are the hit parameter block read by the hit detection.
struct TAMA_PHASE {
    TAMA_STEP step[TAMA_STEP_MAX];     // 0
    TAMA_SCALE scale[TAMA_STEP_MAX];   // 64
    u8 shadow[TAMA_STEP_MAX];          // 104 per step: non-zero draws the shot's shadow
    i8 nextOnCalcEnd;                  // 108 next phase at the end of the calculation (-1 none)
    i8 nextOnAnimEnd;                  // 109 ... at the end of the animation
    i8 nextOnLand;                     // 110 ... on landing
    u8 reserved111;                    // 111
    i16 charHitTrigger;                // 112 character hits used up that start the next phase; 999 all; <0 off
    i8 nextOnCharHit;                  // 114
    u8 reserved115;                    // 115
    i16 tamaHitTrigger;                // 116 the same for weapon hits
    i8 nextOnTamaHit;                  // 118
    i8 nextOnObstacle;                 // 119
    u8 reserved120;                    // 120
    u8 kind;                           // 121 0 missile, 1 force field, 2 laser
    u8 flags;                          // 122 TAMA_FLAG_*
    u8 moveType;                       // 123 index into the kind's behaviour tables
    u8 laserType;                      // 124 index into the laser member tables
    u8 reserved125[3];                 // 125
    i32 p[16];                         // 128 movement parameters
    i32 q[16];                         // 192 laser parameters
    i16 speed;                         // 256 pixels per frame (upper bound of a random speed)
    i16 speedAdd;                      // 258
    i16 speedMin;                      // 260
    i16 speedMax;                      // 262
    i16 height;                        // 264 added at creation and at each phase start
    i16 heightAdd;                     // 266
    i16 heightMin;                     // 268
    i16 heightMax;                     // 270
    u8 charHits;                       // 272 character hits available in the phase
    u8 tamaHits;                       // 273 weapon hits available in the phase
    u8 hitRange;                       // 274 63 neutral
    u8 reserved275;                    // 275
    i16 thruster;                      // 276 thruster correction
    u8 hitFlags;                       // 278 1 knocks down, 2 height changes in a hit frame
    u8 attribute;                      // 279 0 none, 1 fire, 2 ice, 3 thunder
    u8 obstacle;                       // 280 0 nothing, 1 back, 2 end, 3 reflect
    u8 reserved281;                    // 281
    i16 power;                         // 282
    i16 powerMin;                      // 284
    i16 combo;                         // 286 combo correction
    u8 hitWait;                        // 288
    u8 knockDir;                       // 289
    i16 knockSpeed;                    // 290
    i16 knockCount;                    // 292
    i16 knockAccum;                    // 294 0..100
    i16 knockRange;                    // 296
    u8 hitEffect;                      // 298
    u8 hitEffectRange;                 // 299 barrage range
    u8 hitEffectSpread;                // 300 variable range
    u8 hitSound;                       // 301 sound + 1, 0 none
    u8 knockType;                      // 302 0 blown away, 1 pushed back
    u8 cancelScale;                    // 303
    u8 constEffect;                    // 304 effect type + 1, 0 none
    u8 constBox;                       // 305 sprite box of the constant effect
    u8 constChance;                    // 306
    u8 constSpread;                    // 307
    TAMA_FIRE fire;                    // 308
};

// Phase flag bits.
constexpr u8 TAMA_FLAG_PIERCE_CHAR = 1;
constexpr u8 TAMA_FLAG_PIERCE_TAMA = 2;
constexpr u8 TAMA_FLAG_PARABOLIC = 4;
constexpr u8 TAMA_FLAG_TRAIL = 8;
constexpr u8 TAMA_FLAG_FACE_MOVE = 16;
constexpr u8 TAMA_FLAG_SUNK = 32;
constexpr u8 TAMA_FLAG_AFTERIMAGE = 64;
constexpr u8 TAMA_FLAG_RANDOM_SPEED = 128;

// A weapon record: 1422 bytes in the file, then the list links that live in memory only.
struct TAMA_DATA {
    char name[TAMA_NAME_MAX];          // 0    Shift-JIS, NUL-terminated, kept verbatim
    u8 inUse;                          // 40   1 = taken (and linked)
    u8 reserved41[3];                  // 41
    TAMA_PHASE phase[TAMA_PHASE_MAX];  // 44   phase n at 44 + 344 n
    i16 index;                         // 1420 own index in TamaDataTbl (set from the slot on load)
    i16 prev;                          // 1422 memory only: previous in the list (-1 none)
    i16 next;                          // 1424 memory only: next in the list (-1 none)
    u8 reserved1426[2];                // 1426 memory only
};

// The sprite attribute word of each blend selector of a step.
extern const u32 TamaBlendAttrTbl[15];

// Entries 0..TamaDataCount-1 hold records (each its own block: records never move while loaded);
// the rest are null.
extern TAMA_DATA* TamaDataTbl[TAMA_MAX];
extern i16 TamaDataCount;
// The list of records in use, in file order then in order of creation.
extern i16 TamaListHead;
extern i16 TamaListTail;
extern i16 TamaListCount;

// Clears the table, then loads "Dat\Tama.dat" (a short file reads as zeros). 1 when loaded; 0 when
// missing, unreadable or out of memory. Records past TAMA_MAX are kept as bytes, outside the table.
// A file that is there but could not be read whole is never replaced: saves are refused until a
// later load reads it.
int TAMA_LoadData();
// Writes every record of the table, then the records kept past it; 0 (old file kept) on any failure.
int TAMA_SaveData();
// The lowest free record below the count, linked at the tail and marked in use; null when none.
TAMA_DATA* TAMA_GetFreeData();
// Unlinks record n and clears its in-use flag; returns its successor (-1 none), -1 when refused.
int TAMA_UnlinkData(int n);
// Frees every record; the table, the list and the count become empty.
void TAMA_ClearData();
// Appends a new record with the defaults at the next index; 1, or 0 when the table is full or memory is out.
int TAMA_NewData();
// Rewrites the file from the named fields only (reserved bytes and own indices 0), the records kept
// past the table too; 0 on failure.
int TAMA_ConvertData();
// The record of a weapon number, or null outside the table or for an empty entry.
TAMA_DATA* TAMA_GetData(int n);

// The values of a new record (name "新規弾"); links and index are left to the caller.
void TAMA_SetNewData(TAMA_DATA* data);
// The defaults of a firing entry in a new record.
void TAMA_SetNewFire(TAMA_FIRE* fire);
// Record bytes <-> fields. The bytes are TAMA_FILE_SIZE long; the links are not touched.
void TAMA_ReadRecord(const u8* bytes, TAMA_DATA* data);
void TAMA_WriteRecord(const TAMA_DATA* data, u8* bytes);

static_assert(sizeof(TAMA_STEP) == 16 && sizeof(TAMA_SCALE) == 10 && sizeof(TAMA_FIRE) == 36);
static_assert(sizeof(TAMA_PHASE) == 344 && offsetof(TAMA_PHASE, fire) == 308);
static_assert(offsetof(TAMA_PHASE, p) == 128 && offsetof(TAMA_PHASE, hitFlags) == 278);
static_assert(sizeof(TAMA_DATA) == TAMA_MEM_SIZE && offsetof(TAMA_DATA, index) == 1420);
