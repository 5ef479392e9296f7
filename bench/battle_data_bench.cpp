// Loading a full weapon table (as every start-up does) and a large technique file (as the first mech
// of a type does).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "battle/data/tama_data.h"
#include "battle/data/waza_data.h"
#include "shell/common.h"
#include "tools/writers/battle_data_writer.h"
#include "tools/writers/byte_writer.h"

namespace {

// A temporary start-up folder holding the files, current while it lives.
class DataDir {
public:
    DataDir() {
        char name[] = "/tmp/battle_data_benchXXXXXX";
        path_ = mkdtemp(name) ? name : "";
        old_ = std::filesystem::current_path();
        std::vector<TAMA_DATA> weapons;
        for (int i = 0; i < TAMA_MAX; ++i) weapons.push_back(tools::NewTama(i16(i), "bench"));
        std::vector<WAZA_DATA> techniques(64, tools::NewWaza("bench"));
        ok_ = !path_.empty() && tools::SaveFile(path_ + "/Dat/Tama.dat", tools::TamaFile(weapons)) &&
              tools::SaveFile(path_ + "/Dat/player.waz", tools::WazFile(techniques));
        if (ok_) std::filesystem::current_path(path_);
        InitCommon();
    }
    ~DataDir() {
        std::filesystem::current_path(old_);
        InitCommon();
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    bool ok() const { return ok_; }

private:
    std::string path_;
    std::filesystem::path old_;
    bool ok_ = false;
};

void BM_TamaLoadFullTable(benchmark::State& state) {
    DataDir dir;
    if (!dir.ok()) return state.SkipWithError("cannot write the data files");
    for (auto _ : state) benchmark::DoNotOptimize(TAMA_LoadData());
    if (TamaDataCount != TAMA_MAX) state.SkipWithError("weapons missing");
    TAMA_ClearData();
    state.SetBytesProcessed(i64(state.iterations()) * (2 + TAMA_FILE_SIZE * TAMA_MAX));
}
BENCHMARK(BM_TamaLoadFullTable);

void BM_WazaLoadRelease64(benchmark::State& state) {
    DataDir dir;
    if (!dir.ok()) return state.SkipWithError("cannot write the data files");
    for (auto _ : state) {
        benchmark::DoNotOptimize(WAZA_LoadData(0));
        WAZA_ReleaseData(0);
    }
    state.SetBytesProcessed(i64(state.iterations()) * (2 + WAZA_FILE_SIZE * 64));
}
BENCHMARK(BM_WazaLoadRelease64);

}  // namespace
