// The battle renderer: one world frame (camera step and scroll, background-object pieces, sprite
// placement) and the sprite slots in three passes — the layers behind the world, the world layer
// sorted by y with its shadows, the layers in front — through the battle's own choice of blits. Also
// the battle's sprite animation step, which tells the owning objects when a sequence ends, and the
// small draw services around it (draw skip, world redraw, zoom rectangle, hit-rectangle overlay).
#pragma once
#include "graphics/sprite/spr.h"
#include "platform/types.h"

constexpr i16 BTL_LIST_END = -1;
constexpr int BTL_LIST_MAX = SPR_MAX + 1;  // every slot and the end mark
constexpr i16 BTL_WORLD_PRIORITY = 128;

// The draw offset of the battle's own sprite drawing and BTL_DrawSurfOfs (set by the passes).
extern i32 BtlDrawOfsX;
extern i32 BtlDrawOfsY;
// Set by BTL_SkipDraw, cleared by the next BTL_Draw.
extern u8 BtlSkipFlag;
// The debug overlay's surface sprite, -1 while there is none.
extern i32 BtlDebugSpr;

// ---- the renderer ----

// One frame of the battle world; x, y is the map's screen position (MAP_DATA screenX, screenY).
void BTL_DrawWorld(i32 x, i32 y);
// Both lists are sprite numbers ended by BTL_LIST_END, BTL_LIST_MAX long. The priority list holds the
// visible sprites of every priority but 128, high to low; the world list those of priority 128, by y
// low to high; equal keys put the higher slot first. A world sprite whose owner is out of view with
// its shadow out of view too is left out.
void BTL_SortSpr(i16* priList, i16* worldList);
// The layers behind the world (priority 129 and above) at offset (0, 0); the index of the first entry
// not drawn.
int BTL_DrawSprList(const i16* list);
// The world layer at offset (x, y), each entry's owner the current object; the entries visited.
int BTL_DrawSprListOfs(const i16* list, i32 x, i32 y);
// The rest of the priority list from start at offset (0, 0); the index of the list end.
int BTL_DrawSprList2(int start, const i16* list);
// A group sprite (BTL_DrawSpr) or a surface sprite (BTL_DrawSpr2) into the draw target: 0 when the
// slot holds no visible sprite of that kind, else 1.
int BTL_DrawSpr(int s);
int BTL_DrawSpr2(int s);
// Their flattened half-black shadows on the ground.
void BTL_DrawPartSpr(int s);
void BTL_DrawPartSpr2(int s);
void BTL_SetDrawOfs(i32 x, i32 y);
// The layers behind and in front only: no camera step, placement or world layer.
void BTL_DrawSprOnly();
void BTL_ShowDebugSpr(int flag);

// ---- animation and draw services ----

// Advances every running group sprite one frame; with pause set only the sprites of effects, gauge
// chips and sprites without an owner advance.
void BTL_RenewSprAnim(int pause);
// The next BTL_Draw draws and presents nothing.
void BTL_SkipDraw();
// The battle world drawn once into the shell's work surface, with the cursor hidden meanwhile.
void BTL_RedrawMap();

struct BTL_ZOOM_RECT {
    i32 state;    // 0 idle, 1 running, 2 finished
    i32 endMode;  // 1: the finishing renewal clears the record
    i32 x;        // centre
    i32 y;
    i32 limitX;
    i32 limitY;
    i32 step;  // signed toward the target
    i32 size;
    i32 target;
    i32 left;
    i32 top;
    i32 right;
    i32 bottom;
};
extern BTL_ZOOM_RECT BtlZoomRect;

// 1 when nothing starts (equal sizes or a step of 0 or less), else 0.
int BTL_StartZoomRect(int endMode, i32 x, i32 y, i32 limitX, i32 limitY, i32 size, i32 target, i32 step);
// -1 idle, 0 running, 1 finished and kept, 2 finished and cleared.
int BTL_RenewZoomRect();
// Outlines the hit rectangles of the owned group sprites of a sorted list on the back buffer, with a
// mark at the camera centre.
void BTL_DrawHitRect(const i16* list, i32 x, i32 y);
