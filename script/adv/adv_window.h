// The text window: the box the script's messages appear in, its presets, its wipe and its frame.
#pragma once
#include "platform/surface.h"
#include "platform/types.h"

constexpr int TEXT_WINDOW_CLOSED = 0;
constexpr int TEXT_WINDOW_OPENING = 1;
constexpr int TEXT_WINDOW_OPEN = 2;
constexpr int TEXT_WINDOW_CLOSING = 3;

constexpr i32 TEXT_WIPE_BLOCK = 8;
constexpr i32 TEXT_OPEN_MS = 300;
constexpr i32 TEXT_MAP_WIDTH = 640;
constexpr i32 TEXT_MAP_ROWS = 136;
constexpr int TEXT_FONT_SLOT_LOADED = 4;  // the font slot the font-file setter loads into

// Draw priorities: background, text, face, frame, the window's composite.
constexpr int TEXT_PRI_BG = 12;
constexpr int TEXT_PRI_TEXT = 11;
constexpr int TEXT_PRI_FACE = 10;
constexpr int TEXT_PRI_FRAME = 9;
constexpr int TEXT_PRI_WINDOW = 8;

struct TEXT_WINDOW {
    i32 x, y, w, h;
    i32 originX, originY;
    i32 lineWidth, lineWidth2;  // the second value is set by the presets and read by nothing
    i32 faceX, faceY;
    i32 nameX, nameY;
    i32 margin[4];  // stored, never read
    i32 type;
    i32 fontSlot;  // 0..3, -1 none
    i32 fontW, fontH;
    i32 ils;  // interline spacing
    i32 color[3];
    i32 rubyColor[3];
    i32 surf;       // the window surface's slot, -1 none
    u16 key;        // (8, 8, 8) in the display's format
    i32 imageSurf;  // window.bmp
    u8* map;        // the wipe map, TEXT_MAP_WIDTH bytes a row
    i32 mapSize;
    i32 state;
    i32 shown;
    u32 start;
    i32 elapsed;
    i32 duration;
    u32 openTime;
    i32 sprite;  // the composite's function sprite
    i32 closeMs;  // a close asked for while opening, in ms; -1 none
};

struct TEXT_BG {
    i32 style;
    RECT src;
    u16 color;
    i32 alpha;
    i32 surf;
    i32 sprite;
};

struct TEXT_FRAME {
    i32 on;
    i32 style;  // -1 none, 1 image
    RECT src;
    i32 sprite;
};

extern TEXT_WINDOW TextWindow;
extern TEXT_BG TextBgFill;
extern TEXT_FRAME TextFrame;

void _ass_inittext();
void _ass_termttext();
// The debug overlay of the message line records (drawn while ass_debug is set).
void _ass_drawtext();
// 0 closed, 1 opening, 2 open, 3 closing.
int _ass_gettextwindowstate();

// Presets 0..2 and the window's setters.
void _ass_settextwindowtype(i32 type);
void _ass_settextwindowpos(i32 x, i32 y);
void _ass_settextwindowsize(i32 w, i32 h);
void _ass_settextwindowmargin(i32 a, i32 b, i32 c, i32 d);
void _ass_settextwindow(i32 x, i32 y, i32 w, i32 h, i32 margin);
void _ass_settextwindowfacepos(i32 x, i32 y);
void _ass_settextwindownamepos(i32 x, i32 y);
// Slots 0..3 (10, 14, 20 pixels, 3 without a size); any other slot leaves slot and size at -1.
void _ass_settextwindowfonttype(i32 slot);
// Only while the slot is -1: loads the file into font slot 4 and lays text out in w × h cells.
void _ass_settextwindowfontsize(i32 w, i32 h, const char* file);
void _ass_settextwindowfontils(i32 spacing);
void _ass_settextwindowfontcolor(i32 a, i32 b);
void _ass_settextwindowklfontcolor(i32 a, i32 b, i32 c);
// No effect; 0.
int _ass_settextwindowbg(i32 a, i32 b, i32 c, i32 d);
// Style bit 2 takes the source rectangle of window.bmp as the background picture.
void _ass_settextwindowbg2(i32 style, const RECT* src, u16 color, i32 alpha);
void _ass_initframe();
// The frame's style (and background style); a null rectangle keeps the one it has.
void _ass_changeframe(i32 style, const RECT* rect = nullptr);
void SetFraemStyle(i32 style, const RECT* rect);

void ASS_SetTextWindowPos(i32 x, i32 y);
void ASS_SetTextWindowSize(i32 w, i32 h);
void ASS_SetTextWindowMargin(i32 a, i32 b, i32 c, i32 d);
void ASS_SetTextWindow(i32 x, i32 y, i32 w, i32 h, i32 margin);
void ASS_SetTextWidnowFontType(i32 slot);
void ASS_SetTextWidnowFontSize(i32 w, i32 h, const char* file);
void ASS_SetTextWindowFontIls(i32 spacing);
void ASS_SetTextWindowType(i32 type);
int ASS_SetTextWindowBg(i32 a, i32 b, i32 c, i32 d);

// Opens a closed window (the message layout calls it); starts closing an open window over ms.
void _ass_opentext();
void _ass_closetext(i32 ms);
void ASS_CloseText(i32 ms);
// The wipe's duration from now on ("wo" and "wc" in the message text).
void _ass_settextwipetime(i32 ms);
// One update of the open and close animation.
void _ass_animtextwindow();
// The wipe's alpha of the block at (x, y) of the window at progress p (0..512); the map's nearest
// byte answers for reads outside it.
i32 _ass_textwipealpha(int closing, i32 x, i32 y, i32 p);
// The progress of the running wipe: 512 once its time is over (or it has none).
i32 _ass_textwipeprogress();

// Draw callbacks of the window's function sprites.
void DrawTextWindow(int sprite);
void DrawTextBg(int sprite);
void DrawTextFrame(int sprite);
// The window surface, null while there is none.
plat::Surface* ADV_GetTextSurface();
