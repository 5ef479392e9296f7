// The blend table, the column steps of the scaled walk and the refusals every blit shares.
#include <gtest/gtest.h>

#include "blt_model.h"
#include "graphics/blit/blt.h"
#include "graphics/display/disp.h"

using namespace bltt;

// Column j of a stretch reads source column ceil((j·sw − ⌊dw/2⌋) / dw), and never past the last one.
TEST(StepTable, DistributesColumnsAndStopsAtTheLastSourceColumn) {
    for (u32 dw = 1; dw <= 70; ++dw)
        for (u32 sw = 1; sw <= 70; ++sw) {
            BLT_SetStepTbl(BltStepTbl, dw, sw);
            i64 pos = 0;
            for (u32 j = 0; j < dw; ++j) {
                const i64 num = i64(j) * sw - dw / 2;
                i64 want = num <= 0 ? 0 : (num + dw - 1) / dw;
                if (want > i64(sw) - 1) want = sw - 1;
                ASSERT_EQ(pos, want) << "dw " << dw << " sw " << sw << " j " << j;
                ASSERT_EQ(BltStepTbl[j] % 2, 0u);
                pos += BltStepTbl[j] / 2;
            }
            ASSERT_LE(pos, i64(sw) - 1) << "dw " << dw << " sw " << sw;
        }
    // Tripling three pixels: 0,0,1,1,1,2,2,2 and then the clamped 2.
    BLT_SetStepTbl(BltStepTbl, 9, 3);
    const u32 want[9] = {0, 2, 0, 0, 2, 0, 0, 0, 0};
    for (int j = 0; j < 9; ++j) EXPECT_EQ(BltStepTbl[j], want[j]) << j;
}

// A stretch over a destination wider than the old 2048-entry table.
TEST(StepTable, WideDestinationIsCoveredWholly) {
    SetDisplay(true, RECT{0, 0, 4000, 4});
    Surf dst(true, 3000, 2), src(true, 3, 1);
    src.Put(Image{3, 1, {0x0841, 0x1082, 0x18C3}});
    RECT dr{0, 0, 3000, 2};
    BLT_Alpha50Scaled(dst, &dr, src, nullptr, 0, 0);
    const Image got = dst.Get();
    EXPECT_EQ(got.at(0, 0), 0x0020);
    EXPECT_EQ(got.at(2999, 1), 0x0861);
    EXPECT_EQ(got.at(1500, 0), 0x0841);
}

TEST(BlitContract, RefusesWhatItCannotDrawSafely) {
    for (bool is565 : {false, true}) {
        SetDisplay(is565);
        Surf dst(is565, 16, 16), src(is565, 8, 8);
        src.FillAll(0x7FFF);
        dst.FillAll(0x1234);
        const Image before = dst.Get();
        // The same surface as source and destination: its second lock is refused.
        BLT_Add100(dst, 0, 0, dst, nullptr, 0, 0);
        BLT_Sub50Scaled(dst, nullptr, dst, nullptr, 0, 0);
        BLT_Dark(dst, 0, 0, dst, nullptr, 10, 0, 0);
        BLT_White(dst, 0, 0, dst, nullptr, 10, 0, 0);
        // Source rectangles reaching outside the source, before and after the clip.
        const RECT outside{4, 4, 12, 12};
        const RECT negative{-3, 0, 4, 4};
        BLT_Alpha(dst, 2, 2, src, &outside, 16, 0, 0);
        BLT_Alpha(dst, 2, 2, src, &negative, 16, 0, 0);
        RECT dr{0, 0, 16, 16};
        BLT_AlphaScaled(dst, &dr, src, &outside, 16, 0, 0);
        BLT_Dark(dst, 2, 2, src, &outside, 16, 0, 0);
        BLT_White(dst, 2, 2, src, &negative, 16, 0, 0);
        RECT dr2{0, 0, 16, 16};
        BLT_DarkScaled(dst, &dr2, src, &outside, 16, 0, 0);
        BLT_ToneRGB(dst, 0, 0, src, &outside, 10, 10, 10, 0, 0);
        // Null surfaces.
        BLT_Mesh(nullptr, 0, 0, src, nullptr, 4, 0, 0);
        BLT_ToneTbl(dst, 0, 0, nullptr, nullptr, 4, 0, 0);
        BLT_Tint(nullptr, nullptr, 1, 1, 1, 4);
        EXPECT_TRUE(dst.Get() == before);
        // Nothing stays locked.
        EXPECT_EQ(dst.get()->lockCount, 0);
        EXPECT_EQ(src.get()->lockCount, 0);
    }
}

TEST(BlitContract, ScaledTwinsTrimTheCallersRectangle) {
    SetDisplay(false, RECT{0, 0, 20, 20});
    Surf dst(false, 32, 32), src(false, 10, 10);
    src.FillAll(0x0421);
    RECT dr{-10, 5, 30, 15};
    BLT_Add50Scaled(dst, &dr, src, nullptr, 0, 0);
    EXPECT_EQ(dr.left, 0);
    EXPECT_EQ(dr.right, 20);
    EXPECT_EQ(dr.top, 5);
    EXPECT_EQ(dr.bottom, 15);
}

TEST(BlitContract, LockedDestinationDrawsNothingAndStaysLocked) {
    SetDisplay(true);
    Surf dst(true, 8, 8), src(true, 8, 8);
    src.FillAll(0xFFFF);
    plat::SurfaceDesc d{};
    ASSERT_EQ(plat::LockSurface(dst, &d), 0);
    BLT_Sub100(dst, 0, 0, src, nullptr, 0, 0);
    BLT_Dark(dst, 0, 0, src, nullptr, 10, 0, 0);
    EXPECT_EQ(dst.get()->lockCount, 1);
    EXPECT_EQ(src.get()->lockCount, 0);
    plat::UnlockSurface(dst);
    EXPECT_TRUE(dst.Get() == SolidImage(8, 8, 0));
}
