#include "tools/writers/hud_writer.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "screens/menu/menu.h"
#include "tools/writers/byte_writer.h"

namespace tools {

namespace {

constexpr int kSequences[] = {17, 18, 47, 57, 58, 59, 60, 61, 62, 63, 64, 65, 70, 82, 83, 87, 92, 97, 98, 99,
                              100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116, 117};

u16 Rgb555(int r, int g, int b) { return u16((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)); }

GrpImage Blank(u32 w, u32 h) {
    GrpImage img;
    img.bpp = 16;
    img.width = w;
    img.height = h;
    img.pixels.assign(std::size_t(w) * h * 2, 0);
    return img;
}

void Put(GrpImage& img, u32 x, u32 y, u16 v) {
    const std::size_t at = (std::size_t(y) * img.width + x) * 2;
    img.pixels[at] = u8(v);
    img.pixels[at + 1] = u8(v >> 8);
}

void Fill(GrpImage& img, u32 x0, u32 y0, u32 x1, u32 y1, u16 (*pixel)(u32 x, u32 y)) {
    for (u32 y = y0; y < y1; ++y)
        for (u32 x = x0; x < x1; ++x) Put(img, x, y, pixel(x, y));
}

// Effect cells: eight 32×32 glows of different hues.
u16 EffectPixel(u32 x, u32 y) {
    const int cell = int(x / 32), dx = int(x % 32) - 16, dy = int(y) - 16;
    const int d2 = dx * dx + dy * dy;
    if (d2 >= 15 * 15) return 0;
    const int hot = 255 - d2;
    return Rgb555(hot, (hot * (cell + 2)) / 10, (hot * (9 - cell)) / 10);
}

// The hit count's figures, 4×7 (leftmost column in bit 3), drawn twice the size.
constexpr u8 kCountDigits[10][7] = {{6, 9, 9, 9, 9, 9, 6}, {2, 6, 2, 2, 2, 2, 7}, {6, 9, 1, 2, 4, 8, 15},
                                    {14, 1, 1, 6, 1, 1, 14}, {9, 9, 9, 15, 1, 1, 1}, {15, 8, 14, 1, 1, 9, 6},
                                    {6, 8, 8, 14, 9, 9, 6}, {15, 1, 1, 2, 2, 4, 4}, {6, 9, 9, 6, 9, 9, 6},
                                    {6, 9, 9, 7, 1, 1, 6}};
// "HITS", 15 columns by 10 rows, the leftmost column in bit 14.
constexpr u16 kHits[10] = {0b1001'0'1'0'111'0'0111, 0b1001'0'1'0'010'0'1000, 0b1001'0'1'0'010'0'1000,
                           0b1001'0'1'0'010'0'1000, 0b1111'0'1'0'010'0'0110, 0b1001'0'1'0'010'0'0001,
                           0b1001'0'1'0'010'0'0001, 0b1001'0'1'0'010'0'0001, 0b1001'0'1'0'010'0'0001,
                           0b1001'0'1'0'010'0'1110};

// A w×h cell at (x0, y0): ink(x, y) in yellow fading to orange downwards, a dark edge round it, the
// rest the colour key.
template <typename Ink>
void StampOutlined(GrpImage& img, u32 x0, u32 y0, int w, int h, Ink ink) {
    const auto at = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && ink(x, y); };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool edge = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) edge = edge || at(x + dx, y + dy);
            const u16 c = at(x, y) ? Rgb555(255, 250 - y * 8, 60) : edge ? Rgb555(56, 20, 8) : 0;
            Put(img, x0 + u32(x), y0 + u32(y), c);
        }
}

// What a portrait shows at (u, v) of its square, both 0..1: 0 ground, 1 shoulders, 2 neck and visor
// band, 3 head, 4 eyes, 5 crest. The head's shape, the eyes and the crest with the shoulders each take
// one of three forms, so no two of the 25 types look alike.
int PortraitPart(int type, double u, double v) {
    const int head = type % 3, eyes = type / 3 % 3, crest = type / 9 % 3;
    const double cu = std::abs(u - 0.5);
    bool inHead = false;
    if (head == 0) inHead = (cu / 0.2) * (cu / 0.2) + ((v - 0.42) / 0.22) * ((v - 0.42) / 0.22) < 1;
    else if (head == 1) inHead = cu < 0.19 && v > 0.22 && v < 0.62 && cu + std::abs(v - 0.42) < 0.33;
    else inHead = v < 0.4 ? cu * cu + (v - 0.4) * (v - 0.4) < 0.04 : v < 0.64 && cu < 0.2 - (v - 0.4) * 0.5;
    if (inHead) {
        const bool lit = eyes == 0   ? (u - 0.5) * (u - 0.5) + (v - 0.44) * (v - 0.44) < 0.003
                         : eyes == 1 ? std::abs(cu - 0.08) < 0.045 && v > 0.41 && v < 0.47
                                     : cu < 0.15 && v > 0.42 && v < 0.47;
        if (lit) return 4;
        if (eyes == 0 && v > 0.4 && v < 0.48) return 2;
        return 3;
    }
    bool inCrest = false;
    if (crest == 0) inCrest = v > 0.08 && v < 0.27 && std::abs(cu - (0.27 - v) * 0.95) < 0.025;
    else if (crest == 1) inCrest = v > 0.05 && v < 0.24 && cu < 0.015 + (v - 0.05) * 0.15;
    else inCrest = v > 0.16 && v < 0.44 && std::abs(cu - 0.22) < 0.025;
    if (inCrest) return 5;
    if (cu < 0.08 && v > 0.6 && v < 0.8) return 2;
    if (v > 0.74 && cu < 0.2 + (v - 0.74) * 0.8) return 1;
    if (crest == 0 && (cu - 0.27) * (cu - 0.27) + (v - 0.86) * (v - 0.86) < 0.017) return 1;
    if (crest == 1 && cu > 0.16 && cu < 0.43 && v > 0.78) return 1;
    const double spike = std::abs(cu - 0.33);
    if (crest == 2 && ((v > 0.82 && cu < 0.45) || (spike < 0.1 && v > 0.64 + 2.5 * spike))) return 1;
    return 0;
}

}  // namespace

const u8* CapitalRows(char c) {
    static const u8 kLetters[26][7] = {
        {14, 17, 17, 31, 17, 17, 17}, {30, 17, 17, 30, 17, 17, 30}, {14, 17, 16, 16, 16, 17, 14},
        {30, 17, 17, 17, 17, 17, 30}, {31, 16, 16, 30, 16, 16, 31}, {31, 16, 16, 30, 16, 16, 16},
        {14, 17, 16, 23, 17, 17, 15}, {17, 17, 17, 31, 17, 17, 17}, {14, 4, 4, 4, 4, 4, 14},
        {7, 2, 2, 2, 2, 18, 12},      {17, 18, 20, 24, 20, 18, 17}, {16, 16, 16, 16, 16, 16, 31},
        {17, 27, 21, 21, 17, 17, 17}, {17, 17, 25, 21, 19, 17, 17}, {14, 17, 17, 17, 17, 17, 14},
        {30, 17, 17, 30, 16, 16, 16}, {14, 17, 17, 17, 21, 18, 13}, {30, 17, 17, 30, 20, 18, 17},
        {15, 16, 16, 14, 1, 1, 30},   {31, 4, 4, 4, 4, 4, 4},       {17, 17, 17, 17, 17, 17, 14},
        {17, 17, 17, 17, 17, 10, 4},  {17, 17, 17, 21, 21, 21, 10}, {17, 17, 10, 4, 10, 17, 17},
        {17, 17, 10, 4, 4, 4, 4},     {31, 1, 2, 4, 8, 16, 31}};
    static const u8 kFigures[10][7] = {
        {14, 17, 19, 21, 25, 17, 14}, {4, 12, 4, 4, 4, 4, 14}, {14, 17, 1, 2, 4, 8, 31}, {31, 2, 4, 2, 1, 17, 14},
        {2, 6, 10, 18, 31, 2, 2},     {31, 16, 30, 1, 1, 17, 14}, {6, 8, 16, 30, 17, 17, 14}, {31, 1, 2, 4, 8, 8, 8},
        {14, 17, 17, 14, 17, 17, 14}, {14, 17, 17, 15, 1, 2, 12}};
    const int u = std::toupper(static_cast<unsigned char>(c));
    if (u >= 'A' && u <= 'Z') return kLetters[u - 'A'];
    if (u >= '0' && u <= '9') return kFigures[u - '0'];
    return nullptr;
}

u16 MekaPortraitPixel(int type, int x, int y, int size) {
    static const int kHues[8][3] = {{90, 140, 230}, {120, 160, 100}, {180, 150, 90}, {150, 150, 165},
                                    {100, 170, 180}, {190, 100, 80}, {150, 110, 190}, {210, 190, 80}};
    if (size < 1) return 0;
    const int* hue = kHues[std::clamp(type, 0, MEKA_TYPE_MAX - 1) % 8];
    const double px = 1.0 / size;
    const auto part = [&](int ax, int ay) { return PortraitPart(type, (ax + 0.5) * px, (ay + 0.5) * px); };
    const int p = part(x, y);
    const auto tint = [&](double k) {
        return Rgb555(std::clamp(int(hue[0] * k), 8, 255), std::clamp(int(hue[1] * k), 8, 255),
                      std::clamp(int(hue[2] * k), 8, 255));
    };
    if (p == 0) return tint(0.22);
    // A dark rim where the head and shoulders meet the ground, one pixel in 40.
    const int rim = std::max(1, size / 40);
    const bool rimmed = p == 1 || p == 2 || p == 3;
    if (rimmed && (part(x - rim, y) == 0 || part(x + rim, y) == 0 || part(x, y - rim) == 0 || part(x, y + rim) == 0))
        return Rgb555(14, 14, 24);
    const double u = (x + 0.5) * px, v = (y + 0.5) * px;
    switch (p) {
        case 2: return tint(0.35);
        case 4: return type >= 17 ? Rgb555(255, 230, 80) : type % 2 ? Rgb555(255, 70, 50) : Rgb555(120, 255, 210);
        case 5: return Rgb555(230, 210, 120);
        default: break;
    }
    // Lit from the upper left.
    const double light = std::clamp(1.25 - 0.9 * (u - 0.3) - 0.5 * (v - 0.2), 0.55, 1.25);
    return tint(p == 1 ? light * 0.8 : light);
}


SprSetDef EffectSet() {
    SprSetDef set;
    set.images = {"Effect"};
    for (int p = 0; p < kEffectPages; ++p) {
        SprPageDef page;
        page.wait = 2;
        const i32 cell = (p % 8) * 32;
        page.parts.push_back({0, RECT{-16, -32, 16, 0}, RECT{cell, 0, cell + 32, 32}, 0});
        page.hit[8] = kEffectTipRect;
        page.hit[15] = kEffectGlowRect;
        page.hit[2] = kEffectMapRect;
        set.pages.push_back(page);
    }
    // Facing sequences start on page 0 so every facing finds a page; the others show a page of their own.
    for (int seq : kSequences) {
        const bool faced = seq == 65 || seq == 87 || seq == 97 || seq == 109;
        const u16 page = faced ? 0 : u16(40 + seq % 8);
        set.seqs[std::size_t(seq)] = {{page, 2}, {page, 2}};
    }
    return set;
}

bool SaveEffectSet(const std::string& dir, const SprSetDef& set) {
    GrpImage img = Blank(256, 32);
    Fill(img, 0, 0, 256, 32, EffectPixel);
    const std::string base = dir + "/Bmp/Effect/Effect";
    return SaveGrp(base + ".grp", img, true) && SaveFile(base + ".spr", SprFile(set));
}

u16 PartsBandColour(int band) {
    return u16(((band * 5 + 7) & 31) << 10 | ((band * 11 + 13) & 31) << 5 | ((31 - band * 3) & 31) | 0x0421);
}

GrpImage PartsPicture() {
    GrpImage img = Blank(328, 304);
    // Colour rows 0..100: one flat colour per 5-row band, 130 columns.
    for (u32 y = 0; y < 100; ++y)
        for (u32 x = 0; x < 130; ++x) Put(img, x, y, PartsBandColour(int(y / 5)));
    // Panel frame: a border with key holes where the icon, label and strips show through.
    Fill(img, 132, 0, 328, 40, [](u32 x, u32 y) -> u16 {
        const u32 fx = x - 132;
        if (fx < 40 || (fx >= 56 && fx < 124 && y >= 4 && y < 12)) return 0;
        if (fx >= 56 && fx < 188 && y >= 16 && y < 33) return 0;
        return ((fx + y) / 4) % 2 ? Rgb555(60, 60, 90) : Rgb555(90, 90, 130);
    });
    // Overlay (rows 40..80) and its highlight (80..120): an outline on key.
    Fill(img, 132, 40, 328, 120, [](u32 x, u32 y) -> u16 {
        const u32 fx = x - 132, fy = (y - 40) % 40;
        const bool edge = fx < 2 || fx >= 194 || fy < 2 || fy >= 38;
        if (!edge) return 0;
        return y < 80 ? Rgb555(200, 200, 255) : Rgb555(255, 255, 120);
    });
    // Name labels: one 68×8 strip per mech type, its display name in capitals on a dark band; a
    // character without a capital leaves a gap.
    for (int type = 0; type < MEKA_TYPE_MAX; ++type) {
        const u32 top = 100 + 8 * u32(type);
        Fill(img, 0, top, 68, top + 8, [](u32, u32) { return Rgb555(16, 20, 48); });
        u32 x = 2;
        for (const char* c = MekaDispNameTbl[type]; *c && x + 5 <= 68; ++c, x += 6) {
            const u8* rows = CapitalRows(*c);
            for (u32 r = 0; rows && r < 7; ++r)
                for (u32 b = 0; b < 5; ++b)
                    if (rows[r] >> (4 - b) & 1) Put(img, x + b, top + 1 + r, Rgb555(int(150 + r * 15), 240, 255));
        }
    }
    // Slot panel with its grid, and the marks under it.
    Fill(img, 76, 124, 160, 200, [](u32 x, u32 y) -> u16 {
        const u32 fx = x - 76, fy = y - 124;
        if (fx >= 45 && fx < 75 && fy >= 29 && fy < 68) return ((fx - 45) % 12 < 10 && (fy - 29) % 12 < 10) ? Rgb555(30, 30, 50) : Rgb555(80, 80, 110);
        return (fx + fy) % 6 ? Rgb555(50, 70, 90) : Rgb555(110, 130, 160);
    });
    Fill(img, 76, 200, 160, 203, [](u32 x, u32) -> u16 { return Rgb555(int(80 + (x - 76) / 6 * 25), 240, 80); });
    // Digit cells 0..9 at (160, 124), 10×16 each, and the "HITS" label beside them: bold outlined
    // figures, since the popup floats over the map.
    for (u32 d = 0; d < 10; ++d)
        StampOutlined(img, 160 + 10 * d, 124, 10, 16, [d](int x, int y) {
            return x >= 1 && x < 9 && y >= 1 && y < 15 && (kCountDigits[d][(y - 1) / 2] >> (3 - (x - 1) / 2) & 1);
        });
    StampOutlined(img, 260, 124, 18, 16, [](int x, int y) {
        return x >= 1 && x < 16 && y >= 5 && y < 15 && (kHits[y - 5] >> (15 - x) & 1);
    });
    return img;
}

GrpImage MekaPnlPicture() {
    GrpImage img = Blank(320, 160);
    Fill(img, 0, 0, 320, 160, [](u32 x, u32 y) -> u16 {
        const u32 cell = (y / 40) * 8 + x / 40, cx = x % 40, cy = y % 40;
        if (cx < 2 || cy < 2 || cx >= 38 || cy >= 38) return Rgb555(220, 220, 220);
        if (cell >= u32(MEKA_TYPE_MAX)) return Rgb555(30, 30, 40);
        return MekaPortraitPixel(int(cell), int(cx - 2), int(cy - 2), 36);
    });
    return img;
}

bool SaveHudPictures(const std::string& dir) {
    return SaveGrp(dir + "/Bmp/Parts.grp", PartsPicture(), true) &&
           SaveGrp(dir + "/Bmp/MekaPnl.grp", MekaPnlPicture(), true);
}

}  // namespace tools
