#include "tools/writers/script_asm.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <stdexcept>

#include "platform/encoding.h"
#include "tools/writers/byte_writer.h"

namespace tools {

const char* const kScriptAsmUsage =
    "One statement a line; ';' starts a comment; 'name:' before a statement is a label.\n"
    "  decl K name[:size][ = value], ...   declare variables of kind K (1..7; 7 takes \"text\");\n"
    "                                      variables are numbered 0, 1, 2 ... in declaration order\n"
    "  set VAR OP EXPR                     OP is = += -= *= /= &= |=; VAR is a name or $index\n"
    "  if COND [and|or COND]... else LABEL  go to LABEL when the conditions fail\n"
    "  loop CMP [and CMP]... exit LABEL    leave the loop to LABEL when a comparison fails\n"
    "  jump LABEL|offset\n"
    "  call NAME ARG, ...                  a built-in function by name (return, call, setvalue ...)\n"
    "  call #N e:EXPR, t:\"text\", b:BYTE, L:LABEL   any function number, arguments marked by kind\n"
    "  bsc N ARG, ...                      battle-script command N (function 128 + N)\n"
    "  text \"message\"                      the text line (function 900)\n"
    "  raw ITEM ...                        bytes: 0..255, u16:N, i32:N|LABEL, \"text\"\n"
    "COND is EXPR or EXPR CMP EXPR with CMP one of == != < <= > >=.\n"
    "EXPR is operands joined by * / + - % & | and evaluated as the byte code does: in source order\n"
    "from the right, no precedence, no parentheses: 10 - 4 - 3 is 10 - (4 - 3) = 9.\n"
    "Operands: numbers, variables, NAME(ARG, ...) and #N(e:..., ...) calls.\n"
    "Quoted text becomes Big5; \\xNN is a raw byte, \\\" and \\\\ stand for themselves.\n";

namespace {

struct FuncRow {
    const char* name;
    const char* kinds;
};

const FuncRow FuncTbl[84] = {
    {"return", "e"},        {"call", "t"},          {"clearsurf", "e"},     {"rgb", "eee"},
    {"rand", "e"},          {"sin", "ee"},          {"cos", "ee"},          {"clearvalue", "b"},
    {"setvalue", "ee"},     {"getvalue", "e"},      {"fade", "e"},          {"fade2", "e"},
    {"wait", "e"},          {"keywait", "b"},       {"getkey", "e"},        {"windowtype", "e"},
    {"window", "eeee"},     {"windowpos", "ee"},    {"windowsize", "ee"},   {"settextwindow", "eeeee"},
    {"settextwindowbg", "eeee"}, {"nop", ""},       {"wintype2", "eeee"},   {"nop2a", "ee"},
    {"nop2b", "ee"},        {"changeframe", "e"},   {"addtext", "t"},       {"message", "b"},
    {"message2", "b"},      {"closewindow", "e"},   {"closewindow2", "e"},  {"pagewait", "b"},
    {"auto", "e"},          {"autotime", "e"},      {"textcursor", "ee"},   {"facedir", "t"},
    {"initface", "ee"},     {"setface", "et"},      {"delface", "e"},       {"facepos", "eeee"},
    {"facepos2", "ee"},     {"nop2c", "ee"},        {"namepos", "ee"},      {"fonttype", "ee"},
    {"fontcolor", "ee"},    {"seltext", "tL"},      {"message3", "b"},      {"selrect", "eeeeeeeeL"},
    {"selwait", "b"},       {"sprdir", "t"},        {"delsprite", "e"},     {"loadsprite", "teeee"},
    {"setsprite", "teeeeee"}, {"sprdisp", "eeee"},  {"sprpos", "eee"},      {"sprpri", "ee"},
    {"delsprite2", "e"},    {"chrdir", "t"},        {"setchr", "eteeeee"},  {"chrdisp", "eeee"},
    {"delchr2", "e"},       {"delchr", "e"},        {"chrpos", "eee"},      {"chrattr", "eee"},
    {"chrrect", "eeeee"},   {"bustdir", "t"},       {"setbust", "eteeee"},  {"setbust2", "eeeeee"},
    {"setbust3", "e"},      {"bustdisp", "eeee"},   {"delbust2", "e"},      {"delbust", "e"},
    {"bustpos", "ee"},      {"bustpage", "ee"},     {"empty", ""},          {"empty2", ""},
    {"empty3", ""},         {"playbgm", "e"},       {"stopbgm", "b"},       {"playse", "ee"},
    {"playse2", "eeee"},    {"stopse", "e"},        {"nop3", "eee"},        {"skip", "b"},
};

// Battle-script commands 0..23 (function 128 + n).
const char* const BscArgTbl[24] = {
    "b",  "b",    "b",    "eeeee", "",       "ee",  "ee",   "ee",   "ee",  "",   "ee",  "",
    "eeeeee", "eee", "eeee", "e",   "eeeeee", "eee", "eeee", "eee",  "eeee", "e", "",    "eeee",
};

struct Error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& message) { throw Error(message); }

// ---- tokens ----

enum class T { Ident, Number, String, Punct, End };

struct Tok {
    T kind = T::End;
    std::string text;   // identifier, punctuation, or a string's Big5 bytes
    i64 number = 0;
};

size_t Utf8Len(unsigned char c) {
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0) return 2;
    if ((c & 0xF0) == 0xE0) return 3;
    if ((c & 0xF8) == 0xF0) return 4;
    return 1;
}

// One UTF-8 character as Big5, refusing what the encoder only replaced and what the fonts cannot draw.
std::string Big5Char(std::string_view ch) {
    const std::string out = plat::Utf8ToBig5(ch);
    const bool question = ch == "?" || ch == "？";
    const bool replaced = (out == "?" || out == "\xA1\x48") && !question;
    const bool drawn = out.size() == 1 ? u8(out[0]) < 0x80
                                       : out.size() == 2 && u8(out[0]) >= 0xA1 && u8(out[0]) <= 0xC9;
    if (replaced || !drawn) Fail("character \"" + std::string(ch) + "\" has no Big5 code the fonts draw");
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::vector<Tok> Lex(std::string_view line) {
    std::vector<Tok> toks;
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == ';') {
            break;
        } else if (c == '"') {
            Tok t{T::String, "", 0};
            ++i;
            for (;;) {
                if (i >= line.size()) Fail("unterminated text");
                const char d = line[i];
                if (d == '"') {
                    ++i;
                    break;
                }
                if (d == '\\') {
                    if (i + 1 >= line.size()) Fail("unterminated text");
                    const char e = line[i + 1];
                    if (e == 'x') {
                        const int h = i + 3 < line.size() ? HexDigit(line[i + 2]) : -1;
                        const int l = i + 3 < line.size() ? HexDigit(line[i + 3]) : -1;
                        if (h < 0 || l < 0) Fail("\\x needs two hexadecimal digits");
                        t.text.push_back(char(h * 16 + l));
                        i += 4;
                    } else if (e == '"' || e == '\\') {
                        t.text.push_back(e);
                        i += 2;
                    } else {
                        Fail(std::string("unknown escape \\") + e);
                    }
                    continue;
                }
                const size_t n = Utf8Len(u8(d));
                t.text += Big5Char(line.substr(i, n));
                i += n;
            }
            toks.push_back(t);
        } else if (std::isdigit(u8(c))) {
            size_t j = i;
            i64 v = 0;
            if (c == '0' && i + 1 < line.size() && (line[i + 1] == 'x' || line[i + 1] == 'X')) {
                j += 2;
                if (j >= line.size() || HexDigit(line[j]) < 0) Fail("bad number");
                while (j < line.size() && HexDigit(line[j]) >= 0) {
                    v = v * 16 + HexDigit(line[j++]);
                    if (v > 0xFFFFFFFFll) Fail("number out of range");
                }
            } else {
                while (j < line.size() && std::isdigit(u8(line[j]))) {
                    v = v * 10 + (line[j++] - '0');
                    if (v > 0xFFFFFFFFll) Fail("number out of range");
                }
            }
            if (j < line.size() && (std::isalpha(u8(line[j])) || line[j] == '_')) Fail("bad number");
            toks.push_back(Tok{T::Number, std::string(line.substr(i, j - i)), v});
            i = j;
        } else if (std::isalpha(u8(c)) || c == '_') {
            size_t j = i;
            while (j < line.size() && (std::isalnum(u8(line[j])) || line[j] == '_')) ++j;
            toks.push_back(Tok{T::Ident, std::string(line.substr(i, j - i)), 0});
            i = j;
        } else {
            static const char* const two[] = {"==", "!=", "<=", ">=", "+=", "-=", "*=", "/=", "&=", "|="};
            std::string p(1, c);
            for (const char* d : two) {
                if (line.substr(i, 2) == d) p = d;
            }
            if (p.size() == 1 && std::string_view("=<>+-*/%&|(),:$#").find(c) == std::string_view::npos) {
                Fail(std::string("unexpected character '") + c + "'");
            }
            toks.push_back(Tok{T::Punct, p, 0});
            i += p.size();
        }
    }
    toks.push_back(Tok{T::End, "", 0});
    return toks;
}

// ---- the assembler ----

struct Fixup {
    size_t at;
    std::string label;
    int line;
};

class Assembler {
public:
    ScriptAsmResult Run(std::string_view source) {
        ScriptAsmResult r;
        int lineNo = 0;
        size_t start = 0;
        try {
            while (start <= source.size()) {
                size_t end = source.find('\n', start);
                if (end == std::string_view::npos) end = source.size();
                ++lineNo;
                line_ = lineNo;
                Line(source.substr(start, end - start));
                start = end + 1;
            }
            for (const Fixup& f : fixups_) {
                auto it = labels_.find(f.label);
                if (it == labels_.end()) {
                    line_ = f.line;
                    Fail("undefined label " + f.label);
                }
                w_.PatchU32(f.at, u32(it->second));
            }
        } catch (const Error& e) {
            r.error = "line " + std::to_string(line_) + ": " + e.what();
            return r;
        }
        r.ok = true;
        r.bytes = w_.bytes();
        return r;
    }

private:
    const Tok& Peek(size_t ahead = 0) const { return toks_[std::min(pos_ + ahead, toks_.size() - 1)]; }
    const Tok& Next() {
        const Tok& t = Peek();
        if (pos_ < toks_.size() - 1) ++pos_;
        return t;
    }
    bool IsPunct(const char* p, size_t ahead = 0) const {
        return Peek(ahead).kind == T::Punct && Peek(ahead).text == p;
    }
    bool IsWord(const char* w) const { return Peek().kind == T::Ident && Peek().text == w; }
    void Expect(const char* p) {
        if (!IsPunct(p)) Fail(std::string("expected '") + p + "'");
        Next();
    }
    std::string Ident() {
        if (Peek().kind != T::Ident) Fail("expected a name");
        return Next().text;
    }
    // A signed number, range-checked to what fits 32 bits (signed or unsigned).
    i64 Number() {
        bool neg = false;
        if (IsPunct("-")) {
            Next();
            neg = true;
        }
        if (Peek().kind != T::Number) Fail("expected a number");
        i64 v = Next().number;
        if (neg) {
            if (v > 0x80000000ll) Fail("number out of range");
            v = -v;
        }
        return v;
    }
    void EndOfLine() {
        if (Peek().kind != T::End) Fail("unexpected '" + Peek().text + "'");
    }

    void Line(std::string_view text) {
        toks_ = Lex(text);
        pos_ = 0;
        while (Peek().kind == T::Ident && IsPunct(":", 1)) {
            const std::string name = Next().text;
            Next();
            if (labels_.count(name)) Fail("label " + name + " defined twice");
            labels_[name] = i64(w_.size());
        }
        if (Peek().kind == T::End) return;
        const std::string word = Ident();
        if (word == "decl") {
            Declare();
        } else if (word == "set") {
            Assign();
        } else if (word == "if") {
            If();
        } else if (word == "loop") {
            Loop();
        } else if (word == "jump") {
            w_.U8(2).U16(19);
            Target();
        } else if (word == "call") {
            w_.U8(7);
            CallBody(false);
        } else if (word == "bsc") {
            w_.U8(7);
            Bsc(false);
        } else if (word == "text") {
            w_.U8(7).U16(900);
            TextOperand();
        } else if (word == "raw") {
            Raw();
        } else {
            Fail("unknown statement " + word);
        }
        EndOfLine();
    }

    // A label or a number, as a raw 32-bit offset.
    void Target() {
        if (Peek().kind == T::Ident) {
            fixups_.push_back({w_.size(), Next().text, line_});
            w_.U32(0);
        } else {
            w_.U32(u32(Number()));
        }
    }

    i32 Variable() {
        if (IsPunct("$")) {
            Next();
            return i32(Number());
        }
        const std::string name = Ident();
        auto it = vars_.find(name);
        if (it == vars_.end()) Fail("undeclared variable " + name);
        return it->second;
    }

    void Declare() {
        const i64 kind = Number();
        if (kind < 1 || kind > 7) Fail("declaration kind must be 1..7");
        const u16 code = u16(kind + 6);
        w_.U8(2).U16(code);
        bool first = true;
        for (;;) {
            const std::string name = Ident();
            if (name != "_" && vars_.count(name)) Fail("variable " + name + " declared twice");
            i64 size = -1;
            if (IsPunct(":")) {
                Next();
                size = Number();
                if (size < 0 || size > 32767) Fail("size must be 0..32767");
            }
            std::string bytes;
            if (kind == 7) {
                if (IsPunct("=")) {
                    Next();
                    if (Peek().kind != T::String) Fail("a text variable takes \"text\"");
                    bytes = Next().text;
                }
                if (size < 0) size = i64(bytes.size());
                if (size < i64(bytes.size())) Fail("text longer than its size");
                bytes.resize(size_t(size), '\0');
            } else {
                i64 value = 0;
                if (IsPunct("=")) {
                    Next();
                    value = Number();
                }
                if (size < 0) size = 4;
                for (i64 i = 0; i < size; ++i) bytes.push_back(i < 4 ? char(u32(value) >> (8 * i)) : '\0');
            }
            // After an entry the interpreter takes a 255 as the list's end, so an entry whose size
            // starts with that byte has to open a statement of its own.
            if (!first && (size & 0xFF) == 0xFF) w_.U8(255).U8(2).U16(code);
            w_.I16(i32(size)).Text(bytes);
            if (name != "_") vars_[name] = nextVar_;
            ++nextVar_;
            first = false;
            if (!IsPunct(",")) break;
            Next();
        }
        w_.U8(255);
    }

    void Assign() {
        const i32 var = Variable();
        static const char* const ops[] = {"=", "+=", "-=", "*=", "/=", "&=", "|="};
        int op = -1;
        for (int i = 0; i < 7; ++i) {
            if (IsPunct(ops[i])) op = 8 + i;
        }
        if (op < 0) Fail("expected an assignment operator");
        Next();
        w_.U8(3).I32(var).U8(8).U8(u32(op));
        Expression();
    }

    int Comparison() {
        static const char* const cmps[] = {"==", "!=", "<", "<=", ">", ">="};
        for (int i = 0; i < 6; ++i) {
            if (IsPunct(cmps[i])) {
                Next();
                return 15 + i;
            }
        }
        return -1;
    }

    void If() {
        w_.U8(2).U16(15);
        const size_t target = w_.size();
        w_.U32(0);
        for (;;) {
            Expression();
            const int cmp = Comparison();
            if (cmp >= 0) {
                w_.U8(8).U8(u32(cmp)).U8(255);
                Expression();
            }
            if (IsWord("and") || IsWord("or")) {
                w_.U8(8).U8(Next().text == "and" ? 21 : 22);
                continue;
            }
            break;
        }
        w_.U8(255);
        if (!IsWord("else")) Fail("expected 'else LABEL'");
        Next();
        PatchTarget(target);
    }

    void Loop() {
        w_.U8(2).U16(18);
        const size_t target = w_.size();
        w_.U32(0);
        for (;;) {
            Expression();
            const int cmp = Comparison();
            if (cmp < 0) Fail("a loop condition needs a comparison");
            w_.U8(8).U8(u32(cmp)).U8(255);
            Expression();
            if (!IsWord("and")) break;
            Next();
            w_.U8(0);
        }
        w_.U8(255);
        if (!IsWord("exit")) Fail("expected 'exit LABEL'");
        Next();
        PatchTarget(target);
    }

    void PatchTarget(size_t at) {
        if (Peek().kind == T::Ident) {
            fixups_.push_back({at, Next().text, line_});
        } else {
            w_.PatchU32(at, u32(Number()));
        }
    }

    void Expression() {
        for (;;) {
            Operand();
            static const char* const ops[] = {"*", "/", "+", "-", "%", "&", "|"};
            int op = -1;
            for (int i = 0; i < 7; ++i) {
                if (IsPunct(ops[i])) op = i;
            }
            if (op < 0) break;
            Next();
            w_.U8(8).U8(u32(op));
        }
        w_.U8(255);
    }

    void Operand() {
        if (Peek().kind == T::Number || (IsPunct("-") && Peek(1).kind == T::Number)) {
            w_.U8(0).U32(u32(Number()));
        } else if (IsPunct("$")) {
            w_.U8(3).I32(Variable());
        } else if (IsPunct("#")) {
            w_.U8(7);
            CallBody(true);
        } else if (Peek().kind == T::Ident && IsPunct("(", 1)) {
            w_.U8(7);
            if (Peek().text == "bsc") {
                Next();
                Bsc(true);
            } else {
                CallBody(true);
            }
        } else if (Peek().kind == T::Ident) {
            w_.U8(3).I32(Variable());
        } else {
            Fail("expected an operand");
        }
    }

    void TextOperand() {
        if (Peek().kind != T::String) Fail("expected \"text\"");
        const std::string text = Next().text;
        w_.U8(1).U32(u32(text.size())).Text(text).U8(255);
    }

    // Arguments up to ")" (paren) or the end of the line, by their kinds; 'b' is written as 0.
    bool AtClose(bool paren) const { return paren ? IsPunct(")") : Peek().kind == T::End; }

    void Arguments(const std::string& kinds, bool paren, bool first = true) {
        for (char k : kinds) {
            if (k == 'b') {
                w_.U8(0);
                continue;
            }
            if (!first) {
                if (!IsPunct(",")) Fail("too few arguments");
                Next();
            }
            first = false;
            if (AtClose(paren)) Fail("too few arguments");
            Argument(k);
        }
        if (!AtClose(paren)) Fail("too many arguments");
        if (paren) Next();
    }

    void Argument(char kind) {
        switch (kind) {
            case 'e': Expression(); break;
            case 't': TextOperand(); break;
            case 'L': Target(); break;
            default: {
                const i64 b = Number();
                if (b < 0 || b > 255) Fail("a raw byte must be 0..255");
                w_.U8(u32(b));
            }
        }
    }

    // After the byte 7: the function number and its arguments (in parentheses inside expressions).
    void CallBody(bool paren) {
        if (IsPunct("#")) {
            Next();
            const i64 no = Number();
            if (no < 0 || no > 0xFFFF) Fail("function number must be 0..65535");
            w_.U16(u32(no));
            if (paren) Expect("(");
            MarkedArguments(paren);
            return;
        }
        const std::string name = Ident();
        int no = 0;
        std::string kinds;
        if (!ScriptFuncByName(name, &no, &kinds)) Fail("unknown function " + name);
        w_.U16(u32(no));
        if (paren) Expect("(");
        Arguments(kinds, paren);
    }

    // "bsc N a, b" as a statement, "bsc(N, a, b)" inside an expression.
    void Bsc(bool paren) {
        if (paren) Expect("(");
        const i64 n = Number();
        if (n < 0 || n > 23) Fail("battle-script command must be 0..23");
        w_.U16(u32(128 + n));
        // In parentheses the command number is already the first of a comma-separated list.
        Arguments(BscArgTbl[n], paren, !paren);
    }

    void MarkedArguments(bool paren) {
        bool first = true;
        while (!AtClose(paren)) {
            if (!first) Expect(",");
            first = false;
            const std::string mark = Ident();
            Expect(":");
            if (mark != "e" && mark != "t" && mark != "b" && mark != "L") Fail("argument mark must be e, t, b or L");
            Argument(mark[0]);
        }
        if (paren) Next();
    }

    void Raw() {
        while (Peek().kind != T::End) {
            if (Peek().kind == T::String) {
                w_.Text(Next().text);
            } else if (IsWord("u16") && IsPunct(":", 1)) {
                Next();
                Next();
                w_.U16(u32(Number()));
            } else if (IsWord("i32") && IsPunct(":", 1)) {
                Next();
                Next();
                Target();
            } else {
                const i64 b = Number();
                if (b < 0 || b > 255) Fail("a raw byte must be 0..255");
                w_.U8(u32(b));
            }
        }
    }

    ByteWriter w_;
    std::vector<Tok> toks_;
    size_t pos_ = 0;
    int line_ = 0;
    std::map<std::string, i64> labels_;
    std::map<std::string, i32> vars_;
    i32 nextVar_ = 0;
    std::vector<Fixup> fixups_;
};

}  // namespace

namespace {

const FuncRow TextRow = {"text", "t"};

const FuncRow* FuncRowOf(int no) {
    if (no == 900) return &TextRow;
    return no >= 0 && no < 84 ? &FuncTbl[no] : nullptr;
}

}  // namespace

bool ScriptFuncByName(std::string_view name, int* no, std::string* kinds) {
    for (int n = 0; n <= 900; n = n < 83 ? n + 1 : 900) {
        const FuncRow* row = FuncRowOf(n);
        if (name == row->name) {
            *no = n;
            *kinds = std::string(row->kinds);
            return true;
        }
        if (n == 900) break;
    }
    return false;
}

bool ScriptFuncByNumber(int no, std::string* name, std::string* kinds) {
    const FuncRow* row = FuncRowOf(no);
    if (!row) return false;
    *name = std::string(row->name);
    *kinds = std::string(row->kinds);
    return true;
}

ScriptAsmResult AssembleScript(std::string_view source) { return Assembler().Run(source); }

}  // namespace tools
