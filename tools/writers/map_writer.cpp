#include "tools/writers/map_writer.h"

#include "tools/writers/byte_writer.h"

namespace tools {

namespace {

template <typename T, typename Put>
void Runs(const std::vector<T>& cells, Put put) {
    size_t i = 0;
    while (i < cells.size()) {
        size_t n = 1;
        while (i + n < cells.size() && cells[i + n] == cells[i] && n < 0xFFFF) ++n;
        put(cells[i], n);
        i += n;
    }
}

}  // namespace

std::vector<u8> MapWordLayer(const std::vector<u16>& cells) {
    ByteWriter w;
    Runs(cells, [&](u16 v, size_t n) {
        if (n == 1) w.U16(v);
        else w.U16(v).U16(v).U16(u32(n));
    });
    return w.bytes();
}

std::vector<u8> MapByteLayer(const std::vector<u8>& cells) {
    ByteWriter w;
    Runs(cells, [&](u8 v, size_t n) {
        if (n == 1) w.U8(v);
        else w.U8(v).U8(v).U16(u32(n));
    });
    return w.bytes();
}

std::vector<u8> MapFileBytes(u32 width, u32 height, const std::vector<std::vector<u8>>& layers) {
    ByteWriter w;
    w.Text("KORVANE MAP").Zeros(5).U32(width).U32(height).Zeros(16);
    u32 at = 64;
    for (size_t i = 0; i < 5; ++i) {
        w.U32(at);
        if (i < layers.size()) at += u32(layers[i].size());
    }
    w.U32(at);
    for (const auto& layer : layers) w.Bytes(layer);
    return w.bytes();
}

std::vector<u8> MapBytes(const MapDef& map) {
    return MapFileBytes(map.width, map.height,
                        {MapWordLayer(map.chips), MapWordLayer(map.objs), {}, MapByteLayer(map.attrA),
                         MapByteLayer(map.attrB)});
}

std::vector<u8> CspBytes(const std::vector<CspDef>& records) {
    ByteWriter w;
    w.Text("CSP").Zeros(5).U32(u32(records.size() * 12)).U32(16);
    for (const CspDef& r : records) w.I16(r.srcX).I16(r.srcY).I16(r.width).I16(r.height).I16(r.anchorX).I16(r.anchorY);
    return w.bytes();
}

}  // namespace tools
