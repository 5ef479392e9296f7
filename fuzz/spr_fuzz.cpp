// ".spr" sprite sets: the reader (with two pictures beside the input for its image names), then every
// page drawn with an effect word picked by the input, every sequence animated for a few steps and
// every hit rectangle asked for.
#include "fuzz/fuzz_support.h"
#include "graphics/sprite/spr.h"
#include "tools/writers/grp_writer.h"
#include "tools/writers/spr_writer.h"

namespace {

constexpr int kGroup = 0;
constexpr int kSprite = 0;
constexpr int kMaxDrawnPages = 64;
constexpr int kAnimeSteps = 6;

tools::GrpImage Picture(u16 bpp) {
    tools::GrpImage g;
    g.bpp = bpp;
    g.width = 24;
    g.height = 16;
    g.pixels.resize(size_t(g.width) * g.height * (bpp / 8));
    for (size_t i = 0; i < g.pixels.size(); ++i) g.pixels[i] = u8(i * 13 + 1);
    if (bpp == 8) g.palette.assign(768, 0x80);
    return g;
}

void WriteImages() {
    static const bool done = [] {
        fuzz::CompanionFile("a.grp", tools::GrpBytes(Picture(16), true));
        fuzz::CompanionFile("b.grp", tools::GrpBytes(Picture(8), false));
        return true;
    }();
    (void)done;
}

}  // namespace

fuzz::Seeds FuzzSeeds() {
    tools::SprSetDef set;
    set.images = {"a", "b"};
    for (u16 p = 0; p < 3; ++p) {
        tools::SprPageDef page;
        page.wait = u16(p + 1);
        page.attr = u16(p);
        page.parts.push_back({0, RECT{-12, -8, 12, 8}, RECT{0, 0, 24, 16}, 0});
        page.parts.push_back({1, RECT{0, 0, 8, 8}, RECT{4, 4, 12, 12}, u16(p * 0x11)});
        page.hit[0] = RECT{-10, -6, 10, 6};
        set.pages.push_back(page);
    }
    set.seqs[0] = {{0, 2}, {1, 1}, {2, 3}};
    set.seqs[5] = {{2, 0}};
    fuzz::Seeds seeds;
    seeds.emplace_back("set3", tools::SprFile(set));
    set.pages.resize(1);
    set.seqs = {};
    seeds.emplace_back("set1", tools::SprFile(set));
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
    fuzz::NeedDisplay();
    static plat::Surface* canvas = [] {
        SPR_Init();
        return fuzz::Canvas(96, 64);
    }();
    WriteImages();
    if (!SPR_LoadSprGrp(kGroup, fuzz::InputFile("in.spr", data, size), 0)) return 0;

    const u32 t = fuzz::TailBits(data, size);
    const u32 attr = t & 0xFFFF;
    const int pages = SprGrpTbl[kGroup].pageCount;
    for (int p = 0; p < pages && p < kMaxDrawnPages; ++p) SPR_DrawSpr2(canvas, 48, 32, kGroup, p, attr, int(t >> 16 & 0xFF), 128);

    if (SPR_CreateSpr(kSprite, 0, 320, 240, kGroup, 0)) {
        SPR_SetSprAttr(kSprite, attr);
        SPR_SetAnime(kSprite, int(t >> 24 & 3), 0, pages - 1);
        for (int s = 0; s <= kAnimeSteps; ++s) {
            SPR_RenewAnime();
            SPR_DrawSpr(kSprite);
        }
        for (int q = 0; q < SPR_SEQ_MAX; ++q) {
            if (!SprSeqTbl[kGroup][q].count || !SPR_SetSeq(kSprite, q, 1, 1)) continue;
            for (int s = 0; s < kAnimeSteps; ++s) SPR_RenewAnime();
            SPR_DrawSpr(kSprite);
            RECT r;
            for (int n = 0; n < SPR_HIT_MAX; ++n) SPR_GetHitRectScr(kSprite, n, &r);
            SPR_CheckHitPoint(kSprite, 320, 240);
        }
        SPR_DelSpr(kSprite);
    }
    SPR_DelSprGrp(kGroup);
    return 0;
}
