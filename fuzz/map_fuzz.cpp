// Stage maps ".map": the reader and its four run-length layers opened as a stage beside a fixed
// "_o.csp", then drawn, scrolled and asked for cells as a battle does (fuzz/fuzz_stage.h).
#include "fuzz/fuzz_stage.h"
#include "fuzz/fuzz_support.h"
#include "tools/writers/map_writer.h"

namespace {

tools::MapDef Map(u16 width, u16 height) {
    tools::MapDef m;
    m.width = width;
    m.height = height;
    const size_t cells = size_t(width) * height;
    for (size_t i = 0; i < cells; ++i) {
        m.chips.push_back(u16(i % 7 == 0 ? 3 : i % 120));
        m.objs.push_back(u16(i % 17 == 0 ? 1 + i % 3 : 0));
        m.attrA.push_back(u8(i % 5 == 0));
        m.attrB.push_back(u8(i % 3));
    }
    return m;
}

}  // namespace

fuzz::Seeds FuzzSeeds() {
    return {{"small", tools::MapBytes(Map(12, 9))}, {"wide", tools::MapBytes(Map(60, 4))},
            {"view", tools::MapBytes(Map(45, 34))}};
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
    static const bool stage = [] {
        fuzz::NeedStage();
        fuzz::CompanionFile(fuzz::kStageCsp, tools::CspBytes({{0, 0, 37, 53, 5, 40}, {40, 0, 70, 21, 30, 4},
                                                                {0, 60, 19, 90, 2, 70}}));
        return true;
    }();
    (void)stage;
    fuzz::InputFile(fuzz::kStageMap, data, size);
    fuzz::RunStage();
    return 0;
}
