// CPU behaviour files "Dat\%s.cpu": the reader, every entry's technique or basic action looked up as
// the CPU's choices look it up, the record written back (a short file's missing bytes read as zeros),
// and the defaults laid over it as the editor does.
#include <algorithm>
#include <cstring>
#include <string>

#include "battle/data/meka_type.h"
#include "fuzz/fuzz_support.h"
#include "tools/writers/battle_data_writer.h"

namespace {

constexpr int kType = 1;

void Walk(const CPU_DATA& d) {
    int usable = 0;
    for (const CPU_MODE& m : d.mode) usable += m.move >= 0;
    for (const CPU_ATK_GROUP& g : d.group)
        for (const CPU_ATK& a : g.atk) usable += a.waza >= 0 && a.waza < WAZA_GetCount(kType);
    for (const CPU_COUNTER& c : d.counter)
        if (c.type == 1 && c.action >= 0 && c.action < CPU_MODE_MAX) usable += d.mode[c.action].move >= 0;
    (void)usable;
}

}  // namespace

fuzz::Seeds FuzzSeeds() {
    CPU_DATA d = tools::NewCpu();
    d.counter[0] = {1, 0, 2, 0, 0, 500, 10, 3, 1, {}, 0, 400, 0, 5, 0};
    d.group[0].atk[0].waza = 1;
    return {{"default", tools::CpuFile(tools::NewCpu())}, {"counter", tools::CpuFile(d)}};
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
    static const std::string name = [] {
        fuzz::UseGameRoot();
        return std::string("Dat/") + MekaNameTbl[kType] + ".cpu";
    }();
    fuzz::InputFile(name.c_str(), data, size);
    const int read = CPU_LoadData(kType);
    const CPU_DATA* d = MekaTypeTbl[kType].cpu;
    fuzz::Check(d != nullptr, "a record whatever the file");
    if (read) {
        Walk(*d);
        static u8 bytes[CPU_DATA_SIZE], want[CPU_DATA_SIZE];
        CPU_WriteRecord(d, bytes);
        std::memset(want, 0, sizeof(want));
        std::memcpy(want, data, std::min<size_t>(size, CPU_DATA_SIZE));
        fuzz::Check(std::memcmp(bytes, want, CPU_DATA_SIZE) == 0, "CPU record round trip");
    }
    CPU_SetDefaultData(kType);
    Walk(*d);
    CPU_ReleaseData(kType);
    fuzz::Check(MekaTypeTbl[kType].cpu == nullptr, "released");
    return 0;
}
