// The battle's frame: the world draw (camera step, background-object pieces, placement, the depth sort
// and the three passes with shadows and blends) with 10 mechs and 300 effects on a generated stage,
// and the battle's sprite animation step over the same table.
#include <benchmark/benchmark.h>

#include "battle/btl_draw.h"
#include "battle/data/meka_type.h"
#include "battle/map/cam.h"
#include "battle/map/map.h"
#include "battle/map/scr.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "bench/bench_stage.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/memory.h"
#include "screens/save/save.h"
#include "tools/writers/meka_set_writer.h"

namespace {

constexpr int kMechs = 10;
constexpr int kEffects = 300;

// Four pages of one keyed 32×32 part, for the effects.
void EffectGroup(int g, int img) {
    auto* pages = static_cast<SPR_PAGE*>(plat::GlobalAllocZero(sizeof(SPR_PAGE) * 4));
    for (int p = 0; p < 4; ++p) {
        pages[p].wait = 1;
        pages[p].partCount = 1;
        pages[p].parts = static_cast<SPR_PART*>(plat::GlobalAllocZero(sizeof(SPR_PART)));
        pages[p].parts[0].image = u16(img);
        pages[p].parts[0].dest = RECT{-16, -32, 16, 0};
        pages[p].parts[0].src = RECT{0, 0, 32, 32};
    }
    SprPageTbl[g] = pages;
    SprGrpTbl[g].pageCount = 4;
}

struct BattleScene : BenchStage {
    BattleScene() : BenchStage(5) {
        for (int t = 0; t < 2; ++t) tools::SaveSimpleMekaSet(dir, MekaNameTbl[t]);
        InFolder([this] {
            MAP_Open(1, 0, 0);
            OBJ_Init();
            SAVE_InitGameData();
            // The mechs stand around the view's centre, among the map's objects.
            for (int slot = 0; slot < kMechs; ++slot)
                MEKA_Create(slot, slot ? 1 : 0, slot ? MEKA_CTRL_CPU : MEKA_CTRL_PLAYER, slot ? 1 : 0,
                            700 + int(rng() % 560), 500 + int(rng() % 400));
        });

        const int img = SPR_CreateSurf(32, 32, 0);
        const RECT inner{4, 4, 28, 28};
        SURF_Fill(SPR_GetSlotSurf(img), &inner, 0x7BEF);
        const int g = SPR_GetFreeSprGrp();
        EffectGroup(g, img);
        const u32 blends[] = {0, 0x4, 0x8, 0x400, 0x40, 0x1};
        for (int i = 0; i < kEffects; ++i) {
            LIST_DATA* o = OBJ_Alloc(OBJ_KIND_EFFECT);
            const int s = SPR_GetFreeSpr();
            if (!o || s < 0 || !SPR_CreateSpr(s, 128, 0, 0, g, 0)) break;
            o->x = 660 + int(rng() % 640);
            o->y = 460 + int(rng() % 480);
            o->z = int(rng() % 3) ? 0 : int(rng() % 60);
            o->shadow = rng() % 2;
            o->spr = i16(s);
            SPR_SetSprObjNo(s, o->index);
            SPR_SetSprAttr(s, blends[rng() % 6]);
            SPR_SetSprAttrCnt1(s, 16);
            SPR_SetAnime(s, 2, 0, 3);
        }
        CAM_Setup(CAM_MODE_POINT, nullptr, nullptr);
        CAM_SetSpeed(-999, -999, 12);
        CAM_SetPos(980, 700);
        SCR_Redraw(980, 700);
    }
    ~BattleScene() {
        for (int slot = 0; slot < kMechs; ++slot) MEKA_Delete(slot);
        OBJ_FreeAll();
    }
    // The camera wanders between two points, so the map scrolls in most frames.
    void NextTarget(int frame) {
        CamData.fixX = (frame / 20) % 2 ? 1100 : 860;
        CamData.fixY = (frame / 30) % 2 ? 780 : 620;
    }
};

void BM_BattleWorldFrame(benchmark::State& state) {
    BattleScene scene;
    int frame = 0;
    for (auto _ : state) {
        scene.NextTarget(frame++);
        BTL_DrawWorld(MapData->screenX, MapData->screenY);
    }
    state.counters["pieces"] = MapObjSprCnt;
}
BENCHMARK(BM_BattleWorldFrame)->Unit(benchmark::kMicrosecond);

void BM_BattleSprAnim(benchmark::State& state) {
    BattleScene scene;
    for (auto _ : state) BTL_RenewSprAnim(0);
}
BENCHMARK(BM_BattleSprAnim)->Unit(benchmark::kMicrosecond);

void BM_BattleSort(benchmark::State& state) {
    BattleScene scene;
    static i16 pri[BTL_LIST_MAX], world[BTL_LIST_MAX];
    for (auto _ : state) {
        BTL_SortSpr(pri, world);
        benchmark::DoNotOptimize(world[0]);
    }
}
BENCHMARK(BM_BattleSort)->Unit(benchmark::kMicrosecond);

}  // namespace
