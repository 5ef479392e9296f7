#include "battle/data/bat_voice.h"

#include <algorithm>

#include "battle/data/meka_type.h"
#include "shell/common.h"
#include "shell/sound/snd.h"
#include "shell/sound/stream.h"

int BatVoiceVolume = 100;

namespace {

SND_BUFFER* Slot(int type, int voice) {
    MEKA_TYPE_DATA* t = MEKA_GetTypeData(type);
    return t && voice >= 0 && voice < MEKA_VOICE_MAX ? &t->voice[voice] : nullptr;
}

}  // namespace

int VOICE_LoadBatVoice(int type, int chara) {
    MEKA_TYPE_DATA* t = MEKA_GetTypeData(type);
    // A full count would wrap to 0 and the clips would be released under their holders.
    if (!t || t->voiceRef == 255) return 0;
    if (++t->voiceRef != 1) return 1;
    for (int v = 0; v < MEKA_VOICE_MAX; v++) {
        if (t->voice[v]) SND_ReleaseBuffer(t->voice[v]);
        const char* path = MakeFilePath("Wav\\BatVoice\\c%02d_v%02d.wav", chara, v);
        t->voice[v] = SND_LoadSound(path);
        if (!t->voice[v]) {
            if (SND_IsMissing(path)) DebugMsg("c%02d_v%02d.wav が、見つかりません。", chara, v);
        } else {
            // A clip loaded after a volume change plays at that volume too.
            SND_SetVolume(t->voice[v], SND_VolumeLaw(BatVoiceVolume));
        }
    }
    return 1;
}

int VOICE_ReleaseBatVoice(int type) {
    MEKA_TYPE_DATA* t = MEKA_GetTypeData(type);
    if (!t || t->voiceRef == 0) return 0;
    if (--t->voiceRef != 0) return 1;
    for (SND_BUFFER& b : t->voice) {
        if (b) SND_ReleaseBuffer(b);
        b = nullptr;
    }
    return 1;
}

int VOICE_StopBatVoice(int type, int voice) {
    SND_BUFFER* b = Slot(type, voice);
    if (b && *b) SND_Stop(*b);
    return 0;
}

int VOICE_CheckBatVoice(int type, int voice) {
    SND_BUFFER* b = Slot(type, voice);
    return b && *b ? SND_IsPlaying(*b) : 0;
}

int VOICE_SetBatVoiceVolume(int volume) {
    BatVoiceVolume = std::clamp(volume, 0, 100);
    const i32 level = SND_VolumeLaw(BatVoiceVolume);
    for (MEKA_TYPE_DATA& t : MekaTypeTbl)
        for (SND_BUFFER b : t.voice)
            if (b) SND_SetVolume(b, level);
    return 1;
}
