#include <gtest/gtest.h>

#include "graphics/blit/blend_table.h"

namespace {

// The rule written independently of the builder: floor division by 32 on signed products.
int Expected(int level, int d, int s) {
    auto floorDiv32 = [](int v) { return v >= 0 ? v / 32 : -((-v + 31) / 32); };
    if (level == 0) return s == 0 ? 0 : d;
    if (level == 31) return s == 0 ? 0 : s;
    if (level < 31) {
        if (s == 0) return d + floorDiv32(-d * level);
        int v = d + floorDiv32((s - d) * level);
        return v == 0 ? 1 : v;
    }
    int v = d + floorDiv32(s * (level - 32));
    return v > 31 ? 31 : v;
}

TEST(BlendTable, EveryEntryFollowsTheRule) {
    BLT_InitBlendTbl();
    for (int level = 0; level < kBlendLevels; ++level)
        for (int d = 0; d < 32; ++d)
            for (int s = 0; s < 32; ++s) {
                const int v = BlendTbl[level * 1024 + d * 32 + s];
                ASSERT_EQ(v, Expected(level, d, s)) << "level " << level << " d " << d << " s " << s;
                ASSERT_LE(v, 31);
                if (level >= 1 && level <= 30 && s > 0) {
                    ASSERT_NE(v, 0);
                }
            }
}

TEST(BlendTable, LevelsHaveTheirMeaning) {
    BLT_InitBlendTbl();
    for (int d = 0; d < 32; ++d)
        for (int s = 1; s < 32; ++s) {
            EXPECT_EQ(BLT_BlendEntry(0, d, s), d);   // destination
            EXPECT_EQ(BLT_BlendEntry(31, d, s), s);  // source
            EXPECT_EQ(BLT_BlendEntry(32, d, s), d);  // adds nothing
        }
    // Darkening toward a key source rounds down: d 31 at level 1 loses one step.
    EXPECT_EQ(BLT_BlendEntry(1, 31, 0), 30);
    EXPECT_EQ(BLT_BlendEntry(95, 10, 16), 31);
    EXPECT_EQ(BLT_BlendEntry(48, 10, 16), 18);
}

}  // namespace
