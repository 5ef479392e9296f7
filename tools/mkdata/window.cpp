// The text window's picture and its wipe map: for each of the three window types a translucent
// background band and a frame band below it, and a grey-level map the wipe opens and closes by.
#include <algorithm>
#include <string>
#include <vector>

#include "tools/mkdata/mkdata.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/grp_writer.h"

namespace mkdata {

namespace {

constexpr int kWidth = 640;
constexpr int kBand = 272;
constexpr int kHalf = 136;
constexpr int kTypes = 3;
// The narrow window (type 2) is 128 rows high: its art ends there, inside the band.
int Height(int type) { return type == 2 ? 128 : kHalf; }

struct Rgb {
    int r, g, b;
};

// 555 pixels; 0 is the transparent colour, so dark ink is never quite black.
u16 Pack(Rgb c) {
    const auto ch = [](int v) { return std::clamp(v, 8, 255) >> 3; };
    return u16(ch(c.r) << 10 | ch(c.g) << 5 | ch(c.b));
}

// Per type: background top and bottom colours and the frame's colour.
const Rgb kTop[kTypes] = {{24, 40, 96}, {72, 24, 40}, {20, 64, 48}};
const Rgb kBottom[kTypes] = {{8, 12, 40}, {32, 8, 16}, {8, 24, 16}};
const Rgb kFrame[kTypes] = {{150, 190, 255}, {255, 170, 150}, {160, 240, 190}};

Rgb Mix(Rgb a, Rgb b, double t) {
    return Rgb{int(a.r + (b.r - a.r) * t), int(a.g + (b.g - a.g) * t), int(a.b + (b.b - a.b) * t)};
}

void Background(std::vector<u16>& px, int type, int left, int right) {
    const int h = Height(type);
    for (int y = 0; y < h; ++y)
        for (int x = left; x < right; ++x)
            px[size_t(kBand * type + y) * kWidth + size_t(x)] = Pack(Mix(kTop[type], kBottom[type], y / double(h - 1)));
}

// A double rule round the band, a name plate at the top left and a face box where the presets put it.
void Frame(std::vector<u16>& px, int type, int left, int right) {
    const int top = kBand * type + kHalf, h = Height(type);
    const auto set = [&](int x, int y, Rgb c) {
        if (x >= left && x < right && y >= 0 && y < h) px[size_t(top + y) * kWidth + size_t(x)] = Pack(c);
    };
    const Rgb light = kFrame[type], dark = Mix(kFrame[type], Rgb{0, 0, 0}, 0.5);
    for (int x = left; x < right; ++x) {
        for (int y : {1, 2, 4, h - 5, h - 3, h - 2}) set(x, y, y == 4 || y == h - 5 ? dark : light);
    }
    for (int y = 1; y < h - 1; ++y) {
        for (int x : {left + 1, left + 2, left + 4, right - 5, right - 3, right - 2})
            set(x, y, x == left + 4 || x == right - 5 ? dark : light);
    }
    // The name plate's underline and the face box (the narrow type has no face).
    const int nameX = type == 2 ? left + 8 : 66;
    for (int x = nameX - 4; x < nameX + 180; ++x) set(x, 31, light);
    if (type != 2) {
        for (int i = -2; i < 66; ++i) {
            set(16 + i, 49, light);
            set(16 + i, 116, light);
            set(14, 51 + i, light);
            set(81, 51 + i, light);
        }
    }
}

}  // namespace

bool BuildWindow(const std::string& dataDir, std::string* error) {
    std::vector<u16> px(size_t(kWidth) * kBand * kTypes, 0);
    for (int type = 0; type < kTypes; ++type) {
        const int left = type == 2 ? 56 : 0, right = type == 2 ? 632 : kWidth;
        Background(px, type, left, right);
        Frame(px, type, left, right);
    }
    tools::GrpImage image;
    image.bpp = 16;
    image.width = kWidth;
    image.height = kBand * kTypes;
    image.pixels.resize(px.size() * 2);
    for (size_t i = 0; i < px.size(); ++i) {
        image.pixels[2 * i] = u8(px[i]);
        image.pixels[2 * i + 1] = u8(px[i] >> 8);
    }
    const std::string dir = dataDir + "/bmp/etc/";
    if (!tools::SaveGrp(dir + "window.grp", image, true)) {
        *error = dir + "window.grp: cannot write";
        return false;
    }
    // A diagonal ramp with a little seeded noise: the wipe sweeps from one corner with a ragged edge.
    std::vector<u8> map(size_t(kWidth) * kHalf);
    u32 seed = 0x2545F491u;
    for (int y = 0; y < kHalf; ++y)
        for (int x = 0; x < kWidth; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = int((seed >> 16) % 41) - 20;
            const int ramp = (x + (kHalf - 1 - y) * 2) * 235 / (kWidth + 2 * (kHalf - 1));
            map[size_t(y) * kWidth + size_t(x)] = u8(std::clamp(ramp + noise, 0, 255));
        }
    if (!tools::SaveFile(dir + "tbl.dat", map)) {
        *error = dir + "tbl.dat: cannot write";
        return false;
    }
    return true;
}

}  // namespace mkdata
