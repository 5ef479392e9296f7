#include "display_support.h"

#include "graphics/display/disp.h"

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

}  // namespace test
