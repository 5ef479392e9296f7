// What the data editors share: their per-editor state and record references, the display-name list
// "ChipTxt\%s.txt", the clamped number reader of the edit fields, the combo fillers, the record-name
// conversion, the dialog placement beside the game window and the frame-entry dialog 115.
//
// The editors build their dialogs on platform/dialog.h; everything here that needs no dialog is a plain
// function so it can be checked without one.
#pragma once
#include <string>
#include <string_view>

#include "battle/data/tama_data.h"
#include "battle/data/waza_data.h"
#include "platform/dialog.h"
#include "platform/window.h"

constexpr int EDIT_KIND_WAZA = 0;   // the CPU editor uses its mech type (1..24)
constexpr int EDIT_KIND_TAMA = 25;  // 25 and above: the weapon editor (dialog 115 shows its weapon controls)
constexpr int EDIT_CHIP_MAX = 128;
constexpr int EDIT_CHIP_NAME = 260;
constexpr int EDIT_ENTRY_SIZE = 16;

// One editor's selections and the references computed from them. Each editor keeps its own, so two
// open editors never address each other's records.
struct EDIT_STATE {
    int kind = 0;
    int type = 0;      // mech type (technique and CPU editors)
    int no = 0;        // technique or weapon number
    int motion = 0;    // motion or phase
    int frame = 0;     // frame or step
    int step = 0;      // step-map index
    int branch = 0;    // input-branch index
    const char* chipStem = "";  // the name list of its animations
    // References: null where the selection names no record.
    WAZA_DATA* waza = nullptr;
    WAZA_MOTION* wazaMotion = nullptr;
    u8* wazaStep = nullptr;
    WAZA_BRANCH* wazaBranch = nullptr;
    TAMA_DATA* tama = nullptr;
    TAMA_PHASE* tamaPhase = nullptr;
    u8* entry = nullptr;         // the 16-byte frame entry (technique frame or weapon step)
    TAMA_FIRE* fire = nullptr;   // the firing entry of the motion or phase
    TAMA_SCALE* scale = nullptr; // weapon steps only: the step's scale entry and shadow byte
    u8* shadow = nullptr;
    u8 undo[EDIT_ENTRY_SIZE] = {};
};

// ---- display names ----
extern char EditChipNameTbl[EDIT_CHIP_MAX][EDIT_CHIP_NAME];
// Fills every name with "---------------", then reads "ChipTxt\<stem>.txt"; 0 when it cannot be opened.
int EDIT_LoadChipTxt(const char* stem);

// ---- numbers ----
// A field's text as a number: blanks, an optional '-' when signed, then decimal digits up to the first
// other character. False for no digit or a value beyond 32 bits.
bool EDIT_ParseInt(std::string_view text, bool isSigned, i64* value);
// The parsed value (the minimum when there is none) clamped to min..max.
i32 EDIT_ClampText(std::string_view text, bool isSigned, i32 min, i32 max);
// Writes the low bytes (1, 2 or 4) of a value, little-endian.
void EDIT_StoreInt(void* dst, i32 value, int bytes);
i32 EDIT_LoadInt(const void* src, int bytes, bool isSigned);
// Reads the control's text into dst, clamped; called on every change of an edit field.
void EDIT_GetDlgInt(plat::Dialog* dlg, int ctl, bool isSigned, i32 min, i32 max, void* dst, int bytes);

// ---- references ----
void EDIT_SetWazaPtr(EDIT_STATE* st);
void EDIT_SetTamaPtr(EDIT_STATE* st);

// ---- combos ----
constexpr int EDIT_HITMARK_ROWS = 26;
constexpr int EDIT_SOUND_ROWS = 56;
extern const char* const EditHitMarkTbl[EDIT_HITMARK_ROWS];
extern const char* const EditSoundTbl[EDIT_SOUND_ROWS];
void EDIT_SetHitMarkCombo(plat::Dialog* dlg, int ctl);
void EDIT_SetSoundCombo(plat::Dialog* dlg, int ctl);
// The sound player of the combos (SE_Play; tests listen in).
extern int (*EditSePlay)(int no, int loop);
// A sound combo's choice: plays effect row - 1 once; row 0 ("無し") plays nothing.
void EDIT_PlayComboSound(int row);

// ---- names and rows ----
// A record name (the record-name encoding, NUL-terminated within size bytes) as UTF-8.
std::string EDIT_NameToUtf8(const char* name, int size);
// Stores UTF-8 text as a record name in the record-name encoding, cut to size - 1 bytes without splitting a character,
// zeros to the end.
void EDIT_NameFromUtf8(std::string_view utf8, char* name, int size);
// Right-aligns text in a field of width columns; a non-ASCII character counts two.
std::string EDIT_PadLeft(std::string_view utf8, int width);
std::string EDIT_Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ---- placement ----
// Where a dialog (its whole window, frame included) goes: (x, y) from the game window frame's top-left
// corner (x < 0: centred on the game window), moved just enough to lie wholly on the screen. When that
// covers the list window, it goes beside the list instead (right, left, below or above it, the nearest
// that covers the least of it).
POINT EDIT_PlaceDialog(const RECT& gameFrame, const plat::ScreenMetrics& screen, i32 width, i32 height, i32 x, i32 y,
                       const RECT& list = {});
// Moves the dialog there, measured against the game window and kept off its list dialog (if any).
void EDIT_MoveDialog(plat::Dialog* dlg, i32 x, i32 y, const plat::Dialog* list = nullptr);
// Before the first editor opens: a full-screen game goes windowed, so the dialogs beside it can be seen,
// and full screen again once the last dialog has closed.
void EDIT_PrepareDisplay();

// ---- dialog 115: one frame entry ----
extern const plat::DlgTemplate EditAnimeDlg;
// The user is the opener's EDIT_STATE, its references recomputed just before.
void EDIT_AnimeDlgProc(plat::Dialog* dlg, plat::DlgMsg msg, int ctl, plat::DlgCode code);
// Opens dialog 115 on the state's frame entry; -1 when it could not be shown.
int EDIT_OpenAnimeDlg(EDIT_STATE* st);
