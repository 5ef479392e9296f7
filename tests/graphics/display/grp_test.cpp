#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "display_support.h"
#include "graphics/display/disp.h"
#include "graphics/display/grp.h"
#include "graphics/display/pal.h"
#include "graphics/display/surf.h"
#include "platform/memory.h"
#include "test_support.h"
#include "tools/writers/bmp_writer.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/grp_writer.h"
#include "tools/writers/lz_writer.h"

namespace {

enum class Kind { k8, k555, k565, k32 };

plat::Surface* MakeSurface(Kind kind, i32 w, i32 h) {
    switch (kind) {
        case Kind::k8: return plat::CreateSurface(w, h, 8, 0, 0, 0, 0);
        case Kind::k555: return plat::CreateSurface(w, h, 16, 0x7C00, 0x03E0, 0x001F, 0);
        case Kind::k565: return plat::CreateSurface(w, h, 16, 0xF800, 0x07E0, 0x001F, 0);
        case Kind::k32: return plat::CreateSurface(w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    }
    return nullptr;
}

u32 Px(const plat::Surface* s, i32 x, i32 y) {
    const u8* p = s->pixels + size_t(y) * size_t(s->pitch) + size_t(x) * (s->bitCount / 8);
    u32 v = 0;
    std::memcpy(&v, p, s->bitCount / 8);
    return v;
}

void Put16(std::vector<u8>& v, u16 p) {
    v.push_back(u8(p));
    v.push_back(u8(p >> 8));
}

// Index 0 is pure black, 1 an orange, 2 a colour whose bits all fall below the packing; 255 transparent.
tools::GrpImage Image8() {
    tools::GrpImage img;
    img.bpp = 8;
    img.width = 4;
    img.height = 1;
    img.pixels = {0, 1, 2, 255};
    img.palette.assign(768, 0);
    const u8 orange[3] = {255, 128, 64}, dim[3] = {7, 3, 7};
    std::memcpy(&img.palette[3], orange, 3);
    std::memcpy(&img.palette[6], dim, 3);
    return img;
}

tools::GrpImage Image16() {
    tools::GrpImage img;
    img.bpp = 16;
    img.width = 4;
    img.height = 1;
    for (u16 p : {0x7FFF, 0x8000, 0x0000, 0x4210}) Put16(img.pixels, p);
    return img;
}

tools::GrpImage Image24() {
    tools::GrpImage img;
    img.bpp = 24;
    img.width = 3;
    img.height = 1;
    img.pixels = {0, 0, 0, 255, 255, 255, 64, 128, 255};  // black, white, blue 64 green 128 red 255
    return img;
}

tools::BmpImage Bmp8(i32 w, i32 h) {
    tools::BmpImage b;
    b.bpp = 8;
    b.width = w;
    b.height = h;
    for (i32 i = 0; i < w * h; ++i) b.pixels.push_back(u8(i + 1));
    for (int i = 0; i < 256; ++i) b.colors.insert(b.colors.end(), {7, u8(255 - i), u8(i), 0});
    return b;
}

class GrpFiles : public ::testing::Test {
protected:
    test::TempDir dir;
    test::ScopedCwd cwd{dir.path()};
    test::DebugCapture debug;

    std::string Save(const std::string& name, const tools::GrpImage& img, bool lz = false) {
        tools::SaveGrp(dir.File(name), img, lz);
        return dir.File(name);
    }
    std::string SaveBytes(const std::string& name, const std::vector<u8>& bytes) {
        tools::SaveFile(dir.File(name), bytes);
        return dir.File(name);
    }
    // Converts the image into a fresh surface of the kind and gives its first row.
    std::vector<u32> Convert(Kind kind, const tools::GrpImage& img) {
        GRP_DATA data;
        EXPECT_EQ(SURF_ReadGrp(Save("conv.grp", img).c_str(), &data), 1);
        plat::Surface* s = MakeSurface(kind, i32(img.width), 1);
        // Marks what the converter leaves alone.
        std::memset(s->pixels, 0xAB, size_t(s->pitch));
        SURF_PutGrp(s, 0, 0, &data, nullptr);
        std::vector<u32> row;
        for (u32 x = 0; x < img.width; ++x) row.push_back(Px(s, i32(x), 0));
        plat::ReleaseSurface(s);
        SURF_FreeGrp(&data);
        return row;
    }
};

TEST_F(GrpFiles, EightBitImagesIntoEveryDepth) {
    const tools::GrpImage img = Image8();
    EXPECT_EQ(Convert(Kind::k8, img), (std::vector<u32>{0, 1, 2, 255}));
    // Black becomes 1, index 255 becomes 0.
    EXPECT_EQ(Convert(Kind::k555, img), (std::vector<u32>{1, (31u << 10) | (16 << 5) | 8, 1, 0}));
    EXPECT_EQ(Convert(Kind::k565, img), (std::vector<u32>{1, (31u << 11) | (32 << 5) | 8, 1, 0}));
    EXPECT_EQ(Convert(Kind::k32, img), (std::vector<u32>{1, 0xFF8040, 0x070307, 0}));
}

TEST_F(GrpFiles, SixteenBitImagesIntoEveryDepth) {
    const tools::GrpImage img = Image16();
    EXPECT_EQ(Convert(Kind::k8, img), (std::vector<u32>{0xAB, 0xAB, 0xAB, 0xAB}));  // nothing drawn
    // 555 keeps the rows as they are, bit 15 too; 565 moves red and green up and drops bit 15.
    EXPECT_EQ(Convert(Kind::k555, img), (std::vector<u32>{0x7FFF, 0x8000, 0, 0x4210}));
    EXPECT_EQ(Convert(Kind::k565, img), (std::vector<u32>{0xFFDF, 0, 0, 0x8410}));
    EXPECT_EQ(Convert(Kind::k32, img), (std::vector<u32>{0xF8F8F8, 0, 0, 0x808080}));
}

TEST_F(GrpFiles, TwentyFourBitImagesIntoEveryDepth) {
    const tools::GrpImage img = Image24();
    EXPECT_EQ(Convert(Kind::k8, img), (std::vector<u32>{0xAB, 0xAB, 0xAB}));
    // Black stays 0: transparent.
    EXPECT_EQ(Convert(Kind::k555, img), (std::vector<u32>{0, 0x7FFF, (31u << 10) | (16 << 5) | 8}));
    EXPECT_EQ(Convert(Kind::k565, img), (std::vector<u32>{0, 0xFFFF, (31u << 11) | (32 << 5) | 8}));
    EXPECT_EQ(Convert(Kind::k32, img), (std::vector<u32>{0, 0xFFFFFF, 0xFF8040}));
}

TEST_F(GrpFiles, RawAndCompressedBodiesReadTheSame) {
    tools::GrpImage img;
    img.bpp = 16;
    img.width = 50;
    img.height = 30;
    img.pixels = tools::SyntheticPicture16(50, 30, 7);
    GRP_DATA raw, packed;
    ASSERT_EQ(SURF_ReadGrp(Save("raw.grp", img).c_str(), &raw), 1);
    ASSERT_EQ(SURF_ReadGrp(Save("lz.grp", img, true).c_str(), &packed), 1);
    EXPECT_EQ(raw.width, 50u);
    EXPECT_EQ(raw.height, 30u);
    EXPECT_EQ(raw.bpp, 16);
    EXPECT_EQ(std::memcmp(raw.pixels, img.pixels.data(), img.pixels.size()), 0);
    EXPECT_EQ(std::memcmp(packed.pixels, img.pixels.data(), img.pixels.size()), 0);
    SURF_FreeGrp(&raw);
    SURF_FreeGrp(&packed);
    EXPECT_EQ(raw.pixels, nullptr);
    EXPECT_EQ(raw.width, 0u);

    // Any variant byte but '2' is raw; the palette of an 8-bit image follows its pixels.
    std::vector<u8> bytes = tools::GrpBytes(Image8(), false);
    bytes[2] = 'z';
    GRP_DATA eight;
    ASSERT_EQ(SURF_ReadGrp(SaveBytes("z.grp", bytes).c_str(), &eight), 1);
    ASSERT_NE(eight.palette, nullptr);
    EXPECT_EQ(eight.palette, eight.pixels + 4);
    EXPECT_EQ(eight.palette[3], 255);
    SURF_FreeGrp(&eight);
    ASSERT_EQ(SURF_ReadGrp(Save("p.grp", Image8(), true).c_str(), &eight), 1);
    EXPECT_EQ(eight.palette[4], 128);
    SURF_FreeGrp(&eight);
    EXPECT_EQ(debug.text(), "");
}

TEST_F(GrpFiles, MalformedFilesAreRefused) {
    GRP_DATA data;
    std::memset(&data, 0x55, sizeof(data));
    EXPECT_EQ(SURF_ReadGrp(dir.File("a.GRP").c_str(), &data), 0);  // the suffix is case-sensitive
    EXPECT_EQ(debug.text(), "");
    const std::string missing = dir.File("missing.grp");
    EXPECT_EQ(SURF_ReadGrp(missing.c_str(), &data), 0);
    EXPECT_EQ(debug.text(), missing + ":Open error -1\n");

    auto header = [](const char* magic, char variant, u16 bpp, u32 w, u32 h) {
        tools::ByteWriter b;
        b.Text(magic).U8(u8(variant)).U16(bpp).U32(w).U32(h);
        return b.bytes();
    };
    const std::vector<std::vector<u8>> bad = {
        header("GX", '1', 16, 2, 2),             // magic
        header("GR", '1', 12, 2, 2),             // depth
        header("GR", '1', 32, 2, 2),             // depth
        header("GR", '1', 16, 0x40000000, 2),    // absurd width
        header("GR", '1', 24, 16384, 16384),     // absurd size
        {'G', 'R', '1', 16, 0, 2, 0},            // header cut short
    };
    for (size_t i = 0; i < bad.size(); ++i) {
        std::memset(&data, 0x55, sizeof(data));
        debug.Clear();
        EXPECT_EQ(SURF_ReadGrp(SaveBytes("bad.grp", bad[i]).c_str(), &data), 0) << i;
        EXPECT_EQ(data.pixels, nullptr) << i;
        EXPECT_EQ(data.width, 0u) << i;
        EXPECT_NE(debug.text(), "") << i;
    }

    // A compressed body that expands past the picture is refused, not written past the block.
    std::vector<u8> over = header("GR", '2', 16, 2, 2);
    const std::vector<u8> stream = tools::LzCompress(std::vector<u8>(64, 9));
    over.insert(over.end(), stream.begin(), stream.end());
    EXPECT_EQ(SURF_ReadGrp(SaveBytes("over.grp", over).c_str(), &data), 0);
    EXPECT_EQ(data.pixels, nullptr);
}

TEST_F(GrpFiles, ShortBodiesKeepZeros) {
    std::vector<u8> raw = tools::GrpBytes(Image16(), false);
    raw.resize(13 + 3);  // one and a half pixels
    GRP_DATA data;
    ASSERT_EQ(SURF_ReadGrp(SaveBytes("short.grp", raw).c_str(), &data), 1);
    EXPECT_EQ(data.pixels[0], 0xFF);
    EXPECT_EQ(data.pixels[2], 0x00);
    EXPECT_EQ(data.pixels[3], 0x00);  // missing
    EXPECT_EQ(data.pixels[7], 0x00);
    SURF_FreeGrp(&data);
    // A stream that stops early leaves zeros as well.
    std::vector<u8> packed = tools::GrpBytes(Image16(), true);
    packed.resize(packed.size() - 2);
    ASSERT_EQ(SURF_ReadGrp(SaveBytes("shortlz.grp", packed).c_str(), &data), 1);
    EXPECT_EQ(data.pixels[0], 0xFF);
    EXPECT_EQ(data.pixels[7], 0x00);
    SURF_FreeGrp(&data);
}

TEST_F(GrpFiles, SourceRectanglePreClip) {
    tools::GrpImage img;
    img.bpp = 16;
    img.width = 8;
    img.height = 4;
    for (u16 y = 0; y < 4; ++y)
        for (u16 x = 0; x < 8; ++x) Put16(img.pixels, u16(0x100 | (y << 4) | x));
    GRP_DATA data;
    ASSERT_EQ(SURF_ReadGrp(Save("r.grp", img).c_str(), &data), 1);
    plat::Surface* s = MakeSurface(Kind::k555, 20, 10);
    const RECT r{-4, -1, 100, 2};
    SURF_PutGrp(s, 10, 3, &data, &r);
    EXPECT_EQ(Px(s, 13, 4), 0u);
    EXPECT_EQ(Px(s, 14, 4), 0x100u);           // column 0 at x 14, row 0 at y 4
    EXPECT_EQ(Px(s, 19, 5), 0x100u | 0x10 | 5);  // cut by the surface's right edge
    EXPECT_EQ(Px(s, 14, 6), 0u);               // bottom 2 of the image
    // The global clip rectangle plays no part.
    DISP_SetClipRect(0, 0, 1, 1);
    SURF_PutGrp(s, 0, 0, &data, nullptr);
    EXPECT_EQ(Px(s, 7, 3), 0x100u | 0x30 | 7);
    // A locked surface is left as it was.
    plat::SurfaceDesc desc;
    plat::LockSurface(s, &desc);
    SURF_PutGrp(s, 0, 8, &data, nullptr);
    plat::UnlockSurface(s);
    EXPECT_EQ(Px(s, 0, 8), 0u);
    plat::ReleaseSurface(s);
    SURF_FreeGrp(&data);
}

TEST_F(GrpFiles, ExtensionChange) {
    char name[kImageNameMax] = "Bmp\\Menu.bmp";
    EXPECT_STREQ(SURF_SetGrpExt(name), "Bmp\\Menu.grp");
    std::strcpy(name, "a.b.c.bmp");
    EXPECT_STREQ(SURF_SetGrpExt(name), "a.b.c.grp");
    std::strcpy(name, "dir.x/name");
    EXPECT_STREQ(SURF_SetGrpExt(name), "dir.x/name.grp");
    char tight[8] = "abc.bmp";
    EXPECT_STREQ(SURF_SetGrpExt(tight, sizeof(tight)), "abc.grp");
    char full[8] = "abcdefg";
    EXPECT_STREQ(SURF_SetGrpExt(full, sizeof(full)), "abcdefg");  // no room: unchanged
}

class Loaders : public GrpFiles, public ::testing::WithParamInterface<plat::PixelLayout> {
protected:
    test::HeadlessDisplay display{GetParam()};
};

TEST_P(Loaders, BmpNamesLoadTheGrpOfTheSameStem) {
    Save("Bmp/Menu.v1.grp", Image24());
    const std::string name = dir.path() + "/Bmp/Menu.v1.bmp";
    i32 size[2] = {0, 0};
    plat::Surface* s = SURF_LoadImage(name.c_str(), 0, 0, 0, size);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(DispSurfCount, 1);
    EXPECT_EQ(size[0], 3);
    EXPECT_EQ(size[1], 1);
    EXPECT_TRUE(s->caps & plat::kCapsSystemMemory);
    EXPECT_EQ(Px(s, 1, 0), GetParam() == plat::PixelLayout::k565 ? 0xFFFFu : 0x7FFFu);
    SURF_Release(s);
    s = SURF_LoadImage(name.c_str(), 0, 0, 1, nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_FALSE(s->caps & plat::kCapsSystemMemory);
    SURF_Release(s);
    EXPECT_EQ(SURF_LoadImage((dir.path() + "/none.bmp").c_str(), 0, 0, 0, nullptr), nullptr);
    EXPECT_EQ(DispSurfCount, 0);
    // A name too long for the working buffer is refused with a message, not cut off.
    debug.Clear();
    const std::string longName(300, 'a');
    EXPECT_EQ(SURF_LoadImage(longName.c_str(), 0, 0, 0, nullptr), nullptr);
    EXPECT_EQ(SURF_LoadImageTo(display.ok() ? DispWorkSurf : nullptr, longName.c_str(), 0, 0, 0, nullptr), 0);
    EXPECT_TRUE(debug.Contains("too long"));
}

TEST_P(Loaders, LoadIntoAnExistingSurface) {
    tools::GrpImage big;
    big.bpp = 16;
    big.width = 12;
    big.height = 9;
    for (u32 i = 0; i < 12 * 9; ++i) Put16(big.pixels, u16(i + 1));
    Save("big.grp", big);
    plat::Surface* s = SURF_Create(8, 8, SURF_CAPS_SYSMEM);
    i32 size[2] = {};
    EXPECT_EQ(SURF_LoadImageTo(s, dir.File("big.bmp").c_str(), 0, 0, 0, size), 1);
    EXPECT_EQ(size[0], 12);
    const u32 last = 7 * 12 + 7 + 1;  // image pixel (7, 7), cut at the surface's edges
    EXPECT_EQ(Px(s, 7, 7), GetParam() == plat::PixelLayout::k565 ? (((last & 0x7FE0) << 1) | (last & 0x1F)) : last);
    // A destination that cannot be locked reports failure.
    plat::SurfaceDesc desc;
    SURF_Lock(s, &desc);
    EXPECT_EQ(SURF_LoadGrpTo(s, dir.File("big.grp").c_str(), 0, 0, 0, nullptr), 0);
    EXPECT_EQ(SURF_LoadImageTo(s, dir.File("big.bmp").c_str(), 0, 0, 0, nullptr), 0);
    SURF_Unlock(s);
    EXPECT_EQ(SURF_LoadGrpTo(s, dir.File("nothing.grp").c_str(), 0, 0, 0, nullptr), 0);
    SURF_Release(s);
}

TEST_P(Loaders, PaletteIsTakenOnlyWhenAsked) {
    Save("p.grp", Image8());
    for (int i = 0; i < 256; ++i) PalEntries[i] = PAL_ENTRY{9, 9, 9, 0};
    plat::Surface* s = SURF_LoadGrp(dir.File("p.grp").c_str(), 0, 0, 0, nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(PalEntries[1].red, 9);
    SURF_Release(s);
    s = SURF_LoadGrp(dir.File("p.grp").c_str(), 1, 2, 0, nullptr);
    EXPECT_EQ(PalEntries[0].red, 9);
    EXPECT_EQ(PalEntries[1].red, 255);
    EXPECT_EQ(PalEntries[2].blue, 7);
    EXPECT_EQ(PalEntries[3].red, 9);
    SURF_Release(s);
    // At 16 bits the remapping loaders are the plain ones with the source range.
    s = SURF_LoadGrp8(dir.File("p.grp").c_str(), 100, 0, 1, 0, nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(PalEntries[0].red, 0);
    EXPECT_EQ(PalEntries[100].red, 9);
    EXPECT_EQ(s->bitCount, 16u);
    SURF_Release(s);
}

INSTANTIATE_TEST_SUITE_P(Layouts, Loaders, ::testing::Values(plat::PixelLayout::k565, plat::PixelLayout::k555),
                         [](const auto& info) { return info.param == plat::PixelLayout::k565 ? "565" : "555"; });

class EightBitDisplay : public GrpFiles {
protected:
    test::HeadlessDisplay display{plat::PixelLayout::k565, 640, 480, 8};
};

tools::GrpImage Indexed(u32 w, u32 h) {
    tools::GrpImage img;
    img.bpp = 8;
    img.width = w;
    img.height = h;
    for (u32 i = 0; i < w * h; ++i) img.pixels.push_back(u8(i * 37));
    img.pixels[1] = 255;
    for (int i = 0; i < 256; ++i) {
        img.palette.push_back(u8(i));
        img.palette.push_back(u8(255 - i));
        img.palette.push_back(7);
    }
    return img;
}

TEST_F(EightBitDisplay, RemappingLoaderShiftsIndicesAndPalette) {
    const tools::GrpImage img = Indexed(5, 3);
    Save("m.grp", img);
    for (int i = 0; i < 256; ++i) PalEntries[i] = PAL_ENTRY{1, 1, 1, 0};
    plat::Surface* s = SURF_LoadGrp8(dir.File("m.grp").c_str(), 100, 0, 10, 0, nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->bitCount, 8u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(PalEntries[100 + i].red, i);
        EXPECT_EQ(PalEntries[100 + i].green, 255 - i);
    }
    EXPECT_EQ(PalEntries[99].red, 1);
    EXPECT_EQ(PalEntries[110].red, 1);
    PAL_ENTRY shown{};
    DISP_GetPalEntries(&shown, 105, 1);
    EXPECT_EQ(shown.red, 5);
    for (u32 i = 0; i < 15; ++i) {
        const u8 want = i == 1 ? 0 : u8((img.pixels[i] + 100) & 0xFF);
        ASSERT_EQ(Px(s, i32(i % 5), i32(i / 5)), want) << i;
    }
    SURF_Release(s);
    // Ranges are clipped: a negative destination start moves the source start.
    s = SURF_LoadGrp8(dir.File("m.grp").c_str(), -3, 10, 5, 0, nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(PalEntries[0].red, 13);
    EXPECT_EQ(PalEntries[1].red, 14);
    EXPECT_EQ(PalEntries[2].red, 1);
    EXPECT_EQ(Px(s, 0, 0), u32(u8(0 - 13)));  // index 0 shifted by -13, modulo 256
    SURF_Release(s);
    EXPECT_EQ(SURF_LoadGrp8(dir.File("m.grp").c_str(), 256, 0, 5, 0, nullptr), nullptr);
    EXPECT_EQ(SURF_LoadGrp8(dir.File("m.grp").c_str(), -20, 0, 5, 0, nullptr), nullptr);
    EXPECT_EQ(SURF_LoadGrp8(dir.File("m.grp").c_str(), 0, 300, 5, 0, nullptr), nullptr);
    // A picture of another depth is refused.
    Save("t.grp", Image24());
    EXPECT_EQ(SURF_LoadGrp8(dir.File("t.grp").c_str(), 0, 0, 5, 0, nullptr), nullptr);
    EXPECT_EQ(DispSurfCount, 0);
}

TEST_F(EightBitDisplay, BitmapLoaderReadsRowsBottomUp) {
    tools::SaveBmp(dir.File("Pic.bmp"), Bmp8(3, 2));  // 3 bytes a row, padded to 4
    tools::BmpImage topDown = Bmp8(3, 2);
    topDown.topDown = true;
    tools::SaveBmp(dir.File("Top.bmp"), topDown);
    for (const char* name : {"Pic.bmp", "Top.bmp"}) {
        plat::Surface* s = SURF_LoadImage8(name, 50, 1, 3, 0, nullptr);
        ASSERT_NE(s, nullptr) << name;
        EXPECT_EQ(Px(s, 0, 0), 50u) << name;  // index 1 shifted by 49
        EXPECT_EQ(Px(s, 2, 1), 55u) << name;
        EXPECT_EQ(PalEntries[50].red, 1);  // red of table entry 1
        EXPECT_EQ(PalEntries[52].green, 252);
        SURF_Release(s);
    }
    // A ".grp" name goes to the ".grp" loader.
    Save("g.grp", Indexed(2, 2));
    plat::Surface* s = SURF_LoadImage8(dir.File("g.grp").c_str(), 0, 0, 0, 0, nullptr);
    ASSERT_NE(s, nullptr);
    SURF_Release(s);
}

TEST_F(EightBitDisplay, MalformedBitmapsAreRefused) {
    const std::vector<u8> good = tools::BmpBytes(Bmp8(3, 2));
    auto patched = [&](size_t at, u32 value) {
        std::vector<u8> b = good;
        std::memcpy(&b[at], &value, 4);
        return b;
    };
    const std::vector<std::vector<u8>> bad = {
        patched(2, 10),                     // file size below the header
        patched(14, 5000),                  // information header larger than the block
        patched(14, 12),                    // information header too small
        patched(18, 0x01000000),            // width
        patched(22, 0),                     // height
        patched(22, 1000),                  // rows past the block
        patched(14 + 32, 0x40000000),       // colours used past the block
        patched(14 + 12, 0x00400001),       // depth 64
        std::vector<u8>(good.begin(), good.begin() + 30),  // cut inside the header
    };
    for (size_t i = 0; i < bad.size(); ++i) {
        SaveBytes("bad.bmp", bad[i]);
        debug.Clear();
        EXPECT_EQ(SURF_LoadImage8("bad.bmp", 0, 0, 10, 0, nullptr), nullptr) << i;
        EXPECT_NE(debug.text(), "") << i;
    }
    EXPECT_EQ(DispSurfCount, 0);
    u8* block = reinterpret_cast<u8*>(1);
    EXPECT_EQ(SURF_ReadBmp("bad.BMP", &block), 0);
    EXPECT_EQ(block, reinterpret_cast<u8*>(1));  // wrong suffix: nothing touched
    debug.Clear();
    EXPECT_EQ(SURF_ReadBmp("gone.bmp", &block), 0);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(debug.text(), "gone.bmp:Open error -1\n");
}

// A body that stops early reads as zeros, as far as the picture's own header can need.
TEST_F(GrpFiles, BitmapsCutShortKeepZerosWhereTheFileEnds) {
    tools::BmpImage b24;
    b24.width = 4;
    b24.height = 2;
    for (int i = 0; i < 8; ++i) b24.pixels.insert(b24.pixels.end(), {u8(8 * (i + 1)), 0, 0});
    const std::vector<u8> whole = tools::BmpBytes(b24);  // 54 + 2 rows of 12 bytes
    const u32 need = 40 + 24;
    auto stated = [](std::vector<u8> b, u32 size) {
        std::memcpy(&b[2], &size, 4);
        return b;
    };
    struct Case {
        const char* what;
        std::vector<u8> bytes;
        u32 blockSize;
        std::vector<u32> row0;  // the top row on a 5-6-5 surface (the last one stored)
    };
    const Case cases[] = {
        {"whole", whole, need, {1, 2, 3, 4}},
        {"cut in the top row", std::vector<u8>(whole.begin(), whole.end() - 5), need, {1, 2, 3, 0}},  // blue of 2 read
        {"cut before the top row", std::vector<u8>(whole.begin(), whole.end() - 12), need, {0, 0, 0, 0}},
        {"size field far past the file", stated(whole, 0xFFFFFFFFu), need, {1, 2, 3, 4}},
        {"size field a little past the file", stated(std::vector<u8>(whole.begin(), whole.end() - 12), 14 + need - 3),
         need - 3, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SaveBytes("cut.bmp", c.bytes);
        u8* block = nullptr;
        u32 size = 0;
        ASSERT_EQ(SURF_ReadBmp("cut.bmp", &block, &size), 1);
        EXPECT_EQ(size, c.blockSize);
        plat::Surface* s = MakeSurface(Kind::k565, 4, 2);
        SURF_PutBmp(s, 0, 0, block, size, nullptr);
        plat::GlobalFree(block);
        if (c.row0.empty()) {
            EXPECT_TRUE(debug.Contains("SURF_PutBmp: malformed bitmap (rows cut short)"));
        } else {
            for (i32 x = 0; x < 4; ++x) EXPECT_EQ(Px(s, x, 0), c.row0[size_t(x)]) << x;
            EXPECT_EQ(Px(s, 3, 1), 8u) << "the bottom row stays whole";
        }
        plat::ReleaseSurface(s);
    }
    // What describes the rows must be whole.
    debug.Clear();
    u8* block = nullptr;
    SaveBytes("cut.bmp", std::vector<u8>(whole.begin(), whole.begin() + 40));
    EXPECT_EQ(SURF_ReadBmp("cut.bmp", &block), 0);
    EXPECT_EQ(debug.text(), "cut.bmp: information header cut short\r\n");
    const std::vector<u8> eight = tools::BmpBytes(Bmp8(3, 2));
    SaveBytes("cut.bmp", std::vector<u8>(eight.begin(), eight.begin() + 14 + 40 + 1000));
    debug.Clear();
    EXPECT_EQ(SURF_ReadBmp("cut.bmp", &block), 0);
    EXPECT_EQ(debug.text(), "cut.bmp: information header or colour table cut short\r\n");
    EXPECT_EQ(block, nullptr);
}

// Pictures of kinds the converter does not read are refused, saying which; nothing is drawn.
TEST_F(GrpFiles, BitmapsOfOtherKindsAreRefusedByName) {
    auto image = [](u16 bpp, u32 compression) {
        tools::BmpImage b;
        b.bpp = bpp;
        b.width = 4;
        b.height = 2;
        b.compression = compression;
        b.pixels.assign(size_t(4 * 2 * (bpp / 8)), 0x5A);
        if (bpp <= 8) b.colors.assign(size_t(4) << bpp, 0x77);
        return b;
    };
    // RLE8 as an image tool writes it: a run of 4 of index 1, end of line; 4 of index 2, end of picture.
    tools::BmpImage rle8 = image(8, 1);
    rle8.body = {4, 1, 0, 0, 4, 2, 0, 1};
    tools::BmpImage rle4 = image(4, 2);
    rle4.body = {4, 0x11, 0, 0, 4, 0x22, 0, 1};
    tools::BmpImage fields124 = image(16, 3);
    fields124.headerSize = 124;
    const std::pair<tools::BmpImage, const char*> cases[] = {
        {rle8, "compression 1 (RLE8) at 8 bits is not read"},
        {rle4, "compression 2 (RLE4) at 4 bits is not read"},
        {image(24, 4), "compression 4 (JPEG) at 24 bits is not read"},
        {image(24, 3), "compression 3 (bit fields) at 24 bits is not read"},
        {image(1, 0), "1-bit pixels are not read"},
        {image(4, 0), "4-bit pixels are not read"},
        {image(32, 0), "32-bit pixels are not read"},
        {image(32, 3), "32-bit pixels are not read"},
        {fields124, "bit fields inside a 124-byte information header are not read"},
    };
    for (const auto& [bmp, why] : cases) {
        SCOPED_TRACE(why);
        SaveBytes("other.bmp", tools::BmpBytes(bmp));
        u8* block = nullptr;
        u32 size = 0;
        ASSERT_EQ(SURF_ReadBmp("other.bmp", &block, &size), 1);
        plat::Surface* s = MakeSurface(Kind::k565, 4, 2);
        std::memset(s->pixels, 0xAB, size_t(s->pitch) * 2);
        debug.Clear();
        SURF_PutBmp(s, 0, 0, block, size, nullptr);
        EXPECT_EQ(debug.text(), std::string("SURF_PutBmp: ") + why + "\r\n");
        EXPECT_EQ(Px(s, 0, 0), 0xABABu);
        EXPECT_EQ(Px(s, 3, 1), 0xABABu);
        plat::ReleaseSurface(s);
        plat::GlobalFree(block);
    }
    // Bit fields behind a 40-byte header are read, as 5-5-5 whatever the masks say.
    tools::BmpImage fields = image(16, 3);
    fields.masks[0] = 0xF800;
    fields.masks[1] = 0x07E0;
    fields.pixels.clear();
    for (int i = 0; i < 8; ++i) Put16(fields.pixels, 0x7FFF);
    SaveBytes("fields.bmp", tools::BmpBytes(fields));
    u8* block = nullptr;
    u32 size = 0;
    ASSERT_EQ(SURF_ReadBmp("fields.bmp", &block, &size), 1);
    plat::Surface* s = MakeSurface(Kind::k565, 4, 2);
    SURF_PutBmp(s, 0, 0, block, size, nullptr);
    EXPECT_EQ(Px(s, 2, 1), 0xFFDFu);
    plat::ReleaseSurface(s);
    plat::GlobalFree(block);
}

TEST_F(GrpFiles, BitmapConverterMatchesTheTable) {
    // 24 bits, 3 wide (9 bytes, padded to 12), bottom-up.
    tools::BmpImage b24;
    b24.bpp = 24;
    b24.width = 3;
    b24.height = 2;
    b24.pixels = {0, 0, 0, 255, 255, 255, 64, 128, 255, 8, 0, 0, 0, 8, 0, 0, 0, 8};
    tools::SaveBmp(dir.File("c24.bmp"), b24);
    tools::BmpImage b16;
    b16.bpp = 16;
    b16.width = 1;
    b16.height = 2;
    Put16(b16.pixels, 0x7FFF);
    Put16(b16.pixels, 0x0001);
    tools::SaveBmp(dir.File("c16.bmp"), b16);
    tools::SaveBmp(dir.File("c8.bmp"), Bmp8(2, 1));

    u8* block = nullptr;
    u32 size = 0;
    ASSERT_EQ(SURF_ReadBmp("c24.bmp", &block, &size), 1);
    plat::Surface* s = MakeSurface(Kind::k565, 4, 4);
    SURF_PutBmp(s, 0, 0, block, size, nullptr);
    EXPECT_EQ(Px(s, 0, 0), 0u);
    EXPECT_EQ(Px(s, 1, 0), 0xFFFFu);
    EXPECT_EQ(Px(s, 2, 0), (31u << 11) | (32 << 5) | 8);
    EXPECT_EQ(Px(s, 0, 1), 1u);      // blue 8
    EXPECT_EQ(Px(s, 2, 1), 1u << 11);  // red 8
    const RECT part{1, 1, 3, 2};
    SURF_PutBmp(s, 0, 3, block, size, &part);
    EXPECT_EQ(Px(s, 0, 3), 2u << 5);  // green 8 in 565
    plat::GlobalFree(block);

    ASSERT_EQ(SURF_ReadBmp("c16.bmp", &block, &size), 1);
    plat::Surface* s32 = MakeSurface(Kind::k32, 2, 2);
    SURF_PutBmp(s32, 0, 0, block, size, nullptr);
    EXPECT_EQ(Px(s32, 0, 0), 0xF8F8F8u);
    EXPECT_EQ(Px(s32, 0, 1), 0x000008u);
    plat::GlobalFree(block);

    ASSERT_EQ(SURF_ReadBmp("c8.bmp", &block, &size), 1);
    plat::Surface* s555 = MakeSurface(Kind::k555, 2, 1);
    SURF_PutBmp(s555, 0, 0, block, size, nullptr);
    EXPECT_EQ(Px(s555, 0, 0), (0u << 10) | (31 << 5) | 0);  // entry 1: red 1, green 254, blue 7
    plat::GlobalFree(block);
    plat::ReleaseSurface(s);
    plat::ReleaseSurface(s32);
    plat::ReleaseSurface(s555);
}

}  // namespace
