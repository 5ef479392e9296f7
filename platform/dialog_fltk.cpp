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

#include <X11/Xatom.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/debug.h"
#include "platform/dialog_internal.h"
#include "platform/sdl_internal.h"

namespace plat {

namespace {

constexpr Fl_Font kFont = FL_FREE_FONT;

struct CtlLink {
    Dialog* dlg;
    int index;
};

// The window manager's frame around a dialog; none without a window manager.
struct Frame {
    int left = 0, right = 0, top = 0, bottom = 0;
};
// The last frame measured: a new dialog is placed with it before its own can be measured.
Frame g_frame;
// Where the keyboard went before a click gave it to a dialog (without a window manager).
::Window g_focusBefore = 0;

struct View {
    Fl_Double_Window* window = nullptr;
    Frame frame;
    i32 labelW = kDlgLabelW;
    int fontSize = 13;
    std::vector<std::unique_ptr<CtlLink>> links;
};

// True when nothing has framed the shown window: no window manager, so the dialogs handle the keyboard
// focus themselves.
bool Unmanaged(Fl_Window* win) {
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!win->shown() || !XQueryTree(fl_display, fl_xid(win), &root, &parent, &children, &count)) return false;
    if (children) XFree(children);
    return parent == root;
}

bool Focused(Fl_Window* win) {
    ::Window focus = 0;
    int revert = 0;
    XGetInputFocus(fl_display, &focus, &revert);
    return win->shown() && focus == fl_xid(win);
}

bool IsDialogWindow(::Window w) {
    for (Fl_Window* win = Fl::first_window(); win; win = Fl::next_window(win))
        if (fl_xid(win) == w) return true;
    return false;
}

class DlgWindow : public Fl_Double_Window {
public:
    DlgWindow(int w, int h, const char* title, Dialog* dlg) : Fl_Double_Window(w, h, title), dlg_(dlg) {}
    int handle(int event) override {
        // Without a window manager no one moves the keyboard: a click on a dialog takes it.
        if (event == FL_PUSH && Unmanaged(this) && !Focused(this)) {
            ::Window focus = 0;
            int revert = 0;
            XGetInputFocus(fl_display, &focus, &revert);
            if (focus > PointerRoot && !IsDialogWindow(focus)) g_focusBefore = focus;
            XSetInputFocus(fl_display, fl_xid(this), RevertToParent, CurrentTime);
            XSync(fl_display, False);
        }
        return Fl_Double_Window::handle(event);
    }
    Dialog* dlg_;
};

int IgnoreXError(::Display*, XErrorEvent*) { return 0; }

// To the window that had the keyboard before a dialog took it: it may have gone or been hidden since,
// so the server's refusal is expected and ignored.
void GiveFocusBack() {
    auto* const previous = XSetErrorHandler(IgnoreXError);
    XSync(fl_display, False);
    XWindowAttributes a{};
    if (XGetWindowAttributes(fl_display, g_focusBefore, &a) && a.map_state == IsViewable)
        XSetInputFocus(fl_display, g_focusBefore, RevertToParent, CurrentTime);
    XSync(fl_display, False);
    XSetErrorHandler(previous);
}

// The frame the window manager put around the mapped window: its _NET_FRAME_EXTENTS, else what FLTK
// measures; none when nothing framed it.
Frame MeasureFrame(Fl_Window* win) {
    Frame f;
    if (Unmanaged(win)) return f;
    static const Atom extents = XInternAtom(fl_display, "_NET_FRAME_EXTENTS", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, rest = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(fl_display, fl_xid(win), extents, 0, 4, False, XA_CARDINAL, &type, &format, &count, &rest,
                           &data) == Success &&
        data && format == 32 && count == 4) {
        const auto* v = reinterpret_cast<const long*>(data);
        f = {int(v[0]), int(v[1]), int(v[2]), int(v[3])};
    } else {
        const int sides = std::max(0, win->decorated_w() - win->w());
        f.left = f.right = sides / 2;
        f.bottom = f.left;
        f.top = std::max(0, win->decorated_h() - win->h() - f.bottom);
    }
    if (data) XFree(data);
    return f;
}

// Waits (a second at most) until the shown window is on the screen, framed if a manager frames it.
void WaitMapped(Fl_Window* win) {
    for (int i = 0; i < 100; i++) {
        XWindowAttributes a{};
        XSync(fl_display, False);
        if (win->shown() && XGetWindowAttributes(fl_display, fl_xid(win), &a) && a.map_state == IsViewable) return;
        Fl::wait(0.01);
    }
    DebugOutput("dialogs: a dialog window was not shown within a second");
}

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

// Once the X server is gone no FLTK call is made: the first one to notice the loss came back from
// Xlib (the connection is watched as SDL's is), and the window's close ends the game from there.
class FltkView final : public DialogView {
public:
    bool Open(Dialog* dlg) override {
        if (DisplayLost()) return false;
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
                // "@2>" is FLTK's arrow turned to point down, "@8>" up.
                auto* down = new Fl_Repeat_Button(b.x + b.w - 36, b.y + 1, 18, b.h - 2, "@-22>");
                down->callback(OnSpinDown, link);
                auto* up = new Fl_Repeat_Button(b.x + b.w - 18, b.y + 1, 18, b.h - 2, "@-28>");
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
        view->frame = g_frame;
        const Frame& f = view->frame;
        dlg->rect = {dlg->rect.left, dlg->rect.top, dlg->rect.left + f.left + win->w() + f.right,
                     dlg->rect.top + f.top + win->h() + f.bottom};
        Move(dlg);
        if (dlg->modal) win->set_modal();  // takes the input until it closes; set before it shows
        return true;
    }

    void Show(Dialog* dlg) override {
        if (DisplayLost()) return;
        auto* view = static_cast<View*>(dlg->view);
        Fl_Window* win = view->window;
        win->show();
        WaitMapped(win);
        // Placed with the last dialog's frame in mind (and FLTK keeps room for a frame of its own guess
        // when it shows a window): the same corner with the real frame, kept on the screen.
        const Frame f = MeasureFrame(win);
        g_frame = view->frame = f;
        int sx = 0, sy = 0, sw = 0, sh = 0;
        Fl::screen_xywh(sx, sy, sw, sh, 0);
        const int w = f.left + win->w() + f.right, h = f.top + win->h() + f.bottom;
        const int x = std::max(sx, std::min(int(dlg->rect.left), sx + sw - w));
        const int y = std::max(sy, std::min(int(dlg->rect.top), sy + sh - h));
        dlg->rect = {x, y, x + w, y + h};
        Move(dlg);
    }

    void Close(Dialog* dlg) override {
        auto* view = static_cast<View*>(dlg->view);
        dlg->view = nullptr;
        if (DisplayLost()) {  // the window stays in FLTK's list, to the process's end
            delete view;
            return;
        }
        // The keyboard goes back where a click took it from, not to the screen's background.
        if (g_focusBefore && Focused(view->window) && Unmanaged(view->window)) GiveFocusBack();
        view->window->hide();
        Fl::delete_widget(view->window);
        delete view;
    }

    void Update(Dialog* dlg, int i) override {
        DlgCtlState& c = dlg->ctls[i];
        auto* w = static_cast<Fl_Widget*>(c.widget);
        if (!w || DisplayLost()) return;
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

    // The rectangle is the whole window; the client area lies inside the frame. A shown window is moved
    // directly: FLTK skips a move to where it believes the window already is, and that belief may be its
    // own guess from before the window was mapped.
    void Move(Dialog* dlg) override {
        if (DisplayLost()) return;
        const View* view = static_cast<View*>(dlg->view);
        const int x = dlg->rect.left + view->frame.left, y = dlg->rect.top + view->frame.top;
        view->window->position(x, y);
        if (view->window->shown()) XMoveWindow(fl_display, fl_xid(view->window), x, y);
    }

    void RunModal(Dialog* dlg) override {
        while (IsDialog(dlg) && !dlg->ended && !DisplayLost()) Fl::wait(0.1);
    }

    void Pump() override {
        if (!DisplayLost()) Fl::check();
    }

    bool Capture(Dialog* dlg, std::vector<u8>* rgb, i32* width, i32* height) override {
        if (DisplayLost()) return false;
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

    bool Click(Dialog* dlg, i32 x, i32 y) override {
        Fl_Window* win = static_cast<View*>(dlg->view)->window;
        if (DisplayLost() || !win->shown()) return false;
        Fl::e_x = x;
        Fl::e_y = y;
        Fl::e_x_root = win->x() + x;
        Fl::e_y_root = win->y() + y;
        Fl::e_clicks = 0;
        Fl::e_is_click = 1;
        Fl::e_keysym = FL_Button + FL_LEFT_MOUSE;
        Fl::e_state = FL_BUTTON1;
        Fl::handle(FL_PUSH, win);
        // The push may have closed the dialog (and its window).
        if (IsDialog(dlg) && dlg->view) {
            Fl::e_state = 0;
            Fl::handle(FL_RELEASE, win);
        }
        Fl::check();
        return true;
    }

    bool PressKey(Dialog* dlg, DlgKey key) override {
        Fl_Window* win = static_cast<View*>(dlg->view)->window;
        if (DisplayLost() || !win->shown() || !Focused(win)) return false;
        Fl::e_keysym = key == DlgKey::Escape ? FL_Escape : 0;
        Fl::e_state = 0;
        Fl::e_text = const_cast<char*>("\x1b");
        Fl::e_length = 1;
        Fl::handle(FL_KEYBOARD, win);
        Fl::check();
        return true;
    }

    bool HasFocus(const Dialog* dlg) override {
        if (DisplayLost()) return false;
        XSync(fl_display, False);
        return Focused(static_cast<const View*>(dlg->view)->window);
    }
};

}  // namespace

DialogView* GetFltkDialogView() {
    static bool tried = false;
    static FltkView* view = nullptr;
    if (tried || DisplayLost()) return view;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver) driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && std::strcmp(driver, "dummy") == 0) return nullptr;  // asked again once video is up
    tried = true;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        DebugOutput("dialogs: no X display, the editors cannot open");
        return nullptr;
    }
    // A lost X server must not end the process inside Xlib from this connection either.
    WatchDisplayLoss(display);
    fl_open_display(display);
    // Not the Zen Hei face of the same family: its ゝ is an empty glyph (a caption of dialog 116 has one).
    Fl::set_font(kFont, "WenQuanYi Micro Hei");
    view = new FltkView;
    return view;
}

}  // namespace plat
