#include "battle/meka/hit.h"

#include <algorithm>
#include <climits>

#include "battle/battle.h"
#include "battle/data/tama_data.h"
#include "battle/data/waza_data.h"
#include "battle/effect/eft.h"
#include "battle/map/cam.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "battle/object/obj_ref.h"
#include "battle/panel/pnl.h"
#include "battle/tama/tama.h"
#include "graphics/sprite/spr.h"
#include "platform/random.h"
#include "screens/btl/btl.h"
#include "screens/save/save.h"
#include "script/bsc/bsc.h"
#include "shell/math.h"
#include "shell/sound/sound.h"
#include "shell/sys.h"

u32 HitMask = 0;

namespace {

constexpr int kBattleStart = 4;  // battle sub-states
constexpr int kBattleHitStop = 6;
constexpr u32 kScriptScene = 5;
constexpr int kActHit = 6;
constexpr int kActBlown = 7;
constexpr int kActDown = 8;
constexpr int kEffectTypes = 25;

// Hit rectangles of the six rectangle slots of a technique frame.
constexpr int kSlotRect[6] = {2, 11, 4, 12, 1, 10};

u8 Lo(i16 v) { return u8(u16(v) & 0xFF); }
u8 Hi(i16 v) { return u8(u16(v) >> 8); }

MEKA_WORK* MekaOf(LIST_DATA* obj) { return obj && obj->use && obj->kind == OBJ_KIND_MEKA ? obj->meka : nullptr; }

const TAMA_PHASE* PhaseOf(LIST_DATA* obj) {
    if (!obj || !obj->use || obj->kind != OBJ_KIND_SHOT || !obj->tama) return nullptr;
    const TAMA_WORK* t = obj->tama;
    return t->weapon && t->phase < TAMA_PHASE_MAX ? &t->weapon->phase[t->phase] : nullptr;
}

i16 SatI16(i64 v) { return i16(std::clamp<i64>(v, SHRT_MIN, SHRT_MAX)); }
i32 SatI32(i64 v) { return i32(std::clamp<i64>(v, INT_MIN, INT_MAX)); }

// A hit-check delay from a hit count byte: count - 63, at least 0 (kept within the i8 field).
i8 DelayOf(int countByte) { return i8(std::clamp(countByte - 63, 0, 127)); }

// Edges included.
bool Overlaps(const RECT& a, const RECT& b) {
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

bool SpansMeet(i32 lo1, i32 hi1, i32 lo2, i32 hi2) { return lo1 <= hi2 && lo2 <= hi1; }

RECT Offset(RECT r, i32 x, i32 y) { return RECT{r.left + x, r.top + y, r.right + x, r.bottom + y}; }

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// A mech attacker's technique frame against one candidate.
bool MekaAttackMeets(LIST_DATA* a, const WAZA_FRAME* frame, LIST_DATA* c) {
    const MEKA_WORK* cm = MekaOf(c);
    const bool down = cm && cm->act == kActDown;
    if (down && cm->actCnt[0] >= 10) return false;
    const RECT box = Offset(c->hitBox, c->x, c->y);
    for (int slot = down ? 4 : 0; slot < 6; slot++) {
        const int n = kSlotRect[slot];
        RECT r;
        if (!(frame->hitField & (1u << n)) || !SPR_GetHitRect(a->spr, n, &r) || Empty(r)) continue;
        i32 centre, reach;
        if (slot < 2) {
            centre = a->z + a->boxHeight / 2, reach = 8;
        } else if (slot < 4) {
            centre = a->z + a->boxHeight, reach = 12;
        } else {
            centre = a->z, reach = 8;
        }
        if (!SpansMeet(c->z, c->z + c->boxHeight, centre - reach, centre + reach)) continue;
        if (Overlaps(box, Offset(r, a->x, a->y))) return true;
    }
    return false;
}

bool ShotAttackMeets(LIST_DATA* a, LIST_DATA* c) {
    const MEKA_WORK* cm = MekaOf(c);
    i32 top = c->boxTop;
    if (cm && cm->act == kActDown) {
        if (cm->actCnt[0] >= 10) return false;
        top = 16;
    }
    if (!SpansMeet(a->z, a->z + a->boxTop, c->z, c->z + top)) return false;
    RECT r;
    if (!SPR_GetHitRect(a->spr, 2, &r)) return false;
    return Overlaps(Offset(c->hitBox, c->x, c->y), Offset(r, a->x, a->y));
}

// The knock-back vector of a hit by mode: 0 attacker to mech, 1 the attacker's velocity, 2 the
// attacker's owner root to the attacker.
void SetKnockVector(LIST_DATA* m, LIST_DATA* a, int mode) {
    MEKA_WORK* r = m->meka;
    if (mode == 1) {
        r->knockVx = a->vx16;
        r->knockVy = a->vy16;
        return;
    }
    LIST_DATA* from = a;
    LIST_DATA* to = m;
    if (mode == 2) {
        LIST_DATA* root = OBJ_GetRoot(OBJ_Get(a->owner));
        from = root ? root : a;
        to = a;
    }
    MATH_GetDirVec(from->x, from->y, to->x, to->y, &r->knockVx, &r->knockVy);
}

// The point a hit shows at: the mech's position set back by 8 steps of the attacker's velocity.
void SetBackPoint(LIST_DATA* m, LIST_DATA* a, i32* x, i32* y) {
    *x = m->x - i32((i64(a->vx16) * 8) >> 16);
    *y = m->y - i32((i64(a->vy16) * 8) >> 16);
}

}  // namespace

// ---- the hit block ----

HIT_PARAM HIT_GetParam(const WAZA_MOTION* mo) {
    HIT_PARAM p{};
    if (!mo) return p;
    p.knockDown = mo->hitKnockDown;
    p.timedState = mo->hitTimedState;
    p.byte2[0] = mo->hitByte194;
    p.byte2[1] = mo->unused195;
    p.power = mo->hitPower;
    p.minDamage = mo->hitMinDamage;
    p.byte8[0] = Lo(mo->chainAdd);
    p.byte8[1] = Hi(mo->chainAdd);
    p.hitStop = mo->hitStop;
    p.knockDir = mo->knockDir;
    p.knockSpeed = Lo(mo->knockSpeed);
    p.byte13 = Hi(mo->knockSpeed);
    p.reactTime = u16(mo->reactTime);
    p.downValue = Lo(mo->downValue);
    p.byte17 = Hi(mo->downValue);
    p.blowZSpeed = u16(mo->blowZSpeed);
    p.sparkEffect = mo->sparkEffect;
    p.sparkCount = mo->sparkCount;
    p.sparkSpread = mo->sparkSpread;
    p.byte23 = mo->hitSound;
    p.forceReact = mo->forceReact;
    p.byte25 = mo->hitByte217;
    return p;
}

HIT_PARAM HIT_GetParam(const TAMA_PHASE* ph) {
    HIT_PARAM p{};
    if (!ph) return p;
    p.knockDown = ph->hitFlags;
    p.timedState = ph->attribute;
    p.byte2[0] = ph->obstacle;
    p.byte2[1] = ph->reserved281;
    p.power = ph->power;
    p.minDamage = ph->powerMin;
    p.byte8[0] = Lo(ph->combo);
    p.byte8[1] = Hi(ph->combo);
    p.hitStop = ph->hitWait;
    p.knockDir = ph->knockDir;
    p.knockSpeed = Lo(ph->knockSpeed);
    p.byte13 = Hi(ph->knockSpeed);
    p.reactTime = u16(ph->knockCount);
    p.downValue = Lo(ph->knockAccum);
    p.byte17 = Hi(ph->knockAccum);
    p.blowZSpeed = u16(ph->knockRange);
    p.sparkEffect = ph->hitEffect;
    p.sparkCount = ph->hitEffectRange;
    p.sparkSpread = ph->hitEffectSpread;
    p.byte23 = ph->hitSound;
    p.forceReact = ph->knockType;
    p.byte25 = ph->cancelScale;
    return p;
}

i16 HIT_GetChainAdd(const HIT_PARAM& block) { return i16(u16(block.byte8[0] | block.byte8[1] << 8)); }
int HIT_GetSound(const HIT_PARAM& block) { return int(block.byte23) - 1; }
int HIT_GetEffectChance(const HIT_PARAM& block) { return block.byte25; }

// ---- detection ----

int HIT_Check(int apply, u32 mask) {
    LIST_DATA* a = CurObj;
    if (BTL_GetState(0) == kBattleStart || !a || !a->use) return 0;

    const WAZA_FRAME* frame = nullptr;
    bool mekaAllowed = false, shotAllowed = false;
    if (MEKA_WORK* am = MekaOf(a)) {
        const WAZA_MOTION* motion = OBJ_GetMekaMotion(a);
        frame = OBJ_GetMekaFrame(a);
        if (!motion || !frame) return 0;
        mekaAllowed = motion->mekaHitLimit == 255 || am->mekaHits >= 1;
        shotAllowed = motion->shotHitLimit == 255 || am->shotHits >= 1;
    } else if (const TAMA_PHASE* phase = PhaseOf(a)) {
        mekaAllowed = phase->charHits == 255 || a->tama->charaHits >= 1;
        shotAllowed = phase->tamaHits == 255 || a->tama->weaponHits >= 1;
    } else {
        return 0;
    }

    int result = 0;
    for (LIST_DATA* c = OBJ_Get(ObjActHead); c; c = OBJ_Get(c->next)) {
        if (c == a || c->team == a->team) continue;
        const bool isMeka = c->kind == OBJ_KIND_MEKA;
        if (!isMeka && c->kind != OBJ_KIND_SHOT) continue;
        if (isMeka) {
            const MEKA_WORK* cm = MekaOf(c);
            if (!cm || !mekaAllowed) continue;
            if (c->mekaNo >= 0 && c->mekaNo < 32 && (mask & (1u << c->mekaNo))) continue;
            if (cm->act == 0 && cm->actStep == 99) continue;
        } else if (!shotAllowed || !c->tama) {
            continue;
        }
        const bool hit = frame ? MekaAttackMeets(a, frame, c) : ShotAttackMeets(a, c);
        if (!hit) continue;
        if (!apply) {
            result |= isMeka ? 1 : 2;
            if (result == 3) return result;
            continue;
        }
        if (isMeka) {
            HIT_Damage(c, a);
            result |= 1;
            if (c->mekaNo >= 0 && c->mekaNo < MEKA_SLOT_MAX) HitMask |= 1u << c->mekaNo;
        } else {
            HIT_HitEffect(c, a);
            result |= 2;
        }
        if (!a->use) break;  // the attacker cannot be freed here, but never walk on from a dead one
    }

    // Detection-only steps use up hits too: the shot's phase triggers count them.
    if (MEKA_WORK* am = MekaOf(a)) {
        if (result & 1) am->mekaHits--;
        if (result & 2) am->shotHits--;
    } else if (a->tama) {
        if (result & 1) a->tama->charaHits--;
        if (result & 2) a->tama->weaponHits--;
    }
    return result;
}

// ---- damage ----

int HIT_Damage(LIST_DATA* m, LIST_DATA* a) {
    MEKA_WORK* r = MekaOf(m);
    if (!r || !a) return 1;

    // 1. The attacker's terms; an attacker that names no technique or weapon adds none.
    HIT_PARAM block{};
    i64 rate = 0, reduce = 0;
    int divisor = 1;
    int sound = -1;
    int expWaza = -1;
    if (MEKA_WORK* am = MekaOf(a)) {
        if (const WAZA_MOTION* motion = OBJ_GetMekaMotion(a)) {
            block = HIT_GetParam(motion);
            rate = i64(am->stat1) * 50 / 20 + 50;
            reduce = i64(am->chain) * rate / 100;
            reduce += reduce * r->gauge / 130;
            divisor = am->repeat + 1;
            sound = HIT_GetSound(block);
            if (am->ctrl == MEKA_CTRL_PLAYER) expWaza = am->waza;
            am->chain = SatI32(i64(am->chain) + motion->chainAdd);
            am->stepMark = 1;
            am->wazaHitCnt = SatI16(i64(am->wazaHitCnt) + 1);
            am->hitDelay = DelayOf(motion->hitCount);
        }
    } else if (const TAMA_PHASE* phase = PhaseOf(a)) {
        TAMA_WORK* t = a->tama;
        block = HIT_GetParam(phase);
        LIST_DATA* owner = MEKA_GetSlot(a->mekaNo);
        if (MEKA_WORK* sm = MekaOf(owner)) {
            rate = i64(t->rangeType ? sm->stat4 : sm->stat1) * 50 / 20 + 50;
            reduce = i64(std::max(sm->chain, t->combo)) * rate / 100;
            reduce += reduce * r->gauge / 130;
            if (sm->ctrl == MEKA_CTRL_PLAYER) expWaza = t->waza;
            sm->chain = SatI32(i64(sm->chain) + phase->combo);
        } else {
            reduce = t->combo;
            rate = 50;
        }
        divisor = t->repeat + 1;
        sound = HIT_GetSound(block);
        t->hitPause = DelayOf(phase->hitRange);
    }
    // The hit reaction reads the block for many frames: the mech keeps its own copy.
    r->lastHit = block;

    // 2. Damage.
    const i64 p = i64(block.power) * rate / 100;
    i64 base = p - reduce;
    if (base <= block.minDamage) base = block.minDamage;
    i64 damage64 = (base + base * r->gauge / 130) / divisor - r->stat7;
    i32 damage = SatI32(std::max<i64>(damage64, 1));

    // 3. Endurance, in 32 bits so that a crushing hit cannot wrap into an absorbed one.
    const WAZA_FRAME* frame = r->subAct != 0 ? OBJ_GetMekaFrame(m) : nullptr;
    if (!frame) {
        r->endure = -1;
    } else if (frame->armourRate == 127) {
        r->endure = -1;
    } else if (frame->armourRate > 0) {
        r->endure = SatI16(i64(r->endure) - i64(damage) * frame->armourRate);
    } else if (frame->armourRate < 0) {
        r->endure = -2;
    }

    i32 backX, backY;
    SetBackPoint(m, a, &backX, &backY);
    const i32 midZ = i32((i64(a->z) + m->z) / 2);
    int hitStop = block.hitStop;
    if (r->endure > 0) {
        // 4. Absorbed.
        r->freeze = r->freeze < 1 ? i16(plat::Rand() % 2 + 1) : 0;
        if (SPR_DATA* spr = SPR_GetSpr(m->spr)) spr->running = 0;
        const i32 dy = 56 - plat::Rand() % 33;
        const i32 dx = 16 - plat::Rand() % 33;
        EFT_Create(HIT_EFT_ABSORB, nullptr, backX + dx, backY + dy, midZ + 80);
        damage /= 8;
    } else {
        // 5. A reaction.
        const int down = m->flagB + block.downValue;
        if (down >= 100 || m->z >= 1) {
            if (!m->flagA) m->flagA = block.knockDown & 1;
            m->flagB = 100;
            m->zSpeed = i16(block.blowZSpeed);
            MEKA_SetAct(m, kActBlown);
            MEKA_SetSubAct(m, 0);
            r->moveSpeed = r->wazaSpeed = 0;
            MEKA_ClearWaza(m);
        } else {
            m->flagB = u8(down);
            if (block.forceReact || r->act == kActHit || r->endure == -2) {
                MEKA_SetAct(m, kActHit);
                MEKA_SetSubAct(m, 0);
                r->moveSpeed = r->wazaSpeed = 0;
                MEKA_ClearWaza(m);
            }
            m->zSpeed = 0;
        }
        r->slideMask = 0;
        r->knockSpeed = block.knockSpeed;
        r->speedFloor = block.knockSpeed;
        SetKnockVector(m, a, block.knockDir);
        const int spark = int(block.sparkEffect) - 1;
        if (spark >= 0 && spark < kEffectTypes) {
            for (int n = HIT_CheckChance(block.sparkCount); n > 0; n--)
                EFT_CreateRandom(spark, a, backX, backY + 40, midZ + 80, block.sparkSpread);
        }
        const int pieces = damage <= 100 ? (plat::Rand() % 100 < damage ? 1 : 0) : damage / 100;
        for (int i = 0; i < pieces; i++) {
            const i32 dy = 32 - plat::Rand() % 65;
            const i32 dx = 32 - plat::Rand() % 65;
            EFT_Create(HIT_EFT_DEBRIS, nullptr, m->x + dx, m->y + dy, m->z);
        }
    }

    // 6. Timed state. A repeated state lengthens its frames instead of restarting them.
    if (r->shakePhase != 2) r->shakePhase = 1;
    const i8 before = r->timedState;
    r->timedState = r->endure < 1 ? i8(block.timedState) : 4;
    if (block.timedState != 0) {
        if (r->timedState != before) {
            r->timedFrames = 10;
            if (r->timedState == 1) EFT_Create(HIT_EFT_TIMED, m, m->x, m->y, m->z);
        } else {
            r->timedFrames = u8(std::min(255, r->timedFrames + 3));
        }
    }

    const bool script = SYS_GetSeq(0) == kScriptScene;
    if (script) {
        // 7. Scripted fights lose no life; the script hears of the reaction.
        if (r->act == kActHit || r->act == kActBlown) mBSC_Chr_Interrupt(m->mekaNo, 99);
    } else {
        // 8. Life.
        HIT_AddHitCount(m, a, damage);
        const int life = HIT_SubLife(m, a, damage);
        if (life == 1) {
            HIT_KnockBack(m, a);
            hitStop = std::max(block.hitStop * 3, 10);
            sound = HIT_SE_FATAL;
        } else if (life == 2) {
            hitStop = std::max(block.hitStop * 2, 1);
            sound = HIT_SE_FATAL;
        }
        if (expWaza >= 0 && expWaza / 3 < GAME_EXP_MAX) {
            WAZA_EXP& e = GameData.exp[expWaza / 3];
            e.damage = SatI16(i64(e.damage) + damage / 2);
        }
    }

    // 9.
    if (sound >= 0) SE_Play(sound, 0);

    // 10. Quake and hit-stop; CPU mechs hitting each other shake nothing.
    const i32 amp = std::max(damage / 4, 1);
    if (script) {
        SCR_SetQuake(hitStop, hitStop, amp);
        return 1;
    }
    const MEKA_WORK* am = MekaOf(MEKA_GetSlot(a->mekaNo));
    if (r->ctrl == MEKA_CTRL_CPU && (!am || am->ctrl != MEKA_CTRL_PLAYER)) return 1;
    SCR_SetQuake(hitStop, hitStop, amp);
    if (hitStop != 0) BTL_SetState(kBattleHitStop);
    return 1;
}

int HIT_SubLife(LIST_DATA* m, LIST_DATA* a, i32 damage) {
    (void)a;
    MEKA_WORK* r = MekaOf(m);
    if (!r) return 0;
    const i32 u0 = r->life;
    const i32 b0 = r->lifeBar;
    const i32 lost = i32(std::clamp<i64>(i64(u0) - damage, INT_MIN / 2, INT_MAX / 2));
    i32 units = lost;
    i32 bars = b0;
    // A hit larger than one bar carries through as many bars as it takes.
    while (units < 1 && bars >= 0) {
        bars--;
        units = bars >= 0 ? units + MEKA_LIFE_UNITS : 0;
    }
    if (units < 1) units = 0;
    r->life = i16(std::min<i32>(units, SHRT_MAX));
    r->lifeBar = i16(bars);
    const int oldPx = u0 / 16, newPx = lost / 16;
    if ((oldPx != newPx || bars != b0) && b0 >= 0) {
        PNL_SetDamageGauge(m, oldPx, newPx, lost, b0);
        PNL_CreateChip(m, oldPx, newPx);
        PNL_SetDamageWait(m->mekaNo, 20);
    }
    if (bars >= 0) return 0;
    return u0 < 1 ? 2 : 1;
}

void HIT_KnockBack(LIST_DATA* m, LIST_DATA* a) {
    MEKA_WORK* r = MekaOf(m);
    if (!r || !a) return;
    const HIT_PARAM& block = r->lastHit;
    m->flagB = u8(std::min(255, m->flagB + block.downValue));
    if (!m->flagA) m->flagA = 1;
    m->flagB = 100;
    m->zSpeed = i16(block.blowZSpeed);
    MEKA_SetAct(m, kActBlown);
    MEKA_SetSubAct(m, 0);
    r->moveSpeed = r->wazaSpeed = 0;
    MEKA_ClearWaza(m);
    r->slideMask = 0;
    r->knockSpeed = block.knockSpeed;
    SetKnockVector(m, a, block.knockDir);
    HitMarkSlot = m->mekaNo;
}

void HIT_AddHitCount(LIST_DATA* m, LIST_DATA* a, i32 damage) {
    (void)m;
    if (!a) return;
    MEKA_WORK* am = MekaOf(MEKA_GetSlot(a->mekaNo));
    if (!am || am->ctrl != MEKA_CTRL_PLAYER) return;
    am->hitCnt = SatI16(i64(am->hitCnt) + 1);
    i32* c = am->hitDamage;
    if (am->hitCnt >= 2) {
        c[2] = SatI32(i64(c[2]) + damage);
        c[4] = SatI32(i64(c[4]) + damage);
        c[3] = std::max(c[3], c[2]);
    }
    am->hitCntMax = std::max(am->hitCntMax, am->hitCnt);
    c[0] = SatI32(i64(c[0]) + damage);
    c[1] = std::max(c[1], c[0]);
}

int HIT_HitEffect(LIST_DATA* s, LIST_DATA* a) {
    if (!s || !a) return 1;
    int chance = 0;
    if (MEKA_WORK* am = MekaOf(a)) {
        const WAZA_MOTION* motion = OBJ_GetMekaMotion(a);
        am->wazaHitCnt = SatI16(i64(am->wazaHitCnt) + 1);
        if (motion) {
            am->hitDelay = DelayOf(motion->hitCount);
            chance = HIT_GetEffectChance(HIT_GetParam(motion));
        }
    } else if (const TAMA_PHASE* phase = PhaseOf(a)) {
        a->tama->hitPause = DelayOf(phase->hitRange);
        chance = HIT_GetEffectChance(HIT_GetParam(phase));
    }
    if (s->kind == OBJ_KIND_SHOT && s->tama) s->tama->struck = 1;
    if (plat::Rand() % (chance + 1) == 0) {
        EFT_Create(HIT_EFT_ABSORB, nullptr, i32((i64(a->x) + s->x) / 2), i32((i64(a->y) + s->y) / 2),
                   i32((i64(a->z) + s->z) / 2));
        SE_Play(HIT_SE_WEAPON, 0);
    }
    return 1;
}

int HIT_CheckChance(int v) {
    if (v < 64) return 64 - v;
    if (v < 96) return plat::Rand() % (97 - v) == 0 ? 0 : 1;
    return plat::Rand() % (v - 93) == 0 ? 1 : 0;
}

void EFT_CreateRandom(int type, LIST_DATA* owner, i32 x, i32 y, i32 z, int spread) {
    if (type < 0 || type >= kEffectTypes) return;
    const int s = std::max(spread, 0);
    const i32 rx = x + s - plat::Rand() % (2 * s + 1);
    const i32 ry = y + s - plat::Rand() % (2 * s + 1);
    EFT_Create(type, type == 10 ? nullptr : owner, rx, ry, z);
}

void HIT_ClearFlag() { HitMask = 0; }

u32 HIT_GetFlag() { return HitMask; }
