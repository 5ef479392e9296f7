#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/random.h"
#include "screens/save/save.h"
#include "shell/sys.h"
#include "test_support.h"
#include "tools/writers/save_writer.h"

namespace {

std::vector<u8> Bytes(const GAME_DATA& data) {
    std::vector<u8> bytes(GAME_DATA_SIZE);
    SAVE_WriteGameData(&data, bytes.data());
    return bytes;
}

std::string SlotFile(u16 month, u16 day, u16 hour, u16 minute, const std::vector<u8>& body) {
    const std::vector<u8> file = tools::MakeSaveSlot(SAVE_HEAD{month, day, hour, minute}, body);
    return std::string(file.begin(), file.end());
}

// Distinct bytes everywhere, with equipped numbers a slot read keeps.
std::vector<u8> DistinctBody() {
    std::vector<u8> body(GAME_DATA_SIZE);
    for (std::size_t i = 0; i < body.size(); ++i) body[i] = u8(i * 7 + 3 + i / 256);
    for (int e = 0; e < GAME_EQUIP_MAX; ++e) {
        body[size_t(28 + 2 * e)] = u8(e * 37 + 1);
        body[size_t(29 + 2 * e)] = 0;
    }
    return body;
}

class SaveTest : public ::testing::Test {
protected:
    SaveTest() : cwd_(dir_.path()) {
        plat::SetRandSource([] { return 5; });
        plat::SetLocalTimeSource([] { return plat::LocalTime{2026, 3, 9, 14, 5, 30, 0, 1}; });
        SAVE_ScanSlots();
    }
    ~SaveTest() override {
        plat::SetRandSource({});
        plat::SetLocalTimeSource({});
    }

    std::vector<u8> NewGame() {
        SAVE_InitGameData();
        return Bytes(GameData);
    }

    test::TempDir dir_;
    test::ScopedCwd cwd_;
    test::DebugCapture debug_;
};

TEST_F(SaveTest, NewGameSetsTheDefaultsAndOnlyTheChosenStageFlag) {
    for (int stage : {0, 5, 7}) {
        plat::SetRandSource([stage] { return 0x7FF8 | stage; });
        const std::vector<u8> b = NewGame();
        EXPECT_EQ(b[92], stage);
        for (int s = 0; s < 8; ++s) EXPECT_EQ(b[size_t(77 + s)], s == stage ? 1 : 0) << s;
        EXPECT_EQ(std::vector<u8>(b.begin(), b.begin() + 4), (std::vector<u8>{2, 0, 2, 0}));
        EXPECT_EQ(std::vector<u8>(b.begin() + 24, b.begin() + 30), (std::vector<u8>{0xB8, 0x0B, 0, 0, 3, 0}));
        EXPECT_EQ(b[91], 1);
        EXPECT_EQ(b[93], 0);
        for (std::size_t i = 112; i < b.size(); ++i) ASSERT_EQ(b[i], 0) << i;
    }
}

TEST_F(SaveTest, ScanMarksWholeSlotFilesOnly) {
    const std::vector<u8> body = DistinctBody();
    for (int n : {0, 7, 99}) dir_.Write("Save/Save" + std::string(n < 10 ? "0" : "") + std::to_string(n) + ".dat",
                                        SlotFile(u16(n), 2, 3, 4, body));
    dir_.Write("Save/Save42.dat", SlotFile(1, 1, 1, 1, body) + "longer is fine");
    dir_.Write("Save/Save50.dat", "");
    SAVE_ScanSlots();
    EXPECT_EQ(SaveSlotCnt, 4);
    for (int n = 0; n < SAVE_SLOT_MAX; ++n)
        EXPECT_EQ(SaveSlotTbl[n].present, n == 0 || n == 7 || n == 42 || n == 99 ? 1 : 0) << n;
    EXPECT_EQ(SaveSlotTbl[99].head.month, 99);
    EXPECT_EQ(SaveSlotTbl[99].head.minute, 4);

    // A cut-off file is no slot, and reading it gives the new game.
    dir_.Write("Save/Save07.dat", std::string(100, 'x'));
    SAVE_ScanSlots();
    EXPECT_EQ(SaveSlotCnt, 3);
    EXPECT_EQ(SaveSlotTbl[7].present, 0);
    EXPECT_EQ(SAVE_ReadSlot(7), 0);
    EXPECT_EQ(Bytes(GameData), NewGame());
    EXPECT_EQ(SAVE_ReadSlot(8), 0);  // missing
    EXPECT_EQ(Bytes(GameData), NewGame());
}

TEST_F(SaveTest, RecordRoundTripsByteForByteWithTheHeadOfItsLocalTime) {
    const std::vector<u8> body = DistinctBody();
    SAVE_ReadGameData(&GameData, body.data());
    auto le32 = [&](std::size_t at) { return i32(body[at] | body[at + 1] << 8 | body[at + 2] << 16 | u32(body[at + 3]) << 24); };
    // Spot checks of the layout.
    EXPECT_EQ(GameData.value24, le32(24));
    EXPECT_EQ(GameData.equip[1], 38);
    EXPECT_EQ(GameData.stage, body[92]);
    EXPECT_EQ(GameData.exp[1].useCnt, le32(112 + 20 + 4));
    EXPECT_EQ(GameData.exp[159].mastery, i16(body[3308] | body[3309] << 8));
    EXPECT_EQ(SAVE_WriteSlot(12), 1);
    const std::string file = dir_.Read("Save/Save12.dat");
    EXPECT_EQ(file, SlotFile(3, 9, 14, 5, body));
    const SAVE_HEAD& h = SaveSlotTbl[12].head;
    EXPECT_EQ(std::vector<int>({h.month, h.day, h.hour, h.minute}), std::vector<int>({3, 9, 14, 5}));

    NewGame();
    EXPECT_EQ(SAVE_ReadSlot(12), 1);
    EXPECT_EQ(Bytes(GameData), body);
}

TEST_F(SaveTest, EquippedNumbersOutsideTheGroupsTakeTheirNewGameValues) {
    std::vector<u8> body = DistinctBody();
    const std::pair<int, i16> bad[] = {{0, -5}, {4, 480}, {11, i16(0x8000)}};
    const i16 newGame[] = {3, 27, 42, 87, 18, 51, 6, 24, 81, 69, 72, 66};
    for (auto [entry, value] : bad) {
        body[size_t(28 + 2 * entry)] = u8(u16(value));
        body[size_t(29 + 2 * entry)] = u8(u16(value) >> 8);
    }
    body[28 + 2 * 5] = 223 & 0xFF;  // 479: group 159, the last one, stays
    body[29 + 2 * 5] = 1;
    dir_.Write("Save/Save01.dat", SlotFile(1, 1, 1, 1, body));
    EXPECT_EQ(SAVE_ReadSlot(1), 1);
    for (auto [entry, value] : bad) EXPECT_EQ(GameData.equip[entry], newGame[entry]) << value;
    EXPECT_EQ(GameData.equip[5], 479);
    EXPECT_EQ(GameData.equip[1], 38);
}

TEST_F(SaveTest, CountFollowsNewSlotsRewritesAndDeletes) {
    SAVE_InitGameData();
    // The first write makes the missing "Save" folder; the second delete finds nothing left.
    const struct {
        int (*op)(int);
        int slot;
        bool done;
        int count;
    } steps[] = {{SAVE_WriteSlot, 4, true, 1}, {SAVE_WriteSlot, 4, true, 1}, {SAVE_WriteSlot, 5, true, 2},
                 {SAVE_DeleteSlot, 4, true, 1}, {SAVE_DeleteSlot, 4, false, 1}};
    for (const auto& st : steps) {
        EXPECT_EQ(st.op(st.slot) != 0, st.done) << st.slot;
        EXPECT_EQ(SaveSlotCnt, st.count) << st.slot;
    }
    EXPECT_EQ(SaveSlotTbl[4].present, 0);
    EXPECT_FALSE(std::filesystem::exists(dir_.path() + "/Save/Save04.dat"));

    // A slot file of another case is the same slot.
    std::filesystem::remove_all(dir_.path() + "/Save");
    dir_.Write("save/SAVE03.DAT", "old");
    SAVE_ScanSlots();
    EXPECT_EQ(SAVE_WriteSlot(3), 1);
    EXPECT_EQ(dir_.Read("save/SAVE03.DAT").size(), std::size_t(SAVE_FILE_SIZE));
    EXPECT_EQ(test::FileCount(dir_.path() + "/save"), 1u);
    EXPECT_FALSE(std::filesystem::exists(dir_.path() + "/Save"));
}

TEST_F(SaveTest, FailedWriteKeepsTheOldFileAndTheTable) {
    const std::string old = SlotFile(1, 2, 3, 4, DistinctBody());
    dir_.Write("Save/Save06.dat", old);
    SAVE_ScanSlots();
    SAVE_InitGameData();
    {
        test::FileSizeLimit limit(1000);
        ASSERT_TRUE(limit.ok());
        EXPECT_EQ(SAVE_WriteSlot(6), 0);
        EXPECT_EQ(SAVE_WriteSlot(9), 0);
    }
    EXPECT_EQ(dir_.Read("Save/Save06.dat"), old);
    EXPECT_EQ(SaveSlotCnt, 1);
    EXPECT_EQ(SaveSlotTbl[6].head.month, 1);
    EXPECT_EQ(SaveSlotTbl[9].present, 0);
    EXPECT_EQ(test::FileCount(dir_.path() + "/Save"), 1u);
}

TEST_F(SaveTest, SlotNumbersOutsideTheTableAreRefused) {
    SAVE_InitGameData();
    GameData.value24 = 77;
    for (int n : {-1, 100, 1 << 20}) {
        EXPECT_EQ(SAVE_WriteSlot(n), 0);
        EXPECT_EQ(SAVE_ReadSlot(n), 0);
        EXPECT_EQ(SAVE_DeleteSlot(n), 0);
    }
    EXPECT_EQ(GameData.value24, 77);
    EXPECT_EQ(SaveSlotCnt, 0);
    EXPECT_FALSE(std::filesystem::exists(dir_.path() + "/Save"));
}

TEST_F(SaveTest, DebugTextIsReadWithoutEffect) {
    EXPECT_EQ(SAVE_ReadDebugTxt(), 0);
    dir_.Write("Debug.txt", "// comment\r\nSTAGE 3\r\n" + std::string(300, 'L') + "\r\n//" + std::string(600, '/'));
    const std::vector<u8> body = DistinctBody();
    dir_.Write("Save/Save02.dat", SlotFile(1, 1, 1, 1, body));
    EXPECT_EQ(SAVE_ReadDebugTxt(), 1);
    EXPECT_EQ(SAVE_ReadSlot(2), 1);
    EXPECT_EQ(Bytes(GameData), body);
}

TEST_F(SaveTest, StartUpStepScansTheDataFolder) {
    dir_.Write("Save/Save31.dat", SlotFile(12, 24, 23, 59, DistinctBody()));
    for (int i = 0; i < SysInitStepCount; ++i)
        if (std::strcmp(SysInitSteps[i].name, "SAVE_ScanSlots") == 0) SysInitSteps[i].func();
    EXPECT_EQ(SaveSlotCnt, 1);
    EXPECT_EQ(SaveSlotTbl[31].present, 1);
    EXPECT_EQ(SaveSlotTbl[31].head.day, 24);
}

}  // namespace
