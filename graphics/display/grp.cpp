#include "graphics/display/grp.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "graphics/display/disp.h"
#include "graphics/display/pal.h"
#include "graphics/display/surf.h"
#include "platform/debug.h"
#include "platform/file.h"
#include "platform/memory.h"
#include "shell/common.h"
#include "shell/lz.h"

namespace {

constexpr u32 kGrpHeaderSize = 13;
constexpr u32 kBmpFileHeaderSize = 14;
constexpr u32 kBmpInfoHeaderSize = 40;
constexpr u32 kPaletteBytes = 768;
// Larger than any picture the game has; a header beyond it is corrupt.
constexpr u32 kMaxImageSide = 16384;
constexpr u64 kMaxPixelBytes = u64(1) << 28;

u16 ReadU16(const u8* p) { return u16(p[0] | p[1] << 8); }
u32 ReadU32(const u8* p) { return u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16 | u32(p[3]) << 24; }

bool EndsWith(const char* name, const char* suffix) {
    const size_t n = std::strlen(name), m = std::strlen(suffix);
    return n >= m && std::memcmp(name + n - m, suffix, m) == 0;
}

void OpenError(const char* name, int code) {
    char line[kMaxPath + 32];
    std::snprintf(line, sizeof(line), "%s:Open error %d\n", name, code);
    plat::DebugOutput(line);
}

// Bytes of the pixel rows (without an 8-bit palette) of a picture whose sides are already bounded.
u64 PixelBytes(u32 width, u32 height, u32 bpp) { return u64(width) * height * (bpp / 8); }

// A source of rows and colours for the converter: ".grp" rows run top-down with RGB palette triples,
// ".bmp" rows may run bottom-up with a BGR colour table.
struct ImageView {
    u32 bpp;
    u32 width, height;
    const u8* firstRow;  // image row 0
    i64 rowStep;         // bytes from image row r to r + 1 (negative for bottom-up)
    u8 rgb[256][3];      // palette of an 8-bit image
};

// Converts the rectangle src of the image to (x, y) of the locked surface by the conversion table.
void ConvertRect(const plat::SurfaceDesc& desc, i32 x, i32 y, const ImageView& img, const RECT& src) {
    const u32 sbits = desc.bitCount;
    const bool is565 = SURF_Is565(&desc);
    const u32 ibytes = img.bpp / 8;
    const i32 w = src.right - src.left, h = src.bottom - src.top;
    u8* dstRow = static_cast<u8*>(desc.pixels) + i64(y) * desc.pitch + i64(x) * (sbits / 8);
    for (i32 r = 0; r < h; ++r, dstRow += desc.pitch) {
        const u8* s = img.firstRow + (src.top + r) * img.rowStep + i64(src.left) * ibytes;
        if (sbits == 8) {
            if (img.bpp == 8) std::memcpy(dstRow, s, size_t(w));
            continue;
        }
        if (sbits == 16) {
            u16* d = reinterpret_cast<u16*>(dstRow);
            if (img.bpp == 16 && !is565) {
                std::memcpy(d, s, size_t(w) * 2);
                continue;
            }
            for (i32 c = 0; c < w; ++c) {
                u16 v;
                if (img.bpp == 8) {
                    const u8 idx = s[c];
                    if (idx == 255) {
                        v = 0;
                    } else {
                        const u8* p = img.rgb[idx];
                        v = is565 ? u16((p[0] >> 3) << 11 | (p[1] >> 2) << 5 | (p[2] >> 3))
                                  : u16((p[0] >> 3) << 10 | (p[1] >> 3) << 5 | (p[2] >> 3));
                        if (v == 0) v = 1;  // black stays visible
                    }
                } else if (img.bpp == 16) {
                    const u16 p = ReadU16(s + c * 2);
                    v = u16(((p & 0x7FE0) << 1) | (p & 0x001F));
                } else if (img.bpp == 24) {
                    const u8* p = s + c * 3;  // blue, green, red
                    v = is565 ? u16((p[2] >> 3) << 11 | (p[1] >> 2) << 5 | (p[0] >> 3))
                              : u16((p[2] >> 3) << 10 | (p[1] >> 3) << 5 | (p[0] >> 3));
                } else {
                    return;
                }
                std::memcpy(d + c, &v, 2);
            }
            continue;
        }
        if (sbits == 32) {
            u8* d = dstRow;
            for (i32 c = 0; c < w; ++c, d += 4) {
                if (img.bpp == 8) {
                    const u8 idx = s[c];
                    if (idx == 255) {
                        std::memset(d, 0, 4);
                        continue;
                    }
                    const u8* p = img.rgb[idx];
                    d[0] = p[2], d[1] = p[1], d[2] = p[0], d[3] = 0;
                    if (!d[0] && !d[1] && !d[2]) d[0] = 1;
                } else if (img.bpp == 16) {
                    const u16 p = ReadU16(s + c * 2);
                    d[0] = u8((p & 0x1F) << 3), d[1] = u8(((p >> 5) & 0x1F) << 3), d[2] = u8(((p >> 10) & 0x1F) << 3);
                    d[3] = 0;
                } else if (img.bpp == 24) {
                    d[0] = s[c * 3], d[1] = s[c * 3 + 1], d[2] = s[c * 3 + 2], d[3] = 0;
                } else {
                    return;
                }
            }
        }
        // Any other surface depth is left as it was.
    }
}

// Locks, pre-clips the source rectangle to the image, clips against the surface and converts.
// False only when the surface could not be locked.
bool PutImage(plat::Surface* surface, i32 x, i32 y, const ImageView& img, const RECT* srcRect) {
    plat::SurfaceDesc desc;
    if (SURF_Lock(surface, &desc) != plat::kSurfOk) return false;
    RECT s{0, 0, i32(img.width), i32(img.height)};
    if (srcRect) {
        s = *srcRect;
        if (s.left < 0) {
            x -= s.left;
            s.left = 0;
        }
        if (s.top < 0) {
            y -= s.top;
            s.top = 0;
        }
        if (s.right > i32(img.width)) s.right = i32(img.width);
        if (s.bottom > i32(img.height)) s.bottom = i32(img.height);
    }
    if (SURF_ClipBlt(&desc, nullptr, &x, &y, &s, 0)) ConvertRect(desc, x, y, img, s);
    SURF_Unlock(surface);
    return true;
}

bool GrpView(const GRP_DATA* image, ImageView* view) {
    if (!image || !image->pixels) return false;
    if (image->bpp != 8 && image->bpp != 16 && image->bpp != 24) return false;
    view->bpp = image->bpp;
    view->width = image->width;
    view->height = image->height;
    view->firstRow = image->pixels;
    view->rowStep = i64(image->width) * (image->bpp / 8);
    std::memset(view->rgb, 0, sizeof(view->rgb));
    if (image->bpp == 8 && image->palette) std::memcpy(view->rgb, image->palette, kPaletteBytes);
    return true;
}

const char* CompressionName(u32 compression) {
    switch (compression) {
        case 1: return "RLE8";
        case 2: return "RLE4";
        case 3: return "bit fields";
        case 4: return "JPEG";
        case 5: return "PNG";
        case 6: return "alpha bit fields";
        default: return "unknown";
    }
}

// What a ".bmp" information header says of the picture's layout: where the rows begin and how many
// bytes the picture needs from the start of the header.
struct BmpLayout {
    u32 headerSize;
    i32 height;  // negative: rows run top-down
    u32 width, rows, bpp, compression;
    u64 tableBytes, stride, pixelsAt, need;
};

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char text[160];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(text, sizeof(text), format, ap);
    va_end(ap);
    return text;
}

// Reads the first 40 bytes of an information header. Empty when the picture is one the converter
// reads, else why not: only uncompressed 8-, 16- and 24-bit pictures, or 16-bit ones with their bit
// fields behind a 40-byte header (the pixels are taken as 5-5-5 whatever the masks say).
std::string ReadBmpLayout(const u8* info, BmpLayout* l) {
    l->headerSize = ReadU32(info);
    const i32 width = i32(ReadU32(info + 4));
    l->height = i32(ReadU32(info + 8));
    l->bpp = ReadU16(info + 14);
    l->compression = ReadU32(info + 16);
    const u32 colorsUsed = ReadU32(info + 32);
    if (l->headerSize < kBmpInfoHeaderSize)
        return Format("malformed bitmap (information header of %u bytes)", l->headerSize);
    if (width <= 0 || l->height == 0 || l->height == i32(0x80000000u))
        return Format("malformed bitmap (size %d x %d)", width, l->height);
    l->width = u32(width);
    l->rows = u32(l->height < 0 ? -l->height : l->height);
    if (l->width > kMaxImageSide || l->rows > kMaxImageSide)
        return Format("size %u x %u is out of range", l->width, l->rows);
    if (l->compression != 0 && !(l->compression == 3 && (l->bpp == 16 || l->bpp == 32)))
        return Format("compression %u (%s) at %u bits is not read", l->compression,
                      CompressionName(l->compression), l->bpp);
    if (l->bpp != 8 && l->bpp != 16 && l->bpp != 24)
        return Format("%u-bit pixels are not read", l->bpp);
    if (l->compression == 3 && l->headerSize != kBmpInfoHeaderSize)
        return Format("bit fields inside a %u-byte information header are not read", l->headerSize);
    if (l->compression == 3) {
        l->tableBytes = 12;
    } else {
        u64 entries = colorsUsed;
        if (entries == 0 && l->bpp <= 8) entries = u64(1) << l->bpp;
        l->tableBytes = entries * 4;
    }
    l->stride = ((u64(l->width) * l->bpp + 31) & ~u64(31)) / 8;
    if (l->stride * l->rows > kMaxPixelBytes) return Format("size %u x %u is out of range", l->width, l->rows);
    l->pixelsAt = u64(l->headerSize) + l->tableBytes;
    l->need = l->pixelsAt + l->stride * l->rows;
    return {};
}

// Checks a ".bmp" block (information header onward) against its size and describes its rows; empty
// when it can be drawn, else why not.
std::string BmpView(const u8* block, u32 blockSize, ImageView* view) {
    if (!block || blockSize < kBmpInfoHeaderSize) return "malformed bitmap (information header cut short)";
    BmpLayout l;
    std::string fault = ReadBmpLayout(block, &l);
    if (!fault.empty()) return fault;
    if (l.headerSize > blockSize) return "malformed bitmap (information header cut short)";
    if (l.pixelsAt > blockSize) return "malformed bitmap (colour table cut short)";
    if (l.need > blockSize) return "malformed bitmap (rows cut short)";

    view->bpp = l.bpp;
    view->width = l.width;
    view->height = l.rows;
    const u8* pixels = block + l.pixelsAt;
    if (l.height > 0) {
        view->firstRow = pixels + (l.rows - 1) * l.stride;
        view->rowStep = -i64(l.stride);
    } else {
        view->firstRow = pixels;
        view->rowStep = i64(l.stride);
    }
    std::memset(view->rgb, 0, sizeof(view->rgb));
    if (l.bpp == 8) {
        const u64 entries = l.tableBytes / 4 < 256 ? l.tableBytes / 4 : 256;
        for (u64 i = 0; i < entries; ++i) {
            const u8* e = block + l.headerSize + i * 4;  // blue, green, red, reserved
            view->rgb[i][0] = e[2], view->rgb[i][1] = e[1], view->rgb[i][2] = e[0];
        }
    }
    return {};
}

u32 CapsOf(int videoMem) { return videoMem ? SURF_CAPS_OFFSCREEN : SURF_CAPS_SYSMEM; }

void StoreSize(i32* size, u32 width, u32 height) {
    if (!size) return;
    size[0] = i32(width);
    size[1] = i32(height);
}

// The working copy of a name with its extension turned into ".grp"; false when it does not fit.
bool GrpName(const char* name, char (&buffer)[kImageNameMax]) {
    if (!name) return false;
    const int n = std::snprintf(buffer, sizeof(buffer), "%s", name);
    if (n < 0 || n >= int(sizeof(buffer))) {
        DebugMsg("image name too long: %.64s...", name);
        return false;
    }
    SURF_SetGrpExt(buffer, sizeof(buffer));
    return true;
}

// The palette-remapping range rules; false when the range is refused.
bool RemapRange(int* dstFirst, int* srcFirst, int* count) {
    int dst = *dstFirst, src = *srcFirst, n = *count;
    if (dst + n < 0 || dst > 255 || src + n < 0 || src > 255) return false;
    if (dst < 0) {
        n += dst;
        src -= dst;
        dst = 0;
    }
    if (dst + n > 256) n = 256 - dst;
    if (src < 0) {
        n += src;
        dst -= src;
        src = 0;
    }
    if (src + n > 256) n = 256 - src;
    *dstFirst = dst, *srcFirst = src, *count = n;
    return true;
}

// Makes the 8-bit surface of an 8-bit picture with every index shifted (255 stays transparent).
plat::Surface* RemappedSurface(const ImageView& img, int dstFirst, int srcFirst, int count, int videoMem,
                               i32* size) {
    if (img.bpp != 8) return nullptr;
    if (count > 0) {
        for (int i = 0; i < count; ++i) {
            const u8* c = img.rgb[srcFirst + i];
            PalEntries[dstFirst + i] = PAL_ENTRY{c[0], c[1], c[2], PAL_FlagsOf(dstFirst + i)};
        }
        DISP_ApplyPalette(dstFirst, count);
    }
    StoreSize(size, img.width, img.height);
    plat::Surface* surface = SURF_Create(i32(img.width), i32(img.height), CapsOf(videoMem));
    if (!surface) return nullptr;
    plat::SurfaceDesc desc;
    if (SURF_Lock(surface, &desc) != plat::kSurfOk) {
        SURF_Release(surface);
        return nullptr;
    }
    if (desc.bitCount == 8) {
        const int shift = dstFirst - srcFirst;
        for (u32 r = 0; r < img.height; ++r) {
            const u8* s = img.firstRow + i64(r) * img.rowStep;
            u8* d = static_cast<u8*>(desc.pixels) + i64(r) * desc.pitch;
            for (u32 c = 0; c < img.width; ++c) d[c] = s[c] == 255 ? 0 : u8((s[c] + shift) & 0xFF);
        }
    }
    SURF_Unlock(surface);
    return surface;
}

}  // namespace

int SURF_ReadGrp(const char* name, GRP_DATA* image) {
    if (!name || !image || !EndsWith(name, ".grp")) return 0;
    std::memset(image, 0, sizeof(*image));
    plat::File* file = plat::FileOpenRead(name);
    if (!file) {
        OpenError(name, -1);
        return 0;
    }
    int ok = 0;
    u8 header[kGrpHeaderSize];
    const char* fault = nullptr;
    if (plat::FileRead(file, header, kGrpHeaderSize) != kGrpHeaderSize) {
        fault = "header cut short";
    } else if (header[0] != 'G' || header[1] != 'R') {
        fault = "not a picture file";
    } else {
        const u16 bpp = ReadU16(header + 3);
        const u32 width = ReadU32(header + 5), height = ReadU32(header + 9);
        if (bpp != 8 && bpp != 16 && bpp != 24) {
            fault = "unknown depth";
        } else if (width > kMaxImageSide || height > kMaxImageSide || PixelBytes(width, height, bpp) > kMaxPixelBytes) {
            fault = "size out of range";
        } else {
            const u64 pixelBytes = PixelBytes(width, height, bpp);
            const u64 body = pixelBytes + (bpp == 8 ? kPaletteBytes : 0);
            auto* block = static_cast<u8*>(plat::GlobalAllocZero(size_t(body)));
            if (!block) {
                fault = "out of memory";
            } else {
                bool read;
                if (header[2] == '2') {
                    u32 expanded = 0;
                    read = LZ_ExpandFromFile(file, block, &expanded, u32(body)) == 1;
                } else {
                    // A body that ends early keeps zeros where nothing was read.
                    read = plat::FileRead(file, block, i64(body)) >= 0;
                }
                if (!read) {
                    plat::GlobalFree(block);
                    fault = "broken body";
                } else {
                    image->bpp = bpp;
                    image->width = width;
                    image->height = height;
                    image->pixels = block;
                    image->palette = bpp == 8 ? block + pixelBytes : nullptr;
                    ok = 1;
                }
            }
        }
    }
    plat::FileClose(file);
    if (fault) DebugMsg("%s: %s", name, fault);
    return ok;
}

void SURF_FreeGrp(GRP_DATA* image) {
    if (!image) return;
    if (image->pixels) plat::GlobalFree(image->pixels);
    std::memset(image, 0, sizeof(*image));
}

int SURF_ReadBmp(const char* name, u8** block, u32* blockSize) {
    if (!name || !block || !EndsWith(name, ".bmp")) return 0;
    *block = nullptr;
    if (blockSize) *blockSize = 0;
    const char* path = MakeFilePath("%s", name);
    // Files compressed by the other platform's LZ expansion tool are not read: plain files only.
    plat::File* file = plat::FileOpenRead(path);
    if (!file) {
        OpenError(name, -1);
        return 0;
    }
    u8 header[kBmpFileHeaderSize];
    const i64 fileSize = plat::FileSize(file);
    const i64 held = fileSize - kBmpFileHeaderSize;  // bytes behind the file header
    std::string fault;
    u64 size = 0;
    if (plat::FileRead(file, header, kBmpFileHeaderSize) != kBmpFileHeaderSize) {
        fault = "header cut short";
    } else if (const u32 stated = ReadU32(header + 2); stated < kBmpFileHeaderSize) {
        fault = Format("file size field %u does not fit the file", stated);
    } else if (i64(stated) <= fileSize) {
        size = stated - kBmpFileHeaderSize;
    } else {
        // A body that stops early at the end of the file keeps zeros where nothing was read, but only
        // as far as the picture's own header can need; its header and colour table must be whole.
        u8 info[kBmpInfoHeaderSize];
        BmpLayout l;
        if (held < i64(kBmpInfoHeaderSize) || plat::FileRead(file, info, kBmpInfoHeaderSize) != kBmpInfoHeaderSize) {
            fault = "information header cut short";
        } else if (fault = ReadBmpLayout(info, &l); fault.empty()) {
            if (l.pixelsAt > u64(held))
                fault = "information header or colour table cut short";
            else if (!plat::FileSeek(file, kBmpFileHeaderSize))
                fault = "read failed";
            else
                size = std::min<u64>(stated - kBmpFileHeaderSize, l.need);
        }
    }
    int ok = 0;
    if (fault.empty()) {
        auto* data = static_cast<u8*>(plat::GlobalAllocZero(size_t(size)));
        const i64 want = std::min<i64>(i64(size), held);
        if (data && plat::FileRead(file, data, want) == want) {
            *block = data;
            if (blockSize) *blockSize = u32(size);
            ok = 1;
        } else {
            plat::GlobalFree(data);
            fault = "read failed";
        }
    }
    plat::FileClose(file);
    if (!fault.empty()) DebugMsg("%s: %s", name, fault.c_str());
    return ok;
}

void SURF_PutGrp(plat::Surface* surface, i32 x, i32 y, const GRP_DATA* image, const RECT* srcRect) {
    ImageView view;
    if (GrpView(image, &view)) PutImage(surface, x, y, view, srcRect);
}

void SURF_PutBmp(plat::Surface* surface, i32 x, i32 y, const u8* block, u32 blockSize, const RECT* srcRect) {
    ImageView view;
    const std::string fault = BmpView(block, blockSize, &view);
    if (fault.empty()) {
        PutImage(surface, x, y, view, srcRect);
    } else {
        DebugMsg("SURF_PutBmp: %s", fault.c_str());
    }
}

plat::Surface* SURF_LoadGrp(const char* name, int palFirst, int palCount, int videoMem, i32* size) {
    GRP_DATA image;
    if (!SURF_ReadGrp(name, &image)) return nullptr;
    if (palCount > 0 && image.bpp == 8) DISP_SetPaletteGrp(&image, palFirst, palCount);
    StoreSize(size, image.width, image.height);
    plat::Surface* surface = SURF_Create(i32(image.width), i32(image.height), CapsOf(videoMem));
    if (surface) SURF_PutGrp(surface, 0, 0, &image, nullptr);
    SURF_FreeGrp(&image);
    return surface;
}

plat::Surface* SURF_LoadImage(const char* name, int palFirst, int palCount, int videoMem, i32* size) {
    char buffer[kImageNameMax];
    if (!GrpName(name, buffer)) return nullptr;
    return SURF_LoadGrp(buffer, palFirst, palCount, videoMem, size);
}

int SURF_LoadGrpTo(plat::Surface* surface, const char* name, int palFirst, int palCount, int videoMem, i32* size) {
    GRP_DATA image;
    if (!SURF_ReadGrp(name, &image)) return 0;
    if (palCount > 0 && image.bpp == 8) DISP_SetPaletteGrp(&image, palFirst, palCount);
    StoreSize(size, image.width, image.height);
    ImageView view;
    const bool drawn = GrpView(&image, &view) && PutImage(surface, 0, 0, view, nullptr);
    SURF_FreeGrp(&image);
    return drawn ? 1 : 0;
}

int SURF_LoadImageTo(plat::Surface* surface, const char* name, int palFirst, int palCount, int videoMem,
                     i32* size) {
    char buffer[kImageNameMax];
    if (!GrpName(name, buffer)) return 0;
    return SURF_LoadGrpTo(surface, buffer, palFirst, palCount, videoMem, size);
}

char* SURF_SetGrpExt(char* name, size_t bufferSize) {
    if (!name) return name;
    const size_t len = strnlen(name, bufferSize);
    if (len >= bufferSize) return name;
    // Only a '.' of the last path component starts an extension.
    size_t cut = len;
    for (size_t i = len; i-- > 0;) {
        if (name[i] == '.') {
            cut = i;
            break;
        }
        if (name[i] == '/' || name[i] == '\\') break;
    }
    if (cut + 4 >= bufferSize) return name;
    std::memcpy(name + cut, ".grp", 5);
    return name;
}

plat::Surface* SURF_LoadGrp8(const char* name, int dstFirst, int srcFirst, int count, int videoMem, i32* size) {
    if (DispBpp != 8) return SURF_LoadGrp(name, srcFirst, count, videoMem, size);
    if (!RemapRange(&dstFirst, &srcFirst, &count)) return nullptr;
    GRP_DATA image;
    if (!SURF_ReadGrp(name, &image)) return nullptr;
    ImageView view;
    plat::Surface* surface = nullptr;
    if (GrpView(&image, &view)) surface = RemappedSurface(view, dstFirst, srcFirst, count, videoMem, size);
    SURF_FreeGrp(&image);
    return surface;
}

plat::Surface* SURF_LoadImage8(const char* name, int dstFirst, int srcFirst, int count, int videoMem, i32* size) {
    if (!name) return nullptr;
    const bool bmp = EndsWith(name, ".bmp");
    if (DispBpp != 8) {
        return bmp ? SURF_LoadImage(name, srcFirst, count, videoMem, size)
                   : SURF_LoadGrp(name, srcFirst, count, videoMem, size);
    }
    if (!bmp) return SURF_LoadGrp8(name, dstFirst, srcFirst, count, videoMem, size);
    if (!RemapRange(&dstFirst, &srcFirst, &count)) return nullptr;
    u8* block = nullptr;
    u32 blockSize = 0;
    if (!SURF_ReadBmp(name, &block, &blockSize)) return nullptr;
    ImageView view;
    plat::Surface* surface = nullptr;
    const std::string fault = BmpView(block, blockSize, &view);
    if (fault.empty()) {
        surface = RemappedSurface(view, dstFirst, srcFirst, count, videoMem, size);
    } else {
        DebugMsg("%s: %s", name, fault.c_str());
    }
    plat::GlobalFree(block);
    return surface;
}
