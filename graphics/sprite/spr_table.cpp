// The sprite table, its records and the per-frame animation step.
#include <cstring>
#include <new>

#include "graphics/display/disp.h"
#include "graphics/sprite/spr.h"
#include "platform/memory.h"

SPR_HEAD* SprTbl[SPR_MAX];
plat::Surface** SprDrawSurf = nullptr;
i32 SprDrawOffsetX = 0;
i32 SprDrawOffsetY = 0;

namespace {

bool ValidNo(int s) { return s >= 0 && s < SPR_MAX; }

template <typename T>
T* NewRecord(int s, u8 kind) {
    SPR_DelSpr(s);
    void* block = plat::GlobalAllocZero(sizeof(T));
    if (!block) return nullptr;
    T* rec = new (block) T{};
    rec->kind = kind;
    rec->savedView = -1;
    rec->view = 1;
    rec->layer = 0;
    SprTbl[s] = rec;
    return rec;
}

// The wait of page p of the sprite's group (read without the page offset); 0 for a page that is
// not there.
i16 PageWait(const SPR_DATA* spr, int page) {
    const SPR_PAGE* p = SPR_GetGrpPage(spr->group, page);
    return p ? i16(p->wait) : 0;
}

const SPR_SEQ* Sequence(const SPR_DATA* spr, int seq) {
    if (seq < 0 || seq >= SPR_SEQ_MAX || spr->group >= SPRGRP_MAX) return nullptr;
    const SPR_SEQ* q = &SprSeqTbl[spr->group][seq];
    return q->count && q->steps ? q : nullptr;
}

void Stop(SPR_DATA* spr) {
    spr->running = 0;
    spr->mode = 0;
    spr->first = 0;
    spr->last = 0;
    spr->step = 0;
    spr->wait = 0;
}

}  // namespace

SPR_HEAD* SPR_GetAnySpr(int s) { return ValidNo(s) && SprTbl[s] && SprTbl[s]->kind ? SprTbl[s] : nullptr; }

SPR_DATA* SPR_GetSpr(int s) {
    SPR_HEAD* h = SPR_GetAnySpr(s);
    return h && h->kind == SPR_KIND_GROUP ? static_cast<SPR_DATA*>(h) : nullptr;
}

TSPR_DATA* SPR_GetTSpr(int s) {
    SPR_HEAD* h = SPR_GetAnySpr(s);
    return h && h->kind == SPR_KIND_SURF ? static_cast<TSPR_DATA*>(h) : nullptr;
}

FSPR_DATA* SPR_GetFSpr(int s) {
    SPR_HEAD* h = SPR_GetAnySpr(s);
    return h && h->kind == SPR_KIND_FUNC ? static_cast<FSPR_DATA*>(h) : nullptr;
}

int SPR_Init() {
    SPR_Release();
    SprDrawSurf = &DispBackBuffer;
    return 1;
}

void SPR_Release() {
    SprDrawSurf = nullptr;
    SprDrawOffsetX = 0;
    SprDrawOffsetY = 0;
    for (int g = 0; g < SPRGRP_MAX; ++g) SPR_DelSprGrp(g);
    std::memset(SprPageTbl, 0, sizeof(SprPageTbl));
    std::memset(SprSeqTbl, 0, sizeof(SprSeqTbl));
    std::memset(SprGrpTbl, 0, sizeof(SprGrpTbl));
    for (auto& rec : SprTbl) {
        plat::GlobalFree(rec);
        rec = nullptr;
    }
}

int SPR_GetFreeSpr() {
    for (int s = 0; s < SPR_MAX; ++s)
        if (!SprTbl[s]) return s;
    return -1;
}

int SPR_GetFreeWorldSpr() {
    for (int s = 0; s < SPR_WORLD_MAX; ++s)
        if (!SprTbl[s]) return s;
    return -1;
}

int SPR_CreateSpr(int s, int priority, int x, int y, int group, int page) {
    if (!ValidNo(s) || group < 0 || group >= SPRGRP_MAX || !SprPageTbl[group]) return 0;
    auto* spr = NewRecord<SPR_DATA>(s, SPR_KIND_GROUP);
    if (!spr) return 0;
    spr->owner = -999;
    spr->priority = i16(priority);
    spr->x = i16(x);
    spr->y = i16(y);
    spr->scaleX = 256;
    spr->scaleY = 256;
    spr->group = u16(group);
    spr->page = u16(page);
    spr->savedRunning = 0;
    return 1;
}

int SPR_CreateTSpr(int s, int priority, int x, int y, int surf, const RECT* src) {
    plat::Surface* surface = SPR_GetSlotSurf(surf);
    if (!ValidNo(s) || surf < 0 || surf >= SURF_SLOT_MAX || SurfTbl[surf].useCount == 0) return 0;
    RECT r{};
    if (src) {
        r = *src;
    } else {
        plat::SurfaceDesc desc{};
        if (surface && SURF_GetDesc(surface, &desc) == 0) r = RECT{0, 0, i32(desc.width), i32(desc.height)};
    }
    auto* spr = NewRecord<TSPR_DATA>(s, SPR_KIND_SURF);
    if (!spr) return 0;
    spr->owner = -999;
    spr->priority = i16(priority);
    spr->x = i16(x);
    spr->y = i16(y);
    spr->scaleX = 256;
    spr->scaleY = 256;
    spr->surf = u16(surf);
    spr->src = r;
    spr->drawW = u16(r.right - r.left);
    spr->drawH = u16(r.bottom - r.top);
    return 1;
}

int SPR_CreateFSpr(int s, int priority, SPR_DRAW_FUNC func) {
    if (!ValidNo(s)) return 0;
    auto* spr = NewRecord<FSPR_DATA>(s, SPR_KIND_FUNC);
    if (!spr) return 0;
    spr->owner = 0;
    spr->priority = i16(priority);
    spr->func = func;
    return 1;
}

int SPR_DelSpr(int s) {
    if (!ValidNo(s) || !SprTbl[s]) return 0;
    plat::GlobalFree(SprTbl[s]);
    SprTbl[s] = nullptr;
    return 1;
}

int SPR_IsSpr(int s) { return SPR_GetAnySpr(s) ? 1 : 0; }

int SPR_SetSprObjNo(int s, int owner) {
    SPR_HEAD* h = SPR_GetAnySpr(s);
    if (!h) return 0;
    h->owner = i16(owner);
    return 1;
}

int SPR_GetSprPartCnt(int s) {
    SPR_DATA* spr = SPR_GetSpr(s);
    if (!spr) return -1;
    const SPR_PAGE* page = SPR_GetGrpPage(spr->group, spr->page + spr->pageOffset);
    return page ? page->partCount : 0;
}

int SPR_SetSprScale(int s, int scaleX, int scaleY) {
    SPR_DATA* spr = SPR_GetSpr(s);
    if (!spr) return 0;
    if (scaleX >= 0) spr->scaleX = u16(scaleX);
    if (scaleY >= 0) spr->scaleY = u16(scaleY);
    return 1;
}

int SPR_SetTSprScale(int s, int scaleX, int scaleY) {
    TSPR_DATA* spr = SPR_GetTSpr(s);
    if (!spr) return 0;
    if (scaleX >= 0) spr->scaleX = u16(scaleX);
    if (scaleY >= 0) spr->scaleY = u16(scaleY);
    return 1;
}

int SPR_SetSprAttr(int s, u32 attr) {
    SPR_DATA* spr = SPR_GetSpr(s);
    if (!spr) return 0;
    spr->attr = attr;
    return 1;
}

int SPR_SetTSprAttr(int s, u32 attr) {
    TSPR_DATA* spr = SPR_GetTSpr(s);
    if (!spr) return 0;
    spr->attr = attr;
    return 1;
}

int SPR_SetSprLayer(int s, int layer) {
    SPR_HEAD* h = SPR_GetAnySpr(s);
    if (!h) return 0;
    h->layer = layer;
    return 1;
}

int SPR_SetSprView2(int s, int flag) {
    SPR_DATA* spr = SPR_GetSpr(s);
    if (!spr) return 0;
    spr->view2 = u8(flag);
    return 1;
}

void SPR_SetViewAll(int flag) {
    for (int s = 0; s < SPR_MAX; ++s) {
        SPR_HEAD* h = SPR_GetAnySpr(s);
        if (!h) continue;
        h->savedView = i8(h->view);
        h->view = u8(flag);
    }
}

void SPR_RestoreViewAll() {
    for (int s = 0; s < SPR_MAX; ++s) {
        SPR_HEAD* h = SPR_GetAnySpr(s);
        if (!h || h->savedView < 0) continue;
        h->view = u8(h->savedView);
        h->savedView = -1;
    }
}

void SPR_SetAnimeAll(int flag) {
    for (int s = 0; s < SPR_MAX; ++s) {
        SPR_DATA* spr = SPR_GetSpr(s);
        if (!spr) continue;
        spr->savedRunning = i8(spr->running);
        spr->running = u8(flag);
    }
}

void SPR_RestoreAnimeAll() {
    for (int s = 0; s < SPR_MAX; ++s) {
        SPR_DATA* spr = SPR_GetSpr(s);
        if (!spr || spr->savedRunning < 0) continue;
        spr->running = u8(spr->savedRunning);
        spr->savedRunning = -1;
    }
}

int SPR_SetAnime(int s, int mode, int first, int last) {
    SPR_DATA* spr = SPR_GetSpr(s);
    if (!spr) return 0;
    spr->running = 1;
    if (first > last) {
        spr->mode = u8(mode);
        spr->first = u16(last);
        spr->last = u16(first);
        spr->step = -1;
        spr->wait = PageWait(spr, last > 0 ? last - 1 : 0);
        // Backwards ranges start at their upper page and step down.
        spr->page = u16(first);
        return 1;
    }
    spr->mode = first == last ? 0 : u8(mode);
    spr->step = first == last ? 0 : 1;
    spr->page = u16(first);
    spr->first = u16(first);
    spr->last = u16(last);
    spr->wait = PageWait(spr, first);
    return 1;
}

int SPR_SetSeq(int s, int seq, int loop, int restart) {
    SPR_DATA* spr = SPR_GetSpr(s);
    if (!spr) return 0;
    const SPR_SEQ* q = Sequence(spr, seq);
    if (!q) return 0;
    spr->running = 1;
    spr->mode = 4;
    spr->step = i16(seq);
    spr->last = u16(loop);
    if (restart) {
        spr->first = 0;
        spr->page = q->steps[0].page;
        spr->wait = i16(q->steps[0].wait + 1);
    }
    return 1;
}

int SPR_StopAnime(int s) {
    SPR_DATA* spr = SPR_GetSpr(s);
    if (!spr) return 0;
    Stop(spr);
    return 1;
}

int SPR_IsAnime(int s) {
    SPR_DATA* spr = SPR_GetSpr(s);
    return spr && spr->running ? 1 : 0;
}

int SPR_SetAnimeMode(int s, int mode) {
    SPR_DATA* spr = SPR_GetSpr(s);
    if (!spr) return 0;
    spr->mode = u8(mode);
    return 1;
}

int SPR_SetAnimeDel(int s, int flag) {
    SPR_DATA* spr = SPR_GetSpr(s);
    if (!spr) return 0;
    spr->autoDelete = flag != 0;
    return 1;
}

int SPR_SetSeqStep(int s, int seq, int step) {
    SPR_DATA* spr = SPR_GetSpr(s);
    if (!spr) return 0;
    const SPR_SEQ* q = Sequence(spr, seq);
    if (!q || step < 0 || step >= q->count) return 0;
    spr->page = q->steps[step].page;
    spr->running = 0;
    return 1;
}

int SPR_StepPage(SPR_DATA* spr) {
    const u16 old = spr->page;
    spr->page = u16(spr->page + spr->step);
    const u16 page = spr->page;
    const bool inside = page > spr->first && page < spr->last;
    switch (spr->mode) {
        case 1:
            if (!inside) {
                spr->step = i16(-spr->step);
                spr->mode = 0;
            }
            break;
        case 2:
            if (page < spr->first || page > spr->last) spr->page = spr->step < 1 ? spr->last : spr->first;
            break;
        case 3:
            if (!inside) spr->step = i16(-spr->step);
            break;
        default:
            if (!inside) {
                spr->page = old;
                return 0;
            }
            break;
    }
    spr->wait = spr->step >= 1 ? PageWait(spr, spr->page) : PageWait(spr, spr->page ? spr->page - 1 : 0);
    return 1;
}

void SPR_RenewAnime() {
    for (int s = 0; s < SPR_MAX; ++s) {
        SPR_DATA* spr = SPR_GetSpr(s);
        if (!spr || !spr->running) continue;
        if (--spr->wait >= 0) continue;

        if (spr->mode == 4) {
            const SPR_SEQ* q = Sequence(spr, spr->step);
            if (!q) {
                Stop(spr);
                continue;
            }
            ++spr->first;
            if (spr->first >= q->count) {
                if (!spr->last) {
                    Stop(spr);
                    spr->first = u16(q->count - 1);
                    if (spr->autoDelete) SPR_DelSpr(s);
                    continue;
                }
                spr->first = 0;
            }
            spr->page = q->steps[spr->first].page;
            spr->wait = i16(q->steps[spr->first].wait);
            continue;
        }

        if (!SPR_StepPage(spr)) {
            Stop(spr);
            if (spr->autoDelete) SPR_DelSpr(s);
        }
    }
    SPR_RenewLayer();
}
