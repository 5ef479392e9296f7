// Movies through FFmpeg: open a damaged file, then run its clock and decode its first frames into a
// surface of the video's size, mixing its sound as it goes.
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "fuzz/fuzz_support.h"
#include "graphics/display/surf.h"
#include "platform/clock.h"
#include "platform/movie.h"
#include "tools/writers/movie_writer.h"

namespace {

constexpr int kUpdates = 6;
constexpr u32 kStepMs = 40;

u32 g_now = 0x10000000;

std::vector<u8> TestMovie(const tools::TestMovieOptions& options) {
    const std::string path = fuzz::CompanionFile("seed.mpg", {});
    std::vector<u8> bytes;
    if (tools::WriteTestMovie(path, options)) {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    unlink(path.c_str());
    return bytes;
}

}  // namespace

fuzz::Seeds FuzzSeeds() {
    tools::TestMovieOptions o;
    o.width = 32;
    o.height = 16;
    o.frames = 6;
    fuzz::Seeds seeds;
    seeds.emplace_back("tone", TestMovie(o));
    o.sampleRate = 0;
    o.frames = 3;
    seeds.emplace_back("silent", TestMovie(o));
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
    fuzz::NeedDisplay();
    plat::AudioDevice* audio = fuzz::NeedManualMixer();
    static const bool clock = [] {
        plat::SetTimeSource([] { return g_now; });
        return true;
    }();
    (void)clock;
    plat::MovieStream* movie = plat::MovieOpen(fuzz::InputFile("in.mpg", data, size), audio);
    if (!movie) return 0;
    i32 w = 0, h = 0;
    plat::Surface* surface = nullptr;
    plat::MovieSample* sample = nullptr;
    if (plat::MovieGetVideoSize(movie, &w, &h) && (surface = fuzz::Canvas(w, h)) != nullptr) {
        const RECT rect{0, 0, w, h};
        sample = plat::MovieCreateSample(movie, surface, &rect);
    }
    plat::MovieGetDuration(movie);
    plat::MovieSetRunning(movie, true);
    for (int i = 0; sample && i < kUpdates; ++i) {
        g_now += kStepMs;
        if (plat::MovieUpdate(sample) == plat::MovieUpdateResult::kEnd) break;
        i16 out[2 * 128];
        plat::AudioMix(out, 128);
        plat::MovieGetTime(movie);
    }
    if (sample) plat::MovieReleaseSample(sample);
    plat::MovieClose(movie);
    if (surface) SURF_Release(surface);
    return 0;
}
