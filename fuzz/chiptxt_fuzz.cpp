// The map editor's chip names "ChipTxt\%s.txt": the reader, then every name of the table measured as
// the editor's list shows it (each must end inside its row).
#include <cstring>

#include "editors/edit_common.h"
#include "fuzz/fuzz_support.h"

fuzz::Seeds FuzzSeeds() {
    const std::string text = "// chips of stage 1\r\ngrass\r\n  wall_a\tblocks\r\n\r\nwater\n";
    return {{"names", std::vector<u8>(text.begin(), text.end())}};
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
    static const bool root = [] {
        fuzz::UseGameRoot();
        return true;
    }();
    (void)root;
    fuzz::InputFile("ChipTxt/fuzz.txt", data, size);
    fuzz::Check(EDIT_LoadChipTxt("fuzz") == 1, "chip names read");
    for (const auto& name : EditChipNameTbl) fuzz::Check(std::memchr(name, 0, EDIT_CHIP_NAME) != nullptr, "name ends in its row");
    return 0;
}
