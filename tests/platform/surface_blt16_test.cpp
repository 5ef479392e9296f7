// The straight 16-bit copy rows of the platform blit: key ranges, up-down mirroring, no key, and each
// build of the keyed row loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "platform/keyed_row.h"
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

// Every build of the keyed row loop the CPU runs, against a plain loop, on rows of every length
// around the vector widths, at every alignment, with key ranges at both ends of the 16 bits and one
// across the sign bit (a signed compare would get it wrong). Nothing beside the row is touched.
TEST(SurfaceBlt16, EveryKeyedRowBuildMatchesThePlainLoop) {
    struct Key {
        u16 lo, span;
    };
    const Key keys[] = {{0, 0}, {3, 2}, {0xFFFF, 0}, {0x7FF0, 0x20}, {0, 0xFFFF}, {0xFFF0, 0x0F}};
    const i32 widths[] = {0, 1, 7, 8, 9, 15, 16, 17, 31, 32, 33, 64, 127, 128, 129, 640};
    int count = 0;
    const plat::KeyedRow16Impl* impls = plat::KeyedRow16Impls(&count);
    ASSERT_GE(count, 1);
    std::mt19937 rng(11);
    for (int k = 0; k < count; ++k) {
        if (!impls[k].usable) continue;  // the CPU lacks it
        for (const Key& key : keys)
            for (i32 n : widths)
                for (i32 da = 0; da < 4; ++da)
                    for (i32 sa = 0; sa < 4; sa += 3) {
                        std::vector<u16> src(size_t(n + 8)), dst(size_t(n + 8));
                        // Values at and beside the range's ends, and any.
                        const u16 near[] = {key.lo, u16(key.lo - 1), u16(key.lo + key.span), u16(key.lo + key.span + 1)};
                        for (u16& v : src) v = rng() % 2 ? near[rng() % 4] : u16(rng());
                        for (u16& v : dst) v = u16(rng());
                        std::vector<u16> want = dst;
                        for (i32 i = 0; i < n; ++i) {
                            const u16 v = src[size_t(sa + i)];
                            if (u16(v - key.lo) > key.span) want[size_t(da + i)] = v;
                        }
                        impls[k].fn(dst.data() + da, src.data() + sa, n, key.lo, key.span);
                        ASSERT_EQ(dst, want) << impls[k].name << " lo " << key.lo << " span " << key.span << " n " << n
                                             << " at " << da << "," << sa;
                    }
    }
    // The blit takes the widest build the CPU runs: a narrower one still copies right, only slower.
    const char* widest = "scalar";
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("sse2")) widest = "sse2";
    if (__builtin_cpu_supports("sse2") && __builtin_cpu_supports("avx2")) widest = "avx2";
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"))
        widest = "avx512bw";
#endif
    const plat::KeyedRow16Impl* chosen = std::find_if(impls, impls + count, [](const plat::KeyedRow16Impl& i) {
        return i.fn == plat::KeyedRow16();
    });
    ASSERT_NE(chosen, impls + count);
    EXPECT_STREQ(chosen->name, widest);
}
