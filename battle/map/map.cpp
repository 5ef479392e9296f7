// Opening and closing a stage: the ".map" reader and its four layer decoders, the "_o.csp" reader,
// the background-object list, the sheets and the map sprites.
#include "battle/map/map.h"

#include <cstdio>
#include <cstring>

#include "battle/map/scr.h"
#include "graphics/sprite/spr.h"
#include "platform/file.h"
#include "platform/memory.h"
#include "shell/common.h"
#include "shell/sys.h"

MAP_DATA* MapData = nullptr;
MAP_CSP_DATA MapCspTbl[MAP_CSP_MAX];
i32 MapCspCnt = 0;
MAP_OBJ_DATA MapObjTbl[MAP_OBJ_MAX];
i32 MapObjCnt = 0;
i32 MapSurf = -1;
i32 MapChipSurf = -1;
i32 MapObjSurf = -1;
i32 MapBgSurf = -1;
i32 MapBgSpr = -1;
i32 MapSpr = -1;

namespace {

MAP_DATA g_map{MAP_NONE, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr};

u32 ReadU32(const u8* p) { return u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16 | u32(p[3]) << 24; }
u16 ReadU16(const u8* p) { return u16(p[0] | p[1] << 8); }

i32 CellTotal() { return MapData ? i32(MapData->width) * MapData->height : 0; }

// The run rule shared by every layer: a value followed by itself starts a run of `count` cells,
// read from the `countSize` bytes after the pair; any other value, and a pair cut off by the
// layer's end, is one cell. Calls put(value, firstCell, cells) and returns the cells covered.
template <int ValueSize, typename Put>
i32 DecodeRuns(const u8* data, i32 length, i32 total, Put put) {
    constexpr i32 kCountSize = 2;
    auto value = [&](i32 at) -> u32 { return ValueSize == 2 ? ReadU16(data + at) : data[at]; };
    i32 cell = 0;
    i32 at = 0;
    while (cell < total && at + ValueSize <= length) {
        const u32 v = value(at);
        i32 count = 1;
        i32 used = ValueSize;
        if (at + 2 * ValueSize + kCountSize <= length && value(at + ValueSize) == v) {
            count = ReadU16(data + at + 2 * ValueSize);
            used = 2 * ValueSize + kCountSize;
        }
        if (count > total - cell) count = total - cell;
        put(v, cell, count);
        cell += count;
        at += used;
    }
    return cell;
}

int DecodeAttr(const u8* data, i32 length, bool second) {
    if (!MapData || !MapData->cells) return 0;
    MAP_CELL* cells = MapData->cells;
    DecodeRuns<1>(data, length, CellTotal(), [&](u32 v, i32 first, i32 n) {
        for (i32 i = first; i < first + n; ++i) (second ? cells[i].attrB : cells[i].attrA) = u8(v);
    });
    return 1;
}

void ReleaseSlot(i32* slot) {
    if (*slot >= 0) SPR_DelSurfDat(*slot);
    *slot = -1;
}

void ReleaseSprite(i32* sprite) {
    if (*sprite >= 0) SPR_DelSpr(*sprite);
    *sprite = -1;
}

// Everything the open map holds, whatever state a failed open left it in.
void ReleaseAll() {
    ReleaseSlot(&MapBgSurf);
    ReleaseSlot(&MapSurf);
    ReleaseSlot(&MapChipSurf);
    ReleaseSlot(&MapObjSurf);
    ReleaseSprite(&MapBgSpr);
    ReleaseSprite(&MapSpr);
    if (MapData) {
        plat::GlobalFree(MapData->cells);
        *MapData = MAP_DATA{};
        MapData->mapNo = MAP_NONE;
    }
    MAP_ClearObjList();
    std::memset(MapCspTbl, 0, sizeof(MapCspTbl));
    MapCspCnt = 0;
}

// A layer [start, end) must lie inside the file, behind the header.
bool LayerInFile(u32 start, u32 end, i64 fileSize) {
    return start >= u32(MAP_HEADER_SIZE) && start <= end && i64(end) <= fileSize && end - start <= 0x7FFFFFFFu;
}

}  // namespace

int MAP_IsOpen() { return MapData && MapData->cells && MapData->mapNo != MAP_NONE ? 1 : 0; }

int MAP_GetMapNo() { return MAP_IsOpen() ? MapData->mapNo : MAP_NONE; }

void MAP_SetMapPtr(MAP_DATA* map) { MapData = map; }

void MAP_SetView(MAP_DATA* map, i32 screenX, i32 screenY, i32 viewW, i32 viewH) {
    if (!map) return;
    map->screenX = screenX;
    map->screenY = screenY;
    map->viewW = viewW;
    map->viewH = viewH;
    map->halfViewW = i16(viewW / 2);
    map->halfViewH = i16(viewH / 2);
    map->viewChipW = i16(viewW / MAP_CHIP);
    map->viewChipH = i16(viewH / MAP_CHIP);
    map->pixelW = i32(map->width) * MAP_CHIP;
    map->pixelH = i32(map->height) * MAP_CHIP;
}

void MAP_ClearObjList() {
    std::memset(MapObjTbl, 0, sizeof(MapObjTbl));
    MapObjCnt = 0;
}

int MAP_AddObj(int n, i32 cell) {
    if (MapObjCnt >= MAP_OBJ_MAX) return 0;
    if (!MapData || MapData->width <= 0 || n < 1 || n > MapCspCnt) return 0;
    const MAP_CSP_DATA& csp = MapCspTbl[n - 1];
    MAP_OBJ_DATA& o = MapObjTbl[MapObjCnt++];
    o.no = u16(n - 1);
    o.x = (cell % MapData->width) * MAP_CHIP - csp.anchorX;
    o.y = (cell / MapData->width) * MAP_CHIP - csp.anchorY;
    return 1;
}

int MAP_DecodeChipLayer(const u8* data, i32 length) {
    if (!MapData) return 0;
    const i32 total = CellTotal();
    const i32 bytes = total * i32(sizeof(MAP_CELL));
    plat::GlobalFree(MapData->cells);
    MapData->cells = static_cast<MAP_CELL*>(plat::GlobalAllocZero(size_t(bytes)));
    if (!MapData->cells) return 0;
    MAP_CELL* cells = MapData->cells;
    const i32 decoded = DecodeRuns<2>(data, length, total, [&](u32 v, i32 first, i32 n) {
        for (i32 i = first; i < first + n; ++i) {
            cells[i].chipX = u8(v % MAP_SHEET_CHIPS);
            cells[i].chipY = u8(v / MAP_SHEET_CHIPS);
        }
    });
    DebugMsg("   Map = %6d Byte   (   Chip数 : %6d)", bytes, decoded);
    return 1;
}

int MAP_DecodeObjLayer(const u8* data, i32 length) {
    if (!MapData) return 0;
    DecodeRuns<2>(data, length, CellTotal(), [&](u32 v, i32 first, i32 n) {
        if (v == 0) return;
        for (i32 i = first; i < first + n; ++i) MAP_AddObj(int(v), i);
    });
    DebugMsg("MapObj = %6d Byte   (背景Obj数 : %6d)", 12000, MapObjCnt);
    return 1;
}

int MAP_DecodeAttrA(const u8* data, i32 length) { return DecodeAttr(data, length, false); }
int MAP_DecodeAttrB(const u8* data, i32 length) { return DecodeAttr(data, length, true); }

int MAP_LoadMap(const char* name) {
    plat::File* file = plat::FileOpenRead(name);
    if (!file) {
        if (SysDebugFlag) DebugMsg2("%s:Open error %d\n", name, -1);
        return 0;
    }
    auto fail = [&](const char* why) {
        DebugMsg("MAP_LoadMap: %s: %s", name, why);
        if (MapData) {
            plat::GlobalFree(MapData->cells);
            MapData->cells = nullptr;
        }
        MAP_ClearObjList();
        plat::FileClose(file);
        return 0;
    };
    if (!MapData) return fail("no map record");
    const i64 fileSize = plat::FileSize(file);
    u8 header[MAP_HEADER_SIZE];
    if (plat::FileRead(file, header, MAP_HEADER_SIZE) != MAP_HEADER_SIZE) return fail("short header");
    plat::GlobalFree(MapData->cells);
    *MapData = MAP_DATA{};
    MapData->width = i16(ReadU16(header + 0x10));
    MapData->height = i16(ReadU16(header + 0x14));
    if (MapData->width <= 0 || MapData->height <= 0 || i64(MapData->width) * MapData->height > MAP_CELL_LIMIT)
        return fail("bad map size");
    u32 offset[6];
    for (int i = 0; i < 6; ++i) offset[i] = ReadU32(header + 0x28 + 4 * i);

    using Decoder = int (*)(const u8*, i32);
    struct Layer {
        int start;  // index into offset[]; the layer ends at the next one
        Decoder decode;
    };
    static constexpr Layer kLayers[] = {
        {0, MAP_DecodeChipLayer}, {1, MAP_DecodeObjLayer}, {3, MAP_DecodeAttrA}, {4, MAP_DecodeAttrB}};
    for (const Layer& layer : kLayers) {
        const u32 start = offset[layer.start], end = offset[layer.start + 1];
        if (!LayerInFile(start, end, fileSize)) return fail("layer outside the file");
        const i32 length = i32(end - start);
        u8* block = static_cast<u8*>(plat::GlobalAllocZero(size_t(length)));
        if (!block) return fail("out of memory");
        const bool read = plat::FileSeek(file, start) && plat::FileRead(file, block, length) == length;
        const int decoded = read ? layer.decode(block, length) : 0;
        plat::GlobalFree(block);
        if (!read) return fail("read error");
        if (!decoded) return fail("out of memory");
    }
    plat::FileClose(file);
    return 1;
}

int MAP_LoadCsp(const char* name) {
    plat::File* file = plat::FileOpenRead(name);
    if (!file) {
        if (SysDebugFlag) DebugMsg2("%s:Open error %d\n", name, -1);
        return 0;
    }
    const i64 fileSize = plat::FileSize(file);
    u8 header[MAP_CSP_HEADER_SIZE];
    const bool headerRead = plat::FileRead(file, header, MAP_CSP_HEADER_SIZE) == MAP_CSP_HEADER_SIZE;
    const u32 size = headerRead ? ReadU32(header + 8) : 0;
    const u32 at = headerRead ? ReadU32(header + 12) : 0;
    if (!headerRead || i64(at) + size > fileSize) {
        DebugMsg("MAP_LoadCsp: %s: record block outside the file", name);
        plat::FileClose(file);
        return 0;
    }
    const i32 count = i32(size < u32(sizeof(MapCspTbl)) ? size : u32(sizeof(MapCspTbl))) / MAP_CSP_RECORD_SIZE;
    u8 block[MAP_CSP_MAX * MAP_CSP_RECORD_SIZE];
    const i64 bytes = i64(count) * MAP_CSP_RECORD_SIZE;
    if (!plat::FileSeek(file, at) || plat::FileRead(file, block, bytes) != bytes) {
        DebugMsg("MAP_LoadCsp: %s: read error", name);
        plat::FileClose(file);
        return 0;
    }
    plat::FileClose(file);
    for (i32 i = 0; i < count; ++i) {
        const u8* p = block + i * MAP_CSP_RECORD_SIZE;
        MapCspTbl[i] = MAP_CSP_DATA{i16(ReadU16(p)),     i16(ReadU16(p + 2)), i16(ReadU16(p + 4)),
                                    i16(ReadU16(p + 6)), i16(ReadU16(p + 8)), i16(ReadU16(p + 10))};
    }
    MapCspCnt = count;
    return 1;
}

void MAP_Open(int mapNo, int subNo, int flag) {
    MAP_Close();
    MapSpr = SPR_GetFreeSpr();
    if (MapSpr >= 0 && !SPR_CreateFSpr(MapSpr, 161, SCR_DrawCallback)) MapSpr = -1;
    MapBgSurf = MapBgSpr = -1;

    const char letter = flag ? 'D' : 'L';
    char stem[32];
    std::snprintf(stem, sizeof(stem), "%02d_%d_%c", mapNo, 0, letter);
    MapSurf = SPR_CreateSurf(656, 496, 0);
    MapChipSurf = SPR_LoadSurf(MakeFilePath("Bmp\\Map\\%s_f.bmp", stem), 0);
    MapObjSurf = SPR_LoadSurf(MakeFilePath("Bmp\\Map\\%s_o.bmp", stem), 0);
    MAP_LoadCsp(MakeFilePath("Bmp\\Map\\%s_o.csp", stem));
    MAP_SetMapPtr(&g_map);

    std::snprintf(stem, sizeof(stem), "%02d_%d_%c", mapNo, subNo, letter);
    if (!MAP_LoadMap(MakeFilePath("Bmp\\Map\\%s.map", stem))) {
        // Without cells nothing may scroll, collide or draw: the map stays closed.
        ReleaseAll();
        return;
    }
    MAP_SetView(MapData, 0, 0, 640, 480);
    SCR_SetScrRect(&ScrRangeRect, nullptr);
    MapData->mapNo = u8(mapNo);
}

void MAP_Close() {
    ReleaseAll();
}

void MAP_ShowLayer(int flag) { SPR_SetFSprView(MapSpr, flag); }

void MAP_LoadBg() {
    ReleaseSprite(&MapBgSpr);
    ReleaseSlot(&MapBgSurf);
    MapBgSurf = SPR_LoadSurf(MakeFilePath("Bmp\\Map\\Bg01.bmp"), 0);
    if (MapBgSurf < 0) return;
    MapBgSpr = SPR_GetFreeSpr();
    if (MapBgSpr >= 0 && !SPR_CreateTSpr(MapBgSpr, 162, 24, 32, MapBgSurf, nullptr)) MapBgSpr = -1;
}
