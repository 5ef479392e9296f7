// ".grp" pictures: the reader, then the picture drawn whole and through a window picked by the input
// onto surfaces of every depth; pictures no larger than the screen also go through the game's loader.
#include "fuzz/fuzz_support.h"
#include "graphics/display/grp.h"
#include "graphics/display/surf.h"
#include "tools/writers/grp_writer.h"

namespace {

tools::GrpImage Picture(u16 bpp, u32 width, u32 height) {
    tools::GrpImage g;
    g.bpp = bpp;
    g.width = width;
    g.height = height;
    g.pixels.resize(size_t(width) * height * (bpp / 8));
    for (size_t i = 0; i < g.pixels.size(); ++i) g.pixels[i] = u8(i * 7 + i / 5);
    if (bpp == 8) {
        g.palette.resize(768);
        for (size_t i = 0; i < 768; ++i) g.palette[i] = u8(i * 3);
    }
    return g;
}

}  // namespace

fuzz::Seeds FuzzSeeds() {
    fuzz::Seeds seeds;
    for (u16 bpp : {8, 16, 24})
        for (bool lz : {false, true})
            seeds.emplace_back("grp" + std::to_string(bpp) + (lz ? "lz" : "raw"),
                               tools::GrpBytes(Picture(bpp, 13, 9), lz));
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
    fuzz::NeedDisplay();
    static plat::Surface* canvases[] = {fuzz::Canvas(80, 60), fuzz::Canvas(80, 60, 8), fuzz::Canvas(80, 60, 16),
                                        fuzz::Canvas(80, 60, 32)};
    const char* path = fuzz::InputFile("in.grp", data, size);
    GRP_DATA image;
    if (SURF_ReadGrp(path, &image)) {
        const u32 t = fuzz::TailBits(data, size);
        const RECT window{i32(t & 0x3F) - 8, i32(t >> 6 & 0x3F) - 8, i32(t >> 12 & 0x3F), i32(t >> 18 & 0x3F)};
        for (plat::Surface* canvas : canvases) {
            SURF_PutGrp(canvas, -3, -2, &image, nullptr);
            SURF_PutGrp(canvas, i32(t >> 24 & 0x7F) - 32, 5, &image, &window);
        }
        const bool screenSized = image.width <= 640 && image.height <= 480;
        SURF_FreeGrp(&image);
        if (screenSized) {
            i32 dims[2] = {};
            if (plat::Surface* s = SURF_LoadGrp(path, 0, 256, 0, dims)) SURF_Release(s);
        }
    }
    return 0;
}
