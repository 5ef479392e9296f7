// Packs a file into a bare LZ stream, or unpacks one.
//   lzpack pack <plain> <stream>
//   lzpack unpack <stream> <plain>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/file.h"
#include "platform/memory.h"
#include "shell/lz.h"
#include "tools/writers/lz_writer.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: lzpack pack <plain> <stream>\n       lzpack unpack <stream> <plain>\n");
    return 2;
}

int Pack(const char* in, const char* out) {
    std::ifstream f(in, std::ios::binary);
    if (!f) {
        std::fprintf(stderr, "lzpack: cannot open %s\n", in);
        return 1;
    }
    const std::vector<u8> plain((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (f.bad() || plain.size() > 0xFFFFFFFFu) {
        std::fprintf(stderr, "lzpack: cannot read %s\n", in);
        return 1;
    }
    const std::vector<u8> stream = tools::LzCompress(plain);
    if (!plat::WriteFileAtomic(out, stream.data(), stream.size())) {
        std::fprintf(stderr, "lzpack: cannot write %s\n", out);
        return 1;
    }
    std::printf("%zu -> %zu bytes\n", plain.size(), stream.size());
    return 0;
}

int Unpack(const char* in, const char* out) {
    plat::File* f = plat::FileOpenRead(in);
    if (!f) {
        std::fprintf(stderr, "lzpack: cannot open %s\n", in);
        return 1;
    }
    void* block = nullptr;
    u32 size = 0;
    const int ok = LZ_ExpandFromFileAlloc(f, &block, &size);
    plat::FileClose(f);
    if (!ok) {
        std::fprintf(stderr, "lzpack: %s is not a sound LZ stream\n", in);
        return 1;
    }
    const bool written = plat::WriteFileAtomic(out, block, size);
    plat::GlobalFree(block);
    if (!written) {
        std::fprintf(stderr, "lzpack: cannot write %s\n", out);
        return 1;
    }
    std::printf("%u bytes\n", size);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return Usage();
    if (std::strcmp(argv[1], "pack") == 0) return Pack(argv[2], argv[3]);
    if (std::strcmp(argv[1], "unpack") == 0) return Unpack(argv[2], argv[3]);
    return Usage();
}
