// Loading, saving, sharing and repairing the technique, weapon and CPU data files.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "battle/data/cpu_data.h"
#include "battle/data/meka_type.h"
#include "battle/data/tama_data.h"
#include "battle/data/waza_data.h"
#include "platform/memory.h"
#include "test_support.h"
#include "tools/writers/battle_data_writer.h"

namespace {

using Ints = std::vector<int>;

constexpr int kType = 3;  // "zako03"
const std::string kWaz = "Dat/zako03.waz";
const std::string kCpu = "Dat/zako03.cpu";
const std::string kTama = "Dat/Tama.dat";

// A record whose every byte is non-zero and depends on the seed.
template <class R>
R Pattern(int seed) {
    R r;
    auto* p = reinterpret_cast<u8*>(&r);
    for (size_t k = 0; k < sizeof(R); ++k) p[k] = u8((k * 31 + size_t(seed) * 7) % 255 + 1);
    return r;
}

TAMA_DATA PatternTama(int i, u8 inUse = 1) {
    TAMA_DATA d = Pattern<TAMA_DATA>(i);
    d.inUse = inUse;
    d.index = i16(i);
    return d;
}

std::vector<u8> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// The weapon list from head to tail, checking the back links, the tail and the count on the way.
std::vector<int> WeaponList() {
    std::vector<int> order;
    int prev = -1;
    for (int i = TamaListHead; i >= 0 && order.size() <= TAMA_MAX; i = TamaDataTbl[i]->next) {
        EXPECT_EQ(TamaDataTbl[i]->prev, prev) << "record " << i;
        order.push_back(i);
        prev = i;
    }
    EXPECT_EQ(TamaListTail, prev);
    EXPECT_EQ(TamaListCount, int(order.size()));
    return order;
}

class DataFiles : public ::testing::Test {
protected:
    void TearDown() override {
        for (int t = 0; t < MEKA_TYPE_MAX; ++t) {
            while (MekaTypeTbl[t].wazaRef) WAZA_ReleaseData(t);
            while (MekaTypeTbl[t].cpuRef) CPU_ReleaseData(t);
        }
        TAMA_ClearData();
        plat::SetAllocFailAfter(0);
    }
    std::vector<u8> File(const std::string& name) const { return Bytes(dir.Read(name)); }

    test::TempDir dir;
    test::ScopedCwd cwd{dir.path()};
    test::DebugCapture debug;
};

// ---- load -> save round trips ----

TEST_F(DataFiles, LoadThenSaveGivesTheSameBytes) {
    // Weapons, with a record stored free in the middle: it stays a free slot and is saved as it is.
    std::vector<TAMA_DATA> weapons;
    for (int i = 0; i < 5; ++i) weapons.push_back(PatternTama(i, i == 2 ? 0 : 1));
    const std::vector<u8> tama = tools::TamaFile(weapons);
    dir.Write(kTama, tama);
    ASSERT_EQ(TAMA_LoadData(), 1);
    EXPECT_EQ(TamaDataCount, 5);
    EXPECT_EQ(WeaponList(), (std::vector<int>{0, 1, 3, 4}));
    ASSERT_EQ(TAMA_SaveData(), 1);
    EXPECT_EQ(File(kTama), tama);
    EXPECT_EQ(tama.size(), 2u + 1422 * 5);
    EXPECT_EQ(TAMA_GetFreeData(), TamaDataTbl[2]);
    EXPECT_EQ(WeaponList(), (std::vector<int>{0, 1, 3, 4, 2}));
    EXPECT_EQ(TAMA_GetFreeData(), nullptr);

    const std::vector<u8> waz = tools::WazFile({Pattern<WAZA_DATA>(1), Pattern<WAZA_DATA>(2), Pattern<WAZA_DATA>(3)});
    dir.Write(kWaz, waz);
    ASSERT_EQ(WAZA_LoadData(kType), 1);
    EXPECT_EQ(WAZA_GetCount(kType), 3);
    ASSERT_EQ(WAZA_SaveData(kType), 1);
    EXPECT_EQ(File(kWaz), waz);
    EXPECT_EQ(waz.size(), 2u + 4242 * 3);

    const std::vector<u8> cpu = tools::CpuFile(Pattern<CPU_DATA>(4));
    dir.Write(kCpu, cpu);
    ASSERT_EQ(CPU_LoadData(kType), 1);
    ASSERT_EQ(CPU_SaveData(kType), 1);
    EXPECT_EQ(File(kCpu), cpu);
    EXPECT_EQ(cpu.size(), 9584u);
}

// ---- counts from files ----

struct CountCase {
    const char* what;
    i16 count;     // stored count
    int whole;     // whole records in the file
    int partial;   // bytes of one more record (negative: bytes cut off the file's end)
    int loaded;
    const char* debug;
};

const CountCase kCountCases[] = {
    {"negative", -5, 3, 0, 0, "negative"},
    {"empty", 0, 0, 0, 0, " 0 Byte"},
    {"beyond the file", 9, 3, 100, 4, "the file holds 4"},
    {"no count", 0, 0, -2, 0, " 0 Byte"},
    {"half a count", 9, 0, -1, 0, " 0 Byte"},
};

// The file with another stored count and `partial` bytes more (or fewer).
std::vector<u8> WithCount(std::vector<u8> file, i16 count, int partial) {
    file[0] = u8(count);
    file[1] = u8(u16(count) >> 8);
    file.resize(file.size() + size_t(partial), 0xAB);
    return file;
}

TEST_F(DataFiles, WeaponCountsAreBoundByTheTableAndTheFile) {
    for (const CountCase& c : kCountCases) {
        SCOPED_TRACE(c.what);
        debug.Clear();
        std::vector<TAMA_DATA> weapons;
        for (int i = 0; i < c.whole; ++i) weapons.push_back(PatternTama(i));
        dir.Write(kTama, WithCount(tools::TamaFile(weapons), c.count, c.partial));
        EXPECT_EQ(TAMA_LoadData(), 1);
        EXPECT_EQ(TamaDataCount, c.loaded);
        EXPECT_EQ(int(WeaponList().size()), c.loaded);
        EXPECT_TRUE(debug.Contains(c.debug)) << debug.text();
        if (c.partial > 0) {
            // The cut record keeps the bytes the file has; the rest reads as zeros.
            const TAMA_DATA* cut = TamaDataTbl[c.whole];
            const auto* bytes = reinterpret_cast<const u8*>(cut);
            for (int k = 0; k < c.partial; ++k) ASSERT_EQ(bytes[k], 0xAB) << k;
            for (int k = c.partial; k < 1420; ++k) ASSERT_EQ(bytes[k], 0) << k;
            EXPECT_EQ(cut->index, c.whole);
        }
    }
    // Above the table's 156 entries: the first 156 load, with a warning.
    debug.Clear();
    std::vector<TAMA_DATA> many;
    for (int i = 0; i < 200; ++i) many.push_back(PatternTama(i));
    dir.Write(kTama, tools::TamaFile(many));
    EXPECT_EQ(TAMA_LoadData(), 1);
    EXPECT_EQ(TamaDataCount, TAMA_MAX);
    EXPECT_EQ(int(WeaponList().size()), TAMA_MAX);
    EXPECT_TRUE(debug.Contains("above 156")) << debug.text();
    EXPECT_TRUE(debug.Contains("TAMA_DATA 已保有 222768 Byte 之記憶容量")) << debug.text();
    // The records past the table are saved back as they were read, a cut last one zero-filled; one
    // record past it as well as many.
    for (const size_t records : {157u, 200u}) {
        SCOPED_TRACE(records);
        std::vector<u8> cut = tools::TamaFile({many.begin(), many.begin() + std::ptrdiff_t(records)});
        cut.resize(cut.size() - 700);
        dir.Write(kTama, cut);
        ASSERT_EQ(TAMA_LoadData(), 1);
        ASSERT_EQ(TAMA_SaveData(), 1);
        cut.resize(cut.size() + 700, 0);
        EXPECT_EQ(File(kTama), cut);
    }
}

TEST_F(DataFiles, TechniqueCountsAreBoundByTheFile) {
    for (const CountCase& c : kCountCases) {
        SCOPED_TRACE(c.what);
        debug.Clear();
        std::vector<WAZA_DATA> records;
        for (int i = 0; i < c.whole; ++i) records.push_back(Pattern<WAZA_DATA>(i));
        dir.Write(kWaz, WithCount(tools::WazFile(records), c.count, c.partial));
        EXPECT_EQ(WAZA_LoadData(kType), 1);
        EXPECT_EQ(WAZA_GetCount(kType), c.loaded);
        EXPECT_TRUE(debug.Contains(c.debug)) << debug.text();
        if (c.partial > 0) {
            const auto* bytes = reinterpret_cast<const u8*>(WAZA_GetData(kType, c.whole));
            ASSERT_NE(bytes, nullptr);
            for (int k = 0; k < c.partial; ++k) ASSERT_EQ(bytes[k], 0xAB) << k;
            for (int k = c.partial; k < WAZA_FILE_SIZE; ++k) ASSERT_EQ(bytes[k], 0) << k;
        }
        EXPECT_EQ(WAZA_ReleaseData(kType), 1);
    }
}

TEST_F(DataFiles, ShortCpuFileLeavesTheRestZero) {
    for (const int size : {100, 0}) {  // an empty file too: all zeros, not a read error
        SCOPED_TRACE(size);
        std::vector<u8> cpu = tools::CpuFile(Pattern<CPU_DATA>(1));
        cpu.resize(size_t(size));
        dir.Write(kCpu, cpu);
        ASSERT_EQ(CPU_LoadData(kType), 1);
        const auto* bytes = reinterpret_cast<const u8*>(MekaTypeTbl[kType].cpu);
        for (int k = 0; k < CPU_DATA_SIZE; ++k) ASSERT_EQ(bytes[k], k < size ? cpu[size_t(k)] : 0) << k;
        ASSERT_EQ(CPU_ReleaseData(kType), 1);
    }
}

// ---- missing files ----

TEST_F(DataFiles, MissingFiles) {
    EXPECT_EQ(TAMA_LoadData(), 0);
    EXPECT_EQ(TamaDataCount, 0);
    EXPECT_EQ(TamaListHead, -1);

    // No techniques, but the reference counts: the next load does not read.
    EXPECT_EQ((Ints{WAZA_LoadData(kType), MekaTypeTbl[kType].wazaRef, WAZA_GetCount(kType), WAZA_LoadData(kType)}),
              (Ints{0, 1, 0, 1}));

    // CPU mechs of the type play on the defaults.
    debug.Clear();
    EXPECT_EQ(CPU_LoadData(kType), 0);
    ASSERT_NE(MekaTypeTbl[kType].cpu, nullptr);
    EXPECT_EQ(MekaTypeTbl[kType].cpu->param[0], 10);
    EXPECT_EQ(MekaTypeTbl[kType].cpu->counter[0].type, -1);
    EXPECT_TRUE(debug.Contains("Dat/zako03.cpu:Open error")) << debug.text();
    dir.File(kCpu);  // the "Dat" folder
    EXPECT_EQ(CPU_SaveData(kType), 1);
    EXPECT_EQ(File(kCpu).size(), 9584u);
}

// ---- sharing by reference count ----

struct Shared {
    const char* what;
    std::string file;
    std::function<std::vector<u8>(int seed)> make;
    int (*load)(int);
    int (*release)(int);
    std::function<const void*()> data;
    const char* freed;
};

TEST_F(DataFiles, TypesShareOneCopyAndFreeItOnTheLastRelease) {
    const Shared kinds[] = {
        {"techniques", kWaz,
         [](int seed) { return tools::WazFile({Pattern<WAZA_DATA>(seed), Pattern<WAZA_DATA>(seed), Pattern<WAZA_DATA>(seed)}); },
         WAZA_LoadData, WAZA_ReleaseData, [] { return static_cast<const void*>(WAZA_GetData(kType, 0)); },
         "○メモリ解放 ： メカNo. 3技データ ： 12744 Byte"},
        {"CPU data", kCpu, [](int seed) { return tools::CpuFile(Pattern<CPU_DATA>(seed)); }, CPU_LoadData,
         CPU_ReleaseData, [] { return static_cast<const void*>(MekaTypeTbl[kType].cpu); },
         "○メモリ解放 ： メカNo. 3ＣＰＵデータ ： 9584 Byte"},
    };
    for (const Shared& k : kinds) {
        SCOPED_TRACE(k.what);
        dir.Write(k.file, k.make(1));
        ASSERT_EQ(k.load(kType), 1);
        const void* first = k.data();
        const u8 firstByte = *static_cast<const u8*>(first);
        dir.Write(k.file, k.make(2));  // a second load must not read it
        ASSERT_EQ(k.load(kType), 1);
        EXPECT_EQ(k.data(), first);
        EXPECT_EQ(*static_cast<const u8*>(first), firstByte);

        debug.Clear();
        EXPECT_EQ(k.release(kType), 1);
        EXPECT_EQ(k.data(), first);
        EXPECT_FALSE(debug.Contains("メモリ解放"));
        EXPECT_EQ(k.release(kType), 1);
        EXPECT_EQ(k.data(), nullptr);
        EXPECT_TRUE(debug.Contains(k.freed)) << debug.text();
        debug.Clear();
        EXPECT_EQ(k.release(kType), 0);  // at 0 references: nothing
        EXPECT_FALSE(debug.Contains("メモリ解放"));

        for (int bad : {-1, MEKA_TYPE_MAX}) {
            EXPECT_EQ(k.load(bad), 0);
            EXPECT_EQ(k.release(bad), 0);
        }
    }
    EXPECT_EQ(WAZA_GetCount(kType), 0);
    for (int bad : {-1, MEKA_TYPE_MAX}) {
        EXPECT_EQ((Ints{WAZA_SaveData(bad), WAZA_AddData(bad), WAZA_ConvertData(bad), WAZA_GetCount(bad)}),
                  (Ints{0, 0, 0, 0}));
        EXPECT_EQ(WAZA_GetData(bad, 0), nullptr);
        EXPECT_EQ(CPU_SaveData(bad), 0);
        EXPECT_EQ(CPU_ConvertData(bad), 0);
        EXPECT_EQ(CPU_SetDefaultData(bad), 0);
        EXPECT_EQ(MEKA_GetTypeData(bad), nullptr);
    }
}

// Writers refuse a type with nothing loaded: its file stays as it is.
TEST_F(DataFiles, UnloadedTypesLeaveTheirFilesAlone) {
    const std::vector<u8> waz = tools::WazFile({Pattern<WAZA_DATA>(1)});
    const std::vector<u8> cpu = tools::CpuFile(Pattern<CPU_DATA>(1));
    dir.Write(kWaz, waz);
    dir.Write(kCpu, cpu);
    const std::pair<const char*, int (*)(int)> writers[] = {
        {"WAZA_SaveData", WAZA_SaveData}, {"WAZA_AddData", WAZA_AddData},   {"WAZA_ConvertData", WAZA_ConvertData},
        {"CPU_SaveData", CPU_SaveData},   {"CPU_ConvertData", CPU_ConvertData}, {"CPU_SetDefaultData", CPU_SetDefaultData},
    };
    for (const auto& [name, write] : writers) {
        SCOPED_TRACE(name);
        EXPECT_EQ(write(kType), 0);
        EXPECT_EQ(File(kWaz), waz);
        EXPECT_EQ(File(kCpu), cpu);
    }
    // Loaded then fully released is unloaded again.
    ASSERT_EQ(WAZA_LoadData(kType), 1);
    ASSERT_EQ(WAZA_ReleaseData(kType), 1);
    EXPECT_EQ(WAZA_AddData(kType), 0);
    EXPECT_EQ(WAZA_GetCount(kType), 0);
}

// ---- appending a technique ----

TEST_F(DataFiles, AddedTechniqueLivesInMemoryUntilTheNextSave) {
    for (bool deleted : {false, true}) {
        SCOPED_TRACE(deleted ? "file deleted" : "file present");
        dir.Write(kWaz, tools::WazFile({Pattern<WAZA_DATA>(1), Pattern<WAZA_DATA>(2), Pattern<WAZA_DATA>(3)}));
        ASSERT_EQ(WAZA_LoadData(kType), 1);
        if (deleted) std::filesystem::remove(dir.File(kWaz));
        std::vector<WAZA_DATA*> before;
        for (int i = 0; i < 3; ++i) before.push_back(WAZA_GetData(kType, i));

        EXPECT_EQ(WAZA_AddData(kType), 1);
        EXPECT_EQ(WAZA_GetCount(kType), 4);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(WAZA_GetData(kType, i), before[size_t(i)]);  // not moved
        WAZA_DATA fresh;
        WAZA_SetNewData(&fresh);
        EXPECT_EQ(std::memcmp(WAZA_GetData(kType, 3), &fresh, sizeof(fresh)), 0);
        EXPECT_EQ(File(kWaz).size(), 2u + 4242 * 3);
        EXPECT_EQ(File(kWaz)[0], 3);

        ASSERT_EQ(WAZA_SaveData(kType), 1);
        EXPECT_EQ(File(kWaz).size(), 2u + 4242 * 4);
        ASSERT_EQ(WAZA_ReleaseData(kType), 1);
    }
}

// ---- the converters: named fields kept, unused bytes zero ----

struct Converted {
    const char* what;
    std::string file;
    std::vector<u8> stored;
    std::function<int()> load;
    std::function<void()> edit;  // changes made in memory before converting
    int (*convert)();
    std::vector<int> cleared;    // offsets that come out 0
    std::vector<std::pair<int, u8>> changed;
};

std::vector<int> WazaUnused() {
    std::vector<int> at;
    for (int r = 0; r < 2; ++r) {
        const int base = 2 + 4242 * r;
        for (int o : {43, 47, 51}) at.push_back(base + o);
        for (int b = 0; b < 8; ++b) at.push_back(base + 98 + 6 * b + 3);
        for (int m = 0; m < 16; ++m) {
            const int mb = base + 146 + 256 * m;
            for (int f = 0; f < 10; ++f) at.push_back(mb + 16 * f + 1);
            for (int o : {165, 169, 189, 195, 218 + 13, 218 + 35, 255}) at.push_back(mb + o);
        }
    }
    return at;
}

std::vector<int> TamaReserved(int records) {
    std::vector<int> at;
    for (int r = 0; r < records; ++r) {
        const int base = 2 + 1422 * r;
        for (int o : {41, 42, 43, 1420, 1421}) at.push_back(base + o);
        for (int n = 0; n < 4; ++n) {
            const int pb = base + 44 + 344 * n;
            for (int s = 0; s < 4; ++s)
                for (int o : {1, 2, 3, 15}) at.push_back(pb + 16 * s + o);
            for (int s = 0; s < 4; ++s) at.push_back(pb + 64 + 10 * s + 1);
            for (int o : {111, 115, 120, 125, 126, 127, 275, 281, 308 + 13, 308 + 35}) at.push_back(pb + o);
        }
    }
    return at;
}

std::vector<int> CpuUnused() {
    std::vector<int> at;
    for (int i = 0; i < 16; ++i)
        for (int o : {1, 9, 14, 15, 33, 38, 39}) at.push_back(48 + 40 * i + o);
    for (int g = 0; g < 24; ++g) {
        for (int o : {1, 2, 3}) at.push_back(688 + 184 * g + o);
        for (int k = 0; k < 5; ++k)
            for (int o : {3, 25, 34, 35}) at.push_back(688 + 184 * g + 4 + 36 * k + o);
    }
    for (int t = 0; t < 160; ++t)
        for (int o : {1, 5, 14, 15, 27}) at.push_back(5104 + 28 * t + o);
    return at;
}

TEST_F(DataFiles, ConvertersKeepEveryFieldAndClearTheRest) {
    const Converted kinds[] = {
        {"techniques", kWaz, tools::WazFile({Pattern<WAZA_DATA>(1), Pattern<WAZA_DATA>(2)}),
         [] { return WAZA_LoadData(kType); }, [] { WAZA_GetData(kType, 1)->costKind = 1; },
         [] { return WAZA_ConvertData(kType); }, WazaUnused(), {{2 + 4242 + 41, 1}}},
        {"weapons", kTama, tools::TamaFile({PatternTama(0), PatternTama(1)}), TAMA_LoadData, [] {},
         TAMA_ConvertData, TamaReserved(2), {}},
        {"weapons past the table", kTama, tools::TamaFile(std::vector<TAMA_DATA>(157, PatternTama(1))),
         TAMA_LoadData, [] {}, TAMA_ConvertData, TamaReserved(157), {}},
        {"CPU data", kCpu, tools::CpuFile(Pattern<CPU_DATA>(1)), [] { return CPU_LoadData(kType); }, [] {},
         [] { return CPU_ConvertData(kType); }, CpuUnused(), {}},
    };
    for (const Converted& k : kinds) {
        SCOPED_TRACE(k.what);
        dir.Write(k.file, k.stored);
        ASSERT_EQ(k.load(), 1);
        k.edit();
        ASSERT_EQ(k.convert(), 1);
        std::vector<u8> want = k.stored;
        for (int at : k.cleared) want[size_t(at)] = 0;
        for (const auto& [at, value] : k.changed) want[size_t(at)] = value;
        EXPECT_EQ(File(k.file), want);
    }
}

// ---- failures that must lose nothing ----

TEST_F(DataFiles, FailedSavesKeepTheOldFile) {
    dir.Write(kTama, tools::TamaFile({PatternTama(0), PatternTama(1)}));
    dir.Write(kWaz, tools::WazFile({Pattern<WAZA_DATA>(1)}));
    dir.Write(kCpu, tools::CpuFile(Pattern<CPU_DATA>(1)));
    ASSERT_EQ(TAMA_LoadData(), 1);
    ASSERT_EQ(WAZA_LoadData(kType), 1);
    ASSERT_EQ(CPU_LoadData(kType), 1);
    TamaDataTbl[0]->phase[0].power = 1234;
    WAZA_GetData(kType, 0)->cost = 77;
    MekaTypeTbl[kType].cpu->param[0] = 5;

    const std::pair<std::string, std::function<int()>> saves[] = {
        {kTama, TAMA_SaveData},
        {kTama, TAMA_ConvertData},
        {kWaz, [] { return WAZA_SaveData(kType); }},
        {kWaz, [] { return WAZA_ConvertData(kType); }},
        {kWaz, [] { return WAZA_AddData(kType); }},
        {kCpu, [] { return CPU_SaveData(kType); }},
        {kCpu, [] { return CPU_ConvertData(kType); }},
    };
    for (const auto& [file, save] : saves) {
        for (const bool readOnly : {false, true}) {
            SCOPED_TRACE(file + (readOnly ? ", read-only" : ", past a file-size limit"));
            const std::string old = dir.Read(file);
            debug.Clear();
            int result;
            if (readOnly) {
                // The read-only mark keeps the file from every save, root's too.
                chmod(dir.File(file).c_str(), 0444);
                result = save();
                chmod(dir.File(file).c_str(), 0644);
            } else {
                // A file-size limit cuts the write short.
                rlimit limit{};
                getrlimit(RLIMIT_FSIZE, &limit);
                auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
                rlimit small = limit;
                small.rlim_cur = 100;
                ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
                result = save();
                setrlimit(RLIMIT_FSIZE, &limit);
                std::signal(SIGXFSZ, oldHandler);
            }
            EXPECT_EQ(result, 0);
            EXPECT_TRUE(dir.Read(file) == old);  // not printed: binary
            EXPECT_TRUE(debug.Contains(file + ":Write error")) << debug.text();
        }
    }
    EXPECT_EQ(WAZA_GetCount(kType), 3);  // the failed saves still appended the technique
    size_t files = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path() + "/Dat")) ++files;
    EXPECT_EQ(files, 3u);  // no temporary file left behind
}

// Every writer of each file; none may replace a file that is there but could not be read.
TEST_F(DataFiles, FilesThatCouldNotBeReadAreNeverReplaced) {
    const struct {
        std::string file;
        std::vector<u8> good;
        std::function<int()> load;
        std::vector<std::function<int()>> saves;
    } kinds[] = {
        {kTama, tools::TamaFile({PatternTama(0)}), TAMA_LoadData, {TAMA_SaveData, TAMA_ConvertData}},
        {kWaz, tools::WazFile({Pattern<WAZA_DATA>(1)}), [] { return WAZA_LoadData(kType); },
         {[] { return WAZA_SaveData(kType); }, [] { return WAZA_ConvertData(kType); }, [] { return WAZA_AddData(kType); }}},
        {kCpu, tools::CpuFile(Pattern<CPU_DATA>(1)), [] { return CPU_LoadData(kType); },
         {[] { return CPU_SaveData(kType); }, [] { return CPU_ConvertData(kType); }}},
    };
    const auto loadAndSave = [](const auto& k) {
        int written = k.load();
        for (const auto& save : k.saves) written += save();
        return written;
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.file);
        const std::string path = dir.File(k.file);
        // Reads fail: reading this process's memory at address 0 is an I/O error, even for root.
        std::filesystem::create_symlink("/proc/self/mem", path);
        EXPECT_EQ(loadAndSave(k), 0) << debug.text();
        EXPECT_TRUE(std::filesystem::is_symlink(path));
        std::filesystem::remove(path);
        TearDown();
        // Mended and loaded again, it is saved again.
        dir.Write(k.file, k.good);
        EXPECT_EQ(loadAndSave(k), 1 + int(k.saves.size())) << debug.text();
        TearDown();

        // It cannot be opened: another user's file, in folders anyone may write.
        dir.Write(k.file, std::string("kept"));
        for (const char* folder : {"", "/Dat"}) chmod((dir.path() + folder).c_str(), 0777);
        chmod(path.c_str(), 0600);
        const int status = test::InChild([&] {
            if (getuid() == 0 && setuid(65534) != 0) _exit(2);
            if (getuid() != 0) chmod(path.c_str(), 0);
            _exit(loadAndSave(k) == 0 ? 0 : 1);
        });
        chmod(path.c_str(), 0600);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_EQ(dir.Read(k.file), "kept");
        std::filesystem::remove(path);
    }
}

TEST_F(DataFiles, WeaponLoadOutOfMemoryShowsTheBoxOnce) {
    dir.Write(kTama, tools::TamaFile({PatternTama(0), PatternTama(1), PatternTama(2)}));
    test::MessageBoxCapture boxes;
    plat::SetAllocFailAfter(2);
    EXPECT_EQ(TAMA_LoadData(), 0);
    plat::SetAllocFailAfter(0);
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, "記憶體容量不足");
    EXPECT_EQ(boxes.calls()[0].caption, "錯誤");
    EXPECT_EQ(boxes.calls()[0].flags, plat::MB_OK | plat::MB_ICONEXCLAMATION);
    EXPECT_EQ(TamaDataCount, 0);
    for (const TAMA_DATA* d : TamaDataTbl) EXPECT_EQ(d, nullptr);
    EXPECT_EQ(TamaListHead, -1);
    // The records it could not hold are not saved away.
    const std::vector<u8> stored = File(kTama);
    EXPECT_EQ(TAMA_SaveData(), 0);
    EXPECT_EQ(File(kTama), stored);
}

// ---- the weapon list ----

TEST_F(DataFiles, NewWeaponsAreLinkedThemselvesUpToTheTableSize) {
    dir.Write(kTama, tools::TamaFile({PatternTama(0), PatternTama(1), PatternTama(2)}));
    ASSERT_EQ(TAMA_LoadData(), 1);
    TAMA_DATA* const kept[] = {TamaDataTbl[0], TamaDataTbl[2]};
    EXPECT_EQ(TAMA_UnlinkData(1), 2);
    ASSERT_EQ(TAMA_NewData(), 1);
    EXPECT_EQ(TamaDataCount, 4);
    EXPECT_EQ(TamaDataTbl[3]->index, 3);
    EXPECT_EQ(TamaDataTbl[3]->inUse, 1);
    EXPECT_EQ(TamaDataTbl[1]->inUse, 0);  // the lower free slot stays free
    EXPECT_EQ(WeaponList(), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(TamaDataTbl[0], kept[0]);
    EXPECT_EQ(TamaDataTbl[2], kept[1]);

    while (TamaDataCount < TAMA_MAX) ASSERT_EQ(TAMA_NewData(), 1);
    EXPECT_EQ(TAMA_NewData(), 0);
    EXPECT_EQ(TamaDataCount, TAMA_MAX);
    EXPECT_EQ(int(WeaponList().size()), TAMA_MAX - 1);
}

TEST_F(DataFiles, UnlinkRefusesWhatIsNotInTheListAndClearEmptiesAll) {
    dir.Write(kTama, tools::TamaFile({PatternTama(0), PatternTama(1), PatternTama(2), PatternTama(3)}));
    ASSERT_EQ(TAMA_LoadData(), 1);
    EXPECT_EQ(TAMA_UnlinkData(0), 1);   // head
    EXPECT_EQ(TAMA_UnlinkData(3), -1);  // tail: no successor
    EXPECT_EQ(WeaponList(), (std::vector<int>{1, 2}));
    for (int bad : {-1, 0, 3, 4, TAMA_MAX, 999}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(TAMA_UnlinkData(bad), -1);
        EXPECT_EQ(WeaponList(), (std::vector<int>{1, 2}));
    }
    TAMA_ClearData();
    EXPECT_EQ(TamaDataCount, 0);
    EXPECT_EQ(WeaponList(), std::vector<int>{});
    for (const TAMA_DATA* d : TamaDataTbl) EXPECT_EQ(d, nullptr);
}

}  // namespace
