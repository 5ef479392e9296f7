#include <gtest/gtest.h>

#include <cstring>

#include "display_support.h"
#include "graphics/display/disp.h"
#include "graphics/display/pal.h"
#include "platform/clock.h"
#include "test_support.h"

namespace {

PAL_ENTRY Device(int index) {
    PAL_ENTRY e{};
    DISP_GetPalEntries(&e, index, 1);
    return e;
}

class Pal8 : public ::testing::Test {
protected:
    test::HeadlessDisplay display{plat::PixelLayout::k565, 640, 480, 8};
};

TEST_F(Pal8, BrightnessDarkensAndLightensOnTheDevice) {
    ASSERT_TRUE(display.ok());
    for (int i = 0; i < 256; ++i) EXPECT_EQ(PalBright[i], 256);
    const PAL_ENTRY colours[3] = {{200, 100, 0, 0}, {100, 255, 20, 0}, {0, 1, 255, 0}};
    DISP_SetPalette(colours, 50, 3);
    EXPECT_EQ(Device(50).red, 200);
    DISP_SetPaletteBright(50, 50, 3);  // 128
    EXPECT_EQ(PalBright[50], 128);
    EXPECT_EQ(Device(50).red, 100);
    EXPECT_EQ(Device(50).green, 50);
    EXPECT_EQ(PalEntries[50].red, 200);  // the saved colour stays
    DISP_SetPaletteBright(150, 50, 3);   // 384
    EXPECT_EQ(Device(51).red, 177);
    EXPECT_EQ(Device(51).green, 255);
    DISP_SetPaletteBright(200, 50, 3);  // 512: white
    for (int i = 50; i < 53; ++i) {
        const PAL_ENTRY e = Device(i);
        EXPECT_EQ((e.red & e.green & e.blue), 255);
    }
    // Percent to brightness truncates toward zero; outside 0..200 the channel stops at black or white.
    DISP_SetPaletteBright(33, 50, 1);
    EXPECT_EQ(PalBright[50], 84);
    DISP_SetPaletteBright(-1, 50, 1);
    EXPECT_EQ(PalBright[50], -2);
    EXPECT_EQ(Device(50).red, 0);
    DISP_SetPaletteBright(300, 50, 1);
    EXPECT_EQ(Device(50).red, 255);
}

TEST_F(Pal8, StaticEntriesKeepFlagsZero) {
    PAL_ENTRY many[256];
    for (int i = 0; i < 256; ++i) many[i] = PAL_ENTRY{u8(i), 0, 0, 0xFF};
    DISP_SetPalette(many, 0, 256);
    for (int i = 0; i < 256; ++i) {
        const u8 want = (i >= 10 && i <= 245) ? 1 : 0;
        ASSERT_EQ(PalEntries[i].flags, want) << i;
        ASSERT_EQ(Device(i).flags, want) << i;
        ASSERT_EQ(Device(i).red, i);
    }
    const PAL_ENTRY one{9, 9, 9, 1};
    DISP_SetPaletteEntry(&one, 255);
    EXPECT_EQ(PalEntries[255].flags, 0);
    DISP_FillPalette(&one, 240, 10);
    EXPECT_EQ(PalEntries[245].flags, 1);
    EXPECT_EQ(PalEntries[246].flags, 0);
    // Ranges past the ends are cut, not written outside the table.
    DISP_FillPalette(&one, -5, 10);
    EXPECT_EQ(PalEntries[4].red, 9);
    PAL_ENTRY out{};
    DISP_GetPaletteEntry(&out, 4);
    EXPECT_EQ(out.red, 9);
    // The device-only fill leaves the saved palette alone.
    const PAL_ENTRY red{255, 0, 0, 0};
    EXPECT_EQ(DISP_FillDevicePalette(&red, 100, 2), 1);
    EXPECT_EQ(Device(101).red, 255);
    EXPECT_EQ(PalEntries[101].red, 101);
}

TEST(Pal16, SettersOnlyChangeTheSavedData) {
    test::HeadlessDisplay display;
    ASSERT_FALSE(DispPalette);
    const PAL_ENTRY c{10, 20, 30, 0};
    DISP_SetPalette(&c, 20, 1);
    EXPECT_EQ(PalEntries[20].green, 20);
    DISP_SetPaletteBright(50, 0, 256);
    EXPECT_EQ(PalBright[255], 128);
    EXPECT_EQ(DISP_FillDevicePalette(&c, 0, 1), 0);
    PAL_ENTRY untouched{1, 2, 3, 4};
    DISP_GetPalEntries(&untouched, 0, 1);
    EXPECT_EQ(untouched.red, 1);
    DISP_SetPaletteBright(100, 0, 256);
}

TEST(PalFadeTest, StepsFollowThePreparationClock) {
    test::FakeClock clock(1000);
    DISP_ClearPaletteFade();
    for (int i = 0; i < 256; ++i) PalBright[i] = 256;
    EXPECT_EQ(DISP_RenewPaletteFade(), 0);  // nothing prepared
    EXPECT_EQ(DISP_StartPaletteFade(1), 0);
    DISP_SetPaletteFade(1000, 0, 10, 20);
    EXPECT_EQ(DISP_RenewPaletteFade(), 0);  // prepared but not running
    clock.Advance(300);
    EXPECT_EQ(DISP_StartPaletteFade(1), 1);
    EXPECT_EQ(DISP_IsPaletteFadeRun(), 1);
    EXPECT_EQ(DISP_RenewPaletteFade(), 1);
    EXPECT_EQ(PalBright[10], 256 - 76);  // 30 % of -256, truncated toward zero
    EXPECT_EQ(PalBright[29], 256 - 76);
    EXPECT_EQ(PalBright[30], 256);
    // Stopping keeps the clock running; a later start catches up.
    EXPECT_EQ(DISP_StopPaletteFade(), 1);
    EXPECT_EQ(DISP_IsPaletteFadeRun(), 0);
    clock.Advance(200);
    EXPECT_EQ(DISP_RenewPaletteFade(), 0);
    EXPECT_EQ(PalBright[10], 180);
    DISP_StartPaletteFade(1);
    DISP_RenewPaletteFade();
    EXPECT_EQ(PalBright[10], 256 - 128);
    clock.Advance(500);
    DISP_RenewPaletteFade();
    EXPECT_EQ(PalBright[10], 0);
    EXPECT_EQ(PalFade.prepared, 0);  // over: the record is cleared
    EXPECT_EQ(DISP_StopPaletteFade(), 0);
}

TEST(PalFadeTest, ZeroDurationAndBrightening) {
    test::FakeClock clock(5);
    for (int i = 0; i < 256; ++i) PalBright[i] = 128;
    DISP_SetPaletteFade(0, 200, 0, 256);
    DISP_StartPaletteFade(1);
    EXPECT_EQ(DISP_RenewPaletteFade(), 1);
    EXPECT_EQ(PalBright[0], 512);
    EXPECT_EQ(PalFade.prepared, 0);
    // At an elapsed time of 0 a step changes nothing; a clock wrapping mid-fade keeps counting.
    clock.Set(0xFFFFFF00u);
    DISP_SetPaletteFade(1000, 100, 0, 1);
    DISP_StartPaletteFade(1);
    DISP_RenewPaletteFade();
    EXPECT_EQ(PalBright[0], 512);
    clock.Advance(0x100 + 244);  // 500 ms later, past the wrap
    DISP_RenewPaletteFade();
    EXPECT_EQ(PalBright[0], 384);
    EXPECT_EQ(PalFade.prepared, 1);
    DISP_ClearPaletteFade();
    for (int i = 0; i < 256; ++i) PalBright[i] = 256;
}

TEST(PalFadeTest, BlockingStartRunsToTheEnd) {
    u32 now = 100;
    int calls = 0;
    plat::SetTimeSource([&] {
        ++calls;
        return now += 7;
    });
    for (int i = 0; i < 256; ++i) PalBright[i] = 256;
    DISP_SetPaletteFade(500, 50, 0, 256);
    EXPECT_EQ(DISP_StartPaletteFade(0), 1);
    plat::SetTimeSource({});
    EXPECT_EQ(PalFade.prepared, 0);
    EXPECT_EQ(PalBright[200], 128);
    EXPECT_GT(calls, 60);
    for (int i = 0; i < 256; ++i) PalBright[i] = 256;
}

}  // namespace
