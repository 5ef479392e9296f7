// The survival history "Save\Svv.dat": the reader, the record written back, every row of the ranking
// table drawn as the ranking screen draws it (date, time and wave count over the ranking picture), and
// the current run entered into the table.
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "graphics/font/font.h"
#include "graphics/sprite/spr.h"
#include "screens/ranking/his.h"
#include "shell/common.h"
#include "tools/writers/grp_writer.h"
#include "tools/writers/his_writer.h"

fuzz::Seeds FuzzSeeds() {
    std::vector<tools::HisRun> table;
    for (int i = 0; i < 10; ++i) {
        tools::HisRun r;
        r.waves = 50 - 5 * i;
        r.enemy[0] = i;
        r.time[0] = u16(2020 + i);
        r.time[1] = u16(1 + i);
        table.push_back(r);
    }
    tools::HisRun now;
    now.waves = 33;
    return {{"full", tools::MakeHistory(table, now)}, {"few", tools::MakeHistory({table[0], table[1]}, now, 7)}};
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
    static const bool ready = [] {
        fuzz::UseGameRoot();
        fuzz::NeedDisplay();
        SPR_Init();
        tools::GrpImage pic;
        pic.width = 640;
        pic.height = 256;
        pic.pixels.assign(size_t(pic.width) * pic.height * 2, 0x21);
        fuzz::CompanionFile("Bmp/etc/Ranking.grp", tools::GrpBytes(pic, false));
        HisState.rankingSurf = SPR_LoadSurf(MakeFilePath("Bmp\\etc\\Ranking.bmp"), 0);
        fuzz::Check(HisState.rankingSurf >= 0, "ranking picture");
        TXT_SetNumStrip(0, &SurfTbl[HisState.rankingSurf].surface, 0, 0, 56, 16, 16);
        return true;
    }();
    (void)ready;
    fuzz::InputFile("Save/Svv.dat", data, size);
    HisData = HIS_DATA{};
    if (!SVV_LoadHistory()) return 0;
    static u8 bytes[HIS_DATA_SIZE];
    HIS_WriteData(&HisData, bytes);
    fuzz::Check(std::memcmp(bytes, data, HIS_DATA_SIZE) == 0, "history round trip");

    for (int n = 0; n <= HIS_CUR; ++n) {
        HIS_DrawRow(n, 0, 40 * n, n);
        HIS_ROW& r = HisState.row[n];
        if (r.sprite >= 0) SPR_DelSpr(r.sprite);
        if (r.surface >= 0) SPR_DelSurfDat(r.surface);
        r.sprite = r.surface = -1;
    }
    const int place = HIS_GetEntryPlace(&HisData);
    const HIS_ENTRY run = HisData.entry[HIS_CUR];
    fuzz::Check(HIS_StoreEntry(&HisData) == place, "entered at its place");
    if (place < HIS_ENTRY_MAX) fuzz::Check(std::memcmp(&HisData.entry[place], &run, sizeof(run)) == 0, "run entered");
    return 0;
}
