// The sound front end: music by number, sound effects by number (all loaded at start-up), one voice at
// a time, and three volumes on a 0..100 scale sent to the buffers by the volume law.
#pragma once
#include "shell/common.h"
#include "shell/sound/snd.h"

struct BGM_DATA {
    char stem[16];
    u32 loopMs;
};

struct SE_DATA {
    char stem[16];
    u8 loop;
};

constexpr int kBgmCount = 13;
constexpr int kSeCount = 55;
constexpr int kSeSlots = 56;  // number 55 never holds a buffer

extern const BGM_DATA BgmTbl[kBgmCount];
extern const SE_DATA SeTbl[kSeCount + 1];  // ends with an empty stem
extern SND_BUFFER SeBuffer[kSeSlots];
extern SND_BUFFER VoiceBuffer;
extern int BgmNo;
extern int BgmVolume;
extern int SeVolume;
extern int VoiceVolume;
// Data-folder prefixes; empty unless someone sets them.
extern char BgmDataPath[kMaxPath];
extern char VoiceDataPath[kMaxPath];

int SND_InitAll();
void SND_TermAll();

int BGM_Play(int no, int loop);
int BGM_Stop();
int BGM_SetVolume(int volume);

int SE_LoadAll();
void SE_ReleaseAll();
int SE_Play(int no, int loop);
int SE_Stop(int no);
int SE_IsPlaying(int no);
int SE_SetVolume(int volume);

int VOICE_Play(int no);
int VOICE_Stop();
int VOICE_SetVolume(int volume);
