// The object pool: every updated thing of a battle is a LIST_DATA record taken from 2048 made at battle
// start, kept on an active list (walk order) and a free-list queue (taken at the head, returned at the
// tail), with one zero-filled extension record per kind.
#pragma once
#include "platform/types.h"

constexpr int OBJ_MAX = 2048;
constexpr int OBJ_LEVEL_MAX = 8;  // update levels 0..8; the walk runs 8 first

enum : i8 {
    OBJ_KIND_MEKA = 0,
    OBJ_KIND_LAUNCHER = 1,
    OBJ_KIND_SHOT = 2,
    OBJ_KIND_EFFECT = 3,
    OBJ_KIND_CHIP = 4,
    OBJ_KIND_MAPOBJ = 5,
    OBJ_KIND_COUNT = 6,
};

struct MEKA_WORK;
struct TAMA_LNCH_WORK;
struct TAMA_WORK;
struct EFT_WORK;
struct MAP_OBJ_WORK;

// x offset, y offset, width and height of a footprint, taken from a sprite's hit rectangle 13.
struct OBJ_FOOT {
    i32 x;
    i32 y;
    i32 w;
    i32 h;
};

struct LIST_DATA {
    u8 use;        // 1 while on the active list
    i8 kind;       // OBJ_KIND_*
    u8 team;       // 255 none
    i8 mekaNo;     // slot of the mech it belongs to (0..9)
    i16 level;     // update level 0..8
    i16 index;     // own index in ObjTbl
    i16 owner;     // -1 none
    i16 target;    // -1 none
    i16 child;     // object started by this one and waited for (a launcher), -999 none
    i32 prev;      // active list, -1 at the head
    i32 next;      // active list, -1 at the tail
    i32 nextFree;  // free list, -1 at its end
    u32 shadow;
    u32 shadowView;  // the shadow meets the view (written per drawn frame)
    i32 x;
    i32 y;
    i32 z;
    FIX16 x16;
    FIX16 y16;
    FIX16 z16;
    FIX16 vx16;
    FIX16 vy16;
    i16 boxTop;     // magnitude of hit rectangle 4's top edge, direction 0
    i16 boxHeight;  // its bottom minus top
    i16 speed;
    i16 subStepCnt;  // movement sub-steps this frame, at least 1
    i16 subStep;     // distance per sub-step
    u8 flagA;
    i16 zSpeed;
    u8 flagB;
    i8 dir;
    i16 spr;    // sprite handle, -999 none
    i16 anime;  // current animation of the sprite
    i8 outView;  // 255 when no rectangle of the sprite meets the view (written per drawn frame)
    RECT hitBox;     // hit rectangle 0 relative to the position
    OBJ_FOOT foot1;  // from hit rectangle 13 at placement
    OBJ_FOOT foot2;  // the same; the map collision's footprint
    MEKA_WORK* meka;
    TAMA_LNCH_WORK* lnch;
    TAMA_WORK* tama;
    EFT_WORK* eft;
    MAP_OBJ_WORK* mapObj;
};

extern LIST_DATA* ObjTbl[OBJ_MAX];
extern i32 ObjActHead;
extern i32 ObjActTail;
extern i32 ObjFreeHead;
extern i32 ObjFreeTail;
extern i32 ObjWalkNext;  // the next object the running walk visits, -1 at the end
extern i16 ObjLiveCnt;
extern LIST_DATA* CurObj;
extern LIST_DATA* CurOwnerObj;   // null when the owner is none or gone
extern LIST_DATA* CurTargetObj;  // null when the target is none or gone

int OBJ_Init();
void OBJ_FreeAll();
// A fresh object of the kind on the active list's tail: header zeroed, then in use, own index, kind,
// sprite -999, and its extension. Null when the pool is empty, the kind is unknown or the extension
// cannot be allocated (the pool unchanged).
LIST_DATA* OBJ_Alloc(int kind);
// The next active index after the freed object (-1 at the end). An index outside the pool or not in
// use changes nothing and returns ObjWalkNext.
int OBJ_Free(int index);
// The record of a live object, null for an index outside 0..2047 or an object not in use. Every index
// read from a record or a sprite goes through this.
LIST_DATA* OBJ_Get(int index);

// The update of the current object (CurObj); it leaves ObjWalkNext at the next object to visit. The
// walk sets ObjWalkNext to the object's next before calling, so only an update that frees its own
// object has to store OBJ_Free's result.
using OBJ_RENEW_FUNC = int (*)();
// One frame's walk: levels 8 down to 0, each object at its level handed to its kind's function (null
// skips it; kind 5 never has one).
void OBJ_RenewAll(const OBJ_RENEW_FUNC (&funcs)[OBJ_KIND_COUNT]);

// The first object up the owner chain (from the object itself) that is a mech or a shot; null when
// the chain leaves the pool or does not end.
LIST_DATA* OBJ_GetRoot(LIST_DATA* obj);
