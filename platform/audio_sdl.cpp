#include <SDL.h>

#include "platform/audio.h"
#include "platform/audio_internal.h"

namespace plat {

struct AudioDevice {
    SDL_AudioDeviceID id = 0;
    bool startedAudio = false;  // we started SDL's audio subsystem for it
};

namespace {

AudioDevice* g_device = nullptr;

void SDLCALL FillAudio(void*, Uint8* stream, int len) { AudioMix(reinterpret_cast<i16*>(stream), u32(len) / 4); }

SDL_AudioDeviceID OpenSdl(int allowed, SDL_AudioSpec* have) {
    SDL_AudioSpec want{};
    want.freq = 48000;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = FillAudio;
    return SDL_OpenAudioDevice(nullptr, 0, &want, have, allowed);
}

}  // namespace

AudioDevice* AudioOpenDevice() {
    if (g_device) return nullptr;
    auto* device = new AudioDevice;
    if (u32 manual = detail::ManualMixRate()) {
        detail::MixerSetRate(manual);
        return g_device = device;
    }
    if (!SDL_WasInit(SDL_INIT_AUDIO)) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            delete device;
            return nullptr;
        }
        device->startedAudio = true;
    }
    // The device's own rate when it is one of the two usual ones; otherwise SDL converts from 48 kHz.
    SDL_AudioSpec have{};
    device->id = OpenSdl(SDL_AUDIO_ALLOW_FREQUENCY_CHANGE, &have);
    if (device->id && have.freq != 44100 && have.freq != 48000) {
        SDL_CloseAudioDevice(device->id);
        device->id = OpenSdl(0, &have);
    }
    if (!device->id) {
        if (device->startedAudio) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        delete device;
        return nullptr;
    }
    detail::MixerSetRate(u32(have.freq));
    SDL_PauseAudioDevice(device->id, 0);
    return g_device = device;
}

void AudioCloseDevice(AudioDevice* device) {
    if (!device || device != g_device) return;
    if (device->id) SDL_CloseAudioDevice(device->id);
    if (device->startedAudio) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    delete device;
    g_device = nullptr;
}

}  // namespace plat
