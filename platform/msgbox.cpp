#include "platform/msgbox.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

namespace plat {

namespace {
std::function<int(const MessageBoxCall&)> g_hook;
std::function<int(const MessageBoxCall&)> g_backend;

u32 IconFlag(u32 flags) {
    switch (flags & 0xF0) {
        case MB_ICONHAND:
            return SDL_MESSAGEBOX_ERROR;
        case MB_ICONEXCLAMATION:
            return SDL_MESSAGEBOX_WARNING;
        case MB_ICONQUESTION:
        case MB_ICONASTERISK:
            return SDL_MESSAGEBOX_INFORMATION;
        default:
            return 0;
    }
}

// The answer a box without a user gets: its first button.
int DefaultAnswer(u32 flags) { return (flags & 0xF) == MB_YESNO ? IDYES : IDOK; }

// True when a real display is there to show a box on; the headless drivers have none, and asking
// SDL anyway could open a box on some other display and wait for a user who is not there.
bool HaveDisplay() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "offscreen") != 0 &&
           std::strcmp(driver, "evdev") != 0;
}

// -1 when SDL could not show the box.
int ShowSdl(const MessageBoxCall& call) {
    const char* caption = call.caption.empty() ? "Error" : call.caption.c_str();
    u32 kind = call.flags & 0xF;
    if (kind != MB_OKCANCEL && kind != MB_YESNO) {
        return SDL_ShowSimpleMessageBox(IconFlag(call.flags), caption, call.text.c_str(), nullptr) == 0 ? IDOK : -1;
    }
    SDL_MessageBoxButtonData buttons[2];
    if (kind == MB_YESNO) {
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"};
        buttons[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"};
    } else {
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDOK, "OK"};
        buttons[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "Cancel"};
    }
    SDL_MessageBoxData data{IconFlag(call.flags), nullptr, caption, call.text.c_str(), 2, buttons, nullptr};
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) return -1;
    // Closing the box without a button counts as its escape button.
    if (pressed < 0) return kind == MB_YESNO ? IDNO : IDCANCEL;
    return pressed;
}
}  // namespace

int MessageBox(const char* text, const char* caption, u32 flags) {
    MessageBoxCall call{text ? text : "", caption ? caption : "", flags};
    if (g_hook) return g_hook(call);
    if (g_backend) return g_backend(call);
    if (HaveDisplay()) {
        int answer = ShowSdl(call);
        if (answer >= 0) return answer;
    }
    std::fprintf(stderr, "[%s] %s\n", call.caption.empty() ? "Error" : call.caption.c_str(), call.text.c_str());
    return DefaultAnswer(flags);
}

void SetMessageBoxHook(std::function<int(const MessageBoxCall&)> hook) { g_hook = std::move(hook); }
void SetMessageBoxBackend(std::function<int(const MessageBoxCall&)> backend) { g_backend = std::move(backend); }

}  // namespace plat
