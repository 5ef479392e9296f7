// The opening scene.
#include "screens/op.h"

#include "graphics/blit/drw.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/clock.h"
#include "shell/common.h"
#include "shell/input/cur.h"
#include "shell/input/key.h"
#include "shell/sys.h"

i32 OpStep = 0;
DWWL_DATA* OpMovie = nullptr;
u32 OpFadeStart = 0;
i32 OpLogoStep = 0;
i32 OpLogoSurf = -1;
i32 OpLogoSpr = -1;
u32 OpLogoStart = 0;

namespace {

constexpr u32 kAttrDark = 0x8000;
constexpr u32 kLogoFadeMs = 800;
constexpr u32 kLogoHoldMs = 400;
constexpr u32 kFadeMs = 1000;

// level × (now − start) / duration over the wrapping clock in 64 bits, held to level.
i32 Rate(i32 level, u32 start, u32 duration) {
    TIME_DATA timer{1, duration, start};
    return TIME_GetTimeRate(&timer, level, 1);
}

void SetLogo(u32 attr, i32 level) {
    if (OpLogoSpr < 0) return;
    SPR_SetTSprAttr(OpLogoSpr, attr);
    SPR_SetTSprAttrCnt1(OpLogoSpr, level);
}

void FreeLogo() {
    if (OpLogoSpr >= 0) SPR_DelSpr(OpLogoSpr);
    OpLogoSpr = -1;
    OpLogoSurf = SPR_DelSurfDat2(OpLogoSurf);
}

}  // namespace

void OP_Renew() {
    const u32 now = plat::GetTimeMs();
    switch (OpStep) {
    case 0: OP_InitMovie(); break;
    case 1: OP_Logo(); break;
    case 2: {
        KEY_RenewScreenKey();
        const bool over = DWWL_GetTime(OpMovie) >= DWWL_GetDuration(OpMovie);
        if (over || (ScreenKey.trigger & 16) || (ScreenMouseTrg & 1)) {
            // The last movie picture drawn is what fades out.
            if (plat::Surface* work = SPR_GetSlotSurf(ScreenWorkSurf)) BLT_Copy(work, 0, 0, DispBackBuffer, nullptr, 0);
            DWWL_Stop(OpMovie);
            OpFadeStart = now;
            OpStep = 3;
        }
        break;
    }
    case 3:
        if (u32(now - OpFadeStart) >= kFadeMs) OpStep = 4;
        break;
    case 4: OP_End(); break;
    default: break;
    }
}

void OP_InitMovie() {
    CUR_Show(0);
    KEY_InitScreenKey();
    DWWL_Init();
    OpMovie = DWWL_Open(MakeFilePath("opening.mpg"), DispDevice);
    DWWL_SetPos(OpMovie, 0, 0);
    DWWL_SetSize(OpMovie, 640, 480);
    OpStep = 1;
}

void OP_Logo() {
    const u32 now = plat::GetTimeMs();
    const u32 elapsed = now - OpLogoStart;
    switch (OpLogoStep) {
    case 0:
        OpLogoSurf = SPR_LoadSurf(MakeFilePath("bmp\\etc\\logo.bmp"), 0);
        OpLogoSpr = OpLogoSurf >= 0 ? SPR_GetFreeSpr() : -1;
        if (OpLogoSpr >= 0 && !SPR_CreateTSpr(OpLogoSpr, 0, 40, 136, OpLogoSurf, nullptr)) OpLogoSpr = -1;
        SetLogo(kAttrDark, 0);
        OpLogoStart = now;
        OpLogoStep = 1;
        [[fallthrough]];
    case 1:
        if (u32(now - OpLogoStart) >= kLogoFadeMs) {
            OpLogoStart = now;
            SetLogo(0, 0);
            OpLogoStep = 2;
        } else {
            SetLogo(kAttrDark, Rate(32, OpLogoStart, kLogoFadeMs));
        }
        break;
    case 2:
        if (elapsed > kLogoHoldMs) {
            OpLogoStart = now;
            SetLogo(kAttrDark, 32);
            OpLogoStep = 3;
        }
        break;
    case 3:
        if (elapsed >= kLogoFadeMs) {
            OpStep = 2;
            OpLogoStart = u32(-1);
            OpLogoStep = 0;
            FreeLogo();
            DWWL_Play(OpMovie);
        } else {
            SetLogo(kAttrDark, 32 - Rate(32, OpLogoStart, kLogoFadeMs));
        }
        break;
    default: break;
    }
}

void OP_ReleaseMovie() {
    if (OpMovie) {
        DWWL_Close(&OpMovie);
        DWWL_Term();
    }
    FreeLogo();
    OpLogoStep = 0;
    OpStep = 0;
}

void OP_End() {
    OP_ReleaseMovie();
    SYS_SetSeq(2);
}

void OP_Draw() {
    if (!OpMovie) return;
    i32 x = 0, y = 0, w = 0, h = 0;
    DWWL_GetPos(OpMovie, &x, &y);
    DWWL_GetSize(OpMovie, &w, &h);
    // The bands around the movie (left, right, above, below), held to the screen.
    auto clampX = [](i64 v) { return i32(v < 0 ? 0 : v > 640 ? 640 : v); };
    auto clampY = [](i64 v) { return i32(v < 0 ? 0 : v > 480 ? 480 : v); };
    const i32 left = clampX(x), right = clampX(i64(x) + w), top = clampY(y), bottom = clampY(i64(y) + h);
    const RECT bands[4] = {{0, top, left, bottom}, {right, top, 640, bottom}, {0, 0, 640, top}, {0, bottom, 640, 480}};
    for (const RECT& b : bands)
        if (b.right > b.left && b.bottom > b.top) SURF_Fill(DispBackBuffer, &b, 0);
    switch (OpStep) {
    case 1: SURF_Fill(DispBackBuffer, nullptr, 0); break;
    case 2: DWWL_Draw(OpMovie, DispBackBuffer); break;
    case 3:
        if (plat::Surface* work = SPR_GetSlotSurf(ScreenWorkSurf))
            DWW_FadeInBlack(DispBackBuffer, 0, 0, work, nullptr, 32 - Rate(32, OpFadeStart, kFadeMs), 0x10000);
        break;
    default: break;
    }
    SPR_DrawAllSpr(-1);
    DISP_Flip();
}
