// The display device: the 640×480 16-bit back buffer every frame is drawn into, the work surface, the
// one clip rectangle of all blits and the 16-bit pixel format every colour is packed from.
#pragma once
#include "platform/display.h"
#include "platform/surface.h"
#include "platform/types.h"
#include "platform/window.h"

struct DISP_PIXEL_FORMAT {
    u8 maxB, maxG, maxR;        // 31 for a 5-bit channel, 63 for a 6-bit one
    u8 lostB, lostG, lostR;     // bits lost from an 8-bit value
    u8 shiftB, shiftG, shiftR;  // bit position of each channel's lowest bit
    u16 maskR, maskG, maskB;
};

extern HWND DispHwnd;
extern u16 DispBpp;
extern i32 DispWidth;
extern i32 DispHeight;
extern i32 DispFullScreen;
extern i32 DispFlipMode;
extern u16 DesktopBpp;
extern RECT DispClipRect;
extern plat::Surface* DispPrimary;
extern plat::Surface* DispBackBuffer;
extern plat::Surface* DispWorkSurf;
extern i32 DispSurfCount;
extern DISP_PIXEL_FORMAT DispPixelFormat;
// The platform's display (the original's two DirectDraw interfaces); null while no device exists.
extern plat::Display* DispDevice;
// True while the 8-bit palette object exists (8 bits per pixel only).
extern bool DispPalette;

// One palette entry: red, green, blue, flags (1 for the entries the program may change).
using PAL_ENTRY = plat::PaletteEntry;
constexpr u8 PC_RESERVED = 0x01;

// True while a device exists (the original's two DirectDraw interfaces).
bool DISP_DeviceExists();

int DISP_Init(HWND window, i32 width, i32 height, u16 depth, int fullScreen, int flip, int hardware);
int DISP_CreateDevice(HWND window, i32 width, i32 height, u16 depth, int fullScreen, int flip, int hardware);
int DISP_ReInit(i32 width, i32 height, u16 depth, int fullScreen, int flip, int hardware);
void DISP_Release();
int DISP_InitError();
int DISP_InitPixelFormat(plat::Surface* surface);
void DISP_Flip();
void DISP_SetClipRect(i32 x, i32 y, i32 width, i32 height);
int DISP_GetClipRect(RECT* rect);
void DISP_SetClipperWnd(HWND window);
void DISP_FlipToGDI();
void DISP_GetGDISurface();
void DISP_ClearScreen();
void DISP_SetPalEntries(PAL_ENTRY* entries, int first, int count);
void DISP_GetPalEntries(PAL_ENTRY* entries, int first, int count);

// Packs 8-bit red, green and blue by DispPixelFormat.
inline u16 DISP_PackRGB(u32 r, u32 g, u32 b) {
    const DISP_PIXEL_FORMAT& f = DispPixelFormat;
    return u16(((r & 0xFF) >> f.lostR) << f.shiftR | ((g & 0xFF) >> f.lostG) << f.shiftG |
               ((b & 0xFF) >> f.lostB) << f.shiftB);
}
