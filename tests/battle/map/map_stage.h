// Generated stages for the map tests: a chip sheet whose every chip has its own pattern, an object
// sheet of keyed pictures, random maps, and a reference picture of a whole map painted pixel by pixel
// from the loaded sheets.
#pragma once
#include <string>
#include <vector>

#include "display_support.h"
#include "platform/types.h"
#include "test_support.h"
#include "tools/writers/map_writer.h"

namespace test {

constexpr int kChipRows = 3;  // 120 chips: 1 + chip × 256 + y × 16 + x stays below 0x8000

struct StageFiles {
    tools::MapDef map;
    std::vector<tools::CspDef> csp;
};

// Pictures of odd sizes, some larger than a cell, anchored inside.
std::vector<tools::CspDef> OddCsp();
// A width × height map of random chips and attributes, with about one object per `objEvery` cells.
tools::MapDef RandomMap(u16 width, u16 height, u32 seed, int cspCount, int objEvery);

// Writes the four files of stage (mapNo, sub 0 sheets) under dir/Bmp/Map; the ".map" with subNo.
void WriteStage(const TempDir& dir, int mapNo, int subNo, char letter, const StageFiles& stage);
// "Bmp\Map\Bg01.bmp" (as its ".grp"), a 32×24 picture.
void WriteBackground(const TempDir& dir);
void WriteMapOnly(const TempDir& dir, const std::string& stem, const std::vector<u8>& bytes);

// The whole open map painted as the scroll buffer should show it: chips (blank outside the map),
// then the objects of MapObjTbl in order with colour key. Row by row, MapData's pixel size widened
// by kPaintMargin on every side.
constexpr i32 kPaintMargin = 64;
std::vector<u16> PaintWholeMap();
// Pixels of a 640×480 view that differ from `whole` (PaintWholeMap's picture) under the open map's
// scroll position; the first one's place in firstX, firstY.
int ViewMismatches(const std::vector<u16>& view, const std::vector<u16>& whole, i32* firstX = nullptr,
                   i32* firstY = nullptr);
// The pixels of a surface (16 bits), row by row.
std::vector<u16> ReadSurface(plat::Surface* surface, i32* width = nullptr, i32* height = nullptr);

// A display, the sprite system and a folder to open stages in, for one test.
class MapFixtureEnv {
public:
    MapFixtureEnv();
    ~MapFixtureEnv();
    const TempDir& dir() const { return dir_; }
    bool ok() const { return display_.ok(); }

private:
    HeadlessDisplay display_;
    TempDir dir_;
    ScopedCwd cwd_;
};

}  // namespace test
