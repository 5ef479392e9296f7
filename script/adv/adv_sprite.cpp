#include "script/adv/adv_sprite.h"

#include <algorithm>
#include <cstring>

#include "graphics/blit/blt.h"
#include "graphics/blit/drw.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/clock.h"
#include "platform/memory.h"
#include "script/core/ass_func.h"
#include "shell/common.h"

ADV_SPR AdvSprTbl[ADV_SPR_MAX];

namespace {

ADV_SQUARE_FUNC SquareFunc = DSW_DrawSquare;

bool ValidSlot(int slot) { return slot >= 0 && slot < ADV_SPR_MAX; }
ADV_SPR* InUse(int slot) { return ValidSlot(slot) && AdvSprTbl[slot].use ? &AdvSprTbl[slot] : nullptr; }
i32 BaseKind(const ADV_SPR& a) { return a.kind & 15; }

void ClearSlot(ADV_SPR& a) {
    a = ADV_SPR{};
    a.state = ADV_STATE_FREE;
    a.grp = -1;
    a.spr = -1;
    a.surf = -1;
}

// Elapsed ms since the fade's start, never negative.
i64 Elapsed(const ADV_SPR& a) { return std::max<i64>(0, i32(plat::GetTimeMs() - a.fadeStart)); }

u32 KeyOf(const plat::Surface* s) { return s->hasColorKey ? s->colorKeyLow : DRW_NO_KEY; }

plat::Surface* DrawTarget() { return SprDrawSurf ? *SprDrawSurf : nullptr; }

// The alpha of group sprites and movies: attribute 64 at 0..31 while a fade runs, cleared after.
void SetFadeAlpha(const ADV_SPR& a, i32 level) {
    SPR_SetSprAttr(a.spr, 64);
    SPR_SetSprAttrCnt1(a.spr, level);
}

void ClearFadeAlpha(const ADV_SPR& a) {
    SPR_SetSprAttr(a.spr, 0);
    SPR_SetSprAttrCnt1(a.spr, 0);
}

void SetView(const ADV_SPR& a, int flag) { SPR_SetSprView(a.spr, flag); }

// A fade that ended or never ran: shown at full, without the fade's alpha.
void FinishShow(ADV_SPR& a) {
    a.state = ADV_STATE_SHOWN;
    if (BaseKind(a) != ADV_KIND_PICTURE) {
        a.level = 0;
        ClearFadeAlpha(a);
    }
}

void FinishHide(ADV_SPR& a) {
    if (BaseKind(a) == ADV_KIND_PAGE || BaseKind(a) == ADV_KIND_PICTURE) {
        a.level = 0;
        if (BaseKind(a) == ADV_KIND_PAGE) ClearFadeAlpha(a);
        SetView(a, 0);
        a.state = ADV_STATE_HIDDEN;
    } else {
        a.level = 0;
        ClearFadeAlpha(a);
        ADV_HideSprite(int(&a - AdvSprTbl));
    }
}

int Load(ADV_SPR& a, const char* file) {
    switch (BaseKind(a)) {
        case ADV_KIND_PICTURE:
            a.surf = SPR_LoadSurf(file, 0);
            return a.surf >= 0;
        case ADV_KIND_PAGE:
        case ADV_KIND_SEQUENCE:
            a.grp = SPR_GetFreeSprGrp();
            if (a.grp < 0) {
                DebugMsg("script sprite: no free sprite group for %s", file);
                return 0;
            }
            if (!SPR_LoadSprGrp(a.grp, file, 0)) {
                a.grp = -1;
                return 0;
            }
            return 1;
        case ADV_KIND_MOVIE:
            a.movie = DWWL_Open(file, DispDevice);
            // A record without a stream has nothing to show and never ends.
            if (DWWL_GetDuration(a.movie) == 0) {
                DWWL_Close(&a.movie);
                return 0;
            }
            return 1;
        default:
            return 1;
    }
}

// A picture's transitions read the sine table at a quarter turn further on: the cosine of a.
i32 Cosine(i32 a) { return ASS_Sine((a & 255) + 64); }

}  // namespace

void ADV_SetSquareFunc(ADV_SQUARE_FUNC func) { SquareFunc = func ? func : DSW_DrawSquare; }

// ---- loading ----

namespace {

// The first free slot of first..end-1 that takes the file; a file that does not load stops the search.
int FirstSlot(int first, int end, const char* file, i32 kind) {
    for (int s = std::max(first, 0); s < std::min(end, ADV_SPR_MAX); ++s) {
        const int r = _ass_initspriteslot(s, file, kind);
        if (r == 1) return s;
        if (r < 0) return -1;
    }
    DebugMsg("script sprite: no free slot for %s", file ? file : "");
    return -1;
}

}  // namespace

int _ass_initspriteslot(int slot, const char* file, i32 kind) {
    if (!ValidSlot(slot) || AdvSprTbl[slot].use) return 0;
    ADV_SPR& a = AdvSprTbl[slot];
    ClearSlot(a);
    a.use = 1;
    a.state = ADV_STATE_LOADED;
    a.kind = kind;
    if (!Load(a, file ? file : "")) {
        DebugMsg("script sprite %d: %s did not load", slot, file ? file : "");
        ClearSlot(a);
        return -1;
    }
    if (a.surf >= 0) {
        i32 w = 0, h = 0;
        SPR_GetSurfSize(a.surf, &w, &h);
        a.src = RECT{0, 0, w, h};
    }
    return 1;
}

int _ass_createsprite(int slot, const char* file, i32 kind) {
    if (slot == -1) return FirstSlot(0, ADV_SPR_MAX, file, kind);
    return _ass_initspriteslot(slot, file, kind) == 1 ? slot : -1;
}

i32 _ass_spritekind(const char* file) {
    char* ext = nullptr;
    if (!file || GetFileExt(file, &ext) == 0) {
        plat::GlobalFree(ext);
        return -1;
    }
    i32 kind = 0;
    if (!std::strcmp(ext, "bmp") || !std::strcmp(ext, "grp")) kind = ADV_KIND_PICTURE;
    else if (!std::strcmp(ext, "spr")) kind = ADV_KIND_PAGE;
    else if (!std::strcmp(ext, "avi") || !std::strcmp(ext, "mpg") || !std::strcmp(ext, "mpeg")) kind = ADV_KIND_MOVIE;
    plat::GlobalFree(ext);
    return kind;
}

int _ass_createsprite2(int slot, const char* file) {
    const i32 kind = _ass_spritekind(file);
    return kind < 0 ? -1 : _ass_createsprite(slot, file, kind);
}

int _ass_createsprite3(int first, int end, const char* file) {
    const i32 kind = _ass_spritekind(file);
    return kind < 0 ? -1 : FirstSlot(first, end, file, kind);
}

int ASS_CreateSprite(int slot, const char* file, i32 kind) { return _ass_createsprite(slot, file, kind); }
int ASS_CreateSprite2(int slot, const char* file) { return _ass_createsprite2(slot, file); }
int ASS_CreateSprite3(int first, int end, const char* file) { return _ass_createsprite3(first, end, file); }

// ---- placement ----

int ADV_SetSprite(int slot, int priority, i32 x, i32 y, i32 page, i32 ms) {
    ADV_SPR* a = InUse(slot);
    if (!a || (a->state != ADV_STATE_LOADED && a->state != ADV_STATE_HIDDEN) || (a->kind & ADV_KIND_OWNDRAW))
        return -1;
    const i32 kind = BaseKind(*a);
    // A slot hidden without a fade keeps its sprite: it is made anew here.
    if (a->spr >= 0) SPR_DelSpr(a->spr);
    a->spr = -1;
    const int s = SPR_GetFreeSpr();
    if (s < 0) {
        DebugMsg("script sprite %d: the sprite table is full", slot);
        return -1;
    }
    a->fadeTime = ms;
    a->fadeStart = plat::GetTimeMs();
    a->state = ms < 1 ? ADV_STATE_SHOWN : ADV_STATE_FADEIN;
    a->drawMode = 0;
    a->drawValue = 0;
    a->level = 0;
    a->x = x;
    a->y = y;
    a->page = page;
    switch (kind) {
        case ADV_KIND_PICTURE: {
            i32 w = 0, h = 0;
            SPR_GetSurfSize(a->surf, &w, &h);
            a->src = RECT{0, 0, w, h};
            if (SPR_CreateFSpr(s, priority, ADV_DrawSprPicture)) a->spr = s;
            break;
        }
        case ADV_KIND_PAGE:
            if (SPR_CreateSpr(s, priority, x, y, a->grp, page)) a->spr = s;
            break;
        case ADV_KIND_SEQUENCE:
            if (SPR_CreateSpr(s, priority, x, y, a->grp, 0)) {
                a->spr = s;
                SPR_SetSeq(s, page, 1, 1);
            }
            break;
        case ADV_KIND_MOVIE:
            DWWL_Play(a->movie);
            if (SPR_CreateFSpr(s, priority, ADV_DrawSprMovie)) a->spr = s;
            break;
        default:
            break;
    }
    if ((kind == ADV_KIND_PAGE || kind == ADV_KIND_SEQUENCE) && a->state == ADV_STATE_FADEIN) {
        SPR_SetSprAttr(a->spr, 64);
        SPR_SetSprAttrCnt1(a->spr, 0);
    }
    return 1;
}

int ADV_SetSpriteFunc(int slot, int priority, i32, void (*func)(int sprite)) {
    ADV_SPR* a = InUse(slot);
    if (!a || !(a->kind & ADV_KIND_OWNDRAW) || (a->state != ADV_STATE_LOADED && a->state != ADV_STATE_HIDDEN))
        return -1;
    if (a->spr >= 0) SPR_DelSpr(a->spr);
    a->spr = -1;
    const int s = SPR_GetFreeSpr();
    if (s < 0 || !SPR_CreateFSpr(s, priority, func)) return -1;
    a->spr = s;
    a->state = ADV_STATE_SHOWN;
    a->fadeTime = 0;
    a->fadeStart = plat::GetTimeMs();
    if (BaseKind(*a) == ADV_KIND_MOVIE) DWWL_Play(a->movie);
    return 1;
}

void ADV_SetSprDisp(int slot, int show, i32 type, i32 ms) {
    ADV_SPR* a = InUse(slot);
    if (!a || a->spr < 0) return;
    a->fadeType = type;
    if (show == 1) {
        SetView(*a, 1);
        // Without a fade, or with one of no time, the slot shows at once.
        if (type == ADV_FADE_NONE || ms < 1) {
            FinishShow(*a);
            return;
        }
        a->fadeTime = ms;
        a->fadeStart = plat::GetTimeMs();
        a->state = ADV_STATE_FADEIN;
        a->level = 0;
        if (BaseKind(*a) != ADV_KIND_PICTURE) SetFadeAlpha(*a, 0);
        return;
    }
    if (type == ADV_FADE_NONE || ms < 1) {
        SetView(*a, 0);
        a->state = ADV_STATE_HIDDEN;
        a->fadeTime = 0;
        return;
    }
    a->state = ADV_STATE_FADEOUT;
    a->fadeTime = ms;
    a->fadeStart = plat::GetTimeMs();
}

void ADV_SetSprPos(int slot, i32 x, i32 y) {
    ADV_SPR* a = InUse(slot);
    if (!a) return;
    a->x = x;
    a->y = y;
    SPR_SetSprPos(a->spr, x, y);
}

void ADV_SetSprPri(int slot, int priority) {
    if (ADV_SPR* a = InUse(slot)) SPR_SetSprPri(a->spr, priority);
}

void ADV_SetSprPage(int slot, i32 page) {
    if (ADV_SPR* a = InUse(slot)) SPR_SetSprPage(a->spr, page);
}

void ADV_SetSprAttr(int slot, i32 mode, i32 value) {
    ADV_SPR* a = InUse(slot);
    if (!a) return;
    if (mode == 0) {
        a->drawMode = 0;
    } else if (mode == 1 || mode == 2) {
        a->drawMode = mode;
        a->drawValue = value;
    }
}

void ADV_SetSprRect(int slot, i32 left, i32 top, i32 right, i32 bottom) {
    if (ADV_SPR* a = InUse(slot)) a->src = RECT{left, top, right, bottom};
}

void ADV_DelSprite(int slot) {
    if (InUse(slot)) ADV_HideSprite(slot);
}

void ADV_HideSprite(int slot) {
    ADV_SPR* a = InUse(slot);
    if (!a) return;
    a->state = ADV_STATE_HIDDEN;
    a->fadeTime = 0;
    a->fadeStart = 0;
    if (BaseKind(*a) == ADV_KIND_SEQUENCE && !(a->kind & ADV_KIND_OWNDRAW))
        a->spr = SPR_DelSprDat2(a->spr);
    else if (a->spr >= 0)
        SPR_DelSpr(a->spr);
    a->spr = -1;
    DWWL_Pause(a->movie);
}

void ADV_ReleaseSprite(int slot) {
    ADV_SPR* a = InUse(slot);
    if (!a) return;
    // Every kind's sprite goes with it: a group sprite left behind would outlive its group.
    if (a->spr >= 0) SPR_DelSpr(a->spr);
    switch (BaseKind(*a)) {
        case ADV_KIND_PICTURE: SPR_DelSurfDat(a->surf); break;
        case ADV_KIND_PAGE:
        case ADV_KIND_SEQUENCE: SPR_DelSprGrp(a->grp); break;
        case ADV_KIND_MOVIE: DWWL_Close(&a->movie); break;
        default: break;
    }
    ClearSlot(*a);
}

void ADV_CloseMovies() {
    for (ADV_SPR& a : AdvSprTbl)
        if (a.use && a.movie) DWWL_Close(&a.movie);
}

int ADV_GetSprNo(int slot) {
    const ADV_SPR* a = InUse(slot);
    return a ? a->spr : -1;
}

int ADV_GetSprGrpNo(int slot) {
    const ADV_SPR* a = InUse(slot);
    return a ? a->grp : -1;
}

void _ass_initsprite() {
    for (int s = 0; s < ADV_SPR_MAX; ++s) {
        ADV_ReleaseSprite(s);
        ClearSlot(AdvSprTbl[s]);
    }
}

void _ass_termsprite() { _ass_initsprite(); }

// ---- transitions ----

void ADV_RenewSprPicture(ADV_SPR* a) {
    const i64 el = Elapsed(*a), t = a->fadeTime;
    const i64 m = (a->drawMode == 1 || a->drawMode == 2) ? a->drawValue : 255;
    if (a->state == ADV_STATE_FADEIN) {
        switch (a->fadeType) {
            case ADV_FADE_ALPHA:
                a->level = i32(std::min(m, el * m / t));
                if (a->level >= m) a->state = ADV_STATE_SHOWN;
                break;
            case ADV_FADE_TILES:
                a->level = i32(std::min<i64>(128, el * 128 / t));
                if (a->level >= 128) a->state = ADV_STATE_SHOWN;
                break;
            default:
                a->level = i32(std::min(el, t));
                if (el >= t) a->state = ADV_STATE_SHOWN;
                break;
        }
        return;
    }
    switch (a->fadeType) {
        case ADV_FADE_ALPHA: a->level = i32(std::max<i64>(0, (t - el) * m / t)); break;
        case ADV_FADE_TILES: a->level = i32(std::max<i64>(0, (t - el) * 128 / t)); break;
        default: a->level = i32(std::max<i64>(0, t - el)); break;
    }
    if (a->level < 1) FinishHide(*a);
}

void ADV_RenewSprAnime(ADV_SPR* a) {
    const i64 el = Elapsed(*a), t = a->fadeTime;
    if (a->state == ADV_STATE_FADEIN) {
        a->level = i32(std::min<i64>(32, el * 32 / t));
        if (a->level >= 32)
            FinishShow(*a);
        else
            SetFadeAlpha(*a, a->level);
        return;
    }
    a->level = i32(std::max<i64>(0, (t - el) * 32 / t));
    if (a->level < 1)
        FinishHide(*a);
    else
        SetFadeAlpha(*a, a->level);
}

void _ass_renewsprite() {
    for (ADV_SPR& a : AdvSprTbl) {
        if (!a.use || (a.kind & ADV_KIND_OWNDRAW)) continue;
        if (a.state != ADV_STATE_FADEIN && a.state != ADV_STATE_FADEOUT) continue;
        // A fade of no type or no time has nothing to step: it ends here.
        if (a.fadeType == ADV_FADE_NONE || a.fadeTime < 1) {
            if (a.state == ADV_STATE_FADEIN)
                FinishShow(a);
            else
                FinishHide(a);
            continue;
        }
        switch (BaseKind(a)) {
            case ADV_KIND_PICTURE: ADV_RenewSprPicture(&a); break;
            case ADV_KIND_PAGE:
            case ADV_KIND_SEQUENCE:
            case ADV_KIND_MOVIE: ADV_RenewSprAnime(&a); break;
            default: break;
        }
    }
}

void ASS_RenewSprite() { _ass_renewsprite(); }

// ---- drawing ----

namespace {

ADV_SPR* SlotOfSprite(int sprite, i32 kind) {
    for (ADV_SPR& a : AdvSprTbl)
        if (a.use && a.spr == sprite && BaseKind(a) == kind) return &a;
    return nullptr;
}

// Alpha or additive at the level, keyed; mode 0 blends by alpha as well.
void DrawBlended(plat::Surface* dst, const ADV_SPR& a, plat::Surface* src, i32 level) {
    const RECT& r = a.src;
    if (a.drawMode == 2) {
        BLT_AlphaAdd(dst, a.x, a.y, src, &r, level >> 3, 0, 1);
        return;
    }
    DSW_DrawObjectAlpha(dst, a.x, a.y, r.right - r.left, r.bottom - r.top, src, r.left, r.top, level, KeyOf(src));
}

}  // namespace

void ADV_DrawSprPicture(int sprite) {
    const ADV_SPR* a = SlotOfSprite(sprite, ADV_KIND_PICTURE);
    plat::Surface* dst = DrawTarget();
    plat::Surface* src = a ? SPR_GetSlotSurf(a->surf) : nullptr;
    if (!a || !dst || !src) return;
    if (a->state == ADV_STATE_SHOWN) {
        // A shown picture blends at its draw value, where an alpha fade ends.
        if (a->drawMode == 0)
            BLT_Copy(dst, a->x, a->y, src, &a->src, 1);
        else
            DrawBlended(dst, *a, src, a->drawValue);
        return;
    }
    if (a->state != ADV_STATE_FADEIN && a->state != ADV_STATE_FADEOUT) return;
    switch (a->fadeType) {
        case ADV_FADE_ALPHA: DrawBlended(dst, *a, src, a->level); break;
        case ADV_FADE_TILES: ADV_DrawSprTiles(dst, a, src); break;
        case ADV_FADE_ZOOM: ADV_DrawSprZoom(dst, a, src); break;
        case ADV_FADE_BLINDS: ADV_DrawSprBlinds(dst, a, src); break;
        default: break;
    }
}

// The transitions cut the whole picture, whatever source rectangle the script set.
void ADV_DrawSprTiles(plat::Surface* dst, const ADV_SPR* a, plat::Surface* src) {
    const i32 k = Cosine(a->level / 2 + 192);
    const i32 tw = src->width / 4, th = src->height / 4;
    const i32 hw = tw / 2, hh = th / 2;
    for (i32 row = 0; row < 4; ++row) {
        for (i32 col = 0; col < 4; ++col) {
            const i32 tx = a->x + col * tw, ty = a->y + row * th;
            SquareFunc(dst, tx, ty, tx + hw + ((hw * k) >> 12) - 1, ty + hh + ((-hh * k) >> 12) - 1, tx + tw - 1,
                       ty + th - 1, tx + hw + ((-hw * k) >> 12) - 1, ty + hh + ((hh * k) >> 12) - 1, src, col * tw,
                       row * th, tw, th);
        }
    }
}

void ADV_DrawSprZoom(plat::Surface* dst, const ADV_SPR* a, plat::Surface* src) {
    const i64 t = std::max(a->fadeTime, 1);
    const i32 w = src->width, h = src->height;
    const i32 hw = i32(i64(w / 2) * a->level / t), hh = i32(i64(h / 2) * a->level / t);
    const RECT part{w / 2 - hw, h / 2 - hh, w / 2 + hw, h / 2 + hh};
    if (hw > 0 && hh > 0) BLT_Copy(dst, a->x + w / 2 - hw, a->y + h / 2 - hh, src, &part, 1);
}

void ADV_DrawSprBlinds(plat::Surface* dst, const ADV_SPR* a, plat::Surface* src) {
    const i64 t = std::max(a->fadeTime, 1);
    const i32 k = Cosine(i32(i64(a->level) * 64 / t) + 192);
    const i32 w = src->width;
    const i32 sh = src->height / 12, h = sh / 2;
    const i32 open = (h * k) >> 12;
    for (i32 i = 0; i < 12; ++i) {
        const i32 s = a->y + i * sh;
        SquareFunc(dst, a->x, s + h - open, a->x + w - 1, s + h - open, a->x + w - 1, s + h + open, a->x,
                   s + h + open, src, 0, i * sh, w, sh);
    }
}

void ADV_DrawSprMovie(int sprite) {
    ADV_SPR* a = SlotOfSprite(sprite, ADV_KIND_MOVIE);
    plat::Surface* dst = DrawTarget();
    if (!a || !dst || !a->movie || !a->movie->surface) return;
    // The frame is copied every time: the picture under it is redrawn each frame.
    DWWL_SetPos(a->movie, a->x, a->y);
    DWWL_Update(a->movie);
    const DWWL_DATA& m = *a->movie;
    const RECT to{m.x, m.y, m.x + m.width, m.y + m.height};
    BLT_CopyScaled(dst, &to, m.surface, &m.srcRect, 0, 0);
}
