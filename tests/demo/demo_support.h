// What the demonstration programs share: they drive the shell's loop themselves and write pictures of
// the back buffer.
#pragma once
#include <cstdio>
#include <string>

#include "graphics/display/disp.h"
#include "platform/input.h"
#include "platform/surface.h"
#include "platform/window.h"
#include "shell/sys.h"

namespace demo {

// Dispatches every waiting message, as the shell's loop does between frames.
inline void PumpMessages() {
    plat::MSG msg;
    while (plat::PeekMessage(&msg)) {
        if (!plat::GetMessage(&msg)) return;
        plat::DispatchMessage(&msg);
    }
}

// The back buffer as a 24-bit ".bmp"; the program says what it wrote.
inline bool SavePicture(const char* program, const std::string& path) {
    const bool ok = plat::SaveSurfaceBmp(DispBackBuffer, path.c_str());
    std::printf("%s: %s %s\n", program, ok ? "wrote" : "cannot write", path.c_str());
    return ok;
}

// The window closed and the game shut down, as at the end of a run.
inline void ShutDown() {
    plat::DestroyWindow(MainWnd);
    PumpMessages();
    SYS_ReleaseGame();
    plat::ReleaseDestroyedWindows();
    plat::SetInputBackend(nullptr);
}

}  // namespace demo
