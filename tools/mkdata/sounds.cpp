// Synthesised sounds: a short distinct sound per effect, a small generated tune per music piece (long
// enough to stream and to pass its loop position), and one spoken-vowel voice.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "shell/sound/sound.h"
#include "tools/mkdata/mkdata.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/wave_writer.h"

namespace mkdata {

namespace {

constexpr u32 kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

enum class Wave { Sine, Square, Saw, Noise };

// An effect: a tone sliding from f0 to f1 (or noise brightening or darkening from f0 to f1), with a
// vibrato, a short attack and an exponential fade.
struct Effect {
    Wave wave;
    double f0;
    double f1;
    double seconds;
    double vibrato = 0;  // Hz of the wobble; its depth is a tenth of the pitch
};

// In effect-number order, beside the stems of the game's effect table.
const std::array<Effect, kSeCount> kEffects = {{
    {Wave::Sine, 300, 900, 0.45, 18},  // barrier
    {Wave::Saw, 1800, 300, 0.35},  // beam01
    {Wave::Saw, 2400, 500, 0.45, 30},  // beam02
    {Wave::Square, 1500, 200, 0.6, 12},  // beam03
    {Wave::Square, 1000, 1000, 0.12},  // beep
    {Wave::Noise, 3000, 200, 0.6},  // bom01
    {Wave::Noise, 2000, 120, 0.8},  // bom02
    {Wave::Noise, 5000, 300, 0.5},  // bom03
    {Wave::Noise, 1500, 80, 1.0},  // bom04
    {Wave::Noise, 4000, 150, 0.9},  // bom05
    {Wave::Saw, 180, 140, 0.4, 9},  // bunbun
    {Wave::Sine, 200, 1600, 0.7},  // charge01
    {Wave::Square, 150, 1200, 0.9, 20},  // charge02
    {Wave::Noise, 800, 3000, 0.3},  // dash1
    {Wave::Noise, 1500, 1500, 0.5},  // dash2
    {Wave::Noise, 3000, 700, 0.35},  // dash3
    {Wave::Square, 600, 80, 0.7},  // down
    {Wave::Saw, 400, 420, 0.6, 40},  // drill
    {Wave::Square, 2500, 1800, 0.3, 60},  // elec01
    {Wave::Saw, 3000, 2000, 0.4, 45},  // elec02
    {Wave::Noise, 2500, 900, 0.4},  // fire01
    {Wave::Noise, 1800, 600, 0.55},  // fire02
    {Wave::Square, 300, 500, 0.15},  // arm
    {Wave::Noise, 6000, 2000, 0.08},  // vulcan1
    {Wave::Noise, 4000, 1000, 0.12},  // hit01
    {Wave::Noise, 2500, 600, 0.18},  // hit02
    {Wave::Square, 400, 120, 0.15},  // hit03
    {Wave::Noise, 7000, 1500, 0.2},  // hit04
    {Wave::Sine, 2600, 2500, 0.3},  // kin01
    {Wave::Sine, 3200, 3100, 0.4},  // kin02
    {Wave::Square, 880, 1320, 0.25},  // rockon
    {Wave::Noise, 900, 400, 0.1},  // run
    {Wave::Square, 1200, 600, 0.1},  // tama01
    {Wave::Saw, 900, 450, 0.14},  // tama02
    {Wave::Noise, 1200, 150, 0.25},  // tyakuti
    {Wave::Sine, 400, 800, 0.3, 8},  // tyouhi
    {Wave::Sine, 2000, 600, 0.2},  // tyun
    {Wave::Noise, 5000, 1800, 0.1},  // vulcan2
    {Wave::Noise, 1000, 6000, 0.2},  // whip01
    {Wave::Noise, 800, 5000, 0.28},  // whip02
    {Wave::Noise, 7000, 3000, 0.22},  // kiru
    {Wave::Noise, 2000, 4000, 0.18},  // karaburi
    {Wave::Sine, 1500, 3500, 0.5, 25},  // pikiiin
    {Wave::Noise, 6000, 2500, 0.3},  // hahen1
    {Wave::Noise, 4500, 1800, 0.35},  // hahen2
    {Wave::Noise, 3500, 1200, 0.4},  // hahen3
    {Wave::Square, 1320, 1320, 0.07},  // menu01
    {Wave::Square, 990, 1480, 0.1},  // menu02
    {Wave::Square, 1480, 990, 0.1},  // menu03
    {Wave::Sine, 660, 660, 0.12},  // menu04
    {Wave::Sine, 880, 1760, 0.15},  // menu05
    {Wave::Saw, 440, 220, 0.2},  // menu06
    {Wave::Sine, 1760, 1760, 0.25, 6},  // menu07
    {Wave::Noise, 2000, 4500, 0.3},  // dash4
    {Wave::Saw, 3000, 1000, 0.25, 50},  // sword
}};

struct Music {
    double bpm;
    int root;   // MIDI note of the key
    bool minor;
    bool drums;
};

// In music-number order, beside the game's music table.
const std::array<Music, kBgmCount> kMusic = {{
    {150, 45, true, true},  // Action01
    {160, 47, true, true},  // Action02
    {140, 50, false, true},  // Action03
    {170, 40, true, true},  // LastBoss
    {110, 48, false, false},  // Custom
    {96, 53, false, false},  // Adv01
    {104, 55, false, false},  // Adv02
    {66, 45, true, false},  // Sad
    {132, 42, true, true},  // Kinpaku
    {90, 52, false, false},  // H01
    {84, 50, false, false},  // H02
    {120, 48, false, true},  // Title
    {76, 53, false, false},  // Ending
}};

using Samples = std::vector<double>;  // -1..1

double Midi(double note) { return 440.0 * std::pow(2.0, (note - 69) / 12); }

double Osc(Wave w, double phase, std::mt19937& rng) {
    const double p = phase - std::floor(phase);
    switch (w) {
        case Wave::Sine: return std::sin(2 * kPi * p);
        case Wave::Square: return p < 0.5 ? 0.6 : -0.6;
        case Wave::Saw: return 2 * p - 1;
        case Wave::Noise: return std::uniform_real_distribution<double>(-1, 1)(rng);
    }
    return 0;
}

// A looping effect holds its level to the end, so that it joins itself without a gap.
Samples SynthEffect(const Effect& e, bool loops, u32 seed) {
    std::mt19937 rng(seed);
    const size_t n = size_t(e.seconds * kRate);
    Samples out(n);
    double phase = 0;
    double low = 0;  // noise through a one-pole low-pass whose cut-off follows the sweep
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / double(n);
        const double f = e.f0 * std::pow(e.f1 / e.f0, t);
        double v;
        if (e.wave == Wave::Noise) {
            const double k = 1 - std::exp(-2 * kPi * f / kRate);
            low += k * (Osc(Wave::Noise, 0, rng) - low);
            v = low * 1.8;
        } else {
            const double wobble = e.vibrato > 0 ? 1 + 0.1 * std::sin(2 * kPi * e.vibrato * double(i) / kRate) : 1;
            phase += f * wobble / kRate;
            v = Osc(e.wave, phase, rng);
        }
        const double attack = std::min(1.0, double(i) / (0.004 * kRate));
        const double fade = loops ? 1.0 : std::exp(-4 * t) * std::min(1.0, double(n - i) / (0.01 * kRate));
        out[i] = 0.6 * v * attack * fade;
    }
    return out;
}

// A piece: a four-chord round with a bass, pad chords, a melody picked from the scale by a fixed
// seed, and drums for the fast pieces; at least 8 s and 4 s past the loop position.
Samples SynthMusic(const Music& m, u32 loopMs, u32 seed) {
    std::mt19937 rng(seed);
    const double seconds = std::max(8.0, loopMs / 1000.0 + 4.0);
    const size_t n = size_t(seconds * kRate);
    Samples out(n, 0.0);
    const std::array<int, 7> major = {0, 2, 4, 5, 7, 9, 11};
    const std::array<int, 7> minor = {0, 2, 3, 5, 7, 8, 10};
    const auto& scale = m.minor ? minor : major;
    const std::array<int, 4> degrees = m.minor ? std::array{0, 5, 3, 4} : std::array{0, 3, 4, 0};
    const double beat = 60.0 / m.bpm;
    const size_t beatLen = size_t(beat * kRate);
    auto note = [&](int degree, int octave) {
        const int d = ((degree % 7) + 7) % 7;
        return m.root + scale[size_t(d)] + 12 * (octave + (degree - d) / 7);
    };
    auto add = [&](size_t start, size_t len, double freq, Wave w, double gain, double decay) {
        double phase = 0;
        for (size_t i = 0; i < len && start + i < n; ++i) {
            phase += freq / kRate;
            const double t = double(i) / kRate;
            const double env = std::min(1.0, t / 0.005) * std::exp(-decay * t) * std::min(1.0, double(len - i) / 200.0);
            out[start + i] += gain * env * Osc(w, phase, rng);
        }
    };
    const size_t beats = n / beatLen + 1;
    int melody = 7;
    for (size_t b = 0; b < beats; ++b) {
        const size_t at = b * beatLen;
        const int chord = degrees[(b / 4) % 4];
        if (b % 4 == 0) {
            for (int k : {0, 2, 4}) add(at, beatLen * 4, Midi(note(chord + k, 1)), Wave::Saw, 0.06, 0.4);
        }
        add(at, beatLen, Midi(note(chord, 0)), Wave::Sine, 0.35, 1.5);
        // The melody steps by a third at most and leans on the chord's tones.
        for (int half = 0; half < 2; ++half) {
            if (rng() % 4 == 0) continue;
            melody = std::clamp(melody + int(rng() % 5) - 2, 4, 13);
            if (rng() % 3 == 0) melody = chord + 7 + 2 * int(rng() % 3);
            add(at + size_t(half) * beatLen / 2, beatLen / 2, Midi(note(melody, 1)), Wave::Square, 0.12, 3.0);
        }
        if (m.drums) {
            std::uniform_real_distribution<double> noise(-1, 1);
            const size_t hit = std::min(beatLen / 3, size_t(kRate / 12));
            const bool kick = b % 2 == 0;
            for (size_t i = 0; i < hit && at + i < n; ++i) {
                const double t = double(i) / kRate;
                const double v = kick ? std::sin(2 * kPi * (60 + 90 * std::exp(-t * 30)) * t) * 0.5 : noise(rng) * 0.2;
                out[at + i] += v * std::exp(-t * (kick ? 18 : 40));
            }
        }
    }
    return out;
}

// "Ah" sliding to "ee": a falling pulse train through two moving resonances.
Samples SynthVoice() {
    const size_t n = size_t(0.9 * kRate);
    Samples out(n);
    struct Resonator {
        double y1 = 0;
        double y2 = 0;
        double Step(double x, double freq, double width) {
            const double r = std::exp(-kPi * width / kRate);
            const double y = x + 2 * r * std::cos(2 * kPi * freq / kRate) * y1 - r * r * y2;
            y2 = y1;
            y1 = y;
            return y * (1 - r);
        }
    } f1, f2;
    double phase = 0;
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / double(n);
        phase += (170 - 50 * t) / kRate;
        const double pulse = phase - std::floor(phase) < 0.08 ? 1.0 : 0.0;
        const double v = f1.Step(pulse, 750 - 450 * t, 90) + 0.6 * f2.Step(pulse, 1200 + 1100 * t, 120);
        const double env = std::min(1.0, t * 20) * std::min(1.0, (1 - t) * 10);
        out[i] = v * env;
    }
    return out;
}

// Scales the loudest sample to `peak` of full scale, as 16-bit mono PCM.
std::vector<u8> Pcm16(const Samples& s, double peak) {
    double top = 1e-9;
    for (double v : s) top = std::max(top, std::fabs(v));
    tools::ByteWriter w;
    for (double v : s) w.I16(i32(std::lround(std::clamp(v / top * peak, -1.0, 1.0) * 32767)));
    return w.bytes();
}

bool SaveWave(const std::string& path, const Samples& s, double peak, std::string* error) {
    tools::WaveOptions o;
    o.rate = kRate;
    o.bits = 16;
    o.channels = 1;
    if (tools::SaveFile(path, tools::MakeWave(o, Pcm16(s, peak)))) return true;
    *error = path + ": cannot write";
    return false;
}

}  // namespace

bool BuildSounds(const std::string& dataDir, std::string* error) {
    for (size_t i = 0; i < kEffects.size(); ++i)
        if (!SaveWave(dataDir + "/Wav/" + SeTbl[i].stem + ".wav", SynthEffect(kEffects[i], SeTbl[i].loop != 0, u32(i + 1)), 0.7, error))
            return false;
    for (size_t i = 0; i < kMusic.size(); ++i) {
        const Samples piece = SynthMusic(kMusic[i], BgmTbl[i].loopMs, u32(100 + i));
        if (!SaveWave(dataDir + "/Music/" + BgmTbl[i].stem + ".wav", piece, 0.6, error)) return false;
    }
    return SaveWave(dataDir + "/Voice/0001.wav", SynthVoice(), 0.6, error);
}

}  // namespace mkdata
