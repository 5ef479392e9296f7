// The technique editor: one technique of a mech type edited live in dialog 113 (head values, step
// map, loops, jumps, motions) and dialog 107 (the current motion: movement, hit, knock-back, frames),
// with the frame entry in dialog 115 and the firing entry in dialog 119. The technique menu saves the
// ".waz" file.
#pragma once
#include <string>

#include "editors/edit_dialogs.h"

// Its selections (kind 0, type, technique, motion, frame, step, jump) and references.
extern EDIT_STATE WazaEditState;
extern int WazaEditLoop;  // the selected loop entry 0..3

// Opens dialogs 113 and 107 on technique `waza` of the type; 0 (nothing opened) for a technique
// outside 0..count-1 or when the dialogs cannot be shown. Holds its own technique reference on the
// type while either dialog is open.
int EDIT_OpenWazaEditor(int type, int waza);

// ---- record operations behind the buttons ----
constexpr u8 EDIT_WAZA_EMPTY = 99;  // 'c'
// Steps sel..30 take sel+1..31; step 31 becomes empty.
void EDIT_WazaDeleteStep(WAZA_DATA* data, int sel);
// Motions sel+1..15 take sel..14 (motion 15 is lost): the selected motion is doubled.
void EDIT_WazaInsertMotion(WAZA_DATA* data, int sel);
// Motions sel..14 take sel+1..15; motion 15 stays (a copy of 14 remains).
void EDIT_WazaDeleteMotion(WAZA_DATA* data, int sel);
// Frames sel+1..9 take sel..8 (frame 9 is lost) and frame sel is zeroed.
void EDIT_WazaInsertFrame(WAZA_MOTION* motion, int sel);
// Frames sel..8 take sel+1..9; frame 9 becomes {anim 99, turn 0, hit bits 0, wait mode 0, wait -1}.
void EDIT_WazaDeleteFrame(WAZA_MOTION* motion, int sel);
// Writes loop entry sel as {end, start, count}.
void EDIT_WazaSetLoop(WAZA_DATA* data, int sel, int start, int end, int count);
void EDIT_WazaDeleteLoop(WAZA_DATA* data, int sel);
void EDIT_WazaSetJump(WAZA_DATA* data, int sel, int from, int to, int kind, int value);
void EDIT_WazaDeleteJump(WAZA_DATA* data, int sel);
// Where a selection lands: a used row stays; an empty one moves to the row after the last used one
// (for steps the last used one anywhere, for the others the last one before it), at most the last row.
int EDIT_WazaStepSel(const WAZA_DATA* data, int sel);
int EDIT_WazaMotionSel(const WAZA_DATA* data, int sel);
int EDIT_WazaLoopSel(const WAZA_DATA* data, int sel);
int EDIT_WazaJumpSel(const WAZA_DATA* data, int sel);

// ---- rows ----
std::string EDIT_WazaStepRow(const WAZA_DATA* data, int step);
std::string EDIT_WazaMotionRow(const WAZA_DATA* data, int motion);
std::string EDIT_WazaLoopRow(const WAZA_DATA* data, int loop);
std::string EDIT_WazaJumpRow(const WAZA_DATA* data, int jump);
std::string EDIT_WazaFrameRow(const WAZA_MOTION* motion, int frame);

// ---- dialogs ----
extern const plat::DlgTemplate EditWazaDlg;   // 113
extern const plat::DlgTemplate EditWazaDlg2;  // 107
void EDIT_WazaDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
void EDIT_WazaDlgProc2(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
// Both dialogs' Destroy calls it: the last one to go gives the technique reference back.
void EDIT_WazaDialogGone();
// Refills dialog 107 from the current motion (after a change of motion).
void EDIT_WazaRefresh2();
