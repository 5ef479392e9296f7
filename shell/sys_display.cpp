#include "graphics/display/disp.h"
#include "platform/msgbox.h"
#include "shell/common.h"
#include "shell/sys.h"
#include "shell/sys_internal.h"

namespace {
u32 FirstDisplayMode = 1;
}  // namespace

void SYS_ResetDisplayState() { FirstDisplayMode = 1; }

void SYS_StoreWndRect(HWND window) {
    RECT r;
    if (!plat::GetWindowRect(window, &r)) return;
    u8 bytes[16];
    const i32 v[4] = {r.left, r.top, r.right, r.bottom};
    for (int i = 0; i < 4; ++i)
        for (int b = 0; b < 4; ++b) bytes[i * 4 + b] = u8(u32(v[i]) >> (8 * b));
    SetRegistry("Main", "WndRect", REG_BINARY, bytes, 16);
}

namespace {
// The stored "WndRect"; false when it is missing or not 16 bytes.
bool LoadWndRect(RECT* r) {
    u8 b[16];
    if (!GetRegistry("Main", "WndRect", b, 16)) return false;
    i32 v[4];
    for (int i = 0; i < 4; ++i)
        v[i] = i32(u32(b[i * 4]) | u32(b[i * 4 + 1]) << 8 | u32(b[i * 4 + 2]) << 16 | u32(b[i * 4 + 3]) << 24);
    *r = RECT{v[0], v[1], v[2], v[3]};
    return true;
}
}  // namespace

RECT SYS_FullScreenPlacement(const plat::ScreenMetrics& m, i32 width, i32 height) {
    // The client area starts at the screen's top left; the frame lies outside it.
    return RECT{-m.cxFrame, -(m.cyFrame + m.cyCaption), width + m.cxFrame, height + m.cyFrame};
}

RECT SYS_WindowedPlacement(const plat::ScreenMetrics& m, i32 width, i32 height, const RECT* stored) {
    i32 x = 0, y = 0;
    if (stored) {
        const i32 limitX = m.cxScreen - 2 * m.cxFrame;
        const i32 limitY = m.cyScreen - 2 * m.cyFrame - m.cyCaption;
        // Wide sums: a damaged settings file may store any coordinate.
        if (stored->left >= 0) x = i64(stored->left) + width > limitX ? limitX - width : stored->left;
        if (stored->top >= 0) y = i64(stored->top) + height > limitY ? limitY - height : stored->top;
    }
    const i32 w = width + 2 * m.cxFrame;
    const i32 h = height + 2 * m.cyFrame + m.cyCaption;
    return RECT{x, y, x + w, y + h};
}

int ChangeDisplayMode(HWND window, i32 width, i32 height, u16 depth, int fullScreen) {
    if (FirstDisplayMode) {
        SYS_Trace("DISP_Init");
        if (!DISP_Init(window, width, height, depth, fullScreen, 0, 1)) {
            plat::DestroyWindow(window);
            return 0;
        }
        FirstDisplayMode = 0;
    } else {
        if (!DispFullScreen && !plat::IsIconic(MainWnd)) SYS_StoreWndRect(MainWnd);
        PushSurf();
        SYS_Trace("DISP_ReInit");
        if (!DISP_ReInit(width, height, depth, fullScreen, 0, 1)) {
            // The window goes and the program ends through the normal shut-down: no placement, no restore.
            plat::MessageBox("無法完成DirectDraw的檢查", nullptr, plat::MB_TASKMODAL | plat::MB_OK);
            plat::DestroyWindow(window);
            return 0;
        }
        PopSurf();
    }
    const plat::ScreenMetrics metrics = plat::GetScreenMetrics(window);
    if (fullScreen) {
        plat::SetWindowRect(window, SYS_FullScreenPlacement(metrics, width, height));
    } else {
        RECT stored;
        const bool have = LoadWndRect(&stored);
        // One move and resize; an SDL window is never topmost, so there is nothing to take back after it.
        plat::SetWindowRect(window, SYS_WindowedPlacement(metrics, width, height, have ? &stored : nullptr));
    }
    return 1;
}

void SetSystemMenu(HWND window, int active) {
    constexpr u32 kGrayed = MF_BYPOSITION | MF_GRAYED | MF_DISABLED;
    constexpr u32 kEnabled = MF_BYPOSITION | MF_ENABLED;
    plat::EnableMenuItem(window, 1, kGrayed);  // move
    plat::EnableMenuItem(window, 2, kGrayed);  // size
    plat::EnableMenuItem(window, 4, kGrayed);  // maximise
    plat::EnableMenuItem(window, 5, kEnabled);
    const bool shown = active && !plat::IsIconic(window);
    plat::EnableMenuItem(window, 0, shown ? kGrayed : kEnabled);  // restore
    plat::EnableMenuItem(window, 3, shown ? kEnabled : kGrayed);  // minimise
}

void SetCloseFlag() { CloseFlag = 1; }

void _closeDDWindow() {
    CloseFlag = 0;
    if (DispFullScreen) {
        PushSurf();
        SYS_Trace("DISP_Release");
        DISP_Release();
    }
    plat::MinimizeWindow(DispHwnd);
    ActivateFlag = 0;
    PauseFlag = 1;
    SetSystemMenu(DispHwnd, 0);
    DebugMsg("_CLOSE !");
}
