// One synthetic battle frame drawn by the battle draw through the real blits: a stage with a tree, a
// mech behind the tree and a mirrored one in front of it, a shot in the air with its shadow and an
// additive blend, and a HUD strip; compared with a stored picture. KORVANE_UPDATE_GOLDEN=1 rewrites it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "battle/battle.h"
#include "battle/data/meka_type.h"
#include "battle/map/cam.h"
#include "battle/map/map.h"
#include "battle/map/scr.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "display_support.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/memory.h"
#include "screens/btl/btl.h"
#include "screens/save/save.h"
#include "test_support.h"
#include "tests/graphics/sprite/spr_draw_util.h"
#include "tools/writers/bmp_writer.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/grp_writer.h"
#include "tools/writers/map_writer.h"
#include "tools/writers/meka_set_writer.h"

namespace {

constexpr u16 kMapW = 60, kMapH = 45;
constexpr i32 kCamX = 480, kCamY = 320;  // a map point (x, y) lies on the screen at (x - 160, y - 80)

// ".grp" pictures hold 555 pixels; surfaces filled here take the display's format.
u16 Rgb555(int r, int g, int b) { return u16((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)); }
u16 Rgb(int r, int g, int b) { return DISP_PackRGB(u32(r), u32(g), u32(b)); }

// Chips 0 and 2 grass, 1 a sandy path.
u16 ChipPixel(u32 x, u32 y) {
    const u32 chip = x / 16, px = x % 16, py = y % 16;
    const bool speck = (px * 5 + py * 3 + chip) % 7 == 0;
    if (chip == 1) return speck ? Rgb555(170, 140, 90) : Rgb555(190, 160, 110);
    return speck ? Rgb555(40, 110, 40) : (chip == 2 ? Rgb555(70, 150, 60) : Rgb555(60, 140, 55));
}

// A 64×96 tree standing on (32, 88): a round crown over a trunk, keyed around.
u16 TreePixel(u32 x, u32 y) {
    const int dx = int(x) - 32, dy = int(y) - 34;
    if (dx * dx + dy * dy < 28 * 28) return (dx + dy) < -10 ? Rgb555(60, 170, 60) : Rgb555(30, 110, 40);
    if (x >= 27 && x < 37 && y >= 50 && y < 92) return x < 31 ? Rgb555(140, 90, 50) : Rgb555(110, 70, 35);
    return 0;
}

void WriteStage(const test::TempDir& dir) {
    tools::MapDef m;
    m.width = kMapW;
    m.height = kMapH;
    for (int y = 0; y < kMapH; ++y)
        for (int x = 0; x < kMapW; ++x) {
            m.chips.push_back(y == 26 || y == 27 ? 1 : u16((x * 7 + y * 3) % 5 == 0 ? 2 : 0));
            m.objs.push_back(x == 30 && y == 22 ? 1 : 0);  // the tree's foot line is map y 352
            m.attrA.push_back(0);
            m.attrB.push_back(0);
        }
    const std::string base = dir.path() + "/Bmp/Map/";
    ASSERT_TRUE(tools::SaveGrp(base + "03_0_L_f.grp", tools::Grp16(640, 16, ChipPixel), false));
    ASSERT_TRUE(tools::SaveGrp(base + "03_0_L_o.grp", tools::Grp16(64, 96, TreePixel), false));
    ASSERT_TRUE(tools::SaveFile(base + "03_0_L_o.csp", tools::CspBytes({{0, 0, 64, 96, 32, 88}})));
    ASSERT_TRUE(tools::SaveFile(base + "03_0_L.map", tools::MapBytes(m)));
}

// The simple mech set with the facings 4..7 mirrored by their pages.
void WriteMechSet(const test::TempDir& dir, const char* stem) {
    tools::SprSetDef set = tools::SimpleMekaSet(stem);
    for (size_t p = 4; p < set.pages.size(); ++p) set.pages[p].attr = 1;
    ASSERT_TRUE(tools::SaveMekaSet(dir.path(), stem, set));
}

int FilledSurf(i32 w, i32 h, const std::vector<std::pair<RECT, u16>>& fills) {
    const int slot = SPR_CreateSurf(w, h, 0);
    for (const auto& [r, c] : fills) SURF_Fill(SPR_GetSlotSurf(slot), &r, c);
    return slot;
}

std::vector<u8> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<u8>(std::istreambuf_iterator<char>(in), {});
}

tools::BmpImage BackBuffer() {
    tools::BmpImage img;
    img.width = 640;
    img.height = 480;
    img.pixels.resize(640 * 480 * 3);
    plat::SurfaceDesc d{};
    if (SURF_Lock(DispBackBuffer, &d) != 0) return img;
    for (int y = 0; y < 480; ++y) {
        const u16* line = reinterpret_cast<const u16*>(static_cast<const u8*>(d.pixels) + y * d.pitch);
        for (int x = 0; x < 640; ++x) {
            const u16 p = line[x];
            const int r = p >> 11, g = (p >> 5) & 63, b = p & 31;
            u8* o = &img.pixels[(size_t(y) * 640 + x) * 3];
            o[0] = u8(b << 3 | b >> 2);
            o[1] = u8(g << 2 | g >> 4);
            o[2] = u8(r << 3 | r >> 2);
        }
    }
    SURF_Unlock(DispBackBuffer);
    return img;
}

TEST(BattleGolden, ASyntheticFrameDrawsAsStored) {
    test::HeadlessDisplay display;
    ASSERT_TRUE(display.ok());
    test::TempDir dir;
    test::ScopedCwd cwd(dir.path());
    SPR_Init();
    DISP_SetClipRect(0, 0, 640, 480);
    ASSERT_EQ(OBJ_Init(), 1);
    SAVE_InitGameData();
    WriteStage(dir);
    WriteMechSet(dir, MekaNameTbl[0]);
    WriteMechSet(dir, MekaNameTbl[1]);

    MAP_Open(3, 0, 0);
    ASSERT_EQ(MAP_IsOpen(), 1);
    CAM_Setup(CAM_MODE_FIXED, nullptr, nullptr);
    ScrQuake = ScrQuakeOfs = 0;  // a quake an earlier fight left would move the world
    ScrQuakeCnt = 0;
    CAM_SetPos(kCamX, kCamY);
    SCR_Redraw(kCamX, kCamY);

    // Behind the tree (its foot above the tree's), and in front of it facing the other way, in a jump
    // so that its shadow shows below it.
    ASSERT_EQ(MEKA_Create(0, 0, MEKA_CTRL_PLAYER, 0, 470, 336), 1);
    ASSERT_EQ(MEKA_Create(1, 1, MEKA_CTRL_CPU, 1, 560, 420), 1);
    SPR_GetSpr(MekaSlotTbl[1]->spr)->pageOffset = 6;
    MekaSlotTbl[1]->z = 30;

    // A shot 40 pixels up: an additive glow over its half-black shadow.
    const int shotImg = FilledSurf(24, 24, {{{4, 0, 20, 24}, Rgb(200, 90, 20)}, {{0, 4, 24, 20}, Rgb(200, 90, 20)},
                                            {{6, 6, 18, 18}, Rgb(250, 200, 60)}});
    const int shotGrp = SPR_GetFreeSprGrp();
    test::MakeGroup(shotGrp, {test::PageDef{0, {{shotImg, {-12, -24, 12, 0}, {0, 0, 24, 24}}}, {}}});
    LIST_DATA* shot = OBJ_Alloc(OBJ_KIND_SHOT);
    shot->x = 400;
    shot->y = 400;
    shot->z = 40;
    shot->shadow = 1;
    shot->spr = i16(SPR_GetFreeSpr());
    ASSERT_EQ(SPR_CreateSpr(shot->spr, 128, 0, 0, shotGrp, 0), 1);
    SPR_SetSprObjNo(shot->spr, shot->index);
    SPR_SetSprAttr(shot->spr, 0x8);

    // The HUD strip in front of everything.
    const int hudImg = FilledSurf(240, 30, {{{0, 0, 240, 30}, Rgb(20, 30, 80)}, {{6, 8, 180, 22}, Rgb(220, 60, 60)},
                                           {{180, 8, 234, 22}, Rgb(90, 40, 40)}});
    const int hud = SPR_GetFreeSpr();
    ASSERT_EQ(SPR_CreateTSpr(hud, 10, 20, 436, hudImg, nullptr), 1);

    BTL_SetState(5);
    const RECT all{0, 0, 640, 480};
    SURF_Fill(DispBackBuffer, &all, 0);
    EXPECT_EQ(BTL_Draw(), 1);
    const tools::BmpImage got = BackBuffer();

    for (int slot = 0; slot < MEKA_SLOT_MAX; ++slot) MEKA_Delete(slot);
    OBJ_FreeAll();
    MAP_Close();
    BTL_SetState(0);
    SPR_Release();
    for (int i = 0; i < SURF_SLOT_MAX; ++i)
        while (SurfTbl[i].useCount) SPR_DelSurfDat(i);

    const std::string path = std::string(KORVANE_TESTDATA_DIR) + "/battle_frame.bmp";
    const std::vector<u8> bytes = tools::BmpBytes(got);
    if (const char* update = std::getenv("KORVANE_UPDATE_GOLDEN"); update && *update == '1') {
        ASSERT_TRUE(tools::SaveBmp(path, got));
        GTEST_SKIP() << "reference written: " << path;
    }
    const std::vector<u8> want = ReadFile(path);
    ASSERT_FALSE(want.empty()) << "missing reference " << path;
    ASSERT_EQ(want.size(), bytes.size());
    size_t differ = 0, first = 0;
    for (size_t i = 0; i < bytes.size(); ++i)
        if (want[i] != bytes[i] && !differ++) first = i;
    const size_t header = bytes.size() - size_t(640) * 480 * 3;
    EXPECT_EQ(differ, 0u) << "first at pixel " << (first - header) / 3 % 640 << ", "
                          << 479 - (first - header) / 3 / 640;
}

}  // namespace
