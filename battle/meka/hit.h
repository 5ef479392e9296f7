// Hit detection and damage: a mech's technique frame or a shot tested against the mechs and shots of
// other teams, and a mech hit resolved into damage, endurance, reaction, knock-back, sparks, debris,
// life, hit counts and the hit-stop.
#pragma once
#include "battle/hit/hit_param.h"
#include "platform/types.h"

struct LIST_DATA;
struct WAZA_MOTION;
struct TAMA_PHASE;

constexpr int HIT_SE_FATAL = 27;      // a hit that ends (or hits an ended) life
constexpr int HIT_SE_WEAPON = 29;     // a weapon struck
constexpr int HIT_EFT_ABSORB = 7;     // also the weapon-hit flash
constexpr int HIT_EFT_TIMED = 9;
constexpr int HIT_EFT_DEBRIS = 14;

// One bit per mech slot hit by the current attack.
extern u32 HitMask;

// The hit block of a technique motion (bytes 192..217) or of a shot phase (bytes 278..303): one layout
// for both. A null source reads as zeros.
HIT_PARAM HIT_GetParam(const WAZA_MOTION* motion);
HIT_PARAM HIT_GetParam(const TAMA_PHASE* phase);
// The little-endian words of the block that it keeps as plain bytes.
i16 HIT_GetChainAdd(const HIT_PARAM& block);  // +8: chain increment (combo correction)
int HIT_GetSound(const HIT_PARAM& block);     // +23 minus 1: -1 none
int HIT_GetEffectChance(const HIT_PARAM& block);  // +25

// Tests CurObj (a mech running a technique frame or a shot) against the other teams: bit 1 a mech was
// hit, bit 2 a shot. With apply 0 it only tests. mask: bit n skips the mech of slot n.
int HIT_Check(int apply, u32 mask);
int HIT_Damage(LIST_DATA* meka, LIST_DATA* attacker);
int HIT_HitEffect(LIST_DATA* shot, LIST_DATA* attacker);
void HIT_AddHitCount(LIST_DATA* meka, LIST_DATA* attacker, i32 damage);
// 0 alive, 1 the life ran out with this hit, 2 it was already out.
int HIT_SubLife(LIST_DATA* meka, LIST_DATA* attacker, i32 damage);
void HIT_KnockBack(LIST_DATA* meka, LIST_DATA* attacker);
int HIT_CheckChance(int code);
// An effect at a random point within spread of (x, y); type 10 gets no owner.
void EFT_CreateRandom(int type, LIST_DATA* owner, i32 x, i32 y, i32 z, int spread);
void HIT_ClearFlag();
u32 HIT_GetFlag();
