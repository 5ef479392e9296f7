// Message boxes. Text and caption are UTF-8; a null caption means the platform's default ("Error").
#pragma once
#include <functional>
#include <string>

#include "platform/types.h"

namespace plat {

// Flag bits, with the values of the platform the game was written for.
constexpr u32 MB_OK = 0x0;
constexpr u32 MB_OKCANCEL = 0x1;
constexpr u32 MB_YESNO = 0x4;
constexpr u32 MB_ICONHAND = 0x10;
constexpr u32 MB_ICONQUESTION = 0x20;
constexpr u32 MB_ICONEXCLAMATION = 0x30;
constexpr u32 MB_ICONASTERISK = 0x40;
constexpr u32 MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr u32 MB_TASKMODAL = 0x2000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

struct MessageBoxCall {
    std::string text;
    std::string caption;  // empty when none was given
    u32 flags;
};

// Shows the box (through SDL when a window system is there, else on stderr) and returns the button.
int MessageBox(const char* text, const char* caption, u32 flags);

// Tests answer message boxes themselves; an empty function restores the real box.
void SetMessageBoxHook(std::function<int(const MessageBoxCall&)> hook);

// The window system's box, installed by the window layer once it exists.
void SetMessageBoxBackend(std::function<int(const MessageBoxCall&)> backend);

}  // namespace plat
