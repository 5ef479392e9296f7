// The technique editor's dialogs: 113 (the technique) and 107 (its current motion).
#include <iterator>

#include "editors/tama_editor.h"
#include "editors/waza_editor.h"
#include "shell/common.h"

using plat::DlgCode;
using plat::DlgMsg;

namespace {

template <typename T, size_t N>
constexpr int Count(const T (&)[N]) {
    return static_cast<int>(N);
}

// ---- dialog 113 ----

constexpr int kName = 1100, kKind = 1101, kStepList = 1102, kMotionList = 1103, kAir = 1037, kTypeRadio = 1033;
constexpr int kSetStep = 1040, kDeleteStep = 1041, kInsertMotion = 1046, kDeleteMotion = 1047, kStart = 1052;
constexpr int kLoopList = 1128, kLoopStart = 1202, kLoopEnd = 1200, kLoopCount = 1205, kLoopAdd = 1044, kLoopDel = 1045;
constexpr int kJumpList = 1710, kJumpFrom = 1703, kJumpTo = 1705, kJumpValue = 1707, kJumpAdd = 1042, kJumpDel = 1043;
constexpr int kJumpRadio[4] = {1700, 1701, 1702, 1709};
constexpr int kJumpKind[4] = {0, 1, 2, 9};

const EDIT_FIELD kHeadFields[] = {
    {1110, 44, 2, true, 0, 1000}, {1111, 48, 2, true, 0, 9999}, {1112, 50, 1, false, 0, 127},
    {1113, 52, 2, true, 0, 30000},
};
const EDIT_RADIO kHeadRadios[] = {{kTypeRadio, 3, 41, 1}};

const plat::DlgControl kWazaControls[] = {
    plat::DlgEdit(kName, "名稱"),
    plat::DlgGroup("技巧類型"),
    plat::DlgRadio(1033, "打擊"), plat::DlgRadio(1034, "射擊"), plat::DlgRadio(1035, "特殊"),
    plat::DlgCombo(kKind, "技巧種類"),
    plat::DlgSpin(1110, "OH消費量", 0, 1000), plat::DlgCheck(kAir, "可對空"),
    plat::DlgSpin(1111, "最大HIT數", 0, 9999), plat::DlgSpin(1112, "移動率", 0, 127),
    plat::DlgSpin(1113, "經驗值", 0, 30000),
    plat::DlgButton(kStart, "發動技巧"),
    plat::DlgLabel(0, "迴圈"), plat::DlgList(kLoopList, "", 4),
    plat::DlgSpin(kLoopStart, "開始", 0, 31), plat::DlgSpin(kLoopEnd, "結束", 0, 31),
    plat::DlgSpin(kLoopCount, "迴圈數", 0, 255),
    plat::DlgButton(kLoopAdd, "追加"), plat::DlgButton(kLoopDel, "削除"),
    plat::DlgBreak(),
    plat::DlgList(kStepList, "", 20),
    plat::DlgButton(kSetStep, "設定"), plat::DlgButton(kDeleteStep, "削除"),
    plat::DlgBreak(),
    plat::DlgList(kMotionList, "", 16),
    plat::DlgButton(kInsertMotion, "追加"), plat::DlgButton(kDeleteMotion, "削除"),
    plat::DlgBreak(),
    plat::DlgLabel(0, "跳躍"), plat::DlgList(kJumpList, "", 8),
    plat::DlgSpin(kJumpFrom, "跳躍前地點", 0, 99), plat::DlgSpin(kJumpTo, "跳躍落下地點", 0, 99),
    plat::DlgSpin(kJumpValue, "值", -999, 999),
    plat::DlgGroup("跳躍種類"),
    plat::DlgRadio(1700, "計算結束→進行下一個計算"), plat::DlgRadio(1701, "若超過指定的命中數→進行下一個計算"),
    plat::DlgRadio(1702, "在指定命中數以下→進行下一個計算"), plat::DlgRadio(1709, "未定"),
    plat::DlgButton(kJumpAdd, "追加"), plat::DlgButton(kJumpDel, "削除"),
};

// ---- dialog 107 ----

constexpr int kDirRadio = 1033, kMoveRadio = 1400, kFlagCheck = 1404, kHitFlagCheck = 1500;
constexpr int kAttrRadio = 1520, kDamageRadio = 1517, kKnockDirRadio = 1194, kKnockTypeRadio = 1192;
constexpr int kHitMark = 1538, kSound = 1547, kInPlace = 1544, kCancelMiss = 1508, kCutIn = 1541;
constexpr int kFrameList = 1300, kInsertFrame = 1040, kDeleteFrame = 1041, kShot = 1042;

const EDIT_FIELD kMotionFields[] = {
    {1412, 170, 2, true, -255, 9999}, {1414, 172, 2, true, -255, 9999}, {1416, 174, 2, true, -255, 9999},
    {1418, 176, 2, true, -255, 9999}, {1420, 178, 2, true, -255, 9999}, {1424, 180, 2, true, -255, 9999},
    {1422, 182, 2, true, -255, 9999}, {1426, 184, 2, true, -255, 9999}, {1428, 166, 2, true, -9999, 9999},
    {1509, 186, 1, false, 0, 255},    {1511, 187, 1, false, 0, 255},    {1513, 188, 1, false, 0, 255},
    {1542, 190, 2, true, 0, 9999},
    {1524, 196, 2, true, 0, 9999},    {1526, 198, 2, true, 0, 9999},    {1528, 200, 2, true, 0, 9999},
    {1515, 202, 1, false, 0, 255},    {1530, 204, 2, true, -255, 255},  {1532, 206, 2, true, -255, 255},
    {1536, 208, 2, true, 0, 100},     {1534, 210, 2, true, -255, 255},
    {1539, 213, 1, false, 0, 255},    {1551, 214, 1, false, 0, 255},    {1545, 217, 1, false, 0, 255},
};
// 1040..1042 are the frame buttons, so the direction buttons stop at 1039.
const EDIT_RADIO kMotionRadios[] = {
    {kDirRadio, 7, 163, 1}, {kMoveRadio, 4, 164, 1}, {kAttrRadio, 4, 193, 1}, {kDamageRadio, 3, 194, 1},
    {kKnockDirRadio, 3, 203, 1}, {kKnockTypeRadio, 2, 216, 1},
};
const EDIT_BITS kMotionBits[] = {
    {kFlagCheck, 8, 168, 1}, {kHitFlagCheck, 8, 192, 1}, {kCancelMiss, 1, 161, 1}, {kCutIn, 1, 162, 1},
};

const plat::DlgControl kMotionControls[] = {
    plat::DlgList(kFrameList, "前景移動情報", 10),
    plat::DlgButton(kInsertFrame, "插入"), plat::DlgButton(kDeleteFrame, "削除"), plat::DlgButton(kShot, "武器情報"),
    plat::DlgGroup("射向類型"),
    plat::DlgRadio(1033, "方向無修正"), plat::DlgRadio(1034, "鎖定座標(１次)"), plat::DlgRadio(1035, "鎖定座標(隨時)"),
    plat::DlgRadio(1036, "敵機座標(１次)"), plat::DlgRadio(1037, "敵機座標(隨時)"), plat::DlgRadio(1038, "(未定)"),
    plat::DlgRadio(1039, "(未定)"),
    plat::DlgBreak(),
    plat::DlgGroup("移動類型"),
    plat::DlgRadio(1400, "無方向修正"), plat::DlgRadio(1401, "敵方向"), plat::DlgRadio(1402, "鎖定座標"),
    plat::DlgRadio(1403, "(未定)"),
    plat::DlgLabel(0, "flag"),
    plat::DlgCheck(1404, "(未定)"), plat::DlgCheck(1405, "以拋物線射出"), plat::DlgCheck(1406, "滯空時進行下一個處理"),
    plat::DlgCheck(1407, "修正方向一次"), plat::DlgCheck(1408, "滑行(背景)"), plat::DlgCheck(1409, "滑行(敵軍)"),
    plat::DlgCheck(1410, "與角色重疊"), plat::DlgCheck(1411, "Check1"),
    plat::DlgSpin(1412, "速度", -255, 9999), plat::DlgSpin(1414, "加分", -255, 9999),
    plat::DlgSpin(1416, "範圍", -255, 9999), plat::DlgSpin(1418, "～", -255, 9999),
    plat::DlgSpin(1420, "上昇", -255, 9999), plat::DlgSpin(1424, "加分", -255, 9999),
    plat::DlgSpin(1422, "範圍", -255, 9999), plat::DlgSpin(1426, "～", -255, 9999),
    plat::DlgSpin(1428, "值", -9999, 9999),
    plat::DlgBreak(),
    plat::DlgLabel(0, "命中情報"),
    plat::DlgSpin(1509, "HIT數(角色)", 0, 255), plat::DlgSpin(1511, "HIT數(兵器)", 0, 255),
    plat::DlgSpin(1513, "HIT規模", 0, 255), plat::DlgSpin(1542, "加速補正", 0, 9999),
    plat::DlgSpin(1524, "威力", 0, 9999), plat::DlgSpin(1526, "最低威力", 0, 9999),
    plat::DlgSpin(1528, "連續技補正", 0, 9999), plat::DlgSpin(1515, "命中等待時間", 0, 255),
    plat::DlgCombo(kHitMark, "命中記號"), plat::DlgSpin(1539, "彈幕範圍", 0, 255),
    plat::DlgSpin(1551, "變數規模", 0, 255), plat::DlgCombo(kSound, "效果音"),
    plat::DlgSpin(1545, "(未定)", 0, 255), plat::DlgCombo(kInPlace, "原地效果"),
    plat::DlgCheck(kCancelMiss, "取消未中攻擊"), plat::DlgCheck(kCutIn, "出現特殊技"),
    plat::DlgGroup("屬性"),
    plat::DlgRadio(1520, "無"), plat::DlgRadio(1521, "炎"), plat::DlgRadio(1522, "冰"), plat::DlgRadio(1523, "雷"),
    plat::DlgBreak(),
    plat::DlgGroup("損傷類型"),
    plat::DlgRadio(1517, "NORMAL"), plat::DlgRadio(1518, "(未定)"), plat::DlgRadio(1519, "(未定)"),
    plat::DlgLabel(0, "flag"),
    plat::DlgCheck(1500, "0:著地  1:擊倒"), plat::DlgCheck(1501, "bit 1"), plat::DlgCheck(1502, "bit 2"),
    plat::DlgCheck(1503, "bit 3"), plat::DlgCheck(1504, "bit 4"), plat::DlgCheck(1505, "bit 5"),
    plat::DlgCheck(1506, "bit 6"), plat::DlgCheck(1507, "bit 7"),
    plat::DlgLabel(0, "後退情報"),
    plat::DlgSpin(1530, "後退速度", -255, 255), plat::DlgSpin(1532, "後退次數", -255, 255),
    plat::DlgSpin(1536, "被擊退累積量", 0, 100), plat::DlgSpin(1534, "被擊退規模", -255, 255),
    plat::DlgGroup("後退方向"),
    plat::DlgRadio(1194, "由攻擊物位置計算"), plat::DlgRadio(1195, "攻擊物的移動軌跡"),
    plat::DlgRadio(1196, "由攻擊物主體位置計算"),
    plat::DlgGroup("後退類型"),
    plat::DlgRadio(1192, "擊飛"), plat::DlgRadio(1193, "後退"),
};

plat::Dialog* g_motionDlg = nullptr;

void FillStepList(plat::Dialog* dlg) {
    const EDIT_STATE& st = WazaEditState;
    plat::ClearRows(dlg, kStepList);
    if (!st.waza) return;
    for (int i = 0; i < WAZA_STEP_MAX; i++) plat::AddRow(dlg, kStepList, EDIT_WazaStepRow(st.waza, i));
    plat::SetSel(dlg, kStepList, st.step);
}

void FillMotionList(plat::Dialog* dlg) {
    const EDIT_STATE& st = WazaEditState;
    plat::ClearRows(dlg, kMotionList);
    if (!st.waza) return;
    for (int i = 0; i < WAZA_MOTION_MAX; i++) plat::AddRow(dlg, kMotionList, EDIT_WazaMotionRow(st.waza, i));
    plat::SetSel(dlg, kMotionList, st.motion);
}

void FillLoopList(plat::Dialog* dlg) {
    const EDIT_STATE& st = WazaEditState;
    plat::ClearRows(dlg, kLoopList);
    if (!st.waza) return;
    for (int i = 0; i < WAZA_LOOP_MAX; i++) plat::AddRow(dlg, kLoopList, EDIT_WazaLoopRow(st.waza, i));
    plat::SetSel(dlg, kLoopList, WazaEditLoop);
    const WAZA_LOOP& l = st.waza->loop[WazaEditLoop];
    if (l.from == EDIT_WAZA_EMPTY) return;
    plat::SetCtlInt(dlg, kLoopStart, l.to);
    plat::SetCtlInt(dlg, kLoopEnd, l.from);
    plat::SetCtlInt(dlg, kLoopCount, l.count);
}

void FillJumpList(plat::Dialog* dlg) {
    const EDIT_STATE& st = WazaEditState;
    plat::ClearRows(dlg, kJumpList);
    if (!st.waza) return;
    for (int i = 0; i < WAZA_BRANCH_MAX; i++) plat::AddRow(dlg, kJumpList, EDIT_WazaJumpRow(st.waza, i));
    plat::SetSel(dlg, kJumpList, st.branch);
    const WAZA_BRANCH& b = st.waza->branch[st.branch];
    if (b.from == EDIT_WAZA_EMPTY) return;
    plat::SetCtlInt(dlg, kJumpFrom, b.from);
    plat::SetCtlInt(dlg, kJumpTo, b.to);
    plat::SetCtlInt(dlg, kJumpValue, b.window);
    for (int i = 0; i < 4; i++) plat::SetCheck(dlg, kJumpRadio[i], b.kind == kJumpKind[i]);
}

void FillHead(plat::Dialog* dlg) {
    const WAZA_DATA* w = WazaEditState.waza;
    if (!w) return;
    plat::SetCtlText(dlg, kName, EDIT_NameToUtf8(w->name, WAZA_NAME_MAX));
    EDIT_FillRadios(dlg, w, kHeadRadios, Count(kHeadRadios));
    plat::ClearRows(dlg, kKind);
    for (const char* kind : {"通常技", "機密技", "回避技"}) plat::AddRow(dlg, kKind, kind);
    plat::SetSel(dlg, kKind, w->kind < 3 ? w->kind : -1);
    plat::SetCheck(dlg, kAir, w->airFlag != 0);
    EDIT_FillFields(dlg, w, kHeadFields, Count(kHeadFields));
}

// The three fields of a loop or jump entry as they stand now, clamped as typed.
i32 FieldValue(plat::Dialog* dlg, int ctl, bool isSigned, i32 min, i32 max) {
    i32 v = 0;
    EDIT_GetDlgInt(dlg, ctl, isSigned, min, max, &v, 4);
    return v;
}

void WazaCommand(plat::Dialog* dlg, int ctl, DlgCode code) {
    EDIT_STATE& st = WazaEditState;
    EDIT_SetWazaPtr(&st);
    WAZA_DATA* w = st.waza;
    if (!w) return;
    if (EDIT_EditField(dlg, w, kHeadFields, Count(kHeadFields), ctl, code)) return;
    if (EDIT_EditRadio(w, kHeadRadios, Count(kHeadRadios), ctl)) return;
    const int sel = plat::GetSel(dlg, ctl);
    switch (ctl) {
    case kName:
        if (code == DlgCode::Changed) EDIT_NameFromUtf8(plat::GetCtlText(dlg, kName), w->name, WAZA_NAME_MAX);
        return;
    case kKind:
        if (code == DlgCode::SelChange && sel >= 0) w->kind = static_cast<u8>(sel);
        return;
    case kAir: w->airFlag = plat::GetCheck(dlg, kAir) ? 1 : 0; return;
    case kStart: return;  // starting the technique from here does nothing
    case kStepList:
        if (sel < 0) return;
        st.step = EDIT_WazaStepSel(w, sel);
        plat::SetSel(dlg, kStepList, st.step);
        return;
    case kMotionList:
        if (sel < 0) return;
        st.motion = EDIT_WazaMotionSel(w, sel);
        st.frame = 0;
        EDIT_SetWazaPtr(&st);
        plat::SetSel(dlg, kMotionList, st.motion);
        EDIT_WazaRefresh2();
        return;
    case kSetStep:
        w->stepTbl[st.step] = static_cast<u8>(st.motion);
        FillStepList(dlg);
        return;
    case kDeleteStep:
        EDIT_WazaDeleteStep(w, st.step);
        FillStepList(dlg);
        return;
    case kInsertMotion:
    case kDeleteMotion:
        if (ctl == kInsertMotion) EDIT_WazaInsertMotion(w, st.motion);
        else EDIT_WazaDeleteMotion(w, st.motion);
        FillMotionList(dlg);
        EDIT_WazaRefresh2();
        return;
    case kLoopList:
        if (sel < 0) return;
        WazaEditLoop = EDIT_WazaLoopSel(w, sel);
        FillLoopList(dlg);
        return;
    case kLoopAdd:
        EDIT_WazaSetLoop(w, WazaEditLoop, FieldValue(dlg, kLoopStart, false, 0, 32), FieldValue(dlg, kLoopEnd, false, 0, 32),
                         FieldValue(dlg, kLoopCount, false, 0, 255));
        if (WazaEditLoop < WAZA_LOOP_MAX - 1) WazaEditLoop++;
        FillLoopList(dlg);
        FillStepList(dlg);
        return;
    case kLoopDel:
        EDIT_WazaDeleteLoop(w, WazaEditLoop);
        FillLoopList(dlg);
        FillStepList(dlg);
        return;
    case kJumpList:
        if (sel < 0) return;
        st.branch = EDIT_WazaJumpSel(w, sel);
        EDIT_SetWazaPtr(&st);
        FillJumpList(dlg);
        return;
    case kJumpAdd: {
        int kind = 0;
        for (int i = 0; i < 4; i++)
            if (plat::GetCheck(dlg, kJumpRadio[i])) kind = kJumpKind[i];
        EDIT_WazaSetJump(w, st.branch, FieldValue(dlg, kJumpFrom, false, 0, 99), FieldValue(dlg, kJumpTo, false, 0, 99),
                         kind, FieldValue(dlg, kJumpValue, true, -999, 999));
        if (st.branch < WAZA_BRANCH_MAX - 1) st.branch++;
        EDIT_SetWazaPtr(&st);
        FillJumpList(dlg);
        FillStepList(dlg);
        return;
    }
    case kJumpDel:
        EDIT_WazaDeleteJump(w, st.branch);
        FillJumpList(dlg);
        FillStepList(dlg);
        return;
    default: return;
    }
}

void FillFrameList(plat::Dialog* dlg) {
    const EDIT_STATE& st = WazaEditState;
    plat::ClearRows(dlg, kFrameList);
    if (!st.wazaMotion) return;
    for (int i = 0; i < WAZA_FRAME_MAX; i++) plat::AddRow(dlg, kFrameList, EDIT_WazaFrameRow(st.wazaMotion, i));
    plat::SetSel(dlg, kFrameList, st.frame);
}

void FillMotion(plat::Dialog* dlg) {
    const WAZA_MOTION* m = WazaEditState.wazaMotion;
    FillFrameList(dlg);
    if (!m) return;
    EDIT_FillFields(dlg, m, kMotionFields, Count(kMotionFields));
    EDIT_FillRadios(dlg, m, kMotionRadios, Count(kMotionRadios));
    EDIT_FillBits(dlg, m, kMotionBits, Count(kMotionBits));
    EDIT_SetHitMarkCombo(dlg, kHitMark);
    plat::SetSel(dlg, kHitMark, m->sparkEffect < EDIT_HITMARK_ROWS ? m->sparkEffect : -1);
    EDIT_SetHitMarkCombo(dlg, kInPlace);
    plat::SetSel(dlg, kInPlace, m->debris < EDIT_HITMARK_ROWS ? m->debris : -1);
    EDIT_SetSoundCombo(dlg, kSound);
    plat::SetSel(dlg, kSound, m->hitSound < EDIT_SOUND_ROWS ? m->hitSound : -1);
}

// Frames and motion rows after the frames or the firing entry changed.
void RefreshFrames(plat::Dialog* dlg) {
    FillFrameList(dlg);
    if (plat::IsDialog(EditMainDlg) && plat::GetDialogId(EditMainDlg) == 113) FillMotionList(EditMainDlg);
}

void MotionCommand(plat::Dialog* dlg, int ctl, DlgCode code) {
    EDIT_STATE& st = WazaEditState;
    EDIT_SetWazaPtr(&st);
    WAZA_MOTION* m = st.wazaMotion;
    if (!m) return;
    if (EDIT_EditField(dlg, m, kMotionFields, Count(kMotionFields), ctl, code)) return;
    if (EDIT_EditRadio(m, kMotionRadios, Count(kMotionRadios), ctl)) return;
    if (EDIT_EditBits(dlg, m, kMotionBits, Count(kMotionBits), ctl)) return;
    const int sel = plat::GetSel(dlg, ctl);
    switch (ctl) {
    case kHitMark:
        if (code == DlgCode::SelChange && sel >= 0) m->sparkEffect = static_cast<u8>(sel);
        return;
    case kInPlace:
        if (code == DlgCode::SelChange && sel >= 0) m->debris = static_cast<u8>(sel);
        return;
    case kSound:
        if (code != DlgCode::SelChange || sel < 0) return;
        m->hitSound = static_cast<u8>(sel);
        EDIT_PlayComboSound(sel);
        return;
    case kFrameList:
        if (sel < 0) return;
        st.frame = sel;
        EDIT_SetWazaPtr(&st);
        if (code == DlgCode::DblClick) {
            EDIT_OpenAnimeDlg(&st);
            RefreshFrames(dlg);
        }
        return;
    case kInsertFrame:
        EDIT_WazaInsertFrame(m, st.frame);
        EDIT_SetWazaPtr(&st);
        EDIT_OpenAnimeDlg(&st);
        if (st.frame < WAZA_FRAME_MAX - 1) st.frame++;
        EDIT_SetWazaPtr(&st);
        RefreshFrames(dlg);
        return;
    case kDeleteFrame:
        EDIT_WazaDeleteFrame(m, st.frame);
        RefreshFrames(dlg);
        return;
    case kShot:
        EDIT_OpenShotDlg(&st);
        RefreshFrames(dlg);
        return;
    default: return;
    }
}

}  // namespace

const plat::DlgTemplate EditWazaDlg = {113, "技巧情報", kWazaControls, Count(kWazaControls), 22, false};
const plat::DlgTemplate EditWazaDlg2 = {107, "技巧情報2", kMotionControls, Count(kMotionControls), 26, false};

void EDIT_WazaRefresh2() {
    if (g_motionDlg) FillMotion(g_motionDlg);
}

void EDIT_WazaDlgProc(plat::Dialog* dlg, DlgMsg msg, int ctl, DlgCode code) {
    switch (msg) {
    case DlgMsg::Init:
        EDIT_TakeSlot(&EditMainDlg, dlg);
        EDIT_SetWazaPtr(&WazaEditState);
        FillHead(dlg);
        FillStepList(dlg);
        FillMotionList(dlg);
        FillLoopList(dlg);
        FillJumpList(dlg);
        EDIT_MoveDialog(dlg, 0, 505);
        break;
    case DlgMsg::Command:
        if (ctl == plat::IDOK || ctl == plat::IDCANCEL) return plat::DestroyDialog(dlg);
        WazaCommand(dlg, ctl, code);
        break;
    case DlgMsg::Destroy:
        EDIT_LeaveSlot(&EditMainDlg, dlg);
        EDIT_WazaDialogGone();
        break;
    }
}

void EDIT_WazaDlgProc2(plat::Dialog* dlg, DlgMsg msg, int ctl, DlgCode code) {
    switch (msg) {
    case DlgMsg::Init:
        EDIT_TakeSlot(&EditChildDlg, dlg);
        g_motionDlg = dlg;
        EDIT_SetWazaPtr(&WazaEditState);
        FillMotion(dlg);
        EDIT_MoveDialog(dlg, 648, 0, EditMainDlg);
        break;
    case DlgMsg::Command:
        if (ctl == plat::IDOK || ctl == plat::IDCANCEL) return plat::DestroyDialog(dlg);
        MotionCommand(dlg, ctl, code);
        break;
    case DlgMsg::Destroy:
        EDIT_LeaveSlot(&EditChildDlg, dlg);
        if (g_motionDlg == dlg) g_motionDlg = nullptr;
        EDIT_WazaDialogGone();
        break;
    }
}
