// Save slots "Save\Save%02d.dat": the slot scan and the reader, the record written back (every byte
// but the equipped numbers, which the reader may replace), then a won wave's level-up bookkeeping run
// to its end on every equipped technique group.
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "screens/save/save.h"
#include "screens/survival/lvup.h"
#include "tools/writers/save_writer.h"

namespace {

constexpr int kSlot = 7;
constexpr int kEquipAt = 28;  // in the record
constexpr int kEquipEnd = kEquipAt + 2 * GAME_EQUIP_MAX;
constexpr int kFillFrames = 20000;  // far beyond any bar: experience moves 10 a frame

void LevelUp() {
    for (const i16 equipped : GameData.equip) {
        WAZA_EXP& e = GameData.exp[equipped / 3];
        LVUP_BAR bar;
        LVUP_TakeGains(&bar, &e, 40, 60);
        int frames = 0;
        while ((bar.flags || bar.countdown > 0) && frames < kFillFrames) {
            LVUP_FillStep(&bar, &e);
            ++frames;
        }
        fuzz::Check(frames < kFillFrames, "a bar fills in bounded time");
    }
}

}  // namespace

fuzz::Seeds FuzzSeeds() {
    SAVE_InitGameData();
    GameData.exp[1] = {1, {}, 7, 930, 850, 0, 400, 2, 0};
    GameData.stage = 3;
    GameData.cpuLevel = 4;
    return {{"used", tools::MakeSaveSlot({12, 24, 23, 59}, GameData)}};
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
    static const bool root = [] {
        fuzz::UseGameRoot();
        return true;
    }();
    (void)root;
    fuzz::InputFile("Save/Save07.dat", data, size);
    SAVE_ScanSlots();
    fuzz::Check(SaveSlotCnt == (size >= size_t(SAVE_FILE_SIZE)) && SaveSlotTbl[kSlot].present == SaveSlotCnt,
                "slot scan");
    if (SAVE_ReadSlot(kSlot)) {
        static u8 bytes[GAME_DATA_SIZE];
        SAVE_WriteGameData(&GameData, bytes);
        const u8* in = data + SAVE_HEAD_SIZE;
        fuzz::Check(std::memcmp(bytes, in, kEquipAt) == 0 &&
                        std::memcmp(bytes + kEquipEnd, in + kEquipEnd, GAME_DATA_SIZE - kEquipEnd) == 0,
                    "game record round trip");
    }
    for (const i16 equipped : GameData.equip)
        fuzz::Check(equipped >= 0 && equipped / 3 < GAME_EXP_MAX, "equipped in range");
    LevelUp();
    return 0;
}
