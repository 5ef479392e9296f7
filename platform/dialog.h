// Dialog windows for the debug data editors, built from tables of controls. Every dialog keeps its
// controls' state here (text, check, rows, selection, caption, enabled), so the getters answer the same
// with or without a window; a view mirrors that state into real widgets (FLTK) or into nothing (the fake
// for tests). Setting a value from code never notifies the dialog's procedure: only the user's changes do,
// and they arrive from PumpDialogs alone (or from the test hooks below, which act as the user).
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/msgbox.h"
#include "platform/types.h"

namespace plat {

struct Dialog;

enum class CtlKind : u8 {
    Label,   // static text
    Edit,    // text field, notifies on every change
    Spin,    // text field with up / down buttons stepping within min..max (wrapping when asked)
    List,    // list box, `rows` rows high; selection change and double click
    Combo,   // drop-down list; selection change
    Check,   // check box; clicked
    Group,   // the box around the radio buttons that follow it
    Radio,   // one button of the group before it; clicked
    Button,  // push button; clicked
    Break,   // not a control: the next control starts a new column
};

struct DlgControl {
    int id;
    CtlKind kind;
    const char* caption;  // UTF-8; for an edit, spin or combo the label in front of it
    i32 min = 0;
    i32 max = 0;
    bool wrap = false;
    int rows = 1;
};

constexpr DlgControl DlgLabel(int id, const char* caption) { return {id, CtlKind::Label, caption}; }
constexpr DlgControl DlgEdit(int id, const char* caption) { return {id, CtlKind::Edit, caption}; }
constexpr DlgControl DlgSpin(int id, const char* caption, i32 min, i32 max, bool wrap = false) {
    return {id, CtlKind::Spin, caption, min, max, wrap};
}
// A list `columns` layout columns wide.
constexpr DlgControl DlgList(int id, const char* caption, int rows, int columns = 1) {
    return {id, CtlKind::List, caption, 0, columns, false, rows};
}
constexpr DlgControl DlgCombo(int id, const char* caption) { return {id, CtlKind::Combo, caption}; }
constexpr DlgControl DlgCheck(int id, const char* caption) { return {id, CtlKind::Check, caption}; }
constexpr DlgControl DlgGroup(const char* caption) { return {0, CtlKind::Group, caption}; }
constexpr DlgControl DlgRadio(int id, const char* caption) { return {id, CtlKind::Radio, caption}; }
constexpr DlgControl DlgButton(int id, const char* caption) { return {id, CtlKind::Button, caption}; }
constexpr DlgControl DlgBreak() { return {0, CtlKind::Break, ""}; }

// The OK and cancel buttons of a dialog are the message boxes' IDOK and IDCANCEL; a modeless dialog's
// close button (or Esc) is its cancel too.

struct DlgTemplate {
    int id;                   // the dialog's number (tests find dialogs by it)
    const char* title;        // UTF-8
    const DlgControl* controls;
    int count;
    int rowsPerColumn;        // layout: a column holds this many rows before the next begins
    bool okCancel;            // add OK and cancel buttons
};

enum class DlgMsg : u8 { Init, Command, Destroy };
enum class DlgCode : u8 { Nothing, Changed, SelChange, DblClick, Clicked };
// Init after the controls exist (before the dialog shows); Command for a user's change of control ctl
// (IDOK / IDCANCEL with Clicked); Destroy once, when the dialog goes.
using DlgProc = void (*)(Dialog* dlg, DlgMsg msg, int ctl, DlgCode code);

// A modeless dialog, shown; null when dialogs cannot be shown (no display) or Init destroyed it.
Dialog* CreateDialog(const DlgTemplate& tmpl, DlgProc proc, void* user);
// A modal dialog: runs until EndDialog and answers its result; -1 when it could not be made. Cancel
// that the procedure does not end ends it with IDCANCEL.
int DialogBox(const DlgTemplate& tmpl, DlgProc proc, void* user);
void EndDialog(Dialog* dlg, int result);
// Sends Destroy and removes the dialog; the handle is dead afterwards. Nothing for a dead handle.
void DestroyDialog(Dialog* dlg);
// Every dialog, modal ones ended first (the owner window is going).
void DestroyAllDialogs();
bool IsDialog(const Dialog* dlg);
void* GetDialogUser(const Dialog* dlg);
int GetDialogId(const Dialog* dlg);

// The dialog's outer rectangle on the screen; moving keeps its size.
RECT GetDialogRect(const Dialog* dlg);
void MoveDialog(Dialog* dlg, i32 x, i32 y);

// Controls (nothing for an unknown id).
void SetCtlText(Dialog* dlg, int id, std::string_view utf8);
std::string GetCtlText(const Dialog* dlg, int id);
void SetCtlInt(Dialog* dlg, int id, i32 value);
void SetCheck(Dialog* dlg, int id, bool on);
bool GetCheck(const Dialog* dlg, int id);
// Checks the radio button id and clears the others of its group.
void SetRadio(Dialog* dlg, int id);
// The position of the checked button in the group whose first button is firstId; -1 when none.
int GetRadio(const Dialog* dlg, int firstId);
void ClearRows(Dialog* dlg, int id);
void AddRow(Dialog* dlg, int id, std::string_view utf8);
void SetRow(Dialog* dlg, int id, int row, std::string_view utf8);
int GetRowCount(const Dialog* dlg, int id);
std::string GetRow(const Dialog* dlg, int id, int row);
void SetSel(Dialog* dlg, int id, int row);  // -1 none
int GetSel(const Dialog* dlg, int id);
void SetTopRow(Dialog* dlg, int id, int row);
int GetTopRow(const Dialog* dlg, int id);
void SetCaption(Dialog* dlg, int id, std::string_view utf8);
std::string GetCaption(const Dialog* dlg, int id);
void EnableCtl(Dialog* dlg, int id, bool on);
bool IsCtlEnabled(const Dialog* dlg, int id);

// Lets the dialogs answer the user: called on every turn of the message loop.
void PumpDialogs();
// Runs fn once, from the first PumpDialogs that finds no dialog left; a later call replaces it. Dropped
// when the owner window takes every dialog along (DestroyAllDialogs).
void WhenDialogsClosed(std::function<void()> fn);

// ---- tests ----
// Dialogs without widgets: every dialog can be made, nothing is shown.
void UseFakeDialogs(bool on);
// Called with every modal dialog once it stands (under a display: once it shows); it acts as the user.
// A modal dialog the handler leaves open is cancelled. Empty: modal dialogs are cancelled at once.
void SetModalHandler(std::function<void(Dialog* dlg)> handler);
// The newest live dialog of the number; null when none.
Dialog* FindDialog(int tmplId);
// The user's actions: each changes the control, then notifies the procedure.
void TypeText(Dialog* dlg, int id, std::string_view utf8);
void ClickCtl(Dialog* dlg, int id);          // button, check (toggles), radio (checks)
void SelectRow(Dialog* dlg, int id, int row);
void DoubleClickRow(Dialog* dlg, int id, int row);
void SpinCtl(Dialog* dlg, int id, int delta);
// A shown dialog's client pixels, RGB rows top-down; false without a display.
bool CaptureDialog(Dialog* dlg, std::vector<u8>* rgb, i32* width, i32* height);
// The user's mouse and keyboard on a shown dialog, handed to the widget toolkit as its events (false
// without a display): a left click at client pixel (x, y); a key, taken only while the dialog has the
// window system's keyboard focus.
enum class DlgKey : u8 { Escape };
bool ClickDialogAt(Dialog* dlg, i32 x, i32 y);
bool PressDialogKey(Dialog* dlg, DlgKey key);
// Whether the window system sends the keyboard to the dialog's window.
bool DialogHasFocus(const Dialog* dlg);

}  // namespace plat
