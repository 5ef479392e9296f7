// WAVE sounds through the RIFF walker: the whole-sound loader with a few milliseconds mixed, then the
// music player's way in (open, find the data, read it in pieces).
#include "fuzz/fuzz_support.h"
#include "shell/sound/snd.h"
#include "tools/writers/wave_writer.h"

fuzz::Seeds FuzzSeeds() {
    fuzz::Seeds seeds;
    tools::WaveOptions o;
    seeds.emplace_back("mono16", tools::MakeWave(o, tools::IndexSamples16(200)));
    o.channels = 2;
    o.bits = 8;
    o.rate = 22050;
    o.fmtSize = 18;
    o.beforeFmt = {{"junk", {1, 2, 3}}};
    o.listBeforeData = true;
    seeds.emplace_back("stereo8", tools::MakeWave(o, tools::IndexSamples8(301)));
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
    SndDevice = fuzz::NeedManualMixer();
    const char* path = fuzz::InputFile("in.wav", data, size);
    if (SND_BUFFER buffer = SND_LoadSound(path)) {
        SND_Play(buffer, int(fuzz::TailBits(data, size) & 1));
        i16 out[2 * 256];
        plat::AudioMix(out, 256);
        SND_ReleaseBuffer(buffer);
    }

    plat::RiffFile* file = nullptr;
    WAVE_FORMAT format{};
    plat::RiffChunk riff{}, chunk{};
    if (SND_OpenWaveFile(path, &file, &format, &riff)) {
        if (SND_SeekWaveData(file, &chunk, &riff)) {
            u8 piece[1000];
            u32 got = 0;
            for (int i = 0; i < 8 && SND_ReadWaveData(file, piece, sizeof(piece), &chunk, &got) && got; ++i) {
            }
        }
        SND_CloseWaveFile(file);
    }
    return 0;
}
