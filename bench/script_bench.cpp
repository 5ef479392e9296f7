// The interpreter's worst update: a script that never waits runs the whole statement budget.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/debug.h"
#include "platform/file.h"
#include "script/core/ass.h"
#include "script/core/scr_data.h"
#include "tools/writers/script_asm.h"

namespace {

void BM_ScriptBudgetUpdate(benchmark::State& state) {
    char dir[] = "/tmp/script_benchXXXXXX";
    if (!mkdtemp(dir)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string path = std::string(dir) + "/spin.scr";
    const std::vector<u8> bytes =
        tools::AssembleScript("decl 3 i, j = 3\ntop: set i += j * 2 - 1\nif i > 5 or j else top\njump top").bytes;
    if (!plat::WriteFileAtomic(path.c_str(), bytes.data(), bytes.size())) {
        state.SkipWithError("cannot write the script");
        return;
    }
    plat::SetDebugSink([](std::string_view) {});
    ASS_Init();
    ASS_LoadScript(path.c_str());
    ASS_StartScript();
    for (auto _ : state) benchmark::DoNotOptimize(ASS_Loop());
    ASS_Term();
    plat::SetDebugSink({});
    unlink(path.c_str());
    rmdir(dir);
    state.counters["statements/s"] =
        benchmark::Counter(double(state.iterations()) * ASS_STATEMENT_BUDGET, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScriptBudgetUpdate)->Unit(benchmark::kMillisecond);

}  // namespace
