#include "script/core/ass_func.h"

#include <cstring>

#include "script/core/ass.h"
#include "script/core/scr_data.h"

namespace {

// Argument kinds of functions 0..83 in byte-code order (see _ass_funcargs).
const char* const FuncArgTbl[ASS_FUNC_BUILTIN_LAST + 1] = {
    "e",        "t",       "e",       "eee",      "e",      "ee",      "ee",     "b",      // 0-7
    "ee",       "e",       "e",       "e",        "e",      "b",       "e",      "e",      // 8-15
    "eeee",     "ee",      "ee",      "eeeee",    "eeee",   "",        "eeee",   "ee",     // 16-23
    "ee",       "e",       "t",       "b",        "b",      "e",       "e",      "b",      // 24-31
    "e",        "e",       "ee",      "t",        "ee",     "et",      "e",      "eeee",   // 32-39
    "ee",       "ee",      "ee",      "ee",       "ee",     "tL",      "b",      "eeeeeeeeL",  // 40-47
    "b",        "t",       "e",       "teeee",    "teeeeee", "eeee",   "eee",    "ee",     // 48-55
    "e",        "t",       "eteeeee", "eeee",     "e",      "e",       "eee",    "eee",    // 56-63
    "eeeee",    "t",       "eteeee",  "eeeeee",   "e",      "eeee",    "e",      "e",      // 64-71
    "ee",       "ee",      "",        "",         "",       "e",       "b",      "ee",     // 72-79
    "eeee",     "e",       "eee",     "b",                                                 // 80-83
};

i32 ReadParam() {
    i32 v = 0;
    _ass_analysisparam(&v);
    return v;
}

bool ReadMode() { return ASS_GetScriptReadMode() != 0; }

// 0: the code goes to the scene; 0 pops the script, and an emptied stack stops it.
void _ass_func_return() {
    const i32 code = ReadParam();
    _ass_setscriptendret(code);
    if (code == 0) {
        PreviousScript();
        if (!actv_scr) ASS_StopScript();
    } else {
        ASS_StopScript();
    }
}

void _ass_func_call() {
    char name[kMaxPath];
    _ass_analysisparamstr(name, sizeof(name));
    if (!_ass_loadscript2(name)) DebugMsg("script call: %s not loaded", name);
}

void _ass_func_clearvalue() {
    ASS_ReadDummyScrData(1);
    std::memset(ScrValueTbl, 0, sizeof(ScrValueTbl));
}

void _ass_func_setvalue() {
    const i32 index = ReadParam();
    const i32 value = ReadParam();
    if (index >= 0 && index < SCR_GLOBAL_VALUE_COUNT) ScrValueTbl[index] = value;
}

void _ass_func_getvalue() {
    const i32 index = ReadParam();
    SetFuncReturnNum(index >= 0 && index < SCR_GLOBAL_VALUE_COUNT ? ScrValueTbl[index] : 0);
}

void _ass_func_wait() {
    const i32 ms = ReadParam();
    if (!ReadMode()) _ass_setscriptwait(ms);
}

void _ass_func_keywait() {
    ASS_ReadDummyScrData(1);
    if (!ReadMode()) SetScirptWait(1, ASS_WAIT_KEY);
}

void _ass_func_getkey() {
    const i32 mode = ReadParam();
    if (ReadMode()) {
        SetFuncReturnNum(0);
        return;
    }
    const u16 trigger = adv_tkey ? adv_tkey->trigger : 0;
    bool pressed = false;
    switch (mode) {
        case 0: pressed = (trigger & 16) || (ass_MouseTrg & 1); break;
        case 1: pressed = (trigger & 32) || (ass_MouseTrg & 2); break;
        case 2: pressed = trigger & 64; break;
        case -1: pressed = (trigger & (16 | 32 | 64)) || (ass_MouseTrg & 3); break;
        default: break;
    }
    SetFuncReturnNum(pressed ? 1 : 0);
}

void _ass_func_skip() {
    ASS_ReadDummyScrData(1);
    SetFuncReturnNum(0);
}

}  // namespace

const char* _ass_funcargs(int no) {
    if (no >= 0 && no <= ASS_FUNC_BUILTIN_LAST) return FuncArgTbl[no];
    if (no == ASS_FUNC_TEXT) return "t";
    return nullptr;
}

void _ass_skipfuncargs(int no) {
    const char* kinds = _ass_funcargs(no);
    if (!kinds) return;
    for (const char* k = kinds; *k; ++k) {
        switch (*k) {
            case 'e': ReadParam(); break;
            case 't': {
                char text[kMaxPath];
                _ass_analysisparamstr(text, sizeof(text));
                break;
            }
            case 'b': ASS_ReadDummyScrData(1); break;
            case 'L': ASS_ReadDummyScrData(4); break;
            default: break;
        }
    }
}

void _ass_callfunc(int no) {
    switch (no) {
        case 0: _ass_func_return(); break;
        case 1: _ass_func_call(); break;
        case 7: _ass_func_clearvalue(); break;
        case 8: _ass_func_setvalue(); break;
        case 9: _ass_func_getvalue(); break;
        case 12: _ass_func_wait(); break;
        case 13: _ass_func_keywait(); break;
        case 14: _ass_func_getkey(); break;
        // Setters without effect and empty rows: their arguments are all there is.
        case 20: case 21: case 22: case 23: case 24: case 41: case 74: case 75: case 76: case 82:
            _ass_skipfuncargs(no);
            break;
        case 83: _ass_func_skip(); break;
        default: _ass_func_standin(no); break;
    }
}
