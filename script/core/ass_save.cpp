#include "script/core/ass_save.h"

#include <cstring>
#include <memory>
#include <vector>

#include "platform/memory.h"
#include "shell/common.h"

namespace {

void PutU16(u8* p, u32 v) {
    p[0] = u8(v);
    p[1] = u8(v >> 8);
}

void PutU32(u8* p, u32 v) {
    PutU16(p, v);
    PutU16(p + 2, v >> 16);
}

u16 GetU16(const u8* p) { return u16(p[0] | p[1] << 8); }
u32 GetU32(const u8* p) { return u32(GetU16(p)) | u32(GetU16(p + 2)) << 16; }

}  // namespace

void WriteScriptSaveData(const SCRIPT_SAVE_DATA& data, u8* bytes) {
    std::memset(bytes, 0, SCRIPT_SAVE_SIZE);
    PutU16(bytes, data.version);
    for (int i = 0; i < SCR_GLOBAL_VALUE_COUNT; ++i) PutU32(bytes + SCRIPT_SAVE_VALUES_AT + 4 * i, u32(data.value[i]));
    PutU16(bytes + SCRIPT_SAVE_COUNT_AT, data.count);
    for (int e = 0; e < SCRIPT_SAVE_ENTRY_COUNT; ++e) {
        u8* p = bytes + SCRIPT_SAVE_ENTRIES_AT + SCRIPT_SAVE_ENTRY_SIZE * e;
        const SCRIPT_SAVE_ENTRY& entry = data.entry[e];
        std::memcpy(p, entry.name, SCRIPT_SAVE_NAME_SIZE);
        PutU32(p + 16, u32(entry.pos));
        for (int i = 0; i < SCRIPT_VALUE_COUNT; ++i) {
            u8* s = p + SCRIPT_SAVE_SLOTS_AT + SCRIPT_SAVE_SLOT_SIZE * i;
            s[0] = entry.value[i].used;
            PutU16(s + 2, u16(entry.value[i].kind));
            PutU16(s + 4, u16(entry.value[i].size));
            PutU32(s + 8, entry.value[i].value);
        }
    }
    std::memcpy(bytes + SCRIPT_SAVE_FLAGS_AT, data.flag, SCR_FUNC_FLAG_COUNT);
}

int ReadScriptSaveData(const u8* bytes, i32 size, SCRIPT_SAVE_DATA* data) {
    if (!bytes || size != SCRIPT_SAVE_SIZE) return 0;
    *data = SCRIPT_SAVE_DATA{};
    data->version = GetU16(bytes);
    data->count = GetU16(bytes + SCRIPT_SAVE_COUNT_AT);
    if (data->version != SCRIPT_SAVE_VERSION || data->count > SCRIPT_SAVE_ENTRY_COUNT) return 0;
    for (int i = 0; i < SCR_GLOBAL_VALUE_COUNT; ++i) data->value[i] = i32(GetU32(bytes + SCRIPT_SAVE_VALUES_AT + 4 * i));
    for (int e = 0; e < data->count; ++e) {
        const u8* p = bytes + SCRIPT_SAVE_ENTRIES_AT + SCRIPT_SAVE_ENTRY_SIZE * e;
        SCRIPT_SAVE_ENTRY& entry = data->entry[e];
        if (!std::memchr(p, 0, SCRIPT_SAVE_NAME_SIZE)) return 0;
        std::memcpy(entry.name, p, SCRIPT_SAVE_NAME_SIZE);
        entry.pos = i32(GetU32(p + 16));
        for (int i = 0; i < SCRIPT_VALUE_COUNT; ++i) {
            const u8* s = p + SCRIPT_SAVE_SLOTS_AT + SCRIPT_SAVE_SLOT_SIZE * i;
            entry.value[i] = SCRIPT_SAVE_SLOT{s[0], i16(GetU16(s + 2)), i16(GetU16(s + 4)), GetU32(s + 8)};
        }
    }
    std::memcpy(data->flag, bytes + SCRIPT_SAVE_FLAGS_AT, SCR_FUNC_FLAG_COUNT);
    return 1;
}

int ASS_Save(const char* path) {
    SCRIPT_SAVE_DATA data{};
    data.version = SCRIPT_SAVE_VERSION;
    std::memcpy(data.value, ScrValueTbl, sizeof(data.value));
    if (actv_scr) {
        int n = 0;
        for (const SCRIPT_DATA* s = &ScriptFirst; s; s = s->next, ++n) {
            if (n >= SCRIPT_SAVE_ENTRY_COUNT) {
                DebugMsg("ASS_Save: %s not written, the script stack is deeper than %d", path, SCRIPT_SAVE_ENTRY_COUNT);
                return 0;
            }
            SCRIPT_SAVE_ENTRY& entry = data.entry[n];
            if (strnlen(s->name, SCRIPT_SAVE_NAME_SIZE) >= size_t(SCRIPT_SAVE_NAME_SIZE)) {
                DebugMsg("ASS_Save: %s not written, script name too long: %s", path, s->name);
                return 0;
            }
            std::strcpy(entry.name, s->name);
            // The active script repeats its statement on restore, so a wait is waited again.
            entry.pos = s == actv_scr ? s->start : s->pos;
            for (int i = 0; i < SCRIPT_VALUE_COUNT; ++i) {
                const SCRIPT_VALUE& v = s->value[i];
                entry.value[i] = SCRIPT_SAVE_SLOT{v.used, v.kind, v.size, v.kind == SCRIPT_TEXT_KIND ? 0u : v.value};
            }
            if (s == actv_scr) {
                ++n;
                break;
            }
        }
        data.count = u16(n);
    }
    std::memcpy(data.flag, ScrFuncFlagTbl, sizeof(data.flag));
    std::vector<u8> bytes(SCRIPT_SAVE_SIZE);
    WriteScriptSaveData(data, bytes.data());
    if (!WriteBinaryFile(path, bytes.data(), SCRIPT_SAVE_SIZE)) {
        DebugMsg("ASS_Save: %s could not be written", path);
        return 0;
    }
    return 1;
}

int ASS_Load(const char* path) {
    i32 size = 0;
    void* block = ReadBinaryFile(path, &size);
    if (!block) {
        DebugMsg("ASS_Load: %s:Open error", path);
        return 0;
    }
    // Everything is checked before the running engine is torn down.
    auto data = std::make_unique<SCRIPT_SAVE_DATA>();
    const int ok = ReadScriptSaveData(static_cast<const u8*>(block), size, data.get());
    plat::GlobalFree(block);
    if (!ok) {
        DebugMsg("ASS_Load: %s is not a script state block", path);
        return 0;
    }
    ASS_Term();
    ASS_Init();
    std::memcpy(ScrValueTbl, data->value, sizeof(ScrValueTbl));
    for (int e = 0; e < data->count; ++e) {
        const SCRIPT_SAVE_ENTRY& entry = data->entry[e];
        if (!(e == 0 ? _ass_loadscript(entry.name) : _ass_loadscript2(entry.name))) {
            DebugMsg("ASS_Load: %s did not load; the scripts above it are not restored", entry.name);
            break;
        }
        for (int i = 0; i < SCRIPT_VALUE_COUNT; ++i) {
            const SCRIPT_SAVE_SLOT& v = entry.value[i];
            SCRIPT_VALUE& slot = actv_scr->value[i];
            slot = SCRIPT_VALUE{v.used, v.kind, v.size, v.value, nullptr};
            // The block holds no text: a text variable comes back empty, at its size.
            if (v.used && v.kind == SCRIPT_TEXT_KIND) {
                slot.value = 0;
                slot.text = static_cast<char*>(plat::GlobalAllocZero(size_t(v.size > 0 ? v.size : 0) + 1));
            }
        }
        JumpScriptPt(entry.pos);
        actv_scr->start = actv_scr->pos;
    }
    std::memcpy(ScrFuncFlagTbl, data->flag, sizeof(ScrFuncFlagTbl));
    ASS_StartScript();
    return 1;
}
