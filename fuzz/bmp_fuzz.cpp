// ".bmp" pictures: the reader, then the picture drawn whole and through a window picked by the input
// onto surfaces of every depth.
#include "fuzz/fuzz_support.h"
#include "graphics/display/grp.h"
#include "platform/memory.h"
#include "tools/writers/bmp_writer.h"

fuzz::Seeds FuzzSeeds() {
    fuzz::Seeds seeds;
    for (u16 bpp : {8, 16, 24}) {
        for (bool topDown : {false, true}) {
            tools::BmpImage b;
            b.bpp = bpp;
            b.width = 7;
            b.height = 5;
            b.topDown = topDown;
            b.pixels.resize(size_t(b.width) * b.height * (bpp / 8));
            for (size_t i = 0; i < b.pixels.size(); ++i) b.pixels[i] = u8(i * 11);
            if (bpp == 8) {
                b.colorsUsed = topDown ? 16 : 0;
                b.colors.resize((b.colorsUsed ? b.colorsUsed : 256) * 4);
                for (size_t i = 0; i < b.colors.size(); ++i) b.colors[i] = u8(i * 5);
            }
            seeds.emplace_back("bmp" + std::to_string(bpp) + (topDown ? "down" : "up"), tools::BmpBytes(b));
        }
    }
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
    fuzz::NeedDisplay();
    static plat::Surface* canvases[] = {fuzz::Canvas(80, 60), fuzz::Canvas(80, 60, 8), fuzz::Canvas(80, 60, 16),
                                        fuzz::Canvas(80, 60, 32)};
    const char* path = fuzz::InputFile("in.bmp", data, size);
    u8* block = nullptr;
    u32 blockSize = 0;
    if (SURF_ReadBmp(path, &block, &blockSize)) {
        const u32 t = fuzz::TailBits(data, size);
        const RECT window{i32(t & 0x3F) - 8, i32(t >> 6 & 0x3F) - 8, i32(t >> 12 & 0x3F), i32(t >> 18 & 0x3F)};
        for (plat::Surface* canvas : canvases) {
            SURF_PutBmp(canvas, -3, -2, block, blockSize, nullptr);
            SURF_PutBmp(canvas, i32(t >> 24 & 0x7F) - 32, 5, block, blockSize, &window);
        }
        plat::GlobalFree(block);
    }
    return 0;
}
