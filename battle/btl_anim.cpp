// The battle's sprite animation step, which takes shot and technique waits and tells the owning object
// when a sequence ends, and the draw services around the renderer: the draw skip, the offset copy, the
// world redraw into the work surface, the zoom rectangle and the hit-rectangle overlay.
#include <algorithm>

#include "battle/battle.h"
#include "battle/btl_draw.h"
#include "battle/data/tama_data.h"
#include "battle/data/waza_data.h"
#include "battle/effect/eft.h"
#include "battle/map/map.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "battle/object/obj_ref.h"
#include "battle/tama/tama.h"
#include "graphics/blit/prim.h"
#include "graphics/display/disp.h"
#include "graphics/sprite/spr_blt.h"
#include "shell/input/cur.h"
#include "shell/sys.h"

BTL_ZOOM_RECT BtlZoomRect{};

namespace {

constexpr i16 kNoSprite = -999;
constexpr int kSeqMode = 4;

i32 Clamp32(i64 v) { return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : i32(v); }

const SPR_SEQ* Sequence(const SPR_DATA* spr) {
    const int seq = spr->step;
    if (seq < 0 || seq >= SPR_SEQ_MAX || spr->group >= SPRGRP_MAX) return nullptr;
    const SPR_SEQ* q = &SprSeqTbl[spr->group][seq];
    return q->count && q->steps ? q : nullptr;
}

// What the owner makes of a sequence step: the waits it keeps per step (steps beyond them use their
// own) and, when its current step or frame can be read, whether the sequence loops.
struct OwnerRule {
    const u16* waits = nullptr;
    int waitCount = 0;
    bool decides = false;
    bool loop = false;
};

OwnerRule RuleOf(LIST_DATA* owner) {
    OwnerRule rule;
    if (!owner) return rule;
    if (owner->kind == OBJ_KIND_SHOT && owner->tama) {
        const TAMA_WORK* t = owner->tama;
        rule.waits = t->waits;
        rule.waitCount = TAMA_WAIT_MAX;
        if (t->weapon && t->phase < TAMA_PHASE_MAX && t->step < TAMA_STEP_MAX) {
            const TAMA_STEP& st = t->weapon->phase[t->phase].step[t->step];
            rule.decides = true;
            rule.loop = st.timing == 2 || st.timing == 3 || st.duration == 255;
        }
    } else if (owner->kind == OBJ_KIND_MEKA && owner->meka && (owner->meka->subAct == 1 || owner->meka->subAct == 2)) {
        // A technique that cannot be read counts as none running.
        if (const WAZA_FRAME* f = OBJ_GetMekaFrame(owner)) {
            rule.waits = owner->meka->frameWait;
            rule.waitCount = MEKA_WAIT_MAX;
            rule.decides = true;
            rule.loop = f->waitMode == 2 || f->waitMode == 3 || f->waitMode == 4 || f->wait == 255;
        }
    }
    return rule;
}

void SetEndFlag(LIST_DATA* owner) {
    if (!owner) return;
    if (owner->kind == OBJ_KIND_MEKA && owner->meka) owner->meka->frameDone = 1;
    else if (owner->kind == OBJ_KIND_SHOT && owner->tama) owner->tama->animeEnd = 1;
    else if (owner->kind == OBJ_KIND_EFFECT && owner->eft) owner->eft->kill = 1;
}

// The owner forgets the handle, so its own release later cannot delete whatever takes the slot next.
void DeleteFinished(int s, LIST_DATA* owner) {
    SPR_DelSpr(s);
    if (owner && owner->spr == s) owner->spr = kNoSprite;
}

void PlaceZoomRect() {
    BTL_ZOOM_RECT& z = BtlZoomRect;
    i64 l = i64(z.x) - z.size, t = i64(z.y) - z.size, r = i64(z.x) + z.size, b = i64(z.y) + z.size;
    if (l < 0) r -= l, l = 0;
    if (r > z.limitX) l -= r - z.limitX, r = z.limitX;
    if (t < 0) b -= t, t = 0;
    if (b > z.limitY) t -= b - z.limitY, b = z.limitY;
    z.left = Clamp32(l);
    z.top = Clamp32(t);
    z.right = Clamp32(r);
    z.bottom = Clamp32(b);
}

// Rectangle n's colour: one of the seven full mixes of red, green and blue, never black.
u16 HitColour(int n) {
    const int k = n % 7 + 1;
    return DISP_PackRGB(k & 1 ? 255 : 0, k & 2 ? 255 : 0, k & 4 ? 255 : 0);
}

}  // namespace

void BTL_RenewSprAnim(int pause) {
    for (int s = 0; s < SPR_MAX; ++s) {
        SPR_DATA* spr = SPR_GetSpr(s);
        if (!spr || !spr->running) continue;
        LIST_DATA* owner = OBJ_Get(spr->owner);
        if (pause && owner && owner->kind != OBJ_KIND_EFFECT && owner->kind != OBJ_KIND_CHIP) continue;
        if (--spr->wait >= 0) continue;

        if (spr->mode == kSeqMode) {
            const SPR_SEQ* q = Sequence(spr);
            if (!q) {
                SPR_StopAnime(s);
                continue;
            }
            const OwnerRule rule = RuleOf(owner);
            if (rule.decides) spr->last = rule.loop ? 1 : 0;
            int step = spr->first + 1;
            if (step >= q->count) {
                if (!spr->last) {
                    SPR_StopAnime(s);
                    spr->first = u16(q->count - 1);
                    if (spr->autoDelete) DeleteFinished(s, owner);
                    SetEndFlag(owner);
                    continue;
                }
                step = 0;
            }
            spr->first = u16(step);
            spr->page = q->steps[step].page;
            spr->wait = i16(step < rule.waitCount ? rule.waits[step] : q->steps[step].wait);
            continue;
        }

        if (!SPR_StepPage(spr)) {
            SPR_StopAnime(s);
            if (spr->autoDelete) DeleteFinished(s, owner);
        }
    }
}

void BTL_SkipDraw() { BtlSkipFlag = 1; }

void BTL_DrawSurfOfs(int surf, int x, int y, const RECT* src) {
    plat::Surface* dst = SprDrawSurf ? *SprDrawSurf : nullptr;
    plat::Surface* from = SPR_GetSlotSurf(surf);
    if (!dst || !from) return;
    SPR_BLT_ARGS a{};
    a.dst = dst;
    a.x = Clamp32(i64(x) + BtlDrawOfsX);
    a.y = Clamp32(i64(y) + BtlDrawOfsY);
    a.src = from;
    a.srcRect = src;
    a.key = 1;
    if (SPR_BLT_FUNC fn = SprBltTbl[SPR_BLT_COPY]) fn(SPR_BLT_COPY, a);
}

void BTL_RedrawMap() {
    CUR_Show(0);
    if (SPR_GetSlotSurf(ScreenWorkSurf)) {
        SPR_SetDrawSurf(&SurfTbl[ScreenWorkSurf].surface);
        BTL_DrawWorld(MapData ? MapData->screenX : 0, MapData ? MapData->screenY : 0);
        SPR_SetDrawSurf(&DispBackBuffer);
    }
    CUR_Show(1);
}

int BTL_StartZoomRect(int endMode, i32 x, i32 y, i32 limitX, i32 limitY, i32 size, i32 target, i32 step) {
    if (size == target || step <= 0) return 1;
    const i32 signedStep = target < size ? -step : step;
    BtlZoomRect = BTL_ZOOM_RECT{1, endMode, x, y, limitX, limitY, signedStep, size, target, 0, 0, 0, 0};
    PlaceZoomRect();
    return 0;
}

int BTL_RenewZoomRect() {
    BTL_ZOOM_RECT& z = BtlZoomRect;
    if (z.state == 0) return -1;
    if (z.state == 1) {
        i64 size = i64(z.size) + z.step;
        if ((z.step > 0 && size >= z.target) || (z.step < 0 && size <= z.target)) {
            size = z.target;
            z.state = 2;
        }
        z.size = i32(size);
        PlaceZoomRect();
        if (z.state == 1) return 0;
    }
    if (z.endMode == 1) {
        z = BTL_ZOOM_RECT{};
        return 2;
    }
    return 1;
}

void BTL_DrawHitRect(const i16* list, i32 x, i32 y) {
    SPR_SetDrawOffset(x, y);
    plat::Surface* dst = DispBackBuffer;
    if (!dst || !list) return;
    for (int i = 0; list[i] != BTL_LIST_END; ++i) {
        const SPR_DATA* spr = SPR_GetSpr(list[i]);
        if (!spr || !OBJ_Get(spr->owner)) continue;
        for (int n = 0; n < SPR_HIT_MAX; ++n) {
            RECT r;
            if (!SPR_GetHitRectScr(list[i], n, &r) || r.left >= r.right || r.top >= r.bottom) continue;
            PRIM_RectLock(dst, r.left, r.top, r.right - 1, r.bottom - 1, HitColour(n));
        }
    }
    const i32 cx = (MapData ? MapData->halfViewW : 320) + x, cy = (MapData ? MapData->halfViewH : 240) + y;
    PRIM_CircleLock(dst, cx, cy, 3, DISP_PackRGB(255, 255, 255));
}
