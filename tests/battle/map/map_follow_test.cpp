// A whole stage seen through the map sprite while the camera follows an object across it for a few
// hundred drawn frames: the last one must equal the map under the view. KORVANE_MAP_FRAMES names a
// folder to keep some frames in as pictures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "battle/map/cam.h"
#include "battle/map/map.h"
#include "battle/map/scr.h"
#include "battle/object/obj.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "map_stage.h"
#include "platform/surface.h"

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
    const std::vector<u16> whole = test::PaintWholeMap();
    const RECT all{0, 0, 640, 480};
    i32 vx = 7, vy = 5;
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
        if (keep && *keep && frame % 75 == 74) {
            const std::string name = std::string(keep) + "/frame" + std::to_string(frame) + ".bmp";
            EXPECT_TRUE(plat::SaveSurfaceBmp(DispBackBuffer, name.c_str()));
        }
    }
    EXPECT_EQ(test::ViewMismatches(test::ReadSurface(DispBackBuffer), whole), 0);
    OBJ_FreeAll();
}

}  // namespace
