// Handle-checking wrappers over the sprite table and the surface slots.
#include "graphics/sprite/spr.h"

namespace {

int DelArray(int* handles, int n, int (*del)(int)) {
    int done = 0;
    for (; done < n; ++done) handles[done] = del(handles[done]);
    return done;
}

}  // namespace

int SPR_DelSprDat2(int s) { return SPR_DelSpr(s) ? -1 : s; }
int SPR_DelSprDat3(int* handles, int n) { return DelArray(handles, n, SPR_DelSprDat2); }
int SPR_DelTSprDat2(int s) { return SPR_DelSprDat2(s); }
int SPR_DelTSprDat3(int* handles, int n) { return DelArray(handles, n, SPR_DelTSprDat2); }

int SPR_DelSurfDat2(int slot) {
    if (slot >= 0 && SPR_DelSurfDat(slot)) return -1;
    return slot;
}

int SPR_SetSprPos(int s, int x, int y) {
    SPR_HEAD* h = SPR_GetAnySpr(s);
    if (!h) return 0;
    h->x = i16(x);
    h->y = i16(y);
    return 1;
}

int SPR_SetSprPri(int s, int priority) {
    SPR_HEAD* h = SPR_GetAnySpr(s);
    if (!h) return 0;
    h->priority = i16(priority);
    return 1;
}

int SPR_SetSprPage(int s, int page) {
    SPR_DATA* spr = SPR_GetSpr(s);
    if (!spr) return 0;
    spr->page = u16(page);
    return 1;
}

int SPR_SetSprAttrCnt1(int s, int level) {
    SPR_DATA* spr = SPR_GetSpr(s);
    if (!spr) return 0;
    spr->level = i16(level);
    return 1;
}

int SPR_SetSprAttrCnt2(int s, int level2) {
    SPR_DATA* spr = SPR_GetSpr(s);
    if (!spr) return 0;
    spr->level2 = i16(level2);
    return 1;
}

int SPR_SetSprView(int s, int flag) {
    SPR_HEAD* h = SPR_GetAnySpr(s);
    if (!h) return 0;
    h->view = u8(flag);
    return 1;
}

int SPR_SetTSprPos(int s, int x, int y) {
    TSPR_DATA* spr = SPR_GetTSpr(s);
    if (!spr) return 0;
    spr->x = i16(x);
    spr->y = i16(y);
    return 1;
}

int SPR_SetTSprAttrCnt1(int s, int level) {
    TSPR_DATA* spr = SPR_GetTSpr(s);
    if (!spr) return 0;
    spr->level = i16(level);
    return 1;
}

int SPR_SetTSprAttrCnt2(int s, int level2) {
    TSPR_DATA* spr = SPR_GetTSpr(s);
    if (!spr) return 0;
    spr->level2 = i16(level2);
    return 1;
}

int SPR_SetTSprView(int s, int flag) { return SPR_SetSprView(s, flag); }
int SPR_SetFSprView(int s, int flag) {
    FSPR_DATA* spr = SPR_GetFSpr(s);
    if (!spr) return 0;
    spr->view = u8(flag);
    return 1;
}

int SPR_SetTSprRect(int s, int x, int y, int w, int h) {
    TSPR_DATA* spr = SPR_GetTSpr(s);
    if (!spr) return 0;
    spr->src = RECT{x, y, x + w, y + h};
    spr->drawW = u16(w);
    spr->drawH = u16(h);
    return 1;
}

int SPR_SetTSprSurf(int s, int surf, const RECT* rect) {
    TSPR_DATA* spr = SPR_GetTSpr(s);
    if (!spr) return 0;
    RECT r{};
    if (rect) {
        r = *rect;
    } else {
        plat::SurfaceDesc desc{};
        plat::Surface* surface = SPR_GetSlotSurf(surf);
        if (surface && SURF_GetDesc(surface, &desc) == 0) r = RECT{0, 0, i32(desc.width), i32(desc.height)};
    }
    spr->src = r;
    spr->surf = u16(surf);
    spr->drawW = u16(r.right - r.left);
    spr->drawH = u16(r.bottom - r.top);
    return 1;
}

int SPR_GetSurfSize(int slot, i32* width, i32* height) {
    plat::Surface* surface = SPR_GetSlotSurf(slot);
    if (!surface) return -1;
    plat::SurfaceDesc desc{};
    if (SURF_GetDesc(surface, &desc) != 0) return -1;
    if (width) *width = i32(desc.width);
    if (height) *height = i32(desc.height);
    return slot;
}

int SPR_GetTSprSize(int slot, i32* width, i32* height) {
    plat::Surface* surface = SPR_GetSlotSurf(slot);
    plat::SurfaceDesc desc{};
    if (!surface || SURF_GetDesc(surface, &desc) != 0) return 0;
    if (width) *width = i32(desc.width);
    if (height) *height = i32(desc.height);
    return 1;
}
