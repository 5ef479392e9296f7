#include "tools/writers/his_writer.h"

#include "tools/writers/byte_writer.h"

namespace tools {

namespace {
void Entry(ByteWriter& w, const HisRun& run) {
    w.U32(run.carried).I32(run.waves);
    for (i32 t : run.enemy) w.I32(t);
    for (u16 f : run.time) w.U16(f);
}
}  // namespace

std::vector<u8> MakeHistory(const std::vector<HisRun>& table, const HisRun& current, u32 carried) {
    ByteWriter w;
    w.U32(carried);
    for (size_t i = 0; i < 10; ++i) {
        if (i < table.size())
            Entry(w, table[i]);
        else
            w.Zeros(44);
    }
    Entry(w, current);
    return w.bytes();
}

}  // namespace tools
