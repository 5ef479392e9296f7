// A headless display for tests: 640×480 (or as asked) at 16 bits in the chosen layout, without a
// window, released again at the end of the scope.
#pragma once
#include "platform/display.h"
#include "platform/types.h"

namespace test {

class HeadlessDisplay {
public:
    explicit HeadlessDisplay(plat::PixelLayout layout = plat::PixelLayout::k565, i32 width = 640, i32 height = 480,
                             u16 depth = 16);
    ~HeadlessDisplay();
    HeadlessDisplay(const HeadlessDisplay&) = delete;
    HeadlessDisplay& operator=(const HeadlessDisplay&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

// Every surface slot released and free: the release itself keeps the slots' names and use counts, so
// a slot left named would answer the next test's load of that name with no surface.
void EmptySurfaceSlots();

}  // namespace test
