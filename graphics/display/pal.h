// The 8-bit palette: the saved colours, a brightness per entry applied when the colours go to the
// device, and one timed fade of the brightness. At 16 bits per pixel only the saved data change.
#pragma once
#include "graphics/display/disp.h"
#include "platform/types.h"

struct GRP_DATA;

struct PAL_FADE {
    u8 prepared;
    u8 running;
    i16 first;
    i16 count;
    u32 start;     // millisecond clock at preparation
    u32 duration;  // milliseconds
    i16 startBright[256];
    i16 change[256];
};

extern PAL_ENTRY PalEntries[256];
extern i16 PalBright[256];  // 256 = the saved colour, 0 = black, 512 = white
extern PAL_FADE PalFade;

// The flags byte every written entry gets: reserved for 10..245, 0 for the static colours.
inline u8 PAL_FlagsOf(int index) { return index >= 10 && index <= 245 ? PC_RESERVED : 0; }

void DISP_ApplyPalette(int first, int count);
void DISP_SetPalette(const PAL_ENTRY* entries, int first, int count);
void DISP_GetPalette(PAL_ENTRY* entries, int first, int count);
void DISP_SetPaletteEntry(const PAL_ENTRY* entry, int index);
void DISP_GetPaletteEntry(PAL_ENTRY* entry, int index);
void DISP_FillPalette(const PAL_ENTRY* color, int first, int count);
int DISP_FillDevicePalette(const PAL_ENTRY* color, int first, int count);
// bmpInfo: a ".bmp" image in memory from its information header on; blockSize bounds the colour table.
void DISP_SetPaletteBmp(const void* bmpInfo, u32 blockSize, int first, int count);
void DISP_SetPaletteGrp(const GRP_DATA* image, int first, int count);
void DISP_SetPaletteBright(int percent, int first, int count);
void DISP_SetPaletteFade(u32 duration, int percent, int first, int count);
int DISP_StartPaletteFade(int noWait);
int DISP_StopPaletteFade();
int DISP_IsPaletteFadeRun();
int DISP_RenewPaletteFade();
void DISP_ClearPaletteFade();
