#include "battle/object/obj.h"

#include "battle/effect/eft.h"
#include "battle/map/mapobj.h"
#include "battle/meka/meka.h"
#include "battle/tama/tama.h"
#include "graphics/sprite/spr.h"
#include "platform/memory.h"
#include "platform/msgbox.h"
#include "shell/common.h"

LIST_DATA* ObjTbl[OBJ_MAX];
i32 ObjActHead = -1;
i32 ObjActTail = -1;
i32 ObjFreeHead = -1;
i32 ObjFreeTail = -1;
i32 ObjWalkNext = -1;
i16 ObjLiveCnt = 0;
LIST_DATA* CurObj = nullptr;
LIST_DATA* CurOwnerObj = nullptr;
LIST_DATA* CurTargetObj = nullptr;

namespace {

void FreeExtensions(LIST_DATA* obj) {
    plat::GlobalFree(obj->meka);
    plat::GlobalFree(obj->lnch);
    plat::GlobalFree(obj->tama);
    plat::GlobalFree(obj->eft);
    plat::GlobalFree(obj->mapObj);
    obj->meka = nullptr;
    obj->lnch = nullptr;
    obj->tama = nullptr;
    obj->eft = nullptr;
    obj->mapObj = nullptr;
}

std::size_t ExtensionSize(int kind) {
    switch (kind) {
        case OBJ_KIND_MEKA: return sizeof(MEKA_WORK);
        case OBJ_KIND_LAUNCHER: return sizeof(TAMA_LNCH_WORK);
        case OBJ_KIND_SHOT: return sizeof(TAMA_WORK);
        case OBJ_KIND_EFFECT: return sizeof(EFT_WORK);
        case OBJ_KIND_MAPOBJ: return sizeof(MAP_OBJ_WORK);
        default: return 0;
    }
}

void AttachExtension(LIST_DATA* obj, void* ext) {
    switch (obj->kind) {
        case OBJ_KIND_MEKA: obj->meka = static_cast<MEKA_WORK*>(ext); break;
        case OBJ_KIND_LAUNCHER: obj->lnch = static_cast<TAMA_LNCH_WORK*>(ext); break;
        case OBJ_KIND_SHOT: obj->tama = static_cast<TAMA_WORK*>(ext); break;
        case OBJ_KIND_EFFECT: obj->eft = static_cast<EFT_WORK*>(ext); break;
        case OBJ_KIND_MAPOBJ: obj->mapObj = static_cast<MAP_OBJ_WORK*>(ext); break;
        default: break;
    }
}

}  // namespace

int OBJ_Init() {
    OBJ_FreeAll();
    for (int i = 0; i < OBJ_MAX; i++) {
        auto* obj = static_cast<LIST_DATA*>(plat::GlobalAllocZero(sizeof(LIST_DATA)));
        if (!obj) {
            // The free list stays empty, so every allocation of this half-built pool is refused.
            plat::MessageBox("記憶體容量不足", "錯誤", plat::MB_OK | plat::MB_ICONEXCLAMATION);
            return 0;
        }
        obj->nextFree = i + 1 < OBJ_MAX ? i + 1 : -1;
        ObjTbl[i] = obj;
    }
    ObjFreeHead = 0;
    ObjFreeTail = OBJ_MAX - 1;
    DebugMsg("LIST_DATA 已保有 %d Byte 之記憶容量", int(OBJ_MAX * sizeof(LIST_DATA)));
    return 1;
}

void OBJ_FreeAll() {
    for (LIST_DATA*& obj : ObjTbl) {
        if (!obj) continue;
        FreeExtensions(obj);
        plat::GlobalFree(obj);
        obj = nullptr;
    }
    ObjFreeTail = ObjFreeHead = ObjActTail = ObjActHead = ObjWalkNext = -1;
    ObjLiveCnt = 0;
    TamaShotCnt = 0;
    EftCnt = 0;
    MapObjLiveCnt = 0;
    CurObj = CurOwnerObj = CurTargetObj = nullptr;
    // The slots point into the pool: a battle torn down without deleting its mechs must not leave
    // the next battle's MEKA_Create a freed record to delete.
    for (LIST_DATA*& slot : MekaSlotTbl) slot = nullptr;
    CurMeka = nullptr;
}

LIST_DATA* OBJ_Alloc(int kind) {
    if (kind < 0 || kind >= OBJ_KIND_COUNT) return nullptr;
    if (ObjFreeHead < 0 || ObjFreeHead >= OBJ_MAX || !ObjTbl[ObjFreeHead]) return nullptr;
    void* ext = nullptr;
    if (std::size_t size = ExtensionSize(kind)) {
        ext = plat::GlobalAllocZero(size);
        if (!ext) return nullptr;
    }

    const i32 index = ObjFreeHead;
    LIST_DATA* obj = ObjTbl[index];
    ObjFreeHead = obj->nextFree;
    if (ObjFreeHead < 0) ObjFreeTail = -1;

    *obj = LIST_DATA{};
    obj->nextFree = -1;
    obj->next = -1;
    obj->prev = ObjActTail;
    if (ObjActTail < 0) {
        ObjActHead = index;
    } else {
        ObjTbl[ObjActTail]->next = index;
    }
    ObjActTail = index;

    obj->use = 1;
    obj->index = i16(index);
    obj->kind = i8(kind);
    obj->spr = -999;
    AttachExtension(obj, ext);
    ObjLiveCnt++;
    return obj;
}

int OBJ_Free(int index) {
    LIST_DATA* obj = OBJ_Get(index);
    if (!obj) return ObjWalkNext;

    int result;
    if (index == ObjActHead) {
        ObjActHead = obj->next;
        if (ObjActHead < 0) {
            ObjActTail = -1;
            result = -1;
        } else {
            ObjTbl[ObjActHead]->prev = -1;
            result = ObjActHead;
        }
    } else {
        ObjTbl[obj->prev]->next = obj->next;
        if (index == ObjActTail) {
            ObjActTail = obj->prev;
            result = -1;
        } else {
            ObjTbl[obj->next]->prev = obj->prev;
            result = obj->next;
        }
    }
    // An update that deletes the object the walk visits next must not leave the cursor on a free record.
    if (ObjWalkNext == index) ObjWalkNext = result;

    if (obj->spr >= 0) {
        SPR_DelSpr(obj->spr);
        obj->spr = -999;
    }
    FreeExtensions(obj);
    obj->use = 0;
    obj->prev = obj->next = -1;
    obj->nextFree = -1;
    if (ObjFreeTail < 0) {
        ObjFreeHead = index;
    } else {
        ObjTbl[ObjFreeTail]->nextFree = index;
    }
    ObjFreeTail = index;
    ObjLiveCnt--;
    return result;
}

LIST_DATA* OBJ_Get(int index) {
    if (index < 0 || index >= OBJ_MAX) return nullptr;
    LIST_DATA* obj = ObjTbl[index];
    return obj && obj->use ? obj : nullptr;
}

void OBJ_RenewAll(const OBJ_RENEW_FUNC (&funcs)[OBJ_KIND_COUNT]) {
    for (int level = OBJ_LEVEL_MAX; level >= 0; level--) {
        ObjWalkNext = ObjActHead;
        while (LIST_DATA* obj = OBJ_Get(ObjWalkNext)) {
            ObjWalkNext = obj->next;
            if (obj->level != level || obj->kind < 0 || obj->kind >= OBJ_KIND_MAPOBJ) continue;
            OBJ_RENEW_FUNC func = funcs[obj->kind];
            if (!func) continue;
            CurObj = obj;
            CurOwnerObj = OBJ_Get(obj->owner);
            CurTargetObj = OBJ_Get(obj->target);
            func();
        }
    }
}

LIST_DATA* OBJ_GetRoot(LIST_DATA* obj) {
    // A chain through reused records can loop: no chain in a pool of 2048 is longer than that.
    for (int steps = 0; obj && steps <= OBJ_MAX; steps++) {
        if (!obj->use) return nullptr;
        if (obj->kind == OBJ_KIND_MEKA || obj->kind == OBJ_KIND_SHOT) return obj;
        obj = OBJ_Get(obj->owner);
    }
    return nullptr;
}
