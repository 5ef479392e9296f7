#include "display_support.h"

#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/memory.h"

namespace test {

HeadlessDisplay::HeadlessDisplay(plat::PixelLayout layout, i32 width, i32 height, u16 depth) {
    plat::SetDisplayLayout16(layout);
    ok_ = DISP_Init(nullptr, width, height, depth, 1, 0, 1) == 1;
}

HeadlessDisplay::~HeadlessDisplay() {
    DISP_Release();
    DispSurfCount = 0;
    plat::SetDisplayLayout16(plat::PixelLayout::k565);
}

void EmptySurfaceSlots() {
    for (SURF_DATA& d : SurfTbl) {
        SURF_Release(d.surface);
        plat::GlobalFree(d.saved);
        d = SURF_DATA{};
    }
}

}  // namespace test
