// The script assembler: compiled script byte code from a small text form, one statement a line.
// The usage text (kScriptAsmUsage) describes the form; labels become 32-bit offsets from the file's
// start and quoted text becomes Big5.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace tools {

struct ScriptAsmResult {
    bool ok = false;
    std::vector<u8> bytes;  // empty on error
    std::string error;      // "line N: ..." on error
};

ScriptAsmResult AssembleScript(std::string_view source);

// The argument kinds of a named built-in function ('e' expression, 't' text, 'b' raw byte written
// as 0, 'L' label) and its number; false for an unknown name.
bool ScriptFuncByName(std::string_view name, int* no, std::string* kinds);
// The same by number (0..83, 900); false for any other.
bool ScriptFuncByNumber(int no, std::string* name, std::string* kinds);

extern const char* const kScriptAsmUsage;

}  // namespace tools
