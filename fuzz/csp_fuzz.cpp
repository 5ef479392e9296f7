// Background-object pictures "_o.csp": the reader beside a fixed map whose cells name pictures 1..8,
// opened, drawn (every record's rectangle cut from the object sheet), scrolled and closed.
#include "fuzz/fuzz_stage.h"
#include "fuzz/fuzz_support.h"
#include "tools/writers/map_writer.h"

fuzz::Seeds FuzzSeeds() {
    std::vector<tools::CspDef> records = {{0, 0, 37, 53, 5, 40},   {40, 0, 70, 21, 30, 4}, {0, 60, 19, 90, 2, 70},
                                          {120, 0, 40, 77, 50, 60}, {40, 30, 45, 45, 0, 0}};
    fuzz::Seeds seeds{{"five", tools::CspBytes(records)}};
    records.resize(1);
    seeds.emplace_back("one", tools::CspBytes(records));
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
    static const bool stage = [] {
        fuzz::NeedStage();
        tools::MapDef m;
        m.width = 48;
        m.height = 36;
        for (int i = 0; i < 48 * 36; ++i) {
            m.chips.push_back(u16(i % 120));
            m.objs.push_back(u16(i % 13 == 0 ? 1 + i / 13 % 8 : 0));
            m.attrA.push_back(0);
            m.attrB.push_back(0);
        }
        fuzz::CompanionFile(fuzz::kStageMap, tools::MapBytes(m));
        return true;
    }();
    (void)stage;
    fuzz::InputFile(fuzz::kStageCsp, data, size);
    fuzz::RunStage();
    return 0;
}
