// The dialog service's widgets on FLTK 1.3. FLTK starts only when SDL runs on a real video driver and
// an X display opens: FLTK would end the process if it failed to open one itself, so it is handed ours.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Image_Surface.H>
#include <FL/Fl_Device.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Repeat_Button.H>
#include <FL/Fl_Round_Button.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/debug.h"
#include "platform/dialog_internal.h"

namespace plat {

namespace {

constexpr Fl_Font kFont = FL_FREE_FONT;

struct CtlLink {
    Dialog* dlg;
    int index;
};

struct View {
    Fl_Double_Window* window = nullptr;
    i32 labelW = kDlgLabelW;
    int fontSize = 13;
    std::vector<std::unique_ptr<CtlLink>> links;
};

class DlgWindow : public Fl_Double_Window {
public:
    DlgWindow(int w, int h, const char* title, Dialog* dlg) : Fl_Double_Window(w, h, title), dlg_(dlg) {}
    Dialog* dlg_;
};

void OnClose(Fl_Widget* w, void*) { CloseDialogByUser(static_cast<DlgWindow*>(w)->dlg_); }

void OnInput(Fl_Widget* w, void* data) {
    auto* link = static_cast<CtlLink*>(data);
    link->dlg->ctls[link->index].text = static_cast<Fl_Input*>(w)->value();
    NotifyDialog(link->dlg, link->index, DlgCode::Changed);
}

void OnSpinUp(Fl_Widget*, void* data) {
    auto* link = static_cast<CtlLink*>(data);
    SpinCtl(link->dlg, link->dlg->ctls[link->index].def.id, 1);
}

void OnSpinDown(Fl_Widget*, void* data) {
    auto* link = static_cast<CtlLink*>(data);
    SpinCtl(link->dlg, link->dlg->ctls[link->index].def.id, -1);
}

void OnBrowser(Fl_Widget* w, void* data) {
    // The procedure may destroy the dialog (and this link with it): keep what is needed.
    auto* link = static_cast<CtlLink*>(data);
    Dialog* dlg = link->dlg;
    const int index = link->index;
    auto* b = static_cast<Fl_Hold_Browser*>(w);
    DlgCtlState& c = dlg->ctls[index];
    const int sel = b->value() - 1;
    if (sel < 0) return;
    c.top = b->topline() - 1;
    const bool dbl = Fl::event_clicks() != 0;
    if (sel != c.sel || !dbl) {
        c.sel = sel;
        NotifyDialog(dlg, index, DlgCode::SelChange);
    }
    if (dbl && IsDialog(dlg)) NotifyDialog(dlg, index, DlgCode::DblClick);
}

void OnChoice(Fl_Widget* w, void* data) {
    auto* link = static_cast<CtlLink*>(data);
    link->dlg->ctls[link->index].sel = static_cast<Fl_Choice*>(w)->value();
    NotifyDialog(link->dlg, link->index, DlgCode::SelChange);
}

void OnCheck(Fl_Widget* w, void* data) {
    auto* link = static_cast<CtlLink*>(data);
    link->dlg->ctls[link->index].checked = static_cast<Fl_Button*>(w)->value() != 0;
    NotifyDialog(link->dlg, link->index, DlgCode::Clicked);
}

void OnRadio(Fl_Widget*, void* data) {
    auto* link = static_cast<CtlLink*>(data);
    SetRadio(link->dlg, link->dlg->ctls[link->index].def.id);
    NotifyDialog(link->dlg, link->index, DlgCode::Clicked);
}

void OnButton(Fl_Widget*, void* data) {
    auto* link = static_cast<CtlLink*>(data);
    NotifyDialog(link->dlg, link->index, DlgCode::Clicked);
}

// A menu item's text without FLTK's menu syntax ('/' submenus, '&' shortcuts, '\' escapes).
std::string MenuText(const std::string& s) {
    std::string out;
    for (char ch : s) {
        if (ch == '/' || ch == '\\') out += '\\';
        if (ch == '&') out += '&';
        out += ch;
    }
    return out;
}

// A caption as FLTK draws it literally ('@' starts a symbol there).
std::string LabelText(const std::string& s) {
    std::string out;
    for (char ch : s) {
        out += ch;
        if (ch == '@') out += '@';
    }
    return out;
}

// The caption in the dialog's size, or smaller where that would not fit in room pixels (cut off otherwise).
void SetLabel(Fl_Widget* w, const std::string& caption, int size, int room) {
    const std::string text = LabelText(caption);
    if (text != (w->label() ? w->label() : "")) w->copy_label(text.c_str());
    for (; size > 9; size--) {
        fl_font(kFont, size);
        if (fl_width(caption.c_str()) <= room) break;
    }
    w->labelsize(size);
}

std::string RowText(Fl_Browser* b, int line) {
    const char* t = b->text(line);
    return t ? t : "";
}

void Style(Fl_Widget* w, int size) {
    w->labelfont(kFont);
    w->labelsize(size);
}

class FltkView final : public DialogView {
public:
    bool Open(Dialog* dlg) override {
        const DlgLayout layout = LayoutDialog(dlg);
        const std::vector<DlgBox>& boxes = layout.boxes;
        const i32 labelW = layout.labelW;
        const int size = layout.fontSize;
        auto* view = new View;
        auto* win = new DlgWindow(layout.width, layout.height, dlg->tmpl->title, dlg);
        view->window = win;
        view->labelW = labelW;
        view->fontSize = size;
        dlg->view = view;  // Update reads it for every control made below
        Style(win, size);
        win->callback(OnClose);
        Fl_Group* group = nullptr;
        for (size_t i = 0; i < dlg->ctls.size(); i++) {
            DlgCtlState& c = dlg->ctls[i];
            const DlgBox& b = boxes[i];
            if (group && c.def.kind != CtlKind::Radio) {
                group->end();
                group = nullptr;
            }
            view->links.push_back(std::make_unique<CtlLink>(CtlLink{dlg, static_cast<int>(i)}));
            void* link = view->links.back().get();
            Fl_Widget* w = nullptr;
            switch (c.def.kind) {
            case CtlKind::Label: {
                auto* box = new Fl_Box(b.x, b.y, b.w, b.h);
                box->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
                w = box;
                break;
            }
            case CtlKind::Edit: {
                auto* in = new Fl_Input(b.x + labelW, b.y + 1, b.w - labelW, b.h - 2);
                in->when(FL_WHEN_CHANGED);
                in->callback(OnInput, link);
                in->textfont(kFont);
                in->textsize(size);
                w = in;
                break;
            }
            case CtlKind::Spin: {
                auto* g = new Fl_Group(b.x, b.y, b.w, b.h);
                auto* in = new Fl_Input(b.x + labelW, b.y + 1, b.w - labelW - 36, b.h - 2);
                in->when(FL_WHEN_CHANGED);
                in->callback(OnInput, link);
                in->textsize(size);
                auto* down = new Fl_Repeat_Button(b.x + b.w - 36, b.y + 1, 18, b.h - 2, "@-22<");
                down->callback(OnSpinDown, link);
                auto* up = new Fl_Repeat_Button(b.x + b.w - 18, b.y + 1, 18, b.h - 2, "@-22>");
                up->callback(OnSpinUp, link);
                g->end();
                g->resizable(nullptr);
                c.widget = in;
                Style(in, size);
                Update(dlg, static_cast<int>(i));
                continue;
            }
            case CtlKind::List: {
                auto* br = new Fl_Hold_Browser(b.x, b.y, b.w, b.h);
                br->format_char(0);  // rows are plain text
                br->callback(OnBrowser, link);
                br->textfont(kFont);
                br->textsize(size);
                w = br;
                break;
            }
            case CtlKind::Combo: {
                auto* ch = new Fl_Choice(b.x + labelW, b.y + 1, b.w - labelW, b.h - 2);
                ch->callback(OnChoice, link);
                ch->textfont(kFont);
                ch->textsize(size);
                w = ch;
                break;
            }
            case CtlKind::Check: {
                auto* cb = new Fl_Check_Button(b.x, b.y, b.w, b.h);
                cb->callback(OnCheck, link);
                w = cb;
                break;
            }
            case CtlKind::Group: {
                group = new Fl_Group(b.x, b.y, b.w, b.h);
                group->box(FL_ENGRAVED_FRAME);
                group->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
                Style(group, size);
                SetLabel(group, c.caption, size, b.w - 6);
                continue;
            }
            case CtlKind::Radio: {
                auto* rb = new Fl_Round_Button(b.x, b.y, b.w, b.h);
                rb->type(FL_RADIO_BUTTON);
                rb->callback(OnRadio, link);
                w = rb;
                break;
            }
            case CtlKind::Button: {
                auto* bt = new Fl_Button(b.x, b.y, b.w, b.h);
                bt->callback(OnButton, link);
                w = bt;
                break;
            }
            case CtlKind::Break: continue;
            }
            c.widget = w;
            Style(w, size);
            Update(dlg, static_cast<int>(i));
        }
        if (group) group->end();
        win->end();
        win->position(dlg->rect.left, dlg->rect.top);
        if (dlg->modal) win->set_modal();  // takes the input until it closes; set before it shows
        win->show();
        return true;
    }

    void Close(Dialog* dlg) override {
        auto* view = static_cast<View*>(dlg->view);
        dlg->view = nullptr;
        view->window->hide();
        Fl::delete_widget(view->window);
        delete view;
    }

    void Update(Dialog* dlg, int i) override {
        DlgCtlState& c = dlg->ctls[i];
        auto* w = static_cast<Fl_Widget*>(c.widget);
        if (!w) return;
        const View* view = static_cast<View*>(dlg->view);
        if (c.enabled) w->activate();
        else w->deactivate();
        switch (c.def.kind) {
        case CtlKind::Edit:
        case CtlKind::Spin: {
            auto* in = static_cast<Fl_Input*>(w);
            if (c.text != in->value()) in->value(c.text.c_str());
            if (c.def.kind == CtlKind::Spin) {
                Fl_Group* g = in->parent();
                for (int k = 1; k < g->children(); k++) {
                    if (c.enabled) g->child(k)->activate();
                    else g->child(k)->deactivate();
                }
            }
            SetLabel(in, c.caption, view->fontSize, view->labelW - 4);
            break;
        }
        case CtlKind::List: {
            auto* br = static_cast<Fl_Hold_Browser*>(w);
            if (static_cast<int>(c.rows.size()) != br->size() ||
                (!c.rows.empty() && c.rows.back() != RowText(br, br->size()))) {
                if (static_cast<int>(c.rows.size()) == br->size() + 1 &&
                    (br->size() == 0 || c.rows[br->size() - 1] == RowText(br, br->size()))) {
                    br->add(c.rows.back().c_str());
                } else {
                    br->clear();
                    for (const std::string& r : c.rows) br->add(r.c_str());
                }
            } else {
                for (int r = 0; r < br->size(); r++)
                    if (c.rows[r] != RowText(br, r + 1)) br->text(r + 1, c.rows[r].c_str());
            }
            br->value(c.sel + 1);
            if (c.top != br->topline() - 1) br->topline(c.top + 1);
            break;
        }
        case CtlKind::Combo: {
            auto* ch = static_cast<Fl_Choice*>(w);
            if (static_cast<int>(c.rows.size()) != ch->size() - 1) {
                ch->clear();
                for (const std::string& r : c.rows) ch->add(MenuText(r).c_str());
            }
            ch->value(c.sel);
            SetLabel(ch, c.caption, view->fontSize, view->labelW - 4);
            break;
        }
        case CtlKind::Check:
        case CtlKind::Radio:
            static_cast<Fl_Button*>(w)->value(c.checked ? 1 : 0);
            SetLabel(w, c.caption, view->fontSize, w->w() - 24);
            break;
        default:
            SetLabel(w, c.caption, view->fontSize, w->w() - 6);
            break;
        }
        w->redraw();
    }

    void Move(Dialog* dlg) override {
        static_cast<View*>(dlg->view)->window->position(dlg->rect.left, dlg->rect.top);
    }

    void RunModal(Dialog* dlg) override {
        while (IsDialog(dlg) && !dlg->ended) Fl::wait(0.1);
    }

    void Pump() override { Fl::check(); }

    bool Capture(Dialog* dlg, std::vector<u8>* rgb, i32* width, i32* height) override {
        // Drawn offscreen, so a window that is covered or not yet mapped still gives its picture.
        Fl_Window* win = static_cast<View*>(dlg->view)->window;
        Fl::check();
        const int w = win->w(), h = win->h();
        Fl_RGB_Image* image = nullptr;
        {
            Fl_Image_Surface surface(w, h);
            surface.set_current();
            surface.draw(win);
            image = surface.image();
            Fl_Display_Device::display_device()->set_current();
        }
        if (!image || image->d() < 3) {
            delete image;
            return false;
        }
        const auto* data = reinterpret_cast<const uchar*>(image->data()[0]);
        const int d = image->d(), line = image->ld() ? image->ld() : image->w() * d;
        rgb->resize(static_cast<size_t>(w) * h * 3);
        for (int y = 0; y < h && y < image->h(); y++)
            for (int x = 0; x < w && x < image->w(); x++)
                for (int k = 0; k < 3; k++) (*rgb)[(static_cast<size_t>(y) * w + x) * 3 + k] = data[y * line + x * d + k];
        delete image;
        *width = w;
        *height = h;
        return true;
    }
};

}  // namespace

DialogView* GetFltkDialogView() {
    static bool tried = false;
    static FltkView* view = nullptr;
    if (tried) return view;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver) driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && std::strcmp(driver, "dummy") == 0) return nullptr;  // asked again once video is up
    tried = true;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        DebugOutput("dialogs: no X display, the editors cannot open");
        return nullptr;
    }
    fl_open_display(display);
    // Not the Zen Hei face of the same family: its ゝ is an empty glyph (a caption of dialog 116 has one).
    Fl::set_font(kFont, "WenQuanYi Micro Hei");
    view = new FltkView;
    return view;
}

}  // namespace plat
