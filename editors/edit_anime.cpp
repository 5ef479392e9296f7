// Dialog 115 "動畫選單": one 16-byte frame entry of a technique motion or a weapon phase.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "editors/edit_common.h"

using plat::DlgMsg;
using plat::DlgCode;

namespace {

constexpr int kList = 1128, kTypeRadio = 1153, kWait = 1151, kBoost = 1162, kTurn = 1148;
constexpr int kAttr = 1051, kAttrValue = 1158, kSound = 1052, kArmour = 1192;
constexpr int kAimBit = 1161, kFireBit = 1150, kHoldBit = 1164;
constexpr int kScaleRadio = 1178, kScale = 1184, kScaleAdd = 1186, kScaleMin = 1188, kScaleMax = 1190, kShadow = 1160;
constexpr int kJudgeCtl[10] = {1037, 1038, 1039, 1040, 1041, 1042, 1043, 1044, 1045, 1046};
constexpr int kJudgeBit[10] = {1, 2, 4, 10, 11, 12, 5, 6, 7, 8};

const char* const kBlendNames[15] = {
    "ノーマル", "左右反転", "上下反転", "半透明", "１００％加算", "　５０％加算", "　２５％加算", "１００％減算",
    "　５０％減算", "　２５％減算", "タイルパターン", "アルファブレンド", "加算アルファ", "塗りつぶし", "フェード",
};

const plat::DlgControl kControls[] = {
    plat::DlgList(kList, "", 20),
    plat::DlgBreak(),
    plat::DlgGroup("動畫類型"),
    plat::DlgRadio(1153, "縮短至指定等待時間"), plat::DlgRadio(1154, "增減指定％"), plat::DlgRadio(1155, "指定等待間迴圈"),
    plat::DlgRadio(1156, "著陸前"), plat::DlgRadio(1157, "武器完全擊發前"),
    plat::DlgSpin(kWait, "WAIT", -999, 9999, true),
    plat::DlgSpin(kBoost, "高速移動時", -9999, 9999, true),
    plat::DlgSpin(kTurn, "修正方向", 0, 7, true),
    plat::DlgCombo(kAttr, "屬性"),
    plat::DlgSpin(kAttrValue, "數值", 0, 9999, true),
    plat::DlgCombo(kSound, "效果音"),
    plat::DlgEdit(kArmour, "裝甲效果率"),
    plat::DlgCheck(kAimBit, "鎖定武器發射位置"), plat::DlgCheck(kFireBit, "發射武器"), plat::DlgCheck(kHoldBit, "持續發射武器"),
    plat::DlgBreak(),
    plat::DlgLabel(0, "攻擊判定"),
    plat::DlgCheck(1037, "下段1"), plat::DlgCheck(1038, "中段1"), plat::DlgCheck(1039, "上段1"),
    plat::DlgCheck(1040, "下段2"), plat::DlgCheck(1041, "中段2"), plat::DlgCheck(1042, "上段2"),
    plat::DlgCheck(1043, "火器1"), plat::DlgCheck(1044, "火器2"), plat::DlgCheck(1045, "火器3"), plat::DlgCheck(1046, "火器4"),
    plat::DlgGroup("擴大類型"),
    plat::DlgRadio(1178, "普通"), plat::DlgRadio(1179, "無變更"), plat::DlgRadio(1180, "0～初期值"),
    plat::DlgRadio(1181, "初期值/2～初期值"), plat::DlgRadio(1182, "(未定)"), plat::DlgRadio(1183, "(未定)"),
    plat::DlgEdit(kScale, "擴大"), plat::DlgEdit(kScaleAdd, "增加"), plat::DlgEdit(kScaleMin, "範圍"),
    plat::DlgEdit(kScaleMax, "範圍"),
    plat::DlgCheck(kShadow, "影子"),
};

// The fields of the entry: control, offset, bytes, signed, range.
struct EntryField {
    int ctl, offset, bytes;
    bool isSigned;
    i32 min, max;
};
constexpr EntryField kEntryFields[] = {
    {kWait, 6, 2, true, -999, 9999},
    {kBoost, 2, 2, true, -9999, 9999},
    {kTurn, 4, 1, false, 0, 7},
    {kAttrValue, 12, 2, false, 0, 9999},
    {kArmour, 15, 1, true, -128, 127},
};
constexpr EntryField kScaleFields[] = {
    {kScale, 2, 2, true, 0, 9999},
    {kScaleAdd, 4, 2, true, -999, 9999},
    {kScaleMin, 6, 2, true, 0, 9999},
    {kScaleMax, 8, 2, true, 0, 9999},
};

bool IsWeapon(const EDIT_STATE* st) { return st->kind >= EDIT_KIND_TAMA; }

u16* MaskOf(EDIT_STATE* st, int ctl) {
    if (!st->fire) return nullptr;
    return ctl == kAimBit ? &st->fire->aimMask : ctl == kFireBit ? &st->fire->startMask : &st->fire->holdMask;
}

void Fill(plat::Dialog* dlg, EDIT_STATE* st) {
    const u8* e = st->entry;
    plat::ClearRows(dlg, kList);
    for (int i = 0; i < EDIT_CHIP_MAX; i++) plat::AddRow(dlg, kList, EDIT_Format("%3d  %s", i, EditChipNameTbl[i]));
    plat::AddRow(dlg, kList, "【なし】");
    const int row = e[0] < EDIT_CHIP_MAX ? e[0] : EDIT_CHIP_MAX;
    plat::SetSel(dlg, kList, row);
    const int top = plat::GetTopRow(dlg, kList);
    if (row < top || row > top + 22) plat::SetTopRow(dlg, kList, std::max(0, row - 11));
    if (e[5] <= 4) plat::SetRadio(dlg, kTypeRadio + e[5]);
    for (const EntryField& f : kEntryFields) plat::SetCtlInt(dlg, f.ctl, EDIT_LoadInt(e + f.offset, f.bytes, f.isSigned));
    const i32 judge = EDIT_LoadInt(e + 8, 2, false);
    for (int i = 0; i < 10; i++) plat::SetCheck(dlg, kJudgeCtl[i], (judge >> kJudgeBit[i]) & 1);
    plat::ClearRows(dlg, kAttr);
    for (const char* name : kBlendNames) plat::AddRow(dlg, kAttr, name);
    plat::SetSel(dlg, kAttr, EDIT_LoadInt(e + 10, 2, false));
    EDIT_SetSoundCombo(dlg, kSound);
    plat::SetSel(dlg, kSound, e[14]);
    for (int ctl : {kAimBit, kFireBit, kHoldBit})
        if (const u16* mask = MaskOf(st, ctl)) plat::SetCheck(dlg, ctl, (*mask >> st->frame) & 1);
    const bool weapon = IsWeapon(st) && st->scale && st->shadow;
    if (weapon) {
        if (st->scale->mode <= 5) plat::SetRadio(dlg, kScaleRadio + st->scale->mode);
        const auto* s = reinterpret_cast<const u8*>(st->scale);
        for (const EntryField& f : kScaleFields) plat::SetCtlInt(dlg, f.ctl, EDIT_LoadInt(s + f.offset, f.bytes, f.isSigned));
        plat::SetCheck(dlg, kShadow, *st->shadow != 0);
    }
    for (int i = 0; i < 6; i++) plat::EnableCtl(dlg, kScaleRadio + i, weapon);
    for (const EntryField& f : kScaleFields) plat::EnableCtl(dlg, f.ctl, weapon);
    plat::EnableCtl(dlg, kShadow, weapon);
    // The armour rate is a technique frame's; a weapon step's byte 15 is left alone.
    plat::EnableCtl(dlg, kArmour, !IsWeapon(st));
    if (IsWeapon(st)) plat::SetCtlText(dlg, kArmour, "");
}

void Command(plat::Dialog* dlg, EDIT_STATE* st, int ctl, DlgCode code) {
    u8* e = st->entry;
    if (ctl == plat::IDCANCEL) {
        std::memcpy(e, st->undo, EDIT_ENTRY_SIZE);
        plat::EndDialog(dlg, plat::IDCANCEL);
        return;
    }
    if (ctl == plat::IDOK) {
        plat::EndDialog(dlg, plat::IDOK);
        return;
    }
    if (ctl == kList && code == DlgCode::SelChange) {
        const int row = plat::GetSel(dlg, kList);
        if (row >= 0) e[0] = row >= EDIT_CHIP_MAX ? 255 : static_cast<u8>(row);
        return;
    }
    if (ctl >= kTypeRadio && ctl < kTypeRadio + 5) {
        e[5] = static_cast<u8>(ctl - kTypeRadio);
        return;
    }
    for (const EntryField& f : kEntryFields)
        if (f.ctl == ctl && code == DlgCode::Changed) return EDIT_GetDlgInt(dlg, ctl, f.isSigned, f.min, f.max, e + f.offset, f.bytes);
    for (int i = 0; i < 10; i++) {
        if (kJudgeCtl[i] != ctl) continue;
        u16 judge = static_cast<u16>(EDIT_LoadInt(e + 8, 2, false));
        judge = plat::GetCheck(dlg, ctl) ? judge | (1u << kJudgeBit[i]) : judge & ~(1u << kJudgeBit[i]);
        EDIT_StoreInt(e + 8, judge, 2);
        return;
    }
    if (ctl == kAttr && code == DlgCode::SelChange) {
        if (plat::GetSel(dlg, kAttr) >= 0) EDIT_StoreInt(e + 10, plat::GetSel(dlg, kAttr), 2);
        return;
    }
    if (ctl == kSound && code == DlgCode::SelChange) {
        const int row = plat::GetSel(dlg, kSound);
        if (row < 0) return;
        e[14] = static_cast<u8>(row);
        EDIT_PlayComboSound(row);
        return;
    }
    if (u16* mask = (ctl == kAimBit || ctl == kFireBit || ctl == kHoldBit) ? MaskOf(st, ctl) : nullptr) {
        const u16 bit = static_cast<u16>(1u << st->frame);
        *mask = plat::GetCheck(dlg, ctl) ? *mask | bit : *mask & ~bit;
        return;
    }
    if (!IsWeapon(st) || !st->scale || !st->shadow) return;
    if (ctl >= kScaleRadio && ctl < kScaleRadio + 6) {
        st->scale->mode = static_cast<u8>(ctl - kScaleRadio);
        return;
    }
    for (const EntryField& f : kScaleFields)
        if (f.ctl == ctl && code == DlgCode::Changed)
            return EDIT_GetDlgInt(dlg, ctl, f.isSigned, f.min, f.max, reinterpret_cast<u8*>(st->scale) + f.offset, f.bytes);
    if (ctl == kShadow) *st->shadow = plat::GetCheck(dlg, ctl) ? 1 : 0;
}

}  // namespace

const plat::DlgTemplate EditAnimeDlg = {115, "動畫選單", kControls, static_cast<int>(std::size(kControls)), 22, true};

void EDIT_AnimeDlgProc(plat::Dialog* dlg, DlgMsg msg, int ctl, DlgCode code) {
    auto* st = static_cast<EDIT_STATE*>(plat::GetDialogUser(dlg));
    if (!st || !st->entry) {
        if (msg == DlgMsg::Init) plat::EndDialog(dlg, plat::IDCANCEL);
        return;
    }
    switch (msg) {
    case DlgMsg::Init:
        std::memcpy(st->undo, st->entry, EDIT_ENTRY_SIZE);
        Fill(dlg, st);
        EDIT_MoveDialog(dlg, -1, -1);
        break;
    case DlgMsg::Command: Command(dlg, st, ctl, code); break;
    case DlgMsg::Destroy: break;
    }
}

int EDIT_OpenAnimeDlg(EDIT_STATE* st) {
    if (!st->entry) return -1;
    if (st->chipStem && *st->chipStem) EDIT_LoadChipTxt(st->chipStem);
    return plat::DialogBox(EditAnimeDlg, EDIT_AnimeDlgProc, st);
}
