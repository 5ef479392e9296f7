// The straight 16-bit copy rows of the platform blit: key ranges, up-down mirroring, no key.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/surface.h"

namespace {

u16 At(const plat::Surface* s, i32 x, i32 y) {
    u16 v;
    std::memcpy(&v, s->pixels + y * s->pitch + x * 2, 2);
    return v;
}

}  // namespace

TEST(SurfaceBlt16, StraightRowsHonourKeyRangeAndMirror) {
    plat::Surface* src = plat::CreateSurface(7, 3, 16, 0xF800, 0x07E0, 0x001F, 0);
    plat::Surface* dst = plat::CreateSurface(9, 5, 16, 0xF800, 0x07E0, 0x001F, 0);
    ASSERT_TRUE(src && dst);
    for (i32 y = 0; y < 3; ++y)
        for (i32 x = 0; x < 7; ++x) {
            const u16 v = u16(y * 7 + x);  // 0..20
            std::memcpy(src->pixels + y * src->pitch + x * 2, &v, 2);
        }
    for (u32 flags : {0u, plat::kBltKeySrc, plat::kBltKeySrc | plat::kBltMirrorUpDown, plat::kBltMirrorUpDown}) {
        std::memset(dst->pixels, 0xEE, size_t(dst->pitch) * 5);
        plat::SetColorKey(src, 3, 5);
        const RECT to{1, 1, 8, 4};
        ASSERT_EQ(plat::Blt(dst, &to, src, nullptr, flags, 0), plat::kSurfOk);
        for (i32 y = 0; y < 5; ++y)
            for (i32 x = 0; x < 9; ++x) {
                u16 want = 0xEEEE;
                if (x >= 1 && x < 8 && y >= 1 && y < 4) {
                    const i32 sy = (flags & plat::kBltMirrorUpDown) ? 3 - y : y - 1;
                    const u16 v = u16(sy * 7 + x - 1);
                    if (!((flags & plat::kBltKeySrc) && v >= 3 && v <= 5)) want = v;
                }
                ASSERT_EQ(At(dst, x, y), want) << "flags " << flags << " at " << x << "," << y;
            }
    }
    plat::ReleaseSurface(src);
    plat::ReleaseSurface(dst);
}
