// The technique editor: its rows and record operations, and its dialogs on fake dialogs with the
// references it holds.
#include <cstring>
#include <initializer_list>
#include <vector>

#include "editor_fixture.h"
#include "editors/tama_editor.h"
#include "editors/waza_editor.h"

namespace {

WAZA_DATA Loops() {
    WAZA_DATA d = tools::NewWaza("t");
    for (int i = 0; i < 8; i++) d.stepTbl[i] = static_cast<u8>(i);
    d.loop[0] = {5, 3, 2};    // steps 3..5
    d.loop[1] = {6, 2, 1};    // steps 2..6, enclosing the first
    d.branch[0] = {4, 1, 0, 0, 0};
    d.branch[1] = {7, 40, 1, 0, 3};
    return d;
}

TEST(WazaRows, StepMapMarksLoopsAndJumps) {
    const WAZA_DATA d = Loops();
    const char* const want[] = {
        "[00]  00", "[01]  01", "[02] |   02", "[03] |  |   03", "[04] |  |   04   (jmp:01)", "[05] |  |   05",
        "[06] |   06", "[07]  07   (jmp:40)", "[08]  -----",
    };
    for (int i = 0; i < 9; i++) EXPECT_EQ(EDIT_WazaStepRow(&d, i), want[i]) << i;
    EXPECT_EQ(EDIT_WazaLoopRow(&d, 0), "[0]  03→05  002");
    EXPECT_EQ(EDIT_WazaLoopRow(&d, 2), "[2]  -----------");
    EXPECT_EQ(EDIT_WazaJumpRow(&d, 0), "[0]  04 → 01");
    EXPECT_EQ(EDIT_WazaJumpRow(&d, 1), "[1]  07 → End");
    EXPECT_EQ(EDIT_WazaJumpRow(&d, 2), "[2]  -----------");
}

TEST(WazaRows, MotionsAndFrames) {
    WAZA_DATA d = tools::NewWaza("t");
    d.motion[0].frame[0].wait = 5;
    d.motion[1].frame[0].wait = 5;
    d.motion[1].fire.startMask = 4;
    EXPECT_EQ(EDIT_WazaMotionRow(&d, 0), "[00]  ○   --");
    EXPECT_EQ(EDIT_WazaMotionRow(&d, 1), "[01]  ○   弾");
    EXPECT_EQ(EDIT_WazaMotionRow(&d, 2), "[02]  -------");
    std::strcpy(EditChipNameTbl[3], "walk");
    WAZA_MOTION& m = d.motion[1];
    m.frame[2] = {3, 0, -1, 2, 1, 5, 0x10, 0, 0, 7, 12};
    m.fire.aimMask = 4;
    EXPECT_EQ(EDIT_WazaFrameRow(&m, 2), "[2]  目標 武器 命中 音效  dir:2   增減％　(wait: 005)(armor:012)  (03)walk");
    m.frame[2].waitMode = 2;
    EXPECT_EQ(EDIT_WazaFrameRow(&m, 2).substr(5), "目標 武器 命中 音效  dir:2     迴圈　(wait: 005)(armor:012)  (03)walk");
    EXPECT_EQ(EDIT_WazaFrameRow(&m, 3), "[3]  ----------------------------------------------");
}

TEST(WazaRecords, StepsMotionsFramesAndEntriesShift) {
    WAZA_DATA d = Loops();
    EDIT_WazaDeleteStep(&d, 2);
    EXPECT_EQ(d.stepTbl[2], 3);
    EXPECT_EQ(d.stepTbl[31], EDIT_WAZA_EMPTY);
    for (int i = 0; i < WAZA_MOTION_MAX; i++) d.motion[i].speed = static_cast<i16>(i);
    EDIT_WazaInsertMotion(&d, 15);
    for (int i = 0; i < WAZA_MOTION_MAX; i++) EXPECT_EQ(d.motion[i].speed, i);
    auto speeds = [&](std::initializer_list<int> at) {
        std::vector<int> v;
        for (int i : at) v.push_back(d.motion[i].speed);
        return v;
    };
    EDIT_WazaInsertMotion(&d, 3);
    EXPECT_EQ(speeds({3, 4, 15}), (std::vector<int>{3, 3, 14}));
    for (int i = 0; i < WAZA_MOTION_MAX; i++) d.motion[i].speed = static_cast<i16>(i);
    EDIT_WazaDeleteMotion(&d, 3);
    EXPECT_EQ(speeds({3, 14, 15}), (std::vector<int>{4, 15, 15}));

    WAZA_MOTION& m = d.motion[0];
    for (int i = 0; i < WAZA_FRAME_MAX; i++) m.frame[i] = {u8(i), 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EDIT_WazaInsertFrame(&m, 4);
    EXPECT_EQ(m.frame[5].anim, 4);
    EXPECT_EQ(m.frame[9].anim, 8);  // frame 9 dropped
    const WAZA_FRAME zero{};
    EXPECT_EQ(std::memcmp(&m.frame[4], &zero, sizeof zero), 0);
    EDIT_WazaDeleteFrame(&m, 0);
    EXPECT_EQ(m.frame[0].anim, 1);
    const WAZA_FRAME& last = m.frame[9];
    EXPECT_EQ(std::vector<i32>({last.anim, last.turn, last.hitField, last.waitMode, last.wait}),
              std::vector<i32>({99, 0, 0, 0, -1}));

    EDIT_WazaDeleteLoop(&d, 0);
    EXPECT_EQ(d.loop[0].from, 6);
    EXPECT_EQ(d.loop[3].from, EDIT_WAZA_EMPTY);
    EDIT_WazaDeleteJump(&d, 0);
    EXPECT_EQ(d.branch[0].from, 7);
    EXPECT_EQ(d.branch[7].from, EDIT_WAZA_EMPTY);
    EXPECT_EQ(EDIT_WazaJumpSel(&d, 5), 1);
    EXPECT_EQ(EDIT_WazaLoopSel(&d, 3), 1);
    EXPECT_EQ(EDIT_WazaStepSel(&d, 20), 7);
    EXPECT_EQ(EDIT_WazaMotionSel(&d, 6), 1);  // only motion 0 is in use
}

class WazaEditor : public test::EditorTest {
protected:
    void Open(int waza = 1) {
        ASSERT_EQ(EDIT_OpenWazaEditor(test::kCpuType, waza), 1);
        head = plat::FindDialog(113);
        motion = plat::FindDialog(107);
        ASSERT_NE(head, nullptr);
        ASSERT_NE(motion, nullptr);
    }
    WAZA_DATA* Record(int n = 1) { return WAZA_GetData(test::kCpuType, n); }
    plat::Dialog* head = nullptr;
    plat::Dialog* motion = nullptr;
};

// Each field of dialogs 113 and 107 writes its own bytes of the record, as the file lays them out.
TEST_F(WazaEditor, HeadAndMotionFieldsChangeOnlyTheirBytes) {
    std::vector<WAZA_DATA> records = test::Techniques(4, "z");
    std::memset(&records[1].motion[0], 0x5A, sizeof(WAZA_MOTION));  // so a flag toggles from 0x5A
    WriteWaza(test::kCpuType, records);
    Open();
    EXPECT_EQ(plat::GetRadio(head, 1033), 0);
    EXPECT_EQ(plat::GetSel(head, 1101), 0);
    EXPECT_EQ(plat::GetCtlText(head, 1100), "z1");
    struct Case {
        plat::Dialog* dlg;
        int ctl;
        const char* text;  // null: select row 2 / click
        int offset, bytes;
        i32 want;
    };
    const int m0 = 146;
    const Case cases[] = {
        {head, 1101, nullptr, 42, 1, 2},      {head, 1035, nullptr, 41, 1, 2},
        {head, 1110, "1001", 44, 2, 1000},    {head, 1111, "77", 48, 2, 77},
        {head, 1112, "200", 50, 1, 127},      {head, 1113, "30001", 52, 2, 30000},
        {motion, 1524, "1234", m0 + 196, 2, 1234}, {motion, 1412, "-300", m0 + 170, 2, -255},
        {motion, 1424, "11", m0 + 180, 2, 11},     {motion, 1422, "12", m0 + 182, 2, 12},
        {motion, 1428, "-99", m0 + 166, 2, -99},   {motion, 1513, "300", m0 + 188, 1, 255},
        {motion, 1536, "101", m0 + 208, 2, 100},   {motion, 1534, "-7", m0 + 210, 2, -7},
        {motion, 1545, "9", m0 + 217, 1, 9},       {motion, 1036, nullptr, m0 + 163, 1, 3},
        {motion, 1402, nullptr, m0 + 164, 1, 2},   {motion, 1193, nullptr, m0 + 216, 1, 1},
        {motion, 1405, nullptr, m0 + 168, 1, 0x5A ^ 2}, {motion, 1541, nullptr, m0 + 162, 1, 0x5A ^ 1},
        {motion, 1538, nullptr, m0 + 212, 1, 2},   {motion, 1544, nullptr, m0 + 254, 1, 2},
        {motion, 1414, "300", m0 + 172, 2, 300},   {motion, 1416, "-200", m0 + 174, 2, -200},
        {motion, 1418, "301", m0 + 176, 2, 301},   {motion, 1420, "302", m0 + 178, 2, 302},
        {motion, 1426, "303", m0 + 184, 2, 303},   {motion, 1509, "200", m0 + 186, 1, 200},
        {motion, 1511, "201", m0 + 187, 1, 201},   {motion, 1542, "304", m0 + 190, 2, 304},
        {motion, 1507, nullptr, m0 + 192, 1, 0x5A ^ 128}, {motion, 1523, nullptr, m0 + 193, 1, 3},
        {motion, 1519, nullptr, m0 + 194, 1, 2},   {motion, 1526, "305", m0 + 198, 2, 305},
        {motion, 1528, "306", m0 + 200, 2, 306},   {motion, 1515, "202", m0 + 202, 1, 202},
        {motion, 1196, nullptr, m0 + 203, 1, 2},   {motion, 1530, "-8", m0 + 204, 2, -8},
        {motion, 1532, "-9", m0 + 206, 2, -9},     {motion, 1539, "203", m0 + 213, 1, 203},
        {motion, 1551, "204", m0 + 214, 1, 204},   {motion, 1547, nullptr, m0 + 215, 1, 2},
        {motion, 1508, nullptr, m0 + 161, 1, 0x5A ^ 1}, {head, 1037, nullptr, 46, 1, 1},
    };
    for (const Case& c : cases) {
        u8* bytes = reinterpret_cast<u8*>(Record());
        std::vector<u8> before(bytes, bytes + sizeof(WAZA_DATA));
        if (c.text) plat::TypeText(c.dlg, c.ctl, c.text);
        else if (c.ctl == 1101 || c.ctl == 1538 || c.ctl == 1544 || c.ctl == 1547) plat::SelectRow(c.dlg, c.ctl, 2);
        else plat::ClickCtl(c.dlg, c.ctl);
        EXPECT_EQ(EDIT_LoadInt(bytes + c.offset, c.bytes, c.bytes == 2), c.want) << c.ctl;
        for (int i = 0; i < static_cast<int>(sizeof(WAZA_DATA)); i++) {
            if (i >= c.offset && i < c.offset + c.bytes) continue;
            ASSERT_EQ(bytes[i], before[i]) << c.ctl << " byte " << i;
        }
    }
}

TEST_F(WazaEditor, ListsEditTheStepMapLoopsAndJumps) {
    Open();
    WAZA_DATA* w = Record();
    plat::TypeText(head, 1202, "2");
    plat::TypeText(head, 1200, "3");
    plat::TypeText(head, 1205, "2");
    plat::ClickCtl(head, 1044);
    EXPECT_EQ(std::vector<int>({w->loop[0].from, w->loop[0].to, w->loop[0].count}), (std::vector<int>{3, 2, 2}));
    EXPECT_EQ(plat::GetSel(head, 1128), 1);
    EXPECT_EQ(plat::GetRow(head, 1128, 0), "[0]  02→03  002");
    plat::TypeText(head, 1703, "0");
    plat::TypeText(head, 1705, "32");
    plat::ClickCtl(head, 1701);
    plat::ClickCtl(head, 1042);
    EXPECT_EQ(w->branch[0].kind, 1);
    EXPECT_EQ(plat::GetRow(head, 1710, 0), "[0]  00 → End");
    EXPECT_EQ(plat::GetRow(head, 1102, 0), "[00]  00   (jmp:32)");
    // Step 5 is empty: the selection moves after the last used step.
    plat::SelectRow(head, 1103, 0);
    plat::SelectRow(head, 1102, 5);
    EXPECT_EQ(plat::GetSel(head, 1102), 1);
    plat::ClickCtl(head, 1040);
    EXPECT_EQ(w->stepTbl[1], 0);
    plat::ClickCtl(head, 1041);
    EXPECT_EQ(w->stepTbl[1], EDIT_WAZA_EMPTY);
}

TEST_F(WazaEditor, FramesOpenTheFrameAndFiringDialogsOnItsOwnSelection) {
    Open();
    WAZA_MOTION& m = Record()->motion[0];
    m.frame[0].wait = 4;
    m.frame[1].wait = 6;
    plat::SetModalHandler([](plat::Dialog* dlg) {
        ASSERT_EQ(plat::GetDialogId(dlg), 115);
        EXPECT_TRUE(plat::IsCtlEnabled(dlg, 1192));
        EXPECT_FALSE(plat::IsCtlEnabled(dlg, 1184));
        plat::TypeText(dlg, 1192, "2");
        plat::ClickCtl(dlg, plat::IDOK);
    });
    plat::DoubleClickRow(motion, 1300, 1);
    EXPECT_EQ(m.frame[1].armourRate, 2);
    plat::ClickCtl(motion, 1040);  // insert at frame 1: the new frame is zeroed, then edited
    EXPECT_EQ(m.frame[1].armourRate, 2);
    EXPECT_EQ(m.frame[1].wait, 0);
    EXPECT_EQ(m.frame[2].wait, 6);
    EXPECT_EQ(plat::GetSel(motion, 1300), 2);
    plat::SetModalHandler([](plat::Dialog* dlg) {
        ASSERT_EQ(plat::GetDialogId(dlg), 119);
        plat::TypeText(dlg, 3001, "9");
        plat::ClickCtl(dlg, plat::IDOK);
    });
    plat::ClickCtl(motion, 1042);
    EXPECT_EQ(m.fire.interval, 9);
}

TEST_F(WazaEditor, OtherEditorsLeaveItsSelectionAlone) {
    std::vector<TAMA_DATA> weapons;
    for (int i = 0; i < 121; i++) weapons.push_back(tools::NewTama(static_cast<i16>(i)));
    dir.Write("Dat/Tama.dat", tools::TamaFile(weapons));
    ASSERT_EQ(TAMA_LoadData(), 1);
    Open(2);
    ASSERT_EQ(EDIT_OpenTamaEditor(), 1);
    const EDIT_STATE before = WazaEditState;
    const std::vector<u8> record(reinterpret_cast<u8*>(Record(2)), reinterpret_cast<u8*>(Record(2)) + sizeof(WAZA_DATA));
    plat::SelectRow(plat::FindDialog(118), 1128, 120);
    EXPECT_EQ(TamaEditState.no, 120);
    EXPECT_EQ(WazaEditState.no, 2);
    EXPECT_EQ(WazaEditState.waza, before.waza);
    EXPECT_EQ(std::memcmp(record.data(), Record(2), sizeof(WAZA_DATA)), 0);
    plat::DestroyAllDialogs();
    TAMA_ClearData();
}

TEST_F(WazaEditor, HoldsItsOwnReferenceUntilItsLastDialogCloses) {
    ASSERT_EQ(WAZA_LoadData(test::kCpuType), 1);  // the technique menu's
    Open();
    EXPECT_EQ(MekaTypeTbl[test::kCpuType].wazaRef, 2);
    WAZA_ReleaseData(test::kCpuType);  // the menu is cancelled
    plat::TypeText(head, 1113, "55");
    plat::TypeText(motion, 1524, "66");
    EXPECT_EQ(Record()->expBase, 55);
    plat::ClickCtl(head, plat::IDCANCEL);
    EXPECT_NE(MekaTypeTbl[test::kCpuType].waza, nullptr);
    plat::ClickCtl(motion, plat::IDCANCEL);
    EXPECT_EQ(MekaTypeTbl[test::kCpuType].waza, nullptr);
    EXPECT_EQ(MekaTypeTbl[test::kCpuType].wazaRef, 0);

    // Reopening, or the CPU editor taking the slots, leaves one reference at most.
    Open(0);
    Open(3);
    EXPECT_EQ(MekaTypeTbl[test::kCpuType].wazaRef, 1);
    ASSERT_EQ(EDIT_OpenCpuEditor(test::kCpuType), 1);
    EXPECT_NE(plat::FindDialog(107), nullptr);  // the child stays until a CPU child replaces it
    plat::DoubleClickRow(plat::FindDialog(138), 1128, 0);
    EXPECT_EQ(plat::FindDialog(107), nullptr);
    EXPECT_EQ(MekaTypeTbl[test::kCpuType].wazaRef, 1);  // the CPU editor's
}

TEST_F(WazaEditor, TechniqueOutsideTheCountOpensNothing) {
    for (int waza : {-1, 4, 100}) {
        EXPECT_EQ(EDIT_OpenWazaEditor(test::kCpuType, waza), 0) << waza;
        EXPECT_EQ(plat::FindDialog(113), nullptr);
        EXPECT_EQ(MekaTypeTbl[test::kCpuType].wazaRef, 0);
    }
}

}  // namespace
