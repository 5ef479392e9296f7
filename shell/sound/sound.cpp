#include "shell/sound/sound.h"

#include <cstdio>

#include "shell/sound/stream.h"

const BGM_DATA BgmTbl[kBgmCount] = {
    {"Action01", 6618}, {"Action02", 19859}, {"Action03", 0}, {"LastBoss", 23704}, {"Custom", 15999},
    {"Adv01", 0},       {"Adv02", 0},        {"Sad", 0},      {"Kinpaku", 12666},  {"H01", 0},
    {"H02", 0},         {"Title", 0},        {"Ending", 0},
};

const SE_DATA SeTbl[kSeCount + 1] = {
    {"barrier", 0},  {"beam01", 0},   {"beam02", 0},  {"beam03", 0},  {"beep", 0},     {"bom01", 0},
    {"bom02", 0},    {"bom03", 0},    {"bom04", 0},   {"bom05", 0},   {"bunbun", 0},   {"charge01", 0},
    {"charge02", 0}, {"dash1", 0},    {"dash2", 1},   {"dash3", 0},   {"down", 0},     {"drill", 0},
    {"elec01", 0},   {"elec02", 0},   {"fire01", 0},  {"fire02", 0},  {"arm", 0},      {"vulcan1", 0},
    {"hit01", 0},    {"hit02", 0},    {"hit03", 0},   {"hit04", 0},   {"kin01", 0},    {"kin02", 0},
    {"rockon", 0},   {"run", 0},      {"tama01", 0},  {"tama02", 0},  {"tyakuti", 0},  {"tyouhi", 0},
    {"tyun", 0},     {"vulcan2", 0},  {"whip01", 0},  {"whip02", 0},  {"kiru", 0},     {"karaburi", 0},
    {"pikiiin", 0},  {"hahen1", 0},   {"hahen2", 0},  {"hahen3", 0},  {"menu01", 0},   {"menu02", 0},
    {"menu03", 0},   {"menu04", 0},   {"menu05", 0},  {"menu06", 0},  {"menu07", 0},   {"dash4", 0},
    {"sword", 0},    {"", 0},
};

SND_BUFFER SeBuffer[kSeSlots] = {};
SND_BUFFER VoiceBuffer = nullptr;
int BgmNo = -1;
int BgmVolume = 100;
int SeVolume = 100;
int VoiceVolume = 100;
char BgmDataPath[kMaxPath] = "";
char VoiceDataPath[kMaxPath] = "";

namespace {
// Numbers come from scripts and data files: outside the tables they do nothing.
bool SeNoValid(int no) { return no >= 0 && no < kSeSlots; }
}  // namespace

int SND_InitAll() {
    SND_TermAll();
    return SE_LoadAll();
}

void SND_TermAll() {
    VOICE_Stop();
    SND_StreamStop();
    SE_ReleaseAll();
}

// ---- music ----

int BGM_Play(int no, int loop) {
    if (no < 0) {
        BGM_Stop();
        return -1;
    }
    if (no >= kBgmCount) return 0;
    if (no == BgmNo) return BgmNo + 1;
    if (BgmVolume > 0) {
        const BGM_DATA& bgm = BgmTbl[no];
        char prefixed[kMaxPath];
        const char* path;
        if (BgmDataPath[0]) {
            int n = std::snprintf(prefixed, sizeof(prefixed), "%sBgm\\%s.wav", BgmDataPath, bgm.stem);
            path = n > 0 && n < int(sizeof(prefixed)) ? prefixed : "";
        } else {
            path = MakeFilePath("Music\\%s.wav", bgm.stem);
        }
        if (!SND_StreamOpen(path)) {
            // The open freed the earlier piece: nothing plays now, so nothing is current.
            BgmNo = -1;
            return 0;
        }
        SND_StreamSetLoopPos(bgm.loopMs);
        SND_StreamPlay(loop);
        SND_StreamSetVolume(BgmVolume);
    }
    const int previous = BgmNo;
    BgmNo = no;
    return previous < 0 ? -1 : previous + 1;
}

int BGM_Stop() {
    BgmNo = -1;
    SND_StreamClose();
    return 1;
}

int BGM_SetVolume(int volume) {
    BgmVolume = volume;
    SND_StreamSetVolume(volume);
    return 1;
}

// ---- effects ----

int SE_LoadAll() {
    int count = 0;
    for (; SeTbl[count].stem[0]; ++count) {
        if (SeBuffer[count]) {
            SND_ReleaseBuffer(SeBuffer[count]);
            SeBuffer[count] = nullptr;
        }
        const char* path = MakeFilePath("Wav\\%s.wav", SeTbl[count].stem);
        SeBuffer[count] = SND_LoadSound(path);
        if (!SeBuffer[count] && SND_IsMissing(path)) DebugMsg("%sが、見つかりません。", SeTbl[count].stem);
    }
    return count;
}

void SE_ReleaseAll() {
    for (int i = 0; SeTbl[i].stem[0]; ++i) {
        if (SeBuffer[i]) SND_ReleaseBuffer(SeBuffer[i]);
        SeBuffer[i] = nullptr;
    }
}

int SE_Play(int no, int loop) {
    if (!SeNoValid(no)) return 0;
    if (SeVolume < 1) return 1;
    SND_BUFFER buffer = SeBuffer[no];
    if (!buffer) return 0;
    if (loop < 0) loop = SeTbl[no].loop;
    // Above 100 the level is over 0 dB: the mixer refuses it and the buffer keeps its volume.
    SND_SetVolume(buffer, SND_VolumeLaw(SeVolume));
    SND_SetPosition(buffer, 0);
    SND_Play(buffer, loop);
    return 1;
}

int SE_Stop(int no) {
    if (!SeNoValid(no) || !SeBuffer[no]) return 0;
    SND_Stop(SeBuffer[no]);
    return 1;
}

int SE_IsPlaying(int no) {
    if (!SeNoValid(no)) return 0;
    return SND_IsPlaying(SeBuffer[no]);
}

int SE_SetVolume(int volume) {
    SeVolume = volume;
    for (int i = 0; SeTbl[i].stem[0]; ++i)
        if (SeBuffer[i]) SND_SetVolume(SeBuffer[i], SND_VolumeLaw(volume));
    return 1;
}

// ---- voices ----

int VOICE_Play(int no) {
    if (VoiceBuffer) {
        SND_ReleaseBuffer(VoiceBuffer);
        VoiceBuffer = nullptr;
    }
    if (VoiceVolume < 1) return 1;
    char prefixed[kMaxPath];
    const char* path;
    if (VoiceDataPath[0]) {
        int n = std::snprintf(prefixed, sizeof(prefixed), "%sVoice\\%04d.wav", VoiceDataPath, no);
        path = n > 0 && n < int(sizeof(prefixed)) ? prefixed : "";
    } else {
        path = MakeFilePath("Voice\\%04d.wav", no);
    }
    VoiceBuffer = SND_LoadSound(path);
    if (!VoiceBuffer) {
        if (SND_IsMissing(path)) DebugMsg("音声の%04d%%が見つかりません。", no);
        return 0;
    }
    VOICE_SetVolume(VoiceVolume);
    SND_Play(VoiceBuffer, 0);
    return 1;
}

int VOICE_Stop() {
    if (!VoiceBuffer) return 0;
    SND_ReleaseBuffer(VoiceBuffer);
    VoiceBuffer = nullptr;
    return 1;
}

int VOICE_SetVolume(int volume) {
    if (!VoiceBuffer) return 0;
    VoiceVolume = volume;
    SND_SetVolume(VoiceBuffer, SND_VolumeLaw(volume));
    return 1;
}
