// Weapon launchers: objects of kind 1 that fire the volleys of one firing entry while their owner holds
// the technique frame or shot step that started them.
#include <algorithm>
#include <cstdlib>

#include "battle/data/tama_data.h"
#include "battle/data/waza_data.h"
#include "battle/meka/hit.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "battle/object/obj_ref.h"
#include "battle/tama/tama.h"
#include "graphics/sprite/spr.h"
#include "platform/random.h"
#include "shell/math.h"
#include "shell/sound/sound.h"

i16 TamaLnchCnt = 0;
LIST_DATA* TamaCurLnch = nullptr;

namespace {

RECT SelBox{};  // the box of shot 0, which a plain position code keeps for the whole volley

// A mech's aim offset fields or a shot's stored target offset.
void AimOffset(const LIST_DATA* obj, i32* x, i32* y) {
    *x = *y = 0;
    if (obj->meka) {
        *x = obj->meka->aimX;
        *y = obj->meka->aimY;
    } else if (obj->tama) {
        *x = obj->tama->aimX;
        *y = obj->tama->aimY;
    }
}

i16 StartCount(int entry, int change) {
    const int n = entry - change;
    return i16(n < 0 ? 1 : std::min(n, 32767));
}

bool WeaponLoaded(const TAMA_FIRE* fire) {
    const TAMA_DATA* d = fire ? TAMA_GetData(fire->weapon) : nullptr;
    return d && d->inUse;
}

// Whether the owner still holds the launcher: a mech in its technique frame whose motion's hold mask
// has the frame's bit, a shot whose phase's hold mask has its step's bit.
bool OwnerHolds(LIST_DATA* l, LIST_DATA* owner) {
    if (owner->kind == OBJ_KIND_MEKA && owner->meka) {
        const MEKA_WORK* m = owner->meka;
        const WAZA_MOTION* motion = OBJ_GetMekaMotion(owner);
        return m->subAct != 0 && m->waza == l->lnch->waza && motion && m->frame < 16 &&
               (motion->fire.holdMask & (1u << m->frame));
    }
    if (owner->kind == OBJ_KIND_SHOT && owner->tama) {
        const TAMA_PHASE* ph = TAMA_GetPhase(owner);
        return ph && owner->tama->step < 16 && (ph->fire.holdMask & (1u << owner->tama->step));
    }
    return false;
}

}  // namespace

int TAMA_CreateLauncher(LIST_DATA* creator, const TAMA_FIRE* fire) {
    if (!creator || !fire) return -1;
    LIST_DATA* l = OBJ_Alloc(OBJ_KIND_LAUNCHER);
    if (!l) return -1;
    TAMA_LNCH_WORK* w = l->lnch;
    w->fire = fire;
    if (creator->meka) {
        w->waza = u16(creator->meka->waza);
        w->repeat = creator->meka->repeat;
    } else if (creator->tama) {
        w->waza = creator->tama->waza;
        w->repeat = creator->tama->repeat;
    }
    w->interval = u16(fire->interval + fire->intervalAdd);
    w->loops = StartCount(fire->loops, fire->loopsSub);
    w->count = StartCount(fire->shots, fire->shotsSub);
    w->value1 = fire->fireType == 4 ? 0 : fire->value1;
    w->value2 = fire->value2;
    w->value3 = fire->value3;
    std::fill(std::begin(w->shots), std::end(w->shots), i16(-1));

    l->team = creator->team;
    l->mekaNo = creator->mekaNo;
    l->owner = creator->index;
    l->target = creator->target;
    l->level = fire->fireType == 4 ? 5 : 4;
    creator->child = l->index;

    if (fire->targetMode == 2) {
        if (const LIST_DATA* t = OBJ_Get(creator->target)) {
            l->x = t->x;
            l->y = t->y;
            l->z = t->z;
        }
    } else if (fire->targetMode != 1 && fire->targetMode != 3) {  // 0, and modes the rules do not name
        i32 ax, ay;
        AimOffset(creator, &ax, &ay);
        l->x = creator->x + ax;
        l->y = creator->y + ay;
        l->z = creator->z;
    }
    TamaLnchCnt++;
    return l->index;
}

int TAMA_DeleteLauncher(LIST_DATA* obj) {
    if (!obj || !obj->use) return ObjWalkNext;
    TamaLnchCnt--;
    // The owner may be gone, or may wait on a newer launcher.
    if (LIST_DATA* owner = OBJ_Get(obj->owner); owner && owner->child == obj->index) owner->child = -999;
    if (TamaCurLnch == obj) TamaCurLnch = nullptr;
    return OBJ_Free(obj->index);
}

int TAMA_RenewLauncher() {
    LIST_DATA* l = CurObj;
    if (!l || !l->lnch) return 1;
    TamaCurLnch = l;
    int r = 1;
    LIST_DATA* owner = OBJ_Get(l->owner);
    if (!owner || !OBJ_Get(l->target) || !WeaponLoaded(l->lnch->fire)) {
        r = 0;
    } else {
        // A frozen mech keeps its launcher silent, but the hold test still ends it.
        if (owner->meka && owner->meka->freeze > 0) r = 2;
        if (!OwnerHolds(l, owner)) r = 0;
    }
    if (r == 1) r = TAMA_RenewFire();
    if (r == 0) TAMA_DeleteLauncher(l);
    TamaCurLnch = nullptr;
    return 1;
}

int TAMA_RenewFire() {
    LIST_DATA* l = TamaCurLnch;
    TAMA_LNCH_WORK* w = l ? l->lnch : nullptr;
    if (!w || !w->fire) return 0;
    const TAMA_FIRE* fire = w->fire;
    if (w->wait-- > 0) return 1;
    w->wait = i16(w->interval);
    if (fire->sound) SE_Play(fire->sound - 1, -1);

    LIST_DATA* owner = OBJ_Get(l->owner);
    if (!owner) return 0;
    const int count = w->count;  // a laser head's init may change it mid-volley
    if (fire->fireType != 4 || (count != 0 && TAMA_GetFreeShot(l) >= 0)) {
        for (int i = 0; i < count; i++) {
            RECT box;
            const int n = TAMA_GetSelector(i, fire->firePos, &box);
            if (n < 0) return 0;
            if (!TAMA_Fire(i, owner, box.left, box.top, box.right, box.bottom, n)) break;
        }
    }
    if (fire->fireType != 4) return --w->loops > 0 ? 1 : 0;
    w->loops = i16(std::clamp(w->loops + i16(w->value2 & 0xffff), 0, TAMA_CHAIN_MAX - 1));
    w->value3 = 0;
    return 1;
}

int TAMA_GetSelector(int i, int code, RECT* box) {
    const LIST_DATA* owner = TamaCurLnch ? OBJ_Get(TamaCurLnch->owner) : nullptr;
    int n = code;
    switch (code) {
        case 16: n = 5 + (plat::Rand() & 1); break;
        case 17: n = 5 + (i & 1); break;
        case 18: n = 5 + i; break;
        default:
            if (i > 0) {
                *box = SelBox;
                return code;
            }
            break;
    }
    if (!owner || !SPR_GetSpr(owner->spr)) return -1;
    // A box a page cannot hold (16 and above) reads as an undefined one.
    if (!SPR_GetHitRect(owner->spr, n, box)) *box = RECT{};
    if (code < 16 || code > 18) SelBox = *box;
    return n;
}

int TAMA_Fire(int i, LIST_DATA* owner, i32 left, i32 top, i32 right, i32 bottom, int n) {
    (void)right;
    LIST_DATA* l = TamaCurLnch;
    TAMA_LNCH_WORK* w = l ? l->lnch : nullptr;
    if (!w || !owner) return 0;
    const TAMA_FIRE* fire = w->fire;
    const i32 sx = owner->x + left, sy = owner->y + bottom, sz = owner->z + (bottom - top);

    i32 ox = owner->x + left, oy = owner->y, oz = owner->z;
    const LIST_DATA* target = OBJ_Get(l->target);
    if (fire->aimOrigin == 1) {
        if (const LIST_DATA* root = OBJ_GetRoot(owner)) ox = root->x, oy = root->y, oz = root->z;
    } else if (fire->aimOrigin == 2 && target) {
        ox = target->x, oy = target->y, oz = target->z;
    }

    i32 tx = l->x, ty = l->y, tz = l->z;
    if (fire->targetMode == 1) {
        if (const LIST_DATA* root = OBJ_GetRoot(owner)) {
            i32 ax, ay;
            AimOffset(root, &ax, &ay);
            tx = root->x + ax, ty = root->y + ay, tz = root->z;
        }
    } else if (fire->targetMode == 3 && target) {
        tx = target->x, ty = target->y, tz = target->z;
    }

    LIST_DATA* creator = owner;
    int slot = -1;
    i32 angle = 0;
    bool turn = true;
    switch (fire->fireType) {
        case 0: {
            const i32 span = 2 * w->value1;
            angle = w->value2 + w->value1 - (span >= 1 ? plat::Rand() % span : 0);
            break;
        }
        case 1: angle = i32((i64(w->value2) + i64(w->value1) * w->value3++) % 360); break;
        case 2:
            w->value3 += w->value1;
            if (std::abs(w->value3) > w->value2) w->value1 = -w->value1;
            angle = w->value3;
            break;
        case 3:
            if (i == 0) {
                w->value3 = -w->value1 * (w->count / 2) + (w->count % 2 == 0 ? w->value1 / 2 : 0);
                w->value3 += (w->value2 + 1 >= 1 ? plat::Rand() % (w->value2 + 1) : 0) - w->value2 / 2;
            }
            angle = w->value3;
            w->value3 += w->value1;
            break;
        case 4:
            slot = TAMA_GetFreeShot(l);
            if (slot < 0) return 0;
            if (slot > 0)
                if (LIST_DATA* prev = OBJ_Get(w->shots[slot - 1])) creator = prev;
            turn = false;
            break;
        default: turn = false; break;  // unknown types fire toward T unturned
    }
    if (turn) MATH_RotatePointFix(&tx, &ty, ox, oy, tx, ty, angle);

    const int shot = TAMA_CreateShot(fire->weapon, creator, sx, sy, sz, ox, oy, oz, tx, ty, tz, n);
    if (shot < 0) return 0;
    if (slot >= 0) {
        w->shots[slot] = i16(shot);
        ObjTbl[shot]->tama->state[TAMA_LSR_INDEX] = slot;
    }
    if (i == 0 && fire->effect) {
        const int k = HIT_CheckChance(fire->barrage);
        for (int e = 0; e < k; e++) EFT_CreateRandom(fire->effect - 1, owner, sx, sy, sz, 0);
    }
    w->fired++;
    return 1;
}

int TAMA_GetFreeShot(const LIST_DATA* lnch) {
    const TAMA_LNCH_WORK* w = lnch ? lnch->lnch : nullptr;
    if (!w) return -1;
    const int len = std::clamp<int>(w->loops, 0, TAMA_CHAIN_MAX);
    for (int k = 0; k < len; k++)
        if (w->shots[k] < 0) return k;
    return -1;
}

void TAMA_GetLauncherPos(const LIST_DATA* l, i32* x, i32* y, i32* z) {
    *x = l->x, *y = l->y, *z = l->z;
    const int mode = l->lnch && l->lnch->fire ? l->lnch->fire->targetMode : 0;
    if (mode == 1) {
        if (const LIST_DATA* root = OBJ_GetRoot(OBJ_Get(l->owner))) {
            i32 ax, ay;
            AimOffset(root, &ax, &ay);
            *x = root->x + ax, *y = root->y + ay, *z = root->z;
        }
    } else if (mode == 3) {
        if (const LIST_DATA* t = OBJ_Get(l->target)) *x = t->x, *y = t->y, *z = t->z;
    }
}
