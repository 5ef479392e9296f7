// The mouse pointer's sprite set: five shapes, each a looping sequence of frames cut from one picture.
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tools/mkdata/mkdata.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/grp_writer.h"
#include "tools/writers/spr_writer.h"

namespace mkdata {

namespace {

constexpr int kCell = 32;
constexpr int kFrames = 4;
constexpr int kTypes = 5;
constexpr u16 kStepWait = 5;  // frames each step is held beyond the first

constexpr u16 Rgb(int r, int g, int b) { return u16((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)); }
// Outlines are near-black: 0 is the transparent colour.
constexpr u16 kEdge = Rgb(16, 16, 24);

// One frame cell of the sheet; pixels outside the cell are dropped.
class Frame {
public:
    Frame(std::vector<u16>& sheet, int sheetWidth, int cellX, int cellY)
        : sheet_(sheet), width_(sheetWidth), x0_(cellX), y0_(cellY) {}
    void Set(int x, int y, u16 c) {
        if (x >= 0 && y >= 0 && x < kCell && y < kCell) sheet_[size_t(y0_ + y) * size_t(width_) + size_t(x0_ + x)] = c;
    }
    u16 Get(int x, int y) const {
        if (x < 0 || y < 0 || x >= kCell || y >= kCell) return 0;
        return sheet_[size_t(y0_ + y) * size_t(width_) + size_t(x0_ + x)];
    }
    // Paints the edge colour on every clear pixel that touches a painted one.
    void Outline() {
        std::vector<std::pair<int, int>> edge;
        for (int y = 0; y < kCell; ++y)
            for (int x = 0; x < kCell; ++x) {
                if (Get(x, y) != 0) continue;
                bool near = false;
                for (int dy = -1; dy <= 1 && !near; ++dy)
                    for (int dx = -1; dx <= 1 && !near; ++dx) near = Get(x + dx, y + dy) != 0 && Get(x + dx, y + dy) != kEdge;
                if (near) edge.emplace_back(x, y);
            }
        for (auto [x, y] : edge) Set(x, y, kEdge);
    }

private:
    std::vector<u16>& sheet_;
    int width_;
    int x0_;
    int y0_;
};

// Pixel centres inside the polygon (even-odd rule).
bool Inside(const std::vector<std::array<double, 2>>& poly, double x, double y) {
    bool in = false;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const auto& a = poly[i];
        const auto& b = poly[j];
        if ((a[1] > y) != (b[1] > y) && x < (b[0] - a[0]) * (y - a[1]) / (b[1] - a[1]) + a[0]) in = !in;
    }
    return in;
}

// The arrow's tip is at cell pixel (1, 1), one pixel in for its outline.
const std::vector<std::array<double, 2>> kArrow = {{1, 1}, {1, 19}, {5.5, 14.5}, {9, 22}, {12, 20.5}, {8.5, 13.5}, {14.5, 13.5}};

void Arrow(Frame& f, int frame, int r, int g, int b) {
    for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kCell; ++x) {
            if (!Inside(kArrow, x + 0.5, y + 0.5)) continue;
            // A glint slides down the arrow and comes round again.
            const int band = (x + y) / 2 - frame * 4;
            const int lift = band >= 0 && band < 3 ? 60 : 0;
            f.Set(x, y, Rgb(std::min(255, r + lift), std::min(255, g + lift), std::min(255, b + lift)));
        }
}

void Pointer(Frame& f, int frame) {
    Arrow(f, frame, 200, 210, 235);
    f.Outline();
}

void Select(Frame& f, int frame) {
    Arrow(f, frame, 235, 190, 40);
    // A twinkle beside the tip that grows and shrinks.
    const int arm = std::array{1, 2, 3, 2}[size_t(frame)];
    const int cx = 18;
    const int cy = 5;
    for (int d = -arm; d <= arm; ++d) {
        f.Set(cx + d, cy, Rgb(255, 255, 200));
        f.Set(cx, cy + d, Rgb(255, 255, 200));
    }
    f.Outline();
}

// The centre of the centred shapes is cell pixel (16, 16).
void Ring(Frame& f, double radius, double thickness, const std::function<u16(double angle)>& colour) {
    for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kCell; ++x) {
            const double dx = x - 16;
            const double dy = y - 16;
            const double d = std::sqrt(dx * dx + dy * dy);
            if (std::fabs(d - radius) > thickness / 2) continue;
            const u16 c = colour(std::atan2(dy, dx));
            if (c != 0) f.Set(x, y, c);
        }
}

void Aim(Frame& f, int frame) {
    constexpr double kPi = 3.14159265358979;
    // Four dashes turning a quarter of their spacing per frame.
    Ring(f, 9, 2.2, [frame](double a) {
        const double turn = std::fmod(a / (2 * kPi) * 4 + frame / 4.0 + 4, 1.0);
        return turn < 0.6 ? Rgb(120, 255, 140) : u16(0);
    });
    for (int d = 3; d <= 13; ++d) {
        if (d > 6 && d < 11) continue;
        f.Set(16 + d, 16, Rgb(120, 255, 140));
        f.Set(16 - d, 16, Rgb(120, 255, 140));
        f.Set(16, 16 + d, Rgb(120, 255, 140));
        f.Set(16, 16 - d, Rgb(120, 255, 140));
    }
    f.Set(16, 16, Rgb(255, 255, 255));
    f.Outline();
}

void Wait(Frame& f, int frame) {
    constexpr double kPi = 3.14159265358979;
    // Eight dots, the brightest running round with a fading tail.
    for (int dot = 0; dot < 8; ++dot) {
        const int age = (frame * 2 - dot + 16) % 8;
        const int level = std::max(70, 255 - age * 45);
        const double a = dot * kPi / 4;
        const int cx = 16 + int(std::lround(9 * std::cos(a)));
        const int cy = 16 + int(std::lround(9 * std::sin(a)));
        for (int y = -1; y <= 1; ++y)
            for (int x = -1; x <= 1; ++x)
                if (x * x + y * y <= 1) f.Set(cx + x, cy + y, Rgb(level, level, 255));
    }
    f.Outline();
}

void Forbid(Frame& f, int frame) {
    const int level = std::array{255, 225, 195, 165}[size_t(frame)];
    const u16 red = Rgb(level, 40, 40);
    Ring(f, 9.5, 2.5, [red](double) { return red; });
    for (int t = -7; t <= 7; ++t)
        for (int w = 0; w <= 1; ++w) f.Set(16 + t + w, 16 - t, red);
    f.Outline();
}

}  // namespace

bool BuildCursor(const std::string& dataDir, std::string* error) {
    const std::array<void (*)(Frame&, int), kTypes> shapes = {Pointer, Select, Aim, Wait, Forbid};
    tools::GrpImage sheet;
    sheet.bpp = 16;
    sheet.width = kCell * kFrames;
    sheet.height = kCell * kTypes;
    std::vector<u16> pixels(size_t(sheet.width) * sheet.height, 0);

    tools::SprSetDef set;
    set.images = {"Cursor"};
    for (int type = 0; type < kTypes; ++type) {
        // The pointers hold the mouse point at their tip, the other shapes at their centre.
        const bool tip = type <= 1;
        for (int frame = 0; frame < kFrames; ++frame) {
            Frame f(pixels, int(sheet.width), frame * kCell, type * kCell);
            shapes[size_t(type)](f, frame);
            tools::SprPageDef page;
            tools::SprPartDef part;
            part.image = 0;
            part.src = {frame * kCell, type * kCell, (frame + 1) * kCell, (type + 1) * kCell};
            part.dest = tip ? RECT{-1, -1, kCell - 1, kCell - 1} : RECT{-16, -16, kCell - 16, kCell - 16};
            page.parts.push_back(part);
            set.seqs[size_t(type)].push_back({u16(set.pages.size()), kStepWait});
            set.pages.push_back(page);
        }
    }
    sheet.pixels.resize(pixels.size() * 2);
    for (size_t i = 0; i < pixels.size(); ++i) {
        sheet.pixels[2 * i] = u8(pixels[i]);
        sheet.pixels[2 * i + 1] = u8(pixels[i] >> 8);
    }
    const std::string dir = dataDir + "/Bmp/Cursor/";
    if (!tools::SaveGrp(dir + "Cursor.grp", sheet, true)) {
        *error = dir + "Cursor.grp: cannot write";
        return false;
    }
    if (!tools::SaveFile(dir + "Cursor.spr", tools::SprFile(set))) {
        *error = dir + "Cursor.spr: cannot write";
        return false;
    }
    return true;
}

}  // namespace mkdata
