#include "graphics/display/pal.h"

#include <cstring>

#include "graphics/display/grp.h"
#include "platform/clock.h"

PAL_ENTRY PalEntries[256];
i16 PalBright[256];
PAL_FADE PalFade;

namespace {

// Clamps a range to the 256 entries; false when nothing of it is left.
bool ClampRange(int* first, int* count) {
    int a = *first, b = *first + *count;
    if (a < 0) a = 0;
    if (b > 256) b = 256;
    if (a >= b) return false;
    *first = a;
    *count = b - a;
    return true;
}

// Brightness outside 0..512 would leave the 8-bit channel; it stops at black and white instead.
u8 Bright(u8 c, int b) {
    int v = c;
    if (b < 256) v = (c * b) >> 8;
    else if (b > 256) v = c + (((255 - c) * (b - 256)) >> 8);
    return u8(v < 0 ? 0 : v > 255 ? 255 : v);
}

i16 PercentToBright(int percent) { return i16(percent * 256 / 100); }

}  // namespace

void DISP_ApplyPalette(int first, int count) {
    if (!DispDevice || !DispPalette || !ClampRange(&first, &count)) return;
    PAL_ENTRY work[256];
    for (int i = first; i < first + count; ++i) {
        const int b = PalBright[i];
        work[i] = PAL_ENTRY{Bright(PalEntries[i].red, b), Bright(PalEntries[i].green, b),
                            Bright(PalEntries[i].blue, b), PAL_FlagsOf(i)};
    }
    DISP_SetPalEntries(&work[first], first, count);
}

void DISP_SetPalette(const PAL_ENTRY* entries, int first, int count) {
    if (!entries) return;
    const int given = first;
    if (!ClampRange(&first, &count)) return;
    for (int i = first; i < first + count; ++i) {
        PalEntries[i] = entries[i - given];
        PalEntries[i].flags = PAL_FlagsOf(i);
    }
    DISP_ApplyPalette(first, count);
}

void DISP_GetPalette(PAL_ENTRY* entries, int first, int count) {
    if (!entries) return;
    const int given = first;
    if (!ClampRange(&first, &count)) return;
    for (int i = first; i < first + count; ++i) entries[i - given] = PalEntries[i];
}

void DISP_SetPaletteEntry(const PAL_ENTRY* entry, int index) {
    if (!entry || index < 0 || index > 255) return;
    PalEntries[index] = PAL_ENTRY{entry->red, entry->green, entry->blue, PAL_FlagsOf(index)};
    DISP_ApplyPalette(index, 1);
}

void DISP_GetPaletteEntry(PAL_ENTRY* entry, int index) {
    if (entry && index >= 0 && index <= 255) *entry = PalEntries[index];
}

void DISP_FillPalette(const PAL_ENTRY* color, int first, int count) {
    if (!color || !ClampRange(&first, &count)) return;
    for (int i = first; i < first + count; ++i)
        PalEntries[i] = PAL_ENTRY{color->red, color->green, color->blue, PAL_FlagsOf(i)};
    DISP_ApplyPalette(first, count);
}

int DISP_FillDevicePalette(const PAL_ENTRY* color, int first, int count) {
    if (!DispDevice || !DispPalette || !color) return 0;
    if (!ClampRange(&first, &count)) return 1;
    PAL_ENTRY work[256];
    for (int i = first; i < first + count; ++i) work[i] = *color;
    DISP_SetPalEntries(&work[first], first, count);
    return 1;
}

void DISP_SetPaletteBmp(const void* bmpInfo, u32 blockSize, int first, int count) {
    if (!bmpInfo || blockSize < 4 || !ClampRange(&first, &count)) return;
    const u8* block = static_cast<const u8*>(bmpInfo);
    u32 headerSize;
    std::memcpy(&headerSize, block, 4);
    for (int i = first; i < first + count; ++i) {
        // Only the colour table entries that lie inside the block are taken.
        const u64 at = u64(headerSize) + u64(i) * 4;
        if (at + 3 > blockSize) break;
        PalEntries[i] = PAL_ENTRY{block[at + 2], block[at + 1], block[at], PAL_FlagsOf(i)};
    }
    DISP_ApplyPalette(first, count);
}

void DISP_SetPaletteGrp(const GRP_DATA* image, int first, int count) {
    if (!image || !image->palette || !ClampRange(&first, &count)) return;
    for (int i = first; i < first + count; ++i)
        PalEntries[i] = PAL_ENTRY{image->palette[i * 3], image->palette[i * 3 + 1], image->palette[i * 3 + 2],
                                  PAL_FlagsOf(i)};
    DISP_ApplyPalette(first, count);
}

void DISP_SetPaletteBright(int percent, int first, int count) {
    if (!ClampRange(&first, &count)) return;
    const i16 b = PercentToBright(percent);
    for (int i = first; i < first + count; ++i) PalBright[i] = b;
    DISP_ApplyPalette(first, count);
}

void DISP_SetPaletteFade(u32 duration, int percent, int first, int count) {
    if (!ClampRange(&first, &count)) return;
    PalFade.prepared = 1;
    PalFade.running = 0;
    PalFade.first = i16(first);
    PalFade.count = i16(count);
    PalFade.start = plat::GetTimeMs();
    PalFade.duration = duration;
    const i16 target = PercentToBright(percent);
    for (int i = first; i < first + count; ++i) {
        PalFade.startBright[i] = PalBright[i];
        PalFade.change[i] = i16(target - PalBright[i]);
    }
}

int DISP_StartPaletteFade(int noWait) {
    if (!PalFade.prepared) return 0;
    PalFade.running = 1;
    if (!noWait)
        while (PalFade.prepared) DISP_RenewPaletteFade();
    return 1;
}

int DISP_StopPaletteFade() {
    if (!PalFade.prepared) return 0;
    PalFade.running = 0;
    return 1;
}

int DISP_IsPaletteFadeRun() { return PalFade.running; }

int DISP_RenewPaletteFade() {
    if (!PalFade.prepared || !PalFade.running) return 0;
    const u32 now = plat::GetTimeMs();
    const int first = PalFade.first, count = PalFade.count;
    // Measured as elapsed time, so a clock that wraps during the fade does not end it early.
    const u32 elapsed = now - PalFade.start;
    if (elapsed >= PalFade.duration) {
        for (int i = first; i < first + count; ++i) PalBright[i] = i16(PalFade.startBright[i] + PalFade.change[i]);
        DISP_ApplyPalette(first, count);
        DISP_ClearPaletteFade();
        return 1;
    }
    if (elapsed != 0) {
        // The change is signed and the elapsed time unsigned: multiply in signed 64 bits.
        for (int i = first; i < first + count; ++i)
            PalBright[i] = i16(PalFade.startBright[i] +
                               i16(i64(PalFade.change[i]) * i64(elapsed) / i64(PalFade.duration)));
        DISP_ApplyPalette(first, count);
    }
    return 1;
}

void DISP_ClearPaletteFade() { std::memset(&PalFade, 0, sizeof(PalFade)); }
