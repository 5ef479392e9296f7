// The streamed music player: one piece at a time. A file shorter than the ring plays from one
// whole-sound buffer; a longer one streams through a ring of four two-second segments that a refill
// thread tops up as each segment finishes, continuing from the loop position when a looping piece runs
// out of data. Volume 0..100, fades on main-thread timer 5000.
#pragma once
#include "platform/file.h"
#include "platform/riff.h"
#include "platform/thread.h"
#include "shell/sound/snd.h"

constexpr u32 kStreamSegmentSeconds = 2;
constexpr u32 kStreamSegments = 4;
constexpr u32 kStreamFadeTimer = 5000;

// The one stream. Threads: the main thread owns everything while no refill thread runs (starts and
// frees end the thread first, cooperatively). While one runs, the thread owns the file, the ring
// bookkeeping and the stop flags; the main thread touches only the buffer (through the mixer's own lock)
// and the fields marked "shared", and those only under StreamLock, which is never held across a file
// read, a buffer lock or a wait.
struct STREAM_DATA {
    WAVE_FORMAT format;
    plat::RiffFile* mmio;        // the open WAVE file
    plat::RiffChunk dataChunk;   // its size counts the data bytes not yet read (".snd" too)
    plat::RiffChunk riffChunk;
    u32 dataSize;
    plat::EventRef events[2];    // shared: notify (a segment has finished), stop (the buffer stopped)
    plat::Thread* thread;        // the refill thread of the current start
    SND_BUFFER buffer;           // the ring, or the whole-sound buffer of a short file
    SND_BUFFER notify;           // the ring's notification interface
    u32 ringSize;
    u32 segmentSize;
    u32 writePos;                // ring offset of the next segment to fill
    u32 bytesPlayed;             // counted only when not looping
    u32 lastPlayCursor;
    u32 loop;                    // shared
    u32 stop;                    // the thread has seen the end: its next wake-up rewinds and ends
    u32 endOfData;
    u32 open;
    u32 streamed;                // 1 for the ring with its thread
    u32 startPos;                // shared; ms
    u32 loopPos;                 // shared; ms
    i32 volume;
    u32 sndFile;                 // 1 for a ".snd" file
    plat::File* sndHandle;
    u32 sndDataOffset;
    u32 fade;
    u32 fadeOut;                 // 0 in, 1 out
    u32 fadeDuration;
    u32 fadeStart;
    i32 fadeStartVolume;
    u32 quit;                    // shared: the main thread asks the refill thread to end
    u32 failed;                  // shared: the refill thread could not rewind; the main thread frees
};

extern STREAM_DATA Stream;

// The volume law: 0..100 to hundredths of a decibel, 20·v − 2000, and 0 (or less) silent.
i32 SND_VolumeLaw(int volume);

int SND_StreamOpen(const char* path);
int SND_StreamPlay(int loop);
int SND_StreamPlayFrom(int loop, u32 startMs);
int SND_StreamStop();
int SND_StreamSetLoopPos(u32 ms);
int SND_StreamIsPlaying();
void SND_StreamClose();
int SND_StreamGetVolume();
void SND_StreamSetVolume(int volume);
int SND_StreamIsFading();
int SND_StreamFadeIn(u32 durationMs);
int SND_StreamFadeOut(u32 durationMs);
void SND_StreamFree();

// Internal steps, open for the tests.
int SND_StreamOpenFile(const char* path);
int SND_OpenSndStream(const char* path, bool* compressed);
int SND_SeekSndData(plat::File* file, u32 dataOffset, u32 dataSize, plat::RiffChunk* chunk);
void SND_CloseSndFile(plat::File*& file);
int SND_ReadSndData(plat::File* file, void* dest, u32 count, plat::RiffChunk* chunk, u32* bytesRead);
int SND_SeekWaveDataMs(plat::RiffFile* file, plat::RiffChunk* data, const plat::RiffChunk* riff,
                       const WAVE_FORMAT* format, u32 ms);
int SND_SeekSndDataMs(plat::File* file, u32 dataOffset, u32 dataSize, plat::RiffChunk* chunk,
                      const WAVE_FORMAT* format, u32 ms);
void SND_StreamReset();
int SND_StreamStart(int loop);
int SND_StreamRewind();
void SND_StreamFillAll();
int SND_StreamStartThread();
void SND_StreamThreadProc();
void SND_StreamRefill();
int SND_StreamStartFade(int out, u32 durationMs);
void SND_StreamFadeTimerProc(u32 id);
void SND_StreamEndFade();
