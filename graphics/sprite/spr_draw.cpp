// Sprite drawing in priority order, the blit choice by attribute bits, and hit rectangles.
#include "graphics/display/disp.h"
#include "graphics/sprite/spr.h"
#include "graphics/sprite/spr_blt.h"

namespace {

constexpr u16 kListEnd = 0xFFFF;

// Who is drawing: the choice differs slightly between a group sprite's part, a surface sprite and a
// page drawn directly without a sprite record.
enum class Drawer { Group, Surf, Direct };

SPR_HEAD* LiveVisible(int s) {
    SPR_HEAD* h = SPR_GetAnySpr(s);
    return h && h->view ? h : nullptr;
}

plat::Surface* DrawTarget() { return SprDrawSurf ? *SprDrawSurf : nullptr; }

int Call(int blt, SPR_BLT_ARGS& a) {
    SPR_BLT_FUNC fn = SprBltTbl[blt];
    return fn ? fn(blt, a) : 0;
}

// The first row whose bit is set chooses the blit. `a` holds the surfaces, the position (unscaled)
// or the destination rectangle (scaled) and the source rectangle.
void DrawByAttr(Drawer who, bool scaled, SPR_BLT_ARGS& a, u32 attr, i32 level, i32 level2) {
    const int flips = int(attr & 0xFF);
    auto blit = [&](int plain, int stretched, i32 l1, int flags, int key, i32 l2 = 0, i32 l3 = 0) {
        a.level = l1;
        a.level2 = l2;
        a.level3 = l3;
        a.flags = flags;
        a.key = key;
        Call(scaled ? stretched : plain, a);
    };
    const i32 colour = i32(u16(level));
    const i32 red = i32(u16(level) & 0xFF), green = i32(u16(level) >> 8);

    if ((attr & 0x4) && (attr & 0x100) && who != Drawer::Surf)
        return blit(SPR_BLT_SILHOUETTE50, SPR_BLT_SILHOUETTE50_SCALED, colour, flips, 0);
    if (attr & 0x4) return blit(SPR_BLT_ALPHA50, SPR_BLT_ALPHA50_SCALED, 0, flips, 1);
    if (attr & 0x8) return blit(SPR_BLT_ADD100, SPR_BLT_ADD100_SCALED, 0, flips, 1);
    if (attr & 0x400) return blit(SPR_BLT_ADD50, SPR_BLT_ADD50_SCALED, 0, flips, 1);
    if (attr & 0x800) return blit(SPR_BLT_ADD25, SPR_BLT_ADD25_SCALED, 0, flips, 1);
    if (attr & 0x10) return blit(SPR_BLT_SUB100, SPR_BLT_SUB100_SCALED, 0, flips, 1);
    if (attr & 0x1000) return blit(SPR_BLT_SUB50, SPR_BLT_SUB50_SCALED, 0, flips, 1);
    if (attr & 0x2000) return blit(SPR_BLT_SUB25, SPR_BLT_SUB25_SCALED, 0, flips, 1);
    // The mesh is only used stretched; in place it becomes an alpha blend at twice the level.
    if (attr & 0x20) return blit(SPR_BLT_ALPHA, SPR_BLT_MESH_SCALED, scaled ? level : 2 * level, flips, 1);
    if (attr & 0x40) return blit(SPR_BLT_ALPHA, SPR_BLT_ALPHA_SCALED, level, flips, 1);
    if (attr & 0x80) return blit(SPR_BLT_ALPHAADD, SPR_BLT_ALPHAADD_SCALED, level, flips, 1);
    if (attr & 0x100) return blit(SPR_BLT_SILHOUETTE, SPR_BLT_SILHOUETTE_SCALED, colour, flips, 0);
    if (attr & 0x200) {
        // Whitening in place; stretched it is the tone blit. A fade layer's picture whitens at 2 × level.
        const i32 white = who == Drawer::Surf ? 2 * level : level;
        return blit(SPR_BLT_WHITE, SPR_BLT_TONE_SCALED, scaled ? level : white, flips, 1);
    }
    // In place a mirror bit wins over the remaining effects; stretched, the last rows mirror.
    if (!scaled && who != Drawer::Direct && (attr & 3)) return blit(SPR_BLT_COPYFLIP, SPR_BLT_COPYFLIP, 0, flips, 1);
    if (attr & 0x4000) return blit(SPR_BLT_COPY, SPR_BLT_COPY_SCALED, 0, scaled ? flips : 0, 0);
    if (attr & 0x8000)
        return blit(SPR_BLT_DARK, SPR_BLT_DARK_SCALED, level, flips, scaled ? 1 : (level2 == 0 ? 1 : 0));
    if (attr & 0x10000) return blit(SPR_BLT_TONERGB, SPR_BLT_TONERGB_SCALED, red, flips, 1, green, level2);
    if (attr & 0x20000) return blit(SPR_BLT_ALPHARGB, SPR_BLT_ALPHARGB_SCALED, red, flips, 1, green, level2);
    if (attr & 0x40000) return blit(SPR_BLT_ALPHAADDRGB, SPR_BLT_ALPHAADDRGB_SCALED, red, flips, 1, green, level2);
    blit(SPR_BLT_COPY, SPR_BLT_COPY_SCALED, 0, scaled ? flips : 0, 1);
}

i32 Clamp32(i64 v) { return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : i32(v); }

// One axis of a sprite-relative rectangle: low edge `lo` and extent `size` at scale `scale` (256 = 1).
// The shift is arithmetic, so negative edges round towards minus infinity.
void ScaleAxis(i64 lo, i64 size, u16 scale, i32* outLo, i32* outHi) {
    if (scale != 256) {
        lo = (lo * scale) >> 8;
        size = (size * scale) >> 8;
    }
    *outLo = Clamp32(lo);
    *outHi = Clamp32(lo + size);
}

// r mirrored around the origin by bits 0 (left-right) and 1 (top-bottom), then scaled.
RECT MirrorScale(const RECT& r, u32 flips, u16 scaleX, u16 scaleY) {
    const i64 w = i64(r.right) - r.left, h = i64(r.bottom) - r.top;
    const i64 left = (flips & 1) ? -i64(r.right) : r.left;
    const i64 top = (flips & 2) ? -i64(r.bottom) : r.top;
    RECT out{};
    ScaleAxis(left, w, scaleX, &out.left, &out.right);
    ScaleAxis(top, h, scaleY, &out.top, &out.bottom);
    return out;
}

SPR_PAGE* CurrentPage(const SPR_DATA* spr) { return SPR_GetGrpPage(spr->group, int(spr->page) + spr->pageOffset); }

void DrawBySpriteKind(int s) {
    SPR_HEAD* h = LiveVisible(s);
    if (!h) return;
    switch (h->kind) {
        case SPR_KIND_GROUP: SPR_DrawSpr(s); break;
        case SPR_KIND_SURF: SPR_DrawTSpr(s); break;
        case SPR_KIND_FUNC:
            if (auto* f = static_cast<FSPR_DATA*>(h); f->func) f->func(s);
            break;
        default: break;
    }
}

// One sprite of the draw-all pass, drawn into its fade layer's picture when it belongs to an open one.
void DrawWithLayer(int s) {
    SPR_HEAD* h = LiveVisible(s);  // an earlier sprite's callback may have deleted or hidden it
    if (!h) return;
    plat::Surface** target = SprDrawSurf;
    if (!target) return DrawBySpriteKind(s);
    plat::Surface* saved = *target;
    const i32 layer = h->layer;
    if (layer >= 0 && layer < SPR_LAYER_MAX && SprLayerTbl[layer].open) *target = SPR_GetSlotSurf(SprLayerTbl[layer].surf);
    DrawBySpriteKind(s);
    *target = saved;
}

}  // namespace

void SPR_SortSpr(u16* list) {
    int count = 0;
    for (int s = SPR_MAX - 1; s >= 0; --s) {
        SPR_HEAD* h = LiveVisible(s);
        if (!h) continue;
        // Behind every entry of equal or higher priority.
        int at = 0;
        while (at < count && SprTbl[list[at]]->priority >= h->priority) ++at;
        for (int i = count; i > at; --i) list[i] = list[i - 1];
        list[at] = u16(s);
        ++count;
    }
    list[count] = kListEnd;
}

void SPR_DrawAllSpr(int priority) {
    if (priority < 0) {
        u16 list[SPR_MAX + 1];
        SPR_SortSpr(list);
        for (int i = 0; list[i] != kListEnd; ++i) DrawWithLayer(list[i]);
        return;
    }
    for (int s = SPR_MAX - 1; s >= 0; --s) {
        SPR_HEAD* h = LiveVisible(s);
        if (h && h->priority == priority) DrawWithLayer(s);
    }
}

void SPR_DrawSpr(int s) {
    SPR_DATA* spr = SPR_GetSpr(s);
    if (!spr || !spr->view) return;
    plat::Surface* dst = DrawTarget();
    SPR_PAGE* page = CurrentPage(spr);
    if (!dst || !page || !page->parts) return;
    const u32 flips = (spr->attr ^ page->attr) & 3;
    const bool spriteBlends = (spr->attr & ~3u) != 0;
    const i32 y0 = i32(spr->y) - spr->height;
    for (int i = 0; i < page->partCount; ++i) {
        const SPR_PART& part = page->parts[i];
        plat::Surface* src = SPR_GetSlotSurf(part.image);
        if (!src) continue;
        // Blend bits from the sprite when it has any, else from the part; the mirror bits of all three.
        const u32 attr = spriteBlends ? spr->attr ^ ((u32(part.attr) ^ page->attr) & 3)
                                      : u32(part.attr) ^ ((spr->attr ^ page->attr) & 3);
        const i64 dw = i64(part.dest.right) - part.dest.left, dh = i64(part.dest.bottom) - part.dest.top;
        const i64 sw = i64(part.src.right) - part.src.left, sh = i64(part.src.bottom) - part.src.top;
        SPR_BLT_ARGS a{};
        a.dst = dst;
        a.src = src;
        a.srcRect = &part.src;
        if (spr->scaleX == 256 && spr->scaleY == 256 && dw == sw && dh == sh) {
            const i64 px = (flips & 1) ? -i64(part.dest.right) : part.dest.left;
            const i64 py = (flips & 2) ? -i64(part.dest.bottom) : part.dest.top;
            a.x = Clamp32(spr->x + px + SprDrawOffsetX);
            a.y = Clamp32(y0 + py + SprDrawOffsetY);
            DrawByAttr(Drawer::Group, false, a, attr, spr->level, spr->level2);
        } else {
            RECT r = MirrorScale(part.dest, flips, spr->scaleX, spr->scaleY);
            const i64 ox = i64(spr->x) + SprDrawOffsetX, oy = i64(y0) + SprDrawOffsetY;
            RECT d{Clamp32(r.left + ox), Clamp32(r.top + oy), Clamp32(r.right + ox), Clamp32(r.bottom + oy)};
            a.dstRect = &d;
            DrawByAttr(Drawer::Group, true, a, attr, spr->level, spr->level2);
        }
    }
}

void SPR_DrawTSpr(int s) {
    TSPR_DATA* spr = SPR_GetTSpr(s);
    if (!spr || !spr->view) return;
    plat::Surface* dst = DrawTarget();
    plat::Surface* src = SPR_GetSlotSurf(spr->surf);
    if (!dst || !src) return;
    const i64 x = i64(spr->x) + SprDrawOffsetX;
    const i64 y = i64(spr->y) - spr->height + SprDrawOffsetY;
    SPR_BLT_ARGS a{};
    a.dst = dst;
    a.src = src;
    a.srcRect = &spr->src;
    const i64 sw = i64(spr->src.right) - spr->src.left, sh = i64(spr->src.bottom) - spr->src.top;
    if (spr->scaleX == 256 && spr->scaleY == 256 && spr->drawW == sw && spr->drawH == sh) {
        a.x = Clamp32(x);
        a.y = Clamp32(y);
        DrawByAttr(Drawer::Surf, false, a, spr->attr, spr->level, spr->level2);
        return;
    }
    // The position is not mirrored; only the blit mirrors.
    const i64 w = spr->scaleX == 256 ? spr->drawW : (i64(spr->drawW) * spr->scaleX) >> 8;
    const i64 h = spr->scaleY == 256 ? spr->drawH : (i64(spr->drawH) * spr->scaleY) >> 8;
    RECT d{Clamp32(x), Clamp32(y), Clamp32(x + w), Clamp32(y + h)};
    a.dstRect = &d;
    DrawByAttr(Drawer::Surf, true, a, spr->attr, spr->level, spr->level2);
}

int SPR_GetHitRect(int s, int n, RECT* out) {
    SPR_DATA* spr = SPR_GetSpr(s);
    if (!spr || n < 0 || n >= SPR_HIT_MAX || !out) return 0;
    const SPR_PAGE* page = CurrentPage(spr);
    if (!page) return 0;
    *out = MirrorScale(page->hit[n], spr->attr, spr->scaleX, spr->scaleY);
    return 1;
}

int SPR_GetHitRectScr(int s, int n, RECT* out) {
    RECT r;
    if (!SPR_GetHitRect(s, n, &r)) return 0;
    const SPR_DATA* spr = SPR_GetSpr(s);
    const i64 x = i64(spr->x) + SprDrawOffsetX, y = i64(spr->y) + SprDrawOffsetY;
    *out = RECT{Clamp32(r.left + x), Clamp32(r.top + y), Clamp32(r.right + x), Clamp32(r.bottom + y)};
    return 1;
}

int SPR_GetPartRect(int s, int n, RECT* out) {
    SPR_DATA* spr = SPR_GetSpr(s);
    if (!spr || !out) return 0;
    const SPR_PAGE* page = CurrentPage(spr);
    if (!page || !page->parts || n < 0 || n >= page->partCount) return 0;
    *out = MirrorScale(page->parts[n].dest, page->attr, spr->scaleX, spr->scaleY);
    return 1;
}

int SPR_GetTSprRect(int s, RECT* out) {
    TSPR_DATA* spr = SPR_GetTSpr(s);
    if (!spr || !out) return 0;
    *out = MirrorScale(spr->src, spr->attr, spr->scaleX, spr->scaleY);
    return 1;
}

u32 SPR_CheckHitPoint(int s, i32 x, i32 y) {
    u32 bits = 0;
    RECT r;
    for (int n = 0; n < SPR_HIT_MAX; ++n)
        if (SPR_GetHitRect(s, n, &r) && r.left <= x && x < r.right && r.top <= y && y < r.bottom) bits |= 1u << n;
    return bits;
}

u32 SPR_CheckHitRect(int s, const RECT* q) {
    if (!q) return 0;
    u32 bits = 0;
    RECT r;
    for (int n = 0; n < SPR_HIT_MAX; ++n)
        if (SPR_GetHitRect(s, n, &r) && r.left < q->right && r.right > q->left && r.top < q->bottom &&
            r.bottom > q->top)
            bits |= 1u << n;
    return bits;
}

void SPR_DrawAllSpr2(int slot, int s) {
    if (slot == -1) return DrawBySpriteKind(s);
    // A slot that holds nothing draws nothing; the target still ends on the back buffer.
    if (slot >= 0 && slot < SURF_SLOT_MAX && SurfTbl[slot].useCount) {
        SprDrawSurf = &SurfTbl[slot].surface;
        DrawBySpriteKind(s);
    }
    SprDrawSurf = &DispBackBuffer;
}

void SPR_DrawSpr2(plat::Surface* dst, int x, int y, int group, int page, u32 attr, int level, int level2) {
    const SPR_PAGE* p = SPR_GetGrpPage(group, page);
    if (!dst || !p || !p->parts) return;
    for (int i = 0; i < p->partCount; ++i) {
        const SPR_PART& part = p->parts[i];
        plat::Surface* src = SPR_GetSlotSurf(part.image);
        if (!src) continue;
        SPR_BLT_ARGS a{};
        a.dst = dst;
        a.src = src;
        a.srcRect = &part.src;
        a.x = Clamp32(i64(x) + part.dest.left + SprDrawOffsetX);
        a.y = Clamp32(i64(y) + part.dest.top + SprDrawOffsetY);
        DrawByAttr(Drawer::Direct, false, a, attr, level, level2);
    }
}
