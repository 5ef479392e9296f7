#include <benchmark/benchmark.h>

#include <vector>

#include "platform/audio.h"

namespace {

// One device period (1024 frames at 48 kHz) with n effects playing: 22,050 Hz 16-bit mono sounds,
// resampled, attenuated and panned.
void BM_MixPeriod(benchmark::State& state) {
    plat::AudioSetManualMix(48000);
    plat::AudioDevice* device = plat::AudioOpenDevice();
    std::vector<plat::SoundBuffer*> buffers;
    for (int i = 0; i < state.range(0); ++i) {
        auto* b = plat::SoundCreateBuffer(device, {22050, 1, 16}, 22050 * 2, 0x141E0);
        plat::SoundSetVolume(b, -1000);
        plat::SoundSetPan(b, (i % 3 - 1) * 500);
        plat::SoundPlay(b, true);
        buffers.push_back(b);
    }
    std::vector<i16> out(2 * 1024);
    for (auto _ : state) {
        plat::AudioMix(out.data(), 1024);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * 1024);
    for (auto* b : buffers) plat::SoundRelease(b);
    plat::AudioCloseDevice(device);
    plat::AudioSetManualMix(0);
}
BENCHMARK(BM_MixPeriod)->Arg(1)->Arg(8)->Arg(32);

}  // namespace
