// The stage map: the ".map" cell grid and the "_o.csp" background-object pictures, the open map's
// record, its background-object list, its sheets and the map sprite, and the pieces of background
// objects cut out each drawn frame to stand in front of sprites.
#pragma once
#include "platform/surface.h"
#include "platform/types.h"

struct LIST_DATA;

constexpr int MAP_CHIP = 16;          // a cell is 16×16 pixels
constexpr int MAP_SHEET_CHIPS = 40;   // the chip sheet is 40 chips wide
constexpr int MAP_CSP_MAX = 301;
constexpr int MAP_OBJ_MAX = 1000;
constexpr u8 MAP_NONE = 255;          // the map number while no map is open
constexpr i32 MAP_CELL_LIMIT = 16 * 1024 * 1024;
constexpr int MAP_HEADER_SIZE = 64;
constexpr int MAP_CSP_HEADER_SIZE = 16;
constexpr int MAP_CSP_RECORD_SIZE = 12;

struct MAP_CELL {
    u8 chipX;  // column in the chip sheet
    u8 chipY;  // row in the chip sheet
    u8 attrA;  // bit 0 blocks movement
    u8 attrB;
};
static_assert(sizeof(MAP_CELL) == 4);

struct MAP_DATA {
    u8 mapNo;  // MAP_NONE while closed
    i32 scrollX;
    i32 scrollY;
    i16 width;  // in chips
    i16 height;
    i32 pixelW;
    i32 pixelH;
    i32 viewW;
    i32 viewH;
    i16 halfViewW;
    i16 halfViewH;
    i16 viewChipW;
    i16 viewChipH;
    i32 originX;  // where the view's top-left corner lies in the scroll buffer
    i32 originY;
    i32 screenX;  // where the view is drawn on the screen
    i32 screenY;
    i32 marginL;
    i32 marginT;
    i32 marginR;
    i32 marginB;
    MAP_CELL* cells;  // width × height, row by row
};

struct MAP_CSP_DATA {
    i16 srcX;
    i16 srcY;
    i16 width;
    i16 height;
    i16 anchorX;  // the placing cell's top-left corner inside the picture
    i16 anchorY;
};

struct MAP_OBJ_DATA {
    u16 no;  // index into MapCspTbl
    i32 x;   // the picture's top-left corner in map pixels
    i32 y;
};

extern MAP_DATA* MapData;  // null until MAP_SetMapPtr
extern MAP_CSP_DATA MapCspTbl[MAP_CSP_MAX];
extern i32 MapCspCnt;  // records the ".csp" held; object numbers at or beyond it are skipped
extern MAP_OBJ_DATA MapObjTbl[MAP_OBJ_MAX];
extern i32 MapObjCnt;
extern i32 MapSurf;      // the 656×496 scroll buffer slot
extern i32 MapChipSurf;  // chip sheet slot
extern i32 MapObjSurf;   // object sheet slot
extern i32 MapBgSurf;    // background picture slot
extern i32 MapBgSpr;
extern i32 MapSpr;       // the function sprite that draws the scroll buffer (priority 161)

// 1 when a map is open: a record with cells and a map number other than MAP_NONE. Every reader of
// the cells checks this first.
int MAP_IsOpen();
// The open map's number, MAP_NONE when none is open.
int MAP_GetMapNo();

void MAP_Open(int mapNo, int subNo, int flag);
void MAP_Close();
int MAP_LoadMap(const char* name);
int MAP_LoadCsp(const char* name);
int MAP_DecodeChipLayer(const u8* data, i32 length);
int MAP_DecodeObjLayer(const u8* data, i32 length);
int MAP_DecodeAttrA(const u8* data, i32 length);
int MAP_DecodeAttrB(const u8* data, i32 length);
void MAP_ClearObjList();
int MAP_AddObj(int n, i32 cell);
void MAP_SetMapPtr(MAP_DATA* map);
void MAP_SetView(MAP_DATA* map, i32 screenX, i32 screenY, i32 viewW, i32 viewH);
void MAP_ShowLayer(int flag);
void MAP_LoadBg();
void MAP_DrawAttrGrid(plat::Surface* surface, const LIST_DATA* obj, i32 x, i32 y);

// ---- background objects in front of sprites ----
extern i32 MapObjSprCnt;  // pieces spawned this drawn frame

void MAP_RenewObjSpr();
void MAP_ClipObjSpr(int count, const RECT* region, const i16* candidates);
int MAP_CreateObjSpr(i32 mapX, i32 foot, i32 mapTop, const RECT* src);
void MAP_DrawObjSpr(int sprite);
int MAP_DelObjSpr(LIST_DATA* obj);
