#include "tools/writers/menu_writer.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "screens/menu/menu.h"

namespace tools {

namespace {

u16 Rgb(int r, int g, int b) { return u16((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)); }

struct Canvas {
    GrpImage img;
    Canvas(u32 w, u32 h) {
        img.bpp = 16;
        img.width = w;
        img.height = h;
        img.pixels.assign(std::size_t(w) * h * 2, 0);
    }
    void Put(int x, int y, u16 c) {
        const std::size_t at = (std::size_t(y) * img.width + std::size_t(x)) * 2;
        img.pixels[at] = u8(c);
        img.pixels[at + 1] = u8(c >> 8);
    }
    // Calls f with coordinates relative to the rectangle's corner; 0 leaves the pixel transparent.
    void Fill(int x0, int y0, int w, int h, const std::function<u16(int x, int y)>& f) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) Put(x0 + x, y0 + y, f(x, y));
    }
};

// A bevelled plate of one hue, a vertical shade inside.
u16 Plate(int x, int y, int w, int h, int r, int g, int b) {
    if (x < 1 || y < 1) return Rgb(235, 235, 235);
    if (x >= w - 1 || y >= h - 1) return Rgb(20, 20, 28);
    const int shade = 70 + (h - y) * 90 / h;
    return Rgb(r * shade / 160, g * shade / 160, b * shade / 160);
}

constexpr int kHue[8][3] = {{60, 110, 220}, {60, 190, 110}, {220, 90, 70},  {200, 160, 60},
                            {150, 80, 200}, {60, 180, 200}, {200, 80, 160}, {140, 140, 140}};

// Card shapes of the mech menu: even at (0, 0), odd at (0, 96), highlights 48 below each.
void Cards(Canvas& c) {
    for (int odd = 0; odd < 2; ++odd) {
        auto in = [odd](int x, int y) { return MENU_MEKA_InCard(odd != 0, 0, 0, x, y); };
        auto edge = [&](int x, int y) { return !in(x - 1, y) || !in(x + 1, y) || !in(x, y - 1) || !in(x, y + 1); };
        const int* h = kHue[odd ? 2 : 0];
        c.Fill(0, odd ? 96 : 0, MENU_CARD_W, MENU_CARD_H, [&](int x, int y) -> u16 {
            if (!in(x, y)) return 0;
            if (edge(x, y)) return Rgb(230, 230, 240);
            const int shade = 60 + (MENU_CARD_H - y) * 2;
            return Rgb(h[0] * shade / 160, h[1] * shade / 160, h[2] * shade / 160);
        });
        c.Fill(0, odd ? 144 : 48, MENU_CARD_W, MENU_CARD_H, [&](int x, int y) -> u16 {
            if (!in(x, y)) return 0;
            return edge(x, y) ? Rgb(255, 240, 140) : Rgb(40, 36, 16);
        });
    }
}

}  // namespace

GrpImage MainMenuPicture() {
    constexpr int kW = 96, kH = 32;
    Canvas c(kW * 2, kH * MENU_MAIN_ITEMS);
    for (int b = 0; b < MENU_MAIN_ITEMS; ++b) {
        const int* h = kHue[b];
        c.Fill(0, b * kH, kW, kH, [h](int x, int y) -> u16 {
            // Three bars stand for a label.
            const bool bar = y >= 14 && y < 18 && x >= 16 && x < 80 && (x / 8) % 3 != 2;
            return bar ? Rgb(240, 240, 220) : Plate(x, y, kW, kH, h[0], h[1], h[2]);
        });
        c.Fill(kW, b * kH, kW, kH, [](int x, int y) -> u16 {
            const bool ring = x < 3 || y < 3 || x >= kW - 3 || y >= kH - 3;
            return ring ? Rgb(255, 230, 120) : 0;
        });
    }
    return c.img;
}

GrpImage MenuPicture() {
    Canvas c(200, 320);
    Cards(c);
    // Technique-line backgrounds by cost kind, then the command buttons over the rows they share.
    for (int k = 0; k < 8; ++k) {
        const int* h = kHue[k];
        c.Fill(0, 192 + 16 * k, 132, 16, [h](int x, int y) -> u16 {
            if (x < 24) return Rgb(h[0] / 3, h[1] / 3, h[2] / 3);
            return Plate(x, y, 132, 16, h[0] / 2, h[1] / 2, h[2] / 2);
        });
    }
    for (int k = 0; k < 5; ++k) {
        const int* h = kHue[(k + 3) % 8];
        c.Fill(40 * k, 240, 40, 20, [h, k](int x, int y) -> u16 {
            // k + 1 dots name the command.
            const bool dot = y >= 8 && y < 12 && x >= 6 && (x - 6) % 6 < 3 && (x - 6) / 6 <= k;
            if (x >= 32) return 0;
            return dot ? Rgb(250, 250, 250) : Plate(x, y, 32, 20, h[0], h[1], h[2]);
        });
    }
    return c.img;
}

GrpImage EquipPicture() {
    Canvas c(640, 360);
    auto well = [](int x, int y) -> u16 { return (x + y) % 4 ? Rgb(24, 28, 40) : Rgb(36, 40, 56); };
    // The row frame with its three wells, the marker ring, the blank icon.
    c.Fill(0, 0, 316, 32, [&](int x, int y) -> u16 {
        const int wx = (x - 16) % 100;
        if (x >= 16 && wx < 92 && y >= 8 && y < 28) return well(x, y);
        return Plate(x, y, 316, 32, 90, 100, 130);
    });
    c.Fill(316, 0, 116, 40, [](int x, int y) -> u16 {
        const int d = std::min(std::min(x, 115 - x), std::min(y, 39 - y));
        return d < 6 ? Rgb(255 - d * 30, 200 - d * 25, 60) : 0;
    });
    c.Fill(432, 0, 92, 20, well);
    for (int t = 0; t < 3; ++t) {
        const int* h = kHue[t + 4];
        c.Fill(568 + 24 * t, 0, 24, 188, [h](int x, int y) { return Plate(x, y, 24, 188, h[0], h[1], h[2]); });
    }
    for (int r = 0; r < 4; ++r) {
        const int* h = kHue[r];
        c.Fill(68 * r, 32, 68, 32, [h, r](int x, int y) -> u16 {
            const bool bar = y >= 12 && y < 20 && x >= 10 && (x - 10) % 10 < 6 && (x - 10) / 10 <= r;
            return bar ? Rgb(250, 250, 250) : Plate(x, y, 68, 32, h[0], h[1], h[2]);
        });
    }
    for (int k = 0; k < MENU_CATEGORIES; ++k) {
        const int* h = kHue[k];
        c.Fill(92 * k, 64, 92, 52, [h, k](int x, int y) -> u16 {
            const bool bar = y >= 20 && y < 30 && x >= 10 && (x - 10) % 12 < 7 && (x - 10) / 12 <= k;
            return bar ? Rgb(250, 250, 250) : Plate(x, y, 92, 52, h[0], h[1], h[2]);
        });
    }
    // Category frames: two lines of five wells, and one.
    for (int big = 1; big >= 0; --big) {
        const int hgt = big ? 52 : 32, y0 = big ? 116 : 168;
        c.Fill(0, y0, 488, hgt, [&](int x, int y) -> u16 {
            const int wx = (x - 4) % 96;
            if (x >= 4 && x < 484 && wx < 92 && y >= 8 && (y - 8) % 20 < 20 && y < hgt - 4) return well(x, y);
            return Plate(x, y, 488, hgt, 80, 90, 120);
        });
    }
    // Group icons: the category's hue, the group's number within its line as stripes.
    for (int t = 0; t < MENU_WAZA_GROUPS; ++t) {
        int cat = 0;
        while (t >= MenuCategoryTbl[cat + 1]) ++cat;
        const int* h = kHue[cat];
        c.Fill((t % 6) * 92, (t / 6) * 20 + 200, 92, 20, [h, t](int x, int y) -> u16 {
            const bool stripe = y >= 5 && y < 15 && x >= 60 && (x - 60) % 6 < 3 && (x - 60) / 6 <= t % 5;
            const bool mark = x >= 6 && x < 18 + (t / 5) * 4 && y >= 6 && y < 14;
            if (stripe || mark) return Rgb(250, 250, 230);
            return Plate(x, y, 92, 20, h[0], h[1], h[2]);
        });
    }
    return c.img;
}

GrpImage MenuBgPicture(int n) {
    Canvas c(640, 480);
    const int* h = kHue[n % 8];
    c.Fill(0, 0, 640, 480, [h](int x, int y) -> u16 {
        const int shade = 30 + y * 60 / 480;
        if (x % 40 == 0 || y % 40 == 0) return Rgb(h[0] * (shade + 30) / 255, h[1] * (shade + 30) / 255, h[2] * (shade + 30) / 255);
        return Rgb(h[0] * shade / 255 + 1, h[1] * shade / 255 + 1, h[2] * shade / 255 + 1);
    });
    return c.img;
}

bool SaveMenuPictures(const std::string& dir) {
    bool ok = SaveGrp(dir + "/Bmp/MainMenu.grp", MainMenuPicture(), true) &&
              SaveGrp(dir + "/Bmp/Menu.grp", MenuPicture(), true) &&
              SaveGrp(dir + "/Bmp/Equip.grp", EquipPicture(), true);
    for (int n = 0; ok && n < kMenuBgCount; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "/Bmp/MenuBG%02d.grp", n);
        ok = SaveGrp(dir + name, MenuBgPicture(n), true);
    }
    return ok;
}

}  // namespace tools
