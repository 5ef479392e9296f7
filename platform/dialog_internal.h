// The dialog service's state and the view interface its widget back end (FLTK) implements.
#pragma once
#include <string>
#include <vector>

#include "platform/dialog.h"

namespace plat {

struct DlgCtlState {
    DlgControl def;
    int group = -1;        // radios: index of their Group entry
    std::string text;      // edit / spin text, label caption
    std::string caption;   // current caption (buttons, checks, radios, labels)
    bool checked = false;
    bool enabled = true;
    std::vector<std::string> rows;
    int sel = -1;
    int top = 0;
    void* widget = nullptr;  // the view's
};

struct Dialog {
    const DlgTemplate* tmpl = nullptr;
    DlgProc proc = nullptr;
    void* user = nullptr;
    bool modal = false;
    bool ended = false;
    int result = 0;
    bool alive = true;
    RECT rect{0, 0, 0, 0};
    std::vector<DlgCtlState> ctls;
    void* view = nullptr;  // the view's window
};

// The widget side. Every call gets a dialog whose state is current.
class DialogView {
public:
    virtual ~DialogView() = default;
    // Builds the window, not shown yet; false when it cannot. Sets dlg->rect, frame included.
    virtual bool Open(Dialog* dlg) = 0;
    // Shows it where dlg->rect says, once its procedure has placed it.
    virtual void Show(Dialog* dlg) = 0;
    virtual void Close(Dialog* dlg) = 0;
    // Copies control i's state into its widget.
    virtual void Update(Dialog* dlg, int i) = 0;
    virtual void Move(Dialog* dlg) = 0;
    // Waits for events until the modal dialog has ended.
    virtual void RunModal(Dialog* dlg) = 0;
    virtual void Pump() = 0;
    virtual bool Capture(Dialog* dlg, std::vector<u8>* rgb, i32* width, i32* height) = 0;
    virtual bool Click(Dialog* dlg, i32 x, i32 y) = 0;
    virtual bool PressKey(Dialog* dlg, DlgKey key) = 0;
    virtual bool HasFocus(const Dialog* dlg) = 0;
};

// The FLTK view, or null when no display can be opened.
DialogView* GetFltkDialogView();
// The user changed control i (the view has stored the new state); notifies the procedure.
void NotifyDialog(Dialog* dlg, int i, DlgCode code);
// The user closed the window.
void CloseDialogByUser(Dialog* dlg);
// Whether any dialog is live (the message wait then wakes often enough for them).
bool DialogsOpen();

}  // namespace plat

namespace plat {

struct DlgBox {
    i32 x, y, w, h;
};
struct DlgLayout {
    std::vector<DlgBox> boxes;  // one per entry of dlg->ctls, OK and cancel included
    i32 width = 0, height = 0;  // the client size
    i32 labelW = 0;             // the label in front of an edit, spin or combo
    int fontSize = 13;
};
// Where every control of the dialog goes: labelled rows in columns. A dialog wider than kDlgMaxWidth
// gets narrower columns and a smaller font, so every dialog fits a 1024x768 screen with its frame.
DlgLayout LayoutDialog(const Dialog* dlg);
constexpr i32 kDlgRow = 22;
constexpr i32 kDlgLabelW = 128;
constexpr i32 kDlgFieldW = 96;
constexpr i32 kDlgColumnW = kDlgLabelW + kDlgFieldW + 8;
constexpr i32 kDlgMaxWidth = 1000;
constexpr i32 kDlgMaxHeight = 720;

}  // namespace plat
