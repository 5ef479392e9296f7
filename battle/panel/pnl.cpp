#include "battle/panel/pnl.h"

#include <algorithm>

#include "battle/effect/eft.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "graphics/display/surf.h"
#include "graphics/font/font.h"
#include "graphics/sprite/spr.h"
#include "platform/random.h"
#include "shell/common.h"
#include "shell/sys.h"

PNL_DATA PnlTbl[PNL_MAX];
i32 PnlPartsSurf = -1;
i32 PnlIconSurf = -1;
i16 PnlChipCnt = 0;
PNL_HUD_STATE PnlHud{-1, -1, -1, -1, 0, -1, -1, 0};

namespace {

constexpr int kSceneSeq = 5;
constexpr int kStripDX = 57;
constexpr int kStripDY = 17;
constexpr int kGaugeDY = 27;
constexpr int kRowH = 5;
constexpr int kMarkerFar = 10001;  // squared distance from which the far picture shows

bool InScene() { return SYS_GetSeq(0) == kSceneSeq; }

PNL_DATA* Panel(int slot) {
    if (slot < 0 || slot >= PNL_MAX || !PnlTbl[slot].use) return nullptr;
    return &PnlTbl[slot];
}

PNL_DATA* PanelOf(const LIST_DATA* meka) { return meka ? Panel(meka->mekaNo) : nullptr; }

plat::Surface* Parts() { return SPR_GetSlotSurf(PnlPartsSurf); }

// Pushes a strip's position and shown columns and rows to its sprite.
void Apply(const PNL_STRIP& s) {
    SPR_SetTSprPos(s.spr, s.x, s.y);
    SPR_SetTSprRect(s.spr, s.src.left, s.src.top, s.src.right - s.src.left, s.src.bottom - s.src.top);
}

void SetRow(PNL_STRIP& s, int top, int height = kRowH) {
    s.src.top = top;
    s.src.bottom = top + height;
}

// The life strip's colour row follows the bar count; the under strip shows the next bar down and
// nothing when there is none.
void SetBarRows(PNL_DATA& p, int bars) {
    SetRow(p.life, std::max(0, bars + 1) * kRowH);
    if (bars > 0) SetRow(p.under, bars * kRowH);
    else SetRow(p.under, 0, 0);
}

void Empty(PNL_STRIP& s, int x) {
    s.x = x;
    s.src.left = s.src.right = PNL_BAR_PX;
}

void ApplyAll(PNL_DATA& p) {
    for (PNL_STRIP* s : {&p.life, &p.under, &p.damageA, &p.damageB, &p.gauge}) Apply(*s);
}

// Moves a strip left by n and shows n more columns.
void Grow(PNL_STRIP& s, int n) {
    s.x -= n;
    s.src.left = std::max(0, s.src.left - n);
}

int TakeTSpr(int priority, int x, int y, int surf, const RECT* src) {
    const int s = SPR_GetFreeSpr();
    if (s < 0 || !SPR_CreateTSpr(s, priority, x, y, surf, src)) return -1;
    return s;
}

void DelSpr(i16& s) {
    if (s >= 0) SPR_DelSprDat2(s);
    s = -1;
}

void DelSurf(i32& slot) {
    if (slot >= 0) SPR_DelSurfDat2(slot);
    slot = -1;
}

}  // namespace

// ---- bitmaps and panels ----

int PNL_Init() {
    PNL_Term();
    // The pool was emptied since the last battle; its chips went with it.
    PnlChipCnt = 0;
    PnlPartsSurf = SPR_LoadSurf(MakeFilePath("Bmp\\Parts.bmp"), 0);
    PnlIconSurf = SPR_LoadSurf(MakeFilePath("Bmp\\MekaPnl.bmp"), 0);
    // The ranking screen points strip 0 elsewhere; the battle takes it back every time.
    TXT_SetNumStrip(0, PnlPartsSurf >= 0 ? &SurfTbl[PnlPartsSurf].surface : nullptr, 0, 160, 124, 10, 16);
    return PnlPartsSurf >= 0 && PnlIconSurf >= 0;
}

void PNL_Term() {
    DelSurf(PnlPartsSurf);
    DelSurf(PnlIconSurf);
}

void PNL_InitAll() {
    int placed[2] = {0, 0};  // team 0, every other team
    for (int slot = 0; slot < MEKA_SLOT_MAX; slot++) {
        LIST_DATA* obj = MEKA_GetSlot(slot);
        if (!obj || !obj->meka) continue;
        const int side = obj->team == 0 ? 0 : 1;
        PNL_Create(slot, obj->meka->type, side == 0 ? 4 : 440, 436 - 44 * placed[side]);
        placed[side]++;
    }
}

int PNL_Create(int slot, int icon, int x, int y) {
    if (slot < 0 || slot >= PNL_MAX) return 0;
    PNL_Delete(slot);
    PNL_DATA& p = PnlTbl[slot];
    p = PNL_DATA{};
    p.surf = SPR_CreateSurf(196, 40, 0);
    p.bgSpr = p.overSpr = p.life.spr = p.under.spr = p.damageA.spr = p.damageB.spr = p.gauge.spr = -1;
    plat::Surface* dst = SPR_GetSlotSurf(p.surf);
    if (!dst) {
        p.surf = -1;
        return 0;
    }
    if (plat::Surface* parts = Parts()) {
        const RECT frame{132, 0, 328, 40};
        BLT_Copy(dst, 0, 0, parts, &frame, 1);
        const RECT label{0, 100 + 8 * icon, 68, 108 + 8 * icon};
        BLT_Copy(dst, 56, 4, parts, &label, 0);
    }
    if (plat::Surface* icons = SPR_GetSlotSurf(PnlIconSurf)) {
        const RECT cell{40 * (icon % 8), 40 * (icon / 8), 40 * (icon % 8) + 40, 40 * (icon / 8) + 40};
        BLT_Copy(dst, 0, 0, icons, &cell, 0);
    }
    p.use = 1;  // from here PNL_Delete releases whatever was taken
    const RECT none{0, 0, 0, 0};
    p.bgSpr = i16(TakeTSpr(39, x, y, p.surf, nullptr));
    const RECT over{132, 40, 328, 80};
    p.overSpr = i16(TakeTSpr(40, x, y, PnlPartsSurf, &over));
    const int sx = x + kStripDX, sy = y + kStripDY;
    const struct {
        PNL_STRIP* strip;
        int priority;
        int y;
        int row;
    } strips[] = {{&p.life, 37, sy, 0}, {&p.under, 38, sy, 0}, {&p.damageA, 35, sy, 45},
                  {&p.damageB, 36, sy, 50}, {&p.gauge, 37, y + kGaugeDY, 55}};
    for (const auto& s : strips) {
        s.strip->spr = i16(TakeTSpr(s.priority, sx, s.y, PnlPartsSurf, &none));
        s.strip->x = sx;
        s.strip->y = s.y;
        s.strip->src = RECT{0, s.row, PNL_BAR_PX, s.row + kRowH};
    }
    if (p.bgSpr < 0 || p.overSpr < 0 || p.life.spr < 0 || p.under.spr < 0 || p.damageA.spr < 0 ||
        p.damageB.spr < 0 || p.gauge.spr < 0) {
        PNL_Delete(slot);
        return 0;
    }
    SPR_SetTSprAttr(p.overSpr, 4);
    SPR_SetTSprAttrCnt1(p.overSpr, 16);
    p.x = x;
    p.y = p.baseY = y;
    const LIST_DATA* m = MEKA_GetSlot(slot);
    SetBarRows(p, m && m->meka ? m->meka->lifeBar : 0);
    // The scene skips the reset, so the strips start as a reset would leave them.
    Empty(p.under, x + kStripDX + PNL_BAR_PX);
    Empty(p.damageA, p.under.x);
    Empty(p.damageB, p.under.x);
    p.gauge.src.right = 0;
    ApplyAll(p);
    PNL_ResetGauge(slot);
    PNL_RenewGauge(MEKA_GetSlot(slot));
    return 1;
}

void PNL_ResetGauge(int slot) {
    PNL_DATA* p = Panel(slot);
    if (!p || InScene()) return;
    p->life.x = p->x + kStripDX;
    p->life.src.left = 0;
    p->life.src.right = PNL_BAR_PX;
    for (PNL_STRIP* s : {&p->under, &p->damageA, &p->damageB}) Empty(*s, p->x + kStripDX + PNL_BAR_PX);
    const LIST_DATA* m = MEKA_GetSlot(slot);
    SetBarRows(*p, m && m->meka ? m->meka->lifeBar : 0);
    p->twoTrail = 0;
    ApplyAll(*p);
}

void PNL_Show(int slot, int flag) {
    PNL_DATA* p = Panel(slot);
    if (!p || InScene()) return;
    for (int s : {p->bgSpr, p->overSpr, p->life.spr, p->under.spr, p->damageA.spr, p->damageB.spr, p->gauge.spr})
        SPR_SetTSprView(s, flag);
}

void PNL_ShowAll(int flag) {
    for (int slot = 0; slot < PNL_MAX; slot++)
        if (MEKA_GetSlot(slot)) PNL_Show(slot, flag);
    PNL_ShowSlotPanel(flag);
    PNL_ShowCountPopup(flag);
    PNL_ShowMarker(flag);
}

void PNL_Delete(int slot) {
    if (slot < 0 || slot >= PNL_MAX) return;
    PNL_DATA& p = PnlTbl[slot];
    if (!p.use) return;
    for (i16* s : {&p.bgSpr, &p.overSpr, &p.life.spr, &p.under.spr, &p.damageA.spr, &p.damageB.spr, &p.gauge.spr})
        DelSpr(*s);
    DelSurf(p.surf);
    p.use = 0;
}

void PNL_SetPos(int slot, int x, int y) {
    PNL_DATA* p = Panel(slot);
    if (!p || InScene()) return;
    const int dx = x - p->x, dy = y - p->y;
    SPR_SetTSprPos(p->bgSpr, x, y);
    SPR_SetTSprPos(p->overSpr, x, y);
    // The strips keep their places along the bar.
    for (PNL_STRIP* s : {&p->life, &p->under, &p->damageA, &p->damageB, &p->gauge}) {
        s->x += dx;
        s->y += dy;
    }
    p->x = x;
    p->y = y;
    ApplyAll(*p);
}

void PNL_SetGaugeRect(int slot, int piece) {
    PNL_DATA* p = Panel(slot);
    if (!p || InScene()) return;
    SetRow(p->gauge, 55 + kRowH * piece);
    Apply(p->gauge);
}

void PNL_RenewGauge(LIST_DATA* meka) {
    PNL_DATA* p = PanelOf(meka);
    if (!p || !meka->meka || InScene()) return;
    p->gauge.src.left = 0;
    p->gauge.src.right = std::clamp<int>(meka->meka->gauge, 0, PNL_BAR_PX);
    Apply(p->gauge);
}

void PNL_Renew() {
    if (InScene()) return;
    for (PNL_DATA& p : PnlTbl) {
        if (!p.use) continue;
        const int top = p.highlight ? 80 : 40;
        p.highlight = 0;
        SPR_SetTSprRect(p.overSpr, 132, top, 196, 40);
    }
}

// ---- damage and refill ----

void PNL_SetDamageGauge(LIST_DATA* meka, int oldPx, int newPx, int life, int bars) {
    PNL_DATA* p = PanelOf(meka);
    if (!p || !meka->meka) return;
    int n = newPx, o = 0;
    if (n < 1) {
        // A hit can carry through more than one bar; the strips show at most one.
        o = std::min(-n, PNL_BAR_PX);
        n = 0;
    }
    const int lost = oldPx - n;
    const int barsNow = meka->meka->lifeBar;
    if (life > 0 || barsNow < 0) {
        if (lost < 1) return;
        p->life.src.left = std::min(p->life.src.left + lost, int(p->life.src.right));
        Grow(p->under, lost);
        Grow(p->twoTrail ? p->damageB : p->damageA, lost);
    } else {
        p->life.src.left = o;
        p->life.src.right = PNL_BAR_PX;
        SetBarRows(*p, barsNow);
        p->under.x = p->x + kStripDX + PNL_BAR_PX - o;
        p->under.src.left = PNL_BAR_PX - o;
        p->under.src.right = PNL_BAR_PX;
        if (bars > 0) {
            Grow(p->damageA, lost);
            p->damageB.x = p->x + kStripDX + PNL_BAR_PX - o;
            p->damageB.src.left = PNL_BAR_PX - o;
            p->damageB.src.right = PNL_BAR_PX;
            p->twoTrail = 1;
        }
    }
    ApplyAll(*p);
    p->highlight = 8;
}

void PNL_SetDamageWait(int slot, int frames) {
    if (PNL_DATA* p = Panel(slot)) p->damageWait = i8(std::clamp(frames, -128, 127));
}

void PNL_RenewDamageBar(int slot) {
    PNL_DATA* p = Panel(slot);
    if (!p) return;
    // Held at 0 once run out, so a long fight never wraps the wait round.
    if (p->damageWait > 0) p->damageWait--;
    if (p->damageWait >= 1) return;
    PNL_STRIP& a = p->damageA;
    PNL_STRIP& b = p->damageB;
    const int t = (a.src.right - a.src.left) + (b.src.right - b.src.left);
    if (t <= 0) return;
    a.src.left += std::max(3, t >> 3);
    if (a.src.left >= a.src.right) {
        a.src.left = a.src.right;
        if (p->twoTrail) {
            a.x = b.x;
            a.src.left = b.src.left;
            a.src.right = b.src.right;
            b.src.left = b.src.right;
            p->twoTrail = 0;
        }
    }
    Apply(a);
    Apply(b);
}

void PNL_AddLife(LIST_DATA* meka, int amount, int maxBars) {
    if (!meka || !meka->meka) return;
    MEKA_WORK* m = meka->meka;
    const int before = m->life;
    int life = before + amount;
    if ((life >> 4) == (before >> 4)) {
        m->life = i16(life);
        return;
    }
    PNL_DATA* p = PanelOf(meka);
    if (life >= MEKA_LIFE_UNITS) {
        if (m->lifeBar < maxBars) {
            life -= MEKA_LIFE_UNITS;
            m->lifeBar++;
            if (p) {
                SetBarRows(*p, m->lifeBar);
                p->damageB.src.left = p->damageB.src.right;
                p->twoTrail = 0;
            }
        } else {
            life = MEKA_LIFE_UNITS;
        }
    }
    life = std::clamp(life, 0, int(MEKA_LIFE_UNITS));
    m->life = i16(life);
    if (!p) return;
    const int px = life >> 4;
    p->life.src.left = PNL_BAR_PX - px;
    p->life.src.right = PNL_BAR_PX;
    p->under.x = p->x + px + kStripDX;
    p->under.src.left = px;
    p->under.src.right = PNL_BAR_PX;
    PNL_STRIP& trail = p->twoTrail ? p->damageB : p->damageA;
    const int moved = p->under.x - trail.x;
    trail.x = p->under.x;
    trail.src.left = std::clamp(trail.src.left + moved, 0, int(trail.src.right));
    ApplyAll(*p);
}

// ---- gauge chips ----

int PNL_CreateChip(LIST_DATA* meka, int oldPx, int newPx) {
    PNL_DATA* p = PanelOf(meka);
    if (!p) return -999;
    int o = 0;
    if (newPx < 0) {
        o = std::min(-newPx, PNL_BAR_PX);
        newPx = 0;
    }
    const int n = std::min(oldPx - newPx, PNL_BAR_PX);
    if (n < 1) return -999;
    const RECT src = n == 1 ? RECT{128, 65, 129, 70} : RECT{PNL_BAR_PX - n, 65, PNL_BAR_PX, 70};
    const int x = p->x + newPx + kStripDX, y = p->y + kStripDY;
    int result = -999;
    const int s = SPR_GetFreeWorldSpr();
    LIST_DATA* chip = s >= 0 ? OBJ_Alloc(OBJ_KIND_CHIP) : nullptr;
    if (chip && SPR_CreateTSpr(s, 34, x, y, PnlPartsSurf, &src)) {
        chip->team = meka->team;
        chip->owner = meka->index;
        chip->target = meka->target;
        chip->level = 4;
        chip->shadow = 0;
        chip->spr = i16(s);
        SPR_SetSprObjNo(s, chip->index);
        SPR_SetTSprAttr(s, 8);
        chip->x = x;
        chip->y = y;
        chip->zSpeed = 0;  // age
        chip->dir = 3;     // shake amplitude
        chip->vy16 = y;    // base y
        PnlChipCnt++;
        result = chip->index;
    } else if (chip) {
        OBJ_Free(chip->index);
    }
    if (o > 0 && meka->meka && meka->meka->lifeBar >= 0) PNL_CreateChip(meka, PNL_BAR_PX, PNL_BAR_PX - o);
    return result;
}

int PNL_RenewChip() {
    LIST_DATA* chip = CurObj;
    if (!chip) return 1;
    TSPR_DATA* s = SPR_GetTSpr(chip->spr);
    const int age = chip->zSpeed;
    const int amp = chip->dir;
    if (s && age > 10) {
        s->src.top += kRowH;
        s->src.bottom += kRowH;
    }
    const int j = plat::Rand() % (2 * amp + 1);
    chip->y = chip->vy16 + amp - j;
    SPR_SetTSprPos(chip->spr, chip->x, chip->y);
    if ((age & 1) && amp > 0) chip->dir = i8(amp - 1);
    chip->zSpeed = i16(age + 1);
    ObjWalkNext = chip->zSpeed >= 17 ? PNL_DeleteChip(chip) : chip->next;
    return 1;
}

int PNL_DeleteChip(LIST_DATA* chip) {
    if (!chip || !chip->use) return ObjWalkNext;
    PnlChipCnt--;
    return OBJ_Free(chip->index);
}

// ---- the slot panel ----

void PNL_CreateSlotPanel(int x, int y) {
    PNL_DeleteSlotPanel();
    PnlHud.slotSurf = SPR_CreateSurf(84, 76, 0);
    plat::Surface* dst = SPR_GetSlotSurf(PnlHud.slotSurf);
    if (!dst) {
        PnlHud.slotSurf = -1;
        return;
    }
    if (plat::Surface* parts = Parts()) {
        const RECT src{76, 124, 160, 200};
        BLT_Copy(dst, 0, 0, parts, &src, 0);
    }
    PnlHud.slotSpr = i16(TakeTSpr(39, x, y, PnlHud.slotSurf, nullptr));
}

void PNL_ShowSlotPanel(int flag) { SPR_SetTSprView(PnlHud.slotSpr, flag); }

void PNL_DeleteSlotPanel() {
    DelSpr(PnlHud.slotSpr);
    DelSurf(PnlHud.slotSurf);
}

void PNL_SetSlotMark(int kind, int row, int col) {
    plat::Surface* dst = SPR_GetSlotSurf(PnlHud.slotSurf);
    plat::Surface* parts = Parts();
    if (!dst || !parts) return;
    const RECT src{76 + 6 * kind, 200, 82 + 6 * kind, 203};
    BLT_Copy(dst, 45 + 12 * col, 29 + 12 * row, parts, &src, 0);
}

void PNL_ClearSlotMark() {
    plat::Surface* dst = SPR_GetSlotSurf(PnlHud.slotSurf);
    plat::Surface* parts = Parts();
    if (!dst || !parts) return;
    const RECT src{121, 153, 151, 192};
    BLT_Copy(dst, 45, 29, parts, &src, 0);
}

// ---- the hit-count popup ----

void PNL_CreateCountPopup() {
    PNL_DeleteCountPopup();
    PnlHud.popupSurf = SPR_CreateSurf(128, 16, 0);
    plat::Surface* dst = SPR_GetSlotSurf(PnlHud.popupSurf);
    if (!dst) {
        PnlHud.popupSurf = -1;
        return;
    }
    const RECT all{0, 0, 128, 16};
    SURF_Fill(dst, &all, 0);
    if (plat::Surface* parts = Parts()) {
        const RECT label{260, 124, 278, 140};
        BLT_Copy(dst, 40, 0, parts, &label, 0);
    }
    PnlHud.popupSpr = i16(TakeTSpr(41, 0, 0, PnlHud.popupSurf, nullptr));
    SPR_SetTSprView(PnlHud.popupSpr, 0);
    PnlHud.popupTime = 0;
    PnlHud.popupCount = -1;
}

void PNL_DeleteCountPopup() {
    DelSpr(PnlHud.popupSpr);
    DelSurf(PnlHud.popupSurf);
}

void PNL_ShowCountPopup(int flag) { SPR_SetTSprView(PnlHud.popupSpr, flag); }

void PNL_SetCountPopup() {
    const LIST_DATA* player = MEKA_GetSlot(0);
    if (!player || !player->meka) return;
    const int hits = player->meka->hitCnt;
    if (hits < 2) {
        PnlHud.popupTime = 0;
        return;
    }
    if (hits == PnlHud.popupCount) return;
    if (plat::Surface* dst = SPR_GetSlotSurf(PnlHud.popupSurf)) {
        const RECT digits{0, 0, 40, 16};
        SURF_Fill(dst, &digits, 0);
        TXT_DrawNum(dst, 0, 0, 0, hits, 4, 0, -1, 1, 1);
    }
    PNL_ShowCountPopup(1);
    PnlHud.popupTime = 30;
    PnlHud.popupCount = hits;
}

void PNL_RenewCountPopup() {
    if (--PnlHud.popupTime < 1) {
        PNL_ShowCountPopup(0);
        PnlHud.popupTime = 0;
        PnlHud.popupCount = -1;
        return;
    }
    const LIST_DATA* player = MEKA_GetSlot(0);
    const SPR_HEAD* ps = player ? SPR_GetAnySpr(player->spr) : nullptr;
    if (!ps) return;
    SPR_SetTSprPos(PnlHud.popupSpr, ps->x - 100, ps->y - 60);
    PNL_ShowCountPopup(1);
}

// ---- the target marker ----

void PNL_CreateMarker() {
    if (PnlHud.markerSpr >= 0 || EftSprGrpNo < 0) return;
    const int s = SPR_GetFreeSpr();
    if (s < 0 || !SPR_CreateSpr(s, 41, 0, 0, EftSprGrpNo, 0)) return;
    PnlHud.markerSpr = i16(s);
    SPR_SetSprAttr(s, 8);
    PnlHud.markerFar = 0;
    // Created near, so it shows the near picture from the start.
    SPR_SetSeq(s, 116, 1, 1);
}

void PNL_DeleteMarker() { DelSpr(PnlHud.markerSpr); }

void PNL_ShowMarker(int flag) { SPR_SetSprView(PnlHud.markerSpr, flag); }

void PNL_RenewMarker(LIST_DATA* obj, LIST_DATA* target) {
    const SPR_HEAD* ts = target && target->use ? SPR_GetAnySpr(target->spr) : nullptr;
    if (!obj || !ts) {
        PNL_ShowMarker(0);
        return;
    }
    SPR_SetSprPos(PnlHud.markerSpr, ts->x, ts->y);
    if (SPR_HEAD* m = SPR_GetAnySpr(PnlHud.markerSpr)) m->height = i16(ts->height + 32);
    PNL_ShowMarker(1);
    const i64 dx = i64(obj->x) - target->x, dy = i64(obj->y) - target->y;
    const i64 d = dx * dx + dy * dy;
    if (!PnlHud.markerFar && d >= kMarkerFar) {
        SPR_SetSeq(PnlHud.markerSpr, 117, 1, 1);
        PnlHud.markerFar = 1;
    } else if (PnlHud.markerFar && d < kMarkerFar) {
        SPR_SetSeq(PnlHud.markerSpr, 116, 1, 1);
        PnlHud.markerFar = 0;
    }
}
