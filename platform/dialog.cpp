#include "platform/dialog.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>

#include "platform/debug.h"
#include "platform/dialog_internal.h"

namespace plat {

namespace {

std::vector<Dialog*> g_dialogs;
bool g_fake = false;
std::function<void(Dialog*)> g_modalHandler;
std::function<void()> g_whenClosed;

// Null for the fake; the widget view otherwise (null too when there is no display: then nothing opens).
DialogView* View() { return g_fake ? nullptr : GetFltkDialogView(); }
bool CanOpen() { return g_fake || GetFltkDialogView() != nullptr; }

bool Alive(const Dialog* dlg) {
    return dlg && std::find(g_dialogs.begin(), g_dialogs.end(), dlg) != g_dialogs.end() && dlg->alive;
}

int Find(const Dialog* dlg, int id) {
    if (!Alive(dlg) || id == 0) return -1;
    for (size_t i = 0; i < dlg->ctls.size(); i++)
        if (dlg->ctls[i].def.id == id && dlg->ctls[i].def.kind != CtlKind::Group) return static_cast<int>(i);
    return -1;
}

void Update(Dialog* dlg, int i) {
    if (DialogView* v = View(); v && dlg->view) v->Update(dlg, i);
}

Dialog* Make(const DlgTemplate& tmpl, DlgProc proc, void* user, bool modal) {
    auto* dlg = new Dialog;
    dlg->tmpl = &tmpl;
    dlg->proc = proc;
    dlg->user = user;
    dlg->modal = modal;
    int group = -1;
    for (int i = 0; i < tmpl.count; i++) {
        DlgCtlState s;
        s.def = tmpl.controls[i];
        s.caption = s.def.caption ? s.def.caption : "";
        if (s.def.kind == CtlKind::Group) group = i;
        else if (s.def.kind == CtlKind::Radio) s.group = group;
        else if (s.def.kind != CtlKind::Break) group = -1;
        if (s.def.kind == CtlKind::Label) s.text = s.caption;
        dlg->ctls.push_back(std::move(s));
    }
    if (tmpl.okCancel) {
        for (const DlgControl& def : {DlgButton(IDOK, "OK"), DlgButton(IDCANCEL, "取消")}) {
            DlgCtlState s;
            s.def = def;
            s.caption = def.caption;
            dlg->ctls.push_back(std::move(s));
        }
    }
    const DlgLayout layout = LayoutDialog(dlg);
    dlg->rect = {0, 0, layout.width, layout.height};
    g_dialogs.push_back(dlg);
    if (DialogView* v = View(); v && !v->Open(dlg)) {
        g_dialogs.pop_back();
        delete dlg;
        return nullptr;
    }
    return dlg;
}

// Shown only once Init has filled and placed it, so it never appears elsewhere first.
void Show(Dialog* dlg) {
    if (DialogView* v = View(); v && dlg->view) v->Show(dlg);
}

void Remove(Dialog* dlg) {
    g_dialogs.erase(std::remove(g_dialogs.begin(), g_dialogs.end(), dlg), g_dialogs.end());
    delete dlg;
}

i32 StepValue(i32 value, int delta, i32 min, i32 max, bool wrap) {
    i64 v = static_cast<i64>(value) + delta;
    if (v < min) return wrap ? max : min;
    if (v > max) return wrap ? min : max;
    return static_cast<i32>(v);
}

// The layout with columns colW wide.
DlgLayout LayoutColumns(const Dialog* dlg, i32 colW) {
    constexpr i32 margin = 8;
    DlgLayout out;
    std::vector<DlgBox>* boxes = &out.boxes;
    boxes->assign(dlg->ctls.size(), {0, 0, 0, 0});
    auto heightOf = [&](size_t i) -> i32 {
        const DlgControl& d = dlg->ctls[i].def;
        switch (d.kind) {
        case CtlKind::List: return d.rows * 18 + 6;
        case CtlKind::Group: {
            i32 h = kDlgRow;
            for (size_t j = i + 1; j < dlg->ctls.size() && dlg->ctls[j].def.kind == CtlKind::Radio; j++) h += 20;
            return h + 4;
        }
        case CtlKind::Radio: return 20;
        case CtlKind::Check: return 20;
        case CtlKind::Break: return 0;
        default: return kDlgRow;
        }
    };
    // A list wider than a column, when it comes first, is a band across the top; the columns start below.
    size_t first = 0;
    i32 top = margin, right = margin;
    if (!dlg->ctls.empty() && dlg->ctls[0].def.kind == CtlKind::List && dlg->ctls[0].def.max > 1) {
        const i32 span = dlg->ctls[0].def.max;
        const i32 w = span * colW + (span - 1) * margin;
        (*boxes)[0] = {margin, margin, w, heightOf(0)};
        top = margin + heightOf(0) + margin;
        right = margin + w;
        first = 1;
    }
    const i32 limit = top + std::max(dlg->tmpl->rowsPerColumn, 4) * kDlgRow;
    i32 x = margin, y = top, bottom = top;
    const size_t last = dlg->ctls.size() - (dlg->tmpl->okCancel ? 2 : 0);
    for (size_t i = first; i < last; i++) {
        const DlgCtlState& c = dlg->ctls[i];
        const i32 h = heightOf(i);
        if (c.def.kind == CtlKind::Break || (c.def.kind != CtlKind::Radio && y > top && y + h > limit)) {
            x += colW + margin;
            y = top;
            if (c.def.kind == CtlKind::Break) continue;
        }
        if (c.def.kind == CtlKind::Radio) {
            (*boxes)[i] = {x + 10, y, colW - 14, 20};
        } else if (c.def.kind == CtlKind::Group) {
            (*boxes)[i] = {x, y + 4, colW, h - 4};
            y += kDlgRow;
            bottom = std::max(bottom, y + h);
            right = std::max(right, x + colW);
            continue;
        } else {
            (*boxes)[i] = {x, y, colW, h};
        }
        const bool groupEnds = c.def.kind == CtlKind::Radio && (i + 1 == last || dlg->ctls[i + 1].def.kind != CtlKind::Radio);
        y += h + (groupEnds ? 6 : 0);
        bottom = std::max(bottom, y);
        right = std::max(right, x + colW);
    }
    if (dlg->tmpl->okCancel) {
        const size_t n = dlg->ctls.size();
        right = std::max(right, 2 * 90 + 3 * margin);
        (*boxes)[n - 2] = {right - 2 * 90 - margin, bottom + margin, 90, 26};
        (*boxes)[n - 1] = {right - 90, bottom + margin, 90, 26};
        bottom += 26 + margin;
    }
    out.width = right + margin;
    out.height = bottom + margin;
    out.labelW = colW * kDlgLabelW / kDlgColumnW;
    return out;
}

}  // namespace

DlgLayout LayoutDialog(const Dialog* dlg) {
    constexpr i32 margin = 8;
    DlgLayout out = LayoutColumns(dlg, kDlgColumnW);
    if (out.width <= kDlgMaxWidth) return out;
    const i32 columns = (out.width - margin) / (kDlgColumnW + margin);
    out = LayoutColumns(dlg, (kDlgMaxWidth - margin) / columns - margin);
    out.fontSize = 12;
    return out;
}

Dialog* CreateDialog(const DlgTemplate& tmpl, DlgProc proc, void* user) {
    if (!CanOpen()) return nullptr;
    Dialog* dlg = Make(tmpl, proc, user, false);
    if (!dlg) return nullptr;
    dlg->proc(dlg, DlgMsg::Init, 0, DlgCode::Nothing);
    if (!Alive(dlg)) return nullptr;
    Show(dlg);
    return dlg;
}

int DialogBox(const DlgTemplate& tmpl, DlgProc proc, void* user) {
    if (!CanOpen()) return -1;
    Dialog* dlg = Make(tmpl, proc, user, true);
    if (!dlg) return -1;
    dlg->proc(dlg, DlgMsg::Init, 0, DlgCode::Nothing);
    if (Alive(dlg) && !dlg->ended) {
        Show(dlg);
        if (g_modalHandler) g_modalHandler(dlg);
        if (Alive(dlg) && !dlg->ended) {
            if (DialogView* v = View(); v && !g_modalHandler) v->RunModal(dlg);
            else ClickCtl(dlg, IDCANCEL);
        }
    }
    if (!Alive(dlg)) return -1;
    const int result = dlg->result;
    DestroyDialog(dlg);
    return result;
}

void EndDialog(Dialog* dlg, int result) {
    if (!Alive(dlg) || !dlg->modal) return;
    dlg->ended = true;
    dlg->result = result;
}

void DestroyDialog(Dialog* dlg) {
    if (!Alive(dlg)) return;
    dlg->alive = false;
    dlg->ended = true;
    dlg->proc(dlg, DlgMsg::Destroy, 0, DlgCode::Nothing);
    if (DialogView* v = View(); v && dlg->view) v->Close(dlg);
    Remove(dlg);
}

void DestroyAllDialogs() {
    g_whenClosed = nullptr;
    for (Dialog* d : g_dialogs) d->ended = true;
    while (!g_dialogs.empty()) {
        Dialog* d = g_dialogs.back();
        if (d->alive) DestroyDialog(d);
        else Remove(d);
    }
}

bool IsDialog(const Dialog* dlg) { return Alive(dlg); }
void* GetDialogUser(const Dialog* dlg) { return Alive(dlg) ? dlg->user : nullptr; }
int GetDialogId(const Dialog* dlg) { return Alive(dlg) ? dlg->tmpl->id : 0; }

RECT GetDialogRect(const Dialog* dlg) { return Alive(dlg) ? dlg->rect : RECT{0, 0, 0, 0}; }

void MoveDialog(Dialog* dlg, i32 x, i32 y) {
    if (!Alive(dlg)) return;
    const i32 w = dlg->rect.right - dlg->rect.left, h = dlg->rect.bottom - dlg->rect.top;
    dlg->rect = {x, y, x + w, y + h};
    if (DialogView* v = View(); v && dlg->view) v->Move(dlg);
}

void SetCtlText(Dialog* dlg, int id, std::string_view utf8) {
    const int i = Find(dlg, id);
    if (i < 0) return;
    dlg->ctls[i].text = utf8;
    if (dlg->ctls[i].def.kind == CtlKind::Label) dlg->ctls[i].caption = utf8;
    Update(dlg, i);
}

std::string GetCtlText(const Dialog* dlg, int id) {
    const int i = Find(dlg, id);
    return i < 0 ? std::string() : dlg->ctls[i].text;
}

void SetCtlInt(Dialog* dlg, int id, i32 value) { SetCtlText(dlg, id, std::to_string(value)); }

void SetCheck(Dialog* dlg, int id, bool on) {
    const int i = Find(dlg, id);
    if (i < 0) return;
    if (dlg->ctls[i].def.kind == CtlKind::Radio && on) return SetRadio(dlg, id);
    dlg->ctls[i].checked = on;
    Update(dlg, i);
}

bool GetCheck(const Dialog* dlg, int id) {
    const int i = Find(dlg, id);
    return i >= 0 && dlg->ctls[i].checked;
}

void SetRadio(Dialog* dlg, int id) {
    const int i = Find(dlg, id);
    if (i < 0) return;
    const int g = dlg->ctls[i].group;
    for (size_t j = 0; j < dlg->ctls.size(); j++) {
        DlgCtlState& c = dlg->ctls[j];
        if (c.def.kind != CtlKind::Radio || (static_cast<int>(j) != i && (g < 0 || c.group != g))) continue;
        const bool on = static_cast<int>(j) == i;
        if (c.checked != on) {
            c.checked = on;
            Update(dlg, static_cast<int>(j));
        }
    }
}

int GetRadio(const Dialog* dlg, int firstId) {
    const int i = Find(dlg, firstId);
    if (i < 0) return -1;
    const int g = dlg->ctls[i].group;
    int pos = 0;
    for (size_t j = i; j < dlg->ctls.size() && dlg->ctls[j].def.kind == CtlKind::Radio && dlg->ctls[j].group == g; j++, pos++)
        if (dlg->ctls[j].checked) return pos;
    return -1;
}

void ClearRows(Dialog* dlg, int id) {
    const int i = Find(dlg, id);
    if (i < 0) return;
    dlg->ctls[i].rows.clear();
    dlg->ctls[i].sel = -1;
    dlg->ctls[i].top = 0;
    Update(dlg, i);
}

void AddRow(Dialog* dlg, int id, std::string_view utf8) {
    const int i = Find(dlg, id);
    if (i < 0) return;
    dlg->ctls[i].rows.emplace_back(utf8);
    Update(dlg, i);
}

void SetRow(Dialog* dlg, int id, int row, std::string_view utf8) {
    const int i = Find(dlg, id);
    if (i < 0 || row < 0 || row >= static_cast<int>(dlg->ctls[i].rows.size())) return;
    dlg->ctls[i].rows[row] = utf8;
    Update(dlg, i);
}

int GetRowCount(const Dialog* dlg, int id) {
    const int i = Find(dlg, id);
    return i < 0 ? 0 : static_cast<int>(dlg->ctls[i].rows.size());
}

std::string GetRow(const Dialog* dlg, int id, int row) {
    const int i = Find(dlg, id);
    if (i < 0 || row < 0 || row >= static_cast<int>(dlg->ctls[i].rows.size())) return {};
    return dlg->ctls[i].rows[row];
}

void SetSel(Dialog* dlg, int id, int row) {
    const int i = Find(dlg, id);
    if (i < 0) return;
    DlgCtlState& c = dlg->ctls[i];
    c.sel = row >= 0 && row < static_cast<int>(c.rows.size()) ? row : -1;
    Update(dlg, i);
}

int GetSel(const Dialog* dlg, int id) {
    const int i = Find(dlg, id);
    return i < 0 ? -1 : dlg->ctls[i].sel;
}

void SetTopRow(Dialog* dlg, int id, int row) {
    const int i = Find(dlg, id);
    if (i < 0) return;
    DlgCtlState& c = dlg->ctls[i];
    c.top = std::clamp(row, 0, std::max(0, static_cast<int>(c.rows.size()) - 1));
    Update(dlg, i);
}

int GetTopRow(const Dialog* dlg, int id) {
    const int i = Find(dlg, id);
    return i < 0 ? 0 : dlg->ctls[i].top;
}

void SetCaption(Dialog* dlg, int id, std::string_view utf8) {
    const int i = Find(dlg, id);
    if (i < 0) return;
    dlg->ctls[i].caption = utf8;
    Update(dlg, i);
}

std::string GetCaption(const Dialog* dlg, int id) {
    const int i = Find(dlg, id);
    return i < 0 ? std::string() : dlg->ctls[i].caption;
}

void EnableCtl(Dialog* dlg, int id, bool on) {
    const int i = Find(dlg, id);
    if (i < 0 || dlg->ctls[i].enabled == on) return;
    dlg->ctls[i].enabled = on;
    Update(dlg, i);
}

bool IsCtlEnabled(const Dialog* dlg, int id) {
    const int i = Find(dlg, id);
    return i >= 0 && dlg->ctls[i].enabled;
}

bool DialogsOpen() { return !g_dialogs.empty(); }

void PumpDialogs() {
    if (DialogView* v = View(); v && !g_dialogs.empty()) v->Pump();
    if (g_dialogs.empty() && g_whenClosed) std::exchange(g_whenClosed, nullptr)();
}

void WhenDialogsClosed(std::function<void()> fn) { g_whenClosed = std::move(fn); }

void NotifyDialog(Dialog* dlg, int i, DlgCode code) {
    if (!Alive(dlg)) return;
    const int id = dlg->ctls[i].def.id;
    dlg->proc(dlg, DlgMsg::Command, id, code);
    if (!Alive(dlg) || (id != IDOK && id != IDCANCEL)) return;
    if (dlg->modal) {
        if (!dlg->ended) EndDialog(dlg, id);
    } else if (id == IDCANCEL) {
        DestroyDialog(dlg);
    }
}

void CloseDialogByUser(Dialog* dlg) {
    if (!Alive(dlg)) return;
    const int i = Find(dlg, IDCANCEL);
    if (i >= 0) return NotifyDialog(dlg, i, DlgCode::Clicked);
    dlg->proc(dlg, DlgMsg::Command, IDCANCEL, DlgCode::Clicked);
    if (!Alive(dlg)) return;
    if (dlg->modal) {
        if (!dlg->ended) EndDialog(dlg, IDCANCEL);
    } else {
        DestroyDialog(dlg);
    }
}

// ---- tests ----

void UseFakeDialogs(bool on) { g_fake = on; }
void SetModalHandler(std::function<void(Dialog*)> handler) { g_modalHandler = std::move(handler); }

Dialog* FindDialog(int tmplId) {
    for (auto it = g_dialogs.rbegin(); it != g_dialogs.rend(); ++it)
        if ((*it)->alive && (*it)->tmpl->id == tmplId) return *it;
    return nullptr;
}

void TypeText(Dialog* dlg, int id, std::string_view utf8) {
    const int i = Find(dlg, id);
    if (i < 0 || !dlg->ctls[i].enabled) return;
    SetCtlText(dlg, id, utf8);
    NotifyDialog(dlg, i, DlgCode::Changed);
}

void ClickCtl(Dialog* dlg, int id) {
    const int i = Find(dlg, id);
    if (i < 0) {
        if (Alive(dlg) && id == IDCANCEL) CloseDialogByUser(dlg);
        return;
    }
    if (!dlg->ctls[i].enabled) return;
    if (dlg->ctls[i].def.kind == CtlKind::Check) SetCheck(dlg, id, !dlg->ctls[i].checked);
    if (dlg->ctls[i].def.kind == CtlKind::Radio) SetRadio(dlg, id);
    NotifyDialog(dlg, i, DlgCode::Clicked);
}

void SelectRow(Dialog* dlg, int id, int row) {
    const int i = Find(dlg, id);
    if (i < 0 || !dlg->ctls[i].enabled) return;
    SetSel(dlg, id, row);
    NotifyDialog(dlg, i, DlgCode::SelChange);
}

void DoubleClickRow(Dialog* dlg, int id, int row) {
    SelectRow(dlg, id, row);
    const int i = Find(dlg, id);
    if (i >= 0 && dlg->ctls[i].enabled) NotifyDialog(dlg, i, DlgCode::DblClick);
}

void SpinCtl(Dialog* dlg, int id, int delta) {
    const int i = Find(dlg, id);
    if (i < 0 || !dlg->ctls[i].enabled || dlg->ctls[i].def.kind != CtlKind::Spin) return;
    const DlgControl& d = dlg->ctls[i].def;
    const i32 value = StepValue(std::atoi(dlg->ctls[i].text.c_str()), delta, d.min, d.max, d.wrap);
    SetCtlInt(dlg, id, value);
    NotifyDialog(dlg, i, DlgCode::Changed);
}

bool CaptureDialog(Dialog* dlg, std::vector<u8>* rgb, i32* width, i32* height) {
    DialogView* v = View();
    return Alive(dlg) && v && dlg->view && v->Capture(dlg, rgb, width, height);
}

bool ClickDialogAt(Dialog* dlg, i32 x, i32 y) {
    DialogView* v = View();
    return Alive(dlg) && v && dlg->view && v->Click(dlg, x, y);
}

bool PressDialogKey(Dialog* dlg, DlgKey key) {
    DialogView* v = View();
    return Alive(dlg) && v && dlg->view && v->PressKey(dlg, key);
}

bool DialogHasFocus(const Dialog* dlg) {
    DialogView* v = View();
    return Alive(dlg) && v && dlg->view && v->HasFocus(dlg);
}

}  // namespace plat
