// The survival mode's data: the 15 stage maps with their chip and object sheets, the banner picture,
// the loading picture, the portraits and the result picture (the mechs come from the battle's part).
// Plain generated art, each stem with its own colour.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/mkdata/mkdata.h"
#include "tools/mkdata/picture.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/grp_writer.h"
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

bool BuildSurvival(const std::string& dataDir, std::string* error) {
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
    // The banner: a five-letter word in 32×56 cells, then the digits, their glow cells 56 lower.
    Picture banner(480, 112);
    for (int i = 0; i < 5; i++) {
        banner.Rect(32 * i + 4, 6, 32 * i + 28, 50, Rgb(230, 200, 60));
        banner.Rect(32 * i + 10, 14 + 4 * i, 32 * i + 22, 24 + 4 * i, 0);
    }
    for (int d = 0; d < 10; d++) {
        banner.Digit(160 + 32 * d + 4, 8, 8, d, Rgb(250, 250, 250));
        banner.Digit(160 + 32 * d + 4, 64, 8, d, Rgb(120, 200, 255));
    }
    Picture logo(200, 100);
    logo.Rect(10, 30, 190, 70, Rgb(200, 60, 40));
    logo.Rect(20, 40, 180, 60, Rgb(250, 220, 120));
    Picture result(320, 120, Rgb(30, 30, 90));
    result.Rect(10, 10, 310, 110, Rgb(240, 240, 255));
    bool ok = banner.Save(dataDir + "/Bmp/Survival.grp") && logo.Save(dataDir + "/Bmp/MiniRogo.grp") &&
              result.Save(dataDir + "/Bmp/Title2.grp");
    for (int n = 1; n <= 16 && ok; n++) {
        Picture portrait(640, 480, Rgb(20 + n * 12, 40, 120 - n * 5));
        portrait.Digit(220, 140, 24, n / 10, Rgb(255, 255, 255));
        portrait.Digit(330, 140, 24, n % 10, Rgb(255, 255, 255));
        char name[32];
        std::snprintf(name, sizeof name, "/Bmp/Svv/Chr%02d.grp", n);
        ok = portrait.Save(dataDir + name);
    }
    if (!ok) *error = "survival pictures cannot be written";
    return ok;
}

}  // namespace mkdata
