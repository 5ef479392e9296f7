// The weapon editor's dialog procedures on the fake dialogs: typing and clicking as the user would.
#include "editors/tama_editor.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "editor_fixture.h"

#include "graphics/display/disp.h"
#include "platform/encoding.h"
#include "platform/settings.h"
#include "platform/window.h"
#include "shell/sound/sound.h"
#include "shell/sys.h"

namespace {

std::vector<std::pair<int, int>> g_played;
int RecordPlay(int no, int loop) {
    g_played.push_back({no, loop});
    return 1;
}

class TamaEditor : public test::EditorTest {
protected:
    void SetUp() override {
        test::EditorTest::SetUp();
        std::vector<TAMA_DATA> records;
        for (int i = 0; i < 10; i++) records.push_back(tools::NewTama(i16(i), i == 7 ? "seven" : nullptr));
        dir.Write("Dat/Tama.dat", tools::TamaFile(records));
        dir.Write("ChipTxt/效果.txt", "spark\nsmoke\n");
        ASSERT_EQ(TAMA_LoadData(), 1);
        EditSePlay = RecordPlay;
        g_played.clear();
        TamaEditState = EDIT_STATE{};
    }
    void TearDown() override {
        test::EditorTest::TearDown();
        EditSePlay = SE_Play;
        TamaEditState = EDIT_STATE{};
        TAMA_ClearData();
    }
    static std::vector<u8> Bytes(const TAMA_DATA* d) {
        std::vector<u8> b(TAMA_FILE_SIZE);
        TAMA_WriteRecord(d, b.data());
        return b;
    }
    plat::Dialog* Open() {
        EXPECT_EQ(EDIT_OpenTamaEditor(), 1);
        list = plat::FindDialog(118);
        phase = plat::FindDialog(116);
        EXPECT_TRUE(list && phase);
        return list;
    }

    plat::Dialog* list = nullptr;
    plat::Dialog* phase = nullptr;
};

TEST_F(TamaEditor, ListsTheWeaponsAndWritesEachKeystrokeClamped) {
    Open();
    ASSERT_EQ(plat::GetRowCount(list, 1128), 10);
    EXPECT_EQ(plat::GetRow(list, 1128, 7), "  7  seven");
    EXPECT_EQ(plat::GetRow(list, 1128, 0), "  0  新規弾");
    EXPECT_EQ(plat::GetCtlText(list, 1159), "新規弾");
    plat::SelectRow(list, 1128, 7);
    plat::SelectRow(list, 1158, 2);
    TAMA_PHASE& p = TamaDataTbl[7]->phase[2];
    struct Case {
        int ctl;
        const char* text;
        std::function<i32()> field;
        i32 want;
    };
    const Case cases[] = {
        {2415, "12", [&] { return p.speed; }, 12},
        {2415, "120000", [&] { return p.speed; }, 9999},
        {2415, "abc", [&] { return p.speed; }, -255},
        {2509, "300", [&] { return p.charHits; }, 255},
        {2536, "-3", [&] { return p.knockAccum; }, 0},
        {2710, "1000", [&] { return p.charHitTrigger; }, 999},
        {2706, "-7", [&] { return p.nextOnCharHit; }, -1},
    };
    for (const Case& c : cases) {
        plat::TypeText(phase, c.ctl, c.text);
        EXPECT_EQ(c.field(), c.want) << c.ctl << " \"" << c.text << '"';
        EXPECT_EQ(plat::GetCtlText(phase, c.ctl), c.text);  // the field keeps what was typed
    }
    EXPECT_EQ(TamaDataTbl[7]->phase[1].speed, TamaDataTbl[7]->phase[3].speed);  // only phase 2 changed

    plat::TypeText(list, 1159, "試作弾");
    EXPECT_EQ(std::string(TamaDataTbl[7]->name), plat::Utf8ToSjis("試作弾"));
    EXPECT_EQ(plat::GetRow(list, 1128, 7), "  7  試作弾");
}

TEST_F(TamaEditor, ShowingEveryDialogLeavesTheRecordAsItWas) {
    TAMA_DATA* d = TamaDataTbl[3];
    // Values outside the fields' ranges: showing them must not clamp them.
    for (TAMA_PHASE& p : d->phase) {
        p.speed = -3000;
        p.knockAccum = 500;
        p.charHits = 255;
        p.kind = 5;
        p.moveType = 9;
        p.fire.value1 = 32000;
        p.fire.fireType = 7;
        p.p[15] = 123456;
        p.step[0].blend = 40;
        p.step[0].reserved15 = 0x85;
    }
    const std::vector<u8> before = Bytes(d);
    for (int id : {115, 119, 161}) OnModal(id, [](plat::Dialog* dlg) { plat::ClickCtl(dlg, plat::IDOK); });
    Open();
    plat::SelectRow(list, 1128, 3);
    plat::DoubleClickRow(phase, 2716, 0);
    plat::ClickCtl(phase, 1052);
    for (int id = 146; id <= 159; id++) {
        OnModal(id, [](plat::Dialog* dlg) { plat::ClickCtl(dlg, plat::IDOK); });
        EXPECT_EQ(EDIT_OpenTamaParamDlg(id, &d->phase[1]), plat::IDOK) << id;
    }
    EXPECT_EQ(Bytes(d), before);
    EXPECT_EQ(opened.size(), 2u + 14u);
}

TEST_F(TamaEditor, SoundCombosPlayOnceAndRowZeroIsSilent) {
    Open();
    plat::SelectRow(phase, 2555, 0);
    EXPECT_TRUE(g_played.empty());
    plat::SelectRow(phase, 2555, 1);
    EXPECT_EQ(g_played, (std::vector<std::pair<int, int>>{{0, 0}}));
    EXPECT_EQ(TamaDataTbl[0]->phase[0].hitSound, 1);
    OnModal(119, [](plat::Dialog* dlg) {
        plat::SelectRow(dlg, 3000, 0);
        plat::SelectRow(dlg, 3000, 15);
        plat::ClickCtl(dlg, plat::IDOK);
    });
    plat::ClickCtl(phase, 1052);
    EXPECT_EQ(g_played.back(), std::pair(14, 0));  // "dash2" once, not looping
    EXPECT_EQ(g_played.size(), 2u);
}

TEST_F(TamaEditor, PickerStoresOnlyADoubleClick) {
    TamaDataTbl[0]->phase[0].fire.weapon = 7;
    Open();
    std::function<void(plat::Dialog*)> pick = [](plat::Dialog* dlg) { plat::ClickCtl(dlg, plat::IDCANCEL); };
    OnModal(114, [&](plat::Dialog* dlg) {
        EXPECT_EQ(plat::GetRow(dlg, 1128, 0), "---  弾は撃たない");
        pick(dlg);
    });
    std::string caption;
    OnModal(119, [&](plat::Dialog* dlg) {
        plat::ClickCtl(dlg, 3027);
        caption = plat::GetCtlText(dlg, 3026);
        plat::ClickCtl(dlg, plat::IDOK);
    });
    plat::ClickCtl(phase, 1052);
    EXPECT_EQ(TamaDataTbl[0]->phase[0].fire.weapon, 7);
    EXPECT_EQ(caption, "No.007  seven");
    pick = [](plat::Dialog* dlg) { plat::DoubleClickRow(dlg, 1128, 3); };
    plat::ClickCtl(phase, 1052);
    EXPECT_EQ(TamaDataTbl[0]->phase[0].fire.weapon, 2);
    pick = [](plat::Dialog* dlg) { plat::DoubleClickRow(dlg, 1128, 0); };
    plat::ClickCtl(phase, 1052);
    EXPECT_EQ(TamaDataTbl[0]->phase[0].fire.weapon, -1);
    EXPECT_EQ(caption, "未使用");
}

TEST_F(TamaEditor, KindAndTypeRecaptionTheGroupsAndPickTheDetailDialog) {
    struct Case {
        u8 kind, moveType, laserType;
        int button;
        int want;  // 0: nothing opens
    };
    const Case cases[] = {
        {0, 0, 0, 1316, 146}, {0, 3, 0, 1316, 158}, {0, 4, 0, 1316, 159}, {0, 5, 0, 1316, 0},
        {1, 2, 0, 1316, 151}, {2, 1, 0, 1316, 153}, {2, 0, 2, 1317, 157}, {0, 0, 1, 1317, 0},
        {5, 0, 0, 1316, 0},   {2, 0, 3, 1317, 0},
    };
    for (int id = 146; id <= 159; id++) OnModal(id, {});
    Open();
    for (const Case& c : cases) {
        TAMA_PHASE& p = TamaDataTbl[0]->phase[0];
        p.kind = c.kind;
        p.moveType = c.moveType;
        p.laserType = c.laserType;
        opened.clear();
        plat::ClickCtl(phase, c.button);
        EXPECT_EQ(opened, c.want ? std::vector<int>{c.want} : std::vector<int>{}) << int(c.kind) << "/" << int(c.moveType);
    }
    // The kind radios recaption the type groups.
    plat::ClickCtl(phase, 2402);
    EXPECT_EQ(TamaDataTbl[0]->phase[0].kind, 2);
    EXPECT_EQ(plat::GetCaption(phase, 1033), "搜索一次後固定");
    EXPECT_EQ(plat::GetCaption(phase, 1041), "隨機改變方向");
    EXPECT_EQ(plat::GetCaption(phase, 1036), "(未定)");
    plat::ClickCtl(phase, 2400);
    EXPECT_EQ(plat::GetCaption(phase, 1037), "慣性導向");
    EXPECT_EQ(plat::GetCaption(phase, 1041), "(未定)");
    plat::ClickCtl(phase, 1040);
    EXPECT_EQ(TamaDataTbl[0]->phase[0].moveType, 7);
    EXPECT_EQ(plat::GetRadio(phase, 1033), 7);
}

TEST_F(TamaEditor, ShotAndParameterDialogsWriteClampedNumbersRadiosAndCaptions) {
    Open();
    std::vector<std::string> captions;
    OnModal(119, [&](plat::Dialog* dlg) {
        plat::ClickCtl(dlg, 3019);
        for (int ctl : {3009, 3012, 3015}) captions.push_back(plat::GetCaption(dlg, ctl));
        plat::ClickCtl(dlg, 3022);
        captions.push_back(plat::GetCaption(dlg, 3009));
        plat::TypeText(dlg, 3009, "-12345");
        plat::ClickCtl(dlg, plat::IDOK);
    });
    plat::ClickCtl(phase, 1052);
    EXPECT_EQ(captions, (std::vector<std::string>{"回轉角度", "開始座標", "發射倒數", "未定"}));
    EXPECT_EQ(TamaDataTbl[0]->phase[0].fire.fireType, 4);
    EXPECT_EQ(TamaDataTbl[0]->phase[0].fire.value1, -9999);

    // A parameter dialog writes clamped numbers and radio positions.
    TAMA_PHASE& p = TamaDataTbl[0]->phase[0];
    OnModal(152, [](plat::Dialog* dlg) {
        plat::TypeText(dlg, 1479, "-20000");
        plat::ClickCtl(dlg, 1389);
        plat::ClickCtl(dlg, 1400);
        plat::ClickCtl(dlg, plat::IDOK);
    });
    EDIT_OpenTamaParamDlg(152, &p);
    EXPECT_EQ(p.p[1], -9999);
    EXPECT_EQ(p.q[15], 2);
    EXPECT_EQ(p.q[14], 5);
}

// Each control of dialogs 116, 119 and 146..159 writes its own bytes of the phase, as the file lays
// them out: the firing entry at 308, movement parameters at 128, laser parameters at 192.
TEST_F(TamaEditor, EveryFieldLandsAtItsOffsetInThePhase) {
    enum Act { Type, Click, Pick };  // the value typed, the button clicked, the combo row picked
    struct Case {
        int dlg, ctl;
        Act act;
        int offset, bytes;
        i32 want;
    };
    constexpr int F = 308, P = 128, Q = 192, X = 0x5A;  // X: every byte before, so a flag toggles from it
    const Case cases[] = {
        {116, 2415, Type, 256, 2, -3}, {116, 2417, Type, 258, 2, 300}, {116, 2419, Type, 260, 2, 301},
        {116, 2421, Type, 262, 2, 302}, {116, 2423, Type, 264, 2, 303}, {116, 2427, Type, 266, 2, 304},
        {116, 2425, Type, 268, 2, 305}, {116, 2429, Type, 270, 2, 306}, {116, 2509, Type, 272, 1, 200},
        {116, 2511, Type, 273, 1, 201}, {116, 2513, Type, 274, 1, 202}, {116, 2515, Type, 276, 2, 307},
        {116, 2524, Type, 282, 2, 308}, {116, 2526, Type, 284, 2, 309}, {116, 2528, Type, 286, 2, 310},
        {116, 2530, Type, 290, 2, -4}, {116, 2532, Type, 292, 2, -5}, {116, 2534, Type, 296, 2, -6},
        {116, 2536, Type, 294, 2, 77}, {116, 2546, Type, 288, 1, 203}, {116, 2539, Type, 299, 1, 204},
        {116, 2551, Type, 300, 1, 205}, {116, 2549, Type, 303, 1, 206}, {116, 2544, Type, 305, 1, 99},
        {116, 2542, Type, 306, 1, 207}, {116, 2553, Type, 307, 1, 208}, {116, 2700, Type, 108, 1, -1},
        {116, 2702, Type, 109, 1, 1}, {116, 2704, Type, 110, 1, 2}, {116, 2706, Type, 114, 1, 3},
        {116, 2710, Type, 112, 2, 500}, {116, 2708, Type, 118, 1, 4}, {116, 2712, Type, 116, 2, 501},
        {116, 2719, Type, 119, 1, 0}, {116, 2523, Click, 279, 1, 3}, {116, 2303, Click, 280, 1, 3},
        {116, 1194, Click, 302, 1, 1}, {116, 1199, Click, 289, 1, 2}, {116, 2406, Click, 121, 1, 6},
        {116, 1040, Click, 123, 1, 7}, {116, 1048, Click, 124, 1, 7}, {116, 2414, Click, 122, 1, X ^ 128},
        {116, 2507, Click, 278, 1, X ^ 128}, {116, 2538, Pick, 298, 1, 3}, {116, 2555, Pick, 301, 1, 3},
        {116, 2541, Pick, 304, 1, 3},
        {119, 3001, Type, F + 14, 2, 200}, {119, 3028, Type, F + 20, 2, 300}, {119, 3003, Type, F + 16, 2, 201},
        {119, 3030, Type, F + 22, 2, 301}, {119, 3005, Type, F + 18, 2, 202}, {119, 3032, Type, F + 24, 2, 302},
        {119, 3007, Type, F + 8, 1, 203}, {119, 3009, Type, F + 26, 2, -300}, {119, 3012, Type, F + 28, 2, -301},
        {119, 3015, Type, F + 30, 2, -302}, {119, 2548, Type, F + 33, 1, 204}, {119, 1042, Click, F + 10, 1, 1},
        {119, 1040, Click, F + 12, 1, 7}, {119, 2721, Click, F + 11, 1, 4}, {119, 3023, Click, F + 9, 1, 5},
        {119, 2547, Pick, F + 32, 1, 3}, {119, 3000, Pick, F + 34, 1, 3},
        {146, 1039, Type, P + 60, 4, -1234}, {147, 1334, Type, P + 4, 4, -1234}, {147, 1040, Click, P + 8, 4, 7},
        {147, 1041, Type, P + 60, 4, -1234}, {148, 1366, Type, P + 4, 4, -1234}, {148, 1367, Type, P + 12, 4, -1234},
        {148, 1368, Type, P + 8, 4, -1234}, {148, 1369, Type, P + 20, 4, -1234}, {148, 1370, Type, P + 24, 4, -1234},
        {148, 1442, Click, P + 40, 4, 7}, {148, 1386, Type, P + 60, 4, -1234}, {158, 1480, Type, P + 0, 4, -1234},
        {158, 1040, Type, P + 60, 4, -1234}, {159, 1481, Type, P + 0, 4, -1234}, {159, 1482, Type, P + 4, 4, -1234},
        {159, 1483, Type, P + 8, 4, -1234}, {159, 1484, Type, P + 12, 4, -1234}, {159, 1485, Type, P + 16, 4, -1234},
        {159, 1486, Type, P + 20, 4, -1234}, {159, 1488, Click, P + 24, 4, 1}, {159, 1489, Type, P + 60, 4, -1234},
        {149, 1368, Type, P + 0, 4, -1234}, {150, 1369, Type, P + 4, 4, -1234}, {150, 1370, Type, P + 8, 4, -1234},
        {151, 1371, Type, P + 4, 4, -1234}, {151, 1372, Type, P + 8, 4, -1234}, {152, 1479, Type, P + 4, 4, -1234},
        {152, 1394, Click, Q + 60, 4, 7}, {152, 1402, Click, Q + 56, 4, 7}, {152, 1410, Click, Q + 52, 4, 7},
        {153, 1374, Type, P + 0, 4, -1234}, {153, 1375, Type, P + 4, 4, -1234}, {153, 1402, Click, Q + 60, 4, 7},
        {153, 1410, Click, Q + 56, 4, 7}, {153, 1418, Click, Q + 52, 4, 7}, {154, 1376, Type, P + 0, 4, -1234},
        {154, 1377, Type, P + 4, 4, -1234}, {154, 1410, Click, Q + 60, 4, 7}, {154, 1418, Click, Q + 56, 4, 7},
        {154, 1426, Click, Q + 52, 4, 7}, {155, 1378, Type, Q + 0, 4, -1234}, {155, 1379, Type, Q + 4, 4, -1234},
        {155, 1380, Type, Q + 8, 4, -1234}, {155, 1381, Type, Q + 48, 4, -1234}, {155, 1382, Type, Q + 44, 4, -1234},
        {155, 1418, Click, Q + 60, 4, 7}, {156, 1381, Type, Q + 0, 4, -1234}, {156, 1382, Type, Q + 4, 4, -1234},
        {156, 1383, Type, Q + 48, 4, -1234}, {156, 1384, Type, Q + 44, 4, -1234}, {156, 1426, Click, Q + 60, 4, 7},
        {157, 1384, Type, Q + 0, 4, -1234}, {157, 1385, Type, Q + 4, 4, -1234}, {157, 1389, Type, Q + 8, 4, -1234},
        {157, 1381, Type, Q + 48, 4, -1234}, {157, 1386, Type, Q + 44, 4, -1234}, {157, 1434, Click, Q + 60, 4, 7},
    };
    TAMA_PHASE& p = TamaDataTbl[3]->phase[1];
    auto* bytes = reinterpret_cast<u8*>(&p);
    std::memset(bytes, X, sizeof p);
    Open();
    plat::SelectRow(list, 1128, 3);
    plat::SelectRow(list, 1158, 1);
    for (const Case& c : cases) {
        std::memset(bytes, X, sizeof p);
        auto act = [&c](plat::Dialog* dlg) {
            if (c.act == Type) plat::TypeText(dlg, c.ctl, std::to_string(c.want));
            if (c.act == Click) plat::ClickCtl(dlg, c.ctl);
            if (c.act == Pick) plat::SelectRow(dlg, c.ctl, c.want);
            if (c.dlg != 116) plat::ClickCtl(dlg, plat::IDOK);
        };
        if (c.dlg == 116) act(phase);
        OnModal(c.dlg, act);
        if (c.dlg == 119) plat::ClickCtl(phase, 1052);
        if (c.dlg >= 146) EDIT_OpenTamaParamDlg(c.dlg, &p);
        EXPECT_EQ(EDIT_LoadInt(bytes + c.offset, c.bytes, c.want < 0), c.want) << c.dlg << "/" << c.ctl;
        for (int i = 0; i < static_cast<int>(sizeof p); i++) {
            if (i >= c.offset && i < c.offset + c.bytes) continue;
            ASSERT_EQ(bytes[i], X) << c.dlg << "/" << c.ctl << " byte " << i;
        }
    }
}

TEST_F(TamaEditor, AnimeDialogCancelRestoresTheEntryOnly) {
    Open();
    TAMA_PHASE& p = TamaDataTbl[0]->phase[0];
    const TAMA_STEP before = p.step[0];
    OnModal(115, [](plat::Dialog* dlg) {
        EXPECT_EQ(plat::GetRow(dlg, 1128, 1), "  1  smoke");
        EXPECT_FALSE(plat::IsCtlEnabled(dlg, 1192));  // no armour rate for a weapon step
        EXPECT_TRUE(plat::IsCtlEnabled(dlg, 1184));
        plat::SelectRow(dlg, 1128, 100);
        plat::TypeText(dlg, 1151, "50");
        plat::SelectRow(dlg, 1052, 3);
        plat::ClickCtl(dlg, 1150);
        plat::TypeText(dlg, 1184, "300");
        plat::ClickCtl(dlg, plat::IDCANCEL);
    });
    plat::DoubleClickRow(phase, 2716, 0);
    EXPECT_EQ(std::memcmp(&p.step[0], &before, sizeof before), 0);
    EXPECT_EQ(p.fire.startMask & 1, 1);
    EXPECT_EQ(p.scale[0].value, 300);

    OnModal(115, [](plat::Dialog* dlg) {
        plat::SelectRow(dlg, 1128, 128);  // "【なし】"
        plat::SetCtlInt(dlg, 1148, 0);
        plat::SpinCtl(dlg, 1148, -1);
        plat::SetCtlInt(dlg, 1151, 9999);
        plat::SpinCtl(dlg, 1151, 1);
        plat::ClickCtl(dlg, 1040);  // "下段2": bit 10
        plat::ClickCtl(dlg, plat::IDOK);
    });
    plat::DoubleClickRow(phase, 2716, 0);
    EXPECT_EQ(p.step[0].anim, 255);
    EXPECT_EQ(p.step[0].facing, 7);
    EXPECT_EQ(p.step[0].duration, -999);
    EXPECT_EQ(p.step[0].hitFlag & (1 << 10), 1 << 10);
}

TEST_F(TamaEditor, EachEditorKeepsItsOwnSelection) {
    Open();
    plat::SelectRow(list, 1128, 9);
    // A technique frame edited meanwhile through its own state.
    WAZA_FRAME frame{};
    TAMA_FIRE fire{};
    EDIT_STATE waza;
    waza.kind = EDIT_KIND_WAZA;
    waza.no = 120;
    waza.entry = reinterpret_cast<u8*>(&frame);
    waza.fire = &fire;
    waza.frame = 3;
    const std::vector<u8> weapon = Bytes(TamaDataTbl[9]);
    OnModal(115, [](plat::Dialog* dlg) {
        EXPECT_TRUE(plat::IsCtlEnabled(dlg, 1192));
        EXPECT_FALSE(plat::IsCtlEnabled(dlg, 1184));
        plat::TypeText(dlg, 1192, "-100");
        plat::ClickCtl(dlg, 1161);
        plat::ClickCtl(dlg, plat::IDOK);
    });
    EDIT_OpenAnimeDlg(&waza);
    EXPECT_EQ(frame.armourRate, -100);
    EXPECT_EQ(fire.aimMask, 1 << 3);
    EXPECT_EQ(TamaEditState.no, 9);
    EXPECT_EQ(Bytes(TamaDataTbl[9]), weapon);
}

TEST_F(TamaEditor, CopyDialogCopiesBelowTheCountOnly) {
    std::vector<TAMA_DATA> records(TAMA_MAX, tools::NewTama(0, nullptr));
    dir.Write("Dat/Tama.dat", tools::TamaFile(records));
    ASSERT_EQ(TAMA_LoadData(), 1);
    TamaDataTbl[1]->phase[0].power = 77;
    TamaDataTbl[155]->phase[0].power = 88;
    Open();
    struct Case {
        const char *src, *dst;
        int watched, power;  // the power weapon `watched` has afterwards
        bool copied;
    };
    // A source typed past the end must not land on weapon 155.
    for (const Case& c : {Case{"1", "156", 155, 88, false}, {"1", "999", 155, 88, false}, {"156", "155", 155, 88, false},
                          {"1", "1", 1, 77, false}, {"200", "3", 3, 50, false}, {"1", "155", 155, 77, true}}) {
        debug.Clear();
        OnModal(161, [&](plat::Dialog* dlg) {
            plat::TypeText(dlg, 1490, c.src);
            plat::TypeText(dlg, 1491, c.dst);
            plat::ClickCtl(dlg, plat::IDOK);
        });
        plat::ClickCtl(list, 1052);
        EXPECT_EQ(TamaDataTbl[c.watched]->phase[0].power, c.power) << c.src << " -> " << c.dst;
        EXPECT_EQ(debug.Contains("複製できません"), !c.copied) << debug.text();
    }
}

TEST_F(TamaEditor, PhaseAndStepButtonsEditTheSelection) {
    Open();
    TAMA_DATA* d = TamaDataTbl[0];
    d->phase[0].speed = 5;
    plat::ClickCtl(list, 1040);
    EXPECT_EQ(d->phase[1].speed, 5);
    EXPECT_EQ(plat::GetSel(list, 1158), 1);
    plat::ClickCtl(list, 1041);
    EXPECT_NE(d->phase[1].speed, 5);

    OnModal(115, [](plat::Dialog* dlg) { plat::ClickCtl(dlg, plat::IDOK); });
    plat::SelectRow(list, 1158, 0);
    plat::SelectRow(phase, 2716, 0);
    d->phase[0].step[0].anim = 1;
    plat::ClickCtl(phase, 2714);
    EXPECT_EQ(d->phase[0].step[0].anim, 0);
    EXPECT_EQ(d->phase[0].step[1].anim, 1);
    EXPECT_EQ(plat::GetSel(phase, 2716), 1);
    EXPECT_EQ(opened, std::vector<int>{115});
}

TEST_F(TamaEditor, SaveOfAnUnchangedTableWritesTheSameBytes) {
    const std::string before = dir.Read("Dat/Tama.dat");
    Open();
    plat::ClickCtl(list, 1042);
    EXPECT_EQ(dir.Read("Dat/Tama.dat"), before);
    plat::TypeText(phase, 2524, "1234");
    plat::ClickCtl(list, 1042);
    TAMA_ClearData();
    ASSERT_EQ(TAMA_LoadData(), 1);
    EXPECT_EQ(TamaDataTbl[0]->phase[0].power, 1234);
}

TEST_F(TamaEditor, SaveKeepsAFileThatCouldNotBeRead) {
    // Reading this process's memory at address 0 is an I/O error, even for root.
    const std::string file = dir.File("Dat/Tama.dat");
    std::remove(file.c_str());
    std::filesystem::create_symlink("/proc/self/mem", file);
    EXPECT_EQ(TAMA_LoadData(), 0);
    Open();
    plat::ClickCtl(list, 1042);
    EXPECT_TRUE(std::filesystem::is_symlink(file));
}

TEST_F(TamaEditor, WithoutRecordsNothingActsOnARecord) {
    TAMA_ClearData();
    Open();
    EXPECT_EQ(plat::GetRowCount(list, 1128), 0);
    EXPECT_EQ(plat::GetRowCount(phase, 2716), 0);
    EXPECT_FALSE(plat::IsCtlEnabled(list, 1159));
    EXPECT_FALSE(plat::IsCtlEnabled(phase, 2415));
    for (int ctl : {1040, 1041, 1052}) plat::ClickCtl(list, ctl);
    plat::TypeText(list, 1159, "x");
    plat::TypeText(phase, 2415, "5");
    for (int ctl : {1052, 1316, 2714, 2715}) plat::ClickCtl(phase, ctl);
    EXPECT_TRUE(opened.empty());
}

TEST_F(TamaEditor, ClosingTheListForgetsItAndReopeningReplacesBoth) {
    Open();
    plat::ClickCtl(list, plat::IDCANCEL);
    EXPECT_EQ(TamaListDlg, nullptr);
    EXPECT_EQ(TamaDlg, phase);
    Open();
    EXPECT_FALSE(plat::IsDialog(phase) && phase != plat::FindDialog(116));
    plat::DestroyAllDialogs();
    EXPECT_EQ(TamaListDlg, nullptr);
    EXPECT_EQ(TamaDlg, nullptr);
}

TEST(TamaEditorHeadless, DoesNotOpenWithoutADisplay) {
    EXPECT_EQ(EDIT_OpenTamaEditor(), 0);
    EXPECT_EQ(TamaListDlg, nullptr);
    EXPECT_EQ(TamaDlg, nullptr);
}

// The game window full screen: the first editor makes it windowed, once.
TEST_F(TamaEditor, FirstEditorInFullScreenAsksForWindowedModeOnce) {
    plat::SetSettingsFile(dir.File("settings/korvane.ini").c_str());
    plat::DiscardMessages();
    SYS_ResetState();
    DispFullScreen = 0;
    ASSERT_EQ(SYS_InitWindow(), 1);
    int exitCode = 0;
    for (int i = 0; i < 20; i++) SYS_MessageTurn(&exitCode);
    ASSERT_NE(DispFullScreen, 0);
    std::vector<std::string> log;
    SYS_SetTrace([&log](const char* e) { log.push_back(e); });
    Open();
    Open();
    SYS_SetTrace({});
    EXPECT_EQ(std::count(log.begin(), log.end(), "DISP_ReInit"), 1);
    EXPECT_EQ(DispFullScreen, 0);
    plat::DestroyWindow(MainWnd);
    EXPECT_EQ(plat::FindDialog(118), nullptr);  // the game window took its dialogs along
    DISP_Release();
    plat::ReleaseDestroyedWindows();
    plat::DiscardMessages();
    plat::SetSettingsFile("");
    MainWnd = nullptr;
}

}  // namespace
