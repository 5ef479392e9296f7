// The title: an animated intro builds the title picture, a four-entry main menu (battle, ranking,
// tutorials, quit) waits, the tutorials entry opens a submenu of five scripted scenes, and an idle
// menu or the quit entry ends through the closing picture.
#pragma once
#include "platform/types.h"

constexpr int TITLE_ELEM_MAX = 29;
constexpr int TITLE_MENU_MAX = 4;
constexpr int TITLE_SUBMENU_MAX = 5;
constexpr u32 TITLE_IDLE_MS = 41874;  // in the main menu longer than this: back to the opening

// Element slots: six singles, the menu's plates and lines, the submenu's plates and lines, then the
// two logo pieces and the closing picture.
constexpr int TITLE_ELEM_BAR = 0;
constexpr int TITLE_ELEM_PIECE_A = 1;  // part 2, additive; hidden again by part 3
constexpr int TITLE_ELEM_PIECE_B = 2;
constexpr int TITLE_ELEM_PICTURE = 3;  // part 3
constexpr int TITLE_ELEM_PLATE = 6;
constexpr int TITLE_ELEM_LINE = 10;
constexpr int TITLE_ELEM_SUBPLATE = 15;
constexpr int TITLE_ELEM_SUBLINE = 20;
constexpr int TITLE_ELEM_LOGO_PIECE = 26;
constexpr int TITLE_ELEM_LOGO = 27;
constexpr int TITLE_ELEM_CLOSING = 28;

// Picture slots: the title pieces, the logo pieces, the closing picture.
constexpr int TITLE_PIC_TITLE = 0;
constexpr int TITLE_PIC_LOGO = 1;
constexpr int TITLE_PIC_CLOSING = 2;

struct TITLE_ELEM {
    i32 step;
    i32 phase;
    i32 toggle;  // 1 while the debug keys or part 3 keep it hidden
    i32 sprite;  // -1 none
    RECT src;
    u32 start;
    u32 duration;
    i32 value;
    i32 word;
};

struct TITLE_WORK {
    i32 state;  // -1 the next update builds the title, 0 built
    i32 step;   // 0..15
    i32 selected;
    i32 selectedPrev;
    i32 skip;
    i64 menuStart;  // -1 none
    u32 frameTime;
    TITLE_ELEM elem[TITLE_ELEM_MAX];
    i32 pic[3];
    i32 fadeFlag;  // 0 while a fade-out draws
    u32 fadeDuration;
    u32 fadeStart;
    i32 highlight;  // 128..196
    i32 highlightDir;
};

extern TITLE_WORK TitleWork;
extern const RECT TitleMenuRect[TITLE_SUBMENU_MAX];  // the main menu uses the first four

// The work as the program starts with it, for a game started again in one process.
void TITLE_ResetWork();
void TITLE_Renew();
void TITLE_Init();
void TITLE_Term();
void TITLE_Exec();
void TITLE_MainMenu();
void TITLE_SubMenu();
// The first of count rectangles holding (x, y), left and top inclusive; -1 when none.
int TITLE_HitMenu(const RECT* table, int count, i32 x, i32 y);
int TITLE_FadeOut();  // 1 once the fade is over
void TITLE_DebugKey();
void TITLE_Draw();

// The intro and menu routines: each returns 1 in the frame it is done.
int TITLE_Intro1();
int TITLE_Intro2();
int TITLE_Intro3();
int TITLE_MenuBuild();  // the plates and lines, then the logo
int TITLE_SubMenuIn1();
int TITLE_SubMenuIn2();
int TITLE_SubMenuOut1();
int TITLE_SubMenuOut2();
int TITLE_Closing();

// The element timer: starting stores the frame time and the duration (0 while the skip flag is set);
// the value is target × elapsed / duration, clamped to target, and the target at once for duration 0.
void TITLE_StartElem(TITLE_ELEM* e, u32 duration);
i32 TITLE_ElemValue(const TITLE_ELEM* e, i32 target);
