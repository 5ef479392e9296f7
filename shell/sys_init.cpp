#include "battle/battle.h"
#include "graphics/blit/drw.h"
#include "graphics/display/disp.h"
#include "graphics/font/dbgtext.h"
#include "graphics/font/font.h"
#include "graphics/sprite/spr.h"
#include "shell/input/cur.h"
#include "shell/input/inp.h"
#include "shell/input/key.h"
#include "shell/math.h"
#include "shell/sound/snd.h"
#include "shell/sound/sound.h"
#include "shell/sound/stream.h"
#include "platform/clock.h"
#include "platform/random.h"
#include "screens/screens.h"
#include "script/adv/adv_sprite.h"
#include "shell/common.h"
#include "shell/sys.h"
#include "shell/sys_internal.h"

const SYS_STEP SysInitSteps[] = {
    {"InitCommon", [] { InitCommon(); }},
    {"CheckProcessor", [] { CheckProcessor(); }},
    {"SRand", [] { plat::SRand(plat::GetTimeMs()); }},
    {"SYS_InitSound", SYS_InitSound},
    {"INP_Init", [] { INP_Init(MainWnd, MainInstance); }},
    {"SPR_Init", [] { SPR_Init(); }},
    {"MATH_SetShift", [] { MATH_SetShift(16); }},
    {"CUR_Init", [] { CUR_Init("Bmp\\Cursor\\Cursor.spr", SPR_GetFreeSprGrp()); }},
    {"CUR_SetType", [] { CUR_SetType(0); }},
    {"KEY_Init", [] { KEY_Init(&SysKey, nullptr, nullptr); }},
    {"FONT_Init", [] { FONT_Init(); }},
    {"FONT_LoadFont 0", [] { FONT_LoadFont(0, MakeFilePath("Dat\\Fnt10x10.fnt")); }},
    {"FONT_LoadFont 1", [] { FONT_LoadFont(1, MakeFilePath("Dat\\Fnt14x14.fnt")); }},
    {"DBG_InitText", [] { DBG_InitText("Bmp\\DebugEft.bmp"); }},
    {"SAVE_ScanSlots", SAVE_ScanSlots},
    {"TAMA_LoadData", [] { TAMA_LoadData(); }},
    {"SVV_LoadHistory", [] { SVV_LoadHistory(); }},
    {"SPR_CreateSurf", [] { ScreenWorkSurf = SPR_CreateSurf(640, 480, 0); }},
    {"SPR_GetFreeSpr", [] { ScreenWorkSpr = SPR_GetFreeSpr(); }},
    {"SPR_CreateTSpr", [] { SPR_CreateTSpr(ScreenWorkSpr, 160, 0, 0, ScreenWorkSurf, nullptr); }},
    {"SPR_Hide", [] { SPR_SetTSprView(ScreenWorkSpr, 0); }},  // hidden until a screen shows it
};
const int SysInitStepCount = int(sizeof(SysInitSteps) / sizeof(SysInitSteps[0]));

const SYS_STEP SysReleaseSteps[] = {
    {"TAMA_ClearData", TAMA_ClearData},
    {"DBG_TermText", DBG_TermText},
    {"SPR_Release", SPR_Release},
    {"FONT_Release", FONT_Release},
    {"SYS_ReleaseSurf", [] { SYS_ReleaseSurf(1); }},
    {"SYS_ReleaseSound", SYS_ReleaseSound},
    {"INP_Term", INP_Term},
    {"DISP_Release", DISP_Release},
};
const int SysReleaseStepCount = int(sizeof(SysReleaseSteps) / sizeof(SysReleaseSteps[0]));

namespace {
void RunSteps(const SYS_STEP* steps, int count) {
    for (int i = 0; i < count; ++i) {
        SYS_Trace(steps[i].name);
        steps[i].func();
    }
}
}  // namespace

void SYS_InitGame() { RunSteps(SysInitSteps, SysInitStepCount); }

void SYS_ReleaseGame() { RunSteps(SysReleaseSteps, SysReleaseStepCount); }

void PushSurf() {
    SYS_Trace("PushSurf");
    SPR_PushSurfAll();
}

void PopSurf() {
    SYS_Trace("PopSurf");
    SPR_PopSurfAll();
}

int SYS_InitSurf() {
    SYS_Trace("SYS_InitSurf");
    return SPR_PopSurfAll();
}

void SYS_ReleaseSurf(int noSave) {
    if (!noSave) PushSurf();
    SPR_ReleaseSurfAll();
}

void SYS_InitSound() {
    SND_InitDevice(DispHwnd);
    SND_InitAll();
    BGM_SetVolume(100);
    SE_SetVolume(50);
}

void SYS_ReleaseSound() {
    // A window closed during the opening or a script scene leaves its movie open; its sound must go
    // before the device.
    OP_ReleaseMovie();
    ADV_CloseMovies();
    SND_StreamStop();
    SND_TermAll();
    SND_TermDevice();
}
