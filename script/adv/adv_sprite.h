// Script sprites: the 128 slots of pictures, characters, busts, animations and movies that scripts
// load, show with timed transitions and release.
#pragma once
#include "platform/surface.h"
#include "platform/types.h"
#include "shell/movie/dwwl.h"

constexpr int ADV_SPR_MAX = 128;

// Kind: the low four bits, and the flag of slots drawn by their owner's callback (faces).
constexpr i32 ADV_KIND_PICTURE = 1;
constexpr i32 ADV_KIND_PAGE = 2;
constexpr i32 ADV_KIND_SEQUENCE = 4;
constexpr i32 ADV_KIND_MOVIE = 8;
constexpr i32 ADV_KIND_OWNDRAW = 16;

constexpr i32 ADV_STATE_FREE = -1;
constexpr i32 ADV_STATE_LOADED = 1;
constexpr i32 ADV_STATE_FADEIN = 2;
constexpr i32 ADV_STATE_SHOWN = 3;
constexpr i32 ADV_STATE_FADEOUT = 4;
constexpr i32 ADV_STATE_HIDDEN = 5;

// Fade types: 0 none, 1 alpha, 2 tiles, 3 zoom, 4 blinds (the last three for pictures).
constexpr i32 ADV_FADE_NONE = 0;
constexpr i32 ADV_FADE_ALPHA = 1;
constexpr i32 ADV_FADE_TILES = 2;
constexpr i32 ADV_FADE_ZOOM = 3;
constexpr i32 ADV_FADE_BLINDS = 4;

struct ADV_SPR {
    i32 use;
    i32 kind;
    i32 state;
    i32 fadeType;
    i32 x, y;
    i32 page;
    i32 grp;   // sprite-group slot, -1 none
    i32 spr;   // sprite number, -1 none
    i32 surf;  // surface slot, -1 none
    RECT src;  // a picture's shown part
    i32 fadeTime;
    u32 fadeStart;
    DWWL_DATA* movie;
    i32 level;
    i32 drawMode;   // 0 keyed copy, 1 alpha, 2 additive
    i32 drawValue;  // alpha for mode 1, additive strength × 8 for mode 2
};

extern ADV_SPR AdvSprTbl[ADV_SPR_MAX];

// 1 taken, 0 when the slot is in use, -1 when the file did not load (the slot is left free).
int _ass_initspriteslot(int slot, const char* file, i32 kind);
// The slot, or -1; slot -1 takes the first free one.
int _ass_createsprite(int slot, const char* file, i32 kind);
// The kind from the file's extension: "bmp"/"grp" 1, "spr" 2, "avi"/"mpg"/"mpeg" 8, other 0, none -1.
i32 _ass_spritekind(const char* file);
int _ass_createsprite2(int slot, const char* file);
int _ass_createsprite3(int first, int end, const char* file);
int ASS_CreateSprite(int slot, const char* file, i32 kind);
int ASS_CreateSprite2(int slot, const char* file);
int ASS_CreateSprite3(int first, int end, const char* file);

int ADV_SetSprite(int slot, int priority, i32 x, i32 y, i32 page, i32 ms);
int ADV_SetSpriteFunc(int slot, int priority, i32 unused, void (*func)(int sprite));
void ADV_SetSprDisp(int slot, int show, i32 type, i32 ms);
void ADV_SetSprPos(int slot, i32 x, i32 y);
void ADV_SetSprPri(int slot, int priority);
void ADV_SetSprPage(int slot, i32 page);
void ADV_SetSprAttr(int slot, i32 mode, i32 value);
void ADV_SetSprRect(int slot, i32 left, i32 top, i32 right, i32 bottom);
void ADV_DelSprite(int slot);
void ADV_HideSprite(int slot);
void ADV_ReleaseSprite(int slot);
// Closes every script sprite's movie, whose sound thread must end before the sound device goes.
void ADV_CloseMovies();
int ADV_GetSprNo(int slot);
int ADV_GetSprGrpNo(int slot);

// Release every slot (script init and term).
void _ass_initsprite();
void _ass_termsprite();
// Steps the transitions once a frame.
void _ass_renewsprite();
void ASS_RenewSprite();
void ADV_RenewSprPicture(ADV_SPR* a);
void ADV_RenewSprAnime(ADV_SPR* a);

// Draw callbacks (function sprites) and the picture transitions.
void ADV_DrawSprPicture(int sprite);
void ADV_DrawSprMovie(int sprite);
void ADV_DrawSprTiles(plat::Surface* dst, const ADV_SPR* a, plat::Surface* src);
void ADV_DrawSprZoom(plat::Surface* dst, const ADV_SPR* a, plat::Surface* src);
void ADV_DrawSprBlinds(plat::Surface* dst, const ADV_SPR* a, plat::Surface* src);

// The quad mapper the tiles and blinds draw through (DSW_DrawSquare unless a test puts its own).
using ADV_SQUARE_FUNC = int (*)(plat::Surface* dst, i32 x0, i32 y0, i32 x1, i32 y1, i32 x2, i32 y2, i32 x3, i32 y3,
                                plat::Surface* src, i32 srcX, i32 srcY, i32 srcWidth, i32 srcHeight);
void ADV_SetSquareFunc(ADV_SQUARE_FUNC func);
