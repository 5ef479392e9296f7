// Common utilities: rectangles and points, whole-file reading and writing, file paths anchored at the
// start-up directory, debug text, interval timers, the frame counter, packing and double-byte text.
#pragma once
#include "platform/types.h"
#include "platform/window.h"

constexpr int kMaxPath = 260;

// ---- rectangles and points ----
int SetRectDat(RECT* rect, i32 left, i32 top, i32 right, i32 bottom);
int SetRectSize(RECT* rect, i32 x, i32 y, i32 width, i32 height);
int CopyRectDat(RECT* dst, const RECT* src);
int OffsetRectDat(RECT* rect, i32 dx, i32 dy);
int GetCrossRect(RECT* out, const RECT* a, const RECT* b);
int CheckSurroundRect(i32 left1, i32 top1, i32 right1, i32 bottom1, i32 left2, i32 top2, i32 right2, i32 bottom2);
int CheckRectPoint(i32 left, i32 top, i32 right, i32 bottom, i32 x, i32 y);
void SetPointDat(POINT* point, i32 x, i32 y);
int GetScreenClientRect(HWND window, RECT* rect);
int ClientToScreenRect(HWND window, RECT* rect);

// ---- files (blocks come from plat::GlobalAllocZero; free them with plat::GlobalFree) ----
i32 GetBinaryFileSize(const char* name);
void* ReadBinaryFile(const char* name);
// The block and its size from one open, so that a file changing meanwhile cannot give a size its
// block does not have. A file larger than limit is refused with a debug line. Null and *size -1
// when the file cannot be opened or read or is too large.
void* ReadBinaryFile(const char* name, i32* size, i64 limit = INT32_MAX);
void* ReadBinaryFile2(const char* name, i32 offset, i32 length);
int WriteBinaryFile(const char* name, const void* buffer, i32 length);
int GetFileExt(const char* name, char** ext);

// ---- paths and debug output ----
extern char CurrentPath[kMaxPath];
int InitCommon();
char* MakeFilePath(const char* format, ...) __attribute__((format(printf, 1, 2)));
void DebugMsg(const char* format, ...) __attribute__((format(printf, 1, 2)));
void DebugMsg2(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ---- timers and counters ----
struct TIME_DATA {
    u32 active;
    u32 duration;
    u32 start;
};
using TIME_RATE_FUNC = int (*)(u32 elapsed, u32 duration);

void TIME_Init(TIME_DATA* timer);
void TIME_Start(TIME_DATA* timer, u32 duration);
int TIME_GetTimeRate(TIME_DATA* timer, int value, int cap);
int TIME_GetTimeRate2(TIME_DATA* timer, int value, int cap);
int TIME_GetTimeRateFunc(TIME_DATA* timer, TIME_RATE_FUNC func);
u32 GetFps();
void ResetFps();  // tests start a fresh measuring window

// ---- numbers and packing ----
int GetValKeta(i32 value);
u32* SetByteDat(u32* word, u8 b0, u8 b1, u8 b2, u8 b3);
u32 SetWordDat(u32* word, u16 low, u16 high);

// ---- double-byte text: any byte >= 0x80 leads a two-byte character ----
u32 MBS_GetCodePage();
u32 MBS_SetCodePage(u32 codePage);
int MBS_IsLeadByte(u8 byte);
const char* MBS_NextChar(const char* p);
const char* MBS_GetCharStart(const char* start, const char* position);
