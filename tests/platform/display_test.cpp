#include <gtest/gtest.h>

#include <array>

#include "platform/display.h"

namespace {

std::array<i32, 4> Fit(i32 ww, i32 wh) {
    RECT r = plat::FitPicture(ww, wh, 640, 480);
    return {r.left, r.top, r.right, r.bottom};
}

TEST(DisplayFit, FullScreenKeepsTheAspectBetweenBars) {
    EXPECT_EQ(Fit(1920, 1080), (std::array<i32, 4>{240, 0, 1680, 1080}));  // bars left and right
    EXPECT_EQ(Fit(1280, 1024), (std::array<i32, 4>{0, 32, 1280, 992}));    // bars above and below
    EXPECT_EQ(Fit(640, 480), (std::array<i32, 4>{0, 0, 640, 480}));
    EXPECT_EQ(Fit(1366, 768), (std::array<i32, 4>{171, 0, 1195, 768}));
    EXPECT_EQ(Fit(0, 0), (std::array<i32, 4>{0, 0, 640, 480}));  // no size yet: 1:1
}

TEST(DisplayFit, DisplayFormatsAndPalette) {
    plat::SetDisplayLayout16(plat::PixelLayout::k555);
    plat::Display* d = plat::CreateDisplay(nullptr, 64, 48, 16, true);
    ASSERT_NE(d, nullptr);
    u32 r, g, b;
    plat::GetDisplayMasks(d, &r, &g, &b);
    EXPECT_EQ((std::array<u32, 3>{r, g, b}), (std::array<u32, 3>{0x7C00, 0x03E0, 0x001F}));
    EXPECT_TRUE(plat::IsDisplayHeadless(d));
    plat::DestroyDisplay(d);
    plat::SetDisplayLayout16(plat::PixelLayout::k565);
    d = plat::CreateDisplay(nullptr, 64, 48, 16, true);
    plat::GetDisplayMasks(d, &r, &g, &b);
    EXPECT_EQ(g, 0x07E0u);
    plat::DestroyDisplay(d);
    EXPECT_EQ(plat::CreateDisplay(nullptr, 64, 48, 24, true), nullptr);
    EXPECT_EQ(plat::CreateDisplay(nullptr, 0, 48, 16, true), nullptr);

    d = plat::CreateDisplay(nullptr, 4, 4, 8, false);
    plat::PaletteEntry in[3] = {{1, 2, 3, 0}, {4, 5, 6, 1}, {7, 8, 9, 0}};
    plat::SetDisplayPalette(d, in, 254, 3);  // the entry past 255 is dropped
    plat::PaletteEntry out[2];
    plat::GetDisplayPalette(d, out, 254, 2);
    EXPECT_EQ(out[1].green, 5);
    plat::DestroyDisplay(d);
}

}  // namespace
