#include "shell/sys.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "battle/battle.h"
#include "battle/map/cam.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "platform/clock.h"
#include "platform/dialog.h"
#include "platform/input.h"
#include "platform/memory.h"
#include "platform/timer.h"
#include "screens/btl/btl.h"
#include "screens/screens.h"
#include "screens/survival/svv.h"
#include "script/script.h"
#include "shell/common.h"
#include "graphics/sprite/spr.h"
#include "shell/input/cur.h"
#include "shell/input/inp.h"
#include "shell/sound/sound.h"
#include "shell/sys_internal.h"

HINSTANCE MainInstance = nullptr;
HWND MainWnd = nullptr;
u32 ActivateFlag = 0;
u32 PauseFlag = 0;
u32 CloseFlag = 0;
u32 SysSeq = 0;
u32 SysSeqPrev = 0;
u32 SysRenewTime = 0;
u32 SysDrawTime = 0;
DROP_OPEN_FUNC DropOpenFunc = nullptr;
i32 ScreenWorkSurf = -1;
i32 ScreenWorkSpr = -1;
u32 SysDebugFlag = 0;

namespace {

constexpr u32 kGateMs = 33;
// While paused nothing runs but the timers: wait for an event instead of spinning.
constexpr u32 kPausedWaitMs = 10;

std::function<void(const char*)> g_trace;

void RunRenew(u32 seq) {
    switch (seq) {
    case 0: SYS_SetSeq(1); break;
    case 1: OP_Renew(); break;
    case 2: TITLE_Renew(); break;
    case 4: BTL_Loop(); break;
    case 5: ADV_Loop(); break;
    case 6: HIS_Loop(); break;
    default: break;  // 3, 7, 8, 9 and above 10 have no update
    }
}

void RunDraw(u32 seq) {
    switch (seq) {
    case 1: OP_Draw(); break;
    case 2: TITLE_Draw(); break;
    case 4: BTL_Draw(); break;
    case 5: ADV_Draw(); break;
    case 6: HIS_Draw(); break;
    case 7:
    case 8:
    case 10: break;  // the screen keeps its last picture
    default: SYS_DrawDefault(); break;
    }
}

void CursorFollow() {
    SYS_Trace("cursor");
    CUR_Renew(MainWnd);
}

// The activation half shared by WM_ACTIVATE and (windowed) WM_NCACTIVATE.
void SetActivation(HWND window, bool active) {
    ActivateFlag = active ? 1 : 0;
    PauseFlag = active ? 0 : 1;
    if (active)
        INP_Acquire();
    else
        INP_Unacquire();
    SetSystemMenu(window, 1);
}

}  // namespace

void SYS_Trace(const char* event) {
    if (g_trace) g_trace(event);
}

void SYS_SetTrace(std::function<void(const char*)> trace) { g_trace = std::move(trace); }

// ---- entry and loop ----

int WinMain(HINSTANCE instance, HINSTANCE, char*, int) {
    // The desktop work area the original queried here was never used.
    MainInstance = instance;
    // The battle's debug overlay and debug keys; not a start-up step.
    if (const char* debug = std::getenv("KORVANE_DEBUG")) SysDebugFlag = u32(std::strtol(debug, nullptr, 10));
    if (!SYS_InitWindow()) {
        plat::ReleaseDestroyedWindows();
        return 0;
    }
    SYS_InitGame();
    int exitCode = 0;
    while (SYS_MessageTurn(&exitCode)) {
    }
    SYS_ReleaseGame();
    // The display device is gone: the destroyed window can be let go.
    plat::ReleaseDestroyedWindows();
    return exitCode;
}

bool SYS_MessageTurn(int* exitCode) {
    // The editors' dialogs answer on every turn, paused or not.
    plat::PumpDialogs();
    plat::MSG msg;
    if (plat::PeekMessage(&msg)) {
        if (!plat::GetMessage(&msg)) {
            if (exitCode) *exitCode = int(msg.wParam);
            return false;
        }
        plat::DispatchMessage(&msg);
        return true;
    }
    plat::RunDueTimers();
    if (CloseFlag) _closeDDWindow();
    if (!PauseFlag) {
        SYS_Loop_Main();
        // Between the gates there is nothing to do: sleep until a message or the next gate.
        plat::WaitMessage(SYS_IdleWaitMs());
    } else {
        plat::WaitMessage(kPausedWaitMs);
    }
    return true;
}

u32 SYS_IdleWaitMs() {
    const u32 now = plat::GetTimeMs();
    auto untilGate = [now](u32 stamp) {
        const u32 elapsed = now - stamp;
        return elapsed > kGateMs ? 0u : kGateMs + 1 - elapsed;
    };
    return std::min({untilGate(SysRenewTime), untilGate(SysDrawTime), plat::MsUntilNextTimer()});
}

int SYS_InitWindow() {
    // Made full screen, as the display below sets it: the window shows once, already covering the screen.
    MainWnd = plat::CreateAppWindow("Korvane～求生模式體驗版～", 640, 480, WndProc, true);
    if (!MainWnd) return 0;
    plat::ShowAppWindow(MainWnd);
    plat::DisableIme();
    plat::DragAcceptFiles(MainWnd, true);
    if (!ChangeDisplayMode(MainWnd, 640, 480, 16, 1)) return 0;
    ActivateFlag = 1;
    return 1;
}

LRESULT WndProc(HWND window, u32 message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return 0;
    case WM_DESTROY:
        if (!DispFullScreen && !plat::IsIconic(MainWnd)) SYS_StoreWndRect(MainWnd);
        SetRegistryValue("Main", "WndMode", DispFullScreen ? 0 : 1);
        plat::PostQuitMessage(0);
        return 0;
    case WM_ACTIVATE:
        // Full screen re-creates the display on every activation change, between a save and a restore
        // of the surfaces.
        if (DispFullScreen) {
            PushSurf();
            SYS_Trace("DISP_ReInit");
            if (!DISP_ReInit(DispWidth, DispHeight, DispBpp, DispFullScreen, 0, 1)) {
                plat::DestroyWindow(window);
                return 0;
            }
            PopSurf();
            plat::SetWindowRect(window,
                                SYS_FullScreenPlacement(plat::GetScreenMetrics(window), DispWidth, DispHeight));
        }
        SetActivation(window, (wParam & 0xFFFF) != 0);
        return 0;
    case WM_NCACTIVATE:
        if (!DispFullScreen) SetActivation(window, (wParam & 0xFFFF) != 0);
        return 0;
    case WM_ACTIVATEAPP:
        if (wParam == 0 && DispFullScreen) {
            ActivateFlag = 0;
            PauseFlag = 1;
            SetSystemMenu(window, 0);
            PushSurf();
        }
        return 0;
    case WM_PAINT:
        if (DispPrimary || DispBackBuffer) DISP_Flip();
        return 0;
    case WM_CLOSE: plat::DestroyWindow(window); return 0;
    case WM_KEYDOWN: return 0;  // the keyboard is read through the input devices
    case WM_COMMAND: return 0;
    case WM_DROPFILES: {
        HDROP drop = reinterpret_cast<HDROP>(wParam);
        if (DropOpenFunc)
            DropOpenFunc(drop);
        else
            plat::DragFinish(drop);  // nobody wants it: let the names go
        plat::DragAcceptFiles(window, true);
        return 0;
    }
    default: return plat::DefWindowProc(window, message, wParam, lParam);
    }
}

// ---- the paced step and the scenes ----

void SYS_Loop_Main() {
    const u32 now = plat::GetTimeMs();
    if (u32(now - SysRenewTime) > kGateMs) {
        SysRenewTime = now;
        char event[24];
        std::snprintf(event, sizeof(event), "update %u", SysSeq);
        SYS_Trace(event);
        if (SysSeq == 10) {
            // The window is gone and the quit is queued: nothing more may run in this turn.
            SYS_Exit();
            SYS_SetSeq(0);
            return;
        }
        plat::GetInputBackend().BeginUpdate();
        RunRenew(SysSeq);
        plat::GetInputBackend().EndUpdate();
    }
    CursorFollow();
    if (u32(now - SysDrawTime) > kGateMs) {
        SysDrawTime = now;
        char event[24];
        std::snprintf(event, sizeof(event), "draw %u", SysSeq);
        SYS_Trace(event);
        RunDraw(SysSeq);
    }
}

void SYS_DrawDefault() {
    SYS_Trace("SYS_DrawDefault");
    SPR_DrawAllSpr(-1);
    DISP_Flip();
}

u32 SYS_SetSeq(u32 seq) {
    const u32 old = SysSeqPrev;
    SysSeqPrev = SysSeq;
    SysSeq = seq;
    return old;
}

u32 SYS_GetSeq(int prev) { return prev ? SysSeqPrev : SysSeq; }

void SYS_Exit() {
    DebugMsg(" ( 終了 ) ");
    plat::DestroyWindow(MainWnd);
}

// ---- dropped files ----

void SetDropOpenFunc(DROP_OPEN_FUNC func) { DropOpenFunc = func; }

void SYS_SetDropOpenFile(DROP_OPEN_FUNC func) { SetDropOpenFunc(func); }

void SYS_ResetState() {
    MainInstance = nullptr;
    MainWnd = nullptr;
    ActivateFlag = PauseFlag = CloseFlag = 0;
    SysSeq = SysSeqPrev = 0;
    SysRenewTime = SysDrawTime = 0;
    DropOpenFunc = nullptr;
    ScreenWorkSurf = ScreenWorkSpr = -1;
    SysDebugFlag = 0;
    SYS_ResetDisplayState();
    // The scenes as a fresh process finds them: a game shut down inside a scene leaves it there, and
    // a scene entered again shows the last run's wave, history and counters until its set-up.
    OpStep = OpLogoStep = 0;
    TITLE_ResetWork();
    BtlState = BtlPrevState = BtlFrameState = 0;
    AdvState = -1;
    HisState = HIS_STATE{0, 0, 0, 0, 0, 0, -1, -1, -1, {}, {}, {}, {}, {}};
    HisData = HIS_DATA{};
    SvvWave = 0;
    FightOver = HitSlowCnt = HitStopCnt = 0;
    CamData = CAM_DATA{};
    BgmNo = -1;
    // The shut-down releases the surfaces but keeps the slots' names and use counts: a slot left
    // named would hand its empty surface to the next load of that picture.
    for (SURF_DATA& d : SurfTbl) {
        SURF_Release(d.surface);
        plat::GlobalFree(d.saved);
        d = SURF_DATA{};
    }
}
