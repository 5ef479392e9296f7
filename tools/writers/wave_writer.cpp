#include "tools/writers/wave_writer.h"

#include "tools/writers/byte_writer.h"
#include "tools/writers/lz_writer.h"

namespace tools {

namespace {

void Chunk(ByteWriter& w, const std::string& id, const std::vector<u8>& bytes) {
    w.Text(id.substr(0, 4)).U32(u32(bytes.size())).Bytes(bytes);
    if (bytes.size() & 1) w.U8(0);
}

void Format(ByteWriter& w, const WaveOptions& o, bool withExtra) {
    u16 align = WaveBlockAlign(o);
    w.U16(o.formatTag).U16(o.channels).U32(o.rate).U32(o.rate * align).U16(align).U16(o.bits);
    if (withExtra) w.U16(0);
}

}  // namespace

u16 WaveBlockAlign(const WaveOptions& o) { return u16(o.channels * o.bits / 8); }

std::vector<u8> MakeWave(const WaveOptions& o, const std::vector<u8>& samples) {
    ByteWriter w;
    w.Text("RIFF").U32(0).Text("WAVE");
    for (auto& [id, bytes] : o.beforeFmt) Chunk(w, id, bytes);

    ByteWriter fmt;
    Format(fmt, o, false);
    std::vector<u8> fmtBytes = fmt.bytes();
    fmtBytes.resize(o.fmtSize, 0);
    Chunk(w, "fmt ", fmtBytes);

    for (auto& [id, bytes] : o.beforeData) Chunk(w, id, bytes);
    if (o.listBeforeData) {
        ByteWriter list;
        list.Text("INFO");
        Chunk(list, "INAM", {'t', 'u', 'n', 'e', '\0'});  // odd size: padded
        Chunk(w, "LIST", list.bytes());
    }
    if (!o.omitData) {
        w.Text("data").U32(o.dataSizeOverride >= 0 ? u32(o.dataSizeOverride) : u32(samples.size())).Bytes(samples);
        if (samples.size() & 1) w.U8(0);
    }
    w.PatchU32(4, u32(w.size() - 8));
    return w.bytes();
}

std::vector<u8> MakeSnd(const WaveOptions& o, const std::vector<u8>& samples, bool compressed, long dataSizeOverride) {
    ByteWriter w;
    w.Text("SN").U8(compressed ? 'D' : 0);
    Format(w, o, true);
    w.U32(dataSizeOverride >= 0 ? u32(dataSizeOverride) : u32(samples.size()));
    w.Bytes(compressed ? LzCompress(samples) : samples);
    return w.bytes();
}

std::vector<u8> IndexSamples16(u32 count) {
    ByteWriter w;
    for (u32 i = 0; i < count; ++i) w.U16(i & 0xFFFF);
    return w.bytes();
}

std::vector<u8> IndexSamples8(u32 count) {
    std::vector<u8> s(count);
    for (u32 i = 0; i < count; ++i) s[i] = u8(i);
    return s;
}

}  // namespace tools
