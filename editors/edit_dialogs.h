// What the CPU-data and technique editors share beyond the common frame: the one main and one child
// dialog that may be open between them, and the tables that tie a control to a record field.
#pragma once
#include <initializer_list>

#include "editors/edit_common.h"

// The open main dialog (138 or 113) and child dialog (139, 140, 141 or 107); null when none.
extern plat::Dialog* EditMainDlg;
extern plat::Dialog* EditChildDlg;
// Destroys the open main (child) dialog, if any.
void EDIT_CloseMainDlg();
void EDIT_CloseChildDlg();
// True while the main or child slot holds a live dialog of one of the numbers.
bool EDIT_SlotHolds(std::initializer_list<int> ids);
// A procedure's bookkeeping: Init takes the slot, Destroy gives it back (if still its own).
void EDIT_TakeSlot(plat::Dialog** slot, plat::Dialog* dlg);
void EDIT_LeaveSlot(plat::Dialog** slot, plat::Dialog* dlg);

// A numeric field of a record: control, offset, bytes, signed, clamp.
struct EDIT_FIELD {
    int ctl, offset, bytes;
    bool isSigned;
    i32 min, max;
};
// A radio group storing (control - first) into a field of bytes width.
struct EDIT_RADIO {
    int first, count, offset, bytes;
};
// Check boxes first..first+count-1 on bits 0.. of the field at offset (bytes wide).
struct EDIT_BITS {
    int first, count, offset, bytes;
};

void EDIT_FillFields(plat::Dialog* dlg, const void* base, const EDIT_FIELD* fields, int count);
// Reads a changed field into the record; true when ctl is one of the fields.
bool EDIT_EditField(plat::Dialog* dlg, void* base, const EDIT_FIELD* fields, int count, int ctl, plat::DlgCode code);
void EDIT_FillRadios(plat::Dialog* dlg, const void* base, const EDIT_RADIO* radios, int count);
bool EDIT_EditRadio(void* base, const EDIT_RADIO* radios, int count, int ctl);
void EDIT_FillBits(plat::Dialog* dlg, const void* base, const EDIT_BITS* bits, int count);
bool EDIT_EditBits(plat::Dialog* dlg, void* base, const EDIT_BITS* bits, int count, int ctl);
