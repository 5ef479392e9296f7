// Message text: the buffer scripts append to, its layout into a page of line records with the tags
// of the text, and the page's reveal and input.
#pragma once
#include "platform/types.h"
#include "shell/sound/snd.h"

constexpr int ADV_PAGE_REVEALING = 0;
constexpr int ADV_PAGE_SHOWN = 1;
constexpr int ADV_PAGE_FINISHED = 2;
constexpr int ADV_PAGE_CLOSED = 3;

constexpr int MSG_LINE_MAX = 64;
constexpr int MSG_INDENT_MAX = 32;
constexpr int MSG_INDENT_TEXT = 32;  // bytes of a prefix or a name, with its terminator
constexpr int MSG_NAME_MAX = 260;
constexpr int MSG_SELECT_MAX = 8;
constexpr i32 MSG_SKIP_PIXELS = 12;  // decide completes a reveal only past these
constexpr i32 MSG_EDGE_SHOWN = 7;    // the edge counter beyond which the page is shown
constexpr i32 MSG_SE_REVEAL = 46;

struct MSG_LINE {
    i32 x, y;  // inside the text area
    i32 glyphW, glyphH;
    i32 speed;
    i32 face;      // tens the face id, units the pattern; -1 none
    i32 faceSide;  // -1 unset
    char voice[32];
    i32 newLine;
    i32 keyWait;
    i32 len;
    char* text;
    i32 surf;  // the pre-rendered segment, -1 none
    i32 surfW, surfH;
    i32 color[3];
    i32 ruby;
    char* rubyText;  // the ruby characters (allocated)
    i32 rubyCount;
    i32 baseStart;  // bytes into the text where the base characters start
    i32 baseCount;
    i32 rubyColor[3];
    i32 width;  // revealed pixels
    i32 voicePlayed;
};

struct MSG_SELECT {
    i32 x, y;
    i32 label;
};

struct MSG_STATE {
    char* buf;
    i32 len;
    i32 cap;
    i32 lineCount;
    i32 selCount;
    MSG_SELECT sel[MSG_SELECT_MAX];
    char name[MSG_NAME_MAX];
    i32 laidOut;
    i32 segCount;
    i32 current;
    i32 page;  // ADV_PAGE_*
    i32 autoOn;
    u32 autoMs;
    u32 pageTime;
    i32 speed;
    i32 skip;  // 0, 1 complete the reveal, 2 fast
    i32 skipSetting;
    i32 edge;
    i32 cursorSurf;
    i32 sprite;
    SND_BUFFER voice;
};

extern MSG_LINE MsgLineTbl[MSG_LINE_MAX];
extern MSG_STATE Msg;
extern i32 cursor_type;  // 1 shows the cursor block at the reveal edge
extern i32 cursor_col;

// The per-update input and reveal of the page.
void _ass_looptext();
int _ass_getpagestate();
void _ass_setpagestate(int state);
// The automatic advance: its on flag, and its time in ms through ms.
int _ass_getwaittype(u32* ms);
// When the page was shown in full (millisecond clock).
u32 _ass_getpagetime();

void _ass_initmessage();
void _ass_termmessage();
// Shows or hides the message sprite.
void _ass_dispmessage(int flag);

// The speaker table: prefixes that start a message and the names they stand for.
void _ass_initindent();
// 1, or 0 when the table is full or a text has 32 bytes or more.
int _ass_setindent(const char* prefix, const char* name);
int ASS_SetIndent(const char* prefix, const char* name);
// Finds the speaker's prefix at the start of the buffer and turns it into the page's name.
void _ass_getnamepos();

// Appends text to the message buffer; a choice line with its answer label.
void ADV_SetMessage(const char* text);
void ADV_SetSelMessage(const char* text, i32 label);
i32 ADV_GetSelAns(i32 n);
// Lays the buffer out and opens the page.
void ADV_DrawMessage();
void ADV_DrawSelectMessage();
// The text cursor's type (1 shows it) and colour.
void _ass_text_cursor(i32 type, i32 colour);
// The automatic advance: on when on is not 0, then its time := ms.
void _ass_setwaittype(i32 on, u32 ms);
// The message sprite's draw.
void DrawText_Text(int sprite);
