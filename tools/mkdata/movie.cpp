// The opening movie: the game's name fading in over drifting light bands, with a tone.
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/movie_encode.h"
#include "tools/mkdata/glyphs.h"
#include "tools/mkdata/mkdata.h"
#include "tools/writers/build_record.h"
#include "tools/writers/byte_writer.h"

namespace mkdata {

namespace {

constexpr i32 kWidth = 320;  // the game stretches it to the screen; multiples of 16 code exactly
constexpr i32 kHeight = 240;
constexpr i32 kFps = 25;
constexpr i32 kFrames = 4 * kFps;
constexpr int kLetterW = 24;
constexpr int kLetterH = 48;

// The title's ink, kWidth × kHeight, 1 where a letter is.
bool TitleInk(const std::string& fontFile, std::vector<u8>* ink, std::string* error) {
    const std::u32string title = U"KORVANE";
    GlyphRaster raster;
    if (!raster.Open(fontFile, 1, error)) return false;
    if (!raster.Fit(title, kLetterW, kLetterH, 2)) {
        *error = fontFile + ": no size fits the title";
        return false;
    }
    ink->assign(size_t(kWidth) * kHeight, 0);
    const int left = (kWidth - int(title.size()) * kLetterW) / 2;
    const int top = (kHeight - kLetterH) / 2;
    Cell cell;
    for (size_t i = 0; i < title.size(); ++i) {
        raster.Render(title[i], &cell);
        for (int y = 0; y < kLetterH; ++y)
            for (int x = 0; x < kLetterW; ++x)
                if (cell.At(x, y)) (*ink)[size_t(top + y) * kWidth + size_t(left + int(i) * kLetterW + x)] = 1;
    }
    return true;
}

}  // namespace

bool BuildMovie(const std::string& dataDir, const std::string& fontFile, std::string* error) {
    std::vector<u8> ink;
    if (!TitleInk(fontFile, &ink, error)) return false;
    plat::MovieEncodeOptions o;
    o.width = kWidth;
    o.height = kHeight;
    o.fps = kFps;
    o.frames = kFrames;
    o.sampleRate = 44100;
    o.toneHz = 220;
    return SaveMovie(dataDir + "/opening.mpg", o, [&ink](i32 frame, u8* rgb) {
        const double t = double(frame) / kFps;
        // In over the first second, out over the last.
        const double fade = std::clamp(std::min(t, double(kFrames - 1 - frame) / kFps), 0.0, 1.0);
        for (i32 y = 0; y < kHeight; ++y) {
            for (i32 x = 0; x < kWidth; ++x) {
                const double band = 0.5 + 0.5 * std::sin((x + 2 * y) / 23.0 - t * 2.5);
                double r = 10 + 20 * band;
                double g = 14 + 30 * band;
                double b = 40 + 60 * band * (1 - double(y) / kHeight);
                if (ink[size_t(y) * kWidth + size_t(x)]) {
                    // A glint crosses the letters once a second.
                    const double glint = std::max(0.0, 1 - std::fabs(x - std::fmod(t, 1.0) * kWidth * 1.5) / 20);
                    r = r + (235 + 20 * glint - r) * fade;
                    g = g + (225 + 30 * glint - g) * fade;
                    b = b + (180 + 75 * glint - b) * fade;
                }
                u8* p = rgb + (size_t(y) * kWidth + size_t(x)) * 3;
                p[0] = u8(std::clamp(r, 0.0, 255.0));
                p[1] = u8(std::clamp(g, 0.0, 255.0));
                p[2] = u8(std::clamp(b, 0.0, 255.0));
            }
        }
    }, error);
}

bool SaveMovie(const std::string& path, const plat::MovieEncodeOptions& options, const plat::MovieFrameFill& fill,
               std::string* error) {
    // Encoded into a fresh folder of its own, then saved like every other file, so a changed movie is
    // kept and nothing planted beside it is written through or read.
    std::error_code ec;
    std::filesystem::path tmp = std::filesystem::temp_directory_path(ec);
    if (ec) tmp = "/tmp";
    std::string folder = (tmp / "korvane-mkdata-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        *error = folder + ": cannot make a folder to encode in";
        return false;
    }
    const std::string encoded = folder + "/movie.mpg";
    std::vector<u8> bytes;
    const bool ok = plat::EncodeMovie(encoded.c_str(), options, fill) &&
                    tools::ReadDataFile(encoded, &bytes, i64(1) << 30) == tools::ReadResult::Ok && !bytes.empty();
    std::filesystem::remove_all(folder, ec);
    if (!ok) {
        *error = path + ": cannot encode";
        return false;
    }
    if (!tools::SaveFile(path, bytes)) {
        *error = path + ": cannot write";
        return false;
    }
    return true;
}

}  // namespace mkdata
