#include "script/adv/adv_select.h"

#include "graphics/blit/drw.h"
#include "graphics/display/disp.h"
#include "graphics/sprite/spr.h"
#include "script/core/ass.h"
#include "shell/input/inp.h"

SEL_RECT SelRectTbl[SEL_RECT_MAX];
i32 SelRectCnt = 0;
i32 SelRectAns = -1;
i32 SelRectCursor = 0;
u16 SelRectColor = 31;
i32 SelRectAlpha = 128;

namespace {

constexpr u16 kKeyUp = 1;
constexpr u16 kKeyDown = 2;
constexpr u16 kKeyDecide = 16;

struct SEL_STATE {
    int shown;
    int wait;
    int sprite;      // the fill's function sprite, -1 none
    int renewed;     // a renew ran in update renewedAt
    u32 renewedAt;
    int lastResult;
};

SEL_STATE Sel = {0, 0, -1, 0, 0, -1};

// Any -1 among the four gives the default: pure blue at half alpha.
void PackColour(i32 red, i32 green, i32 blue, i32 alpha, u16* colour, i32* outAlpha) {
    if (red == -1 || green == -1 || blue == -1 || alpha == -1) {
        *colour = DISP_PackRGB(0, 0, 255);
        *outAlpha = 128;
        return;
    }
    *colour = DISP_PackRGB(u32(red), u32(green), u32(blue));
    *outAlpha = alpha;
}

int Append(i32 left, i32 top, i32 right, i32 bottom, u16 colour, i32 alpha, i32 label) {
    if (SelRectCnt >= SEL_RECT_MAX) return 0;
    SEL_RECT& r = SelRectTbl[SelRectCnt];
    r = SEL_RECT{colour, alpha, SelRectCnt, label, left, top, right, bottom};
    ++SelRectCnt;
    if (Sel.sprite < 0) {
        const int s = SPR_GetFreeSpr();
        if (s >= 0 && SPR_CreateFSpr(s, 0, DrawSelectRect)) Sel.sprite = s;
    }
    return 1;
}

void Reset() {
    SelRectAns = -1;
    SelRectCnt = 0;
    SelRectCursor = 0;
    Sel.shown = 0;
    Sel.wait = 0;
    Sel.renewed = 0;
}

}  // namespace

void _ass_initselectrect() {
    Reset();
    Sel.sprite = -1;
}

void _ass_termselectrect() {
    Sel.sprite = SPR_DelSprDat2(Sel.sprite);
    Reset();
    Sel.sprite = -1;
}

void _ass_setselectrectcolor(i32 red, i32 green, i32 blue, i32 alpha) {
    PackColour(red, green, blue, alpha, &SelRectColor, &SelRectAlpha);
}

int _ass_setselectrect(i32 left, i32 top, i32 right, i32 bottom, i32 label) {
    return Append(left, top, right, bottom, SelRectColor, SelRectAlpha, label);
}

int _ass_setselectrect2(i32 left, i32 top, i32 right, i32 bottom, i32 red, i32 green, i32 blue, i32 alpha,
                        i32 label) {
    u16 colour = 0;
    i32 a = 0;
    PackColour(red, green, blue, alpha, &colour, &a);
    return Append(left, top, right, bottom, colour, a, label);
}

void _ass_dispselectrect(int flag) { Sel.shown = flag != 0; }

void _ass_waitselectrect() {
    Sel.wait = 1;
    SelRectAns = -1;
}

int _ass_getselectrectwait() { return Sel.wait; }
int _ass_getselectrectans() { return SelRectAns; }

i32 _ass_getselectrectasnlabel() {
    return SelRectAns >= 0 && SelRectAns < SelRectCnt ? SelRectTbl[SelRectAns].label : -1;
}

int _ass_chooseselectrect(i32 x, i32 y, int take) {
    if (x == -1 && y == -1) INP_GetMouse(&x, &y, nullptr);
    int found = -1;
    for (int i = 0; i < SelRectCnt; ++i) {
        const SEL_RECT& r = SelRectTbl[i];
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) {
            found = i;
            break;
        }
    }
    if (take) SelRectAns = found;
    return found;
}

void DrawSelectRect(int) {
    if (SelRectCnt < 1 || !Sel.shown || !SprDrawSurf || !*SprDrawSurf) return;
    const int i = _ass_chooseselectrect(-1, -1, 0);
    if (i < 0) return;
    const SEL_RECT& r = SelRectTbl[i];
    DRWS_Fill(*SprDrawSurf, r.left, r.top, r.right, r.bottom, r.color, r.alpha);
}

int _ass_renewselectrect() {
    if (!Sel.wait) return -1;
    // The wait check and the text's update both renew in one update: the keys count once.
    if (Sel.renewed && Sel.renewedAt == ass_UpdateCount) return Sel.lastResult;
    Sel.renewed = 1;
    Sel.renewedAt = ass_UpdateCount;

    const int hovered = _ass_chooseselectrect(-1, -1, 0);
    const int hover = hovered >= 0;
    const u16 trigger = adv_tkey ? adv_tkey->trigger : 0;
    const i32 old = SelRectCursor;
    if (SelRectCnt > 0) {
        if (trigger & kKeyDown) ++SelRectCursor;
        if (trigger & kKeyUp) --SelRectCursor;
        if (SelRectCursor < 0) SelRectCursor = SelRectCnt - 1;
        if (SelRectCursor >= SelRectCnt) SelRectCursor = 0;
    }
    int result = hover;
    if (SelRectCursor != old) {
        const SEL_RECT& r = SelRectTbl[SelRectCursor];
        INP_SetMousePos(r.left + 8, r.top + (r.bottom - r.top) / 2);
    } else {
        if (hover) SelRectCursor = hovered;
        if (((trigger & kKeyDecide) || (hover && (ass_MouseTrg & 1))) && _ass_chooseselectrect(-1, -1, 1) >= 0)
            result = 2;
    }
    Sel.lastResult = result;
    return result;
}
