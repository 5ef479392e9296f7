// The 25 mech types: their file stems and the data each type shares among its mechs, the technique
// menu and the editors (techniques, CPU behaviour, battle voices), each by its own reference count.
#pragma once
#include "battle/data/cpu_data.h"
#include "battle/data/waza_data.h"
#include "platform/types.h"
#include "shell/sound/snd.h"

constexpr int MEKA_TYPE_MAX = 25;
constexpr int MEKA_VOICE_MAX = 6;

struct MEKA_TYPE_DATA {
    u8 wazaRef;                      // holders of the techniques
    i16 wazaCount;                   // records in waza (0 while not loaded)
    WAZA_DATA** waza;                // wazaCount records, each its own block: they never move
    u8 cpuRef;                       // holders of the CPU record
    CPU_DATA* cpu;                   // null while not loaded
    u8 voiceRef;                     // holders of the voices
    SND_BUFFER voice[MEKA_VOICE_MAX];  // battle voices 0..5, null when empty
};

extern MEKA_TYPE_DATA MekaTypeTbl[MEKA_TYPE_MAX];
// "player", "zako01".."zako16", "chara01".."chara08": the stem of "Bmp\Meka\%s.spr", "Dat\%s.waz"
// and "Dat\%s.cpu".
extern const char* const MekaNameTbl[MEKA_TYPE_MAX];

// The table entry of a mech type, or null outside 0..24 (scripts pass types).
MEKA_TYPE_DATA* MEKA_GetTypeData(int type);
