#include "tools/writers/movie_writer.h"

#include <algorithm>
#include <cmath>

#include "platform/movie_encode.h"

namespace tools {
namespace {

constexpr int kRedSteps = 7;
constexpr int kGreenSteps = 8;
constexpr int kBase = 32;
constexpr int kRedStep = 32;
constexpr int kGreenStep = 28;

int Nearest(int value, int step, int steps) {
    const int index = int(std::lround(double(value - kBase) / step));
    return std::clamp(index, 0, steps - 1);
}

}  // namespace

Rgb TestMovieColour(i32 frame) {
    const int i = ((frame % (kRedSteps * kGreenSteps)) + kRedSteps * kGreenSteps) % (kRedSteps * kGreenSteps);
    return Rgb{u8(kBase + (i % kRedSteps) * kRedStep), u8(kBase + (i / kRedSteps) * kGreenStep), 128};
}

i32 TestMovieFrameOf(u8 r, u8 g, u8 b) {
    (void)b;
    return Nearest(g, kGreenStep, kGreenSteps) * kRedSteps + Nearest(r, kRedStep, kRedSteps);
}

bool WriteTestMovie(const std::string& path, const TestMovieOptions& options) {
    plat::MovieEncodeOptions o;
    o.width = options.width;
    o.height = options.height;
    o.fps = options.fps;
    o.frames = options.frames;
    o.sampleRate = options.sampleRate;
    o.toneHz = options.toneHz;
    o.soundDelayMs = options.soundDelayMs;
    o.soundChangeMs = options.soundChangeMs;
    o.changedChannels = options.changedChannels;
    o.changedRate = options.changedRate;
    const size_t pixels = size_t(std::max(options.width, 0)) * size_t(std::max(options.height, 0));
    return plat::EncodeMovie(path.c_str(), o, [pixels](i32 frame, u8* rgb) {
        const Rgb c = TestMovieColour(frame);
        for (size_t i = 0; i < pixels; ++i) {
            rgb[i * 3] = c.r;
            rgb[i * 3 + 1] = c.g;
            rgb[i * 3 + 2] = c.b;
        }
    });
}

}  // namespace tools
