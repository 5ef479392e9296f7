// The weapon editor: dialog 118 (the weapons and their phases) and dialog 116 (the selected phase)
// beside the game window, with the modal dialogs for the firing entry (119, shared with the technique
// editor), the weapon picker (114), the copy (161) and the movement and laser parameters (146..159).
// Every edit goes straight into the live record; "Save" writes "Dat\Tama.dat".
#pragma once
#include <string>

#include "editors/edit_common.h"

// The weapon editor's own selections and references.
extern EDIT_STATE TamaEditState;
extern plat::Dialog* TamaListDlg;   // 118
extern plat::Dialog* TamaDlg;       // 116

// Opens (or reopens) the editor; 0 when its dialogs cannot be shown.
int EDIT_OpenTamaEditor();
// Refills dialog 116 from the current selection.
void EDIT_TamaRefresh();
extern const plat::DlgTemplate EditSelTamaDlg;
extern const plat::DlgTemplate EditTamaListDlg;

// ---- the record operations behind the buttons ----
// Phases sel+1..3 take sel..2 (phase 3 is lost): the selected phase is doubled.
void EDIT_TamaInsertPhase(TAMA_DATA* data, int sel);
// Phases sel..2 take sel+1..3; phase 3 stays (it is doubled).
void EDIT_TamaDeletePhase(TAMA_DATA* data, int sel);
// Steps sel+1..3 take sel..2 and step sel is cleared.
void EDIT_TamaInsertStep(TAMA_PHASE* phase, int sel);
// Steps sel..2 take sel+1..3; step 3 becomes {99, 0, 0, 0, -1}.
void EDIT_TamaDeleteStep(TAMA_PHASE* phase, int sel);
// Copies the name, in-use flag and phases of weapon src over dst; false (nothing changed) unless both
// are records below the count and differ.
bool EDIT_TamaCopy(int src, int dst);
// The step the list may select: a missing step moves to the slot after the last existing one.
int EDIT_TamaStepSel(const TAMA_PHASE* phase, int sel);

// ---- rows and captions ----
std::string EDIT_TamaRow(int n);                          // "%3d  %s"
std::string EDIT_TamaPhaseRow(const TAMA_DATA* data, int phase);
std::string EDIT_TamaStepRow(const TAMA_PHASE* phase, int step);
std::string EDIT_ShotCaption(const TAMA_FIRE* fire);       // "No.%03d  %s" or "未使用"
// The dialog that "詳細ヾ" (laser = false) or "詳細ゝ" (laser = true) opens; 0 for none.
int EDIT_TamaParamDlgId(const TAMA_PHASE* phase, bool laser);
// The captions of the movement (laser = false) or laser sub-type buttons for a kind.
const char* EDIT_TamaTypeCaption(int kind, bool laser, int i);
const char* EDIT_ShotValueCaption(int fireType, int i);

// ---- the dialog procedures ----
void EDIT_TamaListDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
void EDIT_TamaDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
// Dialog 119 on the opener's state (its fire reference); also opened by the technique editor.
void EDIT_ShotDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
int EDIT_OpenShotDlg(EDIT_STATE* st);
// Dialog 114: the user is an int that receives row - 1 on a double click (and stays on cancel).
void EDIT_SelTamaDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
void EDIT_TamaCopyDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
void EDIT_MslStraightDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
void EDIT_MslHomingDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
void EDIT_MslIrregularDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
void EDIT_MslMineDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
void EDIT_MslInertiaDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
void EDIT_FieldBarrierDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
void EDIT_FieldRangeDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
void EDIT_FieldChipDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
void EDIT_LaserFixedDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
void EDIT_LaserSearchDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
void EDIT_LaserSmoothDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
void EDIT_LaserRandomDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
void EDIT_LaserHomingDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
void EDIT_LaserWriggleDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
// Opens parameter dialog id (146..159) on a phase; -1 when there is none.
int EDIT_OpenTamaParamDlg(int id, TAMA_PHASE* phase);
