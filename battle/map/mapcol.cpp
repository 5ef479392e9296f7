#include "battle/map/mapcol.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "battle/map/map.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "graphics/sprite/spr.h"
#include "shell/common.h"

namespace {

constexpr int kFootW = 64;  // a mech's base on the map plane
constexpr int kFootD = 80;
constexpr u8 kBlockBit = 1;
constexpr int kContactMap = 1;  // slide-mask bits
constexpr int kContactMeka = 2;

// Cells of pixel positions: floor, so that negative pixels lie outside the map.
i32 CellOf(i32 pixel) { return pixel >> 4; }

bool InMap(i32 cx, i32 cy) { return cx >= 0 && cy >= 0 && cx < MapData->width && cy < MapData->height; }

u8 AttrA(i32 cx, i32 cy) { return MapData->cells[std::size_t(cy) * std::size_t(MapData->width) + std::size_t(cx)].attrA; }

// Blocked for movement: a blocking cell, or one outside the map (mechs stay on it).
bool Blocked(i32 cx, i32 cy) { return !InMap(cx, cy) || (AttrA(cx, cy) & kBlockBit); }

// A cell that carries any bit of the mask; outside cells never do.
bool Matches(i32 cx, i32 cy, int mask) { return InMap(cx, cy) && (AttrA(cx, cy) & mask); }

int Sign(i32 v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

RECT BoxAt(const OBJ_FOOT& f, i32 x, i32 y) { return RECT{x + f.x, y + f.y, x + f.x + f.w, y + f.y + f.h}; }

// "Meets" is a non-empty overlap: a box flush with an obstacle meets nothing, so a move that ends
// flush reports no contact and the driver's repeat loop ends.
bool Meets(const RECT& a, const RECT& b) {
    RECT r;
    return GetCrossRect(&r, &a, &b) != 0;
}

bool HeightsMeet(const LIST_DATA* a, const LIST_DATA* b) {
    return a->z <= b->z + b->boxHeight && a->z + a->boxHeight >= b->z;
}

struct Obstacle {
    RECT r;
    int kind;  // kContactMap or kContactMeka
};

// Foot boxes come from sprite data, so a scan may find any number of runs. One list serves every call
// (a retry starts only after its caller is done with the list), so moves allocate nothing once warm.
struct Obstacles {
    std::vector<Obstacle>& list;
    void Add(const RECT& r, int kind) { list.push_back(Obstacle{r, kind}); }
};

std::vector<Obstacle> ObstacleList;

// Merges runs of blocked cells of one column (rows r0..r0+n-1) into 16-wide rectangles.
void ScanColumn(Obstacles* out, i32 col, i32 r0, i32 n) {
    i32 runStart = 0;
    bool inRun = false;
    for (i32 i = 0; i <= n; i++) {
        const bool blocked = i < n && Blocked(col, r0 + i);
        if (blocked && !inRun) runStart = r0 + i, inRun = true;
        if (!blocked && inRun) {
            out->Add(RECT{col * 16, runStart * 16, col * 16 + 16, (r0 + i) * 16}, kContactMap);
            inRun = false;
        }
    }
}

// The same along a row (columns c0..c0+n-1), leaving out column skip.
void ScanRow(Obstacles* out, i32 row, i32 c0, i32 n, i32 skip, bool useSkip) {
    i32 runStart = 0;
    bool inRun = false;
    for (i32 i = 0; i <= n; i++) {
        const i32 c = c0 + i;
        const bool blocked = i < n && !(useSkip && c == skip) && Blocked(c, row);
        if (blocked && !inRun) runStart = c, inRun = true;
        if (!blocked && inRun) {
            out->Add(RECT{runStart * 16, row * 16, c * 16, row * 16 + 16}, kContactMap);
            inRun = false;
        }
    }
}

struct Correction {
    i32 cx = 0;
    i32 cy = 0;
    int tag = 0;  // 0 decided by the contact point, 1 x side, 2 y side
};

}  // namespace

void MAP_SetObjPos(LIST_DATA* obj, i32 x, i32 y, i32 z) {
    if (!obj) return;
    obj->x = x;
    obj->y = y;
    obj->z = z;
    obj->x16 = FIX16(u32(x) << 16);
    obj->y16 = FIX16(u32(y) << 16);
    obj->z16 = FIX16(u32(z) << 16);

    SPR_DATA* spr = SPR_GetSpr(obj->spr);
    const bool meka = obj->kind == OBJ_KIND_MEKA && obj->meka;
    // A mech's boxes are those of facing 0 whatever way it faces.
    const u8 savedPage = spr ? spr->pageOffset : 0;
    const i8 savedDir = obj->dir;
    if (meka) {
        if (spr) spr->pageOffset = 0;
        obj->dir = 0;
    }
    RECT body{}, foot{}, box{};
    if (!SPR_GetHitRect(obj->spr, 0, &body) || !SPR_GetHitRect(obj->spr, 13, &foot) ||
        !SPR_GetHitRect(obj->spr, 4, &box)) {
        body = foot = box = RECT{};
    }
    if (meka) {
        if (spr) spr->pageOffset = savedPage;
        obj->dir = savedDir;
    }
    obj->hitBox = body;
    obj->foot1 = OBJ_FOOT{foot.left, foot.top, foot.right - foot.left, foot.bottom - foot.top};
    obj->foot2 = obj->foot1;
    obj->boxTop = i16(std::abs(box.top));
    obj->boxHeight = i16(box.bottom - box.top);
    if (!meka) return;
    MEKA_WORK* m = obj->meka;
    m->footW = kFootW;
    m->footD = kFootD;
    m->footChipW = kFootW / 16;
    m->footChipD = kFootD / 16;
    m->cellX = i16((x + obj->foot1.x) % 16);
    m->cellY = i16((y + obj->foot1.y) % 16);
}

int HIT_CheckMekaRect(LIST_DATA* obj) {
    if (!obj) return -1;
    const RECT own{obj->x, obj->y, obj->x + obj->foot2.w, obj->y + obj->foot2.h};
    for (int slot = 0; slot < MEKA_SLOT_MAX; slot++) {
        LIST_DATA* other = MEKA_GetSlot(slot);
        if (!other || !other->use || other == obj || !HeightsMeet(obj, other)) continue;
        const RECT r{other->x, other->y, other->x + other->foot2.w, other->y + other->foot2.h};
        if (Meets(own, r)) return slot;
    }
    return -1;
}

int HIT_MoveMeka(FIX16* nx16, FIX16* ny16, int ignoreMeka, int retry) {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = obj && obj->use && obj->kind == OBJ_KIND_MEKA ? obj->meka : nullptr;
    if (!m || !nx16 || !ny16) return 0;

    const i32 x = obj->x, y = obj->y;
    const i32 dx = (*nx16 >> 16) - x, dy = (*ny16 >> 16) - y;
    if (dx == 0 && dy == 0) return 0;
    const bool left = dx < 0, right = dx > 0, up = dy < 0, down = dy > 0;
    const bool diagonal = dx != 0 && dy != 0;

    ObstacleList.clear();
    Obstacles obs{ObstacleList};
    if (!ignoreMeka) {
        for (int slot = 0; slot < MEKA_SLOT_MAX; slot++) {
            LIST_DATA* other = MEKA_GetSlot(slot);
            if (!other || !other->use || other == obj || !HeightsMeet(obj, other)) continue;
            obs.Add(BoxAt(other->foot2, other->x, other->y), kContactMeka);
        }
    }
    const i32 nx = x + dx, ny = y + dy;
    const RECT o1 = BoxAt(obj->foot1, x, y);
    const RECT n1 = BoxAt(obj->foot1, nx, ny);
    if (MAP_IsOpen()) {
        const i32 leadCol = left ? CellOf(n1.left) : CellOf(n1.right);
        const i32 leadRow = up ? CellOf(n1.top) : CellOf(n1.bottom);
        const bool sameCol = CellOf(o1.left) == CellOf(n1.left);
        const bool sameRow = CellOf(o1.top) == CellOf(n1.top);
        const bool colScan = !(sameCol && (m->cellX != 0 || !right));
        const bool rowScan = !(sameRow && (m->cellY != 0 || !down));
        if (colScan) {
            const i32 n = obj->foot1.h / 16 + ((n1.top & 15) != 0 ? 1 : 0);
            ScanColumn(&obs, leadCol, CellOf(n1.top), n);
        }
        if (rowScan) {
            const i32 n = obj->foot1.w / 16 + ((n1.left & 15) != 0 ? 1 : 0);
            ScanRow(&obs, leadRow, CellOf(n1.left), n, leadCol, colScan);
        }
    }

    const i32 adx = std::abs(dx), ady = std::abs(dy);
    // The slope truncates to 0 for moves nearly along x: those contacts are all taken on x sides.
    const i32 slope = dx != 0 ? i32(i64(dy) * 256 / dx) : 0;
    int code = 0;
    int contact = 0;
    bool haveX = false, haveY = false;
    Correction bestX, bestY;
    for (const Obstacle& ob : ObstacleList) {
        const OBJ_FOOT& f = ob.kind == kContactMeka ? obj->foot2 : obj->foot1;
        const RECT O = BoxAt(f, x, y);
        const RECT N = BoxAt(f, nx, ny);
        const RECT& B = ob.r;
        if (!Meets(N, B)) continue;
        contact |= ob.kind;
        const int blockCode = ob.kind == kContactMeka ? -1 : -2;
        Correction c;
        if (!diagonal) {
            i32 v = dy > 0 ? B.top - N.bottom : dy < 0 ? B.bottom - N.top : dx < 0 ? B.right - N.left : B.left - N.right;
            if (std::abs(v) >= 16) {
                code = blockCode;
                v = 0;
            }
            (dy != 0 ? c.cy : c.cx) = v;
        } else {
            const i32 gx = left ? O.left - B.right : B.left - O.right;
            const i32 gy = up ? O.top - B.bottom : B.top - O.bottom;
            if (gx < 0 && gy < 0) {
                code = blockCode;  // it already overlapped: no way out along this move
            } else {
                const i32 t = slope != 0 ? i32(i64(gy) * 256 / slope) : 0;
                const i32 u = slope != 0 ? i32((i64(gx) * slope) >> 8) : 0;
                bool ySide;
                if (slope == 0) {
                    ySide = false;
                    c.tag = 1;
                } else if (gx >= 0 && gy >= 0) {
                    // Where the box's leading corner stands once the y gap is closed: on the
                    // obstacle's y side or beside it. (t runs against the move for upward moves.)
                    RECT I{};
                    GetCrossRect(&I, &N, &B);
                    OffsetRectDat(&I, O.left - N.left, O.top - N.top);
                    const i32 tx = up ? -t : t;
                    const i32 px = (left ? I.left : I.right) + tx;
                    const i32 py = down ? I.bottom + gy : I.top - gy;
                    ySide = B.left <= px && px <= B.right && py == (down ? B.top : B.bottom);
                    c.tag = 0;
                } else {
                    ySide = gy >= 0;
                    c.tag = ySide ? 2 : 1;
                }
                if (ySide) {
                    c.cy = down ? B.top - N.bottom : B.bottom - N.top;
                    c.cx = down ? (left ? adx + t : t - adx) : (left ? adx - t : -t - adx);
                } else {
                    c.cx = left ? B.right - N.left : B.left - N.right;
                    c.cy = down ? (left ? -u - ady : u - ady) : (left ? ady - u : ady + u);
                }
            }
        }
        // Farthest back on each axis: the largest for leftward/upward moves, the smallest otherwise.
        if (dx != 0 && (!haveX || (left ? c.cx > bestX.cx : c.cx < bestX.cx))) bestX = c, haveX = true;
        if (dy != 0 && (!haveY || (up ? c.cy > bestY.cy : c.cy < bestY.cy))) bestY = c, haveY = true;
    }

    if (!contact) {
        if (dx != 0) m->slideX = i16(Sign(dx));
        if (dy != 0) m->slideY = i16(Sign(dy));
        return 0;
    }
    const i32 cx = haveX ? bestX.cx : 0;
    const i32 cy = haveY ? bestY.cy : 0;
    *nx16 += FIX16(u32(cx) << 16);
    *ny16 += FIX16(u32(cy) << 16);
    const i32 ax = (*nx16 >> 16) - x, ay = (*ny16 >> 16) - y;
    if (ax == 0 && ay == 0 && (m->slideMask & contact)) {
        if (retry) {
            // The slide was a straight move: it failed, so the next one goes the other way.
            if (dx != 0) m->slideX = i16(-m->slideX);
            else m->slideY = i16(-m->slideY);
            return code ? code : 1;
        }
        i32 sx = 0, sy = 0;
        if (!diagonal && dx == 0) {
            sx = ady * m->slideX;
        } else if (!diagonal) {
            sy = adx * m->slideY;
        } else if (bestX.tag == 1 && bestY.tag == 1) {
            sy = adx * Sign(dy);
        } else {
            sx = ady * Sign(dx);
        }
        *nx16 = obj->x16 + FIX16(u32(sx) << 16);
        *ny16 = obj->y16 + FIX16(u32(sy) << 16);
        return HIT_MoveMeka(nx16, ny16, ignoreMeka, 1);
    }
    if (ax != 0) m->slideX = i16(Sign(ax));
    if (ay != 0) m->slideY = i16(Sign(ay));
    return code ? code : 1;
}

int HIT_CheckMapAttr(LIST_DATA* obj, int mask) {
    RECT r;
    if (!obj || !MAP_IsOpen() || !SPR_GetHitRect(obj->spr, 2, &r) || r.right <= r.left || r.bottom <= r.top) return 0;
    const i32 left = obj->x + r.left, top = obj->y + r.top;
    const i32 extX = r.right + ((left & 15) != 0 ? 16 : 0);
    const i32 extY = r.bottom + ((top & 15) != 0 ? 16 : 0);
    const i32 c0 = CellOf(left), r0 = CellOf(top);
    // Outside cells match nothing: only the part of the box on the map is walked.
    const i32 cBeg = std::max(c0, 0), cEnd = std::min<i32>(c0 + (extX + 15) / 16, MapData->width);
    const i32 rBeg = std::max(r0, 0), rEnd = std::min<i32>(r0 + (extY + 15) / 16, MapData->height);
    for (i32 cy = rBeg; cy < rEnd; cy++)
        for (i32 cx = cBeg; cx < cEnd; cx++)
            if (Matches(cx, cy, mask)) return 1;
    return 0;
}

int HIT_CheckMapLine(i32 x1, i32 y1, i32 x2, i32 y2, int mask) {
    if (!MAP_IsOpen()) return 0;
    i32 ax = CellOf(x1), ay = CellOf(y1), bx = CellOf(x2), by = CellOf(y2);
    if (!InMap(ax, ay) || !InMap(bx, by)) return 0;
    if (ax == bx && ay == by) return 1;
    const bool yMajor = std::abs(bx - ax) <= std::abs(by - ay);
    // From the end with the smaller major coordinate, so that (a, b) and (b, a) walk the same cells.
    if (yMajor ? by < ay : bx < ax) std::swap(ax, bx), std::swap(ay, by);
    i32& major = yMajor ? ay : ax;
    i32& minor = yMajor ? ax : ay;
    const i32 majorEnd = yMajor ? by : bx;
    const i32 majorDist = std::abs(yMajor ? by - ay : bx - ax);
    const i32 minorDist = std::abs(yMajor ? bx - ax : by - ay);
    const i32 minorStep = Sign(yMajor ? bx - ax : by - ay);
    i32 err = majorDist / 2;
    while (major < majorEnd) {
        major++;
        err -= minorDist;
        if (err < 0) {
            minor += minorStep;
            err += majorDist;
        }
        if (Matches(ax, ay, mask)) return 0;
    }
    return 1;
}

int HIT_CheckMapLineBox(LIST_DATA* obj, i32 x, i32 y, int mask) {
    if (!obj || !MAP_IsOpen()) return 0;
    i32 cx = CellOf(obj->x), cy = CellOf(obj->y);
    const i32 tx = CellOf(x), ty = CellOf(y);
    if (!InMap(cx, cy) || !InMap(tx, ty)) return 0;
    // Boxes under a cell still step (and cover) one cell per axis: a step of 0 would never arrive.
    const i32 w = std::max(obj->foot1.w / 16, 1), h = std::max(obj->foot1.h / 16, 1);
    const i32 offX = obj->foot1.x / 16, offY = obj->foot1.y / 16;
    const bool yMajor = std::abs(tx - cx) <= std::abs(ty - cy);
    i32& major = yMajor ? cy : cx;
    i32& minor = yMajor ? cx : cy;
    const i32 majorDist = std::abs(yMajor ? ty - cy : tx - cx);
    const i32 minorDist = std::abs(yMajor ? tx - cx : ty - cy);
    const i32 majorDir = Sign(yMajor ? ty - cy : tx - cx);
    const i32 minorDir = Sign(yMajor ? tx - cx : ty - cy);
    const i32 majorStep = yMajor ? h : w, minorStep = yMajor ? w : h;
    i32 err = majorDist / 2;
    // The last step may be shorter than the box: the walk always arrives at the target's cell.
    for (i32 travelled = 0; travelled < majorDist;) {
        const i32 step = std::min(majorStep, majorDist - travelled);
        travelled += step;
        major += majorDir * step;
        err -= minorDist;
        if (err < 0) {
            minor += minorDir * minorStep;
            err += majorDist;
        }
        for (i32 j = 0; j < h; j++) {
            for (i32 i = 0; i < w; i++) {
                const i32 qx = cx + offX + i, qy = cy + offY + j;
                if (!InMap(qx, qy) || (AttrA(qx, qy) & mask)) return 0;
            }
        }
    }
    return 1;
}
