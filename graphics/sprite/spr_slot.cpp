// Surface slots shared by file stem, and sprite groups loaded from ".spr" files.
#include <cstring>

#include "graphics/display/grp.h"
#include "graphics/sprite/spr.h"
#include "platform/file.h"
#include "platform/memory.h"
#include "shell/common.h"
#include "shell/lz.h"

SURF_DATA SurfTbl[SURF_SLOT_MAX];
SPRGRP_DATA SprGrpTbl[SPRGRP_MAX];
SPR_PAGE* SprPageTbl[SPRGRP_MAX];
SPR_SEQ SprSeqTbl[SPRGRP_MAX][SPR_SEQ_MAX];

namespace {

u32 g_surfColorKey = 0;

// Far beyond any sprite set (thousands of pages of dozens of parts fit in a few megabytes).
constexpr u32 kMaxSprBody = 64u << 20;

bool IsSep(char c) { return c == '\\' || c == '/'; }

// The part of a path after its last separator ('\' or '/': names arrive with the start-up
// directory, which ends in '/', in front).
const char* AfterLastSep(const char* path) {
    const char* base = path;
    for (const char* p = path; *p; p = MBS_NextChar(p))
        if (IsSep(*p)) base = p + 1;
    return base;
}

int FirstFreeSlot() {
    for (int i = 0; i < SURF_SLOT_MAX; ++i)
        if (SurfTbl[i].useCount == 0) return i;
    return -1;
}

// A bounded cursor over the expanded ".spr" body: every read is checked against its end.
struct Body {
    const u8* p;
    const u8* end;
    bool ok = true;

    bool Need(size_t n) {
        if (!ok || size_t(end - p) < n) ok = false;
        return ok;
    }
    u16 U16() {
        if (!Need(2)) return 0;
        u16 v = u16(p[0] | p[1] << 8);
        p += 2;
        return v;
    }
    i32 I32() {
        if (!Need(4)) return 0;
        u32 v = u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16 | u32(p[3]) << 24;
        p += 4;
        return i32(v);
    }
    void Skip(size_t n) {
        if (Need(n)) p += n;
    }
    RECT Rect() {
        RECT r;
        r.left = I32();
        r.top = I32();
        r.right = I32();
        r.bottom = I32();
        return r;
    }
};

void FreeGroupData(int g) {
    if (SprPageTbl[g]) {
        for (int i = 0; i < SprGrpTbl[g].pageCount; ++i) plat::GlobalFree(SprPageTbl[g][i].parts);
        plat::GlobalFree(SprPageTbl[g]);
        SprPageTbl[g] = nullptr;
    }
    for (auto& seq : SprSeqTbl[g]) {
        plat::GlobalFree(seq.steps);
        seq = SPR_SEQ{};
    }
}

}  // namespace

plat::Surface* SPR_GetSlotSurf(int slot) {
    if (slot < 0 || slot >= SURF_SLOT_MAX || SurfTbl[slot].useCount == 0) return nullptr;
    return SurfTbl[slot].surface;
}

int SPR_LoadSurf(const char* name, int vidmem) {
    if (!name) return -1;
    const char* base = AfterLastSep(name);
    const char* dot = std::strrchr(base, '.');
    size_t len = dot ? size_t(dot - base) : std::strlen(base);
    if (len >= SURF_NAME_MAX) {
        DebugMsg("SPR_LoadSurf: image name too long: %s", name);
        return -1;
    }
    char key[SURF_NAME_MAX] = {};
    std::memcpy(key, base, len);

    for (int i = 0; i < SURF_SLOT_MAX; ++i) {
        if (SurfTbl[i].useCount != 0 && std::strcmp(SurfTbl[i].name, key) == 0) {
            ++SurfTbl[i].useCount;
            return i;
        }
    }
    int slot = FirstFreeSlot();
    if (slot < 0) return -1;
    plat::Surface* surface = SURF_LoadImage(name, 0, 0, vidmem, nullptr);
    if (!surface) return -1;
    SURF_SetColorKey(surface, g_surfColorKey);
    SURF_DATA& d = SurfTbl[slot];
    std::memcpy(d.name, key, sizeof(key));
    d.surface = surface;
    d.saved = nullptr;
    d.useCount = 1;
    return slot;
}

int SPR_CreateSurf(i32 width, i32 height, int vidmem) {
    int slot = FirstFreeSlot();
    if (slot < 0) return -1;
    plat::Surface* surface = SURF_Create(width, height, vidmem ? SURF_CAPS_OFFSCREEN : SURF_CAPS_SYSMEM);
    if (!surface) return -1;
    SURF_SetColorKey(surface, g_surfColorKey);
    SURF_DATA& d = SurfTbl[slot];
    std::memset(d.name, 0, sizeof(d.name));
    std::strcpy(d.name, "CREATE !");
    d.surface = surface;
    d.saved = nullptr;
    d.useCount = 1;
    return slot;
}

int SPR_DelSurfDat(int slot) {
    // A number above the table names no slot either: 0, as for a negative one, so the release
    // wrapper hands it back unchanged.
    if (slot < 0 || slot >= SURF_SLOT_MAX) return 0;
    SURF_DATA& d = SurfTbl[slot];
    if (d.useCount == 0) return 1;
    if (--d.useCount == 0) {
        SURF_Release(d.surface);
        plat::GlobalFree(d.saved);
        d = SURF_DATA{};
    }
    return 1;
}

void SPR_ReleaseSurfAll() {
    for (auto& d : SurfTbl) {
        if (d.useCount == 0) continue;
        SURF_Release(d.surface);
        d.surface = nullptr;
    }
}

void SPR_PushSurfAll() {
    for (auto& d : SurfTbl) {
        if (d.useCount == 0 || !d.surface) continue;
        d.saved = SURF_Save(d.surface);
        SURF_Release(d.surface);
        d.surface = nullptr;
    }
}

int SPR_PopSurfAll() {
    for (auto& d : SurfTbl) {
        if (d.useCount == 0 || !d.saved) continue;
        d.surface = SURF_Restore(&d.saved);
    }
    return 1;
}

u32 SPR_SetSurfColorKey(u32 key) {
    g_surfColorKey = key;
    return key;
}

int SPR_GetFreeSprGrp() {
    for (int g = 0; g < SPRGRP_MAX; ++g)
        if (!SprPageTbl[g]) return g;
    return -1;
}

SPR_PAGE* SPR_GetGrpPage(int group, int page) {
    if (group < 0 || group >= SPRGRP_MAX || !SprPageTbl[group]) return nullptr;
    if (page < 0 || page >= SprGrpTbl[group].pageCount) return nullptr;
    return &SprPageTbl[group][page];
}

// A missing file, a wrong magic or a broken LZ stream fail silently; the refusals that callers or
// damaged files cause (bad or busy group slot, counts that do not fit the body) say why.
int SPR_LoadSprGrp(int g, const char* path, int vidmem) {
    if (g < 0 || g >= SPRGRP_MAX) {
        DebugMsg("SPR_LoadSprGrp: no such group slot %d (%s)", g, path ? path : "");
        return 0;
    }
    if (SprPageTbl[g]) {
        DebugMsg("SPR_LoadSprGrp: group slot %d is in use (%s)", g, path ? path : "");
        return 0;
    }
    plat::File* file = plat::FileOpenRead(path);
    if (!file) return 0;
    char magic[3] = {};
    void* raw = nullptr;
    u32 size = 0;
    bool ok = plat::FileRead(file, magic, 3) == 3 && std::memcmp(magic, "SPR", 3) == 0 &&
              LZ_ExpandFromFileAlloc(file, &raw, &size, kMaxSprBody) == 1;
    u8* block = static_cast<u8*>(raw);
    plat::FileClose(file);
    if (!ok) {
        if (size > kMaxSprBody) DebugMsg("SPR_LoadSprGrp: %s states a %u-byte body, too large", path, size);
        plat::GlobalFree(block);
        return 0;
    }

    // Parse into locals first: a file whose counts do not fit its body is refused whole.
    Body body{block, block + size};
    SPRGRP_DATA head{};
    u32 imageCount = body.U16();
    if (imageCount > SPRGRP_IMAGE_MAX) body.ok = false;
    char names[SPRGRP_IMAGE_MAX][kMaxPath];
    for (u32 i = 0; body.ok && i < imageCount; ++i) {
        const u8* nul = static_cast<const u8*>(std::memchr(body.p, 0, size_t(body.end - body.p)));
        size_t len = nul ? size_t(nul - body.p) : 0;
        if (!nul || len >= SURF_NAME_MAX) {
            body.ok = false;
            break;
        }
        std::memcpy(names[i], body.p, len + 1);
        body.p = nul + 1;
    }
    u32 pageCount = body.U16();
    body.Need(size_t(pageCount) * (10 + 16 * 16));  // every page holds at least its head and hit rectangles
    SPR_PAGE* pages = nullptr;
    SPR_SEQ seqs[SPR_SEQ_MAX] = {};
    if (body.ok) pages = static_cast<SPR_PAGE*>(plat::GlobalAllocZero(sizeof(SPR_PAGE) * (pageCount ? pageCount : 1)));
    if (!pages) body.ok = false;
    for (u32 p = 0; body.ok && p < pageCount; ++p) {
        SPR_PAGE& page = pages[p];
        page.partCount = body.U16();
        page.wait = body.U16();
        if (body.Need(4)) std::memcpy(page.unused, body.p, 4);
        body.Skip(4);
        page.attr = body.U16();
        if (body.ok && page.partCount) {
            if (!body.Need(size_t(page.partCount) * 40)) break;
            page.parts = static_cast<SPR_PART*>(plat::GlobalAllocZero(sizeof(SPR_PART) * page.partCount));
            if (!page.parts) {
                body.ok = false;
                break;
            }
            for (u32 k = 0; k < page.partCount; ++k) {
                SPR_PART& part = page.parts[k];
                part.image = body.U16();
                body.Skip(2);
                part.dest = body.Rect();
                part.src = body.Rect();
                part.attr = body.U16();
                body.Skip(2);
                if (part.image >= imageCount) body.ok = false;
            }
        }
        for (auto& hit : page.hit) hit = body.Rect();
    }
    for (int s = 0; body.ok && s < SPR_SEQ_MAX; ++s) {
        u16 count = body.U16();
        if (!count || !body.Need(size_t(count) * 8)) continue;
        seqs[s].steps = static_cast<SPR_STEP*>(plat::GlobalAllocZero(sizeof(SPR_STEP) * count));
        if (!seqs[s].steps) {
            body.ok = false;
            break;
        }
        seqs[s].count = count;
        for (u32 k = 0; k < count; ++k) {
            seqs[s].steps[k].page = body.U16();
            seqs[s].steps[k].wait = body.U16();
            std::memcpy(seqs[s].steps[k].unused, body.p, 4);
            body.Skip(4);
        }
    }
    plat::GlobalFree(block);
    if (!body.ok) {
        DebugMsg("SPR_LoadSprGrp: %s is damaged (counts do not fit the file)", path);
        for (u32 p = 0; pages && p < pageCount; ++p) plat::GlobalFree(pages[p].parts);
        plat::GlobalFree(pages);
        for (auto& seq : seqs) plat::GlobalFree(seq.steps);
        return 0;
    }

    // Images live beside the ".spr" file, as ".grp" files named by their stems.
    head.imageCount = u16(imageCount);
    head.pageCount = u16(pageCount);
    const char* base = AfterLastSep(path);
    size_t dirLen = size_t(base - path);
    for (u32 i = 0; i < imageCount; ++i) {
        char image[kMaxPath];
        int n = std::snprintf(image, sizeof(image), "%.*s%s.grp", int(dirLen), path, names[i]);
        head.imageSlot[i] = (n > 0 && n < int(sizeof(image))) ? u16(SPR_LoadSurf(image, vidmem)) : u16(0xFFFF);
    }
    for (u32 p = 0; p < pageCount; ++p)
        for (u32 k = 0; k < pages[p].partCount; ++k) pages[p].parts[k].image = head.imageSlot[pages[p].parts[k].image];
    SprGrpTbl[g] = head;
    SprPageTbl[g] = pages;
    std::memcpy(SprSeqTbl[g], seqs, sizeof(seqs));
    return 1;
}

void SPR_DelSprGrp(int g) {
    if (g < 0 || g >= SPRGRP_MAX || !SprPageTbl[g]) return;
    FreeGroupData(g);
    for (int i = 0; i < SprGrpTbl[g].imageCount; ++i) {
        u16 slot = SprGrpTbl[g].imageSlot[i];
        if (slot < SURF_SLOT_MAX) SPR_DelSurfDat(slot);
    }
    SprGrpTbl[g] = SPRGRP_DATA{};
}
