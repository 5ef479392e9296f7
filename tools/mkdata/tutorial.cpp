// The tutorial scenes: their scripts assembled from the sources in the repository, and what the scripts
// show: face sets, a bust, a character, two pictures, a short movie and a voice.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "tools/mkdata/mkdata.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/grp_writer.h"
#include "tools/writers/script_asm.h"
#include "tools/writers/spr_writer.h"
#include "tools/writers/wave_writer.h"

namespace mkdata {

namespace {

struct Rgb {
    int r, g, b;
};

using Paint = std::function<Rgb(int x, int y)>;  // {0, 0, 0} is transparent in sprite sets

tools::GrpImage Picture(int w, int h, const Paint& paint) {
    tools::GrpImage img;
    img.bpp = 24;
    img.width = u32(w);
    img.height = u32(h);
    img.pixels.reserve(size_t(w) * size_t(h) * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgb c = paint(x, y);
            img.pixels.push_back(u8(std::clamp(c.b, 0, 255)));
            img.pixels.push_back(u8(std::clamp(c.g, 0, 255)));
            img.pixels.push_back(u8(std::clamp(c.r, 0, 255)));
        }
    return img;
}

bool Inside(double x, double y, double cx, double cy, double rx, double ry) {
    const double dx = (x - cx) / rx, dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
}

// A face of 64 × 64: pattern 0 calm, 1 speaking (mouth open), 2 eyes shut. hue tints hair and collar.
Rgb FacePixel(int x, int y, int pattern, Rgb hair) {
    const Rgb skin{236, 196, 160};
    if (y >= 56) return Rgb{hair.r / 2 + 40, hair.g / 2 + 40, hair.b / 2 + 60};  // collar
    if (Inside(x, y, 32, 22, 24, 18) && y < 24) return hair;
    if (!Inside(x, y, 32, 32, 20, 24)) return Rgb{0, 0, 0};
    const bool eye = Inside(x, y, 24, 32, 3, pattern == 2 ? 1 : 3) || Inside(x, y, 40, 32, 3, pattern == 2 ? 1 : 3);
    if (eye) return Rgb{30, 30, 40};
    if (Inside(x, y, 32, 46, pattern == 1 ? 5 : 6, pattern == 1 ? 3 : 1)) return Rgb{150, 60, 60};
    return skin;
}

// A set of pages each cut from one row of cells of its picture, with sequence 0 stepping through them.
tools::SprSetDef CellSet(const std::string& image, int cells, int w, int h, const RECT& dest, u16 wait) {
    tools::SprSetDef set;
    set.images.push_back(image);
    for (int p = 0; p < cells; ++p) {
        tools::SprPageDef page;
        page.wait = wait;
        page.parts.push_back(tools::SprPartDef{0, dest, RECT{w * p, 0, w * p + w, h}, 0});
        set.pages.push_back(page);
        set.seqs[0].push_back(tools::SprStepDef{u16(p), wait});
    }
    return set;
}

bool WriteSet(const std::string& dir, const std::string& name, const std::string& image, const tools::GrpImage& pic,
              const tools::SprSetDef& set, std::string* error) {
    if (!tools::SaveGrp(dir + image + ".grp", pic, true) || !tools::SaveFile(dir + name, tools::SprFile(set))) {
        *error = dir + name + ": not written";
        return false;
    }
    return true;
}

bool BuildFaces(const std::string& dir, std::string* error) {
    const Rgb hairs[] = {{70, 50, 40}, {40, 60, 110}};
    for (int n = 1; n <= 2; ++n) {
        const Rgb hair = hairs[n - 1];
        const tools::GrpImage pic =
            Picture(64 * 3, 64, [&](int x, int y) { return FacePixel(x % 64, y, x / 64, hair); });
        const std::string stem = "ttface0" + std::to_string(n);
        const tools::SprSetDef set = CellSet(stem, 3, 64, 64, RECT{0, 0, 64, 64}, 8);
        if (!WriteSet(dir, "face_0" + std::to_string(n) + ".spr", stem, pic, set, error)) return false;
    }
    return true;
}

// The instructor standing, 160 × 320, anchored at the middle of its feet.
bool BuildBust(const std::string& dir, std::string* error) {
    const tools::GrpImage pic = Picture(160, 320, [](int x, int y) {
        if (y < 96) {
            const Rgb c = FacePixel((x - 40) * 64 / 80, y * 64 / 96, 0, Rgb{70, 50, 40});
            return x >= 40 && x < 120 ? c : Rgb{0, 0, 0};
        }
        if (Inside(x, y, 80, 210, 70, 120)) return Rgb{60, 80, 60 + (y % 40 < 3 ? 40 : 0)};
        return Rgb{0, 0, 0};
    });
    return WriteSet(dir, "btst_01.spr", "ttbust01", pic, CellSet("ttbust01", 1, 160, 320, RECT{-80, -320, 80, 0}, 0),
                    error);
}

// A small walking figure: four cells of 48 × 64, anchored at its feet.
bool BuildCharacter(const std::string& dir, std::string* error) {
    const tools::GrpImage pic = Picture(48 * 4, 64, [](int x, int y) {
        const int cell = x / 48, cx = x % 48;
        const double swing = std::sin(cell * 1.5708) * 8;
        if (Inside(cx, y, 24, 10, 8, 8)) return Rgb{236, 196, 160};
        if (y >= 18 && y < 44 && cx >= 14 && cx < 34) return Rgb{200, 120, 40};
        const double leg = swing * (y - 44) / 20;
        if (y >= 44 && (std::fabs(cx - (20 + leg)) < 3 || std::fabs(cx - (28 - leg)) < 3)) return Rgb{50, 50, 70};
        return Rgb{0, 0, 0};
    });
    return WriteSet(dir, "ttchr.spr", "ttchr01", pic, CellSet("ttchr01", 4, 48, 64, RECT{-24, -64, 24, 0}, 6), error);
}

bool BuildPictures(const std::string& dir, std::string* error) {
    // A hangar at dusk and a map of the training ground.
    const tools::GrpImage hangar = Picture(640, 480, [](int x, int y) {
        if (y < 200) return Rgb{40 + y / 3, 50 + y / 4, 110 - y / 5};
        const bool door = x > 180 && x < 460 && y > 240;
        if (door) return Rgb{25 + (x / 20 % 2) * 6, 28, 34};
        if (y < 260 && std::abs(x - 320) < (y - 200) * 5) return Rgb{110, 110, 120};
        return Rgb{70 + (x * 7 + y * 3) % 9, 72, 80};
    });
    const tools::GrpImage map = Picture(640, 480, [](int x, int y) {
        if (x % 64 == 0 || y % 64 == 0) return Rgb{40, 90, 40};
        if (Inside(x, y, 200, 240, 24, 24)) return Rgb{60, 120, 220};
        if (Inside(x, y, 440, 240, 24, 24)) return Rgb{220, 70, 60};
        return Rgb{80 + (x + y) % 16, 130, 70};
    });
    if (!tools::SaveGrp(dir + "tt_hangar.grp", hangar, true) || !tools::SaveGrp(dir + "tt_field.grp", map, true)) {
        *error = dir + ": tutorial pictures not written";
        return false;
    }
    // The briefing movie: a radar sweep, two seconds.
    plat::MovieEncodeOptions o;
    o.width = 160;
    o.height = 128;
    o.fps = 25;
    o.frames = 50;
    o.toneHz = 330;
    return SaveMovie(dir + "tt_brief.mpg", o, [&o](i32 frame, u8* rgb) {
        const double sweep = frame * 0.25;
        for (i32 y = 0; y < o.height; ++y)
            for (i32 x = 0; x < o.width; ++x) {
                const double dx = x - 80, dy = y - 64, r = std::sqrt(dx * dx + dy * dy);
                double a = std::atan2(dy, dx) - sweep;
                a -= std::floor(a / 6.2832) * 6.2832;
                const double glow = r < 60 ? std::max(0.0, 1 - a / 1.5) : 0;
                const bool ring = r < 60 && std::fmod(r, 20) < 1;
                u8* p = rgb + (size_t(y) * size_t(o.width) + size_t(x)) * 3;
                p[0] = u8(10);
                p[1] = u8(std::clamp(30 + glow * 200 + (ring ? 80 : 0), 0.0, 255.0));
                p[2] = u8(20 + glow * 40);
            }
    }, error);
}

// "1.wav" in the start-up folder: a short chirp the first page's voice tag plays.
bool BuildVoice(const std::string& dataDir, std::string* error) {
    tools::WaveOptions o;
    o.rate = 22050;
    std::vector<u8> samples;
    for (int i = 0; i < 22050 / 3; ++i) {
        const double t = i / 22050.0;
        const double v = std::sin(6.2832 * (300 + 600 * t) * t) * std::exp(-t * 6) * 12000;
        const i16 s = i16(v);
        samples.push_back(u8(u16(s) & 0xFF));
        samples.push_back(u8(u16(s) >> 8));
    }
    if (!tools::SaveFile(dataDir + "/1.wav", tools::MakeWave(o, samples))) {
        *error = "1.wav: not written";
        return false;
    }
    return true;
}

}  // namespace

bool BuildTutorials(const std::string& dataDir, const std::string& sourceDir, std::string* error) {
    std::error_code ec;
    for (const char* folder : {"/script", "/bmp/adv", "/bmp/face", "/bmp/bust", "/bmp/chr"})
        std::filesystem::create_directories(dataDir + folder, ec);
    if (!BuildFaces(dataDir + "/bmp/face/", error) || !BuildBust(dataDir + "/bmp/bust/", error) ||
        !BuildCharacter(dataDir + "/bmp/chr/", error) || !BuildPictures(dataDir + "/bmp/adv/", error) ||
        !BuildVoice(dataDir, error))
        return false;
    for (const char* name : {"TT_Move", "TT_At", "TT_Combo", "TT_Pow", "TT_Wnd", "TT_Sub", "TT_Drop"}) {
        std::ifstream in(sourceDir + "/" + name + ".txt");
        if (!in) {
            *error = std::string(name) + ".txt: not found in " + sourceDir;
            return false;
        }
        std::stringstream source;
        source << in.rdbuf();
        const tools::ScriptAsmResult r = tools::AssembleScript(source.str());
        if (!r.ok) {
            *error = std::string(name) + ".txt: " + r.error;
            return false;
        }
        if (!tools::SaveFile(dataDir + "/script/" + name + ".scr", r.bytes)) {
            *error = std::string("script/") + name + ".scr: not written";
            return false;
        }
    }
    return true;
}

}  // namespace mkdata
