// "Bmp\MainMenu.bmp" (stored as its ".grp"): five 96×32 buttons down the left column and their
// highlight overlays beside them, plain generated art.
#include <filesystem>
#include <string>
#include <vector>

#include "tools/mkdata/mkdata.h"
#include "tools/writers/grp_writer.h"

namespace mkdata {

namespace {

constexpr int kButtonW = 96;
constexpr int kButtonH = 32;
constexpr int kButtons = 5;

constexpr u16 Rgb(int r, int g, int b) { return u16((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)); }

// Each button has its own hue so the entries tell apart.
constexpr int kHue[kButtons][3] = {{40, 90, 200}, {40, 160, 90}, {200, 70, 60}, {170, 120, 40}, {120, 60, 170}};

}  // namespace

bool BuildMainMenu(const std::string& dataDir, std::string* error) {
    tools::GrpImage sheet;
    sheet.bpp = 16;
    sheet.width = kButtonW * 2;
    sheet.height = kButtonH * kButtons;
    std::vector<u16> px(size_t(sheet.width) * sheet.height, 0);
    auto put = [&](int x, int y, u16 c) { px[size_t(y) * sheet.width + size_t(x)] = c; };
    for (int b = 0; b < kButtons; ++b) {
        const int* h = kHue[b];
        for (int y = 0; y < kButtonH; ++y)
            for (int x = 0; x < kButtonW; ++x) {
                const bool edge = x < 2 || y < 2 || x >= kButtonW - 2 || y >= kButtonH - 2;
                const bool light = x < 2 || y < 2;
                // The button: a vertical shade inside a bevel; three bars stand for a label.
                const int shade = 60 + (kButtonH - y) * 3;
                u16 c = Rgb(h[0] * shade / 160, h[1] * shade / 160, h[2] * shade / 160);
                if (edge) c = light ? Rgb(230, 230, 230) : Rgb(24, 24, 32);
                const bool bar = y >= 14 && y < 18 && x >= 16 && x < 80 && (x / 8) % 3 != 2;
                if (bar && !edge) c = Rgb(240, 240, 220);
                put(x, b * kButtonH + y, c);
                // The overlay: a bright frame, clear inside (0 is transparent).
                const bool ring = x < 3 || y < 3 || x >= kButtonW - 3 || y >= kButtonH - 3;
                if (ring) put(kButtonW + x, b * kButtonH + y, Rgb(255, 230, 120));
            }
    }
    sheet.pixels.resize(px.size() * 2);
    for (size_t i = 0; i < px.size(); ++i) {
        sheet.pixels[2 * i] = u8(px[i]);
        sheet.pixels[2 * i + 1] = u8(px[i] >> 8);
    }
    const std::string dir = dataDir + "/Bmp/";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!tools::SaveGrp(dir + "MainMenu.grp", sheet, true)) {
        *error = dir + "MainMenu.grp: cannot write";
        return false;
    }
    return true;
}

}  // namespace mkdata
