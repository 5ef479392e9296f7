#include "map_stage.h"

#include <cstdio>
#include <random>

#include "battle/map/map.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/memory.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/grp_writer.h"

namespace test {

namespace {

constexpr u32 kObjSheetW = 256;
constexpr u32 kObjSheetH = 200;

u16 ChipPixel(u32 x, u32 y) {
    const u32 chip = (y / 16) * 40 + x / 16;
    return u16(1 + chip * 256 + (y % 16) * 16 + x % 16);
}

// Keyed holes on a diagonal lattice, so a missing key or a shifted source both show.
u16 ObjPixel(u32 x, u32 y) {
    if ((x * 7 + y * 3) % 5 == 0) return 0;
    return u16(0x4000 | ((x * 31 + y * 17) & 0x3FFF) | 1);
}

std::string MapDir(const TempDir& dir) { return dir.path() + "/Bmp/Map/"; }

}  // namespace

std::vector<tools::CspDef> OddCsp() {
    return {
        {0, 0, 37, 53, 5, 40},    {40, 0, 70, 21, 30, 4},    {0, 60, 19, 90, 2, 70},
        {120, 0, 100, 77, 50, 60}, {40, 30, 45, 45, 0, 0},    {130, 100, 120, 97, 60, 80},
    };
}

tools::MapDef RandomMap(u16 width, u16 height, u32 seed, int cspCount, int objEvery) {
    std::mt19937 rng(seed);
    tools::MapDef m;
    m.width = width;
    m.height = height;
    const size_t n = size_t(width) * height;
    for (size_t i = 0; i < n; ++i) {
        // Runs of equal chips as real stages have them, and single ones.
        const u16 chip = (i > 0 && rng() % 3 == 0) ? m.chips.back() : u16(rng() % (40 * kChipRows));
        m.chips.push_back(chip);
        m.objs.push_back(objEvery > 0 && int(rng() % u32(objEvery)) == 0 ? u16(1 + rng() % u32(cspCount)) : 0);
        m.attrA.push_back(rng() % 4 == 0 ? u8(rng() % 4) : 0);
        m.attrB.push_back(u8(rng() % 2 ? 7 : 0));
    }
    return m;
}

void WriteBackground(const TempDir& dir) {
    tools::SaveGrp(MapDir(dir) + "Bg01.grp", tools::Grp16(32, 24, ObjPixel), false);
}

void WriteMapOnly(const TempDir& dir, const std::string& stem, const std::vector<u8>& bytes) {
    tools::SaveFile(MapDir(dir) + stem + ".map", bytes);
}

void WriteStage(const TempDir& dir, int mapNo, int subNo, char letter, const StageFiles& stage) {
    char sheet[32], map[32];
    std::snprintf(sheet, sizeof(sheet), "%02d_0_%c", mapNo, letter);
    std::snprintf(map, sizeof(map), "%02d_%d_%c", mapNo, subNo, letter);
    tools::SaveGrp(MapDir(dir) + sheet + "_f.grp", tools::Grp16(640, 16 * kChipRows, ChipPixel), false);
    tools::SaveGrp(MapDir(dir) + sheet + "_o.grp", tools::Grp16(kObjSheetW, kObjSheetH, ObjPixel), false);
    tools::SaveFile(MapDir(dir) + sheet + "_o.csp", tools::CspBytes(stage.csp));
    WriteMapOnly(dir, map, tools::MapBytes(stage.map));
}

int ViewMismatches(const std::vector<u16>& view, const std::vector<u16>& whole, i32* firstX, i32* firstY) {
    const MAP_DATA& m = *MapData;
    const i32 pw = m.pixelW + 2 * kPaintMargin;
    int bad = 0;
    for (i32 y = 0; y < 480; ++y)
        for (i32 x = 0; x < 640; ++x) {
            const i32 px = m.scrollX + x + kPaintMargin, py = m.scrollY + y + kPaintMargin;
            if (view[size_t(y) * 640 + x] == whole[size_t(py) * pw + px]) continue;
            if (!bad++ && firstX) *firstX = x, *firstY = y;
        }
    return bad;
}

std::vector<u16> ReadSurface(plat::Surface* surface, i32* width, i32* height) {
    plat::SurfaceDesc desc{};
    if (!surface || SURF_Lock(surface, &desc) != 0) return {};
    std::vector<u16> out(size_t(desc.width) * desc.height);
    for (u32 y = 0; y < desc.height; ++y) {
        const u16* line = reinterpret_cast<const u16*>(static_cast<const u8*>(desc.pixels) + y * desc.pitch);
        for (u32 x = 0; x < desc.width; ++x) out[size_t(y) * desc.width + x] = line[x];
    }
    SURF_Unlock(surface);
    if (width) *width = i32(desc.width);
    if (height) *height = i32(desc.height);
    return out;
}

std::vector<u16> PaintWholeMap() {
    const MAP_DATA& m = *MapData;
    const i32 pw = m.pixelW + 2 * kPaintMargin, ph = m.pixelH + 2 * kPaintMargin;
    i32 cw = 0, ow = 0, oh = 0;
    const std::vector<u16> chips = ReadSurface(SPR_GetSlotSurf(MapChipSurf), &cw);
    const std::vector<u16> objs = ReadSurface(SPR_GetSlotSurf(MapObjSurf), &ow, &oh);
    std::vector<u16> out(size_t(pw) * ph);
    for (i32 y = 0; y < m.pixelH; ++y)
        for (i32 x = 0; x < m.pixelW; ++x) {
            const MAP_CELL& c = m.cells[(y / 16) * m.width + x / 16];
            out[size_t(y + kPaintMargin) * pw + x + kPaintMargin] =
                chips[size_t(c.chipY * 16 + y % 16) * cw + c.chipX * 16 + x % 16];
        }
    for (i32 n = 0; n < MapObjCnt; ++n) {
        const MAP_OBJ_DATA& o = MapObjTbl[n];
        const MAP_CSP_DATA& c = MapCspTbl[o.no];
        for (i32 y = 0; y < c.height; ++y)
            for (i32 x = 0; x < c.width; ++x) {
                const i32 px = o.x + x + kPaintMargin, py = o.y + y + kPaintMargin, sx = c.srcX + x, sy = c.srcY + y;
                if (px < 0 || py < 0 || px >= pw || py >= ph || sx >= ow || sy >= oh) continue;
                const u16 v = objs[size_t(sy) * ow + sx];
                if (v) out[size_t(py) * pw + px] = v;
            }
    }
    return out;
}

MapFixtureEnv::MapFixtureEnv() : cwd_(dir_.path()) {
    SPR_Init();
    DISP_SetClipRect(0, 0, 640, 480);
}

MapFixtureEnv::~MapFixtureEnv() {
    MAP_Close();
    SPR_Release();
    test::EmptySurfaceSlots();  // the next test starts with none
}

}  // namespace test
