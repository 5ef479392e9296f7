// Dialog 116 (one phase), dialog 119 (a firing entry) and the weapon editor's opener.
#include <iterator>

#include "editors/tama_editor.h"
#include "shell/common.h"

using plat::DlgCode;
using plat::DlgMsg;

namespace {

// A numeric field of a record: control, offset, bytes, signed, range.
struct Field {
    int ctl, offset, bytes;
    bool isSigned;
    i32 min, max;
};

// A radio group storing the button's position.
struct RadioField {
    int first, count, offset;
};

void FillFields(plat::Dialog* dlg, const u8* base, const Field* fields, int count) {
    for (int i = 0; i < count; i++)
        plat::SetCtlInt(dlg, fields[i].ctl, EDIT_LoadInt(base + fields[i].offset, fields[i].bytes, fields[i].isSigned));
}

bool EditField(plat::Dialog* dlg, u8* base, const Field* fields, int count, int ctl, DlgCode code) {
    for (int i = 0; i < count; i++) {
        if (fields[i].ctl != ctl) continue;
        if (code == DlgCode::Changed)
            EDIT_GetDlgInt(dlg, ctl, fields[i].isSigned, fields[i].min, fields[i].max, base + fields[i].offset, fields[i].bytes);
        return true;
    }
    return false;
}

void FillRadios(plat::Dialog* dlg, const u8* base, const RadioField* radios, int count) {
    for (int i = 0; i < count; i++) {
        const int v = base[radios[i].offset];
        if (v < radios[i].count) plat::SetRadio(dlg, radios[i].first + v);
    }
}

bool EditRadio(u8* base, const RadioField* radios, int count, int ctl) {
    for (int i = 0; i < count; i++) {
        if (ctl < radios[i].first || ctl >= radios[i].first + radios[i].count) continue;
        base[radios[i].offset] = static_cast<u8>(ctl - radios[i].first);
        return true;
    }
    return false;
}

// ---- dialog 116 ----

constexpr int kStepList = 2716, kStepInsert = 2714, kStepDelete = 2715, kShot = 1052, kDetail = 1316, kDetailLaser = 1317;
constexpr int kKindRadio = 2400, kMoveRadio = 1033, kLaserRadio = 1041, kFlagCheck = 2407, kHitFlagCheck = 2500;
constexpr int kHitEffect = 2538, kHitSound = 2555, kConstEffect = 2541;

const Field kPhaseFields[] = {
    {2415, 256, 2, true, -255, 9999}, {2417, 258, 2, true, -255, 9999}, {2419, 260, 2, true, -255, 9999},
    {2421, 262, 2, true, -255, 9999}, {2423, 264, 2, true, -255, 9999}, {2427, 266, 2, true, -255, 9999},
    {2425, 268, 2, true, -255, 9999}, {2429, 270, 2, true, -255, 9999},
    {2509, 272, 1, false, 0, 255}, {2511, 273, 1, false, 0, 255}, {2513, 274, 1, false, 0, 255},
    {2515, 276, 2, true, 0, 9999},
    {2524, 282, 2, true, 0, 9999}, {2526, 284, 2, true, 0, 9999}, {2528, 286, 2, true, 0, 9999},
    {2530, 290, 2, true, -255, 255}, {2532, 292, 2, true, -255, 255}, {2534, 296, 2, true, -255, 255},
    {2536, 294, 2, true, 0, 100}, {2546, 288, 1, false, 0, 255},
    {2539, 299, 1, false, 0, 255}, {2551, 300, 1, false, 0, 255}, {2549, 303, 1, false, 0, 255},
    {2544, 305, 1, false, 0, 127}, {2542, 306, 1, false, 0, 255}, {2553, 307, 1, false, 0, 255},
    {2700, 108, 1, true, -1, 4}, {2702, 109, 1, true, -1, 4}, {2704, 110, 1, true, -1, 4},
    {2706, 114, 1, true, -1, 4}, {2710, 112, 2, true, -1, 999},
    {2708, 118, 1, true, -1, 4}, {2712, 116, 2, true, -1, 999}, {2719, 119, 1, true, -1, 4},
};
const RadioField kPhaseRadios[] = {
    {2520, 4, 279}, {2300, 4, 280}, {1193, 2, 302}, {1197, 3, 289},
    {kKindRadio, 7, 121}, {kMoveRadio, 8, 123}, {kLaserRadio, 8, 124},
};

const plat::DlgControl kPhaseControls[] = {
    plat::DlgList(kStepList, "", 4, 3),
    plat::DlgButton(kStepInsert, "插入"), plat::DlgButton(kStepDelete, "削除"), plat::DlgButton(kShot, "武器情報"),
    plat::DlgSpin(2415, "速度", -255, 9999), plat::DlgSpin(2417, "增加", -255, 9999),
    plat::DlgSpin(2419, "範圍", -255, 9999), plat::DlgSpin(2421, "～", -255, 9999),
    plat::DlgSpin(2423, "上昇", -255, 9999), plat::DlgSpin(2427, "增加", -255, 9999),
    plat::DlgSpin(2425, "範圍", -255, 9999), plat::DlgSpin(2429, "～", -255, 9999),
    plat::DlgSpin(2509, "HIT數(角色)", 0, 255), plat::DlgSpin(2511, "HIT數(武器)", 0, 255),
    plat::DlgSpin(2513, "HIT範圍", 0, 255), plat::DlgSpin(2515, "推進器捕正", 0, 9999),
    plat::DlgSpin(2524, "威力", 0, 9999), plat::DlgSpin(2526, "最低威力", 0, 9999),
    plat::DlgSpin(2528, "連續技捕正", 0, 9999),
    plat::DlgBreak(),
    plat::DlgSpin(2530, "後退速度", -255, 255), plat::DlgSpin(2532, "後退次數", -255, 255),
    plat::DlgSpin(2534, "被擊退範圍", -255, 255), plat::DlgSpin(2536, "被擊退累積量", 0, 100),
    plat::DlgSpin(2546, "命中等待時間", 0, 255),
    plat::DlgCombo(kHitEffect, "效果"), plat::DlgSpin(2539, "彈幕範圍", 0, 255), plat::DlgSpin(2551, "變數範圍", 0, 255),
    plat::DlgSpin(2549, "抵銷效應規模", 0, 255), plat::DlgCombo(kHitSound, "效果音"),
    plat::DlgCombo(kConstEffect, "經常出現的效果"), plat::DlgSpin(2544, "判定編號", 0, 127),
    plat::DlgSpin(2542, "彈幕範圍", 0, 255), plat::DlgSpin(2553, "變數範圍", 0, 255),
    plat::DlgSpin(2700, "計算結束時", -1, 4), plat::DlgSpin(2702, "前景動畫結束時", -1, 4),
    plat::DlgSpin(2704, "彈著地面時", -1, 4), plat::DlgSpin(2706, "命中指定角色時", -1, 4),
    plat::DlgSpin(2710, "", -1, 999), plat::DlgSpin(2708, "以指定武器命中時", -1, 4), plat::DlgSpin(2712, "", -1, 999),
    plat::DlgSpin(2719, "命中障礙物時", -1, 4),
    plat::DlgBreak(),
    plat::DlgGroup("屬性"),
    plat::DlgRadio(2520, "無"), plat::DlgRadio(2521, "炎"), plat::DlgRadio(2522, "冰"), plat::DlgRadio(2523, "雷"),
    plat::DlgGroup("命中障礙物時"),
    plat::DlgRadio(2300, "沒有命中"), plat::DlgRadio(2301, "命中後回復前座標"), plat::DlgRadio(2302, "命中後結束"),
    plat::DlgRadio(2303, "命中後反射"),
    plat::DlgGroup("後退類型"),
    plat::DlgRadio(1193, "擊飛"), plat::DlgRadio(1194, "後退"),
    plat::DlgGroup("後退方向"),
    plat::DlgRadio(1197, "由攻擊物的位置計算"), plat::DlgRadio(1198, "攻擊物向量值"), plat::DlgRadio(1199, "由攻擊物主體位置計算"),
    plat::DlgGroup("種類"),
    plat::DlgRadio(2400, "飛彈"), plat::DlgRadio(2401, "力場"), plat::DlgRadio(2402, "雷射"), plat::DlgRadio(2403, "(未定)"),
    plat::DlgRadio(2404, "(未定)"), plat::DlgRadio(2405, "(未定)"), plat::DlgRadio(2406, "(未定)"),
    plat::DlgBreak(),
    plat::DlgGroup("移動類型"),
    plat::DlgRadio(1033, ""), plat::DlgRadio(1034, ""), plat::DlgRadio(1035, ""), plat::DlgRadio(1036, ""),
    plat::DlgRadio(1037, ""), plat::DlgRadio(1038, ""), plat::DlgRadio(1039, ""), plat::DlgRadio(1040, ""),
    plat::DlgButton(kDetail, "詳細ヾ"),
    plat::DlgGroup("雷射類型"),
    plat::DlgRadio(1041, ""), plat::DlgRadio(1042, ""), plat::DlgRadio(1043, ""), plat::DlgRadio(1044, ""),
    plat::DlgRadio(1045, ""), plat::DlgRadio(1046, ""), plat::DlgRadio(1047, ""), plat::DlgRadio(1048, ""),
    plat::DlgButton(kDetailLaser, "詳細ゝ"),
    plat::DlgBreak(),
    plat::DlgLabel(0, "旗標"),
    plat::DlgCheck(2407, "貫通角色"), plat::DlgCheck(2408, "貫通武器"), plat::DlgCheck(2409, "拋物線"),
    plat::DlgCheck(2410, "軌跡"), plat::DlgCheck(2411, "朝移動方向"), plat::DlgCheck(2412, "沒入地面"),
    plat::DlgCheck(2413, "殘影"), plat::DlgCheck(2414, "隨機速度"),
    plat::DlgLabel(0, "命中旗標"),
    plat::DlgCheck(2500, "擊倒"), plat::DlgCheck(2501, "命中時高度變化"), plat::DlgCheck(2502, "bit 2"),
    plat::DlgCheck(2503, "bit 3"), plat::DlgCheck(2504, "bit 4"), plat::DlgCheck(2505, "bit 5"),
    plat::DlgCheck(2506, "bit 6"), plat::DlgCheck(2507, "bit 7"),
};
const plat::DlgTemplate kPhaseDlg = {116, "武器資料", kPhaseControls, static_cast<int>(std::size(kPhaseControls)), 26, false};

void CaptionTypes(plat::Dialog* dlg, int kind) {
    for (int i = 0; i < 8; i++) {
        plat::SetCaption(dlg, kMoveRadio + i, EDIT_TamaTypeCaption(kind, false, i));
        plat::SetCaption(dlg, kLaserRadio + i, EDIT_TamaTypeCaption(kind, true, i));
    }
}

// Every control that acts on a phase.
void EnablePhase(plat::Dialog* dlg, bool on) {
    for (const plat::DlgControl& c : kPhaseControls)
        if (c.id != 0) plat::EnableCtl(dlg, c.id, on);
}

void FillPhase(plat::Dialog* dlg) {
    EDIT_STATE& st = TamaEditState;
    TAMA_PHASE* p = st.tamaPhase;
    plat::ClearRows(dlg, kStepList);
    EnablePhase(dlg, p != nullptr);
    if (!p) return;
    for (int i = 0; i < TAMA_STEP_MAX; i++) plat::AddRow(dlg, kStepList, EDIT_TamaStepRow(p, i));
    plat::SetSel(dlg, kStepList, st.frame);
    const auto* base = reinterpret_cast<const u8*>(p);
    FillFields(dlg, base, kPhaseFields, static_cast<int>(std::size(kPhaseFields)));
    for (const RadioField& r : kPhaseRadios)
        for (int i = 0; i < r.count; i++) plat::SetCheck(dlg, r.first + i, false);
    FillRadios(dlg, base, kPhaseRadios, static_cast<int>(std::size(kPhaseRadios)));
    CaptionTypes(dlg, p->kind);
    for (int i = 0; i < 8; i++) {
        plat::SetCheck(dlg, kFlagCheck + i, (p->flags >> i) & 1);
        plat::SetCheck(dlg, kHitFlagCheck + i, (p->hitFlags >> i) & 1);
    }
    EDIT_SetHitMarkCombo(dlg, kHitEffect);
    plat::SetSel(dlg, kHitEffect, p->hitEffect);
    EDIT_SetHitMarkCombo(dlg, kConstEffect);
    plat::SetSel(dlg, kConstEffect, p->constEffect);
    EDIT_SetSoundCombo(dlg, kHitSound);
    plat::SetSel(dlg, kHitSound, p->hitSound);
}

void RefreshSteps(plat::Dialog* dlg) {
    const TAMA_PHASE* p = TamaEditState.tamaPhase;
    if (!p) return;
    for (int i = 0; i < TAMA_STEP_MAX; i++) plat::SetRow(dlg, kStepList, i, EDIT_TamaStepRow(p, i));
    plat::SetSel(dlg, kStepList, TamaEditState.frame);
}

void RefreshPhaseRows() {
    const EDIT_STATE& st = TamaEditState;
    if (!TamaListDlg || !st.tama) return;
    for (int i = 0; i < TAMA_PHASE_MAX; i++) plat::SetRow(TamaListDlg, 1158, i, EDIT_TamaPhaseRow(st.tama, i));
}

void PhaseCommand(plat::Dialog* dlg, int ctl, DlgCode code) {
    EDIT_STATE& st = TamaEditState;
    EDIT_SetTamaPtr(&st);
    TAMA_PHASE* p = st.tamaPhase;
    if (!p) return;
    auto* base = reinterpret_cast<u8*>(p);
    if (EditField(dlg, base, kPhaseFields, static_cast<int>(std::size(kPhaseFields)), ctl, code)) return;
    if (EditRadio(base, kPhaseRadios, static_cast<int>(std::size(kPhaseRadios)), ctl)) {
        if (ctl >= kKindRadio && ctl < kKindRadio + 7) CaptionTypes(dlg, p->kind);
        return;
    }
    if (ctl >= kFlagCheck && ctl < kFlagCheck + 8) {
        const u8 bit = static_cast<u8>(1u << (ctl - kFlagCheck));
        p->flags = plat::GetCheck(dlg, ctl) ? p->flags | bit : p->flags & ~bit;
        return;
    }
    if (ctl >= kHitFlagCheck && ctl < kHitFlagCheck + 8) {
        const u8 bit = static_cast<u8>(1u << (ctl - kHitFlagCheck));
        p->hitFlags = plat::GetCheck(dlg, ctl) ? p->hitFlags | bit : p->hitFlags & ~bit;
        return;
    }
    const int sel = plat::GetSel(dlg, ctl);
    switch (ctl) {
    case kHitEffect:
        if (code == DlgCode::SelChange && sel >= 0) p->hitEffect = static_cast<u8>(sel);
        return;
    case kConstEffect:
        if (code == DlgCode::SelChange && sel >= 0) p->constEffect = static_cast<u8>(sel);
        return;
    case kHitSound:
        if (code != DlgCode::SelChange || sel < 0) return;
        p->hitSound = static_cast<u8>(sel);
        EDIT_PlayComboSound(sel);
        return;
    case kStepList:
        if (sel < 0) return;
        st.frame = EDIT_TamaStepSel(p, sel);
        EDIT_SetTamaPtr(&st);
        plat::SetSel(dlg, kStepList, st.frame);
        if (code == DlgCode::DblClick) {
            EDIT_OpenAnimeDlg(&st);
            RefreshSteps(dlg);
            RefreshPhaseRows();
        }
        return;
    case kStepInsert:
        EDIT_TamaInsertStep(p, st.frame);
        EDIT_SetTamaPtr(&st);
        EDIT_OpenAnimeDlg(&st);
        if (st.frame < TAMA_STEP_MAX - 1) st.frame++;
        EDIT_SetTamaPtr(&st);
        RefreshSteps(dlg);
        RefreshPhaseRows();
        return;
    case kStepDelete:
        EDIT_TamaDeleteStep(p, st.frame);
        RefreshSteps(dlg);
        RefreshPhaseRows();
        return;
    case kShot:
        EDIT_OpenShotDlg(&st);
        RefreshSteps(dlg);
        RefreshPhaseRows();
        return;
    case kDetail:
    case kDetailLaser:
        if (const int id = EDIT_TamaParamDlgId(p, ctl == kDetailLaser)) EDIT_OpenTamaParamDlg(id, p);
        return;
    default: return;
    }
}

// ---- dialog 119 ----

constexpr int kShotCaption = 3026, kShotPick = 3027, kShotEffect = 2547, kShotSound = 3000, kFireTypeRadio = 3018;
constexpr int kValueCtl[3] = {3009, 3012, 3015};

const Field kShotFields[] = {
    {3001, 14, 2, false, 0, 255}, {3028, 20, 2, true, 0, 9999}, {3003, 16, 2, false, 0, 255},
    {3030, 22, 2, true, 0, 9999}, {3005, 18, 2, false, 0, 255}, {3032, 24, 2, true, 0, 9999},
    {3007, 8, 1, false, 0, 255}, {3009, 26, 2, true, -9999, 9999}, {3012, 28, 2, true, -9999, 9999},
    {3015, 30, 2, true, -9999, 9999}, {2548, 33, 1, false, 0, 255},
};
const RadioField kShotRadios[] = {{1041, 2, 10}, {1033, 8, 12}, {2717, 5, 11}, {kFireTypeRadio, 6, 9}};

const plat::DlgControl kShotControls[] = {
    plat::DlgLabel(kShotCaption, ""), plat::DlgButton(kShotPick, "選擇武器"),
    plat::DlgSpin(3001, "發射間隔", 0, 255), plat::DlgSpin(3028, "　增減", 0, 9999),
    plat::DlgSpin(3003, "同時發射數", 0, 255), plat::DlgSpin(3030, "　增減", 0, 9999),
    plat::DlgSpin(3005, "迴圈數", 0, 255), plat::DlgSpin(3032, "　增減", 0, 9999),
    plat::DlgSpin(3007, "發射命中判定", 0, 255),
    plat::DlgSpin(3009, "值１", -9999, 9999), plat::DlgSpin(3012, "值２", -9999, 9999), plat::DlgSpin(3015, "值３", -9999, 9999),
    plat::DlgCombo(kShotEffect, "發射位置效果"), plat::DlgSpin(2548, "彈幕規模", 0, 255),
    plat::DlgCombo(kShotSound, "發射時效果音"),
    plat::DlgBreak(),
    plat::DlgGroup("射程類型"), plat::DlgRadio(1041, "打擊"), plat::DlgRadio(1042, "射擊"),
    plat::DlgGroup("目標"),
    plat::DlgRadio(1033, "鎖定座標(一次)"), plat::DlgRadio(1034, "鎖定座標(搜索)"), plat::DlgRadio(1035, "敵機座標(一次)"),
    plat::DlgRadio(1036, "敵機座標(搜索)"), plat::DlgRadio(1037, "未定"), plat::DlgRadio(1038, "未定"),
    plat::DlgRadio(1039, "未定"), plat::DlgRadio(1040, "未定"),
    plat::DlgBreak(),
    plat::DlgGroup("瞄準之位置"),
    plat::DlgRadio(2717, "由武器的座標"), plat::DlgRadio(2718, "由主體座標"), plat::DlgRadio(2719, "未定"),
    plat::DlgRadio(2720, "未定"), plat::DlgRadio(2721, "未定"),
    plat::DlgGroup("發射類型"),
    plat::DlgRadio(3018, "朝指定方向發射"), plat::DlgRadio(3019, "如同畫圓圈般移動角度射擊"), plat::DlgRadio(3020, "放射狀發射"),
    plat::DlgRadio(3021, "波狀發射"), plat::DlgRadio(3022, "雷射專用"), plat::DlgRadio(3023, "未定"),
};
const plat::DlgTemplate kShotDlg = {119, "武器情報", kShotControls, static_cast<int>(std::size(kShotControls)), 16, true};

void CaptionValues(plat::Dialog* dlg, int fireType) {
    for (int i = 0; i < 3; i++) plat::SetCaption(dlg, kValueCtl[i], EDIT_ShotValueCaption(fireType, i));
}

void FillShot(plat::Dialog* dlg, const TAMA_FIRE* f) {
    const auto* base = reinterpret_cast<const u8*>(f);
    plat::SetCtlText(dlg, kShotCaption, EDIT_ShotCaption(f));
    FillFields(dlg, base, kShotFields, static_cast<int>(std::size(kShotFields)));
    FillRadios(dlg, base, kShotRadios, static_cast<int>(std::size(kShotRadios)));
    CaptionValues(dlg, f->fireType);
    EDIT_SetHitMarkCombo(dlg, kShotEffect);
    plat::SetSel(dlg, kShotEffect, f->effect);
    EDIT_SetSoundCombo(dlg, kShotSound);
    plat::SetSel(dlg, kShotSound, f->sound);
}

}  // namespace

const char* EDIT_ShotValueCaption(int fireType, int i) {
    static const char* const kCaptions[5][3] = {
        {"任意角度", "開始角度", "未使用"}, {"回轉角度", "開始座標", "發射倒數"}, {"回轉角度", "反射角度", "發射倒數"},
        {"回轉角度", "任意角度", "發射倒數"}, {"未定", "未定", "未定"},
    };
    return fireType >= 0 && fireType < 5 && i >= 0 && i < 3 ? kCaptions[fireType][i] : "未定";
}

void EDIT_TamaRefresh() {
    if (TamaDlg) FillPhase(TamaDlg);
}

void EDIT_TamaDlgProc(plat::Dialog* dlg, DlgMsg msg, int ctl, DlgCode code) {
    switch (msg) {
    case DlgMsg::Init:
        TamaDlg = dlg;
        EDIT_SetTamaPtr(&TamaEditState);
        FillPhase(dlg);
        EDIT_MoveDialog(dlg, 648, 0, TamaListDlg);
        break;
    case DlgMsg::Command: PhaseCommand(dlg, ctl, code); break;
    case DlgMsg::Destroy:
        if (TamaDlg == dlg) TamaDlg = nullptr;
        break;
    }
}

void EDIT_ShotDlgProc(plat::Dialog* dlg, DlgMsg msg, int ctl, DlgCode code) {
    auto* st = static_cast<EDIT_STATE*>(plat::GetDialogUser(dlg));
    TAMA_FIRE* f = st ? st->fire : nullptr;
    if (msg == DlgMsg::Init) {
        if (!f) return plat::EndDialog(dlg, plat::IDCANCEL);
        FillShot(dlg, f);
        EDIT_MoveDialog(dlg, 648, 0);
        return;
    }
    if (msg != DlgMsg::Command || !f) return;
    auto* base = reinterpret_cast<u8*>(f);
    if (ctl == plat::IDOK || ctl == plat::IDCANCEL) return plat::EndDialog(dlg, ctl);
    if (EditField(dlg, base, kShotFields, static_cast<int>(std::size(kShotFields)), ctl, code)) return;
    if (EditRadio(base, kShotRadios, static_cast<int>(std::size(kShotRadios)), ctl)) {
        if (ctl >= kFireTypeRadio && ctl < kFireTypeRadio + 6) CaptionValues(dlg, f->fireType);
        return;
    }
    const int sel = plat::GetSel(dlg, ctl);
    if (ctl == kShotEffect && code == DlgCode::SelChange && sel >= 0) f->effect = static_cast<u8>(sel);
    if (ctl == kShotSound && code == DlgCode::SelChange && sel >= 0) {
        f->sound = static_cast<u8>(sel);
        EDIT_PlayComboSound(sel);
    }
    if (ctl == kShotPick) {
        int picked = f->weapon;
        if (plat::DialogBox(EditSelTamaDlg, EDIT_SelTamaDlgProc, &picked) == plat::IDOK) f->weapon = static_cast<i16>(picked);
        plat::SetCtlText(dlg, kShotCaption, EDIT_ShotCaption(f));
    }
}

int EDIT_OpenShotDlg(EDIT_STATE* st) {
    if (!st->fire) return -1;
    return plat::DialogBox(kShotDlg, EDIT_ShotDlgProc, st);
}

int EDIT_OpenTamaEditor() {
    EDIT_PrepareDisplay();
    EDIT_STATE& st = TamaEditState;
    st.kind = EDIT_KIND_TAMA;
    st.chipStem = "效果";
    if (st.no >= TamaDataCount) st.no = 0;  // the table was reloaded smaller
    EDIT_LoadChipTxt(st.chipStem);
    if (TamaListDlg) plat::DestroyDialog(TamaListDlg);
    if (!plat::CreateDialog(EditTamaListDlg, EDIT_TamaListDlgProc, nullptr)) return 0;
    if (TamaDlg) plat::DestroyDialog(TamaDlg);
    if (!plat::CreateDialog(kPhaseDlg, EDIT_TamaDlgProc, nullptr)) return 0;
    return 1;
}
