// The movement and laser parameter dialogs 146..159: 32-bit values of a phase's p (movement) and
// q (laser) arrays, as numbers or as radio groups storing the button's position.
#include <iterator>

#include "editors/tama_editor.h"

using plat::DlgCode;
using plat::DlgMsg;

namespace {

struct ParamCtl {
    int ctl;
    bool laser;   // q rather than p
    int index;
    int radios;   // 0: a number; else the group's button count from ctl on
};

struct ParamDlg {
    plat::DlgTemplate tmpl;
    const ParamCtl* params;
    int count;
    plat::DlgProc proc;
};

constexpr i32 kParamMin = -9999, kParamMax = 9999;

#define SPIN(id, caption) plat::DlgSpin(id, caption, kParamMin, kParamMax)
#define DIRECTIONS(first, caption)                                                                      \
    plat::DlgGroup(caption), plat::DlgRadio(first, "0"), plat::DlgRadio(first + 1, "1"),                \
        plat::DlgRadio(first + 2, "2"), plat::DlgRadio(first + 3, "3"), plat::DlgRadio(first + 4, "4"), \
        plat::DlgRadio(first + 5, "5"), plat::DlgRadio(first + 6, "6"), plat::DlgRadio(first + 7, "7")
#define AFTER_HIT(first, cancel)                                                                         \
    plat::DlgGroup("命中後"), plat::DlgRadio(first, "什麼都不做"), plat::DlgRadio(first + 1, cancel),    \
        plat::DlgRadio(first + 2, "使其直線移動"), plat::DlgRadio(first + 3, "(未定)"),                  \
        plat::DlgRadio(first + 4, "(未定)"), plat::DlgRadio(first + 5, "(未定)"),                        \
        plat::DlgRadio(first + 6, "(未定)"), plat::DlgRadio(first + 7, "(未定)")
#define ATTACH(first, caption)                                                                           \
    plat::DlgGroup(caption), plat::DlgRadio(first, "無"), plat::DlgRadio(first + 1, "光(藍色)"),          \
        plat::DlgRadio(first + 2, "光(紅色)"), plat::DlgRadio(first + 3, "光(綠色)"),                      \
        plat::DlgRadio(first + 4, "鐵球"), plat::DlgRadio(first + 5, "刺針彈"),                           \
        plat::DlgRadio(first + 6, "(未定)"), plat::DlgRadio(first + 7, "(未定)")

const plat::DlgControl k146[] = {SPIN(1039, "計算值變化範圍")};
const ParamCtl p146[] = {{1039, false, 15, 0}};
const plat::DlgControl k147[] = {SPIN(1334, "飛彈導向精準度"), SPIN(1041, "計算值變化範圍"), DIRECTIONS(1033, "飛行方向")};
const ParamCtl p147[] = {{1334, false, 1, 0}, {1033, false, 2, 8}, {1041, false, 15, 0}};
const plat::DlgControl k148[] = {
    SPIN(1366, "角度變化規模(0～23)"), SPIN(1367, "不規則規模(0～359)"), SPIN(1368, "最大不規則規模(0～359)"),
    SPIN(1369, "不規則移動時間"), SPIN(1370, "直線移動時間"), SPIN(1386, "計算值變化範圍"), DIRECTIONS(1435, "飛行方向"),
};
const ParamCtl p148[] = {{1366, false, 1, 0}, {1367, false, 3, 0}, {1368, false, 2, 0}, {1369, false, 5, 0},
                         {1370, false, 6, 0}, {1435, false, 10, 8}, {1386, false, 15, 0}};
const plat::DlgControl k158[] = {SPIN(1480, "可附著的範圍"), SPIN(1040, "計算變化範圍")};
const ParamCtl p158[] = {{1480, false, 0, 0}, {1040, false, 15, 0}};
const plat::DlgControl k159[] = {
    SPIN(1481, "加速度角度範圍(360度)"), SPIN(1482, "加速"), SPIN(1483, "最大速度"), SPIN(1484, "減速"),
    SPIN(1485, "最低速度"), SPIN(1486, "導向精度"), SPIN(1489, "計算變化範圍"),
    plat::DlgGroup("飛行方向"), plat::DlgRadio(1487, "0"), plat::DlgRadio(1488, "1"),
};
const ParamCtl p159[] = {{1481, false, 0, 0}, {1482, false, 1, 0}, {1483, false, 2, 0}, {1484, false, 3, 0},
                         {1485, false, 4, 0}, {1486, false, 5, 0}, {1487, false, 6, 2}, {1489, false, 15, 0}};
const plat::DlgControl k149[] = {SPIN(1368, "(未定)")};
const ParamCtl p149[] = {{1368, false, 0, 0}};
const plat::DlgControl k150[] = {SPIN(1369, "範圍增加"), SPIN(1370, "範圍增加之最大值")};
const ParamCtl p150[] = {{1369, false, 1, 0}, {1370, false, 2, 0}};
const plat::DlgControl k151[] = {SPIN(1371, "擴大範圍"), SPIN(1372, "範圍增加之最大值")};
const ParamCtl p151[] = {{1371, false, 1, 0}, {1372, false, 2, 0}};
const plat::DlgControl k152[] = {
    SPIN(1479, "變數規模"), AFTER_HIT(1387, "消除"), plat::DlgBreak(), ATTACH(1395, "附著(底部)"),
    ATTACH(1403, "附著(前端)"),
};
const ParamCtl p152[] = {{1479, false, 1, 0}, {1387, true, 15, 8}, {1395, true, 14, 8}, {1403, true, 13, 8}};
const plat::DlgControl k153[] = {
    SPIN(1374, "搜索範圍(1～)"), SPIN(1375, "角度變化規模"), AFTER_HIT(1395, "消除"), plat::DlgBreak(),
    ATTACH(1403, "附著(底部)"), ATTACH(1411, "附著(前端)"),
};
const ParamCtl p153[] = {{1374, false, 0, 0}, {1375, false, 1, 0}, {1395, true, 15, 8}, {1403, true, 14, 8}, {1411, true, 13, 8}};
const plat::DlgControl k154[] = {
    SPIN(1376, "角度增加"), SPIN(1377, "方向變化角度"), AFTER_HIT(1403, "消除"), plat::DlgBreak(),
    ATTACH(1411, "附著(底部)"), ATTACH(1419, "附著(前端)"),
};
const ParamCtl p154[] = {{1376, false, 0, 0}, {1377, false, 1, 0}, {1403, true, 15, 8}, {1411, true, 14, 8}, {1419, true, 13, 8}};
const plat::DlgControl k155[] = {
    SPIN(1378, "初期隨機率"), SPIN(1379, "隨機率增加"), SPIN(1380, "最大隨機率"), SPIN(1381, "技巧增強"),
    SPIN(1382, "技巧增強之最大值"), AFTER_HIT(1411, "消除"),
};
const ParamCtl p155[] = {{1378, true, 0, 0}, {1379, true, 1, 0}, {1380, true, 2, 0}, {1381, true, 12, 0},
                         {1382, true, 11, 0}, {1411, true, 15, 8}};
const plat::DlgControl k156[] = {
    SPIN(1381, "導向開始之技巧號碼"), SPIN(1382, "導向距離"), SPIN(1383, "技巧增強"), SPIN(1384, "技巧增強之最大值"),
    AFTER_HIT(1419, "消除"),
};
const ParamCtl p156[] = {{1381, true, 0, 0}, {1382, true, 1, 0}, {1383, true, 12, 0}, {1384, true, 11, 0}, {1419, true, 15, 8}};
const plat::DlgControl k157[] = {
    SPIN(1384, "角度增加"), SPIN(1385, "角度極大值"), SPIN(1389, "角度增加距離"), SPIN(1381, "技巧增強"),
    SPIN(1386, "技巧增強之最大值"), AFTER_HIT(1427, "取消"),
};
const ParamCtl p157[] = {{1384, true, 0, 0}, {1385, true, 1, 0}, {1389, true, 2, 0}, {1381, true, 12, 0},
                         {1386, true, 11, 0}, {1427, true, 15, 8}};

#undef SPIN
#undef DIRECTIONS
#undef AFTER_HIT
#undef ATTACH

#define PARAM_DLG(id, title, proc) \
    {{id, title, k##id, static_cast<int>(std::size(k##id)), 14, true}, p##id, static_cast<int>(std::size(p##id)), proc}

const ParamDlg kParamDlgs[] = {
    PARAM_DLG(146, "飛彈(直線飛行)", EDIT_MslStraightDlgProc),
    PARAM_DLG(147, "飛彈(導向)", EDIT_MslHomingDlgProc),
    PARAM_DLG(148, "飛彈(不規則<>直線)", EDIT_MslIrregularDlgProc),
    PARAM_DLG(149, "力場(防護罩)", EDIT_FieldBarrierDlgProc),
    PARAM_DLG(150, "力場(指定範圍)", EDIT_FieldRangeDlgProc),
    PARAM_DLG(151, "力場(範圍是CHIP的半徑)", EDIT_FieldChipDlgProc),
    PARAM_DLG(152, "雷射(固定角度)", EDIT_LaserFixedDlgProc),
    PARAM_DLG(153, "雷射(隨時朝向目標)", EDIT_LaserSearchDlgProc),
    PARAM_DLG(154, "雷射(平滑變更角度)", EDIT_LaserSmoothDlgProc),
    PARAM_DLG(155, "雷射(隨機改變方向(電擊))", EDIT_LaserRandomDlgProc),
    PARAM_DLG(156, "雷射(導向)", EDIT_LaserHomingDlgProc),
    PARAM_DLG(157, "雷射(不規則扭動…)", EDIT_LaserWriggleDlgProc),
    PARAM_DLG(158, "飛彈(附著式地雷)", EDIT_MslMineDlgProc),
    PARAM_DLG(159, "慣性導向", EDIT_MslInertiaDlgProc),
};
#undef PARAM_DLG

const ParamDlg* FindParamDlg(int id) {
    for (const ParamDlg& d : kParamDlgs)
        if (d.tmpl.id == id) return &d;
    return nullptr;
}

i32* ValueOf(TAMA_PHASE* phase, const ParamCtl& c) { return c.laser ? &phase->q[c.index] : &phase->p[c.index]; }

// The one body of every parameter dialog; the user is the phase.
void ParamProc(int id, plat::Dialog* dlg, DlgMsg msg, int ctl, DlgCode code) {
    const ParamDlg* d = FindParamDlg(id);
    auto* phase = static_cast<TAMA_PHASE*>(plat::GetDialogUser(dlg));
    if (!d || !phase) return;
    if (msg == DlgMsg::Init) {
        for (int i = 0; i < d->count; i++) {
            const ParamCtl& c = d->params[i];
            const i32 v = *ValueOf(phase, c);
            if (c.radios == 0) plat::SetCtlInt(dlg, c.ctl, v);
            else if (v >= 0 && v < c.radios) plat::SetRadio(dlg, c.ctl + v);
        }
        EDIT_MoveDialog(dlg, -1, -1);
        return;
    }
    if (msg != DlgMsg::Command) return;
    if (ctl == plat::IDOK || ctl == plat::IDCANCEL) return plat::EndDialog(dlg, ctl);
    for (int i = 0; i < d->count; i++) {
        const ParamCtl& c = d->params[i];
        if (c.radios == 0 && c.ctl == ctl && code == DlgCode::Changed) {
            EDIT_GetDlgInt(dlg, ctl, true, kParamMin, kParamMax, ValueOf(phase, c), 4);
            return;
        }
        if (c.radios > 0 && ctl >= c.ctl && ctl < c.ctl + c.radios) {
            *ValueOf(phase, c) = ctl - c.ctl;
            return;
        }
    }
}

}  // namespace

#define PARAM_PROC(name, id) \
    void name(plat::Dialog* dlg, DlgMsg msg, int ctl, DlgCode code) { ParamProc(id, dlg, msg, ctl, code); }
PARAM_PROC(EDIT_MslStraightDlgProc, 146)
PARAM_PROC(EDIT_MslHomingDlgProc, 147)
PARAM_PROC(EDIT_MslIrregularDlgProc, 148)
PARAM_PROC(EDIT_FieldBarrierDlgProc, 149)
PARAM_PROC(EDIT_FieldRangeDlgProc, 150)
PARAM_PROC(EDIT_FieldChipDlgProc, 151)
PARAM_PROC(EDIT_LaserFixedDlgProc, 152)
PARAM_PROC(EDIT_LaserSearchDlgProc, 153)
PARAM_PROC(EDIT_LaserSmoothDlgProc, 154)
PARAM_PROC(EDIT_LaserRandomDlgProc, 155)
PARAM_PROC(EDIT_LaserHomingDlgProc, 156)
PARAM_PROC(EDIT_LaserWriggleDlgProc, 157)
PARAM_PROC(EDIT_MslMineDlgProc, 158)
PARAM_PROC(EDIT_MslInertiaDlgProc, 159)
#undef PARAM_PROC

int EDIT_OpenTamaParamDlg(int id, TAMA_PHASE* phase) {
    const ParamDlg* d = FindParamDlg(id);
    if (!d || !phase) return -1;
    return plat::DialogBox(d->tmpl, d->proc, phase);
}
