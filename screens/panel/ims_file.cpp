#include "screens/panel/ims_file.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/font/font.h"
#include "graphics/sprite/spr.h"
#include "platform/clock.h"
#include "platform/encoding.h"
#include "screens/panel/ims.h"
#include "shell/common.h"
#include "shell/input/inp.h"
#include "shell/input/key.h"
#include "shell/sound/sound.h"

IMS_PNL ImsFilePnl[IMS_FILE_ITEMS];
POINT ImsFilePos;
i32 ImsFileCursor;
i32 ImsFileCursorOld;
i32 ImsFileSurf = -1;

IMS_PNL ImsFileSavePnl[IMS_FILE_SAVE_ITEMS];
POINT ImsFileSavePos;
i32 ImsFileSaveCursor;
i32 ImsFileSaveCursorOld;
i32 ImsFileSaveSurf = -1;

IMS_PNL ImsYesNoPnl[IMS_YESNO_ITEMS];
POINT ImsYesNoPos;
i32 ImsYesNoCursor;
i32 ImsYesNoCursorOld;
i32 ImsYesNoSurf = -1;
IMS_YESNO_FUNC ImsYesFunc;
IMS_YESNO_FUNC ImsNoFunc;

namespace {

constexpr const char* kMainMenuBmp = "Bmp\\MainMenu.bmp";

constexpr i32 kEntryW = 96;
constexpr i32 kEntryH = 32;
constexpr i32 kEntryStepW = 24;
constexpr i32 kEntryStepH = 18;
constexpr int kEntryPri = 5;

constexpr i32 kLineW = 256;
constexpr i32 kLineH = 14;  // picture height; lines stand 16 apart
constexpr i32 kLinePitch = 16;
constexpr i32 kLineStepW = 32;
constexpr i32 kLineStepH = 8;
constexpr int kSaveOpenLines = 12;  // the last " v " does not open
constexpr int kSaveSlots = 10;
constexpr int kSavePri = 4;
constexpr int kSaveOverlayPri = 3;
constexpr int kYesNoLines = 2;
constexpr int kYesNoPri = 2;
constexpr int kYesNoOverlayPri = 1;

constexpr i32 kOpenLag = 8;  // item i starts its opening 8 × i behind

constexpr u16 kKeyDecide = 16;
constexpr u16 kKeyCancel = 32;
constexpr u32 kMouseLeft = 1;
constexpr u32 kMouseRight = 2;

constexpr int kSeMove = 46;
constexpr int kSeCancel = 48;
constexpr int kSeOpen = 49;

constexpr u32 kAttrHalf = 4;
constexpr u32 kAttrAdd = 8;

constexpr const char* kHelpUtf8[IMS_FILE_ITEMS] = {
    "データをセーブします。",
    "データをロードします。",
    "データを削除します。",
    "ファイルメニューを終了します。",
};

bool Decided() { return (ScreenKey.trigger & kKeyDecide) || (ScreenMouseTrg & kMouseLeft); }
bool Cancelled() { return (ScreenKey.trigger & kKeyCancel) || (ScreenMouseTrg & kMouseRight); }

void MoveCursor(i32* cursor, int count) {
    if (ScreenKey.trigger & KEY_UP) *cursor = *cursor == 0 ? count - 1 : *cursor - 1;
    if (ScreenKey.trigger & KEY_DOWN) *cursor = *cursor == count - 1 ? 0 : *cursor + 1;
}

// Cursor c stands for items[first + c]. The mouse on an item takes the cursor, unless the keys
// have just moved it: then the mouse is pulled onto the new item.
void TakeMouse(const IMS_PNL* items, int first, int count, i32 w, i32 h, i32* cursor, i32 old) {
    int hit = -1;
    for (int i = 0; i < count; ++i) {
        const IMS_PNL& p = items[first + i];
        if (ScreenMouseX >= p.x && ScreenMouseX < p.x + w && ScreenMouseY >= p.y && ScreenMouseY < p.y + h) hit = i;
    }
    if (hit < 0) return;
    if (*cursor != old) {
        const IMS_PNL& p = items[first + *cursor];
        INP_SetMousePos(p.x + 4, p.y + 4);
    } else {
        *cursor = hit;
    }
}

// An item whose opening size is not yet positive shows nothing.
void SetOpenRect(const IMS_PNL& p, int k, i32 sx, i32 sy) {
    SPR_SetTSprRect(p.spr[k], sx, sy, std::max(p.openW, 0), std::max(p.openH, 0));
}

// Grows the items in order; the walk goes on past an item only once it has its full height.
// True when the last item has its full size.
template <typename SetRects>
bool Open(IMS_PNL* items, int count, i32 stepW, i32 fullW, i32 stepH, i32 fullH, SetRects setRects) {
    for (int i = 0; i < count; ++i) {
        IMS_PNL& p = items[i];
        p.openW = std::min(p.openW + stepW, fullW);
        p.openH = std::min(p.openH + stepH, fullH);
        setRects(i, p);
        if (p.openH < fullH) break;
    }
    return items[count - 1].openW == fullW && items[count - 1].openH == fullH;
}

int NewTSpr(int priority, i32 x, i32 y, int surf, const RECT& src) {
    const int s = SPR_GetFreeSpr();
    return SPR_CreateTSpr(s, priority, x, y, surf, &src) ? s : -1;
}

int LineSurf(const char* text, u16 fill, u16 top, u16 bottom) {
    const int slot = SPR_CreateSurf(kLineW, kLineH, 0);
    plat::Surface* s = SPR_GetSlotSurf(slot);
    if (!s) return -1;
    SURF_Fill(s, nullptr, fill);
    FONT_SetFont(0, 4, 0);
    FONT_SetColor(top, bottom, 0);
    TXT_DrawText(s, 8, 2, "%s", text);
    return slot;
}

// A text line: its picture and its hidden highlight overlay.
void BuildLine(IMS_PNL& p, i32 x, i32 y, const char* text, int pri, int overlayPri, bool full) {
    p.x = x;
    p.y = y;
    const u16 white = DISP_PackRGB(255, 255, 255);
    p.surf[0] = LineSurf(text, DISP_PackRGB(32, 32, 32), white, white);
    p.surf[1] = LineSurf(text, 0, DISP_PackRGB(255, 0, 0), DISP_PackRGB(128, 0, 0));
    const RECT src = full ? RECT{0, 0, kLineW, kLineH} : RECT{0, 0, 0, 0};
    p.spr[0] = NewTSpr(pri, x, y, p.surf[0], src);
    p.spr[1] = NewTSpr(overlayPri, x, y, p.surf[1], src);
    SPR_SetTSprView(p.spr[1], 0);
}

void SwapLineOverlay(IMS_PNL* items, int oldLine, int newLine) {
    SPR_SetTSprView(items[oldLine].spr[1], 0);
    SPR_SetTSprView(items[newLine].spr[1], 1);
}

// ---- file ----

void FileBuild() {
    IMS_InitPnl(IMS_FILE_ITEMS, ImsFilePnl);
    ImsFilePos = POINT{64, 32};
    ImsFileCursor = ImsFileCursorOld = 0;
    ImsFileSurf = SPR_LoadSurf(MakeFilePath("%s", kMainMenuBmp), 0);
    if (ImsFileSurf < 0) DebugMsg("IMS_FILE: %s is missing", kMainMenuBmp);
    for (int i = 0; i < IMS_FILE_ITEMS; ++i) {
        IMS_PNL& p = ImsFilePnl[i];
        p.x = ImsFilePos.x;
        p.y = ImsFilePos.y + kEntryH * i;
        p.openW = -kOpenLag * i;
        const RECT empty{0, kEntryH * i, 0, kEntryH * i};
        const RECT emptyOverlay{kEntryW, kEntryH * i, kEntryW, kEntryH * i};
        p.spr[0] = NewTSpr(kEntryPri, p.x, p.y, ImsFileSurf, empty);
        p.spr[1] = NewTSpr(kEntryPri, p.x, p.y, ImsFileSurf, emptyOverlay);
        SPR_SetTSprAttr(p.spr[1], kAttrHalf);
    }
}

bool FileOpen() {
    return Open(ImsFilePnl, IMS_FILE_ITEMS, kEntryStepW, kEntryW, kEntryStepH, kEntryH, [](int i, const IMS_PNL& p) {
        SetOpenRect(p, 0, 0, kEntryH * i);
        SetOpenRect(p, 1, kEntryW, kEntryH * i);
    });
}

i32 FileInput(u32 focus) {
    if (!(focus & IMS_FOCUS)) return 0;
    ImsFileCursorOld = ImsFileCursor;
    MoveCursor(&ImsFileCursor, IMS_FILE_ITEMS);
    TakeMouse(ImsFilePnl, 0, IMS_FILE_ITEMS, kEntryW, kEntryH, &ImsFileCursor, ImsFileCursorOld);
    if (ImsFileCursor != ImsFileCursorOld) {
        MENU_HelpMsg_Reset2();
        SPR_SetTSprAttr(ImsFilePnl[ImsFileCursorOld].spr[1], kAttrHalf);
        SPR_SetTSprAttr(ImsFilePnl[ImsFileCursor].spr[1], kAttrAdd);
    }
    // Every entry opens the save list; the entries named by the other help lines have no actions.
    if (Decided()) {
        MENU_HelpMsg_Reset2();
        IMS_FILE_SAVE_Create(ImsFilePos.x + kEntryW, ImsFilePos.y + kEntryH * ImsFileCursor + kEntryH);
    }
    if (Cancelled()) {
        MENU_HelpMsg_Reset2();
        MENU_HelpMsg_SetStr2("", "", IMS_FILE_GetHelpStr(ImsFileCursor));
        MENU_HelpMsg_SetPoint2(ImsFilePos.x + 88, ImsFilePos.y + kEntryH * (ImsFileCursor + 1) - 8, 40, -10);
    }
    return 0;
}

// ---- save slots ----

void SaveBuild() {
    IMS_InitPnl(IMS_FILE_SAVE_ITEMS, ImsFileSavePnl);
    ImsFileSaveCursor = ImsFileSaveCursorOld = 0;
    // Its own use of the picture, so that closing the list never frees the file entries'.
    ImsFileSaveSurf = SPR_LoadSurf(MakeFilePath("%s", kMainMenuBmp), 0);
    for (int i = 0; i < IMS_FILE_SAVE_LINES; ++i) {
        char text[80];
        if (i == 0) {
            std::snprintf(text, sizeof text, " ^ ");
        } else if (i <= kSaveSlots) {
            const plat::LocalTime t = plat::GetLocalTime();
            std::snprintf(text, sizeof text, "No.%02x: %10s    %04d/%02d/%02d   %02d:%02d:%02d", i - 1, "TOVELA", t.year,
                          t.month, t.day, t.hour, t.minute, t.second);
        } else {
            std::snprintf(text, sizeof text, " v ");
        }
        IMS_PNL& p = ImsFileSavePnl[i];
        BuildLine(p, ImsFileSavePos.x, ImsFileSavePos.y + kLinePitch * i, text, kSavePri, kSaveOverlayPri, false);
        p.openW = -kOpenLag * i;
    }
}

bool SaveOpen() {
    return Open(ImsFileSavePnl, kSaveOpenLines, kLineStepW, kLineW, kLineStepH, kLineH, [](int, const IMS_PNL& p) {
        SetOpenRect(p, 0, 0, 0);
        SetOpenRect(p, 1, 0, 0);
    });
}

void YesAction() { plat::SleepMs(1); }
void NoAction() { plat::SleepMs(1); }

// 2 asks to close.
i32 SaveInput(u32 focus) {
    if (!(focus & IMS_FOCUS)) return 1;
    ImsFileSaveCursorOld = ImsFileSaveCursor;
    MoveCursor(&ImsFileSaveCursor, kSaveSlots);
    TakeMouse(ImsFileSavePnl, 1, kSaveSlots, kLineW, kLinePitch, &ImsFileSaveCursor, ImsFileSaveCursorOld);
    if (ImsFileSaveCursor != ImsFileSaveCursorOld) {
        MENU_HelpMsg_Reset2();
        SwapLineOverlay(ImsFileSavePnl, ImsFileSaveCursorOld + 1, ImsFileSaveCursor + 1);
        SE_Play(kSeMove, 0);
    }
    if (Decided()) {
        IMS_YESNO_SetFunc(YesAction, NoAction);
        IMS_YesNo("file", 352, 80);
    }
    if (Cancelled()) {
        SE_Play(kSeCancel, 0);
        return 2;
    }
    return 1;
}

// ---- yes / no ----

void YesNoBuild() {
    IMS_InitPnl(IMS_YESNO_ITEMS, ImsYesNoPnl);
    ImsYesNoCursor = ImsYesNoCursorOld = 0;
    ImsYesNoSurf = -1;
    const char* texts[kYesNoLines] = {"YES", "NO"};
    for (int i = 0; i < kYesNoLines; ++i)
        BuildLine(ImsYesNoPnl[i], ImsYesNoPos.x, ImsYesNoPos.y + kLinePitch * i, texts[i], kYesNoPri, kYesNoOverlayPri,
                  true);
}

i32 YesNoInput(u32 focus) {
    if (!(focus & IMS_FOCUS)) return 1;
    ImsYesNoCursorOld = ImsYesNoCursor;
    MoveCursor(&ImsYesNoCursor, kYesNoLines);
    TakeMouse(ImsYesNoPnl, 0, kYesNoLines, kLineW, kLinePitch, &ImsYesNoCursor, ImsYesNoCursorOld);
    if (ImsYesNoCursor != ImsYesNoCursorOld) {
        MENU_HelpMsg_Reset2();
        SwapLineOverlay(ImsYesNoPnl, ImsYesNoCursorOld, ImsYesNoCursor);
        SE_Play(kSeMove, 0);
    }
    if (Decided()) {
        IMS_YESNO_FUNC action = ImsYesNoCursor == 0 ? ImsYesFunc : ImsNoFunc;
        if (action) action();
    }
    if (Cancelled()) {
        SE_Play(kSeCancel, 0);
        return 2;
    }
    return 1;
}

}  // namespace

const char* IMS_FILE_GetHelpStr(int entry) {
    static std::string drawn[IMS_FILE_ITEMS];
    static bool converted = false;
    if (!converted) {
        for (int i = 0; i < IMS_FILE_ITEMS; ++i) drawn[i] = plat::Utf8ToDrawnText(kHelpUtf8[i]);
        converted = true;
    }
    return entry >= 0 && entry < IMS_FILE_ITEMS ? drawn[entry].c_str() : "";
}

void IMS_FILE_Create() {
    if (IMS_Create("file", ims_file_key)) IMS_Start("file");
}

i32 ims_file_key(i32 msg, u32 focus) {
    switch (msg) {
    case IMS_MSG_CREATE:
        FileBuild();
        return IMS_MSG_OPEN;
    case IMS_MSG_OPEN:
        return FileOpen() ? IMS_MSG_ACTIVE : IMS_MSG_OPEN;
    case IMS_MSG_ACTIVE:
        FileInput(focus);  // never asks to close
        return IMS_MSG_ACTIVE;
    default:
        return msg;
    }
}

void IMS_FILE_SAVE_Create(i32 x, i32 y) {
    ImsFileSavePos = POINT{x, y};
    IMS_CreateChild("file", "file_save", FileSavePnl);
    IMS_Start("file");
}

i32 FileSavePnl(i32 msg, u32 focus) {
    switch (msg) {
    case IMS_MSG_CREATE:
        SaveBuild();
        SE_Play(kSeOpen, 0);
        return IMS_MSG_OPEN;
    case IMS_MSG_OPEN:
        return SaveOpen() ? IMS_MSG_ACTIVE : IMS_MSG_OPEN;
    case IMS_MSG_ACTIVE:
        return SaveInput(focus) == 2 ? IMS_MSG_CLOSE : IMS_MSG_ACTIVE;
    case IMS_MSG_CLOSE:
        ImsFileSaveSurf = SPR_DelSurfDat2(ImsFileSaveSurf);
        ImsFileSaveCursor = 0;
        IMS_DelPnl2(IMS_FILE_SAVE_ITEMS, ImsFileSavePnl);
        return IMS_MSG_GONE;
    default:
        return msg;
    }
}

void IMS_YESNO_SetFunc(IMS_YESNO_FUNC yes, IMS_YESNO_FUNC no) {
    ImsYesFunc = yes;
    ImsNoFunc = no;
}

void IMS_YesNo(const char* parent, i32 x, i32 y) {
    ImsYesNoPos = POINT{x, y};
    if (parent)
        IMS_CreateChild(parent, "yesno", YesNoPnl);
    else
        IMS_Create("yesno", YesNoPnl);
    IMS_Start("yesno");
}

i32 YesNoPnl(i32 msg, u32 focus) {
    switch (msg) {
    case IMS_MSG_CREATE:
        YesNoBuild();
        SE_Play(kSeOpen, 0);
        return IMS_MSG_OPEN;
    case IMS_MSG_OPEN:
        return IMS_MSG_ACTIVE;
    case IMS_MSG_ACTIVE:
        return YesNoInput(focus) == 2 ? IMS_MSG_CLOSE : IMS_MSG_ACTIVE;
    case IMS_MSG_CLOSE:
        IMS_DelPnl2(IMS_YESNO_ITEMS, ImsYesNoPnl);
        ImsYesNoCursor = 0;
        return IMS_MSG_GONE;
    default:
        return msg;
    }
}
