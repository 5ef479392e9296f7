// Panel items, and the help balloon: a 640×33 strip whose three short lines are typed two
// double-byte characters a frame, each fading in before it is baked into the strip, with a pointer
// line toward what it explains. The menus and the panels each have their own balloon.
#pragma once
#include "platform/types.h"

struct IMS_PNL {
    i32 id;       // -1 free
    i32 spr[3];   // picture, highlight overlay, a third; -1 none
    i32 surf[3];  // surface slots in the same order; -1 none
    i32 x;
    i32 y;
    i32 openW;  // the visible part while the panel opens
    i32 openH;
};

int IMS_InitPnl(int count, IMS_PNL* items);
void IMS_DelPnl(IMS_PNL* item);
void IMS_DelPnl2(int count, IMS_PNL* items);

constexpr int HELP_MSG_CHAR_MAX = 16;
constexpr int HELP_MSG_LINES = 3;
constexpr int HELP_MSG_LINE_SIZE = 80;  // 79 bytes and the terminator
constexpr int HELP_MSG_WIDTH = 640;
constexpr int HELP_MSG_HEIGHT = 33;
constexpr int HELP_MSG_STRIP_PRI = 19;
constexpr int HELP_MSG_CHAR_PRI = 18;
constexpr int HELP_MSG_CHAR_SIZE = 12;

struct HELP_MSG_CHAR {
    u8 used;
    i32 surf = -1;
    i32 spr = -1;
    i32 x;  // within the strip
    i32 y;
};

struct HELP_MSG_DATA {
    u8 active;  // text remains to be typed
    i32 surf = -1;
    i32 spr = -1;
    i32 textX;
    i32 tipX;
    i32 tipY;
    i32 endX;
    i32 line;
    i32 chr;  // in double-byte characters
    char str[HELP_MSG_LINES][HELP_MSG_LINE_SIZE];
    i32 width[HELP_MSG_LINES];
    i32 widest;
    HELP_MSG_CHAR chars[HELP_MSG_CHAR_MAX];
};

extern HELP_MSG_DATA MenuHelpMsg;  // the menus' balloon
extern HELP_MSG_DATA ImsHelpMsg;   // the panels' bar

// The menus' balloon.
void MENU_HelpMsg_Init();
void MENU_HelpMsg_Reset();
void MENU_HelpMsg_SetStr(const char* line1, const char* line2, const char* line3);
void MENU_HelpMsg_SetPoint(i32 x, i32 y, i32 dx, i32 dy);
void MENU_HelpMsg_Exec();
void MENU_HelpMsg_Term();
void MENU_HelpMsg_InitChar(int n);
void MENU_HelpMsg_DelChar(int n);

// The panels' bar (set up by IMS_Init, stepped by IMS_Loop; released with all sprites at shut-down).
void MENU_HelpMsg_Init2();
void MENU_HelpMsg_Reset2();
void MENU_HelpMsg_SetStr2(const char* line1, const char* line2, const char* line3);
void MENU_HelpMsg_SetPoint2(i32 x, i32 y, i32 dx, i32 dy);
void MENU_HelpMsg_Exec2();
