#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "display_support.h"
#include "graphics/blit/blend_table.h"
#include "graphics/display/disp.h"
#include "graphics/display/pal.h"
#include "graphics/display/surf.h"
#include "platform/display.h"
#include "platform/window.h"
#include "test_support.h"

namespace {

TEST(DispPixelFormat, BuiltFromTheBackBufferMasks) {
    plat::Surface* s565 = plat::CreateSurface(4, 4, 16, 0xF800, 0x07E0, 0x001F, 0);
    plat::Surface* s555 = plat::CreateSurface(4, 4, 16, 0x7C00, 0x03E0, 0x001F, 0);
    ASSERT_EQ(DISP_InitPixelFormat(s565), 1);
    const DISP_PIXEL_FORMAT& f = DispPixelFormat;
    EXPECT_EQ((std::array<int, 9>{f.maxB, f.maxG, f.maxR, f.lostB, f.lostG, f.lostR, f.shiftB, f.shiftG, f.shiftR}),
              (std::array<int, 9>{31, 63, 31, 3, 2, 3, 0, 5, 11}));
    EXPECT_EQ((std::array<int, 3>{f.maskR, f.maskG, f.maskB}), (std::array<int, 3>{0xF800, 0x07E0, 0x001F}));
    EXPECT_EQ(DISP_PackRGB(255, 128, 255), 0xFC1F);
    EXPECT_EQ(DISP_PackRGB(0, 0, 0), 0);
    EXPECT_EQ(DISP_PackRGB(255, 255, 255), 0xFFFF);

    ASSERT_EQ(DISP_InitPixelFormat(s555), 1);
    EXPECT_EQ((std::array<int, 9>{f.maxB, f.maxG, f.maxR, f.lostB, f.lostG, f.lostR, f.shiftB, f.shiftG, f.shiftR}),
              (std::array<int, 9>{31, 31, 31, 3, 3, 3, 0, 5, 10}));
    EXPECT_EQ((std::array<int, 3>{f.maskR, f.maskG, f.maskB}), (std::array<int, 3>{0x7C00, 0x03E0, 0x001F}));
    EXPECT_EQ(DISP_PackRGB(255, 128, 255), 0x7E1F);
    EXPECT_EQ(DISP_PackRGB(255, 255, 255), 0x7FFF);

    // An unreadable or maskless surface leaves the format as it was.
    plat::Surface* s8 = plat::CreateSurface(4, 4, 8, 0, 0, 0, 0);
    EXPECT_EQ(DISP_InitPixelFormat(nullptr), 0);
    EXPECT_EQ(DISP_InitPixelFormat(s8), 0);
    EXPECT_EQ(f.maskR, 0x7C00);
    plat::ReleaseSurface(s565);
    plat::ReleaseSurface(s555);
    plat::ReleaseSurface(s8);
}

class DispTest : public ::testing::TestWithParam<plat::PixelLayout> {
protected:
    void TearDown() override {
        DISP_Release();
        DispSurfCount = 0;
        plat::SetDisplayLayout16(plat::PixelLayout::k565);
    }
};

TEST_P(DispTest, InitBringsUpTheScreenSurfaces) {
    plat::SetDisplayLayout16(GetParam());
    std::memset(BlendTbl, 0, sizeof(BlendTbl));
    PalFade.prepared = 1;
    DispSurfCount = 7;
    ASSERT_EQ(DISP_Init(nullptr, 640, 480, 16, 1, 0, 1), 1);
    EXPECT_TRUE(DISP_DeviceExists());
    EXPECT_EQ(DispSurfCount, 0);  // the back buffer and the work surface are not counted
    RECT clip;
    EXPECT_EQ(DISP_GetClipRect(&clip), 1);
    EXPECT_EQ((std::array<i32, 4>{clip.left, clip.top, clip.right, clip.bottom}), (std::array<i32, 4>{0, 0, 640, 480}));
    EXPECT_EQ(PalFade.prepared, 0);
    EXPECT_EQ(BLT_BlendEntry(31, 3, 9), 9);
    ASSERT_NE(DispBackBuffer, nullptr);
    ASSERT_NE(DispWorkSurf, nullptr);
    ASSERT_NE(DispPrimary, nullptr);
    EXPECT_EQ(DispBackBuffer->width, 640);
    EXPECT_EQ(DispBackBuffer->bitCount, 16u);
    EXPECT_TRUE(DispBackBuffer->caps & plat::kCapsSystemMemory);
    EXPECT_TRUE(DispWorkSurf->hasColorKey);
    EXPECT_EQ(DispWorkSurf->colorKeyLow, 0u);
    EXPECT_EQ(DispPixelFormat.shiftR, GetParam() == plat::PixelLayout::k565 ? 11 : 10);
    EXPECT_EQ(DispBpp, 16);
    EXPECT_EQ(DesktopBpp, 16);
}

TEST_P(DispTest, ReInitWarnsAboutLiveSurfacesAndGivesANewBackBuffer) {
    plat::SetDisplayLayout16(GetParam());
    ASSERT_EQ(DISP_Init(nullptr, 640, 480, 16, 1, 0, 1), 1);
    plat::Surface** target = &DispBackBuffer;  // what the sprite system keeps
    SURF_Fill(DispBackBuffer, nullptr, 0x1234);
    DISP_SetClipRect(10, 10, 100, 100);
    DispSurfCount = 3;
    test::DebugCapture debug;
    ASSERT_EQ(DISP_ReInit(640, 480, 16, 1, 0, 1), 1);
    EXPECT_EQ(debug.text(), "Error : Not Release Surface ( 3 )\n");
    EXPECT_EQ(DispSurfCount, 3);  // not reset
    EXPECT_EQ(DispClipRect.left, 10);
    ASSERT_NE(*target, nullptr);
    EXPECT_EQ((*target)->pixels[0], 0);
    EXPECT_EQ((*target)->pixels[640 * 2 * 480 - 1], 0);
    // No warning when everything was released; a windowed request at the desktop depth is fine.
    DispSurfCount = 0;
    debug.Clear();
    ASSERT_EQ(DISP_ReInit(640, 480, 16, 0, 0, 1), 1);
    EXPECT_EQ(debug.text(), "");
    EXPECT_EQ(DispFullScreen, 0);
    // A windowed request at a foreign depth is refused silently, the device untouched.
    plat::Surface* before = DispBackBuffer;
    EXPECT_EQ(DISP_ReInit(640, 480, 32, 0, 0, 1), 0);
    EXPECT_EQ(DispBackBuffer, before);
}

TEST_P(DispTest, ReleaseTwiceAndPresentWithoutDevice) {
    plat::SetDisplayLayout16(GetParam());
    ASSERT_EQ(DISP_Init(nullptr, 640, 480, 16, 1, 0, 1), 1);
    DISP_Release();
    EXPECT_FALSE(DISP_DeviceExists());
    EXPECT_EQ(DispBackBuffer, nullptr);
    EXPECT_EQ(DispWorkSurf, nullptr);
    EXPECT_EQ(DispPrimary, nullptr);
    DISP_Release();
    const u64 presents = plat::GetPresentCount();
    DISP_Flip();
    DISP_ClearScreen();
    EXPECT_EQ(plat::GetPresentCount(), presents);
    // Surfaces cannot be made without a device, and a release then counts nothing.
    EXPECT_EQ(SURF_Create(8, 8, SURF_CAPS_SYSMEM), nullptr);
    EXPECT_EQ(DispSurfCount, 0);
}

TEST_P(DispTest, FlipPresentsTheBackBuffer) {
    plat::SetDisplayLayout16(GetParam());
    ASSERT_EQ(DISP_Init(nullptr, 640, 480, 16, 1, 0, 1), 1);
    const u64 presents = plat::GetPresentCount();
    SURF_Fill(DispBackBuffer, nullptr, 0x4321);
    DISP_Flip();
    DISP_Flip();
    EXPECT_EQ(plat::GetPresentCount(), presents + 2);
    u16 shown;
    std::memcpy(&shown, DispPrimary->pixels + DispPrimary->pitch * 479 + 639 * 2, 2);
    EXPECT_EQ(shown, 0x4321);
    DISP_ClearScreen();
    EXPECT_EQ(plat::GetPresentCount(), presents + 4);
    std::memcpy(&shown, DispPrimary->pixels, 2);
    EXPECT_EQ(shown, 0);
}

TEST_P(DispTest, WindowedOnAForeignDepthAsksFirst) {
    plat::SetDisplayLayout16(GetParam());
    {
        test::MessageBoxCapture boxes(plat::IDCANCEL);
        EXPECT_EQ(DISP_Init(nullptr, 640, 480, 32, 0, 0, 1), 0);
        ASSERT_EQ(boxes.calls().size(), 1u);  // the question only, no fatal box
        EXPECT_EQ(boxes.calls()[0].text, "ウィンドウモードでは実行できません。\nフルスクリーンモードで実行します。");
        EXPECT_EQ(boxes.calls()[0].caption, "情報");
        EXPECT_EQ(boxes.calls()[0].flags, plat::MB_TASKMODAL | plat::MB_ICONASTERISK | plat::MB_OKCANCEL);
        EXPECT_FALSE(DISP_DeviceExists());
    }
    test::MessageBoxCapture boxes(plat::IDOK);
    EXPECT_EQ(DISP_Init(nullptr, 640, 480, 32, 0, 0, 1), 1);
    EXPECT_EQ(DispFullScreen, 1);
    EXPECT_EQ(DispBackBuffer->bitCount, 32u);
    // Windowed at the desktop's depth asks nothing.
    EXPECT_EQ(DISP_Init(nullptr, 640, 480, 16, 0, 0, 1), 1);
    EXPECT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(DispFullScreen, 0);
}

TEST_P(DispTest, CreationFailureReleasesAndShowsTheFatalBox) {
    plat::SetDisplayLayout16(GetParam());
    ASSERT_EQ(DISP_Init(nullptr, 640, 480, 16, 1, 0, 1), 1);
    test::MessageBoxCapture boxes;
    EXPECT_EQ(DISP_ReInit(640, 480, 24, 1, 0, 1), 0);  // a depth the platform refuses
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, "DirectDrawの初期化に失敗しました。\nプログラムを強制終了します。");
    EXPECT_EQ(boxes.calls()[0].caption, "エラー");
    EXPECT_EQ(boxes.calls()[0].flags, plat::MB_TASKMODAL | plat::MB_ICONEXCLAMATION);
    EXPECT_FALSE(DISP_DeviceExists());
    EXPECT_EQ(DispBackBuffer, nullptr);
    EXPECT_EQ(DispPrimary, nullptr);
}

TEST_P(DispTest, AWindowOnTheDummyDriverPresentsHeadless) {
    plat::SetDisplayLayout16(GetParam());
    ASSERT_TRUE(plat::InitVideo());
    plat::Window* window = plat::CreateAppWindow("test", 640, 480);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(DISP_Init(window, 640, 480, 16, 0, 0, 1), 1);
    EXPECT_EQ(DispHwnd, window);
    EXPECT_TRUE(plat::IsDisplayHeadless(DispDevice));
    const u64 presents = plat::GetPresentCount();
    DISP_Flip();
    EXPECT_EQ(plat::GetPresentCount(), presents + 1);
    DISP_Release();
    plat::DestroyAppWindow(window);
}

TEST_P(DispTest, FlipChainPresentsTheBackBufferItself) {
    plat::SetDisplayLayout16(GetParam());
    ASSERT_EQ(DISP_Init(nullptr, 640, 480, 16, 1, 1, 1), 1);
    EXPECT_EQ(DispFlipMode, 1);
    EXPECT_EQ(DispSurfCount, 0);
    const u64 presents = plat::GetPresentCount();
    DISP_Flip();
    EXPECT_EQ(plat::GetPresentCount(), presents + 1);
}

INSTANTIATE_TEST_SUITE_P(Layouts, DispTest, ::testing::Values(plat::PixelLayout::k565, plat::PixelLayout::k555),
                         [](const auto& info) { return info.param == plat::PixelLayout::k565 ? "565" : "555"; });

}  // namespace
