// The sound device, the WAVE and ".snd" readers, whole-sound buffers and the buffer wrappers.
// A sound buffer is the mixer's buffer; 0 means none and every wrapper then returns 0.
#pragma once
#include "platform/audio.h"
#include "platform/riff.h"
#include "platform/types.h"
#include "platform/window.h"

// The 18-byte wave format record (as stored in ".snd" files).
struct WAVE_FORMAT {
    u16 formatTag;
    u16 channels;
    u32 samplesPerSec;
    u32 avgBytesPerSec;
    u16 blockAlign;
    u16 bitsPerSample;
    u16 extraSize;
};
constexpr u32 kWaveFormatSize = 18;
constexpr u16 kWaveFormatPcm = 1;

using SND_BUFFER = plat::SoundBuffer*;

// Volume, pan, frequency and position-notification control, sticky focus, exact play cursor.
constexpr u32 SND_BUFFER_FLAGS = 0x141E0;

extern plat::AudioDevice* SndDevice;
extern HWND SndHwnd;

// ---- device ----
int SND_InitDevice(HWND window);
void SND_TermDevice();
// Whether a sound that failed to load is told as missing: with no device every load fails, and the
// device's failure was told once, so then only a file that is really not there is.
bool SND_IsMissing(const char* path);

// ---- file readers ----
int SND_OpenWaveFile(const char* path, plat::RiffFile** file, WAVE_FORMAT* format, plat::RiffChunk* riff);
int SND_SeekWaveData(plat::RiffFile* file, plat::RiffChunk* data, const plat::RiffChunk* riff);
int SND_ReadWaveData(plat::RiffFile* file, void* dest, u32 count, plat::RiffChunk* data, u32* bytesRead);
void SND_CloseWaveFile(plat::RiffFile*& file);
void* SND_ReadWaveFile(const char* path, u32* size, WAVE_FORMAT* format);
void* SND_ReadSndFile(const char* path, u32* size, WAVE_FORMAT* format);

// True when the path's last four characters are ".snd" in any case.
bool SND_IsSndPath(const char* path);
// Decodes the stored 18-byte record.
void SND_ParseFormat(const u8* bytes, WAVE_FORMAT* format);
// PCM with 1 or 2 channels of 8 or 16 bits, a rate above 0 and the matching block alignment.
bool SND_CheckFormat(const WAVE_FORMAT* format);

// ---- buffers ----
SND_BUFFER SND_CreateBuffer(const void* data, u32 size, u32 flags, const WAVE_FORMAT* format);
SND_BUFFER SND_LoadSound(const char* path);

u32 SND_GetStatus(SND_BUFFER buffer);
int SND_IsPlaying(SND_BUFFER buffer);
int SND_GetPosition(SND_BUFFER buffer, u32* play, u32* write);
int SND_SetPosition(SND_BUFFER buffer, u32 position);
int SND_GetPan(SND_BUFFER buffer, i32* pan);
int SND_SetPan(SND_BUFFER buffer, i32 pan);
int SND_GetVolume(SND_BUFFER buffer, i32* volume);
int SND_SetVolume(SND_BUFFER buffer, i32 volume);
int SND_Play(SND_BUFFER buffer, int loop);
int SND_Stop(SND_BUFFER buffer);
void SND_ReleaseBuffer(SND_BUFFER buffer);
