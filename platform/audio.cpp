#include "platform/audio.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/audio_internal.h"

namespace plat {

struct SoundBuffer {
    SoundFormat format{};
    u32 flags = 0;
    u32 blockAlign = 0;
    u32 frames = 0;
    std::vector<u8> data;

    bool playing = false;
    bool looping = false;
    u32 pos = 0;   // frame of the play cursor
    u32 frac = 0;  // fraction of a frame, 32 bits
    i32 volume = 0;
    i32 pan = 0;
    float gainLeft = 1.0f;
    float gainRight = 1.0f;
    std::vector<SoundNotifyPosition> notes;

    // A lock hands out a copy of the region; the unlock writes it back, so the mixer never reads
    // bytes another thread is writing.
    bool locked = false;
    u32 lockOffset = 0;
    u32 lockSize = 0;
    std::vector<u8> staging;
};

namespace {

constexpr u32 kMaxBufferSize = 0x0FFFFFFF;
constexpr u32 kMaxRate = 200000;
constexpr u32 kWriteLeadMs = 15;

std::mutex g_mix;
std::vector<SoundBuffer*> g_buffers;
u32 g_rate = 48000;
u32 g_manualRate = 0;
std::vector<float> g_accum;

void UpdateGains(SoundBuffer* b) {
    float g = SoundGain(b->volume);
    b->gainLeft = g * (b->pan > 0 ? SoundGain(-b->pan) : 1.0f);
    b->gainRight = g * (b->pan < 0 ? SoundGain(b->pan) : 1.0f);
}

void SignalStop(SoundBuffer* b) {
    for (auto& n : b->notes)
        if (n.offset == kSoundNotifyStop) SignalEvent(n.event);
}

// Signals the positions in the byte range (from, to], where to may lie past the end (one wrap).
void SignalCrossed(SoundBuffer* b, u64 from, u64 to) {
    const u64 size = u64(b->frames) * b->blockAlign;
    for (auto& n : b->notes) {
        if (n.offset == kSoundNotifyStop) continue;
        u64 x = n.offset;
        if ((x > from && x <= to) || (x + size > from && x + size <= to)) SignalEvent(n.event);
    }
}

inline void FrameAt(const SoundBuffer* b, u32 frame, float* left, float* right) {
    const u8* p = b->data.data() + size_t(frame) * b->blockAlign;
    if (b->format.bits == 8) {
        *left = float((int(p[0]) - 128) * 256);
        *right = b->format.channels == 2 ? float((int(p[1]) - 128) * 256) : *left;
    } else {
        *left = float(i16(u16(p[0] | (p[1] << 8))));
        *right = b->format.channels == 2 ? float(i16(u16(p[2] | (p[3] << 8)))) : *left;
    }
}

void MixBuffer(SoundBuffer* b, float* accum, u32 count) {
    const u64 step = (u64(b->format.rate) << 32) / g_rate;
    for (u32 i = 0; i < count && b->playing; ++i) {
        float l, r;
        FrameAt(b, b->pos, &l, &r);
        if (b->frac) {
            u32 next = b->pos + 1;
            if (next >= b->frames) next = b->looping ? 0 : b->pos;
            float nl, nr;
            FrameAt(b, next, &nl, &nr);
            float t = float(b->frac) * (1.0f / 4294967296.0f);
            l += (nl - l) * t;
            r += (nr - r) * t;
        }
        accum[2 * i] += l * b->gainLeft;
        accum[2 * i + 1] += r * b->gainRight;

        u64 acc = u64(b->frac) + step;
        b->frac = u32(acc);
        u64 advance = acc >> 32;
        if (!advance) continue;
        u64 from = u64(b->pos) * b->blockAlign;
        u64 newPos = u64(b->pos) + advance;
        if (newPos >= b->frames && !b->looping) {
            SignalCrossed(b, from, u64(b->frames) * b->blockAlign);
            // A one-shot that ran out stops and rewinds.
            b->playing = false;
            b->pos = 0;
            b->frac = 0;
            SignalStop(b);
            break;
        }
        if (advance >= b->frames) {
            // Faster than one ring a frame: every position passes.
            SignalCrossed(b, from, from + u64(b->frames) * b->blockAlign);
            newPos %= b->frames;
        } else {
            SignalCrossed(b, from, newPos * b->blockAlign);
            if (newPos >= b->frames) newPos -= b->frames;
        }
        b->pos = u32(newPos);
    }
}

bool FormatSupported(const SoundFormat& f) {
    return (f.channels == 1 || f.channels == 2) && (f.bits == 8 || f.bits == 16) && f.rate > 0 && f.rate <= kMaxRate;
}

}  // namespace

namespace detail {
void MixerSetRate(u32 rate) {
    std::lock_guard lock(g_mix);
    g_rate = rate ? rate : 48000;
}
u32 ManualMixRate() {
    std::lock_guard lock(g_mix);
    return g_manualRate;
}
}  // namespace detail

void AudioSetManualMix(u32 rate) {
    std::lock_guard lock(g_mix);
    g_manualRate = rate;
}

u32 AudioMixRate() {
    std::lock_guard lock(g_mix);
    return g_rate;
}

void AudioMix(i16* out, u32 frames) {
    std::lock_guard lock(g_mix);
    if (g_accum.size() < size_t(frames) * 2) g_accum.resize(size_t(frames) * 2);
    std::fill(g_accum.begin(), g_accum.begin() + size_t(frames) * 2, 0.0f);
    for (SoundBuffer* b : g_buffers)
        if (b->playing) MixBuffer(b, g_accum.data(), frames);
    for (size_t i = 0; i < size_t(frames) * 2; ++i) {
        float v = std::nearbyint(g_accum[i]);
        out[i] = i16(std::clamp(v, -32768.0f, 32767.0f));
    }
}

float SoundGain(i32 volume) {
    if (volume <= kSoundVolumeMin) return 0.0f;
    if (volume >= 0) return 1.0f;
    return float(std::pow(10.0, double(volume) / 2000.0));
}

SoundBuffer* SoundCreateBuffer(AudioDevice* device, const SoundFormat& format, u32 size, u32 flags) {
    if (!device || !FormatSupported(format)) return nullptr;
    u32 align = u32(format.channels) * format.bits / 8;
    if (size < align || size > kMaxBufferSize) return nullptr;
    auto* b = new SoundBuffer;
    b->format = format;
    b->flags = flags;
    b->blockAlign = align;
    b->frames = size / align;
    b->data.assign(size, format.bits == 8 ? 0x80 : 0);
    std::lock_guard lock(g_mix);
    g_buffers.push_back(b);
    return b;
}

void SoundRelease(SoundBuffer* buffer) {
    if (!buffer) return;
    {
        std::lock_guard lock(g_mix);
        g_buffers.erase(std::remove(g_buffers.begin(), g_buffers.end(), buffer), g_buffers.end());
    }
    delete buffer;
}

u32 SoundLiveBuffers() {
    std::lock_guard lock(g_mix);
    return u32(g_buffers.size());
}

bool SoundLock(SoundBuffer* b, u32 offset, u32 size, void** part1, u32* size1, void** part2, u32* size2) {
    if (!b || !part1 || !size1) return false;
    std::lock_guard lock(g_mix);
    const u32 total = u32(b->data.size());
    if (b->locked || size == 0 || size > total || offset >= total) return false;
    u32 first = std::min(size, total - offset);
    u32 second = size - first;
    if (second && (!part2 || !size2)) return false;
    b->staging.resize(size);
    std::memcpy(b->staging.data(), b->data.data() + offset, first);
    if (second) std::memcpy(b->staging.data() + first, b->data.data(), second);
    b->locked = true;
    b->lockOffset = offset;
    b->lockSize = size;
    *part1 = b->staging.data();
    *size1 = first;
    if (part2) *part2 = second ? b->staging.data() + first : nullptr;
    if (size2) *size2 = second;
    return true;
}

bool SoundUnlock(SoundBuffer* b, void* part1, u32 size1, void* part2, u32 size2) {
    if (!b) return false;
    std::lock_guard lock(g_mix);
    if (!b->locked || part1 != b->staging.data()) return false;
    const u32 total = u32(b->data.size());
    u32 first = std::min(b->lockSize, total - b->lockOffset);
    u32 second = b->lockSize - first;
    b->locked = false;
    if (size1 > first || (part2 && (part2 != b->staging.data() + first || size2 > second))) return false;
    std::memcpy(b->data.data() + b->lockOffset, b->staging.data(), size1);
    if (part2 && size2) std::memcpy(b->data.data(), b->staging.data() + first, size2);
    return true;
}

bool SoundPlay(SoundBuffer* b, bool loop) {
    if (!b) return false;
    std::lock_guard lock(g_mix);
    b->playing = true;
    b->looping = loop;
    return true;
}

bool SoundStop(SoundBuffer* b) {
    if (!b) return false;
    std::lock_guard lock(g_mix);
    if (b->playing) {
        b->playing = false;
        SignalStop(b);
    }
    return true;
}

bool SoundGetStatus(SoundBuffer* b, u32* status) {
    if (!b || !status) return false;
    std::lock_guard lock(g_mix);
    *status = b->playing ? kSoundStatusPlaying | (b->looping ? kSoundStatusLooping : 0) : 0;
    return true;
}

bool SoundGetPosition(SoundBuffer* b, u32* play, u32* write) {
    if (!b) return false;
    std::lock_guard lock(g_mix);
    u32 frame = b->pos;
    if (play) *play = frame * b->blockAlign;
    if (write) {
        u32 w = frame;
        if (b->playing) w = u32((u64(frame) + u64(b->format.rate) * kWriteLeadMs / 1000) % b->frames);
        *write = w * b->blockAlign;
    }
    return true;
}

bool SoundSetPosition(SoundBuffer* b, u32 position) {
    if (!b) return false;
    std::lock_guard lock(g_mix);
    if (position >= b->data.size()) return false;
    b->pos = std::min(position / b->blockAlign, b->frames - 1);
    b->frac = 0;
    return true;
}

bool SoundGetVolume(SoundBuffer* b, i32* volume) {
    if (!b || !volume || !(b->flags & kSoundCtrlVolume)) return false;
    std::lock_guard lock(g_mix);
    *volume = b->volume;
    return true;
}

bool SoundSetVolume(SoundBuffer* b, i32 volume) {
    if (!b || !(b->flags & kSoundCtrlVolume)) return false;
    if (volume > kSoundVolumeMax || volume < kSoundVolumeMin) return false;
    std::lock_guard lock(g_mix);
    b->volume = volume;
    UpdateGains(b);
    return true;
}

bool SoundGetPan(SoundBuffer* b, i32* pan) {
    if (!b || !pan || !(b->flags & kSoundCtrlPan)) return false;
    std::lock_guard lock(g_mix);
    *pan = b->pan;
    return true;
}

bool SoundSetPan(SoundBuffer* b, i32 pan) {
    if (!b || !(b->flags & kSoundCtrlPan)) return false;
    if (pan < kSoundPanLeft || pan > kSoundPanRight) return false;
    std::lock_guard lock(g_mix);
    b->pan = pan;
    UpdateGains(b);
    return true;
}

bool SoundSetNotifications(SoundBuffer* b, const SoundNotifyPosition* positions, u32 count) {
    if (!b || !(b->flags & kSoundCtrlPositionNotify) || (count && !positions)) return false;
    std::lock_guard lock(g_mix);
    if (b->playing) return false;
    for (u32 i = 0; i < count; ++i)
        if (positions[i].offset != kSoundNotifyStop && positions[i].offset >= b->data.size()) return false;
    b->notes.assign(positions, positions + count);
    return true;
}

u32 SoundGetSize(SoundBuffer* b) {
    if (!b) return 0;
    std::lock_guard lock(g_mix);
    return u32(b->data.size());
}

}  // namespace plat
