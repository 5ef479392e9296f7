// The weapon level-up screen's picture "Bmp\WpnLvUp.bmp" (stored as ".grp", 640 × 704): every piece the
// screen cuts from it, each with its own generated look. The icons of groups 42 to 47 share rows 384..392
// with the row rule; the rule is drawn last and keeps them.
#include <filesystem>
#include <string>

#include "tools/mkdata/canvas.h"
#include "tools/mkdata/lettering.h"
#include "tools/mkdata/mkdata.h"

namespace mkdata {

namespace {

constexpr int kGroups = 160;

// The words from (x, y) in lines `height` pixels high.
bool Words(Canvas& c, const std::string& fontFile, const std::string& text, int x, int y, int height, u16 colour,
           std::string* error) {
    Ink ink;
    if (!Letter(fontFile, text, height, &ink, error)) return false;
    ink.Stamp(x, y, [&](int px, int py) { c.Put(px, py, colour); });
    return true;
}

// A plate with a vertical shading and the outline of the same rectangle 136 rows lower.
void PlateAndOutline(Canvas& c, int l, int t, int r, int b, int hue) {
    for (int y = t; y < b; ++y) c.Fill(l, y, r, y + 1, Rgb(40 + hue % 80, 60 + (y - t) * 120 / (b - t), 90 + hue * 7 % 120));
    c.Frame(l, t + 136, r, b + 136, 2, Rgb(200, 220, 120 + hue % 120));
}

}  // namespace

bool BuildLevelUp(const std::string& dataDir, const std::string& fontFile, std::string* error) {
    Canvas s(640, 704);
    // Row plates (80r, 0)-(80r + 80, 104) and technique plates (320, 32c)-(380, 32c + 32).
    for (int r = 0; r < 4; ++r) PlateAndOutline(s, 80 * r, 0, 80 * r + 80, 104, 30 * r);
    for (int c = 0; c < 3; ++c) PlateAndOutline(s, 320, 32 * c, 380, 32 * c + 32, 100 + 40 * c);
    // The technique frame (0, 104)-(328, 136): a band with a brighter inner line.
    PlateAndOutline(s, 0, 104, 328, 136, 150);
    s.Fill(4, 118, 324, 120, Rgb(160, 200, 240));
    // Cost bars at x 380..510: the cost now, what the base adds, the part mastery took.
    s.Fill(380, 0, 510, 3, Rgb(250, 200, 40));
    s.Fill(380, 4, 510, 7, Rgb(110, 90, 60));
    s.Fill(380, 8, 510, 11, Rgb(40, 240, 240));
    // Experience bars: the shown part and the part the wave brought.
    for (int x = 380; x < 480; ++x) s.Fill(x, 12, x + 1, 24, Rgb(40, 80 + (x - 380), 200));
    for (int x = 380; x < 480; ++x) s.Fill(x, 24, x + 1, 36, Rgb(220, 120 + (x - 380), 60));
    // The mastery and level-up labels.
    s.Fill(380, 36, 468, 52, Rgb(20, 80, 40));
    // The gain's digits follow the mastery label at its x 72.
    if (!Words(s, fontFile, "熟練度", 384, 37, 14, Rgb(160, 255, 160), error)) return false;
    s.Fill(380, 52, 520, 68, Rgb(90, 30, 90));
    if (!Words(s, fontFile, "等級提升", 384, 53, 14, Rgb(255, 170, 255), error)) return false;
    // Level stars: level l lights l + 1 of three pips.
    for (int l = 0; l < 3; ++l)
        for (int p = 0; p < 3; ++p)
            s.Fill(380 + 12 * l + 1 + 4 * p, 70, 380 + 12 * l + 4 + 4 * p, 78, p <= l ? Rgb(255, 230, 60) : Rgb(70, 60, 40));
    // The title and the row numbers 1..4.
    s.Fill(380, 80, 476, 104, Rgb(30, 30, 100));
    s.Frame(380, 80, 476, 104, 2, Rgb(250, 250, 140));
    if (!Words(s, fontFile, "技能升級", 388, 83, 18, Rgb(250, 250, 220), error)) return false;
    for (int r = 0; r < 4; ++r) {
        s.Fill(380, 104 + 8 * r, 444, 112 + 8 * r, Rgb(30 + 40 * r, 20, 60));
        s.Digit(408, 105 + 8 * r, 5, 6, 1, r + 1, Rgb(255, 255, 255));
    }
    // Gain digits 0..9 in 6 × 9 cells from (512, 0).
    for (int d = 0; d < 10; ++d) s.Digit(512 + 6 * d, 1, 5, 7, 1, d, Rgb(255, 255, 120));
    // The level-up banner, dark enough to be added over the bright plates.
    for (int y = 228; y < 268; ++y) s.Fill(380, y, 608, y + 1, Rgb(40 + (y - 228) * 2, 16, 8));
    s.Frame(380, 228, 608, 268, 2, Rgb(150, 90, 20));
    if (!Words(s, fontFile, "LEVEL UP!", 422, 232, 32, Rgb(150, 130, 60), error)) return false;
    // A 96 × 16 icon for each technique group, six a row from y 272, showing its name.
    for (int g = 0; g < kGroups; ++g) {
        const int x = 96 * (g % 6), y = 272 + 16 * (g / 6);
        s.Fill(x + 1, y + 1, x + 95, y + 15, Rgb(20 + g * 37 % 100, 20 + g * 53 % 100, 20 + g * 91 % 100));
        if (!Words(s, fontFile, TechniqueGroupName(g), x + 6, y + 2, 12, Rgb(255, 255, 255), error)) return false;
    }
    // The row rule across the whole width.
    for (int x = 0; x < 640; ++x) s.Fill(x, 384, x + 1, 392, Rgb(200, 200, 255 - x / 4));

    const std::string path = dataDir + "/Bmp/WpnLvUp.grp";
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    if (!s.Save(path)) {
        *error = path + ": cannot write";
        return false;
    }
    return true;
}

}  // namespace mkdata
