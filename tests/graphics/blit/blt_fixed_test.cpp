// The fixed-formula blends against per-channel models, and their listed edge values.
#include <gtest/gtest.h>

#include "blt_model.h"
#include "graphics/blit/blt.h"

using namespace bltt;

namespace {

using PlainFn = int (*)(plat::Surface*, i32, i32, plat::Surface*, const RECT*, int, int);
using ScaledFn = int (*)(plat::Surface*, RECT*, plat::Surface*, const RECT*, int, int);

Family Fixed(const std::string& name, PlainFn plain, ScaledFn scaled,
             std::function<u16(bool, u16, u16)> model) {
    return Family{name,
                  [plain](plat::Surface* d, i32 x, i32 y, plat::Surface* s, const RECT* r, int m, int k) {
                      plain(d, x, y, s, r, m, k);
                  },
                  [scaled](plat::Surface* d, RECT* dr, plat::Surface* s, const RECT* r, int m, int k) {
                      scaled(d, dr, s, r, m, k);
                  },
                  [model](bool is565, u16 d, u16 s, i32, i32) { return model(is565, d, s); }};
}

}  // namespace

TEST(FixedBlends, MatchPerChannelModels) {
    CheckFamily(Fixed("Alpha50", BLT_Alpha50, BLT_Alpha50Scaled, ModelHalf));
    const PlainFn adds[] = {BLT_Add100, BLT_Add50, BLT_Add25};
    const ScaledFn addsScaled[] = {BLT_Add100Scaled, BLT_Add50Scaled, BLT_Add25Scaled};
    const PlainFn subs[] = {BLT_Sub100, BLT_Sub50, BLT_Sub25};
    const ScaledFn subsScaled[] = {BLT_Sub100Scaled, BLT_Sub50Scaled, BLT_Sub25Scaled};
    for (int shift = 0; shift < 3; ++shift) {
        CheckFamily(Fixed("Add shift " + std::to_string(shift), adds[shift], addsScaled[shift],
                          [shift](bool is565, u16 d, u16 s) { return ModelAdd(is565, d, SourcePart(is565, s, shift)); }));
        CheckFamily(Fixed("Sub shift " + std::to_string(shift), subs[shift], subsScaled[shift],
                          [shift](bool is565, u16 d, u16 s) { return ModelSub(is565, d, SourcePart(is565, s, shift)); }));
    }
}

// The models themselves agree with the values worked out by hand, so the matrix above checks the
// intended formulas rather than any two that merely agree.
TEST(FixedBlends, ListedEdgeValues) {
    struct Edge {
        const char* name;
        PlainFn plain;
        ScaledFn scaled;
        bool is565;
        u16 src, dst, want;
    };
    const Edge edges[] = {
        {"Add100 W+W", BLT_Add100, BLT_Add100Scaled, false, 0x7FFF, 0x7FFF, 0x7BDE},
        {"Add100 W+0", BLT_Add100, BLT_Add100Scaled, false, 0x7FFF, 0x0000, 0x7BDE},
        {"Add50", BLT_Add50, BLT_Add50Scaled, false, 0x7FFF, 0x0000, 0x39CE},
        {"Add25", BLT_Add25, BLT_Add25Scaled, false, 0x7FFF, 0x0000, 0x18C6},
        {"Sub100 W-W", BLT_Sub100, BLT_Sub100Scaled, false, 0x7FFF, 0x7FFF, 0x8421},
        {"Sub100 0-W", BLT_Sub100, BLT_Sub100Scaled, false, 0x7FFF, 0x0000, 0x0000},
        {"Sub50", BLT_Sub50, BLT_Sub50Scaled, false, 0x7FFF, 0x7FFF, 0xC631},
        {"Sub25", BLT_Sub25, BLT_Sub25Scaled, false, 0x7FFF, 0x7FFF, 0xE739},
        {"Alpha50 W/W", BLT_Alpha50, BLT_Alpha50Scaled, false, 0x7FFF, 0x7FFF, 0x7BDE},
        {"Alpha50 W/1", BLT_Alpha50, BLT_Alpha50Scaled, false, 0x7FFF, 0x0001, 0x3DEF},
        {"Add100 565", BLT_Add100, BLT_Add100Scaled, true, 0xFFFF, 0xFFFF, 0xF7DE},
        {"Add50 565", BLT_Add50, BLT_Add50Scaled, true, 0xFFFF, 0x0000, 0x73CE},
        {"Add25 565", BLT_Add25, BLT_Add25Scaled, true, 0xFFFF, 0x0000, 0x31C6},
        {"Sub100 565", BLT_Sub100, BLT_Sub100Scaled, true, 0xFFFF, 0xFFFF, 0x0821},
        {"Sub50 565", BLT_Sub50, BLT_Sub50Scaled, true, 0xFFFF, 0xFFFF, 0x8C31},
        {"Sub25 565", BLT_Sub25, BLT_Sub25Scaled, true, 0xFFFF, 0xFFFF, 0xCE39},
        {"Alpha50 565 W/W", BLT_Alpha50, BLT_Alpha50Scaled, true, 0xFFFF, 0xFFFF, 0xF7DE},
        {"Alpha50 565 W/1", BLT_Alpha50, BLT_Alpha50Scaled, true, 0xFFFF, 0x0001, 0x7BEF},
        // Unkeyed, a source 0 still runs the formula: the subtract writes d | G, the half halves d.
        {"Sub100 of 0", BLT_Sub100, BLT_Sub100Scaled, false, 0x0000, 0x1234, 0x9634},
        {"Alpha50 of 0", BLT_Alpha50, BLT_Alpha50Scaled, false, 0x0000, 0x7FFF, 0x3DEF},
    };
    for (const Edge& e : edges) {
        SetDisplay(e.is565);
        Surf dst(e.is565, 9, 6), src(e.is565, 5, 3);
        src.FillAll(e.src);
        for (int mirror = 0; mirror < 4; ++mirror) {
            dst.FillAll(e.dst);
            e.plain(dst, 2, 1, src, nullptr, mirror, 0);
            EXPECT_EQ(dst.Get().at(4, 2), e.want) << e.name << " mirror " << mirror;
            dst.FillAll(e.dst);
            RECT dr{0, 0, 9, 6};
            e.scaled(dst, &dr, src, nullptr, mirror, 0);
            EXPECT_EQ(dst.Get().at(8, 5), e.want) << e.name << " scaled mirror " << mirror;
        }
        // The models agree.
        if (e.plain == BLT_Alpha50) {
            EXPECT_EQ(ModelHalf(e.is565, e.dst, e.src), e.want) << e.name;
        }
        // With the key a 0 source leaves the destination.
        dst.FillAll(e.dst);
        Surf zero(e.is565, 5, 3);
        e.plain(dst, 0, 0, zero, nullptr, 0, 1);
        EXPECT_EQ(dst.Get().at(0, 0), e.dst) << e.name << " keyed";
    }
    EXPECT_EQ(ModelSub(false, 0x7FFF, SourcePart(false, 0x7FFF, 0)), 0x8421);
    EXPECT_EQ(ModelSub(true, 0xFFFF, SourcePart(true, 0xFFFF, 2)), 0xCE39);
    EXPECT_EQ(ModelAdd(true, 0x0000, SourcePart(true, 0xFFFF, 1)), 0x73CE);
}
