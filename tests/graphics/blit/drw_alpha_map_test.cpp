#include <gtest/gtest.h>

#include <vector>

#include "graphics/blit/drw.h"
#include "platform/memory.h"
#include "test_support.h"
#include "tools/writers/byte_writer.h"

namespace {

// An uncompressed BMP: rows bottom first, each padded to 4 bytes.
std::vector<u8> Bmp(i32 width, i32 height, u32 bits, u32 paletteEntries, const std::vector<std::vector<u8>>& topDown) {
    tools::ByteWriter w;
    const u32 offset = 54 + paletteEntries * 4;
    w.Text("BM").U32(0).U16(0).U16(0).U32(offset);
    w.U32(40).I32(width).I32(height).U16(1).U16(bits).U32(0).U32(0).U32(0).U32(0).U32(paletteEntries).U32(0);
    w.Zeros(paletteEntries * 4);
    for (auto row = topDown.rbegin(); row != topDown.rend(); ++row) {
        w.Bytes(*row);
        w.Zeros((4 - row->size() % 4) % 4);
    }
    return w.bytes();
}

struct MapHolder {
    ALPHA_MAP map{nullptr, 0, 0};
    ~MapHolder() { plat::GlobalFree(map.pixels); }
};

TEST(LoadAlpha, ReadsRowsTopToBottomSkippingPaletteAndPadding) {
    test::TempDir dir;
    dir.Write("a.bmp", Bmp(3, 2, 8, 256, {{1, 2, 3}, {7, 8, 9}}));
    dir.Write("b.bmp", Bmp(4, 1, 8, 0, {{10, 20, 30, 40}}));
    MapHolder a, b;
    ASSERT_EQ(LoadAlpha(&a.map, dir.File("a.bmp").c_str()), 1);
    EXPECT_EQ(a.map.width, 3);
    EXPECT_EQ(a.map.height, 2);
    EXPECT_EQ(std::vector<u8>(a.map.pixels, a.map.pixels + 6), (std::vector<u8>{1, 2, 3, 7, 8, 9}));
    ASSERT_EQ(LoadAlpha(&b.map, dir.File("b.bmp").c_str()), 1);
    EXPECT_EQ(std::vector<u8>(b.map.pixels, b.map.pixels + 4), (std::vector<u8>{10, 20, 30, 40}));
}

TEST(LoadAlpha, RefusesOtherDepthsShortFilesAndOversizedHeaders) {
    test::TempDir dir;
    std::vector<u8> good = Bmp(5, 3, 8, 16, {{1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}});
    dir.Write("deep.bmp", Bmp(2, 2, 24, 0, {{1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}}));
    dir.Write("short.bmp", std::vector<u8>(good.begin(), good.end() - 3));
    dir.Write("head.bmp", std::vector<u8>(good.begin(), good.begin() + 30));
    // A top-down height (-3) reads as 65533 rows: far more than the file holds.
    std::vector<u8> topDown = good;
    topDown[22] = 0xFD, topDown[23] = 0xFF, topDown[24] = 0xFF, topDown[25] = 0xFF;
    dir.Write("topdown.bmp", topDown);
    test::DebugCapture debug;
    for (const char* name : {"deep.bmp", "short.bmp", "head.bmp", "topdown.bmp", "missing.bmp"}) {
        MapHolder m;
        EXPECT_EQ(LoadAlpha(&m.map, dir.File(name).c_str()), 0) << name;
        EXPECT_EQ(m.map.pixels, nullptr) << name;
    }
    EXPECT_TRUE(debug.Contains("LoadAlpha"));
}

}  // namespace
