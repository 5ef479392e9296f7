// The battle renderer: the world frame, the depth sort into two lists, the three passes with layer
// redirects and shadows, and the battle's own blit choice for group and surface sprites.
#include "battle/btl_draw.h"

#include <cstring>

#include "battle/battle.h"
#include "battle/map/cam.h"
#include "battle/map/map.h"
#include "battle/meka/meka.h"
#include "battle/meka/meka_act.h"
#include "battle/object/obj.h"
#include "battle/panel/pnl.h"
#include "graphics/display/disp.h"
#include "graphics/sprite/spr_blt.h"
#include "screens/btl/btl.h"

i32 BtlDrawOfsX = 0;
i32 BtlDrawOfsY = 0;
u8 BtlSkipFlag = 0;
i32 BtlDebugSpr = -1;

namespace {

// The lists of the running frame; fixed so that a frame allocates nothing.
i16 PriList[BTL_LIST_MAX];
i16 WorldList[BTL_LIST_MAX];

plat::Surface* Target() { return SprDrawSurf ? *SprDrawSurf : nullptr; }

i32 Clamp32(i64 v) { return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : i32(v); }

// "× scale ÷ 256" of the placement: an arithmetic shift, so negative offsets round down as the hit
// rectangles do and a flipped part lands on the same pixels as in the general sprite drawing.
i64 Scale(i64 v, u32 scale) { return (v * i64(scale)) >> 8; }

// How a row of the table passes its level and key.
enum class Arg : u8 {
    Key,      // colour key on
    NoKey,    // colour key off
    Colour,   // the level word as a 16-bit colour (the silhouettes take no key)
    Level,    // the level word, colour key on
    Dark,     // the level word; in place the key only while the second level is 0
    Channel,  // low byte, high byte of the level word and the second level, colour key on
};

struct BltRow {
    u32 bit;
    u32 with;  // a second bit the row needs, 0 none
    SPR_BLT plain;
    SPR_BLT scaled;
    Arg arg;
};

// The first row whose bits are set wins; mirror bits come after every effect bit.
constexpr BltRow kBltRows[] = {
    {0x4, 0x100, SPR_BLT_SILHOUETTE50, SPR_BLT_SILHOUETTE50_SCALED, Arg::Colour},
    {0x4, 0, SPR_BLT_ALPHA50, SPR_BLT_ALPHA50_SCALED, Arg::Key},
    {0x8, 0, SPR_BLT_ADD100, SPR_BLT_ADD100_SCALED, Arg::Key},
    {0x400, 0, SPR_BLT_ADD50, SPR_BLT_ADD50_SCALED, Arg::Key},
    {0x800, 0, SPR_BLT_ADD25, SPR_BLT_ADD25_SCALED, Arg::Key},
    {0x10, 0, SPR_BLT_SUB100, SPR_BLT_SUB100_SCALED, Arg::Key},
    {0x1000, 0, SPR_BLT_SUB50, SPR_BLT_SUB50_SCALED, Arg::Key},
    {0x2000, 0, SPR_BLT_SUB25, SPR_BLT_SUB25_SCALED, Arg::Key},
    {0x20, 0, SPR_BLT_MESH, SPR_BLT_MESH_SCALED, Arg::Level},
    {0x40, 0, SPR_BLT_ALPHA, SPR_BLT_ALPHA_SCALED, Arg::Level},
    {0x80, 0, SPR_BLT_ALPHAADD, SPR_BLT_ALPHAADD_SCALED, Arg::Level},
    {0x100, 0, SPR_BLT_SILHOUETTE, SPR_BLT_SILHOUETTE_SCALED, Arg::Colour},
    {0x200, 0, SPR_BLT_TONE, SPR_BLT_TONE_SCALED, Arg::Level},
    {0x4000, 0, SPR_BLT_COPY, SPR_BLT_COPY_SCALED, Arg::NoKey},
    {0x8000, 0, SPR_BLT_DARK, SPR_BLT_DARK_SCALED, Arg::Dark},
    {0x10000, 0, SPR_BLT_TONERGB, SPR_BLT_TONERGB_SCALED, Arg::Channel},
    {0x20000, 0, SPR_BLT_ALPHARGB, SPR_BLT_ALPHARGB_SCALED, Arg::Channel},
    {0x40000, 0, SPR_BLT_ALPHAADDRGB, SPR_BLT_ALPHAADDRGB_SCALED, Arg::Channel},
    {0x3, 0, SPR_BLT_COPYFLIP, SPR_BLT_COPY_SCALED, Arg::Key},
    {0xFFFFFFFF, 0, SPR_BLT_COPY, SPR_BLT_COPY_SCALED, Arg::Key},  // nothing set
};

// Blits one piece: `a` holds the surfaces, the source rectangle and the position (in place) or the
// destination rectangle (scaled). A surface sprite's 0x4 is always the plain half blend.
void Blit(SPR_BLT_ARGS& a, bool scaled, bool surfSprite, u32 attr, i16 level, i16 level2) {
    const BltRow* row = &kBltRows[std::size(kBltRows) - 1];
    for (const BltRow& r : kBltRows) {
        if (!(attr & r.bit) || (r.with && (!(attr & r.with) || surfSprite))) continue;
        row = &r;
        break;
    }
    a.flags = int(attr & 3);
    a.level = a.level2 = a.level3 = 0;
    a.key = 1;
    switch (row->arg) {
        case Arg::Key: break;
        case Arg::NoKey: a.key = 0; break;
        case Arg::Colour:
            a.level = i32(u16(level));
            a.key = 0;
            break;
        case Arg::Level: a.level = level; break;
        case Arg::Dark:
            a.level = level;
            a.key = scaled || level2 == 0 ? 1 : 0;
            break;
        case Arg::Channel:
            a.level = i32(u16(level) & 0xFF);
            a.level2 = i32(u16(level) >> 8);
            a.level3 = level2;
            break;
    }
    const int blt = scaled ? row->scaled : row->plain;
    if (SPR_BLT_FUNC fn = SprBltTbl[blt]) fn(blt, a);
}

// The page shown: the sprite's page plus its facing, null outside the group.
const SPR_PAGE* ShownPage(const SPR_DATA* spr) { return SPR_GetGrpPage(spr->group, int(spr->page) + spr->pageOffset); }

// Where a part lies relative to the sprite, mirrored by the sprite's and page's flip bits.
void PartOffset(const SPR_PART& part, u32 flips, i64* x, i64* y) {
    *x = (flips & 1) ? -i64(part.dest.right) : i64(part.dest.left);
    *y = (flips & 2) ? -i64(part.dest.bottom) : i64(part.dest.top);
}

// The sprite's word when it asks for an effect, else the part's; the flip bits of all three.
u32 PartAttr(u32 sprAttr, u32 pageAttr, u32 partAttr) {
    return (sprAttr & ~3u) ? sprAttr ^ ((partAttr ^ pageAttr) & 3) : partAttr ^ ((sprAttr ^ pageAttr) & 3);
}

void SetOffsets(i32 x, i32 y) {
    SPR_SetDrawOffset(x, y);
    BTL_SetDrawOfs(x, y);
}

// Draws one entry, into its layer's picture when its layer number names an open layer. The entry may
// be gone after draw() (a callback may free its own sprite), so nothing of it is read afterwards.
template <typename Draw>
void WithLayer(const SPR_HEAD* h, Draw draw) {
    plat::Surface** target = SprDrawSurf;
    if (!target) return draw();
    plat::Surface* saved = *target;
    const i32 layer = h->layer;
    if (layer >= 0 && layer < SPR_LAYER_MAX && SprLayerTbl[layer].open)
        *target = SPR_GetSlotSurf(SprLayerTbl[layer].surf);
    draw();
    *target = saved;
}

void CallBack(int s, const SPR_HEAD* h) {
    if (auto fn = static_cast<const FSPR_DATA*>(h)->func) fn(s);
}

// An entry of the passes behind and in front of the world. In front, only a sprite above the ground
// casts its shadow.
void DrawLayerEntry(int s, bool front) {
    const SPR_HEAD* h = SPR_GetAnySpr(s);
    if (!h || !h->view) return;
    WithLayer(h, [&] {
        const LIST_DATA* owner = OBJ_Get(h->owner);
        const bool shadow = owner && owner->shadow && (!front || h->height > 0);
        switch (h->kind) {
            case SPR_KIND_GROUP:
                if (shadow) BTL_DrawPartSpr(s);
                BTL_DrawSpr(s);
                break;
            case SPR_KIND_SURF:
                if (shadow) BTL_DrawPartSpr2(s);
                BTL_DrawSpr2(s);
                break;
            case SPR_KIND_FUNC: CallBack(s, h); break;
            default: break;
        }
    });
}

// Index of the first entry whose key is beyond `key` in a list ordered by `before`; keys[] mirrors
// the list.
template <typename Before>
int InsertAt(const i16* keys, int count, i16 key, Before before) {
    int lo = 0, hi = count;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (before(keys[mid], key)) lo = mid + 1;
        else hi = mid;
    }
    return lo;
}

void Insert(i16* list, i16* keys, int* count, int at, i16 s, i16 key) {
    const size_t tail = size_t(*count - at);
    std::memmove(list + at + 1, list + at, tail * sizeof(i16));
    std::memmove(keys + at + 1, keys + at, tail * sizeof(i16));
    list[at] = s;
    keys[at] = key;
    ++*count;
}

i32 MapScreenX() { return MapData ? MapData->screenX : 0; }
i32 MapScreenY() { return MapData ? MapData->screenY : 0; }

}  // namespace

// ---- the world frame and the lists ----

void BTL_DrawWorld(i32 x, i32 y) {
    if (LIST_DATA* player = MEKA_GetSlot(0)) PNL_RenewMarker(player, OBJ_Get(player->target));
    SCR_Renew(ScrQuakeOfs);
    MEKA_RenewShake();
    MAP_RenewObjSpr();
    CAM_SetAllObjSpr();
    BTL_SortSpr(PriList, WorldList);
    const int front = BTL_DrawSprList(PriList);
    BTL_DrawSprListOfs(WorldList, x, y);
    BTL_DrawSprList2(front, PriList);
    SPR_SetDrawOffset(x, y);
}

void BTL_SortSpr(i16* priList, i16* worldList) {
    // Each sprite goes behind every entry of an equal key, so the higher slot (visited first) leads.
    static i16 priKeys[SPR_MAX], worldKeys[SPR_MAX];
    int priCount = 0, worldCount = 0;
    for (int s = SPR_MAX - 1; s >= 0; --s) {
        const SPR_HEAD* h = SPR_GetAnySpr(s);
        if (!h || !h->view) continue;
        if (h->priority == BTL_WORLD_PRIORITY) {
            const LIST_DATA* owner = OBJ_Get(h->owner);
            if (owner && owner->outView && !owner->shadowView) continue;
            const int at = InsertAt(worldKeys, worldCount, h->y, [](i16 a, i16 b) { return a <= b; });
            Insert(worldList, worldKeys, &worldCount, at, i16(s), h->y);
        } else {
            const int at = InsertAt(priKeys, priCount, h->priority, [](i16 a, i16 b) { return a >= b; });
            Insert(priList, priKeys, &priCount, at, i16(s), h->priority);
        }
    }
    priList[priCount] = BTL_LIST_END;
    worldList[worldCount] = BTL_LIST_END;
}

int BTL_DrawSprList(const i16* list) {
    SetOffsets(0, 0);
    int i = 0;
    for (; list[i] != BTL_LIST_END; ++i) {
        const SPR_HEAD* h = SPR_GetAnySpr(list[i]);
        if (h && h->priority < BTL_WORLD_PRIORITY + 1) break;
        DrawLayerEntry(list[i], false);
    }
    return i;
}

int BTL_DrawSprListOfs(const i16* list, i32 x, i32 y) {
    SetOffsets(x, y);
    LIST_DATA* const savedCur = CurObj;
    int i = 0;
    for (; list[i] != BTL_LIST_END; ++i) {
        const int s = list[i];
        const SPR_HEAD* h = SPR_GetAnySpr(s);
        if (!h || !h->view) continue;
        LIST_DATA* owner = OBJ_Get(h->owner);
        CurObj = owner;  // the pieces' callbacks find their object here
        WithLayer(h, [&] {
            switch (h->kind) {
                case SPR_KIND_GROUP:
                case SPR_KIND_SURF: {
                    if (!owner) break;
                    const bool group = h->kind == SPR_KIND_GROUP;
                    if (owner->shadowView) group ? BTL_DrawPartSpr(s) : BTL_DrawPartSpr2(s);
                    if (!owner->outView) group ? (void)BTL_DrawSpr(s) : (void)BTL_DrawSpr2(s);
                    break;
                }
                case SPR_KIND_FUNC: CallBack(s, h); break;
                default: break;
            }
        });
    }
    CurObj = savedCur;
    return i;
}

int BTL_DrawSprList2(int start, const i16* list) {
    SetOffsets(0, 0);
    int i = start < 0 ? 0 : start;
    for (; list[i] != BTL_LIST_END; ++i) DrawLayerEntry(list[i], true);
    return i;
}

// ---- one sprite ----

int BTL_DrawSpr(int s) {
    const SPR_DATA* spr = SPR_GetSpr(s);
    if (!spr || !spr->view) return 0;
    plat::Surface* dst = Target();
    const SPR_PAGE* page = ShownPage(spr);
    // A scale of 0 shows nothing, and the ground cut would divide by it.
    if (!dst || !page || !page->parts || !spr->scaleX || !spr->scaleY) return 1;
    const u32 flips = (spr->attr ^ page->attr) & 3;
    // The feet sink into the ground down to rectangle 4's bottom; what lies below the ground is cut.
    const i64 depth = Scale(page->hit[4].bottom, spr->scaleY);
    const i64 cut = spr->view2 && depth > spr->height ? (depth - spr->height) * 256 / spr->scaleY : 0;
    const i64 top0 = i64(spr->y) - spr->height;
    for (int i = 0; i < page->partCount; ++i) {
        const SPR_PART& part = page->parts[i];
        plat::Surface* src = SPR_GetSlotSurf(part.image);
        if (!src) continue;
        RECT srcRect = part.src;
        if (cut > 0) {
            srcRect.bottom = Clamp32(i64(srcRect.bottom) - cut);
            if (srcRect.bottom <= srcRect.top) continue;
        }
        i64 ox, oy;
        PartOffset(part, flips, &ox, &oy);
        const i64 dw = i64(part.dest.right) - part.dest.left, dh = i64(part.dest.bottom) - part.dest.top;
        const i64 sw = i64(part.src.right) - part.src.left, sh = i64(part.src.bottom) - part.src.top;
        SPR_BLT_ARGS a{};
        a.dst = dst;
        a.src = src;
        a.srcRect = &srcRect;
        const bool scaled = spr->scaleX != 256 || spr->scaleY != 256 || dw != sw || dh != sh;
        RECT d{};
        if (scaled) {
            const i64 left = spr->x + Scale(ox, spr->scaleX) + BtlDrawOfsX;
            const i64 top = top0 + Scale(oy, spr->scaleY) + BtlDrawOfsY;
            const i64 h = Scale(dh - cut, spr->scaleY);
            if (cut > 0 && h <= 0) continue;
            d = RECT{Clamp32(left), Clamp32(top), Clamp32(left + Scale(dw, spr->scaleX)), Clamp32(top + h)};
            a.dstRect = &d;
        } else {
            a.x = Clamp32(spr->x + ox + BtlDrawOfsX);
            a.y = Clamp32(top0 + oy + BtlDrawOfsY);
        }
        Blit(a, scaled, false, PartAttr(spr->attr, page->attr, part.attr), spr->level, spr->level2);
    }
    return 1;
}

int BTL_DrawSpr2(int s) {
    const TSPR_DATA* spr = SPR_GetTSpr(s);
    if (!spr || !spr->view) return 0;
    plat::Surface* dst = Target();
    plat::Surface* src = SPR_GetSlotSurf(spr->surf);
    if (!dst || !src || !spr->scaleX || !spr->scaleY) return 1;
    // Never mirrored in place: the flip bits reach the blit only.
    const i64 x = i64(spr->x) + BtlDrawOfsX, y = i64(spr->y) - spr->height + BtlDrawOfsY;
    const i64 sw = i64(spr->src.right) - spr->src.left, sh = i64(spr->src.bottom) - spr->src.top;
    SPR_BLT_ARGS a{};
    a.dst = dst;
    a.src = src;
    a.srcRect = &spr->src;
    const bool scaled = spr->scaleX != 256 || spr->scaleY != 256 || spr->drawW != sw || spr->drawH != sh;
    RECT d{};
    if (scaled) {
        d = RECT{Clamp32(x), Clamp32(y), Clamp32(x + Scale(spr->drawW, spr->scaleX)),
                 Clamp32(y + Scale(spr->drawH, spr->scaleY))};
        a.dstRect = &d;
    } else {
        a.x = Clamp32(x);
        a.y = Clamp32(y);
    }
    Blit(a, scaled, true, spr->attr, spr->level, spr->level2);
    return 1;
}

void BTL_DrawPartSpr(int s) {
    const SPR_DATA* spr = SPR_GetSpr(s);
    if (!spr || !spr->view || !spr->scaleX || !spr->scaleY) return;
    plat::Surface* dst = Target();
    const SPR_PAGE* page = ShownPage(spr);
    if (!dst || !page || !page->parts) return;
    const u32 flips = (spr->attr ^ page->attr) & 3;
    // Flattened on the ground: at most half as high.
    const u32 flat = spr->scaleY / 2 < 127 ? spr->scaleY / 2 : 127;
    for (int i = 0; i < page->partCount; ++i) {
        const SPR_PART& part = page->parts[i];
        plat::Surface* src = SPR_GetSlotSurf(part.image);
        if (!src) continue;
        i64 ox, oy;
        PartOffset(part, flips, &ox, &oy);
        const i64 dw = i64(part.dest.right) - part.dest.left, dh = i64(part.dest.bottom) - part.dest.top;
        const i64 left = spr->x + Scale(ox, spr->scaleX) + BtlDrawOfsX;
        const i64 top = spr->y + Scale(oy, flat) + BtlDrawOfsY;
        RECT d{Clamp32(left), Clamp32(top), Clamp32(left + Scale(dw, spr->scaleX)), Clamp32(top + Scale(dh, flat))};
        SPR_BLT_ARGS a{};
        a.dst = dst;
        a.src = src;
        a.srcRect = &part.src;
        a.dstRect = &d;
        a.flags = int(PartAttr(spr->attr, page->attr, part.attr) & 3);
        if (SPR_BLT_FUNC fn = SprBltTbl[SPR_BLT_SILHOUETTE50_SCALED]) fn(SPR_BLT_SILHOUETTE50_SCALED, a);
    }
}

void BTL_DrawPartSpr2(int s) {
    const TSPR_DATA* spr = SPR_GetTSpr(s);
    if (!spr || !spr->view || !spr->scaleX || !spr->scaleY) return;
    plat::Surface* dst = Target();
    plat::Surface* src = SPR_GetSlotSurf(spr->surf);
    if (!dst || !src) return;
    const i64 x = i64(spr->x) + BtlDrawOfsX, y = i64(spr->y) + BtlDrawOfsY;
    RECT d{Clamp32(x), Clamp32(y), Clamp32(x + spr->src.right - spr->src.left),
           Clamp32(y + spr->src.bottom - spr->src.top)};
    SPR_BLT_ARGS a{};
    a.dst = dst;
    a.src = src;
    a.srcRect = &spr->src;
    a.dstRect = &d;
    a.flags = int(spr->attr & 3);
    if (SPR_BLT_FUNC fn = SprBltTbl[SPR_BLT_SILHOUETTE50_SCALED]) fn(SPR_BLT_SILHOUETTE50_SCALED, a);
}

void BTL_SetDrawOfs(i32 x, i32 y) {
    BtlDrawOfsX = x;
    BtlDrawOfsY = y;
}

// ---- the battle's draws ----

void BTL_DrawSprOnly() {
    BTL_SortSpr(PriList, WorldList);
    BTL_DrawSprList2(BTL_DrawSprList(PriList), PriList);
}

int BTL_Draw() {
    if (BtlSkipFlag) {
        BtlSkipFlag = 0;
        return 1;
    }
    switch (BTL_GetState(0)) {
        case 2:
        case 11:
        case 15:
        case 17:
        case 18:
        case 19: BTL_DrawSprOnly(); break;
        case 4:
        case 5:
        case 6:
        case 7:
        case 8:
        case 9:
        case 10:
        case 12:
        case 16:
            SCR_RenewQuake();
            BTL_DrawWorld(MapScreenX(), MapScreenY());
            break;
        default: break;
    }
    DISP_Flip();
    return 1;
}

// A closed map keeps its record but has no cells: then only the sprites are drawn.
int BTL_DrawScript() {
    SCR_RenewQuake();
    if (MAP_IsOpen())
        BTL_DrawWorld(MapData->screenX, MapData->screenY);
    else
        SPR_DrawAllSpr(-1);
    return 1;
}

void BTL_ShowDebugSpr(int flag) { SPR_SetTSprView(BtlDebugSpr, flag); }
