// The script state block: the global values, the script stack (names, positions, variables) and the
// 32 marks, written to and restored from one 14,456-byte little-endian file.
#pragma once
#include "platform/types.h"
#include "script/core/ass.h"
#include "script/core/scr_data.h"

constexpr i32 SCRIPT_SAVE_SIZE = 14456;
constexpr u16 SCRIPT_SAVE_VERSION = 1;
constexpr int SCRIPT_SAVE_ENTRY_COUNT = 4;
constexpr int SCRIPT_SAVE_NAME_SIZE = 16;
constexpr i32 SCRIPT_SAVE_VALUES_AT = 4;
constexpr i32 SCRIPT_SAVE_COUNT_AT = 1028;
constexpr i32 SCRIPT_SAVE_ENTRIES_AT = 1032;
constexpr i32 SCRIPT_SAVE_ENTRY_SIZE = 3092;
constexpr i32 SCRIPT_SAVE_SLOTS_AT = 20;  // inside an entry, 12 bytes a slot
constexpr i32 SCRIPT_SAVE_SLOT_SIZE = 12;
constexpr i32 SCRIPT_SAVE_FLAGS_AT = 14424;

struct SCRIPT_SAVE_SLOT {
    u8 used;
    i16 kind;
    i16 size;
    u32 value;
};

struct SCRIPT_SAVE_ENTRY {
    char name[SCRIPT_SAVE_NAME_SIZE];
    i32 pos;
    SCRIPT_SAVE_SLOT value[SCRIPT_VALUE_COUNT];
};

struct SCRIPT_SAVE_DATA {
    u16 version;
    i32 value[SCR_GLOBAL_VALUE_COUNT];
    u16 count;
    SCRIPT_SAVE_ENTRY entry[SCRIPT_SAVE_ENTRY_COUNT];
    u8 flag[SCR_FUNC_FLAG_COUNT];
};

// The file's bytes (SCRIPT_SAVE_SIZE) from a block, and a block from them; reading gives 0 for a size,
// version, count or unterminated name the engine cannot restore.
void WriteScriptSaveData(const SCRIPT_SAVE_DATA& data, u8* bytes);
int ReadScriptSaveData(const u8* bytes, i32 size, SCRIPT_SAVE_DATA* data);

// 1 when the file was written. 0 (nothing written) for a stack deeper than 4 or a name of 16 bytes or
// more, or when writing fails (an old file is kept).
int ASS_Save(const char* path);
// 1 when the block was restored and the script started; 0 when the file cannot be read or is not a
// block this engine wrote (the engine is then untouched).
int ASS_Load(const char* path);
