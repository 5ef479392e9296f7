#include "platform/picture.h"

namespace plat {

namespace {
RECT g_place{0, 0, 640, 480};
i32 g_w = 640;
i32 g_h = 480;

i32 FloorDiv(i64 a, i64 b) { return i32(a >= 0 ? a / b : -((-a + b - 1) / b)); }
}  // namespace

void SetPicturePlacement(const RECT& inWindow, i32 pictureWidth, i32 pictureHeight) {
    if (inWindow.right <= inWindow.left || inWindow.bottom <= inWindow.top || pictureWidth <= 0 || pictureHeight <= 0)
        return;
    g_place = inWindow;
    g_w = pictureWidth;
    g_h = pictureHeight;
}

RECT GetPicturePlacement() { return g_place; }

void WindowToPicture(i32 wx, i32 wy, i32* px, i32* py) {
    const i64 pw = g_place.right - g_place.left, ph = g_place.bottom - g_place.top;
    // Through the window pixel's centre, where the renderer samples the picture it shows there.
    if (px) *px = FloorDiv((2 * i64(wx - g_place.left) + 1) * g_w, 2 * pw);
    if (py) *py = FloorDiv((2 * i64(wy - g_place.top) + 1) * g_h, 2 * ph);
}

void PictureToWindow(i32 px, i32 py, i32* wx, i32* wy) {
    const i64 pw = g_place.right - g_place.left, ph = g_place.bottom - g_place.top;
    if (wx) *wx = g_place.left + i32((i64(px) * pw + pw / 2) / g_w);
    if (wy) *wy = g_place.top + i32((i64(py) * ph + ph / 2) / g_h);
}

}  // namespace plat
