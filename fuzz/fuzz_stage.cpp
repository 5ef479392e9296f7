#include "fuzz/fuzz_stage.h"

#include "battle/map/map.h"
#include "battle/map/mapcol.h"
#include "battle/map/scr.h"
#include "fuzz/fuzz_support.h"
#include "graphics/sprite/spr.h"
#include "tools/writers/grp_writer.h"

namespace fuzz {
namespace {

tools::GrpImage Sheet(u16 width, u16 height) {
    tools::GrpImage g;
    g.bpp = 16;
    g.width = width;
    g.height = height;
    g.pixels.resize(size_t(width) * height * 2);
    for (size_t i = 0; i < g.pixels.size(); ++i) g.pixels[i] = u8(i * 7 + 3);
    return g;
}

}  // namespace

void NeedStage() {
    static const bool done = [] {
        UseGameRoot();
        NeedDisplay();
        SPR_Init();
        CompanionFile("Bmp/Map/00_0_L_f.grp", tools::GrpBytes(Sheet(640, 16), false));
        CompanionFile("Bmp/Map/00_0_L_o.grp", tools::GrpBytes(Sheet(128, 96), false));
        return true;
    }();
    (void)done;
}

void RunStage() {
    MAP_Open(0, 0, 0);
    if (MAP_IsOpen()) {
        MAP_DATA& m = *MapData;
        // A small view: the same drawing paths at a fraction of the pixels, which the instrumented
        // blitter would otherwise spend most of the run on.
        MAP_SetView(&m, 0, 0, 160, 112);
        for (i32 n = 0; n < MapObjCnt; ++n) Check(MapObjTbl[n].no < MapCspCnt, "object names a picture");
        const i32 w = m.pixelW, h = m.pixelH;
        for (const POINT p : {POINT{0, 0}, POINT{w / 2, h / 2}, POINT{w, h}, POINT{-w, 2 * h}}) SCR_Redraw(p.x, p.y);
        SCR_Scroll(-40, 33);
        SCR_Scroll(700, -500);
        HIT_CheckMapLine(0, 0, w - 1, h - 1, 1);
        HIT_CheckMapLine(w - 1, 0, 0, h - 1, 0xFF);
    }
    MAP_Close();
    Check(!MAP_IsOpen() && MapObjCnt == 0 && MapCspCnt == 0, "stage closed");
}

}  // namespace fuzz
