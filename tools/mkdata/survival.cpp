// The survival mode's data: the 15 stage maps with their chip and object sheets, the banner picture,
// the loading picture, the portraits and the result picture (the mechs come from the battle's part).
// Plain generated art, each stem with its own colour; the portraits are the HUD's, drawn large; the
// banner's letters and the words from the font.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "screens/menu/menu.h"
#include "screens/survival/svv.h"
#include "tools/mkdata/lettering.h"
#include "tools/mkdata/mkdata.h"
#include "tools/mkdata/picture.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/grp_writer.h"
#include "tools/writers/hud_writer.h"
#include "tools/writers/map_writer.h"

namespace mkdata {

namespace {

const char* const kMapStems[] = {"00_0_L", "00_0_D", "05_0_L", "05_0_D", "02_0_L", "05_1_L", "05_1_D", "03_0_L",
                                 "03_0_D", "05_2_L", "05_2_D", "09_0_D", "05_3_L", "05_3_D", "10_0_D"};
const char* const kSheetStems[] = {"00_0_L", "00_0_D", "05_0_L", "05_0_D", "02_0_L", "03_0_L", "03_0_D", "09_0_D",
                                   "10_0_D"};

// A walled map large enough for every meeting point and its formation (stage 11's lies at y 1440).
bool WriteMap(const std::string& path) {
    tools::MapDef m;
    m.width = 100;
    m.height = 120;
    const size_t n = size_t(m.width) * m.height;
    m.chips.assign(n, 0);
    m.objs.assign(n, 0);
    m.attrA.assign(n, 0);
    m.attrB.assign(n, 0);
    for (int y = 0; y < m.height; y++)
        for (int x = 0; x < m.width; x++) {
            const size_t i = size_t(y) * m.width + size_t(x);
            const bool wall = x < 2 || y < 2 || x >= m.width - 2 || y >= m.height - 2;
            m.chips[i] = wall ? 1 : u16(2 + (x + y) % 2);
            m.attrA[i] = wall ? 1 : 0;
        }
    return tools::SaveFile(path, tools::MapBytes(m));
}

bool WriteSheets(const std::string& dir, const std::string& stem, int index) {
    const int r = 60 + index * 19 % 150, g = 90 + index * 37 % 120, b = 50 + index * 53 % 150;
    Picture chips(640, 16);
    chips.Rect(16, 0, 32, 16, Rgb(r / 3, g / 3, b / 3));
    chips.Rect(32, 0, 48, 16, Rgb(r, g, b));
    chips.Rect(48, 0, 64, 16, Rgb(r * 9 / 10, g * 9 / 10, b * 9 / 10));
    Picture objs(32, 32);
    objs.Rect(4, 4, 28, 28, Rgb(200, 200, 200));
    return chips.Save(dir + stem + "_f.grp") && objs.Save(dir + stem + "_o.grp") &&
           tools::SaveFile(dir + stem + "_o.csp", tools::CspBytes({tools::CspDef{0, 0, 32, 32, 0, 16}}));
}

}  // namespace

bool BuildSurvival(const std::string& dataDir, const std::string& fontFile, std::string* error) {
    std::error_code ec;
    for (const char* sub : {"/Bmp/Map", "/Bmp/Svv"}) std::filesystem::create_directories(dataDir + sub, ec);
    const std::string mapDir = dataDir + "/Bmp/Map/";
    for (const char* stem : kMapStems) {
        if (!WriteMap(mapDir + stem + ".map")) {
            *error = mapDir + stem + ".map: cannot write";
            return false;
        }
    }
    int index = 0;
    for (const char* stem : kSheetStems) {
        if (!WriteSheets(mapDir, stem, index++)) {
            *error = mapDir + stem + ": sheets cannot be written";
            return false;
        }
    }
    // The banner: the word "ROUND" in 32×56 cells, then the digits, their glow cells 56 lower.
    Picture banner(480, 112);
    auto put = [](Picture& p) { return [&p](int x, int y, u16 c) { p.Rect(x, y, x + 1, y + 1, c); }; };
    const auto cell = [&](const std::string& text, int x, int y, u16 colour, u16 edge) {
        Ink ink;
        if (!Letter(fontFile, text, 56, &ink, error)) return false;
        const int left = x + (31 - ink.width) / 2;
        // Strokes two pixels wide, with a dark edge all round that keeps them apart from the stage.
        for (int d = 0; d < 16; d++) ink.Stamp(left + d % 4 - 1, y + d / 4 - 1, [&](int px, int py) { put(banner)(px, py, edge); });
        for (int d = 0; d < 4; d++) ink.Stamp(left + d % 2, y + d / 2, [&](int px, int py) { put(banner)(px, py, colour); });
        return true;
    };
    for (int i = 0; i < 5; i++)
        if (!cell(std::string(1, "ROUND"[i]), 32 * i, 0, Rgb(250, 210, 70), Rgb(90, 40, 8))) return false;
    for (int d = 0; d < 10; d++)
        if (!cell(std::to_string(d), 160 + 32 * d, 0, Rgb(250, 250, 250), Rgb(40, 40, 90)) ||
            !cell(std::to_string(d), 160 + 32 * d, 56, Rgb(120, 200, 255), Rgb(20, 60, 120)))
            return false;
    // The loading picture and the result picture, each with its word.
    Picture logo(200, 100);
    logo.Rect(10, 30, 190, 70, Rgb(200, 60, 40));
    logo.Rect(14, 34, 186, 66, Rgb(90, 20, 16));
    Picture result(320, 120, Rgb(30, 30, 90));
    result.Rect(10, 10, 310, 110, Rgb(120, 120, 200));
    for (const auto& [pic, text, top] : {std::tuple{&logo, "讀取中", 36}, std::tuple{&result, "戰鬥結束", 40}}) {
        Ink ink;
        if (!Letter(fontFile, text, top == 36 ? 28 : 40, &ink, error)) return false;
        ink.StampShadowed(int(pic->w) / 2 - ink.width / 2, top, Rgb(255, 240, 200), Rgb(20, 20, 40), put(*pic));
    }
    bool ok = banner.Save(dataDir + "/Bmp/Survival.grp") && logo.Save(dataDir + "/Bmp/MiniRogo.grp") &&
              result.Save(dataDir + "/Bmp/Title2.grp");
    // Portrait n shows the survival's enemy kinds in turn, framed, with the type's display name.
    for (int n = 1; n <= 16 && ok; n++) {
        const int type = SvvKindTbl[(n - 1) % SVV_KIND_MAX];
        Picture portrait(640, 480, tools::MekaPortraitPixel(type, 0, 0, 360));
        portrait.Rect(134, 14, 506, 386, Rgb(220, 220, 230));
        for (int y = 0; y < 360; y++)
            for (int x = 0; x < 360; x++)
                portrait.px[size_t(20 + y) * portrait.w + size_t(140 + x)] = tools::MekaPortraitPixel(type, x, y, 360);
        Ink ink;
        if (!Letter(fontFile, MekaDispNameTbl[type], 48, &ink, error)) return false;
        ink.StampShadowed(320 - ink.width / 2, 408, Rgb(255, 240, 200), Rgb(20, 20, 40), put(portrait));
        char name[32];
        std::snprintf(name, sizeof name, "/Bmp/Svv/Chr%02d.grp", n);
        ok = portrait.Save(dataDir + name);
    }
    if (!ok) *error = "survival pictures cannot be written";
    return ok;
}

}  // namespace mkdata
