#include "script/core/scr_data.h"

#include <climits>
#include <cstring>
#include <vector>

#include "platform/file.h"
#include "platform/memory.h"
#include "script/core/ass.h"

SCRIPT_DATA ScriptFirst;
SCRIPT_DATA* actv_scr = nullptr;

namespace {

int call_depth = 0;  // calls inside expressions currently being evaluated

// Where n bytes at the active record's position may be read; null when they may not.
const u8* ScrBytesAt(i32 n) {
    const SCRIPT_DATA* s = actv_scr;
    if (!s || !s->data || n < 0) return nullptr;
    if (s->pos < 0 || s->pos >= s->size || n > s->size - s->pos) return nullptr;
    return s->data + s->pos;
}

i32 ReadI32(const u8* p) { return i32(u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16 | u32(p[3]) << 24); }

}  // namespace

// Signed 32-bit arithmetic that wraps like the machine did, without undefined behaviour.
i32 ScrApplyOperator(i32 a, u8 op, i32 b) {
    const u32 ua = u32(a), ub = u32(b);
    switch (op) {
        case 0: return i32(ua * ub);
        case 1:
            if (b == 0) return 0;
            if (a == INT_MIN && b == -1) return INT_MIN;
            return a / b;
        case 2: return i32(ua + ub);
        case 3: return i32(ua - ub);
        case 4:
            if (b == 0 || b == -1) return 0;
            return a % b;
        case 5: return i32(ua & ub);
        default: return i32(ua | ub);
    }
}

namespace {

void FreeSlotText(SCRIPT_VALUE* v) {
    if (v->text) plat::GlobalFree(v->text);
    v->text = nullptr;
}

void ClearRecordValues(SCRIPT_DATA* s) {
    for (SCRIPT_VALUE& v : s->value) {
        FreeSlotText(&v);
        v = SCRIPT_VALUE{};
    }
}

// Drops a record's data and variables and clears its name and positions; links stay.
void EmptyRecord(SCRIPT_DATA* s) {
    if (s->data) plat::GlobalFree(s->data);
    s->data = nullptr;
    s->name[0] = '\0';
    s->start = s->pos = s->size = 0;
    ClearRecordValues(s);
}

void FreeRecord(SCRIPT_DATA* s) {
    if (s != &ScriptFirst) plat::GlobalFree(s);
}

}  // namespace

// ---- byte readers ----

int ReadScrData(void* buffer, i32 n) {
    const u8* p = ScrBytesAt(n);
    if (!p) return 0;
    if (n > 0) std::memcpy(buffer, p, size_t(n));
    actv_scr->pos += n;
    return 1;
}

int SkipScrData(i32 n) {
    if (!ScrBytesAt(n)) return 0;
    actv_scr->pos += n;
    return 1;
}

int CheckScrData(void* buffer, i32 n) {
    const u8* p = ScrBytesAt(n);
    if (!p) return 0;
    if (n > 0) std::memcpy(buffer, p, size_t(n));
    return 1;
}

int _ass_read_dummyscrdata(i32 n) {
    u8 dummy[4];
    if (n > 4) n = 4;
    return ReadScrData(dummy, n);
}

int ASS_ReadDummyScrData(i32 n) { return _ass_read_dummyscrdata(n); }

void JumpScriptPt(i32 position) {
    if (!actv_scr) return;
    actv_scr->pos = (position < 0 || position > actv_scr->size) ? actv_scr->size : position;
}

i32 GetScriptValue(i32 index) {
    if (index < 0 || index >= SCRIPT_VALUE_COUNT) return 0;
    if (!actv_scr) return index;
    const SCRIPT_VALUE& v = actv_scr->value[index];
    if (!v.used) return index;
    if (v.kind == SCRIPT_TEXT_KIND) return 0;
    return i32(v.value);
}

// Right to left without precedence: "a op b op c" is a op (b op c). The operands that wait for the
// rest of the expression are kept in a list rather than on the native stack, so a corrupt file with a
// very long chain cannot overflow it.
int _ass_analysisparam(i32* value) {
    struct Pending {
        i32 left;
        u8 op;
    };
    std::vector<Pending> pending;
    i32 v = 0;
    int ret = 2;
    for (;;) {
        u8 token;
        if (!ReadScrData(&token, 1)) {
            ret = 0;
            break;
        }
        if (token == SCR_TOKEN_OPERATOR) {
            u8 op;
            if (!ReadScrData(&op, 1)) {
                ret = 0;
                break;
            }
            if (op <= SCR_OP_LAST_ARITH) {
                // The rest of the expression starts with a fresh operand.
                pending.push_back({v, op});
                v = 0;
                continue;
            }
            v = op;
        } else if (token == SCR_TOKEN_NUMBER || token == SCR_TOKEN_VARIABLE) {
            u8 b[4];
            if (!ReadScrData(b, 4)) {
                ret = 0;
                break;
            }
            v = token == SCR_TOKEN_NUMBER ? ReadI32(b) : GetScriptValue(ReadI32(b));
        } else if (token == SCR_TOKEN_CALL) {
            if (call_depth >= ASS_CALL_DEPTH_MAX) {
                ret = 0;
                break;
            }
            ++call_depth;
            AnalysisFunc();
            --call_depth;
            v = ASS_GetFuncReturn();
        } else {
            v = token;  // 255 where an operand is expected, or a byte with no meaning
        }
        u8 next;
        if (!CheckScrData(&next, 1)) {
            ret = 0;
            break;
        }
        if (next == SCR_TOKEN_END) {
            ReadScrData(&next, 1);
            break;
        }
    }
    for (size_t i = pending.size(); i-- > 0;) v = ScrApplyOperator(pending[i].left, pending[i].op, v);
    if (value) *value = v;
    return ret;
}

int ASS_GetScriptParam(i32* value) { return _ass_analysisparam(value); }

int _ass_analysisparamstr(char* buffer, i32 size) {
    if (buffer && size > 0) buffer[0] = '\0';
    for (;;) {
        u8 token;
        if (!ReadScrData(&token, 1)) return 0;
        if (token == SCR_TOKEN_END) return 2;
        if (token != SCR_TOKEN_TEXT) continue;
        u8 b[4];
        if (!ReadScrData(b, 4)) return 0;
        i32 length = ReadI32(b);
        if (length < 0) length = 0;
        const i32 room = (buffer && size > 0) ? size - 1 : 0;
        const i32 kept = length < room ? length : room;
        const u8* p = ScrBytesAt(length);
        if (!p) return 0;
        if (buffer && size > 0) {
            std::memcpy(buffer, p, size_t(kept));
            buffer[kept] = '\0';
        }
        SkipScrData(length);
    }
}

int ASS_GetScriptParamStr(char* buffer, i32 size) { return _ass_analysisparamstr(buffer, size); }

// ---- loader and stack ----

namespace {

// Reads a script file whole; false (with a debug line) when the name is too long or nothing comes back.
bool ReadScriptFile(const char* name, u8** block, i32* size) {
    if (!name) return false;
    const size_t length = strnlen(name, kMaxPath);
    if (length >= size_t(kMaxPath)) {
        DebugMsg("LoadScript: script name too long (%zu bytes or more)", length);
        return false;
    }
    char path[kMaxPath];
    if (plat::IsAbsoluteName(name)) {
        std::memcpy(path, name, length + 1);
    } else {
        const char* made = MakeFilePath("script\\%s", name);
        std::strncpy(path, made, sizeof(path) - 1);
        path[sizeof(path) - 1] = '\0';
    }
    if (!path[0]) return false;
    i32 n = 0;
    void* data = ReadBinaryFile(path, &n, kMaxScriptSize);
    if (!data) {
        DebugMsg("%s:Open error", path);
        return false;
    }
    *block = static_cast<u8*>(data);
    *size = n;
    return true;
}

int InstallScript(const char* name, u8* block, i32 size, SCRIPT_DATA* previous, SCRIPT_DATA* record) {
    if (!record) {
        record = static_cast<SCRIPT_DATA*>(plat::GlobalAllocZero(sizeof(SCRIPT_DATA)));
        if (!record) {
            plat::GlobalFree(block);
            return 0;
        }
    }
    // A reused record gives its old data and text variables back first.
    EmptyRecord(record);
    std::strncpy(record->name, name, sizeof(record->name) - 1);
    record->data = block;
    record->size = size;
    record->start = 0;
    record->pos = 0;
    if (previous) previous->next = record;
    record->prev = previous;
    record->next = nullptr;
    actv_scr = record;
    ClearScriptValue();
    return 1;
}

}  // namespace

int LoadScript(const char* name, SCRIPT_DATA* previous, SCRIPT_DATA* record) {
    u8* block = nullptr;
    i32 size = 0;
    if (!ReadScriptFile(name, &block, &size)) return 0;
    return InstallScript(name, block, size, previous, record);
}

int _ass_loadscript(const char* name) {
    u8* block = nullptr;
    i32 size = 0;
    if (!ReadScriptFile(name, &block, &size)) return 0;
    // Records still stacked above the bottom would be cut off by the new link: release them.
    for (SCRIPT_DATA* above = ScriptFirst.next; above;) {
        SCRIPT_DATA* next = above->next;
        EmptyRecord(above);
        FreeRecord(above);
        above = next;
    }
    ScriptFirst.next = nullptr;
    return InstallScript(name, block, size, nullptr, &ScriptFirst);
}

int ASS_LoadScript(const char* name) { return _ass_loadscript(name); }

int _ass_loadscript2(const char* name) {
    if (!actv_scr) return 0;
    // A call inside an expression does not end the frame, so a script calling itself there would
    // stack records without end.
    if (GetScriptDepth() >= SCRIPT_STACK_MAX) {
        DebugMsg("script %s: calls nested deeper than %d, %s not loaded", actv_scr->name, SCRIPT_STACK_MAX,
                 name ? name : "");
        return 0;
    }
    return LoadScript(name, actv_scr, actv_scr->next);
}

void ClearScriptValue() {
    if (actv_scr) ClearRecordValues(actv_scr);
}

void PreviousScript() {
    SCRIPT_DATA* s = actv_scr;
    if (!s) {
        _ass_setscriptend(1);
        return;
    }
    SCRIPT_DATA* below = s->prev;
    EmptyRecord(s);
    if (below) below->next = nullptr;
    s->prev = s->next = nullptr;
    FreeRecord(s);
    actv_scr = below;
    if (!below) _ass_setscriptend(1);
}

int ReleaseScript(SCRIPT_DATA* record) {
    if (!record) return 0;
    EmptyRecord(record);
    if (record->prev) record->prev->next = record->next;
    if (record->next) record->next->prev = record->prev;
    if (actv_scr == record) actv_scr = record->prev;
    record->prev = record->next = nullptr;
    FreeRecord(record);
    return 1;
}

int GetScriptDepth() {
    if (!actv_scr) return 0;
    int n = 0;
    for (const SCRIPT_DATA* s = &ScriptFirst; s; s = s->next) ++n;
    return n;
}
