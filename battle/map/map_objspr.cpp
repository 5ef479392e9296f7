// Background objects in front of sprites: each drawn frame the parts of background objects whose
// foot line lies at or below a world-layer sprite's owner (or that cover its shadow) become short-lived
// kind-5 objects with a function sprite on the foot line, so the depth sort draws them over it.
// Also the debug outline of the cells under an object's foot box.
#include <algorithm>

#include "battle/battle.h"
#include "battle/map/cam.h"
#include "battle/map/map.h"
#include "battle/map/mapobj.h"
#include "battle/object/obj.h"
#include "graphics/blit/prim.h"
#include "graphics/display/disp.h"
#include "graphics/sprite/spr.h"
#include "shell/common.h"

i32 MapObjSprCnt = 0;

namespace {

constexpr i16 kWorldPriority = 128;
constexpr i16 kPieceLevel = 4;

RECT ObjRect(const MAP_OBJ_DATA& o) {
    const MAP_CSP_DATA& c = MapCspTbl[o.no];
    return RECT{o.x, o.y, o.x + c.width, o.y + c.height};
}

i32 FootLine(const MAP_OBJ_DATA& o) { return o.y + MapCspTbl[o.no].anchorY; }

// The rectangles of a sprite relative to its position: every part of a group sprite's page, or the
// one rectangle of a surface sprite. Returns how many were written (at most max).
int SpriteRects(int s, RECT* out, int max) {
    if (SPR_GetSpr(s)) {
        const int parts = std::min(SPR_GetSprPartCnt(s), max);
        int n = 0;
        for (int p = 0; p < parts; ++p)
            if (SPR_GetPartRect(s, p, &out[n])) ++n;
        return n;
    }
    return SPR_GetTSprRect(s, out) ? 1 : 0;
}

}  // namespace

void MAP_RenewObjSpr() {
    MapObjSprCnt = 0;
    if (!MAP_IsOpen()) return;
    const MAP_DATA& m = *MapData;
    const RECT view{m.scrollX, m.scrollY, m.scrollX + m.viewW, m.scrollY + m.viewH};
    static i16 candidates[MAP_OBJ_MAX];
    int count = 0;
    for (i32 n = 0; n < MapObjCnt; ++n) {
        const RECT o = ObjRect(MapObjTbl[n]);
        RECT i;
        if (GetCrossRect(&i, &o, &view)) candidates[count++] = i16(n);
    }

    LIST_DATA* const savedCur = CurObj;
    for (i32 index = ObjActHead; index >= 0;) {
        LIST_DATA* obj = OBJ_Get(index);
        if (!obj) break;
        index = obj->next;
        const SPR_HEAD* h = SPR_GetAnySpr(obj->spr);
        if (obj->kind == OBJ_KIND_MAPOBJ || !h || h->priority != kWorldPriority || !h->view) continue;
        CurObj = obj;
        obj->outView = 0;
        obj->shadowView = 0;
        int inView = 0;
        RECT rects[SPRGRP_IMAGE_MAX * 4];
        const int n = SpriteRects(obj->spr, rects, int(std::size(rects)));
        for (int k = 0; k < n; ++k) {
            RECT s = rects[k];
            OffsetRectDat(&s, obj->x, obj->y - obj->z);
            RECT cut;
            if (GetCrossRect(&cut, &s, &view)) {
                ++inView;
                if (count) MAP_ClipObjSpr(count, &cut, candidates);
            }
            if (!obj->shadow || obj->shadowView) continue;
            // The lower half of the rectangle put down on the ground.
            RECT shadow = s;
            shadow.top += obj->z + (s.bottom - s.top) / 2;
            shadow.bottom += obj->z;
            if (GetCrossRect(&cut, &shadow, &view)) {
                obj->shadowView = 1;
                if (count) MAP_ClipObjSpr(count, &cut, candidates);
            }
        }
        if (!inView) obj->outView = i8(0xFF);
    }
    CurObj = savedCur;
}

void MAP_ClipObjSpr(int count, const RECT* region, const i16* candidates) {
    if (!CurObj || !region || !candidates) return;
    for (int k = 0; k < count; ++k) {
        const i16 n = candidates[k];
        if (n < 0 || n >= MapObjCnt) continue;
        const MAP_OBJ_DATA& o = MapObjTbl[n];
        const i32 foot = FootLine(o);
        if (foot < CurObj->y) continue;  // the object stands in front of this one
        const RECT r = ObjRect(o);
        RECT i;
        if (!GetCrossRect(&i, region, &r)) continue;
        const MAP_CSP_DATA& c = MapCspTbl[o.no];
        const i32 sx = c.srcX + (i.left - r.left), sy = c.srcY + (i.top - r.top);
        const RECT src{sx, sy, sx + (i.right - i.left), sy + (i.bottom - i.top)};
        MAP_CreateObjSpr(i.left, foot, i.top, &src);
    }
}

int MAP_CreateObjSpr(i32 mapX, i32 foot, i32 mapTop, const RECT* src) {
    LIST_DATA* obj = OBJ_Alloc(OBJ_KIND_MAPOBJ);
    if (!obj) return -1;
    const i32 hw = MapData ? MapData->halfViewW : 320, hh = MapData ? MapData->halfViewH : 240;
    obj->level = kPieceLevel;
    obj->x = hw + mapX - CamData.x;
    obj->y = hh + foot - CamData.y;
    obj->z = foot - mapTop;
    if (src) obj->mapObj->src = *src;
    const int s = SPR_GetFreeWorldSpr();
    if (s < 0 || !SPR_CreateFSpr(s, kWorldPriority, MAP_DrawObjSpr)) {
        OBJ_Free(obj->index);
        return -1;
    }
    SPR_HEAD* h = SprTbl[s];
    h->owner = obj->index;
    h->x = i16(obj->x);
    h->y = i16(obj->y);
    h->height = i16(obj->z);
    obj->spr = i16(s);
    obj->outView = 0;
    obj->shadowView = 0;
    ++MapObjLiveCnt;
    ++MapObjSprCnt;
    return obj->index;
}

// The piece is the sprite's owner (the world-layer pass also makes it the current object); looking it
// up through the sprite means a stray draw of the sprite can never free another object.
void MAP_DrawObjSpr(int sprite) {
    const SPR_HEAD* h = SPR_GetAnySpr(sprite);
    LIST_DATA* obj = h ? OBJ_Get(h->owner) : nullptr;
    if (!obj || obj->kind != OBJ_KIND_MAPOBJ || obj->spr != sprite) return;
    BTL_DrawSurfOfs(MapObjSurf, h->x, h->y - h->height, &obj->mapObj->src);
    MAP_DelObjSpr(obj);
}

int MAP_DelObjSpr(LIST_DATA* obj) {
    if (!obj || !obj->use) return ObjWalkNext;
    if (MapObjLiveCnt > 0) --MapObjLiveCnt;
    return OBJ_Free(obj->index);
}

void MAP_DrawAttrGrid(plat::Surface* surface, const LIST_DATA* obj, i32 x, i32 y) {
    if (!surface || !obj || !MAP_IsOpen() || obj->foot1.w <= 0 || obj->foot1.h <= 0) return;
    const i32 fx = obj->x + obj->foot1.x, fy = obj->y + obj->foot1.y;
    const i32 c0 = fx >> 4, c1 = (fx + obj->foot1.w - 1) >> 4;
    const i32 r0 = fy >> 4, r1 = (fy + obj->foot1.h - 1) >> 4;
    const u32 red = DISP_PackRGB(255, 0, 0);
    for (i32 r = r0; r <= r1; ++r)
        for (i32 c = c0; c <= c1; ++c) {
            const i32 sx = x + c * MAP_CHIP - MapData->scrollX, sy = y + r * MAP_CHIP - MapData->scrollY;
            PRIM_RectLock(surface, sx, sy, sx + MAP_CHIP - 1, sy + MAP_CHIP - 1, red);
        }
}
