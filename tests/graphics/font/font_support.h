// Shared by the font tests: a headless 565 display, a temporary folder as the current directory,
// fonts built from probe glyphs, and a canvas whose pixels read back as text.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display_support.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/font/font.h"
#include "test_support.h"
#include "tools/writers/fnt_writer.h"

namespace fonttest {

constexpr u16 kFace = 0x1234;
constexpr u16 kShadow = 0x0421;

class FontFixture : public ::testing::Test {
protected:
    FontFixture() : cwd_(dir_.path()) {}
    void SetUp() override {
        ASSERT_TRUE(display_.ok());
        FONT_Release();
    }
    void TearDown() override {
        FONT_Release();
        for (plat::Surface* s : surfaces_) SURF_Release(s);
    }

    int Load(int slot, const tools::FntBuilder& font, const std::string& name = "probe.fnt") {
        return LoadBytes(slot, font.Build(), name);
    }
    int LoadBytes(int slot, const std::vector<u8>& bytes, const std::string& name = "probe.fnt") {
        dir_.Write(name, bytes);
        return FONT_LoadFont(slot, dir_.File(name).c_str());
    }
    // Loads into slot 0, selects it and sets flat face and shadow colours.
    void Use(const tools::FntBuilder& font, int style = 0, int large = 0) {
        ASSERT_EQ(Load(0, font), 1);
        FONT_SelectFont(0);
        FONT_SetFont(0, style, large);
        FONT_SetColor(kFace, kFace, kShadow);
    }

    plat::Surface* Canvas(i32 w = 64, i32 h = 48) {
        plat::Surface* s = SURF_Create(w, h, SURF_CAPS_SYSMEM);
        surfaces_.push_back(s);
        return s;
    }

    test::TempDir dir_;

private:
    test::HeadlessDisplay display_;
    test::ScopedCwd cwd_;
    std::vector<plat::Surface*> surfaces_;
};

inline u16 Pixel(plat::Surface* s, i32 x, i32 y) {
    plat::SurfaceDesc d{};
    if (SURF_Lock(s, &d) != plat::kSurfOk) return 0xDEAD;
    const u16 v = reinterpret_cast<const u16*>(static_cast<const u8*>(d.pixels) + y * d.pitch)[x];
    SURF_Unlock(s);
    return v;
}

// The rectangle as rows of '.' (untouched), 'F' (face colour), 'S' (shadow colour), '?' (other).
inline std::vector<std::string> Snap(plat::Surface* s, i32 left, i32 top, i32 right, i32 bottom) {
    std::vector<std::string> rows;
    for (i32 y = top; y < bottom; ++y) {
        std::string row;
        for (i32 x = left; x < right; ++x) {
            const u16 v = Pixel(s, x, y);
            row += v == 0 ? '.' : v == kFace ? 'F' : v == kShadow ? 'S' : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

}  // namespace fonttest
