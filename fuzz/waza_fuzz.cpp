// Technique files "Dat\%s.waz": the reader, then every technique's step table, loops and branches
// followed as the battle's step changes follow them, every firing entry's weapon looked up, and the
// records written back: every record the file held whole must give its bytes again.
#include <cstring>
#include <string>

#include "battle/data/meka_type.h"
#include "battle/data/tama_data.h"
#include "battle/data/waza_data.h"
#include "fuzz/fuzz_support.h"
#include "tools/writers/battle_data_writer.h"

namespace {

constexpr int kType = 0;

// The motion a step runs, or -1 where the technique ends, as the battle's step change decides it.
int StepMotion(const WAZA_DATA& w, int step) {
    if (step < 0 || step >= WAZA_STEP_MAX || w.stepTbl[step] >= WAZA_MOTION_MAX) return -1;
    return w.stepTbl[step];
}

void Walk(const WAZA_DATA& w) {
    for (int s = 0; s < WAZA_STEP_MAX; ++s) {
        const int m = StepMotion(w, s);
        if (m < 0) continue;
        (void)TAMA_GetData(w.motion[m].fire.weapon);
    }
    for (const WAZA_LOOP& l : w.loop) (void)(StepMotion(w, l.from) + StepMotion(w, l.to));
    for (const WAZA_BRANCH& b : w.branch) (void)(StepMotion(w, b.from) + StepMotion(w, b.to));
}

}  // namespace

fuzz::Seeds FuzzSeeds() {
    WAZA_DATA a = tools::NewWaza("slash");
    a.stepTbl[1] = 1;
    a.stepTbl[2] = 15;
    a.loop[0] = {0, 1, 3};
    a.branch[0] = {1, 2, 1, 0, 2};
    a.motion[1].fire.weapon = 3;
    WAZA_DATA b = tools::NewWaza("shot");
    b.kind = 1;
    b.cost = 40;
    return {{"two", tools::WazFile({a, b})}, {"one", tools::WazFile({a})}, {"none", tools::WazFile({})}};
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
    static const std::string name = [] {
        fuzz::UseGameRoot();
        return std::string("Dat/") + MekaNameTbl[kType] + ".waz";
    }();
    fuzz::InputFile(name.c_str(), data, size);
    if (!WAZA_LoadData(kType)) {
        WAZA_ReleaseData(kType);
        return 0;
    }
    const int count = WAZA_GetCount(kType);
    const i64 whole = size >= 2 ? i64(size - 2) / WAZA_FILE_SIZE : 0;
    fuzz::Check(count >= 0 && count <= whole + 1, "technique count within the file");
    u8 bytes[WAZA_FILE_SIZE];
    for (int i = 0; i < count; ++i) {
        const WAZA_DATA* w = WAZA_GetData(kType, i);
        fuzz::Check(w != nullptr, "every counted technique present");
        Walk(*w);
        if (i < whole) {
            WAZA_WriteRecord(w, bytes);
            fuzz::Check(std::memcmp(bytes, data + 2 + size_t(i) * WAZA_FILE_SIZE, WAZA_FILE_SIZE) == 0,
                        "technique record round trip");
        }
    }
    fuzz::Check(WAZA_GetData(kType, count) == nullptr && WAZA_GetData(kType, -1) == nullptr, "lookup bounds");
    WAZA_ReleaseData(kType);
    fuzz::Check(WAZA_GetCount(kType) == 0, "released");
    return 0;
}
