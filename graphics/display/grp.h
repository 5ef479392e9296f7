// Images: the ".grp" files every picture of the game is stored in, the ".bmp" reader beside them, the
// conversion into surfaces of every depth (pixel 0 is transparent everywhere) and the loaders.
#pragma once
#include "platform/surface.h"
#include "platform/types.h"

struct GRP_DATA {
    u16 bpp;  // 8, 16 or 24
    u32 width;
    u32 height;
    u8* pixels;   // the whole body: rows top-down, then for 8 bits the palette
    u8* palette;  // 256 × red, green, blue inside the pixel block (8 bits only)
};

constexpr int kImageNameMax = 256;

int SURF_ReadGrp(const char* name, GRP_DATA* image);
void SURF_FreeGrp(GRP_DATA* image);
// *block receives the file without its 14-byte header; *blockSize (when given) its size.
int SURF_ReadBmp(const char* name, u8** block, u32* blockSize = nullptr);

void SURF_PutGrp(plat::Surface* surface, i32 x, i32 y, const GRP_DATA* image, const RECT* srcRect);
void SURF_PutBmp(plat::Surface* surface, i32 x, i32 y, const u8* block, u32 blockSize, const RECT* srcRect);

plat::Surface* SURF_LoadImage(const char* name, int palFirst, int palCount, int videoMem, i32* size);
plat::Surface* SURF_LoadGrp(const char* name, int palFirst, int palCount, int videoMem, i32* size);
int SURF_LoadImageTo(plat::Surface* surface, const char* name, int palFirst, int palCount, int videoMem, i32* size);
int SURF_LoadGrpTo(plat::Surface* surface, const char* name, int palFirst, int palCount, int videoMem, i32* size);
// Cuts the name at its last '.' and appends ".grp" within a buffer of bufferSize characters.
char* SURF_SetGrpExt(char* name, size_t bufferSize = kImageNameMax);
plat::Surface* SURF_LoadGrp8(const char* name, int dstFirst, int srcFirst, int count, int videoMem, i32* size);
plat::Surface* SURF_LoadImage8(const char* name, int dstFirst, int srcFirst, int count, int videoMem, i32* size);
