// Assembles a script from its text form into compiled byte code.
//   scrasm <source.txt> <script.scr>
// Nothing is written when the source has an error; the error names its line.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/file.h"
#include "tools/writers/script_asm.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: scrasm <source.txt> <script.scr>\n\n%s", tools::kScriptAsmUsage);
        return 2;
    }
    std::ifstream f(argv[1], std::ios::binary);
    if (!f) {
        std::fprintf(stderr, "scrasm: cannot open %s\n", argv[1]);
        return 1;
    }
    const std::string source((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    const tools::ScriptAsmResult r = tools::AssembleScript(source);
    if (!r.ok) {
        std::fprintf(stderr, "%s:%s\n", argv[1], r.error.c_str());
        return 1;
    }
    if (!plat::WriteFileAtomic(argv[2], r.bytes.data(), r.bytes.size())) {
        std::fprintf(stderr, "scrasm: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
