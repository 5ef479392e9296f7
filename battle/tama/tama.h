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

// Words of a laser member's behaviour state: the after-hit value, the three flags and the chain index.
// A missile keeps its stop range in the last word.
constexpr int TAMA_LSR_AFTER = 11;
constexpr int TAMA_LSR_REINIT = 12;    // the chain followed a phase change
constexpr int TAMA_LSR_STRAIGHT = 13;  // set by a straightening hit, cleared each check
constexpr int TAMA_LSR_PLACED = 14;    // set on every member when the chain is laid out
constexpr int TAMA_LSR_INDEX = 15;
constexpr int TAMA_MSL_STOP = 15;
constexpr int TAMA_LSR_DIRS = 40;  // laser facings: sectors of 9 degrees

extern i16 TamaShotCnt;  // live shots
extern i16 TamaLnchCnt;  // live launchers

struct LIST_DATA;
struct TAMA_PHASE;
struct RECT;

// ---- launchers ----

// A launcher firing the entry for its creator (a mech's technique frame or a shot's step); its object
// index, -1 when none could be made (the creator's launcher link unchanged).
int TAMA_CreateLauncher(LIST_DATA* creator, const TAMA_FIRE* fire);
// Clears the owner's launcher link when it names this launcher; OBJ_Free's next index.
int TAMA_DeleteLauncher(LIST_DATA* obj);
// The update of CurObj, a launcher: keeps, fires or deletes it. Always 1.
int TAMA_RenewLauncher();
// One frame of the current launcher's firing; 0 when it must end.
int TAMA_RenewFire();
// Fires shot i of a volley from the owner's box (its number n); 0 when no shot could be made.
int TAMA_Fire(int i, LIST_DATA* owner, i32 left, i32 top, i32 right, i32 bottom, int n);
// The box number shot i starts from, its rectangle in box; -1 when the owner has no live group sprite.
int TAMA_GetSelector(int i, int code, RECT* box);
// The first free chain slot below the chain length, -1 none.
int TAMA_GetFreeShot(const LIST_DATA* lnch);
// The point the launcher's target mode names.
void TAMA_GetLauncherPos(const LIST_DATA* lnch, i32* x, i32* y, i32* z);

// ---- shots ----

// A shot of the weapon made by the current launcher for the creator; its object index, -1 when the
// weapon is not loaded or no object or sprite is free.
int TAMA_CreateShot(int weapon, LIST_DATA* creator, i32 sx, i32 sy, i32 sz, i32 ox, i32 oy, i32 oz, i32 tx,
                    i32 ty, i32 tz, int box);
int TAMA_DeleteShot(LIST_DATA* obj);
int TAMA_GetShotCount();
// The update of CurObj, a shot. Always 1.
int TAMA_RenewShot();
// Moves the current shot to phase n (outside 0..3: its next phase at the end of the calculation);
// 0 when it has none to go to.
int TAMA_SetPhase(int n);
int TAMA_StartPhase(LIST_DATA* shot, int k);
// -1 when no event changed the phase, else the change's result.
int TAMA_NextPhase();
void TAMA_SetShotSpr(LIST_DATA* shot);
int TAMA_CheckShot(int check, int height, int hits);
int TAMA_CheckHit();
void TAMA_ClampSpeed();
void TAMA_MoveByVelocity(LIST_DATA* shot);
int TAMA_GetSubStep();
int TAMA_GetTurnDir(int a, int b, int size);
// Steers the velocity toward (px, py) by rate degrees and sets the facing by mode over sectors of
// width degrees; the angle difference before the turn.
int TAMA_TurnToPoint(LIST_DATA* o, i32 px, i32 py, int rate, int mode, int width);

// The shot being updated or made, null outside; the behaviours work on it.
extern LIST_DATA* TamaCurShot;
// The launcher being updated (null outside); shots made now take its technique and entry.
extern LIST_DATA* TamaCurLnch;

// The weapon phase a shot is in, null when it has none.
const TAMA_PHASE* TAMA_GetPhase(const LIST_DATA* shot);
// Sets a shot's facing on the object and its sprite.
void TAMA_SetDir(LIST_DATA* shot, int dir);

// ---- behaviours ----

using TAMA_INIT_FUNC = void (*)(LIST_DATA* shot, i32* state, const i32* param);
using TAMA_RENEW_FUNC = int (*)(LIST_DATA* shot, i32* state);

constexpr int TAMA_MSL_TYPES = 5;
extern const TAMA_INIT_FUNC TamaMslInitTbl[TAMA_MSL_TYPES];
extern const TAMA_RENEW_FUNC TamaMslRenewTbl[TAMA_MSL_TYPES];
void TAMA_MSL_Init(LIST_DATA* shot, int ref);
int TAMA_MSL_Check();

constexpr int TAMA_FLD_TYPES = 3;
extern const TAMA_INIT_FUNC TamaFldInitTbl[TAMA_FLD_TYPES];
extern const TAMA_RENEW_FUNC TamaFldRenewTbl[TAMA_FLD_TYPES];
// lnch: the launcher that made the shot, negative at a phase change.
void TAMA_FLD_Init(LIST_DATA* shot, int lnch);
int TAMA_FLD_Check();

constexpr int TAMA_LSR_TYPES = 3;
extern const TAMA_INIT_FUNC TamaLsrDirInitTbl[TAMA_LSR_TYPES];
extern const TAMA_RENEW_FUNC TamaLsrDirRenewTbl[TAMA_LSR_TYPES];
extern const TAMA_INIT_FUNC TamaLsrMemInitTbl[TAMA_LSR_TYPES];
extern const TAMA_RENEW_FUNC TamaLsrMemRenewTbl[TAMA_LSR_TYPES];
using TAMA_LSR_END_FUNC = void (*)(LIST_DATA* member, LIST_DATA* lnch);
extern const TAMA_LSR_END_FUNC TamaLsrMemEndTbl[TAMA_LSR_TYPES];
void TAMA_LSR_Init(LIST_DATA* shot, int lnch);
void TAMA_LSR_StartHead(LIST_DATA* lnch, const TAMA_PHASE* phase);
void TAMA_LSR_InitStep(LIST_DATA* shot, int lnch);
int TAMA_LSR_Check(int hits);
void TAMA_LSR_GetLinkPos(const LIST_DATA* owner, i32* x, i32* y);
// The launcher of a laser member: the in-use launcher it refers to whose chain slot holds the shot.
LIST_DATA* TAMA_LSR_GetLauncher(const LIST_DATA* shot);
