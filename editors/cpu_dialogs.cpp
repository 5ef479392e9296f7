// The CPU-data editor's dialogs: 138 (parameters and lists), 139 (a basic action), 140 (an attack
// entry), 141 (a counter entry) and the pickers 142.
#include <iterator>

#include "battle/data/meka_type.h"
#include "editors/cpu_editor.h"
#include "platform/encoding.h"
#include "screens/menu/menu.h"
#include "shell/common.h"

using plat::DlgCode;
using plat::DlgMsg;

namespace {

template <typename T, size_t N>
constexpr int Count(const T (&)[N]) {
    return static_cast<int>(N);
}

// ---- dialog 138 ----

constexpr int kModeList = 1128, kGroupList = 1129, kAtkList = 1245, kCounterList = 1315, kJoin = 1037;
constexpr int kDispName = 1225, kSave = 1040, kSaveAll = 1041;

const EDIT_FIELD kParamFields[] = {
    {1201, 0, 2, false, 0, 130},   {1203, 2, 2, false, 0, 9999},  {1205, 4, 2, false, 0, 9999},
    {1207, 6, 2, false, 0, 9999},  {1209, 8, 2, false, 0, 9999},  {1211, 10, 2, false, 0, 9999},
    {1213, 12, 2, false, 0, 20},   {1215, 14, 2, false, 0, 20},   {1217, 16, 2, false, 0, 9999},
    {1219, 18, 2, false, 0, 20},   {1221, 20, 2, false, 0, 20},   {1223, 22, 2, false, 0, 9999},
    {1251, 24, 2, false, 0, 65535}, {1263, 26, 2, false, 0, 9999},
    {1226, 28, 2, false, 0, 9999}, {1228, 30, 2, false, 0, 9999}, {1238, 32, 2, false, 0, 9999},
    {1240, 34, 2, false, 0, 9999}, {1242, 36, 2, false, 0, 9999}, {1244, 38, 2, false, 0, 9999},
    {1247, 40, 2, false, 0, 9999}, {1249, 42, 2, false, 0, 9999}, {1253, 44, 2, false, 0, 65535},
    {1265, 46, 2, false, 0, 9999},
};

const plat::DlgControl kCpuControls[] = {
    plat::DlgLabel(kDispName, ""),
    plat::DlgSpin(1201, "耐久力", 0, 130), plat::DlgSpin(1203, "裝甲", 0, 9999),
    plat::DlgSpin(1205, "移動速度", 0, 9999), plat::DlgSpin(1207, "高速移動速度", 0, 9999),
    plat::DlgSpin(1209, "短距衝刺速度", 0, 9999), plat::DlgSpin(1211, "短距衝刺時間", 0, 9999),
    plat::DlgSpin(1213, "打擊 威力", 0, 20), plat::DlgSpin(1215, "打擊 推進器", 0, 20),
    plat::DlgSpin(1217, "打擊 過熱計量累積率", 0, 999), plat::DlgSpin(1219, "射擊 威力", 0, 20),
    plat::DlgSpin(1221, "射擊 推進器", 0, 20), plat::DlgSpin(1223, "射擊 過熱計量累積率", 0, 999),
    plat::DlgEdit(1251, "獲得金額"), plat::DlgEdit(1263, "防禦力"),
    plat::DlgButton(kSave, "保存"), plat::DlgButton(kSaveAll, "反應存檔＆數值"),
    plat::DlgBreak(),
    plat::DlgLabel(0, "CPU等級"),
    plat::DlgSpin(1226, "耐久力", 0, 130), plat::DlgSpin(1228, "裝甲", 0, 9999),
    plat::DlgSpin(1238, "打擊 威力", 0, 20), plat::DlgSpin(1240, "打擊 推進器", 0, 20),
    plat::DlgSpin(1242, "打擊 過熱計量累積率", 0, 999), plat::DlgSpin(1244, "射擊 威力", 0, 20),
    plat::DlgSpin(1247, "射擊 推進器", 0, 20), plat::DlgSpin(1249, "射擊 過熱計量累積率", 0, 999),
    plat::DlgEdit(1253, "獲得金額"), plat::DlgEdit(1265, "防禦力"),
    plat::DlgBreak(),
    plat::DlgLabel(0, "基本行動"), plat::DlgList(kModeList, "基本行動", 16),
    plat::DlgLabel(0, "反擊‧迎擊"), plat::DlgList(kCounterList, "反擊‧迎擊", 16),
    plat::DlgBreak(),
    plat::DlgLabel(0, "連續技"), plat::DlgList(kGroupList, "連續技", 10),
    plat::DlgCheck(kJoin, "OFF：單機  ON：接受加入"),
    plat::DlgList(kAtkList, "", 5),
};

// ---- dialog 139 ----

constexpr int kBehaviourRadio = 3145;
const EDIT_FIELD kModeFields[] = {
    {3133, 4, 2, false, 0, 9999},  {3135, 32, 1, false, 0, 16}, {3137, 8, 1, false, 0, 99},
    {3139, 10, 2, false, 0, 1000}, {3141, 12, 2, true, -1000, 1000},
    {3143, 16, 4, false, 0, 9999}, {3125, 20, 4, false, 0, 9999}, {3127, 24, 4, false, 0, 130},
    {3129, 34, 2, false, 0, 1000}, {3131, 36, 2, false, 0, 9999}, {3124, 6, 2, true, -9999, 9999},
};
const EDIT_BITS kModeBits[] = {{3161, 16, 28, 2}, {3177, 16, 30, 2}};

#define EDIT_SELF_CHECKS(first)                                                                          \
    plat::DlgCheck(first + 0, "地上"), plat::DlgCheck(first + 1, "空中"), plat::DlgCheck(first + 2, "站立"),     \
        plat::DlgCheck(first + 3, "步行"), plat::DlgCheck(first + 4, "高速移動"),                              \
        plat::DlgCheck(first + 5, "短距衝刺"), plat::DlgCheck(first + 6, "(未定)"),                            \
        plat::DlgCheck(first + 7, "技巧中"), plat::DlgCheck(first + 8, "冷卻中"),                              \
        plat::DlgCheck(first + 9, "連續技中"), plat::DlgCheck(first + 10, "計量0"),                            \
        plat::DlgCheck(first + 11, "有障礙物時"), plat::DlgCheck(first + 12, "無障礙物時"),                     \
        plat::DlgCheck(first + 13, "有障礙物時採其它行動"), plat::DlgCheck(first + 14, "無障礙物時採其它行動"), \
        plat::DlgCheck(first + 15, "(未定)")
#define EDIT_TARGET_CHECKS(first)                                                                        \
    plat::DlgCheck(first + 0, "地上"), plat::DlgCheck(first + 1, "空中"), plat::DlgCheck(first + 2, "站立"),     \
        plat::DlgCheck(first + 3, "步行"), plat::DlgCheck(first + 4, "高速移動"),                              \
        plat::DlgCheck(first + 5, "高速移動中"), plat::DlgCheck(first + 6, "(未定)"),                          \
        plat::DlgCheck(first + 7, "受擊"), plat::DlgCheck(first + 8, "被擊飛"), plat::DlgCheck(first + 9, "倒地"), \
        plat::DlgCheck(first + 10, "(未定)"), plat::DlgCheck(first + 11, "(未定)"),                            \
        plat::DlgCheck(first + 12, "(未定)"), plat::DlgCheck(first + 13, "(未定)"),                            \
        plat::DlgCheck(first + 14, "(未定)"), plat::DlgCheck(first + 15, "(未定)")

const plat::DlgControl kMoveControls[] = {
    plat::DlgSpin(3133, "移動時間", 0, 9999), plat::DlgSpin(3135, "技巧價值(優先順序)", 0, 16),
    plat::DlgSpin(3137, "必須之CPU等級", 0, 99), plat::DlgSpin(3139, "發動機率", 0, 1000),
    plat::DlgSpin(3141, "依CPU等級改變發動機率", -1000, 1000), plat::DlgSpin(3143, "發動範圍", 0, 9999),
    plat::DlgSpin(3125, "～", 0, 9999), plat::DlgSpin(3127, "低於指定HP則發動", 0, 130),
    plat::DlgSpin(3129, "技巧發動機率", 0, 1000), plat::DlgSpin(3131, "技巧施展時間差", 0, 9999),
    plat::DlgSpin(3124, "用於移動的變數", -9999, 9999),
    plat::DlgBreak(),
    plat::DlgGroup("行動"),
    plat::DlgRadio(3145, "什麼都不做"), plat::DlgRadio(3146, "停止"), plat::DlgRadio(3147, "移動（接近敵方)"),
    plat::DlgRadio(3148, "移動（遠離敵方）"), plat::DlgRadio(3149, "移動（隨機）"),
    plat::DlgRadio(3150, "高速移動（接近敵方)"), plat::DlgRadio(3151, "高速移動（遠離敵方）"),
    plat::DlgRadio(3152, "高速移動（隨機）"), plat::DlgRadio(3153, "短距衝刺"),
    plat::DlgRadio(3154, "貼壁衝刺（接近敵方）"), plat::DlgRadio(3155, "貼壁衝刺（遠離敵方）"),
    plat::DlgRadio(3156, "貼壁衝刺（隨機）"), plat::DlgRadio(3157, "慣性追蹤衝刺"),
    plat::DlgBreak(),
    plat::DlgLabel(0, "不能發動技巧之條件(自機)"), EDIT_SELF_CHECKS(3161),
    plat::DlgBreak(),
    plat::DlgLabel(0, "不能發動技巧之條件(敵機)"), EDIT_TARGET_CHECKS(3177),
};

// ---- dialog 140 ----

constexpr int kPickWaza = 1250, kWazaName = 1249;
const EDIT_FIELD kAtkFields[] = {
    {1251, 24, 1, false, 0, 16},    {1253, 2, 1, false, 0, 99},      {1255, 4, 2, false, 0, 1000},
    {1257, 6, 2, true, -1000, 1000}, {1259, 8, 4, false, 0, 9999},   {1261, 12, 4, false, 0, 9999},
    {1263, 16, 4, false, 0, 9999},  {1245, 28, 2, false, 0, 9999},   {1247, 30, 2, true, -9999, 9999},
    {1037, 32, 2, false, 0, 9999},
};
const EDIT_BITS kAtkBits[] = {{3200, 16, 20, 2}, {3216, 16, 22, 2}};
// The cancel rule is the control number - 1033: buttons 1033..1036 and 1061..1064 give 0..3 and 28..31.
constexpr int kCancelCtl[8] = {1033, 1034, 1035, 1036, 1061, 1062, 1063, 1064};

const plat::DlgControl kAtkControls[] = {
    plat::DlgLabel(kWazaName, ""), plat::DlgButton(kPickWaza, "選擇技巧"),
    plat::DlgSpin(1251, "技巧價值(優先順序)", 0, 16), plat::DlgSpin(1253, "必須之CPU等級", 0, 99),
    plat::DlgSpin(1255, "發動機率", 0, 1000), plat::DlgSpin(1257, "依CPU等級改變發動機率", -1000, 1000),
    plat::DlgSpin(1259, "發動範圍", 0, 9999), plat::DlgSpin(1261, "～", 0, 9999),
    plat::DlgSpin(1263, "低於指定HP則發動", 0, 9999), plat::DlgSpin(1245, "時間", 0, 9999),
    plat::DlgSpin(1247, "CPU等級補正值", -9999, 9999), plat::DlgSpin(1037, "強制加入機率", 0, 9999),
    plat::DlgGroup("何時加以取消？"),
    plat::DlgRadio(1033, "一定時間後"), plat::DlgRadio(1034, "完成著地一定時間後"), plat::DlgRadio(1035, "(未定)"),
    plat::DlgRadio(1036, "(未定)"), plat::DlgRadio(1061, "(未定)"), plat::DlgRadio(1062, "(未定)"),
    plat::DlgRadio(1063, "(未定)"), plat::DlgRadio(1064, "(未定)"),
    plat::DlgBreak(),
    plat::DlgLabel(0, "不能發動技巧之條件(自機)"), EDIT_SELF_CHECKS(3200),
    plat::DlgBreak(),
    plat::DlgLabel(0, "不能發動技巧之條件(敵機)"), EDIT_TARGET_CHECKS(3216),
};

// ---- dialog 141 ----

constexpr int kTypeRadio = 1291, kPickAction = 1040, kCounterCaption = 1289, kReaction = 1290;
const EDIT_FIELD kCounterFields[] = {
    {1295, 26, 1, false, 0, 16},    {1297, 4, 1, false, 0, 99},      {1299, 6, 2, false, 0, 1000},
    {1301, 8, 2, true, -1000, 1000}, {1303, 16, 4, false, 0, 9999},  {1305, 20, 4, false, 0, 9999},
    {1315, 10, 2, false, 0, 9999},  {1317, 12, 2, true, -9999, 9999},
};
const EDIT_BITS kCounterBits[] = {{3232, 16, 24, 2}};

const plat::DlgControl kCounterControls[] = {
    plat::DlgLabel(kCounterCaption, ""), plat::DlgLabel(kReaction, ""),
    plat::DlgGroup("類型"),
    plat::DlgRadio(1291, "什麼都不做"), plat::DlgRadio(1292, "技巧"), plat::DlgRadio(1293, "移動"),
    plat::DlgRadio(1294, "(未定)"),
    plat::DlgButton(kPickAction, "行動變更"),
    plat::DlgSpin(1295, "技巧價值(優先順序)", 0, 16), plat::DlgSpin(1297, "必須之CPU等級", 0, 99),
    plat::DlgSpin(1299, "發動機率", 0, 1000), plat::DlgSpin(1301, "依CPU等級改變發動機率", -1000, 1000),
    plat::DlgSpin(1303, "發動範圍", 0, 9999), plat::DlgSpin(1305, "～", 0, 9999),
    plat::DlgSpin(1315, "技巧發動的時間差", 0, 9999), plat::DlgSpin(1317, "依CPU等級改變時間差", -9999, 9999),
    plat::DlgBreak(),
    plat::DlgLabel(0, "不能發動技巧之條件(自機)"), EDIT_SELF_CHECKS(3232),
};

// ---- dialog 142 ----

constexpr int kPickList = 1128;
const plat::DlgControl kPickControls[] = {
    plat::DlgList(kPickList, "", 20),
    plat::DlgButton(plat::IDCANCEL, "取消"),
};

const plat::DlgTemplate kMoveDlg = {139, "基本行動", kMoveControls, Count(kMoveControls), 17, true};
const plat::DlgTemplate kAtkDlg = {140, "連續技", kAtkControls, Count(kAtkControls), 17, true};
const plat::DlgTemplate kCounterDlg = {141, "反擊‧迎擊", kCounterControls, Count(kCounterControls), 17, true};

void RefreshMain(bool modes, bool groups, bool counters) {
    plat::Dialog* main = EditMainDlg;
    if (!plat::IsDialog(main) || plat::GetDialogId(main) != 138) return;
    if (modes) EDIT_CpuSetModeList(main, -999);
    if (groups) {
        EDIT_CpuSetGroupList(main, -999);
        EDIT_CpuSetAtkList(main, -999);
    }
    if (counters) EDIT_CpuSetCounterList(main, -999);
}

void OpenChild(const plat::DlgTemplate& tmpl, plat::DlgProc proc) {
    EDIT_CloseChildDlg();
    plat::CreateDialog(tmpl, proc, nullptr);
}

void SelectOrNone(plat::Dialog* dlg, int ctl, int sel) { plat::SetSel(dlg, ctl, sel == -999 ? -1 : sel); }

// Runs the technique picker; true when a technique (or "技無し", -1) was double-clicked.
bool PickWaza(int* value) {
    EDIT_PICK pick{CpuEditState.type, *value};
    if (plat::DialogBox(EditSelWazaDlg, EDIT_SelWazaDlgProc, &pick) != plat::IDOK) return false;
    *value = pick.value;
    return true;
}

// Main and child share the close rule: OK and cancel destroy the modeless dialog.
bool Closes(plat::Dialog* dlg, int ctl) {
    if (ctl != plat::IDOK && ctl != plat::IDCANCEL) return false;
    plat::DestroyDialog(dlg);
    return true;
}

}  // namespace

const plat::DlgTemplate EditCpuDlg = {138, "CPU資料", kCpuControls, Count(kCpuControls), 29, true};
const plat::DlgTemplate EditSelWazaDlg = {142, "選擇技巧", kPickControls, Count(kPickControls), 22, false};
const plat::DlgTemplate EditSelMoveDlg = {142, "選擇行動", kPickControls, Count(kPickControls), 22, false};

// ---- fillers ----

void EDIT_CpuSetSpin(plat::Dialog* dlg) {
    // The spin ranges stand in the template; the join flag is the selected group's.
    const CPU_ATK_GROUP* g = CpuEditState.groupPtr;
    plat::SetCheck(dlg, kJoin, g && g->join);
}

void EDIT_CpuSetParam(plat::Dialog* dlg) {
    const CPU_DATA* d = CpuEditState.data;
    if (d) EDIT_FillFields(dlg, d, kParamFields, Count(kParamFields));
    const int type = CpuEditState.type;
    const char* name = type >= 0 && type < MEKA_TYPE_MAX ? MekaDispNameTbl[type] : "";
    plat::SetCtlText(dlg, kDispName, plat::Big5ToUtf8(name));
}

void EDIT_CpuSetModeList(plat::Dialog* dlg, int sel) {
    plat::ClearRows(dlg, kModeList);
    if (!CpuEditState.data) return;
    for (int i = 0; i < CPU_MODE_MAX; i++) plat::AddRow(dlg, kModeList, EDIT_CpuModeRow(CpuEditState.data, i));
    SelectOrNone(dlg, kModeList, sel);
}

void EDIT_CpuSetGroupList(plat::Dialog* dlg, int sel) {
    plat::ClearRows(dlg, kGroupList);
    if (!CpuEditState.data) return;
    for (int i = 0; i < CPU_GROUP_MAX; i++) plat::AddRow(dlg, kGroupList, EDIT_CpuGroupRow(CpuEditState.data, i));
    SelectOrNone(dlg, kGroupList, sel);
}

void EDIT_CpuSetAtkList(plat::Dialog* dlg, int sel) {
    plat::ClearRows(dlg, kAtkList);
    const CPU_ATK_GROUP* g = CpuEditState.groupPtr;
    if (!g) return;
    for (int i = 0; i < CPU_ATK_MAX; i++) plat::AddRow(dlg, kAtkList, EDIT_CpuAtkRow(CpuEditState.type, g, i));
    SelectOrNone(dlg, kAtkList, sel);
}

void EDIT_CpuSetCounterList(plat::Dialog* dlg, int sel) {
    plat::ClearRows(dlg, kCounterList);
    if (!CpuEditState.data) return;
    const int rows = EDIT_CpuCounterRows();
    for (int i = 0; i < rows; i++) plat::AddRow(dlg, kCounterList, EDIT_CpuCounterRow(CpuEditState.data, i));
    SelectOrNone(dlg, kCounterList, sel);
}

void EDIT_CpuMoveInitDlg(plat::Dialog* dlg) {
    const CPU_MODE* m = CpuEditState.modePtr;
    if (!m) return;
    EDIT_FillFields(dlg, m, kModeFields, Count(kModeFields));
    EDIT_FillBits(dlg, m, kModeBits, Count(kModeBits));
    for (int r = 0; r < EDIT_CPU_BEHAVIOURS; r++) plat::SetCheck(dlg, kBehaviourRadio + r, false);
    const int row = EDIT_CpuGetModeRow(m);
    if (row >= 0) plat::SetRadio(dlg, kBehaviourRadio + row);
}

void EDIT_CpuWazaInitDlg(plat::Dialog* dlg) {
    const CPU_ATK* a = CpuEditState.atkPtr;
    if (!a) return;
    plat::SetCtlText(dlg, kWazaName, EDIT_CpuWazaName(CpuEditState.type, a->waza));
    EDIT_FillFields(dlg, a, kAtkFields, Count(kAtkFields));
    EDIT_FillBits(dlg, a, kAtkBits, Count(kAtkBits));
    for (int ctl : kCancelCtl) plat::SetCheck(dlg, ctl, ctl - 1033 == a->cancelRule);
}

void EDIT_CpuCounterInitDlg(plat::Dialog* dlg) {
    const CPU_COUNTER* c = CpuEditState.counterPtr;
    if (!c) return;
    plat::SetCtlText(dlg, kCounterCaption, EDIT_CpuCounterCaption(CpuEditState.data, CpuEditState.counter));
    plat::SetCtlText(dlg, kReaction, EDIT_CpuReactionCaption(CpuEditState.type, c));
    EDIT_FillFields(dlg, c, kCounterFields, Count(kCounterFields));
    EDIT_FillBits(dlg, c, kCounterBits, Count(kCounterBits));
    for (int i = 0; i < 4; i++) plat::SetCheck(dlg, kTypeRadio + i, c->type == i - 1);
}

// ---- procedures ----

void EDIT_CpuDlgProc(plat::Dialog* dlg, DlgMsg msg, int ctl, DlgCode code) {
    EDIT_CPU_STATE& st = CpuEditState;
    if (msg == DlgMsg::Destroy) {
        EDIT_LeaveSlot(&EditMainDlg, dlg);
        EDIT_CpuDialogGone();
        return;
    }
    if (msg == DlgMsg::Init) {
        EDIT_TakeSlot(&EditMainDlg, dlg);
        EDIT_CpuSetPtr();
        EDIT_CpuSetSpin(dlg);
        EDIT_CpuSetParam(dlg);
        EDIT_CpuSetModeList(dlg, -999);
        EDIT_CpuSetGroupList(dlg, st.group);
        EDIT_CpuSetAtkList(dlg, -999);
        EDIT_CpuSetCounterList(dlg, -999);
        EDIT_MoveDialog(dlg, 0, 505);
        return;
    }
    if (Closes(dlg, ctl)) return;
    EDIT_CpuSetPtr();
    if (!st.data) return;
    if (EDIT_EditField(dlg, st.data, kParamFields, Count(kParamFields), ctl, code)) return;
    const int sel = plat::GetSel(dlg, ctl);
    switch (ctl) {
    case kModeList:
        if (code != DlgCode::DblClick || sel < 0 || sel >= CPU_MODE_MAX) return;
        st.mode = sel;
        EDIT_CpuSetPtr();
        OpenChild(kMoveDlg, EDIT_CpuMoveDlgProc);
        return;
    case kGroupList:
        if (sel < 0 || sel >= CPU_GROUP_MAX) return;
        st.group = sel;
        EDIT_CpuSetPtr();
        EDIT_CpuSetSpin(dlg);
        EDIT_CpuSetAtkList(dlg, -999);
        return;
    case kAtkList:
        if (code != DlgCode::DblClick || sel < 0 || sel >= CPU_ATK_MAX) return;
        st.atk = sel;
        EDIT_CpuSetPtr();
        OpenChild(kAtkDlg, EDIT_CpuWazaDlgProc);
        return;
    case kCounterList:
        if (code != DlgCode::DblClick || sel < 0 || sel >= CPU_COUNTER_MAX) return;
        st.counter = sel;
        EDIT_CpuSetPtr();
        OpenChild(kCounterDlg, EDIT_CpuCounterDlgProc);
        return;
    case kJoin:
        st.groupPtr->join = plat::GetCheck(dlg, kJoin) ? 1 : 0;
        plat::SetRow(dlg, kGroupList, st.group, EDIT_CpuGroupRow(st.data, st.group));
        return;
    case kSave:
    case kSaveAll:
        if (!CPU_SaveData(st.type)) DebugMsg("%s.cpu を保存できません", MekaNameTbl[st.type]);
        return;
    default: return;
    }
}

namespace {

// The children's shared frame: the child slot, placement beside the game view, the lists to refresh.
bool ChildFrame(plat::Dialog* dlg, DlgMsg msg, void (*init)(plat::Dialog*), bool modes, bool groups, bool counters) {
    if (msg == DlgMsg::Destroy) {
        EDIT_LeaveSlot(&EditChildDlg, dlg);
        RefreshMain(modes, groups, counters);
        EDIT_CpuDialogGone();
        return true;
    }
    if (msg == DlgMsg::Init) {
        EDIT_TakeSlot(&EditChildDlg, dlg);
        EDIT_CpuSetPtr();
        init(dlg);
        EDIT_MoveDialog(dlg, 648, 0, EditMainDlg);
        return true;
    }
    return false;
}

}  // namespace

void EDIT_CpuMoveDlgProc(plat::Dialog* dlg, DlgMsg msg, int ctl, DlgCode code) {
    if (ChildFrame(dlg, msg, EDIT_CpuMoveInitDlg, true, false, false) || Closes(dlg, ctl)) return;
    EDIT_CpuSetPtr();
    CPU_MODE* m = CpuEditState.modePtr;
    if (!m) return;
    if (EDIT_EditField(dlg, m, kModeFields, Count(kModeFields), ctl, code)) return;
    if (EDIT_EditBits(dlg, m, kModeBits, Count(kModeBits), ctl)) return;
    if (ctl >= kBehaviourRadio && ctl < kBehaviourRadio + EDIT_CPU_BEHAVIOURS) {
        m->move = EditCpuPairTbl[ctl - kBehaviourRadio].move;
        m->dirKind = EditCpuPairTbl[ctl - kBehaviourRadio].kind;
    }
}

void EDIT_CpuWazaDlgProc(plat::Dialog* dlg, DlgMsg msg, int ctl, DlgCode code) {
    if (ChildFrame(dlg, msg, EDIT_CpuWazaInitDlg, false, true, false) || Closes(dlg, ctl)) return;
    EDIT_CpuSetPtr();
    CPU_ATK* a = CpuEditState.atkPtr;
    if (!a) return;
    if (EDIT_EditField(dlg, a, kAtkFields, Count(kAtkFields), ctl, code)) return;
    if (EDIT_EditBits(dlg, a, kAtkBits, Count(kAtkBits), ctl)) return;
    for (int c : kCancelCtl)
        if (c == ctl) return void(a->cancelRule = static_cast<u16>(ctl - 1033));
    if (ctl == kPickWaza) {
        int value = a->waza;
        if (PickWaza(&value)) a->waza = static_cast<i16>(value);
        plat::SetCtlText(dlg, kWazaName, EDIT_CpuWazaName(CpuEditState.type, a->waza));
    }
}

void EDIT_CpuCounterDlgProc(plat::Dialog* dlg, DlgMsg msg, int ctl, DlgCode code) {
    if (ChildFrame(dlg, msg, EDIT_CpuCounterInitDlg, false, false, true) || Closes(dlg, ctl)) return;
    EDIT_CpuSetPtr();
    CPU_COUNTER* c = CpuEditState.counterPtr;
    if (!c) return;
    if (EDIT_EditField(dlg, c, kCounterFields, Count(kCounterFields), ctl, code)) return;
    if (EDIT_EditBits(dlg, c, kCounterBits, Count(kCounterBits), ctl)) return;
    if (ctl >= kTypeRadio && ctl < kTypeRadio + 4) {
        c->type = static_cast<i8>(ctl - 1292);
        c->action = 0;
    } else if (ctl == kPickAction) {
        if (c->type == 0) {
            int value = c->action;
            if (PickWaza(&value)) {
                if (value < 0) c->type = -1;
                else c->action = static_cast<i16>(value);
            }
        } else if (c->type == 1) {
            EDIT_PICK pick{CpuEditState.type, c->action};
            if (plat::DialogBox(EditSelMoveDlg, EDIT_SelMoveDlgProc, &pick) == plat::IDOK)
                c->action = static_cast<i16>(pick.value);
        }
        for (int i = 0; i < 4; i++) plat::SetCheck(dlg, kTypeRadio + i, c->type == i - 1);
    } else {
        return;
    }
    plat::SetCtlText(dlg, kReaction, EDIT_CpuReactionCaption(CpuEditState.type, c));
}

namespace {

void PickerCommand(plat::Dialog* dlg, int ctl, DlgCode code, int offset) {
    auto* pick = static_cast<EDIT_PICK*>(plat::GetDialogUser(dlg));
    const int sel = plat::GetSel(dlg, kPickList);
    if (ctl == kPickList && code == DlgCode::DblClick && sel >= 0) {
        if (pick) pick->value = sel - offset;
        plat::EndDialog(dlg, plat::IDOK);
    }
    // Only a double click picks.
    if (ctl == plat::IDCANCEL || ctl == plat::IDOK) plat::EndDialog(dlg, plat::IDCANCEL);
}

}  // namespace

void EDIT_SelWazaDlgProc(plat::Dialog* dlg, DlgMsg msg, int ctl, DlgCode code) {
    if (msg == DlgMsg::Init) {
        const auto* pick = static_cast<EDIT_PICK*>(plat::GetDialogUser(dlg));
        const int type = pick ? pick->type : 0;
        plat::AddRow(dlg, kPickList, "技無し");
        const int count = WAZA_GetCount(type);
        for (int i = 0; i < count; i++) plat::AddRow(dlg, kPickList, EDIT_CpuPickerRow(type, i));
        EDIT_MoveDialog(dlg, -1, -1);
        return;
    }
    if (msg == DlgMsg::Command) PickerCommand(dlg, ctl, code, 1);
}

void EDIT_SelMoveDlgProc(plat::Dialog* dlg, DlgMsg msg, int ctl, DlgCode code) {
    if (msg == DlgMsg::Init) {
        const auto* pick = static_cast<EDIT_PICK*>(plat::GetDialogUser(dlg));
        const MEKA_TYPE_DATA* t = MEKA_GetTypeData(pick ? pick->type : -1);
        for (int i = 0; i < CPU_MODE_MAX; i++) plat::AddRow(dlg, kPickList, EDIT_CpuModeRow(t ? t->cpu : nullptr, i, true));
        if (pick && pick->value >= 0 && pick->value < CPU_MODE_MAX) plat::SetSel(dlg, kPickList, pick->value);
        EDIT_MoveDialog(dlg, -1, -1);
        return;
    }
    if (msg == DlgMsg::Command) PickerCommand(dlg, ctl, code, 0);
}
