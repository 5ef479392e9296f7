// One sprite per effect of the attribute table, in place and stretched, drawn through the real blits
// into the back buffer and compared with a stored picture. KORVANE_UPDATE_GOLDEN=1 rewrites the picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "display_support.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "spr_draw_util.h"
#include "tools/writers/bmp_writer.h"

namespace {

constexpr int kCellW = 20;
constexpr int kCellH = 28;

struct Effect {
    u32 attr;
    i16 level;
    i16 level2;
};

// Rows 1a..19 of the table in order.
const Effect kEffects[] = {
    {0x104, i16(0xFFE0), 0}, {0x4, 16, 0},      {0x8, 16, 0},     {0x400, 16, 0},   {0x800, 16, 0},
    {0x10, 16, 0},           {0x1000, 16, 0},   {0x2000, 16, 0},  {0x20, 7, 0},     {0x40, 16, 0},
    {0x80, 16, 0},           {0x100, i16(0xFFE0), 0}, {0x200, 16, 0}, {0x1, 16, 0}, {0x4000, 16, 0},
    {0x8000, 16, 0},         {0x10000, 0x1008, 24}, {0x20000, 0x1008, 24}, {0x40000, 0x1008, 24}, {0x0, 16, 0},
};
constexpr int kCount = int(std::size(kEffects));
constexpr int kWidth = kCount * kCellW;
constexpr int kHeight = 2 * kCellH;

u16 Rgb(int r, int g, int b) { return DISP_PackRGB(u32(r), u32(g), u32(b)); }

// 16×16: red, green, blue and white quadrants with a transparent 4×4 hole, so flips and keys show.
int MakeImage() {
    const int slot = SPR_CreateSurf(16, 16, 0);
    plat::Surface* s = SPR_GetSlotSurf(slot);
    const RECT q[4] = {{0, 0, 8, 8}, {8, 0, 16, 8}, {0, 8, 8, 16}, {8, 8, 16, 16}};
    const u16 c[4] = {Rgb(240, 40, 40), Rgb(40, 220, 60), Rgb(50, 80, 250), Rgb(255, 255, 255)};
    for (int i = 0; i < 4; ++i) SURF_Fill(s, &q[i], c[i]);
    const RECT hole{2, 2, 6, 6};
    SURF_Fill(s, &hole, 0);
    return slot;
}

// 565 → 8-bit channels, widened the usual way so that the mapping is one to one.
void Widen(u16 p, u8* b, u8* g, u8* r) {
    const int r5 = p >> 11, g6 = (p >> 5) & 63, b5 = p & 31;
    *r = u8(r5 << 3 | r5 >> 2);
    *g = u8(g6 << 2 | g6 >> 4);
    *b = u8(b5 << 3 | b5 >> 2);
}

std::vector<u8> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<u8>(std::istreambuf_iterator<char>(in), {});
}

TEST(SpriteGolden, EveryEffectRowDrawsAsStored) {
    test::HeadlessDisplay display;
    ASSERT_TRUE(display.ok());
    SPR_Init();
    DISP_SetClipRect(0, 0, 640, 480);

    // Background: 4×4 checks of two colours, so blends and keys show against both.
    const RECT all{0, 0, kWidth, kHeight};
    SURF_Fill(DispBackBuffer, &all, Rgb(30, 90, 100));
    for (int y = 0; y < kHeight; y += 4)
        for (int x = (y / 4) % 2 * 4; x < kWidth; x += 8) {
            const RECT r{x, y, x + 4, y + 4};
            SURF_Fill(DispBackBuffer, &r, Rgb(200, 140, 60));
        }

    const int img = MakeImage();
    test::MakeGroup(0, {test::PageDef{0, {{img, {-8, -16, 8, 0}, {0, 0, 16, 16}, 0}}, {}}});
    for (int i = 0; i < kCount; ++i) {
        // Upper row in place; lower row stretched to 18×18 and mirrored left-right.
        for (int row = 0; row < 2; ++row) {
            const int s = row * kCount + i;
            ASSERT_EQ(SPR_CreateSpr(s, 0, i * kCellW + 10, row * kCellH + 22, 0, 0), 1);
            SPR_SetSprAttr(s, kEffects[i].attr | (row ? 0x1 : 0));
            SPR_SetSprAttrCnt1(s, kEffects[i].level);
            SPR_SetSprAttrCnt2(s, kEffects[i].level2);
            if (row) SPR_SetSprScale(s, 288, 288);
        }
    }
    SPR_DrawAllSpr(-1);

    plat::SurfaceDesc desc{};
    ASSERT_EQ(SURF_Lock(DispBackBuffer, &desc), 0);
    tools::BmpImage got;
    got.width = kWidth;
    got.height = kHeight;
    got.pixels.resize(size_t(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y) {
        const u16* line = reinterpret_cast<const u16*>(static_cast<const u8*>(desc.pixels) + y * desc.pitch);
        for (int x = 0; x < kWidth; ++x) {
            u8* o = &got.pixels[(size_t(y) * kWidth + x) * 3];
            Widen(line[x], &o[0], &o[1], &o[2]);
        }
    }
    SURF_Unlock(DispBackBuffer);
    SPR_Release();
    test::EmptySurfaceSlots();

    const std::string path = std::string(KORVANE_TESTDATA_DIR) + "/sprite_effects.bmp";
    const std::vector<u8> bytes = tools::BmpBytes(got);
    if (const char* update = std::getenv("KORVANE_UPDATE_GOLDEN"); update && *update == '1') {
        ASSERT_TRUE(tools::SaveBmp(path, got));
        GTEST_SKIP() << "reference written: " << path;
    }
    const std::vector<u8> want = ReadFile(path);
    ASSERT_FALSE(want.empty()) << "missing reference " << path;
    ASSERT_EQ(want.size(), bytes.size());
    // Name the first cell that differs, so a failure points at its row of the table.
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (want[i] == bytes[i]) continue;
        const size_t headerSize = bytes.size() - size_t(kWidth) * kHeight * 3;  // rows of 1200 bytes need no padding
        ASSERT_GE(i, headerSize) << "header differs";
        const size_t px = (i - headerSize) / 3;
        const int x = int(px % kWidth), yUp = int(px / kWidth), y = kHeight - 1 - yUp;
        FAIL() << "pixel (" << x << ", " << y << ") differs: effect " << std::hex << kEffects[x / kCellW].attr
               << (y >= kCellH ? " stretched" : " in place");
    }
}

}  // namespace
