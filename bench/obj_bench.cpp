// The object pool: one frame's update walk (nine passes) over a battle's worth of live objects, and
// the allocate/free churn of short-lived effects.
#include <benchmark/benchmark.h>

#include "battle/object/obj.h"

namespace {

int g_updates = 0;

int Touch() {
    g_updates++;
    return 1;
}

void BM_ObjRenewAll(benchmark::State& state) {
    OBJ_Init();
    for (int i = 0; i < state.range(0); i++) {
        LIST_DATA* obj = OBJ_Alloc(i % 5 == 0 ? OBJ_KIND_MEKA : OBJ_KIND_EFFECT);
        obj->level = i % 5 == 0 ? 5 : 4;
    }
    const OBJ_RENEW_FUNC funcs[OBJ_KIND_COUNT] = {Touch, Touch, Touch, Touch, Touch, nullptr};
    for (auto _ : state) {
        OBJ_RenewAll(funcs);
        benchmark::DoNotOptimize(g_updates);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    OBJ_FreeAll();
}
BENCHMARK(BM_ObjRenewAll)->Arg(300)->Arg(2048);

void BM_ObjAllocFree(benchmark::State& state) {
    OBJ_Init();
    for (int i = 0; i < 300; i++) OBJ_Alloc(OBJ_KIND_CHIP);
    for (auto _ : state) {
        LIST_DATA* obj = OBJ_Alloc(OBJ_KIND_EFFECT);
        benchmark::DoNotOptimize(obj);
        OBJ_Free(obj->index);
    }
    OBJ_FreeAll();
}
BENCHMARK(BM_ObjAllocFree);

}  // namespace
