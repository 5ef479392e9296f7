// Alpha maps (8-bit ".bmp" files read as one byte per pixel): the reader, then every byte of the map
// read as the blends read it.
#include "fuzz/fuzz_support.h"
#include "graphics/blit/drw.h"
#include "platform/memory.h"
#include "tools/writers/bmp_writer.h"

fuzz::Seeds FuzzSeeds() {
    fuzz::Seeds seeds;
    for (i32 width : {1, 4, 6}) {
        tools::BmpImage b;
        b.bpp = 8;
        b.width = width;
        b.height = 3;
        b.pixels.resize(size_t(width) * 3);
        for (size_t i = 0; i < b.pixels.size(); ++i) b.pixels[i] = u8(i * 40);
        b.colorsUsed = width == 6 ? 0 : 4;
        b.colors.resize((b.colorsUsed ? b.colorsUsed : 256) * 4);
        seeds.emplace_back("alpha" + std::to_string(width), tools::BmpBytes(b));
    }
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
    ALPHA_MAP map{nullptr, 0, 0};
    if (LoadAlpha(&map, fuzz::InputFile("in.bmp", data, size))) {
        fuzz::Check(map.pixels != nullptr && map.width >= 0 && map.height >= 0, "loaded map");
        u32 sum = 0;
        for (i64 i = 0; i < i64(map.width) * map.height; ++i) sum += map.pixels[i];
        fuzz::Check(sum <= 255u * u32(i64(map.width) * map.height), "map bytes");
    }
    plat::GlobalFree(map.pixels);
    return 0;
}
