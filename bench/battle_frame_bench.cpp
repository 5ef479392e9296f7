// A busy battle frame on the sample data: the player and 9 CPU mechs of three types, kept alive and
// undecided, with several hundred live effects; the play step (BTL_Renew) and the draw (BTL_Draw,
// headless) timed apart.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "battle/battle.h"
#include "battle/data/tama_data.h"
#include "battle/effect/eft.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "battle/tama/tama.h"
#include "graphics/display/disp.h"
#include "graphics/sprite/spr.h"
#include "screens/btl/btl.h"
#include "shell/common.h"
#include "shell/math.h"
#include "tests/harness/battle_harness.h"

namespace {

constexpr int kEffects = 400;

struct BusyBattle {
    BusyBattle() {
        DISP_Init(nullptr, 640, 480, 16, 1, 0, 1);
        SPR_Init();
        MATH_SetShift(16);
        DISP_SetClipRect(0, 0, 640, 480);
        old = std::filesystem::current_path();
        std::filesystem::current_path(KORVANE_SAMPLE_DATA_DIR);
        InitCommon();
        TAMA_LoadData();
        harness::SeedRandom(99);
        harness::SetupBattle({4, 7, 5, 4, 7, 5, 4, 7, 5});
    }
    ~BusyBattle() {
        harness::TeardownBattle();
        harness::RestoreRandom();
        TAMA_ClearData();
        std::filesystem::current_path(old);
        InitCommon();
        SPR_Release();
    }
    // Nobody dies, and the effects stay topped up.
    void Keep() {
        for (int slot = 0; slot < MEKA_SLOT_MAX; slot++)
            if (LIST_DATA* o = MEKA_GetSlot(slot)) {
                o->meka->lifeBar = 9;
                o->meka->life = MEKA_LIFE_UNITS;
            }
        FightOver = 0;
        BtlState = 5;
        for (int i = 0; EftCnt < kEffects && i < kEffects; i++) {
            LIST_DATA* o = MEKA_GetSlot(i % MEKA_SLOT_MAX);
            if (!o) continue;
            EFT_Create(i % 3 == 0 ? 9 : 1, nullptr, o->x + (i * 37) % 200 - 100, o->y + (i * 53) % 160 - 80, 0);
        }
    }
    std::filesystem::path old;
};

void BM_BusyBattleUpdate(benchmark::State& state) {
    BusyBattle b;
    for (auto _ : state) {
        state.PauseTiming();
        b.Keep();
        state.ResumeTiming();
        BTL_Renew();
    }
    state.counters["effects"] = EftCnt;
    state.counters["shots"] = TamaShotCnt;
}
BENCHMARK(BM_BusyBattleUpdate)->Unit(benchmark::kMicrosecond);

void BM_BusyBattleDraw(benchmark::State& state) {
    BusyBattle b;
    b.Keep();
    for (auto _ : state) {
        state.PauseTiming();
        b.Keep();
        state.ResumeTiming();
        BTL_Draw();
    }
    state.counters["effects"] = EftCnt;
    state.counters["shots"] = TamaShotCnt;
}
BENCHMARK(BM_BusyBattleDraw)->Unit(benchmark::kMicrosecond);

}  // namespace
