// The script assembler: byte code of each statement form checked against bytes written out by hand,
// and errors that name their line and write nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_support.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/script_asm.h"

namespace {

using tools::ByteWriter;

std::vector<u8> Asm(const std::string& source) {
    const tools::ScriptAsmResult r = tools::AssembleScript(source);
    EXPECT_TRUE(r.ok) << r.error;
    return r.bytes;
}

// Operand tokens as the byte code spells them.
ByteWriter& Num(ByteWriter& w, i32 v) { return w.U8(0).I32(v); }
ByteWriter& Var(ByteWriter& w, i32 v) { return w.U8(3).I32(v); }
ByteWriter& Op(ByteWriter& w, u8 op) { return w.U8(8).U8(op); }

struct AsmCase {
    const char* name;
    std::string source;
    std::vector<u8> bytes;
};

std::vector<AsmCase> Cases() {
    std::vector<AsmCase> cases;
    {
        ByteWriter w;  // 0 (5), 8 3, 0 (2), 255
        w.U8(3).I32(0).U8(8).U8(8);
        Num(Op(Num(w, 5), 3), 2).U8(255);
        cases.push_back({"subtraction", "set $0 = 5 - 2", w.bytes()});
    }
    {
        ByteWriter w;  // 0 (10), 8 3, 0 (4), 8 3, 0 (3), 255
        w.U8(3).I32(0).U8(8).U8(9);
        Num(Op(Num(Op(Num(w, 10), 3), 4), 3), 3).U8(255);
        cases.push_back({"chain", "set $0 += 10 - 4 - 3", w.bytes()});
    }
    {
        ByteWriter w;  // three kind-3 entries in one statement, then slot 3 in the next
        w.U8(2).U16(9).I16(4).I32(0).I16(4).I32(7).I16(4).I32(-1).U8(255);
        w.U8(2).U16(9).I16(1).U8(5).U8(255);
        cases.push_back({"declarations", "decl 3 a, b = 7, c = -1\ndecl 3 d:1 = 5", w.bytes()});
    }
    {
        ByteWriter w;  // a single variable condition, then the same with "or" and a second condition
        w.U8(2).U16(9).I16(4).I32(0).I16(4).I32(1).U8(255);
        w.U8(2).U16(15).I32(52);
        Var(w, 0).U8(255).U8(255);
        w.U8(2).U16(15).I32(52);
        Op(Var(w, 0).U8(255), 22);
        Var(w, 1).U8(255).U8(255);
        cases.push_back({"if", "decl 3 a, b = 1\nif a else end\nif a or b else end\nend:", w.bytes()});
    }
    {
        ByteWriter w;  // comparisons with both connectors
        w.U8(2).U16(15).I32(39);
        Num(w, 1).U8(255).U8(8).U8(15).U8(255);
        Num(w, 1).U8(255);
        Op(w, 21);
        Num(w, 2).U8(255);
        Op(w, 22);
        Num(w, 3).U8(255).U8(255);
        cases.push_back({"connectors", "if 1 == 1 and 2 or 3 else x\nx:", w.bytes()});
    }
    {
        ByteWriter w;  // a loop of two comparisons and the jump back to its head
        w.U8(2).U16(18).I32(46);
        Var(w, 0).U8(255).U8(8).U8(17).U8(255);
        Num(w, 3).U8(255).U8(0);
        Var(w, 1).U8(255).U8(8).U8(20).U8(255);
        Num(w, 2).U8(255).U8(255);
        w.U8(2).U16(19).I32(0);
        cases.push_back({"loop", "l: loop $0 < 3 and $1 >= 2 exit e\njump l\ne:", w.bytes()});
    }
    {
        ByteWriter w;  // labels forward and back
        w.U8(2).U16(19).I32(7).U8(2).U16(19).I32(0);
        cases.push_back({"labels", "top: jump fwd\nfwd: jump top ; back", w.bytes()});
    }
    {
        ByteWriter w;  // an entry of size 255 cannot follow another: its first byte would end the list
        w.U8(2).U16(13).I16(1).Text("x").U8(255);
        w.U8(2).U16(13).I16(255).Text("y").Zeros(254).U8(255);
        cases.push_back({"text entry 255", "decl 7 a = \"x\", b:255 = \"y\"", w.bytes()});
    }
    {
        ByteWriter w;
        w.U8(7).U16(900).U8(1).U32(12).Bytes(std::vector<u8>{0xA1, 0x48, 0xA1, 0x48, 0xA1, 0x48, 0xA1, 0x48, 0xA1,
                                                             0x47, 0xA1, 0x75}).U8(255);
        w.U8(7).U16(900).U8(1).U32(0).U8(255);
        w.U8(7).U16(26).U8(1).U32(3).Text("a\x01\"").U8(255);
        cases.push_back({"text", "text \"？？？？：「\"\ntext \"\"\ncall addtext \"a\\x01\\\"\"", w.bytes()});
    }
    {
        ByteWriter w;  // calls by name, in expressions, by number with marked arguments, battle commands
        w.U8(7).U16(0);
        Num(w, 0).U8(255);
        w.U8(3).I32(2).U8(8).U8(8).U8(7).U16(9);
        Num(w, 4).U8(255);
        Op(w, 2);
        Num(w, 1).U8(255);
        w.U8(7).U16(95);
        Num(w, 1).U8(255).U8(1).U32(1).Text("a").U8(255).U8(7).I32(0);
        w.U8(7).U16(128).U8(0);
        w.U8(7).U16(131);
        for (int i = 1; i <= 5; ++i) Num(w, i).U8(255);
        w.U8(7).U16(13).U8(0);
        cases.push_back({"calls",
                         "call return 0\nset $2 = getvalue(4) + 1\ncall #95 e:1, t:\"a\", b:7, L:0\nbsc 0\n"
                         "bsc 3 1, 2, 3, 4, 5\ncall keywait",
                         w.bytes()});
    }
    return cases;
}

TEST(ScriptAsm, WritesEachFormAsTheByteCodeSpellsIt) {
    for (const AsmCase& c : Cases()) EXPECT_EQ(Asm(c.source), c.bytes) << c.name;
}

TEST(ScriptAsm, ErrorsNameTheLineAndWriteNothing) {
    const struct {
        std::string source;
        std::string error;
    } cases[] = {
        {"jump a\njump nowhere\na:", "line 2: undefined label nowhere"},
        {"decl 3 a\ncall setvalue a", "line 2: too few arguments"},
        {"call rand 1, 2", "line 1: too many arguments"},
        {"\n\ntext \"한\"", "line 3: character \"한\" has no Big5 code the fonts draw"},
        {"set b = 1", "line 1: undeclared variable b"},
        {"call nosuch 1", "line 1: unknown function nosuch"},
    };
    for (const auto& c : cases) {
        const tools::ScriptAsmResult r = tools::AssembleScript(c.source);
        EXPECT_FALSE(r.ok) << c.source;
        EXPECT_TRUE(r.bytes.empty());
        EXPECT_EQ(r.error, c.error);
    }
}

TEST(ScriptAsm, ProgramWritesTheScriptOrNothing) {
    test::TempDir dir;
    auto run = [&](const std::string& source) {
        dir.Write("in.txt", source);
        std::filesystem::remove(dir.path() + "/out.scr");
        return test::RunProgram(KORVANE_SCRASM, {dir.File("in.txt"), dir.File("out.scr")});
    };
    ASSERT_EQ(run("call wait 10\n"), 0);
    const std::vector<u8> expect = Asm("call wait 10");
    EXPECT_EQ(dir.Read("out.scr"), std::string(expect.begin(), expect.end()));
    EXPECT_EQ(run("call wait\n"), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/out.scr"));
}

}  // namespace
