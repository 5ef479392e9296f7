#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/input_fake.h"
#include "screens/save/cfg.h"
#include "shell/input/inp.h"
#include "shell/input/key.h"
#include "test_support.h"
#include "tools/writers/save_writer.h"

namespace {

class CfgTest : public ::testing::Test {
protected:
    CfgTest() : cwd_(dir_.path()) {
        KEY_Init(&SysKey, nullptr, nullptr);
        std::memcpy(defaultKeys_, SysKey.keys, sizeof defaultKeys_);
        std::memcpy(defaultPads_, SysKey.padMap, sizeof defaultPads_);
    }
    ~CfgTest() override { KEY_Init(&SysKey, nullptr, nullptr); }

    void ExpectDefaults() {
        EXPECT_EQ(std::memcmp(SysKey.keys, defaultKeys_, sizeof defaultKeys_), 0);
        EXPECT_EQ(std::memcmp(SysKey.padMap, defaultPads_, sizeof defaultPads_), 0);
        const u8 bytes[6] = {0, 0, 0, 1, 0, 0};
        EXPECT_EQ(std::memcmp(CfgOption.bytes, bytes, 6), 0);
        EXPECT_EQ(CfgOption.words[0], 0);
        EXPECT_EQ(CfgOption.words[1], 0);
    }

    test::TempDir dir_;
    test::ScopedCwd cwd_;
    u16 defaultKeys_[KEY_SLOT_COUNT];
    u16 defaultPads_[KEY_SLOT_COUNT];
};

TEST_F(CfgTest, MissingOrShortFileGivesTheDefaults) {
    for (const char* content : {"", "ten bytes!"}) {
        if (*content) dir_.Write("Save/Zentri.cfg", content);
        SysKey.keys[0] = 1234;
        std::memset(&CfgOption, 0x55, sizeof CfgOption);
        EXPECT_EQ(CFG_Load(), 0);
        ExpectDefaults();
    }
}

TEST_F(CfgTest, SaveThenLoadRestoresBothTablesAndEveryOption) {
    for (int i = 0; i < KEY_SLOT_COUNT; ++i) {
        SysKey.keys[i] = u16(0x0100 + i * 3);
        SysKey.padMap[i] = u16(0x8000 >> (i % 16));
    }
    const CFG_OPTION chosen{{9, 8, 7, 6, 5, 4}, {0x1234, 0xFEDC}};
    CfgOption = chosen;
    EXPECT_EQ(CFG_Save(), 1);  // makes the missing "Save" folder
    const std::string file = dir_.Read("Save/Zentri.cfg");
    ASSERT_EQ(file.size(), 90u);
    EXPECT_EQ(file.substr(0, 2), std::string("\x00\x01", 2));
    EXPECT_EQ(file.substr(80), std::string("\x09\x08\x07\x06\x05\x04\x34\x12\xDC\xFE", 10));

    u16 keys[KEY_SLOT_COUNT], pads[KEY_SLOT_COUNT];
    std::memcpy(keys, SysKey.keys, sizeof keys);
    std::memcpy(pads, SysKey.padMap, sizeof pads);
    KEY_Init(&SysKey, nullptr, nullptr);
    CfgOption = CFG_OPTION{};
    EXPECT_EQ(CFG_Load(), 1);
    EXPECT_EQ(std::memcmp(SysKey.keys, keys, sizeof keys), 0);
    EXPECT_EQ(std::memcmp(SysKey.padMap, pads, sizeof pads), 0);
    EXPECT_EQ(std::memcmp(&CfgOption, &chosen, sizeof chosen), 0);

    // Only the tables: they are taken, the options keep their defaults.
    dir_.Write("Save/Zentri.cfg", file.substr(0, 80));
    KEY_Init(&SysKey, nullptr, nullptr);
    EXPECT_EQ(CFG_Load(), 1);
    EXPECT_EQ(std::memcmp(SysKey.keys, keys, sizeof keys), 0);
    EXPECT_EQ(CfgOption.bytes[3], 1);
    EXPECT_EQ(CfgOption.bytes[0], 0);
}

TEST_F(CfgTest, FailedSaveReportsAndKeepsTheOldFile) {
    std::filesystem::create_directories(dir_.path() + "/Save/Zentri.cfg");  // a folder in the file's place
    EXPECT_EQ(CFG_Save(), 0);
    EXPECT_TRUE(std::filesystem::is_directory(dir_.path() + "/Save/Zentri.cfg"));
}

TEST_F(CfgTest, KeyCodeOutsideTheKeyboardTableNeverReadsAsPressed) {
    u16 keys[KEY_SLOT_COUNT], pads[KEY_SLOT_COUNT] = {};
    for (int i = 0; i < KEY_SLOT_COUNT; ++i) keys[i] = i == 8 ? 44 : 999;  // only decide has a real key (Z)
    const std::vector<u8> whole = tools::MakeConfig(keys, pads, CFG_OPTION{});
    const std::string file(whole.begin(), whole.begin() + CFG_KEYS_SIZE);
    dir_.Write("Save/Zentri.cfg", file);
    ASSERT_EQ(CFG_Load(), 1);
    EXPECT_EQ(SysKey.keys[0], 999);

    plat::FakeInputBackend input;
    plat::SetInputBackend(&input);
    ASSERT_EQ(INP_Init(nullptr, nullptr), &input);
    input.keys.fill(0x80);
    KEY_Renew(&SysKey);
    EXPECT_EQ(SysKey.current, 16);
    INP_Term();
    plat::SetInputBackend(nullptr);
}

}  // namespace
