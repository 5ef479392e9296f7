// A whole stage seen through the map sprite while the camera follows an object across it for a few
// hundred drawn frames: some frames go to picture files (KORVANE_MAP_FRAMES names a folder to keep
// them), and the last one must equal the map under the view.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "battle/map/cam.h"
#include "battle/map/map.h"
#include "battle/map/scr.h"
#include "battle/object/obj.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "map_stage.h"

namespace {

TEST(MapFollow, CameraRunOverAStageShowsTheMapUnderTheView) {
    test::MapFixtureEnv env;
    ASSERT_TRUE(env.ok());
    test::WriteStage(env.dir(), 12, 0, 'D', {test::RandomMap(120, 90, 41, 6, 15), test::OddCsp()});
    MAP_Open(12, 0, 1);
    ASSERT_EQ(MAP_IsOpen(), 1);
    ASSERT_EQ(OBJ_Init(), 1);
    LIST_DATA* walker = OBJ_Alloc(OBJ_KIND_EFFECT);
    walker->x = 400;
    walker->y = 300;
    CAM_Setup(CAM_MODE_FOLLOW, walker, nullptr);
    CAM_SetLimit(-1, -1);
    CAM_SetSpeed(0, 1, 10);
    CAM_SetPos(400, 300);
    SCR_Redraw(400, 300);

    const char* keep = std::getenv("KORVANE_MAP_FRAMES");
    const std::string out = keep && *keep ? std::string(keep) : env.dir().File("frames");
    std::filesystem::create_directories(out);
    const std::vector<u16> whole = test::PaintWholeMap();
    const i32 pw = MapData->pixelW + 2 * test::kPaintMargin;
    const RECT all{0, 0, 640, 480};
    i32 vx = 7, vy = 5;
    int written = 0;
    for (int frame = 0; frame < 300; ++frame) {
        walker->x += vx;
        walker->y += vy;
        if (walker->x < 100 || walker->x > MapData->pixelW - 100) vx = -vx;
        if (walker->y < 100 || walker->y > MapData->pixelH - 100) vy = -vy;
        if (frame % 64 == 0) SCR_SetQuake(-1, -1, 8);
        SCR_RenewQuake();
        SCR_Renew(ScrQuakeOfs);
        SURF_Fill(DispBackBuffer, &all, 0);
        SPR_DrawAllSpr(-1);
        ASSERT_EQ(MapData->scrollX, CamData.x - 320) << frame;
        ASSERT_EQ(MapData->scrollY, CamData.y - 240) << frame;
        if (frame % 75 == 74) {
            const std::string name = out + "/frame" + std::to_string(frame) + ".bmp";
            EXPECT_TRUE(test::SaveBmp565(name, test::ReadSurface(DispBackBuffer), 640, 480));
            written += std::filesystem::exists(name);
        }
    }
    EXPECT_EQ(written, 4);
    const std::vector<u16> last = test::ReadSurface(DispBackBuffer);
    int bad = 0;
    for (i32 y = 0; y < 480; ++y)
        for (i32 x = 0; x < 640; ++x) {
            const i32 px = MapData->scrollX + x + test::kPaintMargin, py = MapData->scrollY + y + test::kPaintMargin;
            bad += last[size_t(y) * 640 + x] != whole[size_t(py) * pw + px];
        }
    EXPECT_EQ(bad, 0);
    OBJ_FreeAll();
}

}  // namespace
