#include <gtest/gtest.h>

#include <cstring>

#include "display_support.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "platform/memory.h"

namespace {

plat::SurfaceDesc Desc(u32 w, u32 h) {
    plat::SurfaceDesc d{};
    d.width = w;
    d.height = h;
    return d;
}

struct Clip {
    int result;
    i32 x, y;
    RECT src;
};

Clip RunClip(const RECT* clip, i32 x, i32 y, RECT src, int mirror, u32 w = 640, u32 h = 480) {
    plat::SurfaceDesc d = Desc(w, h);
    int r = SURF_ClipBlt(&d, clip, &x, &y, &src, mirror);
    return Clip{r, x, y, src};
}

TEST(SurfClipBlt, OverhangsCutTheMatchingSourceSide) {
    const RECT clip{0, 0, 640, 480};
    // Left overhang: columns 10..31 at x 0, or mirrored the part that lands inside, columns 0..21.
    Clip c = RunClip(&clip, -10, 5, RECT{0, 0, 32, 32}, 0);
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(c.x, 0);
    EXPECT_EQ(c.src.left, 10);
    EXPECT_EQ(c.src.right, 32);
    c = RunClip(&clip, -10, 5, RECT{0, 0, 32, 32}, BLT_MIRROR_LR);
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(c.x, 0);
    EXPECT_EQ(c.src.left, 0);
    EXPECT_EQ(c.src.right, 22);
    // The mirror bit of the other axis leaves x alone.
    c = RunClip(&clip, -10, 5, RECT{0, 0, 32, 32}, BLT_MIRROR_UD);
    EXPECT_EQ(c.src.left, 10);

    // Right overhang: 620 + 32 passes 640 by 12.
    c = RunClip(&clip, 620, 0, RECT{100, 0, 132, 32}, 0);
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(c.src.left, 100);
    EXPECT_EQ(c.src.right, 120);
    c = RunClip(&clip, 620, 0, RECT{100, 0, 132, 32}, BLT_MIRROR_LR);
    EXPECT_EQ(c.src.left, 112);
    EXPECT_EQ(c.src.right, 132);

    // Top and bottom the same way with bit 1.
    c = RunClip(&clip, 0, -5, RECT{0, 0, 8, 20}, 0);
    EXPECT_EQ(c.y, 0);
    EXPECT_EQ(c.src.top, 5);
    EXPECT_EQ(c.src.bottom, 20);
    c = RunClip(&clip, 0, -5, RECT{0, 0, 8, 20}, BLT_MIRROR_UD);
    EXPECT_EQ(c.src.top, 0);
    EXPECT_EQ(c.src.bottom, 15);
    c = RunClip(&clip, 0, 470, RECT{0, 0, 8, 20}, BLT_MIRROR_UD);
    EXPECT_EQ(c.src.top, 10);
    EXPECT_EQ(c.src.bottom, 20);
    // Only the low byte of the flags counts.
    c = RunClip(&clip, -10, 5, RECT{0, 0, 32, 32}, 0x100);
    EXPECT_EQ(c.src.left, 10);
}

TEST(SurfClipBlt, NothingVisible) {
    const RECT clip{0, 0, 640, 480};
    EXPECT_EQ(RunClip(&clip, 640, 0, RECT{0, 0, 32, 32}, 0).result, 0);   // x at the right bound
    EXPECT_EQ(RunClip(&clip, 0, 480, RECT{0, 0, 32, 32}, 0).result, 0);   // y at the bottom bound
    EXPECT_EQ(RunClip(&clip, -32, 0, RECT{0, 0, 32, 32}, 0).result, 0);   // wholly left
    EXPECT_EQ(RunClip(&clip, -32, 0, RECT{0, 0, 32, 32}, 1).result, 0);
    EXPECT_EQ(RunClip(&clip, 0, -32, RECT{0, 0, 32, 32}, 2).result, 0);   // wholly above
    EXPECT_EQ(RunClip(&clip, 10, 10, RECT{5, 0, 5, 32}, 0).result, 0);    // zero width
    EXPECT_EQ(RunClip(&clip, 10, 10, RECT{0, 7, 32, 7}, 0).result, 0);    // zero height
    EXPECT_EQ(RunClip(&clip, -31, 0, RECT{0, 0, 32, 32}, 0).result, 1);   // one column left
    const RECT empty{100, 100, 100, 100};
    EXPECT_EQ(RunClip(&empty, 50, 50, RECT{0, 0, 100, 100}, 0).result, 0);
}

TEST(SurfClipBlt, ClipRectangleIsLimitedToTheDestination) {
    const RECT big{-100, -100, 1000, 1000};
    Clip c = RunClip(&big, -4, -6, RECT{0, 0, 64, 64}, 0, 50, 40);
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(c.x, 0);
    EXPECT_EQ(c.y, 0);
    EXPECT_EQ(c.src.left, 4);
    EXPECT_EQ(c.src.right, 54);
    EXPECT_EQ(c.src.top, 6);
    EXPECT_EQ(c.src.bottom, 46);
    // Without a clip rectangle the destination alone bounds; an inner clip rectangle narrows it.
    c = RunClip(nullptr, 45, 0, RECT{0, 0, 10, 10}, 0, 50, 40);
    EXPECT_EQ(c.src.right, 5);
    const RECT inner{10, 10, 20, 20};
    c = RunClip(&inner, 0, 0, RECT{0, 0, 30, 30}, 0);
    EXPECT_EQ(c.x, 10);
    EXPECT_EQ(c.src.left, 10);
    EXPECT_EQ(c.src.right, 20);
}

struct Scaled {
    int result;
    RECT dst, src;
};

Scaled RunScaled(const RECT* clip, RECT dst, RECT src, int mirror) {
    plat::SurfaceDesc d = Desc(640, 480);
    int r = SURF_ClipBltScaled(&d, clip, &dst, &src, mirror);
    return Scaled{r, dst, src};
}

TEST(SurfClipBltScaled, CutsMoveTheSourceProportionally) {
    const RECT clip{0, 0, 640, 480};
    Scaled s = RunScaled(&clip, RECT{-50, 0, 50, 10}, RECT{0, 0, 10, 10}, 0);
    EXPECT_EQ(s.result, 1);
    EXPECT_EQ(s.dst.left, 0);
    EXPECT_EQ(s.dst.right, 50);
    EXPECT_EQ(s.src.left, 5);
    EXPECT_EQ(s.src.right, 10);
    s = RunScaled(&clip, RECT{-50, 0, 50, 10}, RECT{0, 0, 10, 10}, BLT_MIRROR_LR);
    EXPECT_EQ(s.src.left, 0);
    EXPECT_EQ(s.src.right, 5);
    // Right and bottom cuts.
    s = RunScaled(&clip, RECT{600, 470, 700, 490}, RECT{0, 0, 10, 20}, 0);
    EXPECT_EQ(s.result, 1);
    EXPECT_EQ(s.dst.right, 640);
    EXPECT_EQ(s.src.right, 4);  // cut 60 of 100 moves 6 of 10
    EXPECT_EQ(s.dst.bottom, 480);
    EXPECT_EQ(s.src.bottom, 10);
    s = RunScaled(&clip, RECT{600, 470, 700, 490}, RECT{0, 0, 10, 20}, BLT_MIRROR_UD);
    EXPECT_EQ(s.src.top, 10);
    EXPECT_EQ(s.src.bottom, 20);
    EXPECT_EQ(s.src.right, 4);
    s = RunScaled(&clip, RECT{633, 0, 733, 10}, RECT{0, 0, 10, 10}, 0);
    EXPECT_EQ(s.src.right, 1);  // cut 93 moves 9 columns
    // Sizes come from before the cuts: both sides cut over a shrinking source.
    s = RunScaled(&clip, RECT{-100, 0, 740, 10}, RECT{0, 0, 84, 10}, 0);
    EXPECT_EQ(s.src.left, 10);
    EXPECT_EQ(s.src.right, 74);
}

TEST(SurfClipBltScaled, NothingVisible) {
    const RECT clip{0, 0, 640, 480};
    EXPECT_EQ(RunScaled(&clip, RECT{641, 0, 700, 10}, RECT{0, 0, 10, 10}, 0).result, 0);
    EXPECT_EQ(RunScaled(&clip, RECT{640, 0, 700, 10}, RECT{0, 0, 10, 10}, 0).result, 0);  // empty after the cut
    EXPECT_EQ(RunScaled(&clip, RECT{-10, 0, 0, 10}, RECT{0, 0, 10, 10}, 0).result, 0);
    EXPECT_EQ(RunScaled(&clip, RECT{0, 481, 10, 500}, RECT{0, 0, 10, 10}, 0).result, 0);
    EXPECT_EQ(RunScaled(&clip, RECT{0, -10, 10, 0}, RECT{0, 0, 10, 10}, 0).result, 0);
    EXPECT_EQ(RunScaled(&clip, RECT{5, 0, 5, 10}, RECT{0, 0, 10, 10}, 0).result, 0);
    EXPECT_EQ(RunScaled(&clip, RECT{0, 0, 10, 10}, RECT{3, 0, 3, 10}, 0).result, 0);
    EXPECT_EQ(RunScaled(&clip, RECT{0, 0, 10, 10}, RECT{0, 4, 10, 4}, 0).result, 0);
    // A cut that eats the whole source: 1 source column over 100 destination columns, 99 cut away.
    EXPECT_EQ(RunScaled(&clip, RECT{-99, 0, 1, 10}, RECT{0, 0, 1, 10}, 0).result, 1);
    EXPECT_EQ(RunScaled(&clip, RECT{-100, 0, 100, 10}, RECT{0, 0, 2, 10}, 0).src.left, 1);
    // Without a clip rectangle the destination bounds alone.
    Scaled s = RunScaled(nullptr, RECT{-20, -20, 20, 20}, RECT{0, 0, 4, 4}, 0);
    EXPECT_EQ(s.result, 1);
    EXPECT_EQ(s.src.left, 2);
    EXPECT_EQ(s.src.top, 2);
}

class SurfTest : public ::testing::TestWithParam<plat::PixelLayout> {
protected:
    test::HeadlessDisplay display{GetParam()};
};

u16 Px(plat::Surface* s, i32 x, i32 y) {
    u16 v;
    std::memcpy(&v, s->pixels + size_t(y) * size_t(s->pitch) + size_t(x) * 2, 2);
    return v;
}
void SetPx(plat::Surface* s, i32 x, i32 y, u16 v) {
    std::memcpy(s->pixels + size_t(y) * size_t(s->pitch) + size_t(x) * 2, &v, 2);
}
// Every pixel tells where it came from.
void Coordinates(plat::Surface* s) {
    for (i32 y = 0; y < s->height; ++y)
        for (i32 x = 0; x < s->width; ++x) SetPx(s, x, y, u16((y << 8) | x | 0x8000));
}

TEST_P(SurfTest, CreateCountsAndUsesTheDisplayFormat) {
    ASSERT_TRUE(display.ok());
    EXPECT_EQ(DispSurfCount, 0);
    plat::Surface* s = SURF_Create(33, 7, SURF_CAPS_SYSMEM);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(DispSurfCount, 1);
    EXPECT_EQ(s->bitCount, 16u);
    EXPECT_EQ(s->gMask, GetParam() == plat::PixelLayout::k565 ? 0x07E0u : 0x03E0u);
    EXPECT_EQ(s->pitch % 4, 0);
    for (i32 y = 0; y < 7; ++y)
        for (i32 x = 0; x < 33; ++x) ASSERT_EQ(Px(s, x, y), 0);
    EXPECT_EQ(SURF_Create(0, 7, SURF_CAPS_SYSMEM), nullptr);  // refused: nothing counted
    EXPECT_EQ(DispSurfCount, 1);
    SURF_Release(s);
    EXPECT_EQ(DispSurfCount, 0);
    SURF_Release(nullptr);
    EXPECT_EQ(DispSurfCount, 0);
}

TEST_P(SurfTest, SaveReleaseRestoreRoundTrip) {
    for (u32 caps : {SURF_CAPS_SYSMEM, SURF_CAPS_OFFSCREEN}) {
        for (bool keyed : {true, false}) {
            plat::Surface* s = SURF_Create(37, 5, caps);
            ASSERT_NE(s, nullptr);
            Coordinates(s);
            if (keyed) SURF_SetColorKey(s, 0x1234);
            const i32 before = DispSurfCount;
            SURF_SAVE* save = SURF_Save(s);
            ASSERT_NE(save, nullptr);
            EXPECT_EQ(save->sysmem, caps == SURF_CAPS_SYSMEM ? 1u : 0u);
            EXPECT_EQ(save->colorKey, keyed ? 0x1234 : -1);
            EXPECT_EQ(s->lockCount, 0);  // unlocked again
            SURF_Release(s);
            EXPECT_EQ(DispSurfCount, before - 1);
            plat::Surface* r = SURF_Restore(&save);
            ASSERT_NE(r, nullptr);
            EXPECT_EQ(save, nullptr);
            EXPECT_EQ(DispSurfCount, before);
            EXPECT_EQ(r->width, 37);
            EXPECT_EQ(r->height, 5);
            EXPECT_EQ(r->caps, caps);
            EXPECT_EQ(r->hasColorKey, keyed);
            if (keyed) {
                EXPECT_EQ(r->colorKeyLow, 0x1234u);
            }
            for (i32 y = 0; y < 5; ++y)
                for (i32 x = 0; x < 37; ++x) ASSERT_EQ(Px(r, x, y), u16((y << 8) | x | 0x8000));
            SURF_Release(r);
        }
    }
    EXPECT_EQ(SURF_Save(nullptr), nullptr);
    SURF_SAVE* none = nullptr;
    EXPECT_EQ(SURF_Restore(&none), nullptr);
    EXPECT_EQ(SURF_Restore(nullptr), nullptr);
}

TEST_P(SurfTest, SaveOfALockedSurfaceAndRestoreWithoutADevice) {
    plat::Surface* s = SURF_Create(4, 4, SURF_CAPS_SYSMEM);
    plat::SurfaceDesc desc;
    ASSERT_EQ(SURF_Lock(s, &desc), 0);
    EXPECT_EQ(SURF_Lock(s, &desc), plat::kSurfErrBusy);  // a second lock is refused
    EXPECT_NE(SURF_CheckLock(s), 0);
    EXPECT_EQ(SURF_Save(s), nullptr);
    SURF_Unlock(s);
    EXPECT_EQ(SURF_CheckLock(s), 0);
    EXPECT_EQ(s->lockCount, 0);
    SURF_SAVE* save = SURF_Save(s);
    ASSERT_NE(save, nullptr);
    SURF_Release(s);
    // With no device the surface cannot be made: the block stays for a later try.
    DISP_Release();
    EXPECT_EQ(SURF_Restore(&save), nullptr);
    EXPECT_NE(save, nullptr);
    plat::GlobalFree(save);
}

TEST_P(SurfTest, FillIsLimitedToTheSurface) {
    plat::Surface* s = SURF_Create(10, 10, SURF_CAPS_SYSMEM);
    const RECT r{-5, 7, 3, 20};
    EXPECT_EQ(SURF_Fill(s, &r, 0xABCD), 0);
    for (i32 y = 0; y < 10; ++y)
        for (i32 x = 0; x < 10; ++x) ASSERT_EQ(Px(s, x, y), (x < 3 && y >= 7) ? 0xABCD : 0) << x << "," << y;
    // The global clip rectangle does not apply to fills.
    DISP_SetClipRect(0, 0, 1, 1);
    EXPECT_EQ(SURF_Fill(s, nullptr, 0x1111), 0);
    EXPECT_EQ(Px(s, 9, 9), 0x1111);
    SURF_Release(s);
}

TEST_P(SurfTest, CopyClipsToTheGlobalRectangleAndHonoursTheKey) {
    plat::Surface* src = SURF_Create(32, 32, SURF_CAPS_SYSMEM);
    plat::Surface* dst = SURF_Create(64, 64, SURF_CAPS_SYSMEM);
    Coordinates(src);
    SetPx(src, 12, 0, 0);  // a transparent pixel
    SURF_SetColorKey(src, 0);
    SURF_Fill(dst, nullptr, 0x7777);
    DISP_SetClipRect(0, 0, 64, 64);
    EXPECT_EQ(BLT_Copy(dst, -10, 40, src, nullptr, 1), 0);
    EXPECT_EQ(Px(dst, 0, 40), u16(0x8000 | 10));      // column 10 at x 0
    EXPECT_EQ(Px(dst, 2, 40), 0x7777);                // keyed pixel left the destination
    EXPECT_EQ(Px(dst, 21, 63), u16(0x8000 | (23 << 8) | 31));
    EXPECT_EQ(Px(dst, 22, 40), 0x7777);
    // Without the key the 0 is copied; BLT_CopyFlip without mirror flags is the same blit.
    SURF_Fill(dst, nullptr, 0x7777);
    BLT_Copy(dst, -10, 40, src, nullptr, 0);
    EXPECT_EQ(Px(dst, 2, 40), 0);
    std::vector<u8> copy(dst->pixels, dst->pixels + size_t(dst->pitch) * 64);
    SURF_Fill(dst, nullptr, 0x7777);
    BLT_CopyFlip(dst, -10, 40, src, nullptr, 0, 0);
    EXPECT_EQ(std::memcmp(copy.data(), dst->pixels, copy.size()), 0);
    // Mirrored: the part of the mirrored image inside the clip, columns 21..0 from x 0.
    SURF_Fill(dst, nullptr, 0x7777);
    BLT_CopyFlip(dst, -10, 0, src, nullptr, BLT_MIRROR_LR, 0);
    EXPECT_EQ(Px(dst, 0, 0), u16(0x8000 | 21));
    EXPECT_EQ(Px(dst, 21, 0), u16(0x8000 | 0));
    EXPECT_EQ(Px(dst, 22, 0), 0x7777);
    SURF_Fill(dst, nullptr, 0x7777);
    BLT_CopyFlip(dst, 0, 0, src, nullptr, BLT_MIRROR_UD, 0);
    EXPECT_EQ(Px(dst, 3, 0), u16(0x8000 | (31 << 8) | 3));
    // A tighter global clip; nothing visible returns 0 and draws nothing.
    SURF_Fill(dst, nullptr, 0x7777);
    DISP_SetClipRect(8, 8, 4, 4);
    const RECT part{0, 0, 16, 16};
    BLT_Copy(dst, 0, 0, src, &part, 0);
    EXPECT_EQ(Px(dst, 7, 8), 0x7777);
    EXPECT_EQ(Px(dst, 8, 8), u16(0x8000 | (8 << 8) | 8));
    EXPECT_EQ(Px(dst, 12, 11), 0x7777);
    EXPECT_EQ(BLT_Copy(dst, 100, 0, src, nullptr, 0), 0);
    SURF_Release(src);
    SURF_Release(dst);
}

TEST_P(SurfTest, ScaledCopyTrimsAndStretches) {
    plat::Surface* src = SURF_Create(10, 10, SURF_CAPS_SYSMEM);
    plat::Surface* dst = SURF_Create(100, 20, SURF_CAPS_SYSMEM);
    Coordinates(src);
    DISP_SetClipRect(0, 0, 100, 20);
    const RECT d{-50, 0, 50, 10};
    EXPECT_EQ(BLT_CopyScaled(dst, &d, src, nullptr, 0, 0), 0);
    EXPECT_EQ(Px(dst, 0, 0), u16(0x8000 | 5));  // source 5..10 over 0..50
    EXPECT_EQ(Px(dst, 49, 9), u16(0x8000 | (9 << 8) | 9));
    EXPECT_EQ(Px(dst, 50, 0), 0);
    SURF_Fill(dst, nullptr, 0);
    BLT_CopyScaled(dst, &d, src, nullptr, BLT_MIRROR_LR, 0);
    EXPECT_EQ(Px(dst, 0, 0), u16(0x8000 | 4));  // source 0..5 mirrored
    EXPECT_EQ(Px(dst, 49, 0), u16(0x8000 | 0));
    // Null destination rectangle: the whole destination.
    BLT_CopyScaled(dst, nullptr, src, nullptr, 0, 0);
    EXPECT_EQ(Px(dst, 99, 19), u16(0x8000 | (9 << 8) | 9));
    SURF_Release(src);
    SURF_Release(dst);
}

TEST_P(SurfTest, SourceRectangleOutsideTheSourceIsRefused) {
    plat::Surface* src = SURF_Create(8, 8, SURF_CAPS_SYSMEM);
    plat::Surface* dst = SURF_Create(16, 16, SURF_CAPS_SYSMEM);
    Coordinates(src);
    DISP_SetClipRect(0, 0, 16, 16);
    const RECT outside{4, 4, 12, 8};
    EXPECT_EQ(BLT_Copy(dst, 0, 0, src, &outside, 0), plat::kSurfErrInvalidRect);
    for (i32 y = 0; y < 16; ++y)
        for (i32 x = 0; x < 16; ++x) ASSERT_EQ(Px(dst, x, y), 0);
    // A source locked by its user (the software blits hold both locks) refuses the copy.
    plat::SurfaceDesc desc;
    SURF_Lock(src, &desc);
    EXPECT_NE(BLT_Copy(dst, 0, 0, src, nullptr, 0), 0);
    EXPECT_EQ(Px(dst, 1, 1), 0);
    SURF_Unlock(src);
    SURF_Release(src);
    SURF_Release(dst);
}

INSTANTIATE_TEST_SUITE_P(Layouts, SurfTest, ::testing::Values(plat::PixelLayout::k565, plat::PixelLayout::k555),
                         [](const auto& info) { return info.param == plat::PixelLayout::k565 ? "565" : "555"; });

}  // namespace
