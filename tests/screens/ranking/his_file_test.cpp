#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "screens/ranking/his.h"
#include "test_support.h"
#include "tools/writers/his_writer.h"

namespace {

std::vector<u8> Bytes(const HIS_DATA& data) {
    std::vector<u8> bytes(HIS_DATA_SIZE);
    HIS_WriteData(&data, bytes.data());
    return bytes;
}

tools::HisRun HisRunOf(i32 waves, u16 day = 1) {
    tools::HisRun r;
    r.waves = waves;
    r.enemy[0] = waves % 25;
    r.time[0] = 2026;
    r.time[3] = day;
    r.carried = u32(0xA000 + waves);
    return r;
}

// Waves 50, 45, ... 5 in places 0..9.
std::vector<tools::HisRun> Table() {
    std::vector<tools::HisRun> t;
    for (int i = 0; i < 10; ++i) t.push_back(HisRunOf(50 - 5 * i, u16(i + 1)));
    return t;
}

HIS_DATA Data(const std::vector<u8>& bytes) {
    HIS_DATA d{};
    HIS_ReadData(&d, bytes.data());
    return d;
}

class HistoryFiles : public ::testing::Test {
protected:
    HistoryFiles() : cwd_(dir_.path()) { HisData = HIS_DATA{}; }
    ~HistoryFiles() override { HisData = HIS_DATA{}; }
    static std::string Str(const std::vector<u8>& b) { return std::string(b.begin(), b.end()); }

    test::TempDir dir_;
    test::ScopedCwd cwd_;
    test::DebugCapture debug_;
};

}  // namespace

TEST(HistoryRecord, EveryByteRoundTripsInItsPlace) {
    std::vector<u8> bytes(HIS_DATA_SIZE);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = u8(i * 13 + 7 + i / 256);
    const HIS_DATA d = Data(bytes);
    EXPECT_EQ(Bytes(d), bytes);
    const std::vector<u8> made = tools::MakeHistory({HisRunOf(7)}, HisRunOf(3), 0x11223344);
    ASSERT_EQ(made.size(), size_t(HIS_DATA_SIZE));
    const HIS_DATA m = Data(made);
    EXPECT_EQ(std::vector<i64>({m.word0, m.entry[0].waves, m.entry[0].word0, m.entry[0].time[3], m.entry[10].waves,
                                m.entry[10].type[0], m.entry[10].type[4], m.entry[10].time[0]}),
              std::vector<i64>({0x11223344, 7, 0xA007, 1, 3, 3, -1, 2026}));
}

TEST(HistoryRecord, TheRunTakesTheFirstPlaceItEqualsOrBeats) {
    struct Case {
        i32 waves;
        int place;
    } cases[] = {{51, 0}, {50, 0}, {30, 4}, {35, 3}, {6, 9}, {5, 9}, {4, 10}, {-1, 10}};
    for (const Case& c : cases) {
        HIS_DATA d = Data(tools::MakeHistory(Table(), HisRunOf(c.waves)));
        const HIS_DATA before = d;
        EXPECT_EQ(HIS_GetEntryPlace(&d), c.place) << c.waves;
        EXPECT_EQ(HIS_StoreEntry(&d), c.place) << c.waves;
        if (c.place == 10) {
            EXPECT_EQ(Bytes(d), Bytes(before)) << c.waves;
            continue;
        }
        for (int i = 0; i < c.place; ++i) EXPECT_EQ(d.entry[i].waves, before.entry[i].waves);
        EXPECT_EQ(std::memcmp(&d.entry[c.place], &before.entry[10], HIS_ENTRY_SIZE), 0) << c.waves;
        for (int i = c.place + 1; i < 10; ++i)
            EXPECT_EQ(std::memcmp(&d.entry[i], &before.entry[i - 1], HIS_ENTRY_SIZE), 0) << i;
    }
    // Equal waves: the old place-3 entry moves to 4, entry 9 (5 waves) drops out.
    HIS_DATA d = Data(tools::MakeHistory(Table(), HisRunOf(35, 31)));
    EXPECT_EQ(HIS_StoreEntry(&d), 3);
    EXPECT_EQ(d.entry[3].time[3], 31);
    EXPECT_EQ(d.entry[4].time[3], 4);
    EXPECT_EQ(d.entry[9].waves, 10);
    // An empty history: even a run of 0 waves takes place 0.
    HIS_DATA empty{};
    EXPECT_EQ(HIS_StoreEntry(&empty), 0);
}

TEST_F(HistoryFiles, SaveWritesBothFilesAndCreatesTheFolder) {
    HisData = Data(tools::MakeHistory(Table(), HisRunOf(4), 77));
    ASSERT_FALSE(std::filesystem::exists(dir_.path() + "/Save"));
    EXPECT_EQ(SVV_SaveHistory(), 1);
    const std::string want = Str(tools::MakeHistory(Table(), HisRunOf(4), 77));
    EXPECT_EQ(dir_.Read("History.dat"), want);
    EXPECT_EQ(dir_.Read("Save/Svv.dat"), want);

    HisData = HIS_DATA{};
    EXPECT_EQ(SVV_LoadHistory(), 1);
    EXPECT_EQ(Str(Bytes(HisData)), want);
}

TEST_F(HistoryFiles, OnlyAWholeRecordIsTaken) {
    const std::string whole = Str(tools::MakeHistory(Table(), HisRunOf(9)));
    struct Case {
        const char* what;
        bool present;
        std::string bytes;
        int result;
    } cases[] = {
        {"missing", false, "", 0},
        {"short", true, whole.substr(0, 487), 0},
        {"empty", true, "", 0},
        {"longer", true, whole + "tail", 1},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(dir_.path() + "/Save/Svv.dat");
        if (c.present) dir_.Write("Save/Svv.dat", c.bytes);
        HisData = HIS_DATA{};
        EXPECT_EQ(SVV_LoadHistory(), c.result) << c.what;
        EXPECT_EQ(Str(Bytes(HisData)), c.result ? whole : Str(Bytes(HIS_DATA{}))) << c.what;
    }
}

TEST_F(HistoryFiles, AFailedWriteKeepsBothOldFilesAndSaysSo) {
    dir_.Write("History.dat", "old history");
    dir_.Write("Save/Svv.dat", "old copy");
    HisData = Data(tools::MakeHistory(Table(), HisRunOf(4)));
    {
        test::FileSizeLimit limit(100);
        ASSERT_TRUE(limit.ok());
        EXPECT_EQ(SVV_SaveHistory(), 0);
    }
    EXPECT_EQ(dir_.Read("History.dat"), "old history");
    EXPECT_EQ(dir_.Read("Save/Svv.dat"), "old copy");
    EXPECT_TRUE(debug_.Contains("History.dat could not be written"));
    EXPECT_TRUE(debug_.Contains("Svv.dat could not be written"));
}

TEST(HistoryTimers, RatesClampAndSurviveLongPauses) {
    test::FakeClock clock(0xFFFFFF00);  // the runs cross the clock's wrap
    TIME_DATA t{};
    EXPECT_EQ(HIS_GetTimeRate(&t, 640), 0);
    EXPECT_EQ(HIS_GetTimeRate2(&t, 640), 0);
    HIS_TimerStart(&t, 0);
    EXPECT_EQ(HIS_GetTimeRate(&t, 640), 640);
    HIS_TimerStart(&t, 300);
    clock.Advance(150);
    EXPECT_EQ(HIS_GetTimeRate(&t, 640), 320);
    clock.Advance(3600 * 1000);
    EXPECT_EQ(HIS_GetTimeRate(&t, 640), 640);
    HIS_TimerStop(&t);
    EXPECT_EQ(HIS_GetTimeRate(&t, 640), 0);

    HIS_TimerStart(&t, 800);
    const struct {
        u32 at;
        int rate;
    } steps[] = {{800, 400}, {1131, 799}, {1132, 800}, {5000, 800}, {3600 * 1000 + 5000, 800}};
    for (const auto& s : steps) {
        clock.Set(t.start + s.at);
        EXPECT_EQ(HIS_GetTimeRate2(&t, 800), s.rate) << s.at;
    }
}
