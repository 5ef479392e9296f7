#include "tools/writers/meka_set_writer.h"

#include "tools/writers/byte_writer.h"
#include "tools/writers/grp_writer.h"

namespace tools {

namespace {

constexpr u32 kWidth = 64;
constexpr u32 kHeight = 96;

GrpImage MekaPicture() {
    GrpImage img;
    img.bpp = 16;
    img.width = kWidth;
    img.height = kHeight;
    img.pixels.resize(std::size_t(kWidth) * kHeight * 2);
    for (u32 y = 0; y < kHeight; y++) {
        for (u32 x = 0; x < kWidth; x++) {
            // A framed body on the colour key (0) so the set draws something visible.
            const bool body = x >= 8 && x < kWidth - 8 && y >= 8;
            const u16 pixel = body ? u16(0x4210 + (x / 8) * 0x0421) : 0;
            const std::size_t at = (std::size_t(y) * kWidth + x) * 2;
            img.pixels[at] = u8(pixel);
            img.pixels[at + 1] = u8(pixel >> 8);
        }
    }
    return img;
}

}  // namespace

SprSetDef SimpleMekaSet(const std::string& image) {
    SprSetDef set;
    set.images = {image};
    for (int facing = 0; facing < 8; facing++) {
        SprPageDef page;
        page.wait = 4;
        page.parts.push_back({0, RECT{-32, -96, 32, 0}, RECT{0, 0, i32(kWidth), i32(kHeight)}, 0});
        page.hit[0] = kMekaBodyRect;
        page.hit[4] = kMekaBoxRect;
        page.hit[13] = kMekaFootRect;
        set.pages.push_back(page);
    }
    for (int seq = 0; seq < 16; seq++) set.seqs[std::size_t(seq)] = {{0, 3}, {0, 3}};
    return set;
}

bool SaveMekaSet(const std::string& dir, const std::string& stem, const SprSetDef& set) {
    const std::string base = dir + "/Bmp/Meka/" + stem;
    return SaveGrp(base + ".grp", MekaPicture(), true) && SaveFile(base + ".spr", SprFile(set));
}

bool SaveSimpleMekaSet(const std::string& dir, const std::string& stem) {
    return SaveMekaSet(dir, stem, SimpleMekaSet(stem));
}

}  // namespace tools
