// The CPU-data editor on fake dialogs: every field at its record offset, the labels, lists, pickers,
// the save and the references it keeps.
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "editor_fixture.h"
#include "editors/edit_dialogs.h"

namespace {

using test::kCpuType;

class CpuEditor : public test::EditorTest {
protected:
    void Open() {
        ASSERT_EQ(EDIT_OpenCpuEditor(kCpuType), 1);
        main = plat::FindDialog(138);
        ASSERT_NE(main, nullptr);
    }
    CPU_DATA* Data() { return MekaTypeTbl[kCpuType].cpu; }
    u8* Bytes() { return reinterpret_cast<u8*>(Data()); }
    // Opens the child that a test row names: 139 on mode 2, 140 on group 3's entry 1, 141 on counter 1.
    plat::Dialog* Child(int id) {
        if (id == 138) return main;
        if (id == 139) plat::DoubleClickRow(main, 1128, 2);
        if (id == 140) {
            plat::SelectRow(main, 1129, 3);
            plat::DoubleClickRow(main, 1245, 1);
        }
        if (id == 141) plat::DoubleClickRow(main, 1315, 1);
        return plat::FindDialog(id);
    }
    plat::Dialog* main = nullptr;
};

constexpr int kModeBase = 48 + 40 * 2, kAtkBase = 688 + 184 * 3 + 4 + 36, kCounterBase = 5104 + 28;

TEST_F(CpuEditor, EveryFieldLandsClampedAtItsOffset) {
    struct Case {
        int dlg, ctl;
        std::string text;
        int offset, bytes;
        bool isSigned;
        i32 want;
    };
    std::vector<Case> cases = {
        {138, 1201, "200", 0, 2, false, 130},  {138, 1213, "25", 12, 2, false, 20},
        {138, 1226, "abc", 28, 2, false, 0},   {138, 1251, "70000", 24, 2, false, 65535},
        {138, 1251, "40000", 24, 2, true, -25536},  // money is a signed word
        {139, 3133, "3133", kModeBase + 4, 2, false, 3133},   {139, 3135, "20", kModeBase + 32, 1, false, 16},
        {139, 3137, "55", kModeBase + 8, 1, false, 55},       {139, 3139, "1500", kModeBase + 10, 2, false, 1000},
        {139, 3141, "-2000", kModeBase + 12, 2, true, -1000}, {139, 3143, "1234", kModeBase + 16, 4, false, 1234},
        {139, 3125, "99999", kModeBase + 20, 4, false, 9999}, {139, 3127, "131", kModeBase + 24, 4, false, 130},
        {139, 3129, "321", kModeBase + 34, 2, false, 321},    {139, 3131, "4321", kModeBase + 36, 2, false, 4321},
        {139, 3124, "-77", kModeBase + 6, 2, true, -77},
        {140, 1251, "9", kAtkBase + 24, 1, false, 9},         {140, 1253, "42", kAtkBase + 2, 1, false, 42},
        {140, 1255, "999", kAtkBase + 4, 2, false, 999},      {140, 1257, "-5", kAtkBase + 6, 2, true, -5},
        {140, 1259, "11", kAtkBase + 8, 4, false, 11},        {140, 1261, "22", kAtkBase + 12, 4, false, 22},
        {140, 1263, "10000", kAtkBase + 16, 4, false, 9999},  {140, 1245, "44", kAtkBase + 28, 2, false, 44},
        {140, 1247, "-55", kAtkBase + 30, 2, true, -55},      {140, 1037, "66", kAtkBase + 32, 2, false, 66},
        {141, 1295, "7", kCounterBase + 26, 1, false, 7},     {141, 1297, "100", kCounterBase + 4, 1, false, 99},
        {141, 1299, "500", kCounterBase + 6, 2, false, 500},  {141, 1301, "-600", kCounterBase + 8, 2, true, -600},
        {141, 1303, "12", kCounterBase + 16, 4, false, 12},   {141, 1305, "13", kCounterBase + 20, 4, false, 13},
        {141, 1315, "14", kCounterBase + 10, 2, false, 14},   {141, 1317, "-15", kCounterBase + 12, 2, true, -15},
    };
    // The remaining parameters in label order, each a distinct value.
    const int params[] = {1203, 1205, 1207, 1209, 1211, 1215, 1217, 1219, 1221, 1223, 1263,
                          1228, 1238, 1240, 1242, 1244, 1247, 1249, 1253, 1265};
    const int paramOffsets[] = {2, 4, 6, 8, 10, 14, 16, 18, 20, 22, 26, 30, 32, 34, 36, 38, 40, 42, 44, 46};
    for (int i = 0; i < 20; i++) {
        const i32 v = paramOffsets[i] == 14 || paramOffsets[i] == 18 || paramOffsets[i] == 20 ? i : 1000 + i;
        cases.push_back({138, params[i], std::to_string(v), paramOffsets[i], 2, false, v});
    }
    Open();
    EXPECT_EQ(plat::GetCtlText(main, 1225), "zako01");
    for (const Case& c : cases) {
        plat::Dialog* dlg = Child(c.dlg);
        ASSERT_NE(dlg, nullptr) << c.dlg;
        std::vector<u8> before(Bytes(), Bytes() + CPU_DATA_SIZE);
        plat::TypeText(dlg, c.ctl, c.text);
        EXPECT_EQ(EDIT_LoadInt(Bytes() + c.offset, c.bytes, c.isSigned), c.want) << c.dlg << "/" << c.ctl;
        for (int i = 0; i < CPU_DATA_SIZE; i++) {
            if (i >= c.offset && i < c.offset + c.bytes) continue;
            ASSERT_EQ(Bytes()[i], before[i]) << c.ctl << " byte " << i;
        }
    }
}

TEST_F(CpuEditor, CheckBoxesAndRadiosStoreTheirBitsAndValues) {
    Open();
    struct Bits {
        int dlg, first, offset;
    };
    for (const Bits& b : {Bits{139, 3161, kModeBase + 28}, {139, 3177, kModeBase + 30}, {140, 3200, kAtkBase + 20},
                          {140, 3216, kAtkBase + 22}, {141, 3232, kCounterBase + 24}}) {
        plat::Dialog* dlg = Child(b.dlg);
        for (int bit = 0; bit < 16; bit++) {
            plat::ClickCtl(dlg, b.first + bit);
            EXPECT_EQ(EDIT_LoadInt(Bytes() + b.offset, 2, false), 1 << bit) << b.first + bit;
            plat::ClickCtl(dlg, b.first + bit);
            EXPECT_EQ(EDIT_LoadInt(Bytes() + b.offset, 2, false), 0);
        }
    }
    plat::Dialog* atk = Child(140);
    for (int ctl : {1033, 1034, 1035, 1036, 1061, 1062, 1063, 1064}) {
        plat::ClickCtl(atk, ctl);
        EXPECT_EQ(Data()->group[3].atk[1].cancelRule, ctl - 1033);
    }
    plat::Dialog* counter = Child(141);
    for (int ctl : {1291, 1292, 1293, 1294}) {
        Data()->counter[1].action = 5;
        plat::ClickCtl(counter, ctl);
        EXPECT_EQ(Data()->counter[1].type, ctl - 1292);
        EXPECT_EQ(Data()->counter[1].action, 0);
    }
}

TEST_F(CpuEditor, BehavioursPairWithLabelsAndRadios) {
    Open();
    const std::vector<u8> before(Bytes(), Bytes() + CPU_DATA_SIZE);
    plat::Dialog* move = Child(139);
    EXPECT_EQ(std::memcmp(before.data(), Bytes(), CPU_DATA_SIZE), 0);  // filling writes nothing
    EXPECT_EQ(plat::GetRadio(move, 3145), 0);
    for (int r = 0; r < EDIT_CPU_BEHAVIOURS; r++) {
        plat::ClickCtl(move, 3145 + r);
        const CPU_MODE& m = Data()->mode[2];
        EXPECT_EQ(m.move, EditCpuPairTbl[r].move);
        EXPECT_EQ(m.dirKind, EditCpuPairTbl[r].kind);
        EXPECT_EQ(EDIT_CpuGetModeRow(&m), r);
        EDIT_CpuMoveInitDlg(move);
        EXPECT_EQ(plat::GetRadio(move, 3145), r);
        EXPECT_EQ(EDIT_CpuModeRow(Data(), 2), std::string("[02]  ") + EDIT_CpuModeLabel(r, false));
    }
    EXPECT_EQ(EDIT_CpuModeRow(Data(), 2), "[02]  慣性追蹤衝刺");
    EXPECT_EQ(EDIT_CpuModeRow(Data(), 2, true), "[02]  慣性追蹤衝刺 ");
    for (auto [move, kind] : {std::pair{1, 3}, {3, -1}, {6, 0}, {-2, -1}}) {
        Data()->mode[4].move = static_cast<i8>(move);
        Data()->mode[4].dirKind = static_cast<i16>(kind);
        EXPECT_EQ(EDIT_CpuGetModeRow(&Data()->mode[4]), -1);
        EXPECT_EQ(EDIT_CpuModeRow(Data(), 4), "[04]  --------------");
    }
    // Closing the child refreshes the main list, with no row selected.
    plat::ClickCtl(move, plat::IDOK);
    EXPECT_EQ(plat::GetRow(main, 1128, 4), "[04]  --------------");
    EXPECT_EQ(plat::GetSel(main, 1128), -1);
}

TEST_F(CpuEditor, CounterRowsFollowTheTypeZeroTechniques) {
    for (auto [count, rows] : {std::pair{7, 3}, {700, 160}, {0, 0}, {3, 1}}) {
        WriteWaza(0, test::Techniques(count, "p"));
        Open();
        ASSERT_EQ(plat::GetRowCount(main, 1315), rows) << count;
        if (count == 7) {
            EXPECT_EQ(plat::GetRow(main, 1315, 0), "[000] (╳　)  p0");
            EXPECT_EQ(plat::GetRow(main, 1315, 2), "[002] (╳　)  p6");
        }
        plat::DestroyAllDialogs();
        EXPECT_EQ(MekaTypeTbl[0].wazaRef, 0);
    }
}

TEST_F(CpuEditor, AnotherGroupShowsItsFlagAndEntriesAtOnce) {
    Open();
    Data()->group[5].join = 0;
    Data()->group[5].atk[0].waza = 2;
    Data()->group[5].atk[1].waza = 44;  // beyond the type's four techniques
    plat::ClickCtl(main, 1037);         // group 0's flag off
    const std::vector<u8> before(Bytes(), Bytes() + CPU_DATA_SIZE);
    plat::SelectRow(main, 1129, 5);
    EXPECT_EQ(std::memcmp(before.data(), Bytes(), CPU_DATA_SIZE), 0);
    EXPECT_FALSE(plat::GetCheck(main, 1037));
    EXPECT_EQ(plat::GetRow(main, 1245, 0), "[00]  z2");
    EXPECT_EQ(plat::GetRow(main, 1245, 1), "[01]  ");
    EXPECT_EQ(plat::GetRow(main, 1245, 2), "[02]  --------------");
    plat::SelectRow(main, 1129, 1);
    EXPECT_TRUE(plat::GetCheck(main, 1037));
    EXPECT_EQ(Data()->group[0].join, 0);
    EXPECT_EQ(EDIT_CpuGroupRow(Data(), 5), "[05]  ×");
    EXPECT_EQ(EDIT_CpuGroupRow(Data(), 1), "[01]  --------------");
}

TEST_F(CpuEditor, PickersStoreOnlyOnADoubleClick) {
    Open();
    plat::Dialog* atk = Child(140);
    CPU_ATK& a = Data()->group[3].atk[1];
    a.waza = 1;
    plat::SetModalHandler([](plat::Dialog* dlg) {
        EXPECT_EQ(plat::GetRow(dlg, 1128, 0), "技無し");
        EXPECT_EQ(plat::GetRow(dlg, 1128, 3), "[002]  一般  z2");
        plat::SelectRow(dlg, 1128, 3);
        plat::ClickCtl(dlg, plat::IDCANCEL);
    });
    plat::ClickCtl(atk, 1250);
    EXPECT_EQ(a.waza, 1);
    plat::SetModalHandler([](plat::Dialog* dlg) { plat::DoubleClickRow(dlg, 1128, 3); });
    plat::ClickCtl(atk, 1250);
    EXPECT_EQ(a.waza, 2);
    EXPECT_EQ(plat::GetCtlText(atk, 1249), "z2");
    a.waza = -999;
    plat::ClickCtl(atk, plat::IDOK);
    Child(140);
    EXPECT_EQ(plat::GetCtlText(plat::FindDialog(140), 1249), "");

    plat::Dialog* counter = Child(141);
    CPU_COUNTER& c = Data()->counter[1];
    plat::ClickCtl(counter, 1292);  // technique
    plat::SetModalHandler([](plat::Dialog* dlg) { plat::DoubleClickRow(dlg, 1128, 4); });
    plat::ClickCtl(counter, 1040);
    EXPECT_EQ(c.type, 0);
    EXPECT_EQ(c.action, 3);
    EXPECT_EQ(plat::GetCtlText(counter, 1290), "(技　)  [No.003]  z3");
    plat::SetModalHandler([](plat::Dialog* dlg) { plat::DoubleClickRow(dlg, 1128, 0); });
    plat::ClickCtl(counter, 1040);
    EXPECT_EQ(c.type, -1);
    EXPECT_EQ(plat::GetCtlText(counter, 1290), "(×　)  --------------");
    plat::ClickCtl(counter, 1293);  // movement
    plat::SetModalHandler([](plat::Dialog* dlg) {
        EXPECT_EQ(plat::GetSel(dlg, 1128), 0);
        plat::ClickCtl(dlg, plat::IDCANCEL);
    });
    c.action = 0;
    plat::ClickCtl(counter, 1040);
    EXPECT_EQ(c.action, 0);
    plat::SetModalHandler([](plat::Dialog* dlg) { plat::DoubleClickRow(dlg, 1128, 9); });
    plat::ClickCtl(counter, 1040);
    EXPECT_EQ(c.action, 9);
    EXPECT_EQ(plat::GetCtlText(counter, 1290), "(行動)  [No.009]  什麼都不做");
    c.action = 40;
    EXPECT_EQ(EDIT_CpuReactionCaption(kCpuType, &c), "(行動)  [No.040]  ");
    c.type = 0;
    EXPECT_EQ(EDIT_CpuReactionCaption(kCpuType, &c), "(技　)  [No.040]  ");
}

TEST_F(CpuEditor, SaveWritesTheRecord) {
    Open();
    plat::TypeText(main, 1205, "77");
    for (int button : {1040, 1041}) {
        std::remove(dir.File("Dat/zako01.cpu").c_str());
        plat::ClickCtl(main, button);
        const std::string file = dir.Read("Dat/zako01.cpu");
        ASSERT_EQ(file.size(), static_cast<size_t>(CPU_DATA_SIZE));
        std::vector<u8> want(CPU_DATA_SIZE);
        CPU_WriteRecord(Data(), want.data());
        EXPECT_EQ(std::memcmp(file.data(), want.data(), CPU_DATA_SIZE), 0);
    }
    // The saved file loads with the change.
    CPU_DATA loaded{};
    CPU_ReadRecord(reinterpret_cast<const u8*>(dir.Read("Dat/zako01.cpu").data()), &loaded);
    EXPECT_EQ(loaded.param[CPU_PRM_MOVE_SPEED], 77);
}

TEST_F(CpuEditor, SaveKeepsAFileThatCouldNotBeRead) {
    // Reading this process's memory at address 0 is an I/O error, even for root.
    const std::string file = dir.File("Dat/zako01.cpu");
    std::remove(file.c_str());
    std::filesystem::create_symlink("/proc/self/mem", file);
    Open();
    for (int button : {1040, 1041}) plat::ClickCtl(main, button);
    EXPECT_TRUE(std::filesystem::is_symlink(file));
}

TEST_F(CpuEditor, KeepsOneCpuReferenceAndHoldsTechniquesWhileOpen) {
    ASSERT_EQ(CPU_LoadData(kCpuType), 1);  // the battle's
    CPU_DATA* live = Data();
    for (int i = 0; i < 300; i++) ASSERT_EQ(EDIT_OpenCpuEditor(kCpuType), 1);
    EXPECT_EQ(MekaTypeTbl[kCpuType].cpuRef, 2);
    EXPECT_EQ(Data(), live);
    EXPECT_EQ(MekaTypeTbl[0].wazaRef, 1);
    EXPECT_EQ(MekaTypeTbl[kCpuType].wazaRef, 1);
    plat::DoubleClickRow(plat::FindDialog(138), 1128, 0);
    plat::ClickCtl(plat::FindDialog(138), plat::IDCANCEL);
    EXPECT_EQ(MekaTypeTbl[0].wazaRef, 1);  // the child still lists them
    plat::ClickCtl(plat::FindDialog(139), plat::IDCANCEL);
    EXPECT_EQ(MekaTypeTbl[0].wazaRef, 0);
    EXPECT_EQ(MekaTypeTbl[kCpuType].wazaRef, 0);
    EXPECT_EQ(MekaTypeTbl[kCpuType].cpuRef, 2);  // kept until shut-down
    EDIT_CpuReleaseAll();
    EXPECT_EQ(MekaTypeTbl[kCpuType].cpuRef, 1);
    CPU_ReleaseData(kCpuType);
}

TEST_F(CpuEditor, ATypeWithoutARecordOpensNothing) {
    MekaTypeTbl[2].cpuRef = 0xFF;  // refused
    EXPECT_EQ(EDIT_OpenCpuEditor(2), 0);
    EXPECT_EQ(plat::FindDialog(138), nullptr);
    EXPECT_EQ(MekaTypeTbl[2].cpuRef, 0xFF);
    MekaTypeTbl[2].cpuRef = 0;
    EXPECT_EQ(EDIT_OpenCpuEditor(-1), 0);
    EXPECT_EQ(EDIT_OpenCpuEditor(MEKA_TYPE_MAX), 0);
}

}  // namespace
