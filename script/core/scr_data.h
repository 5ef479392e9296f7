// Compiled scripts: the record of a loaded script file, the script stack and the byte readers through
// which the interpreter, the built-in functions and the battle-script commands read the byte code.
// Every read is bounded by the active record's data; with no active record every read reports the end.
#pragma once
#include "platform/types.h"
#include "shell/common.h"

constexpr int SCRIPT_VALUE_COUNT = 256;
constexpr int SCRIPT_TEXT_KIND = 7;
constexpr int SCRIPT_STACK_MAX = 64;  // records on the stack, the bottom one included
constexpr i32 kMaxScriptSize = 16 << 20;  // a larger file is no script: refused rather than held whole

// Statement type bytes, control codes, expression tokens and operator codes of the byte code.
constexpr u8 SCR_STMT_CONTROL = 2;
constexpr u8 SCR_STMT_ASSIGN = 3;
constexpr u8 SCR_STMT_CALL = 7;
constexpr u16 SCR_CTL_DECLARE_FIRST = 7;  // 7..13: kind code - 6
constexpr u16 SCR_CTL_DECLARE_LAST = 13;
constexpr u16 SCR_CTL_IF = 15;
constexpr u16 SCR_CTL_LOOP = 18;
constexpr u16 SCR_CTL_JUMP = 19;
constexpr u8 SCR_TOKEN_NUMBER = 0;
constexpr u8 SCR_TOKEN_TEXT = 1;
constexpr u8 SCR_TOKEN_VARIABLE = 3;
constexpr u8 SCR_TOKEN_CALL = 7;
constexpr u8 SCR_TOKEN_OPERATOR = 8;
constexpr u8 SCR_TOKEN_END = 255;
constexpr u8 SCR_OP_LAST_ARITH = 6;  // 0 * 1 / 2 + 3 - 4 % 5 & 6 |
constexpr u8 SCR_CMP_EQ = 15;        // 15 == 16 != 17 < 18 <= 19 > 20 >=
constexpr u8 SCR_CMP_GE = 20;
constexpr u8 SCR_CONNECT_AND = 21;
constexpr u8 SCR_CONNECT_OR = 22;
constexpr u8 SCR_ASSIGN_SET = 8;  // 8 = 9 += 10 -= 11 *= 12 /= 13 &= 14 |=

struct SCRIPT_VALUE {
    u8 used;
    i16 kind;   // 1..7
    i16 size;   // the byte count of the declaration
    u32 value;  // kinds 1..6; a text variable keeps 0 here
    char* text; // kind 7: size + 1 bytes (at least 1), owned by the slot
};

struct SCRIPT_DATA {
    char name[kMaxPath];
    i32 start;  // read position at which the executing statement began
    i32 pos;
    i32 size;
    u8* data;   // the whole file, owned by the record
    SCRIPT_VALUE value[SCRIPT_VALUE_COUNT];
    SCRIPT_DATA* prev;
    SCRIPT_DATA* next;
};

extern SCRIPT_DATA ScriptFirst;  // always the bottom of the stack; never released
extern SCRIPT_DATA* actv_scr;    // the top of the stack, null when no script is loaded

// ---- byte readers (on the active record) ----
// 1 and n bytes copied (and, for ReadScrData, the position advanced) when 0 <= position, n >= 0 and
// position + n <= size with the position inside the data; else 0 and nothing read.
int ReadScrData(void* buffer, i32 n);
int CheckScrData(void* buffer, i32 n);
int SkipScrData(i32 n);
// Reads and drops n bytes (n at most 4).
int _ass_read_dummyscrdata(i32 n);
int ASS_ReadDummyScrData(i32 n);
// A target outside 0..size sends the position to the end, so the next statement pops the script.
void JumpScriptPt(i32 position);
// One expression: 2 when it ended with its 255, 0 when the data ended first (or calls nested too deep).
int _ass_analysisparam(i32* value);
int ASS_GetScriptParam(i32* value);
// One text operand, cut to size - 1 bytes and terminated; 2 when it ended with its 255, else 0.
int _ass_analysisparamstr(char* buffer, i32 size = kMaxPath);
int ASS_GetScriptParamStr(char* buffer, i32 size = kMaxPath);
// The value an operand of variable index reads: the index itself for an undeclared slot, 0 for an
// index outside 0..255 and for a text variable.
i32 GetScriptValue(i32 index);

// Operator 0..6 on signed 32-bit values, wrapping; x / 0 and x % 0 give 0, INT_MIN / -1 gives INT_MIN.
i32 ScrApplyOperator(i32 a, u8 op, i32 b);

// ---- loader and stack ----
// Loads "script\<name>" (a name the platform calls absolute opens as it stands) into record, or into
// a new record when record is null, and links it above previous as the active record. 0 when the file
// cannot be read or the name is 260 bytes or more; nothing changes then.
int LoadScript(const char* name, SCRIPT_DATA* previous, SCRIPT_DATA* record);
int _ass_loadscript(const char* name);
int ASS_LoadScript(const char* name);
int _ass_loadscript2(const char* name);
void ClearScriptValue();
void PreviousScript();
int ReleaseScript(SCRIPT_DATA* record);
// Depth of the stack from ScriptFirst up (0 when nothing is loaded).
int GetScriptDepth();
