#include "battle/effect/eft.h"

#include "battle/map/map.h"
#include "battle/map/mapcol.h"
#include "battle/meka/meka.h"
#include "battle/data/tama_data.h"
#include "battle/object/obj.h"
#include "battle/tama/tama.h"
#include "graphics/sprite/spr.h"
#include "platform/random.h"
#include "screens/btl/btl.h"
#include "shell/common.h"
#include "shell/math.h"
#include "shell/sound/sound.h"
#include "shell/sys.h"

i16 EftCnt = 0;
i32 EftSprGrpNo = -1;
EFT_WORK* EftCur = nullptr;

namespace {

constexpr int kPriority = 128;
constexpr u32 kAttrAdd = 8;
constexpr u32 kAttrAlpha = 64;
constexpr u32 kAttrHalfAdd = 0x400;
constexpr u32 kAttrQuarterAdd = 0x800;
constexpr int kSceneSeq = 5;  // the script scene's main sequence
constexpr int kBattlePlay = 5;

int Rand() { return plat::Rand(); }

SPR_DATA* Spr(LIST_DATA* obj) { return obj ? SPR_GetSpr(obj->spr) : nullptr; }

void Seq(LIST_DATA* obj, int seq, int loop) { SPR_SetSeq(obj->spr, seq, loop, 1); }

void SetAttr(LIST_DATA* obj, u32 bits) {
    if (SPR_DATA* s = Spr(obj)) s->attr |= bits;
}

void SetFacing(LIST_DATA* obj, int facing) {
    if (SPR_DATA* s = Spr(obj)) s->pageOffset = u8(facing);
}

void SetScale(LIST_DATA* obj, int sx, int sy) { SPR_SetSprScale(obj->spr, sx, sy); }

void SyncFix(LIST_DATA* obj) {
    obj->x16 = FIX16(u32(obj->x) << 16);
    obj->y16 = FIX16(u32(obj->y) << 16);
}

// Top-left of hit rectangle n of an object's sprite, (0, 0) when the page has none.
POINT HitCorner(LIST_DATA* obj, int n) {
    RECT r{};
    if (!SPR_GetHitRect(obj->spr, n, &r)) return POINT{0, 0};
    return POINT{r.left, r.top};
}

// The battle plays (or the script scene runs): trails and after-images change only then.
bool Playing() { return SYS_GetSeq(0) == kSceneSeq || BTL_GetState(2) == kBattlePlay; }

int Wrap(int v, int n) { return ((v % n) + n) % n; }

// The owner a follower reads: in use and of the kind the type needs, else gone.
LIST_DATA* Owner(int kind) {
    LIST_DATA* o = CurOwnerObj;
    if (!o || !o->use || o->kind != kind) return nullptr;
    return o;
}

// ---- init handlers ----

void Init0(LIST_DATA* obj, LIST_DATA*) {
    Seq(obj, 47, 0);
    SetScale(obj, 512, 512);
    SetAttr(obj, kAttrAdd);
}

void Init1(LIST_DATA* obj, LIST_DATA*) { Seq(obj, 62 + Rand() % 3, 0); }

void InitSpawner(LIST_DATA* obj, LIST_DATA*) { Seq(obj, 57 + obj->eft->type - 2, 0); }

void Init6(LIST_DATA* obj, LIST_DATA*) { Seq(obj, 61, 0); }

void Init7(LIST_DATA* obj, LIST_DATA*) {
    Seq(obj, 65, 0);
    SetFacing(obj, Rand() % 24);
    const int scale = Rand() % 257 + 256;
    SetScale(obj, scale, scale);
    switch (Rand() % 3) {
        case 0: SetAttr(obj, kAttrQuarterAdd); break;
        case 1: SetAttr(obj, kAttrHalfAdd); break;
        default: break;
    }
}

// Half the time a small piece of debris flies off at -16..16 of the effect.
void MaybeSmallDebris(LIST_DATA* obj) {
    if (!(Rand() & 1)) return;
    const int dy = 16 - Rand() % 33;
    const int dx = 16 - Rand() % 33;
    EFT_Create(15, obj, obj->x + dx, obj->y + dy, obj->z);
}

void CopyVelocity(LIST_DATA* obj, LIST_DATA* owner) {
    if (!owner) return;
    obj->vx16 = owner->vx16;
    obj->vy16 = owner->vy16;
}

void Init8(LIST_DATA* obj, LIST_DATA* owner) {
    Seq(obj, 70, 0);
    CopyVelocity(obj, owner);
    MaybeSmallDebris(obj);
}

void Init9(LIST_DATA* obj, LIST_DATA*) { Seq(obj, 82, 1); }

void Init10(LIST_DATA* obj, LIST_DATA* owner) {
    Seq(obj, 87, 1);
    if (owner) {
        const SPR_DATA* os = Spr(owner);
        const int d = (Rand() & 1) ? 0 : 2 - Rand() % 5;
        SetFacing(obj, Wrap((os ? os->pageOffset : 0) + d, 24));
    } else {
        SetFacing(obj, Rand() % 24);
    }
}

void Init11(LIST_DATA* obj, LIST_DATA* owner) {
    Seq(obj, 92, 0);
    SetAttr(obj, kAttrHalfAdd);
    CopyVelocity(obj, owner);
    MaybeSmallDebris(obj);
}

void Init12(LIST_DATA* obj, LIST_DATA* owner) {
    Seq(obj, 97, 1);
    if (owner) obj->dir = i8(MATH_GetSector(9, obj->x, obj->y - obj->z, owner->x, owner->y - owner->z));
    SetFacing(obj, obj->dir);
    SetAttr(obj, kAttrAlpha);
    SPR_SetSprAttrCnt1(obj->spr, 16);
    obj->flagA = 16;
    obj->flagB = 0;
}

void Init13(LIST_DATA* obj, LIST_DATA*) { Seq(obj, 98, 0); }

// A velocity component of up to one pixel a step either way; the sign draw follows the size draw.
FIX16 RandVelocity() {
    FIX16 v = Rand() % 65535;
    if ((Rand() & 1) == 0) v = -v;
    return v;
}

void Init14(LIST_DATA* obj, LIST_DATA*) {
    obj->flagA = u8(Rand() % 5);
    Seq(obj, 99 + obj->flagA, 1);
    obj->zSpeed = i16(Rand() % 15 + 1);
    obj->flagB = 0;
    obj->subStep = i16(Rand() % 48 + 1);
    obj->vx16 = RandVelocity();
    obj->vy16 = RandVelocity();
    obj->shadow = 1;
    const int scale = Rand() % 65 + 128;
    SetScale(obj, scale, scale);
}

void Init15(LIST_DATA* obj, LIST_DATA* owner) {
    Seq(obj, 104 + Rand() % 3, 0);
    if (SPR_DATA* s = Spr(obj)) s->running = 0;
    obj->zSpeed = i16((Rand() & 7) + 1);
    obj->flagB = 0;
    obj->subStep = i16((Rand() & 15) + 1);
    if (owner) {
        obj->vx16 = -owner->vx16;
        obj->vy16 = -owner->vy16;
    }
    obj->shadow = 1;
    const int scale = Rand() % 129 + 192;
    SetScale(obj, scale, scale);
}

void Init16(LIST_DATA* obj, LIST_DATA*) {
    Seq(obj, 107 + obj->eft->type - 16, 0);
    EFT_Create(18, obj, obj->x, obj->y, obj->z);
}

void Init18(LIST_DATA* obj, LIST_DATA*) {
    Seq(obj, 109, 1);
    obj->dir = 6;
    SetFacing(obj, 6);
    obj->zSpeed = 0;
    obj->flagA = u8(Rand() % 10 + 1);
    obj->flagB = u8(Rand() % 15 + 3);
}

void Init19(LIST_DATA* obj, LIST_DATA* owner) {
    Seq(obj, 111, 1);
    if (const SPR_DATA* os = Spr(owner)) SetFacing(obj, os->pageOffset);
    SetAttr(obj, kAttrHalfAdd);
}

void Init20(LIST_DATA* obj, LIST_DATA*) {
    Seq(obj, 110, 1);
    SetAttr(obj, kAttrHalfAdd);
}

void Init21(LIST_DATA* obj, LIST_DATA*) { Seq(obj, 112, 1); }
void Init22(LIST_DATA* obj, LIST_DATA*) { Seq(obj, 115, 0); }
void Init23(LIST_DATA* obj, LIST_DATA*) { Seq(obj, 116, 0); }

void Init24(LIST_DATA* obj, LIST_DATA* owner) {
    if (const SPR_DATA* os = Spr(owner)) SetScale(obj, os->scaleX, os->scaleY);
    SetAttr(obj, kAttrAlpha);
    SPR_SetSprAttrCnt1(obj->spr, 30);
}

// ---- update handlers ----

int RenewMove() { return EFT_RenewMove(); }

int RenewNone() { return 0; }

int Renew1() {
    if (--CurObj->subStep < 0) return -1;
    return EFT_RenewMove();
}

int RenewSpawner() {
    LIST_DATA* obj = CurObj;
    if (obj->subStep == 0) {
        if (Rand() % 3 == 0) {
            POINT p{};
            MATH_RotatePoint(&p, obj->x + 32, obj->y, Rand() % 360, obj->x, obj->y);
            LIST_DATA* spark = OBJ_Get(EFT_Create(1, obj, p.x, p.y, obj->z));
            if (spark) {
                const int first = Rand() & 7;
                spark->subStep = i16(first != 0 ? (Rand() & 7) + 6 : Rand() % 10 + 10);
                i32 c = 0, s = 0;
                MATH_GetDirVec(obj->x, obj->y, p.x, p.y, &c, &s);
                spark->vx16 = c;
                spark->vy16 = s;
                const int base = EftCur->type == 5 ? 128 : (EftCur->type - 2) * 32;
                const int scale = Rand() % 65 + base + 64;
                SetScale(spark, scale, scale);
            }
        }
        obj->subStep = 1;
    }
    return EFT_RenewMove();
}

int Renew9() {
    LIST_DATA* obj = CurObj;
    LIST_DATA* o = Owner(OBJ_KIND_MEKA);
    if (!o || !o->meka) return -1;
    obj->x = o->x;
    obj->y = o->y + 16;
    obj->z = o->z + 32;
    SyncFix(obj);
    SPR_DATA* s = Spr(obj);
    if (!s) return -1;
    s->height = i16(obj->z);
    s->attr |= kAttrHalfAdd;
    if (s->last != 0) {
        const MEKA_WORK* m = o->meka;
        if (!(m->timedState == 1 && i8(m->timedFrames) >= 0)) Seq(obj, 83, 0);
    }
    return 0;
}

int Renew10() {
    LIST_DATA* obj = CurObj;
    if (obj->owner >= 0) {
        LIST_DATA* o = CurOwnerObj;
        if (!o || !o->use) return -1;
        const POINT c = HitCorner(o, 8);
        obj->x = o->x + c.x;
        obj->y = o->y + c.y;
    }
    const POINT c = HitCorner(obj, 8);
    EFT_Create(10, obj, obj->x + c.x, obj->y + c.y, obj->z);
    obj->subStep++;
    if (Rand() % 3 == 0) return -1;
    if (obj->subStep > 7) return -1;
    if (Rand() % 3 == 0) SE_Play(19, -1);
    return 0;
}

// The shot a trail or glow follows: in use, a shot, and still asking for trails.
LIST_DATA* TrailShot() {
    LIST_DATA* o = Owner(OBJ_KIND_SHOT);
    if (!o || !o->tama || !o->tama->trailMade) return nullptr;
    return o;
}

int Renew12() {
    LIST_DATA* obj = CurObj;
    LIST_DATA* shot = TrailShot();
    if (!shot) return -1;
    if (!Playing()) return 0;
    const POINT c = HitCorner(obj, 8);
    const i64 px = i64(obj->x) + c.x, py = i64(obj->y) + c.y;
    const i64 dx = px - shot->x, dy = (py - obj->z) - (i64(shot->y) - shot->z);
    if (dx * dx + dy * dy > 1296 && obj->flagB == 0) {
        LIST_DATA* next = OBJ_Get(EFT_Create(12, shot, i32(px), i32(py), obj->z));
        if (next) {
            SPR_SetSprAttrCnt1(next->spr, obj->flagA + 2 > 30 ? 30 : obj->flagA + 2);
            next->flagA = obj->flagA;
        }
        obj->flagB = 1;
    }
    SPR_DATA* s = Spr(obj);
    if (!s) return -1;
    s->level = i16(s->level - 2);
    if (s->level > 2) return 0;
    s->level = 0;
    return obj->flagB ? -1 : 0;
}

int RenewBounce() {
    LIST_DATA* obj = CurObj;
    const int t = obj->flagB;
    obj->z += obj->zSpeed + ((-(t * t)) >> 3);
    obj->flagB = u8(t + 1);
    EFT_RenewMove();
    const i32 w = MapData ? MapData->pixelW : 0, h = MapData ? MapData->pixelH : 0;
    if (obj->x < 0 || obj->y < 0 || obj->x >= w || obj->y >= h) return -1;
    if (obj->z < 1) {
        obj->z = 0;
        obj->subStep = i16(obj->subStep >> 1);
        obj->flagB = 0;
        if (EftCur->type == 14) {
            obj->zSpeed = i16(obj->zSpeed >> 1);
            SE_Play(obj->flagA == 3 ? 44 : 45, -1);
            if (obj->zSpeed < 2) return -1;
        } else {
            obj->zSpeed = i16(obj->zSpeed >> 2);
            if (obj->zSpeed <= 1 || Rand() % 3 == 0) {
                if (SPR_DATA* s = Spr(obj)) s->running = 1;
            }
        }
    }
    if (SPR_DATA* s = Spr(obj)) s->height = i16(obj->z);
    if (HIT_CheckMapAttr(obj, 1)) {
        obj->vx16 = -obj->vx16;
        obj->vy16 = -obj->vy16;
    }
    return 0;
}

int Renew18() {
    LIST_DATA* obj = CurObj;
    EFT_RenewMove();
    if (obj->subStep > 0) obj->subStep--;
    obj->z -= 8;
    if (obj->z > 0) {
        if (SPR_DATA* s = Spr(obj)) s->height = i16(obj->z);
        return 0;
    }
    obj->z = 1;
    if (SPR_DATA* s = Spr(obj)) s->height = 1;
    obj->dir = i8(Wrap(obj->dir + 1 - Rand() % 3, 24));
    SetFacing(obj, obj->dir);
    if (obj->zSpeed == 0) obj->subStep = obj->flagA;
    obj->zSpeed++;
    return obj->zSpeed > obj->flagB ? -1 : 0;
}

int Renew19() {
    LIST_DATA* obj = CurObj;
    LIST_DATA* shot = TrailShot();
    if (!shot) return -1;
    const SPR_DATA* os = Spr(shot);
    if (os) {
        SetScale(obj, os->scaleX, os->scaleY);
        SetFacing(obj, os->pageOffset);
    }
    const POINT c = HitCorner(shot, 15);
    obj->x = shot->x + c.x;
    obj->y = shot->y + c.y;
    obj->z = shot->z;
    if (SPR_DATA* s = Spr(obj)) s->height = i16(obj->z);
    SyncFix(obj);
    return 0;
}

int Renew21() {
    LIST_DATA* obj = CurObj;
    LIST_DATA* lnch = Owner(OBJ_KIND_LAUNCHER);
    if (!lnch || !lnch->lnch) return -1;
    const TAMA_LNCH_WORK* lw = lnch->lnch;
    int entry = 0;
    if (obj->zSpeed != 0) {
        int n = 0;
        while (n < TAMA_CHAIN_MAX && lw->shots[n] >= 0) n++;
        entry = n - 1;
        if (entry < 0 || entry == TAMA_CHAIN_MAX - 1) {
            SPR_SetSprView(obj->spr, 0);
            return 0;
        }
    } else if (lw->shots[0] < 0) {
        SPR_SetSprView(obj->spr, 0);
        return 0;
    }
    LIST_DATA* shot = OBJ_Get(lw->shots[entry]);
    const SPR_DATA* ss = Spr(shot);
    if (!ss) return -1;
    SPR_SetSprView(obj->spr, 1);

    const int kind = obj->flagB;
    if (kind >= 1 && kind <= 3) {
        if (lw->extension > 0) {
            if (obj->zSpeed == 0) Seq(obj, 111 + kind, 1);
            else if (obj->subStep == 0) Seq(obj, 115, 1);
        } else {
            Seq(obj, 111 + kind, 1);
        }
        obj->subStep = lw->extension;
        SetScale(obj, ss->scaleX * 2, ss->scaleY * 2);
    } else if (kind == 4) {
        Seq(obj, 18, 1);
    } else if (kind == 5) {
        Seq(obj, 17, 1);
    }

    if (obj->zSpeed != 0) {
        const POINT c = HitCorner(shot, 8);
        if (entry != 0) {
            const LIST_DATA* so = OBJ_Get(shot->owner);
            const i32 e0 = so ? so->y - shot->y : 0;
            const i32 e = e0 >= 1 ? e0 + 1 : 0;
            obj->x = shot->x + c.x;
            obj->y = shot->y + c.y + e;
            obj->z = (so ? so->z : 0) + e;
        } else {
            obj->x = shot->x + c.x;
            obj->y = shot->y + c.y;
            obj->z = shot->z;
        }
    } else {
        RECT r{};
        LIST_DATA* lo = OBJ_Get(lnch->owner);
        const i32 h = (lo && SPR_GetHitRect(lo->spr, 6, &r)) ? r.bottom - r.top : 0;
        obj->x = shot->x;
        obj->y = shot->y + h;
        obj->z = shot->z + h;
    }
    if (SPR_DATA* s = Spr(obj)) s->height = i16(obj->z);
    SyncFix(obj);

    const TAMA_WORK* tw = shot->tama;
    if (tw && tw->weapon && tw->phase < TAMA_PHASE_MAX && (tw->weapon->phase[tw->phase].flags & TAMA_FLAG_AFTERIMAGE))
        EFT_Create(24, obj, obj->x, obj->y, obj->z);
    return 0;
}

int Renew24() {
    LIST_DATA* obj = CurObj;
    SPR_DATA* s = Spr(obj);
    if (!s) return -1;
    s->running = 1;
    if (!Playing()) return 0;
    s->level = i16(s->level - 6);
    return s->level < 0 ? -1 : 0;
}

}  // namespace

const EFT_INIT_FUNC EftInitTbl[EFT_TYPE_MAX] = {
    Init0,  Init1,  InitSpawner, InitSpawner, InitSpawner, InitSpawner, Init6,  Init7,  Init8,
    Init9,  Init10, Init11,      Init12,      Init13,      Init14,      Init15, Init16, Init16,
    Init18, Init19, Init20,      Init21,      Init22,      Init23,      Init24,
};

const EFT_RENEW_FUNC EftRenewTbl[EFT_TYPE_MAX] = {
    RenewMove,   Renew1,      RenewSpawner, RenewSpawner, RenewSpawner, RenewSpawner, RenewNone,
    RenewMove,   RenewMove,   Renew9,       Renew10,      RenewMove,    Renew12,      RenewMove,
    RenewBounce, RenewBounce, RenewMove,    RenewMove,    Renew18,      Renew19,      RenewMove,
    Renew21,     RenewMove,   RenewMove,    Renew24,
};

int EFT_Init() {
    EFT_Term();
    const int g = SPR_GetFreeSprGrp();
    if (g < 0) return 0;
    if (!SPR_LoadSprGrp(g, MakeFilePath("Bmp\\Effect\\Effect.spr"), 0)) return 0;
    EftSprGrpNo = g;
    return 1;
}

void EFT_Term() {
    if (EftSprGrpNo < 0) return;
    SPR_DelSprGrp(EftSprGrpNo);
    EftSprGrpNo = -1;
}

int EFT_Create(int type, LIST_DATA* owner, int x, int y, int z) {
    if (type < 0 || type >= EFT_TYPE_MAX) return -1;
    int group = EftSprGrpNo, page = 0;
    if (type == 24) {
        const SPR_DATA* os = Spr(owner);
        if (!os || !SPR_GetGrpPage(os->group, os->page + os->pageOffset)) return -1;
        group = os->group;
        page = os->page + os->pageOffset;
    }
    if (group < 0) return -1;
    const int s = SPR_GetFreeWorldSpr();
    if (s < 0) return -1;
    LIST_DATA* obj = OBJ_Alloc(OBJ_KIND_EFFECT);
    if (!obj) return -1;
    if (!SPR_CreateSpr(s, kPriority, x, y, group, page)) {
        OBJ_Free(obj->index);
        return -1;
    }
    obj->team = owner ? owner->team : 255;
    obj->subStep = 0;
    obj->level = 4;
    obj->shadow = 0;
    obj->owner = owner ? owner->index : -999;
    obj->target = owner ? owner->target : -999;
    obj->eft->type = i16(type);
    EftCnt++;
    obj->spr = i16(s);
    SPR_SetSprObjNo(s, obj->index);
    MAP_SetObjPos(obj, x, y, z);
    if (SPR_DATA* spr = SPR_GetSpr(s)) spr->height = i16(z);
    EftInitTbl[type](obj, owner);
    return obj->index;
}

int EFT_Delete(LIST_DATA* obj) {
    if (!obj || !obj->use) return ObjWalkNext;
    EftCnt--;
    return OBJ_Free(obj->index);
}

int EFT_Renew() {
    LIST_DATA* obj = CurObj;
    if (!obj || !obj->eft) return 1;
    EftCur = obj->eft;
    const int type = EftCur->type;
    if (EftCur->kill || type < 0 || type >= EFT_TYPE_MAX || EftRenewTbl[type]() < 0) {
        ObjWalkNext = EFT_Delete(obj);
        return 1;
    }
    ObjWalkNext = obj->next;
    return 1;
}

int EFT_RenewMove() {
    LIST_DATA* obj = CurObj;
    obj->x16 = FIX16(u32(obj->x16) + u32(obj->vx16) * u32(i32(obj->subStep)));
    obj->y16 = FIX16(u32(obj->y16) + u32(obj->vy16) * u32(i32(obj->subStep)));
    obj->x = obj->x16 >> 16;
    obj->y = obj->y16 >> 16;
    return 0;
}

int EFT_CreateDebris(int type, int spread, int life) {
    if (type < 0) return 0;
    LIST_DATA* cur = CurObj;
    if (!cur) return 1;
    const i32 ox = MapData ? MapData->scrollX - MapData->screenX : 0;
    const i32 oy = MapData ? MapData->scrollY - MapData->screenY : 0;
    for (int n : {14, 15}) {
        RECT r{};
        if (!SPR_GetHitRectScr(cur->spr, n, &r) || r.left == r.right || r.top == r.bottom) continue;
        r.left += ox;
        r.top += oy;
        const int m = 2 * spread + 2;
        const int dy = m >= 1 ? Rand() % m : 0;
        const int dx = m >= 1 ? Rand() % m : 0;
        LIST_DATA* e = OBJ_Get(EFT_Create(type, cur, r.left + spread - dx, r.top + spread - dy, 0));
        if (!e) continue;
        const FIX16 mx = CurMeka ? CurMeka->moveVx : 0, my = CurMeka ? CurMeka->moveVy : 0;
        e->vx16 = -mx + (2000 - Rand() % 4001) * 16;
        e->vy16 = -my + (2000 - Rand() % 4001) * 16;
        const int half = life >> 1;
        e->subStep = i16(half + (half + 1 > 0 ? Rand() % (half + 1) : 0));
    }
    return 1;
}
