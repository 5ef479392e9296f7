#include "shell/sound/stream.h"

#include <cstdint>
#include <cstring>
#include <mutex>

#include "platform/clock.h"
#include "platform/file.h"
#include "platform/memory.h"
#include "platform/riff.h"
#include "platform/timer.h"
#include "shell/common.h"

STREAM_DATA Stream{};

namespace {

std::mutex StreamLock;
thread_local bool t_refillThread = false;

constexpr u32 kMaxRing = 0x0FFFFFFF;  // the mixer's largest buffer

u32 Shared(u32 STREAM_DATA::*field) {
    std::lock_guard lock(StreamLock);
    return Stream.*field;
}

void SetShared(u32 STREAM_DATA::*field, u32 value) {
    std::lock_guard lock(StreamLock);
    Stream.*field = value;
}

u8 SilenceByte() { return Stream.format.bitsPerSample == 8 ? 0x80 : 0; }

void Silence(u8* dest, u32 size) { std::memset(dest, SilenceByte(), size); }

// The data reader of the open file kind.
int ReadData(void* dest, u32 count, u32* got) {
    if (Stream.sndFile) return SND_ReadSndData(Stream.sndHandle, dest, count, &Stream.dataChunk, got);
    return SND_ReadWaveData(Stream.mmio, dest, count, &Stream.dataChunk, got);
}

int SeekDataMs(u32 ms) {
    if (Stream.sndFile)
        return SND_SeekSndDataMs(Stream.sndHandle, Stream.sndDataOffset, Stream.dataSize, &Stream.dataChunk,
                                 &Stream.format, ms);
    return SND_SeekWaveDataMs(Stream.mmio, &Stream.dataChunk, &Stream.riffChunk, &Stream.format, ms);
}

// SND_SeekWaveData, with the count not yet read cut to the whole frames the file holds: a WAVE written
// to a pipe claims far more data than it has (0x7FFFF000 or 0xFFFFFFFF).
int SeekWaveStart(plat::RiffFile* file, plat::RiffChunk* data, const plat::RiffChunk* riff, u32 blockAlign) {
    if (!SND_SeekWaveData(file, data, riff)) return 0;
    const i64 held = plat::RiffFileSize(file) - i64(data->dataOffset);
    if (held < i64(data->size)) {
        const u32 align = blockAlign ? blockAlign : 1;
        data->size = held > 0 ? u32(held) / align * align : 0;
    }
    return 1;
}

int SeekDataStart() {
    if (Stream.sndFile) return SND_SeekSndData(Stream.sndHandle, Stream.sndDataOffset, Stream.dataSize, &Stream.dataChunk);
    return SeekWaveStart(Stream.mmio, &Stream.dataChunk, &Stream.riffChunk, Stream.format.blockAlign);
}

// Cuts a data size that runs past the end of the open file to the whole frames it holds. True when it
// was cut. A compressed ".snd" body is left alone: its size is the expanded one.
bool ClampDataSize(const char* path, bool compressed) {
    i64 held;
    if (Stream.sndFile) {
        if (compressed) return false;
        held = plat::FileSize(Stream.sndHandle) - i64(Stream.sndDataOffset);
    } else {
        held = plat::RiffFileSize(Stream.mmio) - i64(Stream.dataChunk.dataOffset);
    }
    if (held >= i64(Stream.dataSize)) return false;
    const u32 align = Stream.format.blockAlign;
    const u32 size = held > 0 ? u32(held) / align * align : 0;
    DebugMsg("%s: the sound data claims %u bytes but the file holds %u; only those are played", path,
             Stream.dataSize, size);
    Stream.dataSize = size;
    Stream.dataChunk.size = size;
    return true;
}

// A whole-sound buffer of the data the open file holds, for a short file whose header claims more
// (the whole-sound reader refuses such a file).
SND_BUFFER LoadHeldData() {
    void* data = plat::GlobalAllocZero(Stream.dataSize);
    u32 got = 0;
    SND_BUFFER buffer = nullptr;
    if (data && ReadData(data, Stream.dataSize, &got) && got == Stream.dataSize)
        buffer = SND_CreateBuffer(data, Stream.dataSize, SND_BUFFER_FLAGS, &Stream.format);
    plat::GlobalFree(data);
    return buffer;
}

// The rest of a segment from the loop position, as often as the loop section takes. A read that brings
// nothing (a data chunk longer than its file) ends it with silence rather than spinning.
void FillFromLoop(u8* dest, u32 need) {
    const u32 loopPos = Shared(&STREAM_DATA::loopPos);
    while (need > 0) {
        u32 got = 0;
        if (!SeekDataMs(loopPos) || !ReadData(dest, need, &got) || got == 0) {
            Silence(dest, need);
            Stream.endOfData = 1;
            return;
        }
        dest += got;
        need -= got;
    }
}

void AdvanceWritePos(u32 size) {
    Stream.writePos += size;
    if (Stream.writePos >= Stream.ringSize) Stream.writePos -= Stream.ringSize;
}

// Fills size bytes of the ring at offset from the file (from the start position first when fromStart)
// and moves the write position on by them. Data that runs out continues from the loop position or
// pads with silence; fewer than a segment's bytes mark the end of the data. A failed lock or read leaves
// the ring and the write position as they were.
void FillRing(u32 offset, u32 size, bool fromStart) {
    if (!Stream.buffer) return;
    void *p1 = nullptr, *p2 = nullptr;
    u32 n1 = 0, n2 = 0;
    if (!plat::SoundLock(Stream.buffer, offset, size, &p1, &n1, &p2, &n2)) return;
    u8* dest = static_cast<u8*>(p1);
    u32 got = 0;
    if ((fromStart && !SeekDataMs(Shared(&STREAM_DATA::startPos))) || !ReadData(dest, n1, &got)) {
        plat::SoundUnlock(Stream.buffer, p1, n1, p2, n2);
        return;
    }
    if (got < n1) {
        if (Shared(&STREAM_DATA::loop)) {
            FillFromLoop(dest + got, n1 - got);
        } else {
            Silence(dest + got, n1 - got);
            if (got < Stream.segmentSize) Stream.endOfData = 1;
        }
    }
    plat::SoundUnlock(Stream.buffer, p1, n1, p2, n2);
    AdvanceWritePos(n1);
}

// Ends the refill thread of an earlier start: ask, wake, join.
void EndThread() {
    if (!Stream.thread) return;
    {
        std::lock_guard lock(StreamLock);
        Stream.quit = 1;
        plat::SignalEvent(Stream.events[1]);
    }
    plat::JoinThread(Stream.thread);
    Stream.thread = nullptr;
    std::lock_guard lock(StreamLock);
    Stream.quit = 0;
}

void CloseEvents() {
    std::lock_guard lock(StreamLock);
    for (auto& e : Stream.events) {
        plat::CloseEvent(e);
        e.reset();
    }
}

// A stream whose refill thread failed to rewind is freed on the main thread's next call.
void ReapFailed() {
    if (Stream.thread && Shared(&STREAM_DATA::failed)) SND_StreamFree();
}

}  // namespace

i32 SND_VolumeLaw(int volume) {
    if (volume <= 0) return plat::kSoundVolumeMin;
    // Effect and voice volumes come unclamped from scripts: a huge one must not overflow, only be loud
    // enough for the mixer to refuse.
    const i64 level = (i64(volume) + 400) * 10000 / 500 - 10000;
    return level > INT32_MAX ? INT32_MAX : i32(level);
}

// ---- files ----

int SND_OpenSndStream(const char* path, bool* compressed) {
    plat::File* file = plat::FileOpenRead(path);
    if (!file) {
        DebugMsg2("%s:Open error %d\n", path, -1);
        return 0;
    }
    u8 head[3 + kWaveFormatSize + 4];
    i64 offset = -1;
    if (plat::FileRead(file, head, sizeof(head)) == i64(sizeof(head)) && head[0] == 'S' && head[1] == 'N' &&
        (offset = plat::FileTell(file)) >= 0) {
        WAVE_FORMAT f{};
        SND_ParseFormat(head + 3, &f);
        if (SND_CheckFormat(&f)) {
            Stream.format = f;
            Stream.dataSize = u32(head[21]) | (u32(head[22]) << 8) | (u32(head[23]) << 16) | (u32(head[24]) << 24);
            Stream.sndDataOffset = u32(offset);
            Stream.sndHandle = file;
            if (compressed) *compressed = head[2] == 'D';
            return 1;
        }
    }
    plat::FileClose(file);
    return 0;
}

int SND_SeekSndData(plat::File* file, u32 dataOffset, u32 dataSize, plat::RiffChunk* chunk) {
    if (!file || !chunk || !plat::FileSeek(file, dataOffset)) return 0;
    chunk->size = dataSize;
    return 1;
}

void SND_CloseSndFile(plat::File*& file) {
    if (file) plat::FileClose(file);
    file = nullptr;
}

int SND_ReadSndData(plat::File* file, void* dest, u32 count, plat::RiffChunk* chunk, u32* bytesRead) {
    if (bytesRead) *bytesRead = 0;
    if (!file || !chunk) return 0;
    u32 n = count < chunk->size ? count : chunk->size;
    chunk->size -= n;
    if (n == 0) return 1;
    i64 got = plat::FileRead(file, dest, n);
    if (got < 0) return 0;
    if (bytesRead) *bytesRead = u32(got);
    return 1;
}

namespace {
u64 MsToOffset(const WAVE_FORMAT* format, u32 ms) {
    return u64(format->samplesPerSec) * ms / 1000 * format->blockAlign;
}
}  // namespace

int SND_SeekWaveDataMs(plat::RiffFile* file, plat::RiffChunk* data, const plat::RiffChunk* riff,
                       const WAVE_FORMAT* format, u32 ms) {
    if (!SeekWaveStart(file, data, riff, format ? format->blockAlign : 1)) return 0;
    if (ms == 0) return 1;
    u64 offset = MsToOffset(format, ms);
    if (offset >= data->size) return 1;  // at or past the end: the start of the data
    data->size -= u32(offset);
    return plat::RiffSeek(file, i64(data->dataOffset) + i64(offset)) ? 1 : 0;
}

int SND_SeekSndDataMs(plat::File* file, u32 dataOffset, u32 dataSize, plat::RiffChunk* chunk,
                      const WAVE_FORMAT* format, u32 ms) {
    if (!file || !chunk) return 0;
    u64 offset = MsToOffset(format, ms);
    chunk->size = dataSize;
    if (offset >= dataSize) return plat::FileSeek(file, dataOffset) ? 1 : 0;
    chunk->size = dataSize - u32(offset);
    return plat::FileSeek(file, i64(dataOffset) + i64(offset)) ? 1 : 0;
}

// ---- opening ----

int SND_StreamOpenFile(const char* path) {
    SND_StreamFree();
    bool compressed = false;
    if (SND_IsSndPath(path)) {
        if (!SND_OpenSndStream(path, &compressed)) return 0;
        Stream.sndFile = 1;
        if (!SND_SeekSndData(Stream.sndHandle, Stream.sndDataOffset, Stream.dataSize, &Stream.dataChunk)) {
            SND_StreamFree();
            return 0;
        }
    } else {
        if (!SND_OpenWaveFile(path, &Stream.mmio, &Stream.format, &Stream.riffChunk)) return 0;
        if (!SND_SeekWaveData(Stream.mmio, &Stream.dataChunk, &Stream.riffChunk)) {
            SND_StreamFree();
            return 0;
        }
        Stream.dataSize = Stream.dataChunk.size;
    }
    // The piece then ends, or loops, where its data really ends.
    const bool clamped = ClampDataSize(path, compressed);

    const u32 align = Stream.format.blockAlign;
    u64 segment = u64(Stream.format.samplesPerSec) * 8 * align / 4;
    segment = (segment + align - 1) / align * align;
    const u64 ring = segment * kStreamSegments;

    if (Stream.dataSize < ring) {
        // Short: one whole-sound buffer (a compressed ".snd" expands here). One that cannot be loaded is
        // an open failure, leaving the stream closed, rather than an open stream with nothing to play.
        SND_BUFFER held = clamped ? LoadHeldData() : nullptr;
        SND_StreamFree();
        Stream.buffer = clamped ? held : SND_LoadSound(path);
        if (!Stream.buffer) return 0;
        SND_StreamReset();
        return 1;
    }
    if (Stream.sndFile && compressed) {
        // The ring reads the body raw: a compressed one would play as noise.
        DebugMsg("%s: a compressed sound is too long to stream", path);
        SND_StreamFree();
        return 0;
    }
    Stream.segmentSize = ring <= kMaxRing ? u32(segment) : 0;
    Stream.ringSize = ring <= kMaxRing ? u32(ring) : 0;
    if (Stream.ringSize) Stream.buffer = SND_CreateBuffer(nullptr, Stream.ringSize, SND_BUFFER_FLAGS, &Stream.format);
    Stream.notify = Stream.buffer;
    if (!Stream.buffer || !Stream.notify) {
        SND_StreamFree();
        return 0;
    }
    SND_StreamReset();
    Stream.streamed = 1;
    return 1;
}

void SND_StreamReset() {
    Stream.endOfData = 0;
    Stream.writePos = 0;
    Stream.bytesPlayed = 0;
    Stream.lastPlayCursor = 0;
    SetShared(&STREAM_DATA::loop, 0);
    Stream.stop = 0;
    Stream.open = 1;
    SND_StreamSetVolume(100);
}

int SND_StreamOpen(const char* path) {
    if (!SND_StreamOpenFile(path)) return 0;
    Stream.stop = 0;
    return 1;
}

// ---- starting and rewinding ----

int SND_StreamStart(int loop) {
    ReapFailed();
    if (!Stream.open || !Stream.buffer) return 0;
    EndThread();
    if (!SND_StreamRewind()) return 0;
    if (!Stream.streamed) return SND_Play(Stream.buffer, loop);
    SND_StreamStartThread();
    SND_SetPosition(Stream.buffer, 0);
    if (!SND_Play(Stream.buffer, 1)) return 0;
    SetShared(&STREAM_DATA::loop, loop ? 1 : 0);
    return 1;
}

int SND_StreamPlay(int loop) {
    SetShared(&STREAM_DATA::startPos, 0);
    return SND_StreamStart(loop);
}

int SND_StreamPlayFrom(int loop, u32 startMs) {
    SetShared(&STREAM_DATA::startPos, startMs);
    return SND_StreamStart(loop);
}

int SND_StreamRewind() {
    if (!Stream.open) return 0;
    if (Stream.buffer) SND_Stop(Stream.buffer);
    if (!Stream.streamed) return 1;
    if (!SeekDataStart()) {
        // The refill thread never frees (nor joins itself): it leaves that to the main thread.
        if (t_refillThread)
            SetShared(&STREAM_DATA::failed, 1);
        else
            SND_StreamFree();
        return 0;
    }
    Stream.endOfData = 0;
    SetShared(&STREAM_DATA::loop, 0);
    Stream.writePos = 0;
    Stream.bytesPlayed = 0;
    Stream.lastPlayCursor = 0;
    SND_StreamFillAll();
    Stream.stop = 0;
    return 1;
}

void SND_StreamFillAll() { FillRing(0, Stream.ringSize, true); }

// ---- the refill thread ----

int SND_StreamStartThread() {
    CloseEvents();  // an earlier start's
    plat::EventRef events[2] = {plat::CreateAutoEvent(), plat::CreateAutoEvent()};
    {
        std::lock_guard lock(StreamLock);
        Stream.events[0] = events[0];
        Stream.events[1] = events[1];
    }
    const u32 s = Stream.segmentSize;
    plat::SoundNotifyPosition positions[5] = {{s, events[0]},
                                              {2 * s, events[0]},
                                              {3 * s, events[0]},
                                              {4 * s - 1, events[0]},
                                              {plat::kSoundNotifyStop, events[1]}};
    Stream.thread = plat::StartThread(SND_StreamThreadProc);
    if (!Stream.thread) {
        CloseEvents();
        return 0;
    }
    // Set before Play: positions are refused while the buffer plays.
    if (!plat::SoundSetNotifications(Stream.notify, positions, 5)) {
        CloseEvents();  // the thread ends at its first wait
        return 0;
    }
    return 1;
}

void SND_StreamThreadProc() {
    t_refillThread = true;
    for (;;) {
        plat::EventRef events[2];
        {
            std::lock_guard lock(StreamLock);
            if (Stream.quit) return;
            events[0] = Stream.events[0];
            events[1] = Stream.events[1];
        }
        const int which = plat::WaitForEvents(events, 2);
        if (which < 0 || Shared(&STREAM_DATA::quit)) return;

        if (Stream.stop) {
            SND_StreamRewind();
            return;
        }
        if (which == 0) {
            if (Shared(&STREAM_DATA::loop)) {
                SND_StreamRefill();
                continue;
            }
            u32 cursor = 0;
            if (SND_GetPosition(Stream.buffer, &cursor, nullptr)) {
                Stream.bytesPlayed += cursor - Stream.lastPlayCursor + (cursor < Stream.lastPlayCursor ? Stream.ringSize : 0);
                Stream.lastPlayCursor = cursor;
            }
            if (!Stream.endOfData) {
                SND_StreamRefill();
                continue;
            }
            // The segment that just finished goes silent; the write position stays, so the segment
            // after the one holding the end of the data is never filled again.
            void *p1 = nullptr, *p2 = nullptr;
            u32 n1 = 0, n2 = 0;
            if (plat::SoundLock(Stream.buffer, Stream.writePos, Stream.segmentSize, &p1, &n1, &p2, &n2)) {
                Silence(static_cast<u8*>(p1), n1);
                plat::SoundUnlock(Stream.buffer, p1, n1, p2, n2);
            }
            if (Stream.bytesPlayed >= Stream.dataSize - Stream.segmentSize) Stream.stop = 1;
        } else {
            if (!SND_StreamRewind()) return;
            Stream.stop = 1;
            CloseEvents();
        }
    }
}

// Always the segment at the write position: the one that has just finished playing.
void SND_StreamRefill() { FillRing(Stream.writePos, Stream.segmentSize, false); }

// ---- stopping and freeing ----

int SND_StreamStop() {
    ReapFailed();
    if (!Stream.open || !Stream.buffer) return 0;
    SND_Stop(Stream.buffer);
    return 1;
}

int SND_StreamSetLoopPos(u32 ms) {
    if (!Stream.open) return 0;
    SetShared(&STREAM_DATA::loopPos, ms);
    return 1;
}

int SND_StreamIsPlaying() {
    ReapFailed();
    return SND_IsPlaying(Stream.buffer);
}

void SND_StreamClose() { SND_StreamFree(); }

void SND_StreamFree() {
    // Cooperative end in place of killing the thread wherever it stands.
    EndThread();
    CloseEvents();
    Stream.notify = nullptr;
    if (Stream.buffer) SND_ReleaseBuffer(Stream.buffer);
    if (Stream.sndFile)
        SND_CloseSndFile(Stream.sndHandle);
    else
        SND_CloseWaveFile(Stream.mmio);
    // A fade's timer must not outlive its stream and mute the next piece.
    plat::KillTimer(kStreamFadeTimer);
    Stream = STREAM_DATA{};
}

// ---- volume and fades ----

int SND_StreamGetVolume() { return Stream.volume; }

void SND_StreamSetVolume(int volume) {
    if (volume > 100) volume = 100;
    if (volume < 0) volume = 0;
    Stream.volume = volume;
    SND_SetVolume(Stream.buffer, SND_VolumeLaw(volume));
}

int SND_StreamIsFading() { return Stream.fade ? 1 : 0; }

int SND_StreamStartFade(int out, u32 durationMs) {
    if (Stream.fade) return 0;
    Stream.fade = 1;
    Stream.fadeOut = out ? 1 : 0;
    Stream.fadeDuration = durationMs;
    Stream.fadeStart = plat::GetTimeMs();
    Stream.fadeStartVolume = Stream.volume;
    plat::SetTimer(kStreamFadeTimer, durationMs >> 6, SND_StreamFadeTimerProc);
    return 1;
}

int SND_StreamFadeIn(u32 durationMs) {
    if (!SND_StreamStartFade(0, durationMs)) return 0;
    SND_StreamSetVolume(0);
    return 1;
}

int SND_StreamFadeOut(u32 durationMs) { return SND_StreamStartFade(1, durationMs); }

void SND_StreamFadeTimerProc(u32) {
    const u32 elapsed = plat::GetTimeMs() - Stream.fadeStart;
    const i64 start = Stream.fadeStartVolume;
    i64 level;
    if (elapsed >= Stream.fadeDuration) {
        level = Stream.fadeOut ? 0 : start;
        SND_StreamEndFade();
    } else {
        const i64 part = start * elapsed / Stream.fadeDuration;
        level = Stream.fadeOut ? start - part : part;
    }
    SND_SetVolume(Stream.buffer, SND_VolumeLaw(int(level)));
}

void SND_StreamEndFade() {
    Stream.fade = 0;
    Stream.fadeOut = 0;
    Stream.fadeDuration = 0;
    Stream.fadeStart = 0;
    Stream.fadeStartVolume = 0;
    plat::KillTimer(kStreamFadeTimer);
}
