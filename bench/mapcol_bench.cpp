// Map and mech collision: one mech sub-step through the driver's repeat loop among ten mechs on a
// maze-like grid, and line-of-sight queries across a 128×128 map.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "battle/map/map.h"
#include "battle/map/mapcol.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"

namespace {

struct BenchMap {
    MAP_DATA map{};
    std::vector<MAP_CELL> cells;
    explicit BenchMap(int size) : cells(std::size_t(size) * std::size_t(size)) {
        std::mt19937 rng(5);
        for (MAP_CELL& c : cells) c.attrA = rng() % 100 < 15 ? 1 : 0;
        map.mapNo = 0;
        map.width = map.height = i16(size);
        map.cells = cells.data();
        MAP_SetMapPtr(&map);
    }
    ~BenchMap() { MAP_SetMapPtr(nullptr); }
};

void BM_MoveMekaSubStep(benchmark::State& state) {
    BenchMap grid(64);
    OBJ_Init();
    for (int slot = 0; slot < MEKA_SLOT_MAX; slot++) {
        LIST_DATA* obj = OBJ_Alloc(OBJ_KIND_MEKA);
        obj->mekaNo = i8(slot);
        obj->foot1 = obj->foot2 = OBJ_FOOT{-32, -40, 64, 80};
        obj->boxHeight = 90;
        obj->meka->slideMask = 3;
        MEKA_SetX(obj, 64 + slot * 90);
        MEKA_SetY(obj, 400);
        MekaSlotTbl[slot] = obj;
    }
    std::mt19937 rng(9);
    int slot = 0;
    for (auto _ : state) {
        LIST_DATA* obj = MekaSlotTbl[slot];
        slot = (slot + 1) % MEKA_SLOT_MAX;
        CurObj = obj;
        FIX16 nx = obj->x16 + FIX16(u32(i32(rng() % 31) - 15) << 16);
        FIX16 ny = obj->y16 + FIX16(u32(i32(rng() % 31) - 15) << 16);
        for (int n = 0; n < 8 && HIT_MoveMeka(&nx, &ny, 0, 0) == 1; n++) {
        }
        MEKA_SetX16(obj, nx);
        MEKA_SetY16(obj, ny);
    }
    for (LIST_DATA*& s : MekaSlotTbl) s = nullptr;
    CurObj = nullptr;
    OBJ_FreeAll();
}
BENCHMARK(BM_MoveMekaSubStep);

void BM_CheckMapLine(benchmark::State& state) {
    BenchMap grid(128);
    std::mt19937 rng(3);
    int free = 0;
    for (auto _ : state) {
        free += HIT_CheckMapLine(i32(rng() % 2048), i32(rng() % 2048), i32(rng() % 2048), i32(rng() % 2048), 1);
        benchmark::DoNotOptimize(free);
    }
}
BENCHMARK(BM_CheckMapLine);

}  // namespace
