#include "battle/battle.h"
#include "graphics/display/disp.h"
#include "platform/clock.h"
#include "platform/random.h"
#include "screens/screens.h"
#include "shell/common.h"
#include "shell/sys.h"
#include "shell/sys_internal.h"

// A step whose module is not linked in yet has no function; the call to put in place is beside it.
const SYS_STEP SysInitSteps[] = {
    {"InitCommon", [] { InitCommon(); }},
    {"CheckProcessor", nullptr},  // wire: CheckProcessor();
    {"SRand", [] { plat::SRand(plat::GetTimeMs()); }},
    {"SYS_InitSound", SYS_InitSound},
    {"INP_Init", nullptr},        // wire: INP_Init(MainWnd, MainInstance);
    {"SPR_Init", nullptr},        // wire: SPR_Init();
    {"MATH_SetShift", nullptr},   // wire: MATH_SetShift(16);
    {"CUR_Init", nullptr},        // wire: CUR_Init("Bmp\\Cursor\\Cursor.spr", SPR_GetFreeSprGrp());
    {"CUR_SetType", nullptr},     // wire: CUR_SetType(0);
    {"KEY_Init", nullptr},        // wire: KEY_Init(&SysKey, nullptr, nullptr);
    {"FONT_Init", nullptr},       // wire: FONT_Init();
    {"FONT_LoadFont 0", nullptr}, // wire: FONT_LoadFont(0, MakeFilePath("Dat\\Fnt10x10.fnt"));
    {"FONT_LoadFont 1", nullptr}, // wire: FONT_LoadFont(1, MakeFilePath("Dat\\Fnt14x14.fnt"));
    {"DBG_InitText", nullptr},    // wire: DBG_InitText("Bmp\\DebugEft.bmp");
    {"SAVE_ScanSlots", SAVE_ScanSlots},
    {"TAMA_LoadData", [] { TAMA_LoadData(); }},
    {"SVV_LoadHistory", [] { SVV_LoadHistory(); }},
    {"SPR_CreateSurf", nullptr},  // wire: ScreenWorkSurf = SPR_CreateSurf(640, 480, 0);
    {"SPR_GetFreeSpr", nullptr},  // wire: ScreenWorkSpr = SPR_GetFreeSpr();
    {"SPR_CreateTSpr", nullptr},  // wire: SPR_CreateTSpr(ScreenWorkSpr, 160, 0, 0, ScreenWorkSurf, nullptr);
    {"SPR_Hide", nullptr},        // wire: clear ScreenWorkSpr's visible flag (hidden until a screen shows it)
};
const int SysInitStepCount = int(sizeof(SysInitSteps) / sizeof(SysInitSteps[0]));

const SYS_STEP SysReleaseSteps[] = {
    {"TAMA_ClearData", TAMA_ClearData},
    {"DBG_TermText", nullptr},  // wire: DBG_TermText();
    {"SPR_Release", nullptr},   // wire: SPR_Release();
    {"FONT_Release", nullptr},  // wire: FONT_Release();
    {"SYS_ReleaseSurf", [] { SYS_ReleaseSurf(1); }},
    {"SYS_ReleaseSound", SYS_ReleaseSound},
    {"INP_Term", nullptr},      // wire: INP_Term();
    {"DISP_Release", DISP_Release},
};
const int SysReleaseStepCount = int(sizeof(SysReleaseSteps) / sizeof(SysReleaseSteps[0]));

namespace {
void RunSteps(const SYS_STEP* steps, int count) {
    for (int i = 0; i < count; ++i) {
        if (!steps[i].func) continue;
        SYS_Trace(steps[i].name);
        steps[i].func();
    }
}
}  // namespace

void SYS_InitGame() { RunSteps(SysInitSteps, SysInitStepCount); }

void SYS_ReleaseGame() { RunSteps(SysReleaseSteps, SysReleaseStepCount); }

void PushSurf() {
    SYS_Trace("PushSurf");
    // wire: SPR_PushSurfAll();
}

void PopSurf() {
    SYS_Trace("PopSurf");
    // wire: SPR_PopSurfAll();
}

int SYS_InitSurf() {
    SYS_Trace("SYS_InitSurf");
    return 1;  // wire: return SPR_PopSurfAll();
}

void SYS_ReleaseSurf(int noSave) {
    if (!noSave) PushSurf();
    // wire: SPR_ReleaseSurfAll();
}

void SYS_InitSound() {
    // wire: SND_InitDevice(DispHwnd);
    // wire: SND_InitAll();
    // wire: BGM_SetVolume(100);
    // wire: SE_SetVolume(50);
}

void SYS_ReleaseSound() {
    // wire: SND_StreamStop();
    // wire: SND_TermAll();
    // wire: SND_TermDevice();
}
