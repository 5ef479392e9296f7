// The sprite system: 256 surface slots shared by file stem, 32 sprite groups loaded from ".spr" files,
// the sprite table with group, surface and function sprites, their animation, drawing in
// priority order, hit rectangles, screen-fade layers, and the handle-checking wrappers.
#pragma once
#include "graphics/display/surf.h"
#include "platform/surface.h"
#include "platform/types.h"

constexpr int SURF_SLOT_MAX = 256;
constexpr int SPRGRP_MAX = 32;
constexpr int SPRGRP_IMAGE_MAX = 32;
constexpr int SPR_SEQ_MAX = 128;
// World objects that come and go in numbers (effects, shots, HUD chips, map pieces) take only the
// first SPR_WORLD_MAX slots, so a busy fight never leaves the menus opened over it without theirs.
constexpr int SPR_WORLD_MAX = 512;
// The menus hold about 170 at their fullest: the mech cards still fading out as a full page of
// techniques is built over the pause menu.
constexpr int SPR_MAX = SPR_WORLD_MAX + 256;
constexpr int SPR_HIT_MAX = 16;
constexpr int SPR_LAYER_MAX = 16;
constexpr int SURF_NAME_MAX = 18;  // 17 characters and the terminator

constexpr u8 SPR_KIND_GROUP = 1;
constexpr u8 SPR_KIND_SURF = 2;
constexpr u8 SPR_KIND_FUNC = 3;

// ---- surface slots and sprite groups ----

struct SURF_DATA {
    u16 useCount;  // 0 = free
    char name[SURF_NAME_MAX];
    plat::Surface* surface;
    SURF_SAVE* saved;
};

struct SPR_PART {
    u16 image;  // after loading: the surface slot (0xFFFF when the image failed to load)
    u16 unused;
    RECT dest;
    RECT src;
    u16 attr;
    u16 unused2;
};

struct SPR_PAGE {
    u16 partCount;
    u16 wait;
    u8 unused[4];
    u16 attr;
    SPR_PART* parts;
    RECT hit[SPR_HIT_MAX];
};

struct SPR_STEP {
    u16 page;
    u16 wait;
    u8 unused[4];
};

struct SPR_SEQ {
    u16 count;  // 0 = empty
    SPR_STEP* steps;
};

struct SPRGRP_DATA {
    u16 pageCount;
    u16 imageCount;
    u16 imageSlot[SPRGRP_IMAGE_MAX];
};

extern SURF_DATA SurfTbl[SURF_SLOT_MAX];
extern SPRGRP_DATA SprGrpTbl[SPRGRP_MAX];
extern SPR_PAGE* SprPageTbl[SPRGRP_MAX];          // null = group slot free
extern SPR_SEQ SprSeqTbl[SPRGRP_MAX][SPR_SEQ_MAX];

// The surface of a slot, or null for a slot outside 0..255, free, or released. Every reader of a
// slot number that may come from data goes through this.
plat::Surface* SPR_GetSlotSurf(int slot);

int SPR_LoadSurf(const char* name, int vidmem);
int SPR_CreateSurf(i32 width, i32 height, int vidmem);
int SPR_DelSurfDat(int slot);
void SPR_ReleaseSurfAll();
void SPR_PushSurfAll();
int SPR_PopSurfAll();
u32 SPR_SetSurfColorKey(u32 key);

int SPR_GetFreeSprGrp();
int SPR_LoadSprGrp(int group, const char* path, int vidmem);
void SPR_DelSprGrp(int group);
// Page p of group g, or null when either is out of range.
SPR_PAGE* SPR_GetGrpPage(int group, int page);

int SPR_Init();
void SPR_Release();

// ---- sprite table and animation ----

using SPR_DRAW_FUNC = void (*)(int sprite);

struct SPR_HEAD {
    i16 owner;
    i8 savedView;  // -1 = nothing saved
    i32 layer;
    u8 kind;
    u8 view;
    i16 priority;
    i16 x;
    i16 y;
    i16 height;
    u32 attr;
};

struct SPR_DATA : SPR_HEAD {
    i16 level;
    i16 level2;
    u16 scaleX;
    u16 scaleY;
    u16 group;
    u16 page;
    u8 pageOffset;
    i8 savedRunning;  // -1 = nothing saved
    u8 running;
    u8 mode;
    u8 autoDelete;
    u16 first;  // page modes: lower bound; sequence mode: step index
    u16 last;   // page modes: upper bound; sequence mode: loop flag
    i16 step;   // page modes: +1, -1 or 0; sequence mode: sequence number
    i16 wait;
    u8 view2;
};

struct TSPR_DATA : SPR_HEAD {
    i16 level;
    i16 level2;
    u16 scaleX;
    u16 scaleY;
    u16 drawW;  // size of the drawn picture at scale 1 (the head's height is the height above ground)
    u16 drawH;
    u16 surf;
    RECT src;
};

struct FSPR_DATA : SPR_HEAD {
    SPR_DRAW_FUNC func;
};

extern SPR_HEAD* SprTbl[SPR_MAX];

// The record of a slot holding a sprite of any kind, else null; and typed views of a slot, null unless
// it holds a record of that kind.
SPR_HEAD* SPR_GetAnySpr(int s);
SPR_DATA* SPR_GetSpr(int s);
TSPR_DATA* SPR_GetTSpr(int s);
FSPR_DATA* SPR_GetFSpr(int s);

int SPR_GetFreeSpr();
// The first free slot below SPR_WORLD_MAX, -1 none: for the world objects that come and go.
int SPR_GetFreeWorldSpr();
int SPR_CreateSpr(int s, int priority, int x, int y, int group, int page);
int SPR_CreateTSpr(int s, int priority, int x, int y, int surf, const RECT* src);
int SPR_CreateFSpr(int s, int priority, SPR_DRAW_FUNC func);
int SPR_DelSpr(int s);
int SPR_IsSpr(int s);
int SPR_SetSprObjNo(int s, int owner);
int SPR_GetSprPartCnt(int s);
int SPR_SetSprScale(int s, int scaleX, int scaleY);
int SPR_SetTSprScale(int s, int scaleX, int scaleY);
int SPR_SetSprAttr(int s, u32 attr);
int SPR_SetTSprAttr(int s, u32 attr);
int SPR_SetSprLayer(int s, int layer);
int SPR_SetSprView2(int s, int flag);

void SPR_SetViewAll(int flag);
void SPR_RestoreViewAll();
void SPR_SetAnimeAll(int flag);
void SPR_RestoreAnimeAll();

int SPR_SetAnime(int s, int mode, int first, int last);
int SPR_SetSeq(int s, int seq, int loop, int restart);
int SPR_StopAnime(int s);
int SPR_IsAnime(int s);
int SPR_SetAnimeMode(int s, int mode);
int SPR_SetAnimeDel(int s, int flag);
int SPR_SetSeqStep(int s, int seq, int step);
void SPR_RenewAnime();
// One page-mode step (modes 0 to 3) of a running sprite: advances the page and bounces, wraps or
// reverses as its mode says, then sets the new page's wait. A one-shot that runs past its range keeps
// its old page and returns 0: the caller stops it (and deletes it when asked to).
int SPR_StepPage(SPR_DATA* spr);

// ---- drawing, hit rectangles and screen-fade layers ----

struct SPR_LAYER {
    u8 open;
    u8 type;
    i32 sprite;
    i32 surf;
    u32 duration;
    u32 start;
};

extern plat::Surface** SprDrawSurf;  // the draw target: a pointer to a surface variable
extern i32 SprDrawOffsetX;
extern i32 SprDrawOffsetY;
extern SPR_LAYER SprLayerTbl[SPR_LAYER_MAX];

plat::Surface** SPR_SetDrawSurf(plat::Surface** target);
void SPR_SetDrawOffset(i32 x, i32 y);
void SPR_GetDrawOffset(i32* x, i32* y);
void SPR_SortSpr(u16* list);
void SPR_DrawAllSpr(int priority);
void SPR_DrawSpr(int s);
void SPR_DrawTSpr(int s);
int SPR_GetHitRect(int s, int n, RECT* out);
int SPR_GetHitRectScr(int s, int n, RECT* out);
int SPR_GetPartRect(int s, int n, RECT* out);
int SPR_GetTSprRect(int s, RECT* out);
u32 SPR_CheckHitPoint(int s, i32 x, i32 y);
u32 SPR_CheckHitRect(int s, const RECT* r);
void SPR_InitLayer();
int SPR_OpenLayer(int n, int type, u32 duration, int priority);
void SPR_CloseLayer(int n);
void SPR_RenewLayer();
void SPR_RenewLayer2();

// ---- wrappers ----

int SPR_DelSprDat2(int s);
int SPR_DelSprDat3(int* handles, int n);
int SPR_DelTSprDat2(int s);
int SPR_DelTSprDat3(int* handles, int n);
int SPR_DelSurfDat2(int slot);
int SPR_SetSprPos(int s, int x, int y);
int SPR_SetSprPri(int s, int priority);
int SPR_SetSprPage(int s, int page);
int SPR_SetSprAttrCnt1(int s, int level);
int SPR_SetSprAttrCnt2(int s, int level2);
int SPR_SetSprView(int s, int flag);
int SPR_SetTSprPos(int s, int x, int y);
int SPR_SetTSprAttrCnt1(int s, int level);
int SPR_SetTSprAttrCnt2(int s, int level2);
int SPR_SetTSprView(int s, int flag);
int SPR_SetFSprView(int s, int flag);
int SPR_SetTSprRect(int s, int x, int y, int w, int h);
int SPR_SetTSprSurf(int s, int surf, const RECT* rect);
int SPR_GetSurfSize(int slot, i32* width, i32* height);
int SPR_GetTSprSize(int slot, i32* width, i32* height);
void SPR_DrawAllSpr2(int slot, int s);
void SPR_DrawSpr2(plat::Surface* dst, int x, int y, int group, int page, u32 attr, int level, int level2);
