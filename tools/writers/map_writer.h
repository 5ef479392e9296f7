// Stage maps: the ".map" cell grid (chips, background objects, attributes A and B, each run-length
// coded) and the "_o.csp" background-object pictures.
#pragma once
#include <vector>

#include "platform/types.h"

namespace tools {

struct MapDef {
    u16 width = 0;  // in chips
    u16 height = 0;
    std::vector<u16> chips;  // width × height, row by row: column + 40 × row in the chip sheet
    std::vector<u16> objs;   // 0 none, n: ".csp" record n − 1 placed on the cell
    std::vector<u8> attrA;
    std::vector<u8> attrB;
};

// The coded layers. Every repeat becomes a run (v, v, count), since a literal pair v, v would read
// as a run header; runs longer than 65535 are split.
std::vector<u8> MapWordLayer(const std::vector<u16>& cells);
std::vector<u8> MapByteLayer(const std::vector<u8>& cells);

// A ".map" file from already coded layers, in the order 0 chips, 1 objects, 2 unread, 3 attribute A,
// 4 attribute B; the header's offsets follow the layers' lengths.
std::vector<u8> MapFileBytes(u32 width, u32 height, const std::vector<std::vector<u8>>& layers);
std::vector<u8> MapBytes(const MapDef& map);

struct CspDef {
    i16 srcX = 0;
    i16 srcY = 0;
    i16 width = 0;
    i16 height = 0;
    i16 anchorX = 0;
    i16 anchorY = 0;
};

std::vector<u8> CspBytes(const std::vector<CspDef>& records);

}  // namespace tools
