// The display in place of DirectDraw's: the screen's pixel format, an optional 8-bit palette and the
// present of a memory surface (the primary surface) onto the window through SDL. Full screen is SDL's
// desktop full screen (made good by the display itself on an X server that no window manager runs). In
// any window the picture is scaled and letterboxed to the size the window has, 1:1 in a window of
// its own size. Without a window
// (or on SDL's dummy driver) the display is headless: presenting only counts.
#pragma once
#include "platform/surface.h"
#include "platform/types.h"
#include "platform/window.h"

namespace plat {

// The two 16-bit layouts a display can have; 565 unless chosen otherwise before the display is made.
enum class PixelLayout { k565, k555 };
void SetDisplayLayout16(PixelLayout layout);
PixelLayout GetDisplayLayout16();

// The desktop's depth as the game sees it: every window shows the 16-bit picture, so it is 16.
u16 GetDesktopDepth();

struct PaletteEntry {
    u8 red, green, blue, flags;
};

struct Display;

// Depth 8, 16 or 32; null when the depth is refused or the window cannot present.
Display* CreateDisplay(Window* window, i32 width, i32 height, u32 depth, bool fullScreen);
void DestroyDisplay(Display* display);

// Channel masks of the display's surfaces (all 0 at depth 8).
void GetDisplayMasks(const Display* display, u32* r, u32* g, u32* b);
bool IsDisplayHeadless(const Display* display);

// The display's 256-entry palette (8-bit displays; the others keep it but do not use it).
void SetDisplayPalette(Display* display, const PaletteEntry* entries, int first, int count);
void GetDisplayPalette(const Display* display, PaletteEntry* entries, int first, int count);

// Shows the surface (same size and depth as the display). Any number of presents per frame.
void PresentDisplay(Display* display, Surface* picture);
// Where a window of the given size shows the picture: scaled to fit, aspect kept, centred.
RECT FitPicture(i32 windowWidth, i32 windowHeight, i32 pictureWidth, i32 pictureHeight);

// Presents made since the process started, headless ones included (tests observe presenting).
u64 GetPresentCount();
// The steady clock's count (std::chrono::steady_clock) when the process first presented; 0 before.
// The start-up benchmark stops there, before the turn's wait for the next gate.
i64 GetFirstPresentTicks();

}  // namespace plat
