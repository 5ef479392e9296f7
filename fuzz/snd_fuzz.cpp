// ".snd" sounds (raw or LZ body): the whole-sound loader with a few milliseconds mixed.
#include "fuzz/fuzz_support.h"
#include "shell/sound/snd.h"
#include "tools/writers/wave_writer.h"

fuzz::Seeds FuzzSeeds() {
    fuzz::Seeds seeds;
    tools::WaveOptions o;
    for (bool lz : {false, true}) {
        seeds.emplace_back(lz ? "mono16lz" : "mono16", tools::MakeSnd(o, tools::IndexSamples16(150), lz));
        o.channels = 2;
        o.bits = 8;
    }
    seeds.emplace_back("short", tools::MakeSnd(o, tools::IndexSamples8(64), false, 100));
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
    SndDevice = fuzz::NeedManualMixer();
    if (SND_BUFFER buffer = SND_LoadSound(fuzz::InputFile("in.snd", data, size))) {
        SND_Play(buffer, int(fuzz::TailBits(data, size) & 1));
        i16 out[2 * 256];
        plat::AudioMix(out, 256);
        SND_ReleaseBuffer(buffer);
    }
    return 0;
}
