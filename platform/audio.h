// Sound output: one audio device and a software mixer of sound buffers in place of the sound device's
// secondary buffers. The buffer operations keep the semantics the game relies on: Lock hands out up to
// two regions of a ring, Play runs from the current position once or looping, Stop keeps the position,
// volumes are hundredths of a decibel, and notification positions signal events as the play cursor
// passes them.
#pragma once
#include "platform/thread.h"
#include "platform/types.h"

namespace plat {

// Buffer capability flags (the values the game passes).
constexpr u32 kSoundCtrlFrequency = 0x20;
constexpr u32 kSoundCtrlPan = 0x40;
constexpr u32 kSoundCtrlVolume = 0x80;
constexpr u32 kSoundCtrlPositionNotify = 0x100;
constexpr u32 kSoundStickyFocus = 0x4000;
constexpr u32 kSoundGetCurrentPosition2 = 0x10000;

// Status bits.
constexpr u32 kSoundStatusPlaying = 0x1;
constexpr u32 kSoundStatusLooping = 0x4;

constexpr i32 kSoundVolumeMin = -10000;  // silent
constexpr i32 kSoundVolumeMax = 0;
constexpr i32 kSoundPanLeft = -10000;
constexpr i32 kSoundPanRight = 10000;

// The notification offset that stands for the buffer stopping (by Stop or at the end of a one-shot).
constexpr u32 kSoundNotifyStop = 0xFFFFFFFFu;

// PCM sample layout of a buffer: 8-bit unsigned or 16-bit signed, mono or stereo, any rate.
struct SoundFormat {
    u32 rate;
    u16 channels;
    u16 bits;
};

struct SoundNotifyPosition {
    u32 offset;  // byte offset in the buffer, or kSoundNotifyStop
    EventRef event;
};

struct AudioDevice;
struct SoundBuffer;

// Opens the output device (SDL, signed 16-bit stereo at the device's rate); null when none can be opened.
// Under manual mixing no device is opened and the mixer runs only when pulled.
AudioDevice* AudioOpenDevice();
void AudioCloseDevice(AudioDevice* device);

// Tests: the next devices open no output and mix at the given rate only when pulled (0 = real device).
void AudioSetManualMix(u32 rate);
// Mixes the next frames of every playing buffer into out (interleaved stereo, frames × 2 samples),
// advancing their cursors and signalling their notifications exactly as the device would.
void AudioMix(i16* out, u32 frames);
u32 AudioMixRate();

// A buffer of size bytes (whole sample frames, at least one) filled with silence; null when the format or
// size is not supported. The buffer belongs to the mixer until SoundRelease.
SoundBuffer* SoundCreateBuffer(AudioDevice* device, const SoundFormat& format, u32 size, u32 flags);
void SoundRelease(SoundBuffer* buffer);
// Buffers created and not yet released: what a shut-down must bring back to zero.
u32 SoundLiveBuffers();

// Locks size bytes from offset (wrapping past the end into a second region). The regions are the
// caller's until SoundUnlock, which commits them; the mixer's own lock is never held meanwhile.
bool SoundLock(SoundBuffer* buffer, u32 offset, u32 size, void** part1, u32* size1, void** part2, u32* size2);
bool SoundUnlock(SoundBuffer* buffer, void* part1, u32 size1, void* part2, u32 size2);

// Plays from the current position; on a playing buffer only the loop flag changes.
bool SoundPlay(SoundBuffer* buffer, bool loop);
bool SoundStop(SoundBuffer* buffer);
bool SoundGetStatus(SoundBuffer* buffer, u32* status);
bool SoundGetPosition(SoundBuffer* buffer, u32* play, u32* write);
bool SoundSetPosition(SoundBuffer* buffer, u32 position);
bool SoundGetVolume(SoundBuffer* buffer, i32* volume);
// Refuses values outside -10000..0 and keeps the volume it had.
bool SoundSetVolume(SoundBuffer* buffer, i32 volume);
bool SoundGetPan(SoundBuffer* buffer, i32* pan);
bool SoundSetPan(SoundBuffer* buffer, i32 pan);
// Replaces the notification positions; refused while the buffer plays or without position notification.
bool SoundSetNotifications(SoundBuffer* buffer, const SoundNotifyPosition* positions, u32 count);
u32 SoundGetSize(SoundBuffer* buffer);

// The gain of a volume in hundredths of a decibel: 10^(volume / 2000), and 0 at -10000.
float SoundGain(i32 volume);

}  // namespace plat
