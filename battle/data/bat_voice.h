// Battle voices: six WAVE clips per mech type, "Wav\BatVoice\c%02d_v%02d.wav" (character number from
// the caller, voice 0..5), shared by the type's holders through MekaTypeTbl's voice reference count.
// Nothing here plays a clip: the caller plays a slot's buffer. The script's single voice (VOICE_Play
// in shell/sound/sound.h) is a different thing.
#pragma once

// 0..100 for every loaded battle voice of every type.
extern int BatVoiceVolume;

// Takes a reference; the first one loads the six clips (a clip that does not load leaves its slot
// empty with a debug line). Each returns 0 for a type outside 0..24 or a voice outside 0..5.
int VOICE_LoadBatVoice(int type, int chara);
// Drops a reference; the last one releases the clips. Nothing happens at 0 references.
int VOICE_ReleaseBatVoice(int type);
// Stops the clip; 0 either way.
int VOICE_StopBatVoice(int type, int voice);
// 1 while the clip plays, 0 otherwise and for an empty slot.
int VOICE_CheckBatVoice(int type, int voice);
// Stores the volume (clamped to 0..100) and sets it on every loaded clip; 1.
int VOICE_SetBatVoiceVolume(int volume);
