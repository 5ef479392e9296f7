// The ranking screen: the table slides in, the finished run makes its way in (mode 0) or the table
// is only shown (mode 1), the table slides out under a darkening, and after an entry the history is
// stored and saved and the closing picture fades in and out.
#include "screens/ranking/his.h"

#include "battle/btl_draw.h"
#include "graphics/blit/blt.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/font/dbgtext.h"
#include "graphics/font/font.h"
#include "graphics/sprite/spr.h"
#include "platform/clock.h"
#include "shell/input/cur.h"
#include "shell/input/key.h"
#include "shell/sound/sound.h"
#include "shell/sys.h"

HIS_STATE HisState{0, 0, 0, 0, 0, 0, -1, -1, -1, {}, {}, {}, {}, {}};

namespace {

constexpr int kRowW = 320;
constexpr int kRowH = 32;
constexpr int kRowPri = 33;
constexpr u32 kAttrAlpha = 64;
constexpr int kRowCount = HIS_ENTRY_MAX + 1;
constexpr int kNewRow = HIS_ENTRY_MAX;

HIS_STATE& S = HisState;

i32 RowY(int i) { return 40 * i + 64; }

plat::Surface* Slot(int slot) { return slot >= 0 ? SPR_GetSlotSurf(slot) : nullptr; }

void MoveRow(int i, i32 x, i32 y) {
    HIS_ROW& r = S.row[i];
    r.x = x;
    r.y = y;
    if (r.sprite >= 0) SPR_SetTSprPos(r.sprite, x, y);
}

void FreeRows() {
    for (HIS_ROW& r : S.row) {
        r.sprite = SPR_DelTSprDat2(r.sprite);
        r.surface = SPR_DelSurfDat2(r.surface);
        r.sprite2 = SPR_DelTSprDat2(r.sprite2);
        HIS_TimerStop(&r.timer);
        HIS_TimerStop(&r.timer2);
    }
}

void StopRowTimers() {
    for (HIS_ROW& r : S.row) HIS_TimerStop(&r.timer);
}

// The slide-in shared by both modes; true once row 9 stands at x 320.
bool SlideIn() {
    const int reached = HIS_GetTimeRate(&S.t1, HIS_ENTRY_MAX - 1);
    for (int i = 0; i <= reached; ++i) {
        HIS_ROW& r = S.row[i];
        if (!r.timer.active) HIS_TimerStart(&r.timer, 300);
        MoveRow(i, HIS_GetTimeRate(&r.timer, 640) - 320, r.y);
    }
    return S.row[HIS_ENTRY_MAX - 1].x == 320;
}

void BuildRows() {
    for (int i = 0; i < HIS_ENTRY_MAX; ++i) HIS_DrawRow(i, -320, RowY(i), i);
    HIS_TimerStart(&S.t1, 800);
}

// The slide-out with the darkening; true once row 0 stands at -320 and the darkening is full.
bool SlideOut() {
    const int dark = HIS_GetTimeRate(&S.t3, 30);
    SPR_SetTSprAttr(ScreenWorkSpr, 0x8000);
    SPR_SetTSprAttrCnt1(ScreenWorkSpr, 30 - dark);
    const int last = kRowCount - 1 - (HIS_GetTimeRate(&S.t1, HIS_ENTRY_MAX - 1) + 1);
    for (int i = kRowCount - 1; i >= last && i >= 0; --i) {
        HIS_ROW& r = S.row[i];
        if (!r.timer.active) HIS_TimerStart(&r.timer, 300);
        MoveRow(i, 320 - HIS_GetTimeRate(&r.timer, 640), r.y);
    }
    const int fade = HIS_GetTimeRate(&S.t3, 48);
    for (int i = 0; i < kRowCount; ++i)
        if (S.row[i].sprite >= 0) SPR_SetTSprAttrCnt1(S.row[i].sprite, 48 - 3 * i - fade);
    return S.row[0].x == -320 && dark == 30;
}

bool Decided() {
    KEY_RenewScreenKey();
    return (ScreenKey.trigger & 16) || (ScreenMouseTrg & 1);
}

// The table waits for decide or a click, then stops its timers and gives the pointer its plain shape.
bool TakeDecide() {
    if (!Decided()) return false;
    CUR_SetType(0);
    HIS_TimerStop(&S.t1);
    HIS_TimerStop(&S.t3);
    return true;
}

void StartDarkening() {
    StopRowTimers();
    HIS_TimerStop(&S.t1);
    HIS_TimerStart(&S.t1, 800);
    HIS_TimerStart(&S.t3, 1000);
}

}  // namespace

// ---- tweens ----

void HIS_TimerStop(TIME_DATA* timer) { timer->active = 0; }
void HIS_TimerStart(TIME_DATA* timer, u32 duration) { TIME_Start(timer, duration); }
int HIS_GetTimeRate(TIME_DATA* timer, int target) { return TIME_GetTimeRate(timer, target, 1); }
int HIS_GetTimeRate2(TIME_DATA* timer, int target) { return TIME_GetTimeRate2(timer, target, 1); }

// ---- the screen ----

void HIS_SetMode(int mode) { S.requestedMode = mode; }

int HIS_Loop() {
    switch (S.phase) {
    case 0: HIS_Init(); break;
    case 1: HIS_Run(); break;
    case 2: HIS_Term(); return 1;
    default: break;
    }
    return 0;
}

void HIS_Draw() {
    SPR_DrawAllSpr(-1);
    DISP_Flip();
}

void HIS_Init() {
    KEY_InitScreenKey();
    CUR_Show(1);
    CUR_SetType(0);
    S.mode = S.requestedMode;
    S.entryStep = S.viewStep = 0;
    S.rankingSurf = SPR_LoadSurf(MakeFilePath("Bmp\\etc\\Ranking.bmp"), 0);
    S.closingSurf = SPR_LoadSurf(MakeFilePath("Bmp\\etc\\etc_t01.bmp"), 0);
    S.closingSpr = -1;
    if (S.rankingSurf >= 0) TXT_SetNumStrip(0, &SurfTbl[S.rankingSurf].surface, 0, 0, 56, 16, 16);
    for (HIS_ROW& r : S.row) {
        r = HIS_ROW{};
        r.surface = r.sprite = r.sprite2 = -1;
    }
    for (TIME_DATA* t : {&S.t1, &S.t2, &S.t3, &S.t4}) HIS_TimerStop(t);
    plat::Surface* work = Slot(ScreenWorkSurf);
    if (work) SURF_Fill(work, nullptr, 0);
    if (S.mode == 0) {
        CUR_Show(0);
        if (work) {
            SPR_SetDrawSurf(&SurfTbl[ScreenWorkSurf].surface);
            BTL_DrawWorld(0, 0);
            SPR_SetDrawSurf(&DispBackBuffer);
            BLT_Tint(work, nullptr, 0, 0, 100, 10);
        }
        SPR_SetViewAll(0);
        SPR_SetAnimeAll(0);
        CUR_Show(1);
        const plat::LocalTime now = plat::GetLocalTime();
        const int fields[8] = {now.year, now.month, now.weekday, now.day, now.hour, now.minute, now.second,
                               now.millisecond};
        for (int f = 0; f < 8; ++f) HisData.entry[kNewRow].time[f] = u16(fields[f]);
    } else {
        const int back = SPR_LoadSurf(MakeFilePath("bmp\\etc\\ttt.bmp"), 0);
        if (work && back >= 0) BLT_Copy(work, 0, 0, Slot(back), nullptr, 0);
        SPR_DelSurfDat2(back);
    }
    SPR_SetTSprView(ScreenWorkSpr, 1);
    if (work && S.rankingSurf >= 0) {
        const RECT frame{0, 112, 208, 240}, caption{216, 208, 506, 242};
        BLT_Alpha50(work, 32, 300, Slot(S.rankingSurf), &frame, 0, 0);
        BLT_Copy(work, 8, 440, Slot(S.rankingSurf), &caption, 1);
    }
    S.phase = 1;
}

void HIS_Run() {
    if (S.mode == 0)
        HIS_Entry();
    else
        HIS_View();
}

void HIS_Term() {
    S.rankingSurf = SPR_DelSurfDat2(S.rankingSurf);
    S.closingSurf = SPR_DelSurfDat2(S.closingSurf);
    S.phase = 0;
    if (S.mode == 0) {
        SPR_RestoreViewAll();
        SPR_RestoreAnimeAll();
    }
    SPR_SetTSprView(ScreenWorkSpr, 0);
    if (plat::Surface* work = Slot(ScreenWorkSurf)) SURF_Fill(work, nullptr, 0);
    SPR_SetTSprAttr(ScreenWorkSpr, 0);
    if (S.mode == 1) SYS_SetSeq(2);
}

void HIS_DrawRow(int row, int x, int y, int n) {
    HIS_ROW& r = S.row[row];
    r.x = x;
    r.y = y;
    r.surface = SPR_CreateSurf(kRowW, kRowH, 0);
    plat::Surface* s = Slot(r.surface);
    if (!s) {
        r.surface = -1;
        return;
    }
    SURF_Fill(s, nullptr, 0);
    r.sprite = SPR_GetFreeSpr();
    if (r.sprite < 0 || !SPR_CreateTSpr(r.sprite, kRowPri, x, y, r.surface, nullptr)) {
        r.sprite = -1;
    } else {
        SPR_SetTSprAttr(r.sprite, kAttrAlpha);
        SPR_SetTSprAttrCnt1(r.sprite, 32);
    }
    const HIS_ENTRY& e = HisData.entry[n];
    plat::Surface* pic = Slot(S.rankingSurf);
    const RECT plate{216, 120, 536, 152}, label{488, 0, 552, 24};
    if (pic) BLT_Copy(s, 0, 0, pic, &plate, 1);
    DBG_DrawText(s, 17, 3, "DATE:%04d/%02d/%02d TIME:%02d:%02d:%02d", e.time[0], e.time[1], e.time[3], e.time[4],
                 e.time[5], e.time[6]);
    // The label lies over the end of the time.
    if (pic) BLT_Copy(s, 144, 7, pic, &label, 1);
    TXT_DrawNum(s, 256, 6, 0, e.waves, 3, 0, -1, 1, 1);
}

void HIS_SwapRow(int a, int b) {
    const HIS_ROW t = S.row[a];
    S.row[a] = S.row[b];
    S.row[b] = t;
}

void HIS_Entry() {
    HIS_ROW& fresh = S.row[kNewRow];
    switch (S.entryStep) {
    case 0:
        BuildRows();
        S.entryStep = 1;
        [[fallthrough]];
    case 1:
        if (!SlideIn()) break;
        StopRowTimers();
        S.place = HIS_GetEntryPlace(&HisData);
        if (S.place >= HIS_ENTRY_MAX) {
            HIS_DrawRow(kNewRow, 0, 64, kNewRow);
            HIS_TimerStart(&S.t3, 800);
            S.entryStep = 99;
        } else {
            HIS_DrawRow(kNewRow, 0, RowY(S.place), kNewRow);
            S.entryStep = 2;
        }
        break;
    case 2: {
        const int p = S.place;
        for (int i = p; i < HIS_ENTRY_MAX; ++i) {
            HIS_ROW& r = S.row[i];
            if (!r.timer.active) HIS_TimerStart(&r.timer, u32((10 - p) * 150 - (i - p) * 140));
            MoveRow(i, r.x, RowY(i) + HIS_GetTimeRate(&r.timer, i == HIS_ENTRY_MAX - 1 ? 80 : 40));
        }
        if (S.row[p].y >= RowY(p) + 40) {
            HIS_TimerStop(&S.t1);
            HIS_TimerStop(&S.t2);
            HIS_TimerStart(&S.t1, 300);
            S.entryStep = 3;
        }
        break;
    }
    case 3:
        if (HIS_GetTimeRate2(&S.t1, 500) < 300) break;
        if (!S.t2.active) {
            HIS_TimerStart(&S.t2, 300);
            SE_Play(42, 0);
        }
        MoveRow(kNewRow, HIS_GetTimeRate2(&S.t2, 320), fresh.y);
        if (fresh.x >= 320) {
            HIS_TimerStop(&S.t2);
            S.entryStep = 4;
        }
        break;
    case 4:
        if (TakeDecide()) S.entryStep = 5;
        break;
    case 5:
        if (S.t3.active && HIS_GetTimeRate2(&S.t3, 800) < 800) break;
        StartDarkening();
        for (int i = HIS_ENTRY_MAX - 1; i >= S.place && i < HIS_ENTRY_MAX; --i) HIS_SwapRow(i, i + 1);
        S.entryStep = 6;
        break;
    case 6:
        if (SlideOut()) S.entryStep = 7;
        break;
    case 7:
        HIS_StoreEntry(&HisData);
        FreeRows();
        SVV_SaveHistory();
        S.closingSpr = S.closingSurf >= 0 ? SPR_GetFreeSpr() : -1;
        if (S.closingSpr >= 0 && SPR_CreateTSpr(S.closingSpr, kRowPri, 0, 0, S.closingSurf, nullptr)) {
            SPR_SetTSprAttr(S.closingSpr, kAttrAlpha);
            SPR_SetTSprAttrCnt1(S.closingSpr, 0);
        } else {
            S.closingSpr = -1;
        }
        HIS_TimerStart(&S.t4, 800);
        S.entryStep = 8;
        [[fallthrough]];
    case 8: {
        const int level = HIS_GetTimeRate(&S.t4, 30);
        if (S.closingSpr >= 0) SPR_SetTSprAttrCnt1(S.closingSpr, level);
        if (level >= 30) {
            HIS_TimerStop(&S.t4);
            S.entryStep = 9;
        }
        break;
    }
    case 9:
        if (!Decided()) break;
        HIS_TimerStart(&S.t4, 800);
        S.entryStep = 10;
        break;
    case 10: {
        const int rate = HIS_GetTimeRate(&S.t4, 30);
        if (S.closingSpr >= 0) SPR_SetTSprAttrCnt1(S.closingSpr, 30 - rate);
        if (rate < 30) break;
        HIS_TimerStop(&S.t4);
        S.closingSpr = SPR_DelTSprDat2(S.closingSpr);
        S.entryStep = 0;
        S.phase = 2;
        break;
    }
    case 99:
        if (HIS_GetTimeRate2(&S.t3, 800) < 800) break;
        if (!S.t2.active) HIS_TimerStart(&S.t2, 600);
        MoveRow(kNewRow, fresh.x, HIS_GetTimeRate2(&S.t2, 416) + 64);
        if (fresh.y >= 480) {
            HIS_TimerStop(&S.t1);
            HIS_TimerStop(&S.t3);
            HIS_TimerStop(&S.t2);
            S.entryStep = 4;
        }
        break;
    default: break;
    }
}

void HIS_View() {
    switch (S.viewStep) {
    case 0:
        BuildRows();
        S.viewStep = 1;
        [[fallthrough]];
    case 1:
        if (!SlideIn()) break;
        StopRowTimers();
        S.viewStep = 4;
        break;
    case 4:
        if (TakeDecide()) S.viewStep = 5;
        break;
    case 5:
        if (S.t3.active && HIS_GetTimeRate2(&S.t3, 800) < 800) break;
        StartDarkening();
        S.viewStep = 6;
        [[fallthrough]];
    case 6:
        if (SlideOut()) S.viewStep = 7;
        break;
    case 7:
        FreeRows();
        S.viewStep = 0;
        S.phase = 2;
        break;
    default: break;
    }
}
