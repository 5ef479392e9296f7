#include "editors/edit_dialogs.h"

plat::Dialog* EditMainDlg = nullptr;
plat::Dialog* EditChildDlg = nullptr;

void EDIT_CloseMainDlg() {
    if (EditMainDlg) plat::DestroyDialog(EditMainDlg);
    EditMainDlg = nullptr;
}

void EDIT_CloseChildDlg() {
    if (EditChildDlg) plat::DestroyDialog(EditChildDlg);
    EditChildDlg = nullptr;
}

bool EDIT_SlotHolds(std::initializer_list<int> ids) {
    for (plat::Dialog* dlg : {EditMainDlg, EditChildDlg}) {
        if (!plat::IsDialog(dlg)) continue;
        for (int id : ids)
            if (plat::GetDialogId(dlg) == id) return true;
    }
    return false;
}

void EDIT_TakeSlot(plat::Dialog** slot, plat::Dialog* dlg) { *slot = dlg; }

void EDIT_LeaveSlot(plat::Dialog** slot, plat::Dialog* dlg) {
    if (*slot == dlg) *slot = nullptr;
}

void EDIT_FillFields(plat::Dialog* dlg, const void* base, const EDIT_FIELD* fields, int count) {
    const auto* b = static_cast<const u8*>(base);
    for (int i = 0; i < count; i++)
        plat::SetCtlInt(dlg, fields[i].ctl, EDIT_LoadInt(b + fields[i].offset, fields[i].bytes, fields[i].isSigned));
}

bool EDIT_EditField(plat::Dialog* dlg, void* base, const EDIT_FIELD* fields, int count, int ctl, plat::DlgCode code) {
    for (int i = 0; i < count; i++) {
        const EDIT_FIELD& f = fields[i];
        if (f.ctl != ctl) continue;
        if (code == plat::DlgCode::Changed)
            EDIT_GetDlgInt(dlg, ctl, f.isSigned, f.min, f.max, static_cast<u8*>(base) + f.offset, f.bytes);
        return true;
    }
    return false;
}

void EDIT_FillRadios(plat::Dialog* dlg, const void* base, const EDIT_RADIO* radios, int count) {
    const auto* b = static_cast<const u8*>(base);
    for (int i = 0; i < count; i++) {
        const EDIT_RADIO& r = radios[i];
        for (int k = 0; k < r.count; k++) plat::SetCheck(dlg, r.first + k, false);
        const i32 v = EDIT_LoadInt(b + r.offset, r.bytes, false);
        if (v >= 0 && v < r.count) plat::SetRadio(dlg, r.first + v);
    }
}

bool EDIT_EditRadio(void* base, const EDIT_RADIO* radios, int count, int ctl) {
    for (int i = 0; i < count; i++) {
        const EDIT_RADIO& r = radios[i];
        if (ctl < r.first || ctl >= r.first + r.count) continue;
        EDIT_StoreInt(static_cast<u8*>(base) + r.offset, ctl - r.first, r.bytes);
        return true;
    }
    return false;
}

void EDIT_FillBits(plat::Dialog* dlg, const void* base, const EDIT_BITS* bits, int count) {
    const auto* b = static_cast<const u8*>(base);
    for (int i = 0; i < count; i++) {
        const u32 v = static_cast<u32>(EDIT_LoadInt(b + bits[i].offset, bits[i].bytes, false));
        for (int k = 0; k < bits[i].count; k++) plat::SetCheck(dlg, bits[i].first + k, (v >> k) & 1);
    }
}

bool EDIT_EditBits(plat::Dialog* dlg, void* base, const EDIT_BITS* bits, int count, int ctl) {
    for (int i = 0; i < count; i++) {
        const EDIT_BITS& f = bits[i];
        if (ctl < f.first || ctl >= f.first + f.count) continue;
        u8* p = static_cast<u8*>(base) + f.offset;
        u32 v = static_cast<u32>(EDIT_LoadInt(p, f.bytes, false));
        const u32 bit = 1u << (ctl - f.first);
        v = plat::GetCheck(dlg, ctl) ? v | bit : v & ~bit;
        EDIT_StoreInt(p, static_cast<i32>(v), f.bytes);
        return true;
    }
    return false;
}
