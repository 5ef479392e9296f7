#include "editors/tama_editor.h"

#include <cstring>
#include <iterator>

#include "shell/common.h"

using plat::DlgCode;
using plat::DlgMsg;

EDIT_STATE TamaEditState;
plat::Dialog* TamaListDlg = nullptr;
plat::Dialog* TamaDlg = nullptr;

// ---- record operations ----

void EDIT_TamaInsertPhase(TAMA_DATA* data, int sel) {
    if (!data || sel < 0 || sel >= TAMA_PHASE_MAX) return;
    for (int i = TAMA_PHASE_MAX - 1; i > sel; i--) data->phase[i] = data->phase[i - 1];
}

void EDIT_TamaDeletePhase(TAMA_DATA* data, int sel) {
    if (!data || sel < 0 || sel >= TAMA_PHASE_MAX) return;
    for (int i = sel; i < TAMA_PHASE_MAX - 1; i++) data->phase[i] = data->phase[i + 1];
}

void EDIT_TamaInsertStep(TAMA_PHASE* phase, int sel) {
    if (!phase || sel < 0 || sel >= TAMA_STEP_MAX) return;
    for (int i = TAMA_STEP_MAX - 1; i > sel; i--) phase->step[i] = phase->step[i - 1];
    phase->step[sel] = TAMA_STEP{};
}

void EDIT_TamaDeleteStep(TAMA_PHASE* phase, int sel) {
    if (!phase || sel < 0 || sel >= TAMA_STEP_MAX) return;
    for (int i = sel; i < TAMA_STEP_MAX - 1; i++) phase->step[i] = phase->step[i + 1];
    TAMA_STEP& last = phase->step[TAMA_STEP_MAX - 1];
    last.anim = 99;
    last.facing = 0;
    last.hitFlag = 0;
    last.timing = 0;
    last.duration = -1;
}

bool EDIT_TamaCopy(int src, int dst) {
    if (src == dst || src < 0 || dst < 0 || src >= TamaDataCount || dst >= TamaDataCount) return false;
    TAMA_DATA* from = TAMA_GetData(src);
    TAMA_DATA* to = TAMA_GetData(dst);
    if (!from || !to) return false;
    std::memcpy(to->name, from->name, sizeof to->name);
    to->inUse = from->inUse;
    for (int i = 0; i < TAMA_PHASE_MAX; i++) to->phase[i] = from->phase[i];
    return true;
}

int EDIT_TamaStepSel(const TAMA_PHASE* phase, int sel) {
    if (!phase || sel < 0) return 0;
    if (sel >= TAMA_STEP_MAX) sel = TAMA_STEP_MAX - 1;
    if (phase->step[sel].duration >= 0) return sel;
    int last = -1;
    for (int i = 0; i < TAMA_STEP_MAX; i++)
        if (phase->step[i].duration >= 0) last = i;
    return last + 1 < TAMA_STEP_MAX ? last + 1 : TAMA_STEP_MAX - 1;
}

// ---- rows ----

std::string EDIT_TamaRow(int n) {
    const TAMA_DATA* d = TAMA_GetData(n);
    return EDIT_Format("%3d  %s", n, d ? EDIT_NameToUtf8(d->name, TAMA_NAME_MAX).c_str() : "");
}

std::string EDIT_TamaPhaseRow(const TAMA_DATA* data, int phase) {
    const TAMA_PHASE& p = data->phase[phase];
    if (p.step[0].duration < 0) return EDIT_Format("[%02d]  -------", phase);
    return EDIT_Format("[%02d]  ○   %s", phase, p.fire.startMask ? "弾" : "--");
}

std::string EDIT_TamaStepRow(const TAMA_PHASE* phase, int step) {
    static const char* const kTiming[5] = {"縮短　", "增減％　", "迴圈　", "著地前", "全彈發射"};
    const TAMA_STEP& s = phase->step[step];
    if (s.duration < 0) return EDIT_Format("[%d]  ------------------", step);
    const std::string timing = EDIT_PadLeft(s.timing < 5 ? kTiming[s.timing] : "", 8);
    return EDIT_Format("[%d]  %s %s %s %s  dir:%d   %s(wait: %03d)  (%02d)%s", step,
                       (phase->fire.aimMask >> step) & 1 ? "目標" : "--",
                       (phase->fire.startMask >> step) & 1 ? "武器" : "--", s.hitFlag ? "命中" : "--",
                       s.sound ? "音效" : "--", s.facing, timing.c_str(), s.duration, s.anim,
                       s.anim < EDIT_CHIP_MAX ? EditChipNameTbl[s.anim] : "");
}

std::string EDIT_ShotCaption(const TAMA_FIRE* fire) {
    const TAMA_DATA* d = fire && fire->weapon >= 0 ? TAMA_GetData(fire->weapon) : nullptr;
    if (!d) return "未使用";
    return EDIT_Format("No.%03d  %s", fire->weapon, EDIT_NameToUtf8(d->name, TAMA_NAME_MAX).c_str());
}

int EDIT_TamaParamDlgId(const TAMA_PHASE* phase, bool laser) {
    static const int kMissile[5] = {146, 147, 148, 158, 159};
    static const int kField[3] = {149, 150, 151};
    static const int kLaser[3] = {152, 153, 154};
    static const int kLaserSub[3] = {155, 156, 157};
    if (!phase) return 0;
    if (laser) return phase->kind == 2 && phase->laserType < 3 ? kLaserSub[phase->laserType] : 0;
    switch (phase->kind) {
    case 0: return phase->moveType < 5 ? kMissile[phase->moveType] : 0;
    case 1: return phase->moveType < 3 ? kField[phase->moveType] : 0;
    case 2: return phase->moveType < 3 ? kLaser[phase->moveType] : 0;
    default: return 0;
    }
}

const char* EDIT_TamaTypeCaption(int kind, bool laser, int i) {
    static const char* const kMissile[5] = {"直線移動", "導向", "不規則前進 AND 直線前進", "附著式地雷", "慣性導向"};
    static const char* const kField[3] = {"防護罩", "力場", "力場(受chip寬度影響)"};
    static const char* const kLaser[3] = {"搜索一次後固定", "搜索目標物 ", "平順變更角度"};
    static const char* const kLaserSub[3] = {"隨機改變方向", "導向", "不住扭動……"};
    if (laser) return kind == 2 && i < 3 ? kLaserSub[i] : "(未定)";
    if (kind == 0 && i < 5) return kMissile[i];
    if (kind == 1 && i < 3) return kField[i];
    if (kind == 2 && i < 3) return kLaser[i];
    return "(未定)";
}

// ---- dialog 118: weapons and phases ----

namespace {

constexpr int kWeaponList = 1128, kPhaseList = 1158, kName = 1159;
constexpr int kPhaseInsert = 1040, kPhaseDelete = 1041, kSave = 1042, kCopy = 1052;

const plat::DlgControl kListControls[] = {
    plat::DlgList(kWeaponList, "", 12),
    plat::DlgBreak(),
    plat::DlgList(kPhaseList, "", 4),
    plat::DlgEdit(kName, "名稱"),
    plat::DlgButton(kPhaseInsert, "插入"),
    plat::DlgButton(kPhaseDelete, "削除"),
    plat::DlgButton(kSave, "Save"),
    plat::DlgButton(kCopy, "複製"),
};

int g_copySrc = 155, g_copyDst = 155;

void FillPhaseList(plat::Dialog* dlg) {
    EDIT_STATE& st = TamaEditState;
    plat::ClearRows(dlg, kPhaseList);
    if (!st.tama) return;
    for (int i = 0; i < TAMA_PHASE_MAX; i++) plat::AddRow(dlg, kPhaseList, EDIT_TamaPhaseRow(st.tama, i));
    plat::SetSel(dlg, kPhaseList, st.motion);
}

void FillListDlg(plat::Dialog* dlg) {
    EDIT_STATE& st = TamaEditState;
    plat::SetCtlText(dlg, kName, st.tama ? EDIT_NameToUtf8(st.tama->name, TAMA_NAME_MAX) : "");
    FillPhaseList(dlg);
    const bool any = st.tama != nullptr;
    for (int ctl : {kName, kPhaseInsert, kPhaseDelete, kCopy}) plat::EnableCtl(dlg, ctl, any);
}

}  // namespace

const plat::DlgTemplate EditTamaListDlg = {118, "武器", kListControls, static_cast<int>(std::size(kListControls)), 12, false};

void EDIT_TamaListDlgProc(plat::Dialog* dlg, DlgMsg msg, int ctl, DlgCode code) {
    EDIT_STATE& st = TamaEditState;
    if (msg == DlgMsg::Destroy) {
        if (TamaListDlg == dlg) TamaListDlg = nullptr;
        return;
    }
    if (msg == DlgMsg::Init) {
        TamaListDlg = dlg;
        for (int i = 0; i < TamaDataCount; i++) plat::AddRow(dlg, kWeaponList, EDIT_TamaRow(i));
        EDIT_SetTamaPtr(&st);
        if (st.tama) plat::SetSel(dlg, kWeaponList, st.no);
        FillListDlg(dlg);
        EDIT_MoveDialog(dlg, 0, 505);
        return;
    }
    switch (ctl) {
    case kWeaponList:
        if (code != DlgCode::SelChange || plat::GetSel(dlg, kWeaponList) < 0) return;
        st.no = plat::GetSel(dlg, kWeaponList);
        st.motion = 0;
        st.frame = 0;
        EDIT_SetTamaPtr(&st);
        FillListDlg(dlg);
        EDIT_TamaRefresh();
        return;
    case kPhaseList:
        if (code != DlgCode::SelChange || plat::GetSel(dlg, kPhaseList) < 0) return;
        st.motion = plat::GetSel(dlg, kPhaseList);
        EDIT_SetTamaPtr(&st);
        EDIT_TamaRefresh();
        return;
    case kName:
        if (code != DlgCode::Changed || !st.tama) return;
        EDIT_NameFromUtf8(plat::GetCtlText(dlg, kName), st.tama->name, TAMA_NAME_MAX);
        plat::SetRow(dlg, kWeaponList, st.no, EDIT_TamaRow(st.no));
        return;
    case kPhaseInsert:
        if (!st.tama) return;
        EDIT_TamaInsertPhase(st.tama, st.motion);
        if (st.motion < TAMA_PHASE_MAX - 1) st.motion++;
        EDIT_SetTamaPtr(&st);
        FillPhaseList(dlg);
        EDIT_TamaRefresh();
        return;
    case kPhaseDelete:
        if (!st.tama) return;
        EDIT_TamaDeletePhase(st.tama, st.motion);
        EDIT_SetTamaPtr(&st);
        FillPhaseList(dlg);
        EDIT_TamaRefresh();
        return;
    case kSave:
        if (!TAMA_SaveData()) DebugMsg("Tama.dat を保存できません");
        return;
    case kCopy:
        if (!st.tama) return;
        {
            static const plat::DlgControl kCopyControls[] = {
                plat::DlgSpin(1490, "複製來源No.", 0, TAMA_MAX),
                plat::DlgSpin(1491, "欲複製對象No.", 0, TAMA_MAX),
            };
            static const plat::DlgTemplate kCopyDlg = {161, "武器資料的複製", kCopyControls, 2, 4, true};
            if (plat::DialogBox(kCopyDlg, EDIT_TamaCopyDlgProc, nullptr) == plat::IDOK) {
                for (int i = 0; i < TamaDataCount; i++) plat::SetRow(dlg, kWeaponList, i, EDIT_TamaRow(i));
                EDIT_SetTamaPtr(&st);
                FillListDlg(dlg);
                EDIT_TamaRefresh();
            }
        }
        return;
    default: return;
    }
}

void EDIT_TamaCopyDlgProc(plat::Dialog* dlg, DlgMsg msg, int ctl, DlgCode code) {
    if (msg == DlgMsg::Init) {
        plat::SetCtlInt(dlg, 1490, g_copySrc);
        plat::SetCtlInt(dlg, 1491, g_copyDst);
        EDIT_MoveDialog(dlg, 0, 400);
        return;
    }
    if (msg != DlgMsg::Command) return;
    // Up to one past the last weapon number, so that a number typed too high is refused, not clamped
    // onto weapon 155.
    if (ctl == 1490 && code == DlgCode::Changed) EDIT_GetDlgInt(dlg, ctl, false, 0, TAMA_MAX, &g_copySrc, 4);
    if (ctl == 1491 && code == DlgCode::Changed) EDIT_GetDlgInt(dlg, ctl, false, 0, TAMA_MAX, &g_copyDst, 4);
    if (ctl == plat::IDOK) {
        if (!EDIT_TamaCopy(g_copySrc, g_copyDst))
            DebugMsg("武器 %d -> %d は複製できません: 番号は異なり、武器数 %d 未満であること", g_copySrc, g_copyDst,
                     TamaDataCount);
        plat::EndDialog(dlg, plat::IDOK);
    }
    if (ctl == plat::IDCANCEL) plat::EndDialog(dlg, plat::IDCANCEL);
}

// ---- dialog 114: the weapon picker ----

namespace {
const plat::DlgControl kSelControls[] = {
    plat::DlgList(1128, "", 16),
    plat::DlgButton(plat::IDCANCEL, "取消"),
};
}  // namespace
const plat::DlgTemplate EditSelTamaDlg = {114, "武器", kSelControls, 2, 20, false};

void EDIT_SelTamaDlgProc(plat::Dialog* dlg, DlgMsg msg, int ctl, DlgCode code) {
    auto* result = static_cast<int*>(plat::GetDialogUser(dlg));
    if (msg == DlgMsg::Init) {
        plat::AddRow(dlg, 1128, "---  弾は撃たない");
        for (int i = 0; i < TamaDataCount; i++) plat::AddRow(dlg, 1128, EDIT_TamaRow(i));
        EDIT_MoveDialog(dlg, -1, -1);
        return;
    }
    if (msg != DlgMsg::Command) return;
    if (ctl == 1128 && code == DlgCode::DblClick && plat::GetSel(dlg, 1128) >= 0) {
        if (result) *result = plat::GetSel(dlg, 1128) - 1;
        plat::EndDialog(dlg, plat::IDOK);
    }
    if (ctl == plat::IDCANCEL) plat::EndDialog(dlg, plat::IDCANCEL);
    if (ctl == plat::IDOK) plat::EndDialog(dlg, plat::IDCANCEL);  // only a double click picks
}
