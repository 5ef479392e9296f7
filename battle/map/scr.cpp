// The scroll buffer: full redraw, the incremental scroll with its dirty strips, and the view drawn
// out of the ring.
#include "battle/map/scr.h"

#include <algorithm>

#include "battle/map/map.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/blit/prim.h"
#include "graphics/sprite/spr.h"
#include "shell/common.h"

RECT ScrRangeRect{};
SCR_DIRTY_DATA ScrDirtyTbl[SCR_DIRTY_MAX];
i32 ScrDirtyCnt = 0;
u32 ScrDrawChipCnt = 0;
void (*ScrStepHook)(i32 dx, i32 dy) = nullptr;

namespace {

// The blit clip while drawing into the buffer: the view's 640×480 clip would cut the spare column
// and row.
class BufferClip {
public:
    BufferClip() {
        DISP_GetClipRect(&saved_);
        DISP_SetClipRect(0, 0, MapData->viewW + MAP_CHIP, MapData->viewH + MAP_CHIP);
    }
    ~BufferClip() { DISP_SetClipRect(saved_.left, saved_.top, saved_.right - saved_.left, saved_.bottom - saved_.top); }
    BufferClip(const BufferClip&) = delete;
    BufferClip& operator=(const BufferClip&) = delete;

private:
    RECT saved_{};
};

// The cell index of a chip position, -1 outside the map.
i32 CellAt(i32 col, i32 row) {
    if (col < 0 || row < 0 || col >= MapData->width || row >= MapData->height) return -1;
    return row * MapData->width + col;
}

RECT ObjRect(const MAP_OBJ_DATA& o) {
    const MAP_CSP_DATA& c = MapCspTbl[o.no];
    return RECT{o.x, o.y, o.x + c.width, o.y + c.height};
}

// Copies the part i of object o's picture to the buffer at (bx, by) with colour key.
void DrawObjPart(plat::Surface* buf, plat::Surface* sheet, const MAP_OBJ_DATA& o, const RECT& i, i32 bx, i32 by) {
    const MAP_CSP_DATA& c = MapCspTbl[o.no];
    const i32 sx = c.srcX + (i.left - o.x), sy = c.srcY + (i.top - o.y);
    const RECT src{sx, sy, sx + (i.right - i.left), sy + (i.bottom - i.top)};
    BLT_Copy(buf, bx, by, sheet, &src, 1);
}

i32 StepPart(i32 d, i32 full, i32 i) {
    const i32 sign = d < 0 ? -1 : 1;
    if (i < full) return sign * 15;
    if (i == full) return d - sign * 15 * full;
    return 0;
}

// Records one strip, or two where the ring wraps inside it. along: the buffer coordinate at which the
// strip's map start lies on the wrapping axis (0 = no wrap); size: the buffer's length on that axis.
void AddStrip(int kind, i32 fixed, i32 mapX, i32 mapY, i32 along, i32 size) {
    if (kind == SCR_DIRTY_COLUMN) {
        if (along == 0) return SCR_AddDirtyRect(kind, fixed, mapY, mapX, mapY, mapX + MAP_CHIP, mapY + size);
        SCR_AddDirtyRect(kind, fixed, mapY - along, mapX, mapY, mapX + MAP_CHIP, mapY + size - along);
        SCR_AddDirtyRect(kind, fixed, mapY - along + size, mapX, mapY + size - along, mapX + MAP_CHIP, mapY + size);
        return;
    }
    if (along == 0) return SCR_AddDirtyRect(kind, mapX, fixed, mapX, mapY, mapX + size, mapY + MAP_CHIP);
    SCR_AddDirtyRect(kind, mapX - along, fixed, mapX, mapY, mapX + size - along, mapY + MAP_CHIP);
    SCR_AddDirtyRect(kind, mapX - along + size, fixed, mapX + size - along, mapY, mapX + size, mapY + MAP_CHIP);
}

// One step of at most 15 pixels per axis: at most one new chip column and one new chip row.
void ScrollStep(plat::Surface* buf, i32 sx, i32 sy) {
    MAP_DATA& m = *MapData;
    const i32 w = m.viewW + MAP_CHIP, h = m.viewH + MAP_CHIP;
    const i32 vc = m.viewChipW, vr = m.viewChipH, mw = m.width, mh = m.height;
    const i32 c0 = m.scrollX >> 4, r0 = m.scrollY >> 4;
    m.scrollX += sx;
    m.scrollY += sy;
    const i32 c1 = m.scrollX >> 4, r1 = m.scrollY >> 4;
    const i32 ax0 = m.originX & ~15, ay0 = m.originY & ~15;
    m.originX += sx;
    m.originY += sy;
    if (m.originX < 0) m.originX += w;
    else if (m.originX >= w) m.originX -= w;
    if (m.originY < 0) m.originY += h;
    else if (m.originY >= h) m.originY -= h;
    const i32 ax1 = m.originX & ~15, ay1 = m.originY & ~15;
    const i32 column = sx > 0 ? c0 + vc + 1 : c1;
    const i32 row = sy > 0 ? r0 + vr + 1 : r1;
    ScrDirtyCnt = 0;

    if (c0 != c1 && c1 != mw - vc) {
        const i32 bx = sx > 0 ? ax0 : ax1;
        const i32 n = vr + (r1 == mh - vr ? 0 : 1);
        for (i32 k = 0; k < n; ++k) SCR_DrawChip(buf, CellAt(column, r1 + k), bx, (ay1 + k * MAP_CHIP) % h);
        AddStrip(SCR_DIRTY_COLUMN, bx, column * MAP_CHIP, r1 * MAP_CHIP, ay1, h);
    }
    if (r0 != r1 && r1 != mh - vr) {
        const i32 by = sy > 0 ? ay0 : ay1;
        const i32 n = vc + (c1 == mw - vc ? 0 : 1);
        for (i32 k = 0; k < n; ++k) SCR_DrawChip(buf, CellAt(c1 + k, row), (ax1 + k * MAP_CHIP) % w, by);
        AddStrip(SCR_DIRTY_ROW, by, c1 * MAP_CHIP, row * MAP_CHIP, ax1, w);
    }
    if (ScrDirtyCnt) SCR_RedrawObj();
}

}  // namespace

void SCR_SetScrRect(RECT* out, const RECT* src) {
    if (!out || !MapData) return;
    const MAP_DATA& m = *MapData;
    if (src) {
        *out = *src;
        out->left = std::max(out->left, 0);
        out->top = std::max(out->top, 0);
        out->right = std::min(out->right, m.pixelW + m.marginR);
        out->bottom = std::min(out->bottom, m.pixelH + m.marginB);
        return;
    }
    *out = RECT{m.marginL, m.marginT, m.pixelW + m.marginR, m.pixelH + m.marginB};
    if (out->right - out->left < m.viewW || out->bottom - out->top < m.viewH)
        DebugMsg("Error : SCR_SetScrRect > スクロール範囲が小さい！(%d,%d)-(%d,%d)", out->left, out->top, out->right,
                 out->bottom);
}

void SCR_DrawChip(plat::Surface* surface, i32 cell, i32 x, i32 y) {
    ++ScrDrawChipCnt;
    if (MAP_IsOpen() && cell >= 0 && cell < i32(MapData->width) * MapData->height) {
        const MAP_CELL& c = MapData->cells[cell];
        const RECT src{c.chipX * MAP_CHIP, c.chipY * MAP_CHIP, (c.chipX + 1) * MAP_CHIP, (c.chipY + 1) * MAP_CHIP};
        i32 sw = 0, sh = 0;
        if (SPR_GetSurfSize(MapChipSurf, &sw, &sh) >= 0 && src.right <= sw && src.bottom <= sh) {
            BLT_Copy(surface, x, y, SPR_GetSlotSurf(MapChipSurf), &src, 0);
            return;
        }
    }
    // Outside the map or the sheet: a blank chip, so no stale pixels stay behind.
    const RECT blank{x, y, x + MAP_CHIP, y + MAP_CHIP};
    SURF_Fill(surface, &blank, 0);
}

void SCR_Redraw(i32 cx, i32 cy) {
    plat::Surface* buf = SPR_GetSlotSurf(MapSurf);
    if (!MAP_IsOpen() || !buf) return;
    MAP_DATA& m = *MapData;
    i32 sx = cx - m.halfViewW, sy = cy - m.halfViewH;
    i32 extraX = MAP_CHIP, extraY = MAP_CHIP;
    if (sx < ScrRangeRect.left) sx = ScrRangeRect.left;
    if (sx >= ScrRangeRect.right - m.viewW) {
        sx = ScrRangeRect.right - m.viewW;
        extraX = 0;
    }
    if (sy < ScrRangeRect.top) sy = ScrRangeRect.top;
    if (sy >= ScrRangeRect.bottom - m.viewH) {
        sy = ScrRangeRect.bottom - m.viewH;
        extraY = 0;
    }
    const i32 col = sx >> 4, row = sy >> 4;
    m.scrollX = sx;
    m.scrollY = sy;
    m.originX = sx - col * MAP_CHIP;
    m.originY = sy - row * MAP_CHIP;

    BufferClip clip;
    for (i32 y = 0; y < m.viewH + extraY; y += MAP_CHIP)
        for (i32 x = 0; x < m.viewW + extraX; x += MAP_CHIP)
            SCR_DrawChip(buf, CellAt(col + x / MAP_CHIP, row + y / MAP_CHIP), x, y);

    plat::Surface* sheet = SPR_GetSlotSurf(MapObjSurf);
    if (!sheet) return;
    const RECT r{col * MAP_CHIP, row * MAP_CHIP, col * MAP_CHIP + m.viewW + MAP_CHIP, row * MAP_CHIP + m.viewH + MAP_CHIP};
    for (i32 n = 0; n < MapObjCnt; ++n) {
        const RECT o = ObjRect(MapObjTbl[n]);
        RECT i;
        if (GetCrossRect(&i, &o, &r)) DrawObjPart(buf, sheet, MapObjTbl[n], i, i.left - r.left, i.top - r.top);
    }
}

int SCR_Scroll(i32 dx, i32 dy) {
    plat::Surface* buf = SPR_GetSlotSurf(MapSurf);
    if ((dx == 0 && dy == 0) || !MAP_IsOpen() || !buf) return 1;
    const i32 nx = (dx < 0 ? -dx : dx) / 15, ny = (dy < 0 ? -dy : dy) / 15;
    const i32 n = std::max(nx, ny) + 1;
    BufferClip clip;
    for (i32 i = 0; i < n; ++i) {
        const i32 sx = StepPart(dx, nx, i), sy = StepPart(dy, ny, i);
        if (ScrStepHook) ScrStepHook(sx, sy);
        ScrollStep(buf, sx, sy);
    }
    return 1;
}

void SCR_AddDirtyRect(int kind, i32 a, i32 b, i32 left, i32 top, i32 right, i32 bottom) {
    if (ScrDirtyCnt >= SCR_DIRTY_MAX) return;
    SCR_DIRTY_DATA& d = ScrDirtyTbl[ScrDirtyCnt++];
    d.kind = u8(kind);
    d.a = a;
    d.b = b;
    d.rect = RECT{left & ~15, top & ~15, right & ~15, bottom & ~15};
}

void SCR_RedrawObj() {
    plat::Surface* buf = SPR_GetSlotSurf(MapSurf);
    plat::Surface* sheet = SPR_GetSlotSurf(MapObjSurf);
    if (!MapData || !buf || !sheet) return;
    BufferClip clip;
    // Objects outside, strips inside: where two strips cross, the later object still covers the earlier.
    for (i32 n = 0; n < MapObjCnt; ++n) {
        const RECT o = ObjRect(MapObjTbl[n]);
        for (i32 k = 0; k < ScrDirtyCnt; ++k) {
            const SCR_DIRTY_DATA& d = ScrDirtyTbl[k];
            RECT i;
            if (!GetCrossRect(&i, &o, &d.rect)) continue;
            if (d.kind == SCR_DIRTY_COLUMN)
                DrawObjPart(buf, sheet, MapObjTbl[n], i, i.left - d.rect.left + d.a, i.top - d.b);
            else
                DrawObjPart(buf, sheet, MapObjTbl[n], i, i.left - d.a, i.top - d.rect.top + d.b);
        }
    }
}

void SCR_DrawScrBuf(plat::Surface* dst, i32 x, i32 y, int keyFlag) {
    plat::Surface* buf = SPR_GetSlotSurf(MapSurf);
    if (!dst || !buf || !MapData) return;
    const MAP_DATA& m = *MapData;
    const i32 w = m.viewW + MAP_CHIP, h = m.viewH + MAP_CHIP, ox = m.originX, oy = m.originY;
    const i32 right = std::min(ox + m.viewW, w), bottom = std::min(oy + m.viewH, h);
    const RECT p1{ox, oy, right, bottom};
    BLT_Copy(dst, x, y, buf, &p1, keyFlag);
    if (ox > MAP_CHIP) {
        const RECT p2{0, oy, ox - MAP_CHIP, bottom};
        BLT_Copy(dst, x + w - ox, y, buf, &p2, keyFlag);
    }
    if (oy > MAP_CHIP) {
        const RECT p3{ox, 0, right, oy - MAP_CHIP};
        BLT_Copy(dst, x, y + h - oy, buf, &p3, keyFlag);
        if (ox > MAP_CHIP) {
            const RECT p4{0, 0, ox - MAP_CHIP, oy - MAP_CHIP};
            BLT_Copy(dst, x + w - ox, y + h - oy, buf, &p4, keyFlag);
        }
    }
}

void SCR_DrawCallback(int) {
    if (!MapData || !SprDrawSurf) return;
    SCR_DrawScrBuf(*SprDrawSurf, MapData->screenX, MapData->screenY, 1);
}

void SCR_DrawDebugLine(plat::Surface* surface, i32 x, i32 y, int keyFlag) {
    plat::Surface* buf = SPR_GetSlotSurf(MapSurf);
    if (!surface || !buf || !MapData) return;
    const MAP_DATA& m = *MapData;
    const i32 w = m.viewW + MAP_CHIP, h = m.viewH + MAP_CHIP;
    BLT_Copy(surface, x, y, buf, nullptr, keyFlag);
    PRIM_Rect16Lock(surface, x, y, x + m.viewW - 1, y + m.viewH - 1, 13103);
    PRIM_Line16Lock(surface, x + m.originX, y, x + m.originX, y + h - 1, 1103);
    PRIM_Line16Lock(surface, x, y + m.originY, x + w - 1, y + m.originY, 1147);
}
