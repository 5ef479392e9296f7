#include "graphics/display/disp.h"

#include <cstdio>
#include <cstring>

#include "graphics/blit/blend_table.h"
#include "graphics/display/pal.h"
#include "graphics/display/surf.h"
#include "platform/debug.h"
#include "platform/msgbox.h"

HWND DispHwnd = nullptr;
u16 DispBpp = 0;
i32 DispWidth = 0;
i32 DispHeight = 0;
i32 DispFullScreen = 0;
i32 DispFlipMode = 0;
u16 DesktopBpp = 0;
RECT DispClipRect = {0, 0, 0, 0};
plat::Surface* DispPrimary = nullptr;
plat::Surface* DispBackBuffer = nullptr;
plat::Surface* DispWorkSurf = nullptr;
i32 DispSurfCount = 0;
DISP_PIXEL_FORMAT DispPixelFormat = {};
plat::Display* DispDevice = nullptr;
bool DispPalette = false;

namespace {

// The windowed clipper: presenting through the window keeps the picture inside it by itself.
bool DispClipper = false;

}  // namespace

bool DISP_DeviceExists() { return DispDevice != nullptr; }

int DISP_Init(HWND window, i32 width, i32 height, u16 depth, int fullScreen, int flip, int hardware) {
    DesktopBpp = plat::GetDesktopDepth();
    if (!fullScreen && depth != DesktopBpp) {
        int answer = plat::MessageBox("ウィンドウモードでは実行できません。\nフルスクリーンモードで実行します。", "情報",
                                      plat::MB_TASKMODAL | plat::MB_ICONINFORMATION | plat::MB_OKCANCEL);
        if (answer != plat::IDOK) return 0;
        fullScreen = 1;
    }
    if (!DISP_CreateDevice(window, width, height, depth, fullScreen, flip, hardware)) return 0;

    if (depth == 8) {
        // Take over the device's colours as the saved palette, at full brightness.
        plat::GetDisplayPalette(DispDevice, PalEntries, 0, 256);
        for (int i = 0; i < 256; ++i) {
            PalEntries[i].flags = PAL_FlagsOf(i);
            PalBright[i] = 256;
        }
        DispPalette = true;
        DISP_SetPalEntries(PalEntries, 0, 256);
    }

    DispSurfCount = 0;
    DISP_SetClipRect(0, 0, width, height);
    std::memset(&PalFade, 0, sizeof(PalFade));
    BLT_InitBlendTbl();
    return 1;
}

int DISP_CreateDevice(HWND window, i32 width, i32 height, u16 depth, int fullScreen, int flip, int hardware) {
    DispHwnd = window;
    DispWidth = width;
    DispHeight = height;
    DispBpp = depth;
    DispFullScreen = fullScreen;
    DispFlipMode = 0;

    DISP_Release();

    DispDevice = plat::CreateDisplay(window, width, height, depth, fullScreen != 0);
    if (!DispDevice) return DISP_InitError();
    u32 r = 0, g = 0, b = 0;
    plat::GetDisplayMasks(DispDevice, &r, &g, &b);

    DispPrimary = plat::CreateSurface(width, height, depth, r, g, b, plat::kCapsPrimary);
    if (!DispPrimary) return DISP_InitError();

    if (fullScreen && flip) {
        // The flip chain's back buffer is attached to the primary surface, not counted.
        DispFlipMode = 1;
        DispBackBuffer = plat::CreateSurface(width, height, depth, r, g, b, plat::kCapsSystemMemory);
        if (!DispBackBuffer) return DISP_InitError();
    } else {
        if (!fullScreen) DispClipper = true;
        DispBackBuffer = SURF_Create(width, height, (fullScreen || !flip) ? SURF_CAPS_SYSMEM : SURF_CAPS_OFFSCREEN);
        if (!DispBackBuffer) return DISP_InitError();
        --DispSurfCount;
    }

    DispWorkSurf = SURF_Create(width, height, SURF_CAPS_SYSMEM);
    if (!DispWorkSurf) return DISP_InitError();
    SURF_SetColorKey(DispWorkSurf, 0);
    --DispSurfCount;

    if (depth == 16) DISP_InitPixelFormat(DispBackBuffer);
    return 1;
}

int DISP_ReInit(i32 width, i32 height, u16 depth, int fullScreen, int flip, int hardware) {
    if (!fullScreen && depth != DesktopBpp) return 0;
    if (DispSurfCount != 0) {
        char line[128];
        std::snprintf(line, sizeof(line), "Error : Not Release Surface ( %d )\n", int(DispSurfCount));
        plat::DebugOutput(line);
    }
    return DISP_CreateDevice(DispHwnd, width, height, depth, fullScreen, flip, hardware);
}

void DISP_Release() {
    DispClipper = false;
    DispPalette = false;
    if (DispWorkSurf) {
        plat::ReleaseSurface(DispWorkSurf);
        DispWorkSurf = nullptr;
    }
    if (DispBackBuffer) {
        plat::ReleaseSurface(DispBackBuffer);
        DispBackBuffer = nullptr;
    }
    if (DispPrimary) {
        plat::ReleaseSurface(DispPrimary);
        DispPrimary = nullptr;
    }
    if (DispDevice) {
        plat::DestroyDisplay(DispDevice);
        DispDevice = nullptr;
    }
}

int DISP_InitError() {
    DISP_Release();
    plat::MessageBox("DirectDrawの初期化に失敗しました。\nプログラムを強制終了します。", "エラー",
                     plat::MB_TASKMODAL | plat::MB_ICONEXCLAMATION);
    return 0;
}

int DISP_InitPixelFormat(plat::Surface* surface) {
    plat::SurfaceDesc desc;
    if (plat::GetSurfaceDesc(surface, &desc) != plat::kSurfOk) return 0;
    const u32 masks[3] = {desc.rMask, desc.gMask, desc.bMask};
    u8 shift[3], max[3], lost[3];
    for (int c = 0; c < 3; ++c) {
        u32 m = masks[c];
        // An empty mask (not a 16-bit format) would never reach bit 0.
        if (m == 0) return 0;
        u8 n = 0;
        while (!(m & 1)) {
            m >>= 1;
            ++n;
        }
        shift[c] = n;
        max[c] = u8(m);
        lost[c] = m == 31 ? 3 : 2;
    }
    DISP_PIXEL_FORMAT& f = DispPixelFormat;
    f.maxR = max[0], f.maxG = max[1], f.maxB = max[2];
    f.lostR = lost[0], f.lostG = lost[1], f.lostB = lost[2];
    f.shiftR = shift[0], f.shiftG = shift[1], f.shiftB = shift[2];
    f.maskB = u16((1u << f.shiftG) - 1);
    f.maskG = u16(((1u << f.shiftR) - 1) & ~u32(f.maskB));
    u32 red = 0xFFFFu & ~((1u << f.shiftR) - 1);
    if (f.lostG == 3) red &= 0x7FFF;
    f.maskR = u16(red);
    return 1;
}

void DISP_Flip() {
    if (!DispDevice || !DispBackBuffer || !DispPrimary) return;
    if (DispFlipMode) {
        plat::PresentDisplay(DispDevice, DispBackBuffer);
        return;
    }
    // Windowed and full screen alike: the whole back buffer onto the primary surface, which the
    // platform shows in the window's client area.
    RECT whole{0, 0, DispWidth, DispHeight};
    plat::Blt(DispPrimary, &whole, DispBackBuffer, &whole, 0, 0);
    plat::PresentDisplay(DispDevice, DispPrimary);
}

void DISP_SetClipRect(i32 x, i32 y, i32 width, i32 height) {
    DispClipRect = RECT{x, y, x + width, y + height};
}

int DISP_GetClipRect(RECT* rect) {
    if (rect) *rect = DispClipRect;
    return 1;
}

void DISP_SetClipperWnd(HWND window) {
    if (!DispFullScreen && DispClipper) DispHwnd = window;
}

void DISP_FlipToGDI() {
    // Full screen shows the window system's own surface again: present what is on screen.
    if (DispFullScreen && DispDevice && DispPrimary) plat::PresentDisplay(DispDevice, DispPrimary);
}

void DISP_GetGDISurface() { DISP_FlipToGDI(); }

void DISP_ClearScreen() {
    for (int i = 0; i < 2; ++i) {
        SURF_Fill(DispBackBuffer, nullptr, 0);
        DISP_Flip();
    }
}

void DISP_SetPalEntries(PAL_ENTRY* entries, int first, int count) {
    if (!DispDevice || !DispPalette || !entries) return;
    for (int i = 0; i < count; ++i) entries[i].flags = PAL_FlagsOf(first + i);
    plat::SetDisplayPalette(DispDevice, entries, first, count);
}

void DISP_GetPalEntries(PAL_ENTRY* entries, int first, int count) {
    if (!DispDevice || !DispPalette || !entries) return;
    plat::GetDisplayPalette(DispDevice, entries, first, count);
}
