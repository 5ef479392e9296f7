// The survival waves: the line-up machine, the wave start, the wave banner, the portrait and the
// game over, run by the battle mode's sub-states 14 to 19.
#pragma once
#include "shell/common.h"  // TIME_DATA
#include "platform/types.h"

constexpr int SVV_SLOT_MAX = 5;
constexpr int SVV_KIND_MAX = 13;
constexpr int SVV_STAGE_MAX = 15;
constexpr int SVV_BANNER_MAX = 8;
constexpr i32 SVV_PERIOD_MAX = 13;

struct SVV_LINEUP_SLOT {
    i32 counter;
    i32 period;  // at most 13
    i32 level[SVV_KIND_MAX];
};

struct SVV_LINEUP {
    i32 limit;        // enemy slot s takes part when s <= limit - stageChange
    i32 stageChange;  // 1 on the last wave of a stage
    i32 stage;        // 0..14, the row of SvvStageTbl
    SVV_LINEUP_SLOT slot[SVV_SLOT_MAX];
};

struct SVV_STAGE {
    i32 mapNo;
    i32 subNo;
    i32 flag;
    i32 x;  // meeting point
    i32 y;
};

struct SVV_BANNER {
    i32 spr;   // -1 none
    i32 glow;  // -1 none
    i32 state;  // 0..4, 99 done
    u32 start;
    i32 counter;
};

extern i32 SvvWave;  // waves cleared in this run
extern SVV_LINEUP SvvLineup;
extern const i32 SvvKindTbl[SVV_KIND_MAX];
extern const SVV_STAGE SvvStageTbl[SVV_STAGE_MAX];
extern const i32 SvvFormationTbl[SVV_SLOT_MAX][SVV_SLOT_MAX][2];  // [n - 1][slot] = (dx, dy)
extern i32 SvvSurf;  // "Bmp\Survival.bmp", -1 none
extern SVV_BANNER SvvBannerTbl[SVV_BANNER_MAX];
extern i32 SvvBannerStep;  // 0 build, 1 run, 99 release
extern i32 SvvPortraitStep;
extern TIME_DATA SvvPortraitTimer;

void SVV_Init();
void SVV_ResetLineup();
// One wave's kinds (5 values, -1 none); the number of slots that took part.
int SVV_StepLineup(i32* kinds);
void SVV_SkipLineup(int n);
void SVV_StartWave();
int SVV_ShowWave();
void SVV_NextWave();
int SVV_ShowPortrait();
int SVV_GameOver();
void SVV_Release();

// ---- the weapon level-up screen (screens/survival/lvup.h) ----
// One step a frame: build, fill, wait, end; the end counts the wave, sets the battle sub-state (18 for
// a portrait, else 15) and returns 1.
int SVV_LevelUp();
