#include "tools/writers/hud_writer.h"

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

}  // namespace

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
    // Name labels: one 68×8 strip per mech type.
    Fill(img, 0, 100, 68, 300, [](u32 x, u32 y) -> u16 {
        const u32 type = (y - 100) / 8;
        return (x / 3 + (y % 8)) % 3 ? Rgb555(int(40 + type * 8), 200, 220) : 0;
    });
    // Slot panel with its grid, and the marks under it.
    Fill(img, 76, 124, 160, 200, [](u32 x, u32 y) -> u16 {
        const u32 fx = x - 76, fy = y - 124;
        if (fx >= 45 && fx < 75 && fy >= 29 && fy < 68) return ((fx - 45) % 12 < 10 && (fy - 29) % 12 < 10) ? Rgb555(30, 30, 50) : Rgb555(80, 80, 110);
        return (fx + fy) % 6 ? Rgb555(50, 70, 90) : Rgb555(110, 130, 160);
    });
    Fill(img, 76, 200, 160, 203, [](u32 x, u32) -> u16 { return Rgb555(int(80 + (x - 76) / 6 * 25), 240, 80); });
    // Digit cells 0..9 at (160, 124), 10×16 each, and the "HITS" label beside them.
    Fill(img, 160, 124, 278, 140, [](u32 x, u32 y) -> u16 {
        if (x >= 260) return (x + y) % 2 ? Rgb555(255, 160, 60) : 0;
        const u32 d = (x - 160) / 10, cx = (x - 160) % 10, cy = y - 124;
        const bool bar = cx >= 1 && cx < 9 && cy >= 1 && cy < 15 && (cy < 3 || cy >= 13 || cx < 3 || cx >= 7);
        return bar ? Rgb555(int(255 - d * 10), int(120 + d * 12), 40) : 0;
    });
    return img;
}

GrpImage MekaPnlPicture() {
    GrpImage img = Blank(320, 160);
    Fill(img, 0, 0, 320, 160, [](u32 x, u32 y) -> u16 {
        const u32 cell = (y / 40) * 8 + x / 40, cx = x % 40, cy = y % 40;
        if (cx < 2 || cy < 2 || cx >= 38 || cy >= 38) return Rgb555(220, 220, 220);
        return Rgb555(int(cell * 10), int(255 - cell * 8), int(100 + (cx + cy) * 2));
    });
    return img;
}

bool SaveHudPictures(const std::string& dir) {
    return SaveGrp(dir + "/Bmp/Parts.grp", PartsPicture(), true) &&
           SaveGrp(dir + "/Bmp/MekaPnl.grp", MekaPnlPicture(), true);
}

}  // namespace tools
