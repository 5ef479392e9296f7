#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/audio.h"
#include "platform/memory.h"
#include "shell/sound/snd.h"
#include "test_support.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/wave_writer.h"

namespace {

using tools::WaveOptions;

class SndTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::AudioSetManualMix(8000);
        ASSERT_EQ(SND_InitDevice(nullptr), 1);
    }
    void TearDown() override {
        SND_TermDevice();
        plat::AudioSetManualMix(0);
    }
    std::string Put(const std::string& name, const std::vector<u8>& bytes) {
        dir_.Write(name, bytes);
        return dir_.File(name);
    }
    // The whole data block of a WAVE file, or empty when it gives none.
    std::vector<u8> ReadWave(const std::string& path, WAVE_FORMAT* format = nullptr) {
        WAVE_FORMAT f{};
        u32 size = 0;
        void* block = SND_ReadWaveFile(path.c_str(), &size, &f);
        if (!block) return {};
        std::vector<u8> out(static_cast<u8*>(block), static_cast<u8*>(block) + size);
        plat::GlobalFree(block);
        if (format) *format = f;
        return out;
    }
    std::vector<u8> ReadSnd(const std::string& path, WAVE_FORMAT* format = nullptr, bool* ok = nullptr) {
        WAVE_FORMAT f{};
        u32 size = 0;
        void* block = SND_ReadSndFile(path.c_str(), &size, &f);
        if (ok) *ok = block != nullptr;
        if (!block) return {};
        std::vector<u8> out(static_cast<u8*>(block), static_cast<u8*>(block) + size);
        plat::GlobalFree(block);
        if (format) *format = f;
        return out;
    }
    // The left channel the mixer plays for a whole buffer.
    static std::vector<i16> PlayAll(SND_BUFFER b, u32 frames) {
        EXPECT_EQ(SND_Play(b, 0), 1);
        std::vector<i16> out(frames * 2);
        plat::AudioMix(out.data(), frames);
        std::vector<i16> left(frames);
        for (u32 i = 0; i < frames; ++i) left[i] = out[2 * i];
        return left;
    }

    test::TempDir dir_;
};

TEST_F(SndTest, WaveLayoutsReadBackExactly) {
    struct Case {
        u16 channels, bits;
        u32 rate;
    } cases[] = {{1, 8, 11025}, {2, 8, 8000}, {1, 16, 22050}, {2, 16, 44100}};
    for (const Case& c : cases) {
        WaveOptions o;
        o.channels = c.channels;
        o.bits = c.bits;
        o.rate = c.rate;
        std::vector<u8> samples = tools::IndexSamples8(u32(tools::WaveBlockAlign(o)) * 37);
        std::string path = Put("w.wav", tools::MakeWave(o, samples));
        WAVE_FORMAT f{};
        EXPECT_EQ(ReadWave(path, &f), samples) << c.channels << "ch " << c.bits << "bit";
        EXPECT_EQ(f.formatTag, 1);
        EXPECT_EQ(f.channels, c.channels);
        EXPECT_EQ(f.samplesPerSec, c.rate);
        EXPECT_EQ(f.bitsPerSample, c.bits);
        EXPECT_EQ(f.blockAlign, tools::WaveBlockAlign(o));
        EXPECT_EQ(f.extraSize, 0);
    }
}

TEST_F(SndTest, ChunksAroundTheFormatAndDataAreSkipped) {
    WaveOptions o;
    o.beforeFmt.push_back({"JUNK", {1, 2, 3}});  // odd size: the pad byte must be skipped
    o.beforeData.push_back({"fact", {4, 0, 0, 0}});
    o.listBeforeData = true;
    o.fmtSize = 18;  // accepted; only 16 bytes count
    std::vector<u8> samples = tools::IndexSamples16(33);
    EXPECT_EQ(ReadWave(Put("a.wav", tools::MakeWave(o, samples))), samples);

    // An odd-sized data chunk carries its pad byte.
    o.bits = 8;
    std::vector<u8> odd = tools::IndexSamples8(7);
    EXPECT_EQ(ReadWave(Put("b.wav", tools::MakeWave(o, odd))), odd);
}

TEST_F(SndTest, BadWavesGiveNothingAndSayWhyOnlyForTheirFormat) {
    test::DebugCapture debug;
    std::vector<u8> samples = tools::IndexSamples16(16);
    // Each refused format says once per read what it is: the whole-sound reader and the loader read twice.
    auto refused = [&](WaveOptions o, const char* what, const std::string& line) {
        debug.Clear();
        EXPECT_TRUE(ReadWave(Put("bad.wav", tools::MakeWave(o, samples))).empty()) << what;
        EXPECT_EQ(SND_LoadSound(dir_.File("bad.wav").c_str()), nullptr) << what;
        const std::string once = line.empty() ? "" : dir_.File("bad.wav") + ": not played: " + line +
                                                        "; only 8- or 16-bit PCM, mono or stereo, is\r\n";
        EXPECT_EQ(debug.text(), once + once) << what;
    };
    WaveOptions o;
    o.formatTag = 2;
    o.bits = 4;
    refused(o, "ADPCM", "format 2 (ADPCM), 4 bits, channels 1, 8000 Hz");
    o = {};
    o.formatTag = 3;
    o.bits = 32;
    refused(o, "float", "format 3 (float), 32 bits, channels 1, 8000 Hz");
    o = {};
    o.formatTag = 7;
    o.bits = 8;
    refused(o, "mu-law", "format 7 (\u00b5-law), 8 bits, channels 1, 8000 Hz");
    o = {};
    o.bits = 24;
    refused(o, "24 bits", "format 1 (PCM), 24 bits, channels 1, 8000 Hz");
    o = {};
    o.channels = 0;
    refused(o, "no channels", "format 1 (PCM), 16 bits, channels 0, 8000 Hz");
    o = {};
    o.channels = 3;
    refused(o, "three channels", "format 1 (PCM), 16 bits, channels 3, 8000 Hz");
    o = {};
    o.rate = 0;
    refused(o, "rate 0", "format 1 (PCM), 16 bits, channels 1, 0 Hz");
    // Damaged files say nothing.
    o = {};
    o.fmtSize = 14;
    refused(o, "14-byte fmt", "");
    o = {};
    o.omitData = true;
    refused(o, "no data chunk", "");
    EXPECT_TRUE(ReadWave(Put("x.wav", std::vector<u8>{'R', 'I', 'F', 'X', 4, 0, 0, 0, 'W', 'A', 'V', 'E'})).empty());
    EXPECT_TRUE(ReadWave(dir_.File("missing.wav")).empty());
    EXPECT_EQ(debug.text(), "");

    // The block alignment must match channels × bits.
    std::vector<u8> bytes = tools::MakeWave({}, samples);
    bytes[12 + 8 + 12] = 4;  // "fmt " data + 12: block alignment
    EXPECT_TRUE(ReadWave(Put("align.wav", bytes)).empty());
}

TEST_F(SndTest, DataPastTheEndOfTheFileIsRefusedBeforeAllocating) {
    test::DebugCapture debug;
    WaveOptions o;
    o.dataSizeOverride = 0x7FFFFFF0;  // far more than the file holds (the sanitizer would catch the request)
    EXPECT_TRUE(ReadWave(Put("t.wav", tools::MakeWave(o, tools::IndexSamples16(8)))).empty());
    EXPECT_TRUE(debug.Contains("runs past the end of the file"));
    o.dataSizeOverride = 18;  // two bytes short
    EXPECT_TRUE(ReadWave(Put("t2.wav", tools::MakeWave(o, tools::IndexSamples16(8)))).empty());
}

TEST_F(SndTest, PiecewiseReadsCountDownAndRewind) {
    std::vector<u8> samples = tools::IndexSamples16(50);
    std::string path = Put("p.wav", tools::MakeWave({}, samples));
    plat::RiffFile* file = nullptr;
    WAVE_FORMAT f{};
    plat::RiffChunk riff{}, data{};
    ASSERT_EQ(SND_OpenWaveFile(path.c_str(), &file, &f, &riff), 1);
    ASSERT_EQ(SND_SeekWaveData(file, &data, &riff), 1);
    EXPECT_EQ(data.size, 100u);
    std::vector<u8> got(100);
    u32 n = 0;
    ASSERT_EQ(SND_ReadWaveData(file, got.data(), 64, &data, &n), 1);
    EXPECT_EQ(n, 64u);
    EXPECT_EQ(data.size, 36u);
    ASSERT_EQ(SND_ReadWaveData(file, got.data() + 64, 64, &data, &n), 1);
    EXPECT_EQ(n, 36u);
    EXPECT_EQ(got, samples);
    ASSERT_EQ(SND_ReadWaveData(file, got.data(), 64, &data, &n), 1);  // nothing left: 1 with 0 bytes
    EXPECT_EQ(n, 0u);
    ASSERT_EQ(SND_SeekWaveData(file, &data, &riff), 1);  // back to the start, full count
    EXPECT_EQ(data.size, 100u);
    ASSERT_EQ(SND_ReadWaveData(file, got.data(), 2, &data, &n), 1);
    EXPECT_EQ(got[0], samples[0]);
    SND_CloseWaveFile(file);
    EXPECT_EQ(file, nullptr);
    SND_CloseWaveFile(file);  // twice is harmless
}

TEST_F(SndTest, SndRawAndCompressedGiveIdenticalSounds) {
    WaveOptions o;
    o.channels = 2;
    std::vector<u8> samples = tools::IndexSamples16(400);  // 200 stereo frames
    std::string raw = Put("raw.snd", tools::MakeSnd(o, samples, false));
    std::string lz = Put("lz.SND", tools::MakeSnd(o, samples, true));  // capitals: still ".snd"
    WAVE_FORMAT f{};
    EXPECT_EQ(ReadSnd(raw, &f), samples);
    EXPECT_EQ(f.channels, 2);
    EXPECT_EQ(f.blockAlign, 4);
    EXPECT_EQ(ReadSnd(lz), samples);

    SND_BUFFER a = SND_LoadSound(raw.c_str()), b = SND_LoadSound(lz.c_str());
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    std::vector<i16> pa = PlayAll(a, 200);
    SND_Stop(a);
    EXPECT_EQ(pa, PlayAll(b, 200));
    EXPECT_EQ(pa[5], 10);  // frame 5's left sample is sample 10
    SND_ReleaseBuffer(a);
    SND_ReleaseBuffer(b);
}

TEST_F(SndTest, SndHeadersAndBodiesThatLie) {
    test::DebugCapture debug;
    std::vector<u8> samples = tools::IndexSamples16(64);
    bool ok = true;

    std::vector<u8> bytes = tools::MakeSnd({}, samples, false);
    bytes[1] = 'X';
    ReadSnd(Put("magic.snd", bytes), nullptr, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(debug.text(), "");  // a wrong magic is silent

    ReadSnd(dir_.File("none.snd"), nullptr, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(debug.text(), dir_.File("none.snd") + ":Open error -1\n");
    debug.Clear();
    EXPECT_EQ(SND_LoadSound(dir_.File("none.snd").c_str()), nullptr);
    EXPECT_TRUE(debug.Contains(":Open error -1\n"));

    // Not a ".snd" name: the reader refuses at once.
    ReadSnd(Put("snd.wav", tools::MakeSnd({}, samples, false)), nullptr, &ok);
    EXPECT_FALSE(ok);

    // A short raw body is padded with zeros up to the header's size.
    std::vector<u8> padded = ReadSnd(Put("short.snd", tools::MakeSnd({}, samples, false, 200)), nullptr, &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(padded.size(), 200u);
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), padded.begin()));
    EXPECT_EQ(padded[199], 0);

    // A compressed body must expand to exactly the header's size, either way.
    ReadSnd(Put("big.snd", tools::MakeSnd({}, samples, true, 100)), nullptr, &ok);
    EXPECT_FALSE(ok);
    ReadSnd(Put("small.snd", tools::MakeSnd({}, samples, true, 200)), nullptr, &ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(debug.Contains("expands to 128 bytes, not 200"));

    // A format the mixer cannot play, and a size no buffer could hold.
    WaveOptions o;
    o.bits = 12;
    ReadSnd(Put("fmt.snd", tools::MakeSnd(o, samples, false)), nullptr, &ok);
    EXPECT_FALSE(ok);
    ReadSnd(Put("huge.snd", tools::MakeSnd({}, samples, false, 0x7FFFFFFF)), nullptr, &ok);
    EXPECT_FALSE(ok);
}

TEST_F(SndTest, LoadSoundChoosesTheReaderByExtension) {
    std::vector<u8> samples = tools::IndexSamples16(10);
    // WAVE bytes under a ".snd" name fail (the ".snd" reader), under any other name they load.
    EXPECT_EQ(SND_LoadSound(Put("w.snd", tools::MakeWave({}, samples)).c_str()), nullptr);
    SND_BUFFER b = SND_LoadSound(Put("w.dat", tools::MakeWave({}, samples)).c_str());
    ASSERT_NE(b, nullptr);
    u32 play = 99;
    EXPECT_EQ(SND_GetPosition(b, &play, nullptr), 1);
    EXPECT_EQ(play, 0u);
    i32 pan = 5;
    EXPECT_EQ(SND_GetPan(b, &pan), 1);
    EXPECT_EQ(pan, 0);
    std::vector<i16> out = PlayAll(b, 10);
    EXPECT_EQ(out[9], 9);
    SND_ReleaseBuffer(b);
}

TEST_F(SndTest, BuffersAndWrappers) {
    WAVE_FORMAT f{1, 1, 8000, 16000, 2, 16, 0};
    // Without data: position 0 and nothing written (silence).
    SND_BUFFER b = SND_CreateBuffer(nullptr, 64, SND_BUFFER_FLAGS, &f);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(SND_IsPlaying(b), 0);
    EXPECT_EQ(PlayAll(b, 4), std::vector<i16>(4, 0));
    EXPECT_EQ(SND_IsPlaying(b), 1);
    EXPECT_EQ(SND_GetStatus(b), plat::kSoundStatusPlaying);
    EXPECT_EQ(SND_Play(b, 1), 1);
    EXPECT_EQ(SND_GetStatus(b), plat::kSoundStatusPlaying | plat::kSoundStatusLooping);
    EXPECT_EQ(SND_SetVolume(b, -1000), 1);
    EXPECT_EQ(SND_SetVolume(b, 200), 0);
    i32 v = 0;
    EXPECT_EQ(SND_GetVolume(b, &v), 1);
    EXPECT_EQ(v, -1000);
    EXPECT_EQ(SND_SetPan(b, -300), 1);
    EXPECT_EQ(SND_Stop(b), 1);
    EXPECT_EQ(SND_IsPlaying(b), 0);
    EXPECT_EQ(SND_SetPosition(b, 10), 1);
    SND_ReleaseBuffer(b);

    // A bad format gives no buffer.
    WAVE_FORMAT bad = f;
    bad.blockAlign = 3;
    EXPECT_EQ(SND_CreateBuffer(nullptr, 64, SND_BUFFER_FLAGS, &bad), nullptr);

    // Every wrapper takes a missing buffer.
    u32 p = 0;
    i32 i = 0;
    EXPECT_EQ(SND_GetStatus(nullptr), 0u);
    EXPECT_EQ(SND_IsPlaying(nullptr), 0);
    EXPECT_EQ(SND_GetPosition(nullptr, &p, &p), 0);
    EXPECT_EQ(SND_SetPosition(nullptr, 0), 0);
    EXPECT_EQ(SND_GetPan(nullptr, &i), 0);
    EXPECT_EQ(SND_SetPan(nullptr, 0), 0);
    EXPECT_EQ(SND_GetVolume(nullptr, &i), 0);
    EXPECT_EQ(SND_SetVolume(nullptr, 0), 0);
    EXPECT_EQ(SND_Play(nullptr, 1), 0);
    EXPECT_EQ(SND_Stop(nullptr), 0);
    SND_ReleaseBuffer(nullptr);

    // No device, no buffer.
    SND_TermDevice();
    EXPECT_EQ(SND_CreateBuffer(nullptr, 64, SND_BUFFER_FLAGS, &f), nullptr);
    ASSERT_EQ(SND_InitDevice(nullptr), 1);
}

}  // namespace
