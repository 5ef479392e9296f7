// Shared between the shell's own sources.
#pragma once
#include "platform/window.h"

// Reports one event to the tests' observer, when one is set.
void SYS_Trace(const char* event);
// Stores the window's whole rectangle as "WndRect".
void SYS_StoreWndRect(HWND window);
// Makes the next ChangeDisplayMode the first again.
void SYS_ResetDisplayState();
