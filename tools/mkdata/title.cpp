// The title's and the opening's pictures (stored as ".grp"): "bmp\etc\title.bmp" with every piece the
// intro and the menus cut, "bmp\etc\etc_t00.bmp" with the logo pieces and the opening's
// "bmp\etc\logo.bmp". Plain generated art; captions through the glyph rasteriser.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

#include "tools/mkdata/canvas.h"
#include "tools/mkdata/glyphs.h"
#include "tools/mkdata/mkdata.h"

namespace mkdata {

namespace {

// Writes text in cells of cellW × cellH from (x, y); false when the font fits no size.
bool Text(Canvas& c, const std::string& fontFile, const std::u32string& text, int x, int y, int cellW, int cellH,
          int widthRatio, u16 colour, std::string* error) {
    GlyphRaster raster;
    if (!raster.Open(fontFile, 1, error)) return false;
    if (!raster.Fit(text, cellW, cellH, widthRatio)) {
        *error = fontFile + ": no size fits the caption";
        return false;
    }
    Cell cell;
    for (size_t i = 0; i < text.size(); ++i) {
        raster.Render(text[i], &cell);
        for (int cy = 0; cy < cell.height; ++cy)
            for (int cx = 0; cx < cell.width; ++cx)
                if (cell.At(cx, cy)) c.Put(x + int(i) * cellW + cx, y + cy, colour);
    }
    return true;
}

// A caption centred on a 224×16 plate at (x, y): a thin rim left and right, the background clear so
// the menu's highlight shows through.
bool Plate(Canvas& c, const std::string& fontFile, int x, int y, const std::u32string& caption, std::string* error) {
    c.Fill(x, y + 2, x + 3, y + 14, Rgb(120, 200, 255));
    c.Fill(x + 221, y + 2, x + 224, y + 14, Rgb(120, 200, 255));
    const int width = int(caption.size()) * 14;
    return Text(c, fontFile, caption, x + (224 - width) / 2, y + 1, 14, 14, 1, Rgb(250, 250, 240), error);
}

bool SaveAll(const std::string& dataDir, const std::string& name, const Canvas& c, std::string* error) {
    const std::string path = dataDir + "/bmp/etc/" + name;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    if (c.Save(path)) return true;
    *error = path + ": cannot write";
    return false;
}

}  // namespace

bool BuildTitle(const std::string& dataDir, const std::string& fontFile, std::string* error) {
    Canvas t(640, 912);
    // The bar (16, 0)-(416, 32): a light band, brightest at its middle row.
    for (int y = 0; y < 32; ++y) {
        const int glow = 255 - std::abs(y - 16) * 12;
        t.Fill(16, y, 416, y + 1, Rgb(glow / 3, glow / 2, glow));
    }
    // The two growing pieces: streaks of light (added to the picture) and a framed plate.
    for (int y = 48; y < 128; ++y)
        for (int x = 32; x < 400; ++x)
            if ((x + 3 * y) % 29 < 4) t.Put(x, y, Rgb(60, 110, 200 - (y - 48)));
    t.Fill(32, 256, 400, 336, Rgb(16, 24, 56));
    t.Frame(32, 256, 400, 336, 3, Rgb(90, 150, 230));
    if (!Text(t, fontFile, U"求生模式體驗版", 32 + (368 - 7 * 40) / 2, 276, 40, 40, 1, Rgb(200, 230, 255), error))
        return false;
    // The big picture (0, 356)-(432, 596): the name over a glow, above the plate that grows under it.
    // The title shows it from y -40, so its top 40 rows are off the screen and the plate covers the
    // screen from y 102: the name keeps to the rows between (404 to 484, screen 8 to 88).
    for (int y = 356; y < 596; ++y)
        for (int x = 0; x < 432; ++x) {
            const double dx = (x - 216) / 216.0, dy = (y - 444) / 120.0;
            const double g = std::max(0.0, 1 - std::sqrt(dx * dx + dy * dy));
            if (g > 0.02) t.Put(x, y, Rgb(int(40 * g), int(60 * g), int(140 * g) + 8));
        }
    if (!Text(t, fontFile, U"KORVANE", 48, 404, 48, 80, 2, Rgb(255, 240, 200), error)) return false;
    // The menu line (8, 732), 224×2.
    t.Fill(8, 732, 232, 734, Rgb(140, 220, 255));
    const std::u32string menu[4] = {U"生存戰鬥", U"排行榜", U"教學", U"結束"};
    for (int i = 0; i < 4; ++i)
        if (!Plate(t, fontFile, 16, 848 + 16 * i, menu[i], error)) return false;
    const std::u32string scenes[5] = {U"移動", U"攻擊", U"連續技", U"力量", U"視窗"};
    for (int i = 0; i < 5; ++i)
        if (!Plate(t, fontFile, 248, 736 + 16 * i, scenes[i], error)) return false;

    // The logo pieces: an emblem (0, 0)-(128, 64) and the name (128, 0)-(496, 56).
    Canvas logo(496, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x) {
            const int d = std::abs(x - 64) + std::abs(y - 32) * 2;
            if (d < 60 && d % 12 < 7) logo.Put(x, y, Rgb(230, 120 + d * 2, 60));
        }
    if (!Text(logo, fontFile, U"KORVANE", 128 + (368 - 7 * 44) / 2, 0, 44, 56, 2, Rgb(250, 230, 140), error))
        return false;

    // The opening's logo, 560×208 at (40, 136): a framed emblem and the name.
    Canvas op(560, 208);
    op.Frame(0, 0, 560, 208, 4, Rgb(200, 200, 220));
    for (int y = 24; y < 184; ++y)
        for (int x = 24; x < 184; ++x) {
            const double r = std::hypot(x - 104, y - 104);
            if (r < 78 && int(r) % 16 < 9) op.Put(x, y, Rgb(90, 160, 240));
        }
    if (!Text(op, fontFile, U"KORVANE", 200, 64, 48, 80, 2, Rgb(240, 240, 250), error)) return false;

    return SaveAll(dataDir, "title.grp", t, error) && SaveAll(dataDir, "etc_t00.grp", logo, error) &&
           SaveAll(dataDir, "logo.grp", op, error);
}

}  // namespace mkdata
