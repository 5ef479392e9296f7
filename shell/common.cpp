#include "shell/common.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/clock.h"
#include "platform/debug.h"
#include "platform/file.h"
#include "platform/memory.h"

char CurrentPath[kMaxPath];

// ---- rectangles and points ----

int SetRectDat(RECT* rect, i32 left, i32 top, i32 right, i32 bottom) {
    *rect = RECT{left, top, right, bottom};
    return 1;
}

int SetRectSize(RECT* rect, i32 x, i32 y, i32 width, i32 height) {
    *rect = RECT{x, y, x + width, y + height};
    return 1;
}

int CopyRectDat(RECT* dst, const RECT* src) {
    *dst = *src;
    return 1;
}

int OffsetRectDat(RECT* rect, i32 dx, i32 dy) {
    rect->left += dx;
    rect->right += dx;
    rect->top += dy;
    rect->bottom += dy;
    return 1;
}

int GetCrossRect(RECT* out, const RECT* a, const RECT* b) {
    i32 left = a->left > b->left ? a->left : b->left;
    i32 top = a->top > b->top ? a->top : b->top;
    i32 right = a->right < b->right ? a->right : b->right;
    i32 bottom = a->bottom < b->bottom ? a->bottom : b->bottom;
    if (i64(right) - left < 1 || i64(bottom) - top < 1) return 0;
    *out = RECT{left, top, right, bottom};
    return 1;
}

int CheckSurroundRect(i32 left1, i32 top1, i32 right1, i32 bottom1, i32 left2, i32 top2, i32 right2, i32 bottom2) {
    return left1 <= left2 && right1 >= right2 && top1 <= top2 && bottom1 >= bottom2;
}

int CheckRectPoint(i32 left, i32 top, i32 right, i32 bottom, i32 x, i32 y) {
    return left <= x && x <= right && top <= y && y <= bottom;
}

void SetPointDat(POINT* point, i32 x, i32 y) {
    point->x = x;
    point->y = y;
}

int GetScreenClientRect(HWND window, RECT* rect) {
    i32 x = 0, y = 0;
    plat::GetClientOrigin(window, &x, &y);
    // The client rectangle itself starts at 0,0 and has the picture's size.
    *rect = RECT{0, 0, 640, 480};
    return OffsetRectDat(rect, x, y);
}

int ClientToScreenRect(HWND window, RECT* rect) {
    i32 x = 0, y = 0;
    plat::GetClientOrigin(window, &x, &y);
    return OffsetRectDat(rect, x, y);
}

// ---- files ----

i32 GetBinaryFileSize(const char* name) {
    plat::File* f = plat::FileOpenRead(name);
    if (!f) return -1;
    i64 size = plat::FileSize(f);
    plat::FileClose(f);
    if (size < 0 || size > INT32_MAX) return -1;
    return i32(size);
}

void* ReadBinaryFile(const char* name) {
    i32 size = 0;
    return ReadBinaryFile(name, &size);
}

void* ReadBinaryFile(const char* name, i32* size, i64 limit) {
    *size = -1;
    plat::File* f = plat::FileOpenRead(name);
    if (!f) return nullptr;
    const i64 length = plat::FileSize(f);
    void* block = nullptr;
    if (length > limit) {
        DebugMsg("%s: %lld bytes, more than the %lld it may have; not read", name, static_cast<long long>(length),
                 static_cast<long long>(limit));
    } else if (length >= 0 && length <= INT32_MAX) {
        // An empty file still gives a valid block: null means "cannot open".
        block = plat::GlobalAllocZero(size_t(length));
        // A file that shrank since its size was taken gives less, never more, than the block holds.
        const i64 got = block ? plat::FileRead(f, block, length) : -1;
        if (got >= 0) {
            *size = i32(got);
        } else {
            plat::GlobalFree(block);
            block = nullptr;
        }
    }
    plat::FileClose(f);
    return block;
}

void* ReadBinaryFile2(const char* name, i32 offset, i32 length) {
    if (length < 0 || offset < 0) return nullptr;
    plat::File* f = plat::FileOpenRead(name);
    if (!f) return nullptr;
    void* block = plat::GlobalAllocZero(size_t(length));
    // Past the end the block stays zero-filled, as a short read leaves it.
    if (block && plat::FileSeek(f, offset)) plat::FileRead(f, block, length);
    plat::FileClose(f);
    return block;
}

int WriteBinaryFile(const char* name, const void* buffer, i32 length) {
    if (length < 0 || (!buffer && length > 0)) return 0;
    return plat::WriteFileAtomic(name, buffer, size_t(length)) ? 1 : 0;
}

int GetFileExt(const char* name, char** ext) {
    if (!name || !ext) return 0;
    size_t len = std::strlen(name);
    size_t dot = len;
    for (size_t i = len; i-- > 0;) {
        if (name[i] == '.') {
            dot = i;
            break;
        }
    }
    if (dot == len || dot == 0) return 0;
    size_t n = len - dot - 1;
    char* block = static_cast<char*>(plat::GlobalAllocZero(n + 1));
    if (!block) return 0;
    std::memcpy(block, name + dot + 1, n);
    *ext = block;
    return int(n);
}

// ---- paths and debug output ----

int InitCommon() {
    std::string dir = plat::GetCurrentDir();
    if (dir.empty() || dir.back() != '/') dir.push_back('/');
    if (dir.size() >= sizeof(CurrentPath)) {
        // Left empty, every name stays relative to the current directory, which is the start-up one.
        DebugMsg("InitCommon: start-up directory too long (%zu bytes): %s", dir.size(), dir.c_str());
        CurrentPath[0] = '\0';
        return 1;
    }
    std::memcpy(CurrentPath, dir.c_str(), dir.size() + 1);
    return 1;
}

char* MakeFilePath(const char* format, ...) {
    static char name[kMaxPath];
    static char full[kMaxPath];
    va_list ap;
    va_start(ap, format);
    int n = std::vsnprintf(name, sizeof(name), format, ap);
    va_end(ap);
    if (n < 0 || n >= int(sizeof(name))) {
        DebugMsg("MakeFilePath: name too long: %s", name);
        // A name that cannot open rather than a cut-off name that might.
        full[0] = '\0';
        return full;
    }
    // A drive letter, or on this platform a leading '/', is a full path already.
    if (plat::IsAbsoluteName(name)) return name;
    int m = std::snprintf(full, sizeof(full), "%s%s", CurrentPath, name);
    if (m < 0 || m >= int(sizeof(full))) {
        DebugMsg("MakeFilePath: path too long: %s%s", CurrentPath, name);
        full[0] = '\0';
    }
    return full;
}

namespace {
void DebugFormat(const char* format, va_list ap, bool lineEnd) {
    char buf[1024];
    std::vsnprintf(buf, sizeof(buf), format, ap);
    plat::DebugOutput(buf);
    if (lineEnd) plat::DebugOutput("\r\n");
}
}  // namespace

void DebugMsg(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    DebugFormat(format, ap, true);
    va_end(ap);
}

void DebugMsg2(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    DebugFormat(format, ap, false);
    va_end(ap);
}

// ---- timers and counters ----

void TIME_Init(TIME_DATA* timer) {
    timer->active = 0;
    timer->start = 0;
}

void TIME_Start(TIME_DATA* timer, u32 duration) {
    timer->duration = duration;
    timer->start = plat::GetTimeMs();
    timer->active = 1;
}

namespace {
// The result narrowed to an int; beyond its range (a timer left running for weeks) it saturates.
int ClampInt(__int128 v) { return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : int(v); }
}  // namespace

int TIME_GetTimeRate(TIME_DATA* timer, int value, int cap) {
    if (!timer->active) return 0;
    if (timer->duration == 0) return value;
    u32 elapsed = plat::GetTimeMs() - timer->start;
    // 64-bit product: a 32-bit one wraps once value × elapsed passes 2^32.
    i64 result = i64(value) * i64(elapsed) / i64(timer->duration);
    if (cap && result > value) result = value;
    return ClampInt(result);
}

int TIME_GetTimeRate2(TIME_DATA* timer, int value, int cap) {
    if (!timer->active) return 0;
    if (timer->duration == 0) return value;
    u64 e = plat::GetTimeMs() - timer->start;
    u64 d = timer->duration;
    // e², value·e² and d² overflow 32 bits within a minute; 128 bits hold every case.
    __int128 h = __int128(e * e / 2);
    __int128 result = __int128(value) * h / __int128(d * d);
    if (cap && result > value) result = value;
    return ClampInt(result);
}

int TIME_GetTimeRateFunc(TIME_DATA* timer, TIME_RATE_FUNC func) {
    if (!timer->active) return 0;
    return func(plat::GetTimeMs() - timer->start, timer->duration);
}

namespace {
u32 g_fpsStart = 0;
u32 g_fpsCount = 0;
u32 g_fpsResult = 0;
}  // namespace

u32 GetFps() {
    u32 now = plat::GetTimeMs();
    if (g_fpsStart == 0) g_fpsStart = now;
    ++g_fpsCount;
    i32 elapsed = i32(now - g_fpsStart);
    if (elapsed > 1000) {
        g_fpsResult = g_fpsCount * 1000u / u32(elapsed);
        g_fpsStart = now;
        g_fpsCount = 0;
    }
    return g_fpsResult;
}

void ResetFps() {
    g_fpsStart = 0;
    g_fpsCount = 0;
    g_fpsResult = 0;
}

// ---- numbers and packing ----

int GetValKeta(i32 value) {
    i64 v = value;
    int n = 1;
    if (v < 0) {
        ++n;
        v = -v;
    }
    while (v >= 10) {
        v /= 10;
        ++n;
    }
    return n;
}

u32* SetByteDat(u32* word, u8 b0, u8 b1, u8 b2, u8 b3) {
    *word = u32(b0) | u32(b1) << 8 | u32(b2) << 16 | u32(b3) << 24;
    return word;
}

u32 SetWordDat(u32* word, u16 low, u16 high) {
    *word = u32(low) | u32(high) << 16;
    return *word;
}

// ---- double-byte text ----

namespace {
u32 g_codePage = 0;
}

u32 MBS_GetCodePage() {
    if (g_codePage == 0) g_codePage = 950;  // the game's drawn text is Big5
    return g_codePage;
}

u32 MBS_SetCodePage(u32 codePage) {
    g_codePage = codePage;
    return codePage;
}

int MBS_IsLeadByte(u8 byte) { return byte > 127 ? 1 : 0; }

const char* MBS_NextChar(const char* p) {
    auto c = static_cast<unsigned char>(*p);
    if (c >= 0x80) {
        ++p;
        if (*p) ++p;
    } else if (c) {
        ++p;
    }
    return p;
}

const char* MBS_GetCharStart(const char* start, const char* position) {
    const char* cur = start;
    for (;;) {
        const char* next = MBS_NextChar(cur);
        // At the terminator the walk cannot move on: a position past it gives the terminator.
        if (next >= position || next == cur) return cur;
        cur = next;
    }
}
