// The CPU-data editor: one mech type's CPU_DATA edited live in dialog 138 (parameters, basic actions,
// attack groups, counters) with one child at a time (139 basic action, 140 attack entry, 141 counter)
// and the modal pickers 142 (technique, basic action). "保存" writes "Dat\%s.cpu".
#pragma once
#include <string>

#include "battle/data/cpu_data.h"
#include "editors/edit_dialogs.h"

struct EDIT_CPU_STATE {
    int type = 0;
    int mode = 0;      // 0..15
    int group = 0;     // 0..23
    int atk = 0;       // 0..4
    int counter = 0;   // 0..159
    CPU_DATA* data = nullptr;
    CPU_MODE* modePtr = nullptr;
    CPU_ATK_GROUP* groupPtr = nullptr;
    CPU_ATK* atkPtr = nullptr;
    CPU_COUNTER* counterPtr = nullptr;
};
extern EDIT_CPU_STATE CpuEditState;

// Opens dialog 138 on the type's record; 0 (nothing opened) when the type has no record or the
// dialog cannot be shown. The first opening of a type keeps a CPU-data reference until shut-down.
int EDIT_OpenCpuEditor(int type);
// Shut-down: drops the CPU-data references the editor kept.
void EDIT_CpuReleaseAll();
void EDIT_CpuSetPtr();

// ---- behaviour labels ----
constexpr int EDIT_CPU_BEHAVIOURS = 13;
// The (movement, direction kind) pair of behaviour row r (the radio buttons of dialog 139).
struct EDIT_CPU_PAIR {
    i8 move;
    i16 kind;
};
extern const EDIT_CPU_PAIR EditCpuPairTbl[EDIT_CPU_BEHAVIOURS];
// The behaviour row of a mode, -1 for a pair no button stores.
int EDIT_CpuGetModeRow(const CPU_MODE* mode);
// The label of a row; the pickers and dialog 141 use the variant spellings. "" for -1.
const char* EDIT_CpuModeLabel(int row, bool variant);

// ---- rows ----
std::string EDIT_CpuModeRow(const CPU_DATA* data, int mode, bool variant = false);
std::string EDIT_CpuGroupRow(const CPU_DATA* data, int group);
std::string EDIT_CpuAtkRow(int type, const CPU_ATK_GROUP* group, int entry);
// Counter rows shown: one per third technique of mech type 0, at most one per counter entry.
int EDIT_CpuCounterRows();
std::string EDIT_CpuCounterRow(const CPU_DATA* data, int row);
// Technique n's name of a type (UTF-8); "" for a number that names no record.
std::string EDIT_CpuWazaName(int type, int n);
std::string EDIT_CpuPickerRow(int type, int n);  // technique picker row for technique n
std::string EDIT_CpuCounterCaption(const CPU_DATA* data, int counter);   // control 1289
std::string EDIT_CpuReactionCaption(int type, const CPU_COUNTER* counter);  // control 1290

// ---- fillers ----
void EDIT_CpuSetSpin(plat::Dialog* dlg);
void EDIT_CpuSetParam(plat::Dialog* dlg);
// Each list filler selects row sel afterwards (-999: none).
void EDIT_CpuSetModeList(plat::Dialog* dlg, int sel);
void EDIT_CpuSetGroupList(plat::Dialog* dlg, int sel);
void EDIT_CpuSetAtkList(plat::Dialog* dlg, int sel);
void EDIT_CpuSetCounterList(plat::Dialog* dlg, int sel);
void EDIT_CpuMoveInitDlg(plat::Dialog* dlg);
void EDIT_CpuWazaInitDlg(plat::Dialog* dlg);
void EDIT_CpuCounterInitDlg(plat::Dialog* dlg);

// ---- dialogs ----
extern const plat::DlgTemplate EditCpuDlg;
// Every CPU dialog's Destroy calls it: the last one to go gives the technique references back.
void EDIT_CpuDialogGone();
void EDIT_CpuDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
void EDIT_CpuMoveDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
void EDIT_CpuWazaDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
void EDIT_CpuCounterDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
// The pickers' user: the type whose techniques are listed and the picked value, which only a
// double click writes (row - 1 for techniques, the row for basic actions).
struct EDIT_PICK {
    int type;
    int value;
};
void EDIT_SelWazaDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
void EDIT_SelMoveDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
extern const plat::DlgTemplate EditSelWazaDlg;
extern const plat::DlgTemplate EditSelMoveDlg;
