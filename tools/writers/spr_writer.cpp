#include "tools/writers/spr_writer.h"

#include "tools/writers/byte_writer.h"
#include "tools/writers/lz_writer.h"

namespace tools {

std::vector<u8> SprBody(const SprSetDef& set) {
    ByteWriter w;
    w.U16(u32(set.images.size()));
    for (const auto& name : set.images) w.Text(name).U8(0);
    w.U16(u32(set.pages.size()));
    for (const auto& page : set.pages) {
        w.U16(u32(page.parts.size())).U16(page.wait).Zeros(4).U16(page.attr);
        for (const auto& part : page.parts) w.U16(part.image).Zeros(2).Rect(part.dest).Rect(part.src).U16(part.attr).Zeros(2);
        for (const auto& hit : page.hit) w.Rect(hit);
    }
    for (const auto& seq : set.seqs) {
        w.U16(u32(seq.size()));
        for (const auto& step : seq) w.U16(step.page).U16(step.wait).Zeros(4);
    }
    return w.bytes();
}

std::vector<u8> SprFile(const SprSetDef& set) {
    ByteWriter w;
    w.Text("SPR").Bytes(LzCompress(SprBody(set)));
    return w.bytes();
}

}  // namespace tools
