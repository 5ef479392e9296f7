#include "shell/sound/snd.h"

#include <strings.h>

#include <cstring>

#include "platform/file.h"
#include "platform/memory.h"
#include "shell/common.h"
#include "shell/lz.h"
#include "shell/sound/stream.h"

plat::AudioDevice* SndDevice = nullptr;
HWND SndHwnd = nullptr;

namespace {

constexpr u32 kRiff = plat::MakeFourCC('R', 'I', 'F', 'F');
constexpr u32 kWave = plat::MakeFourCC('W', 'A', 'V', 'E');
constexpr u32 kFmt = plat::MakeFourCC('f', 'm', 't', ' ');
constexpr u32 kData = plat::MakeFourCC('d', 'a', 't', 'a');
constexpr u32 kSndHeadSize = 3 + kWaveFormatSize + 4;
// The mixer's largest buffer; a header asking for more is corrupt.
constexpr u32 kMaxSoundData = 0x0FFFFFFF;

u16 Le16(const u8* p) { return u16(p[0] | (p[1] << 8)); }
u32 Le32(const u8* p) { return u32(p[0]) | (u32(p[1]) << 8) | (u32(p[2]) << 16) | (u32(p[3]) << 24); }

const char* FormatTagName(u16 tag) {
    switch (tag) {
        case 0x0001: return "PCM";
        case 0x0002: return "ADPCM";
        case 0x0003: return "float";
        case 0x0006: return "A-law";
        case 0x0007: return "\u00b5-law";
        case 0x0011: return "IMA ADPCM";
        case 0xFFFE: return "extensible";
        default: return "unknown";
    }
}

}  // namespace

// ---- device ----

int SND_InitDevice(HWND window) {
    // The mixer needs no primary buffer: the device's own output stands for it.
    SndDevice = plat::AudioOpenDevice();
    if (!SndDevice) {
        DebugMsg("The sound device could not be opened: the game runs without sound.");
        SND_TermDevice();
        return 0;
    }
    SND_StreamFree();
    SndHwnd = window;
    return 1;
}

void SND_TermDevice() {
    SND_StreamFree();
    if (SndDevice) {
        plat::AudioCloseDevice(SndDevice);
        SndDevice = nullptr;
    }
}

bool SND_IsMissing(const char* path) { return SndDevice || !plat::FileExists(path); }

// ---- formats ----

bool SND_IsSndPath(const char* path) {
    if (!path) return false;
    size_t n = std::strlen(path);
    return n >= 4 && strcasecmp(path + n - 4, ".snd") == 0;
}

void SND_ParseFormat(const u8* b, WAVE_FORMAT* f) {
    f->formatTag = Le16(b);
    f->channels = Le16(b + 2);
    f->samplesPerSec = Le32(b + 4);
    f->avgBytesPerSec = Le32(b + 8);
    f->blockAlign = Le16(b + 12);
    f->bitsPerSample = Le16(b + 14);
    f->extraSize = Le16(b + 16);
}

bool SND_CheckFormat(const WAVE_FORMAT* f) {
    return f && f->formatTag == kWaveFormatPcm && (f->channels == 1 || f->channels == 2) &&
           (f->bitsPerSample == 8 || f->bitsPerSample == 16) && f->samplesPerSec > 0 &&
           f->blockAlign == f->channels * f->bitsPerSample / 8;
}

// ---- WAVE files ----

int SND_OpenWaveFile(const char* path, plat::RiffFile** file, WAVE_FORMAT* format, plat::RiffChunk* riff) {
    if (!path || !file || !format || !riff) return 0;
    plat::RiffFile* f = plat::RiffOpen(path);
    if (!f) return 0;
    plat::RiffChunk fmt{};
    u8 raw[kWaveFormatSize] = {};
    if (plat::RiffDescend(f, riff, nullptr, 0) && riff->id == kRiff && riff->formType == kWave &&
        plat::RiffDescend(f, &fmt, riff, kFmt) && fmt.size >= 16 && plat::RiffRead(f, raw, 16) == 16) {
        // Only the 16 bytes of the PCM format count; the extra size stays 0.
        WAVE_FORMAT w{};
        SND_ParseFormat(raw, &w);
        w.extraSize = 0;
        if (!SND_CheckFormat(&w)) {
            DebugMsg("%s: not played: format %u (%s), %u bits, channels %u, %u Hz; only 8- or 16-bit PCM, mono or "
                     "stereo, is",
                     path, w.formatTag, FormatTagName(w.formatTag), w.bitsPerSample, w.channels, w.samplesPerSec);
        } else if (plat::RiffAscend(f, &fmt)) {
            *format = w;
            *file = f;
            return 1;
        }
    }
    plat::RiffClose(f);
    return 0;
}

int SND_SeekWaveData(plat::RiffFile* file, plat::RiffChunk* data, const plat::RiffChunk* riff) {
    if (!file || !data || !riff) return 0;
    if (!plat::RiffSeek(file, i64(riff->dataOffset) + 4)) return 0;
    return plat::RiffDescend(file, data, riff, kData) ? 1 : 0;
}

int SND_ReadWaveData(plat::RiffFile* file, void* dest, u32 count, plat::RiffChunk* data, u32* bytesRead) {
    if (bytesRead) *bytesRead = 0;
    if (!file || !data || (count && !dest)) return 0;
    // The count not yet read drops before the copy, as the stream's position bookkeeping expects.
    u32 n = count < data->size ? count : data->size;
    data->size -= n;
    if (n == 0) return 1;
    if (plat::RiffRead(file, dest, n) != i64(n)) return 0;
    if (bytesRead) *bytesRead = n;
    return 1;
}

void SND_CloseWaveFile(plat::RiffFile*& file) {
    if (file) plat::RiffClose(file);
    file = nullptr;
}

void* SND_ReadWaveFile(const char* path, u32* size, WAVE_FORMAT* format) {
    plat::RiffFile* file = nullptr;
    plat::RiffChunk riff{}, data{};
    if (!SND_OpenWaveFile(path, &file, format, &riff)) return nullptr;
    void* block = nullptr;
    if (SND_SeekWaveData(file, &data, &riff)) {
        u32 dataSize = data.size;
        if (i64(data.dataOffset) + dataSize > plat::RiffFileSize(file)) {
            DebugMsg("%s: the sound data (%u bytes) runs past the end of the file", path, dataSize);
        } else if ((block = plat::GlobalAllocZero(dataSize)) != nullptr) {
            u32 got = 0;
            if (!SND_ReadWaveData(file, block, dataSize, &data, &got) || got != dataSize) {
                plat::GlobalFree(block);
                block = nullptr;
            } else if (size) {
                *size = dataSize;
            }
        }
    }
    SND_CloseWaveFile(file);
    return block;
}

// ---- ".snd" files ----

void* SND_ReadSndFile(const char* path, u32* size, WAVE_FORMAT* format) {
    if (!SND_IsSndPath(path)) return nullptr;
    plat::File* file = plat::FileOpenRead(path);
    if (!file) {
        DebugMsg2("%s:Open error %d\n", path, -1);
        return nullptr;
    }
    void* block = nullptr;
    u8 head[kSndHeadSize];
    if (plat::FileRead(file, head, kSndHeadSize) == i64(kSndHeadSize) && head[0] == 'S' && head[1] == 'N') {
        WAVE_FORMAT w{};
        SND_ParseFormat(head + 3, &w);
        u32 dataSize = Le32(head + 3 + kWaveFormatSize);
        if (!SND_CheckFormat(&w)) {
            // not a format the mixer plays: no buffer, as for a WAVE file
        } else if (dataSize > kMaxSoundData) {
            DebugMsg("%s: sound data size %u is too large", path, dataSize);
        } else if ((block = plat::GlobalAllocZero(dataSize)) != nullptr) {
            bool ok;
            if (head[2] == 'D') {
                u32 expanded = 0;
                ok = LZ_ExpandFromFile(file, block, &expanded, dataSize) != 0 && expanded == dataSize;
                if (!ok && expanded != dataSize)
                    DebugMsg("%s: the compressed body expands to %u bytes, not %u", path, expanded, dataSize);
            } else {
                // A short body keeps zeros where nothing was read.
                ok = plat::FileRead(file, block, dataSize) >= 0;
            }
            if (!ok) {
                plat::GlobalFree(block);
                block = nullptr;
            } else {
                *format = w;
                if (size) *size = dataSize;
            }
        }
    }
    plat::FileClose(file);
    return block;
}

// ---- buffers ----

SND_BUFFER SND_CreateBuffer(const void* data, u32 size, u32 flags, const WAVE_FORMAT* format) {
    if (!SndDevice || !SND_CheckFormat(format)) return nullptr;
    plat::SoundFormat sf{format->samplesPerSec, format->channels, format->bitsPerSample};
    SND_BUFFER buffer = plat::SoundCreateBuffer(SndDevice, sf, size, flags);
    if (!buffer) return nullptr;
    if (data) {
        void *p1 = nullptr, *p2 = nullptr;
        u32 n1 = 0, n2 = 0;
        if (!plat::SoundLock(buffer, 0, size, &p1, &n1, &p2, &n2)) {
            plat::SoundRelease(buffer);
            return nullptr;
        }
        std::memcpy(p1, data, n1);
        if (n2 > 0) std::memcpy(p2, static_cast<const u8*>(data) + n1, n2);
        plat::SoundUnlock(buffer, p1, n1, p2, n2);
    }
    SND_SetPosition(buffer, 0);
    SND_SetPan(buffer, 0);
    return buffer;
}

SND_BUFFER SND_LoadSound(const char* path) {
    if (!SndDevice) return nullptr;
    u32 size = 0;
    WAVE_FORMAT format{};
    void* data = SND_IsSndPath(path) ? SND_ReadSndFile(path, &size, &format) : SND_ReadWaveFile(path, &size, &format);
    if (!data) return nullptr;
    SND_BUFFER buffer = SND_CreateBuffer(data, size, SND_BUFFER_FLAGS, &format);
    plat::GlobalFree(data);
    return buffer;
}

// ---- wrappers ----

u32 SND_GetStatus(SND_BUFFER buffer) {
    u32 status = 0;
    return plat::SoundGetStatus(buffer, &status) ? status : 0;
}

int SND_IsPlaying(SND_BUFFER buffer) { return (SND_GetStatus(buffer) & plat::kSoundStatusPlaying) ? 1 : 0; }

int SND_GetPosition(SND_BUFFER buffer, u32* play, u32* write) {
    return plat::SoundGetPosition(buffer, play, write) ? 1 : 0;
}

int SND_SetPosition(SND_BUFFER buffer, u32 position) { return plat::SoundSetPosition(buffer, position) ? 1 : 0; }

int SND_GetPan(SND_BUFFER buffer, i32* pan) { return plat::SoundGetPan(buffer, pan) ? 1 : 0; }

int SND_SetPan(SND_BUFFER buffer, i32 pan) { return plat::SoundSetPan(buffer, pan) ? 1 : 0; }

int SND_GetVolume(SND_BUFFER buffer, i32* volume) { return plat::SoundGetVolume(buffer, volume) ? 1 : 0; }

int SND_SetVolume(SND_BUFFER buffer, i32 volume) { return plat::SoundSetVolume(buffer, volume) ? 1 : 0; }

int SND_Play(SND_BUFFER buffer, int loop) { return plat::SoundPlay(buffer, loop != 0) ? 1 : 0; }

int SND_Stop(SND_BUFFER buffer) { return plat::SoundStop(buffer) ? 1 : 0; }

void SND_ReleaseBuffer(SND_BUFFER buffer) {
    if (!buffer) return;
    plat::SoundStop(buffer);
    plat::SoundRelease(buffer);
}
