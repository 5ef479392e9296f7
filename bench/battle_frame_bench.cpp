// A battle frame on the sample data as the game runs it: the player and 9 CPU mechs of three types,
// kept alive and undecided, one BTL_Loop (the battle mode's step in whatever sub-state the fight is
// in: play, hit-stops, cut-ins) and one BTL_Draw (headless) per iteration, after a second of fighting.
// The second benchmark tops the live shots up to 0 .. 300 before each frame (the CPU mechs' own come
// on top of the low counts) to show how the frame grows with them: every shot's hit check walks the
// active list.
#include <benchmark/benchmark.h>

#include <chrono>
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

constexpr int kWarmUpFrames = 60;
constexpr int kShotWeapon = 0;  // the sample "Shot": flies straight, ends at walls and on a mech hit

struct Battle {
    Battle() {
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
        for (int i = 0; i < kWarmUpFrames; i++) Frame();
    }
    ~Battle() {
        harness::TeardownBattle();
        harness::RestoreRandom();
        TAMA_ClearData();
        std::filesystem::current_path(old);
        InitCommon();
        SPR_Release();
    }
    // Nobody dies and no round ends.
    static void Keep() {
        for (int slot = 0; slot < MEKA_SLOT_MAX; slot++)
            if (LIST_DATA* o = MEKA_GetSlot(slot)) {
                o->meka->lifeBar = 9;
                o->meka->life = MEKA_LIFE_UNITS;
            }
        FightOver = 0;
    }
    // CPU mechs fire at each other (their own team, so the shots fly through them) until `shots` fly.
    static void TopUpShots(int shots) {
        for (int k = 0; TamaShotCnt < shots && k < 4 * shots; k++) {
            LIST_DATA* from = MEKA_GetSlot(1 + k % (MEKA_SLOT_MAX - 1));
            const LIST_DATA* to = MEKA_GetSlot(1 + (k + 4) % (MEKA_SLOT_MAX - 1));
            if (!from || !to) continue;
            const i32 tx = to->x + (k * 37) % 120 - 60, ty = to->y + (k * 53) % 90 - 45;
            TAMA_CreateShot(kShotWeapon, from, from->x, from->y, 10, from->x, from->y, 0, tx, ty, 0, 0);
        }
    }
    struct Times {
        double update, draw;
    };
    static Times Frame() {
        Keep();
        const auto t0 = std::chrono::steady_clock::now();
        BTL_Loop();
        const auto t1 = std::chrono::steady_clock::now();
        BTL_Draw();
        const auto t2 = std::chrono::steady_clock::now();
        return {std::chrono::duration<double>(t1 - t0).count(), std::chrono::duration<double>(t2 - t1).count()};
    }
    std::filesystem::path old;
};

// The frame, with the update and the draw apart (µs, means over the iterations), the objects in
// flight, and the share of frames the fight spent in play (sub-state 5; the rest are hit-stops and
// cut-ins).
void Run(benchmark::State& state, int shots) {
    Battle b;
    double update = 0, draw = 0, effects = 0, inFlight = 0, play = 0;
    for (auto _ : state) {
        if (shots >= 0) Battle::TopUpShots(shots);
        const Battle::Times t = Battle::Frame();
        state.SetIterationTime(t.update + t.draw);
        update += t.update;
        draw += t.draw;
        effects += EftCnt;
        inFlight += TamaShotCnt;
        play += BtlFrameState == 5;
    }
    using C = benchmark::Counter;
    state.counters["update_us"] = C(update * 1e6, C::kAvgIterations);
    state.counters["draw_us"] = C(draw * 1e6, C::kAvgIterations);
    state.counters["effects"] = C(effects, C::kAvgIterations);
    state.counters["shots"] = C(inFlight, C::kAvgIterations);
    state.counters["play"] = C(play, C::kAvgIterations);
}

void BM_BattleFrame(benchmark::State& state) { Run(state, -1); }
BENCHMARK(BM_BattleFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_BattleFrameShots(benchmark::State& state) { Run(state, int(state.range(0))); }
BENCHMARK(BM_BattleFrameShots)->UseManualTime()->Unit(benchmark::kMicrosecond)->Arg(0)->Arg(25)->Arg(50)->Arg(75)
    ->Arg(100)->Arg(150)->Arg(200)->Arg(250)->Arg(300);

}  // namespace
