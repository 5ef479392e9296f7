// Feeds arbitrary bytes to the LZ expanders: every variant must agree, stay inside its buffer, and
// anything small enough must survive an encode and expand round trip.
#include <cstring>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/file.h"
#include "platform/memory.h"
#include "shell/lz.h"
#include "tools/writers/lz_writer.h"

namespace {

using fuzz::Check;

constexpr u32 kMaxRoom = 1u << 20;  // larger stated sizes are expanded into this much room

}  // namespace

fuzz::Seeds FuzzSeeds() {
    std::vector<u8> text, ramp;
    for (int i = 0; i < 3000; ++i) text.push_back(u8("the stream expands into its buffer "[i % 35]));
    for (int i = 0; i < 3000; ++i) ramp.push_back(u8(i * i >> 4));
    return {{"text", tools::LzCompress(text)}, {"ramp", tools::LzCompress(ramp)}, {"empty", tools::LzCompress({})}};
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
    u32 stated = 0;
    if (size >= 4) std::memcpy(&stated, data, 4);
    const u32 room = stated < kMaxRoom ? stated : kMaxRoom;

    std::vector<u8> mem(room, 0xA5);
    u32 memSize = 0;
    size_t used = 0;
    const int memOk = LZ_ExpandFromMemory(data, size, mem.data(), room, &memSize, &used);
    Check(used <= size, "consumed more than the stream");

    plat::File* f = plat::FileOpenRead(fuzz::InputFile("in.lz", data, size));
    Check(f != nullptr, "reopen");
    std::vector<u8> buf(room, 0xA5);
    const int fileOk = LZ_ExpandFromFile(f, buf.data(), nullptr, room);
    Check(fileOk == memOk && buf == mem, "file and memory expanders disagree");

    if (stated <= kMaxRoom) {
        Check(plat::FileSeek(f, 0), "seek");
        void* block = nullptr;
        const int allocOk = LZ_ExpandFromFileAlloc(f, &block, nullptr);
        Check(allocOk == memOk, "alloc expander disagrees");
        Check(allocOk ? block != nullptr : block == nullptr, "alloc block state");
        if (block) {
            // Where the caller's buffer kept its filler, the zero-filled block holds zeros.
            const u8* b = static_cast<const u8*>(block);
            for (u32 i = 0; i < stated; ++i) Check(b[i] == mem[i] || (mem[i] == 0xA5 && b[i] == 0), "alloc bytes");
        }
        plat::GlobalFree(block);
    }
    plat::FileClose(f);

    if (size <= 4096) {
        const std::vector<u8> plain(data, data + size);
        const std::vector<u8> stream = tools::LzCompress(plain);
        std::vector<u8> back(size);
        Check(LZ_ExpandFromMemory(stream.data(), stream.size(), back.data(), u32(size), nullptr, nullptr) == 1 &&
                  back == plain,
              "round trip");
    }
    return 0;
}
