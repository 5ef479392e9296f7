// Helpers of the sprite drawing tests: sprite groups built in memory and a spy in the blit table.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "graphics/sprite/spr.h"
#include "graphics/sprite/spr_blt.h"
#include "platform/memory.h"

namespace test {

struct PartDef {
    int slot;  // surface slot of the image
    RECT dest;
    RECT src;
    u16 attr = 0;
};

struct PageDef {
    u16 attr = 0;
    std::vector<PartDef> parts;
    std::vector<RECT> hits;  // rectangles 0.. (the rest stay empty)
};

// Puts pages into group slot g the way the loader leaves them (the images are the caller's slots).
inline void MakeGroup(int g, const std::vector<PageDef>& pages) {
    auto* tbl = static_cast<SPR_PAGE*>(plat::GlobalAllocZero(sizeof(SPR_PAGE) * pages.size()));
    for (size_t i = 0; i < pages.size(); ++i) {
        SPR_PAGE& p = tbl[i];
        p.attr = pages[i].attr;
        p.partCount = u16(pages[i].parts.size());
        if (p.partCount) {
            p.parts = static_cast<SPR_PART*>(plat::GlobalAllocZero(sizeof(SPR_PART) * p.partCount));
            for (size_t k = 0; k < pages[i].parts.size(); ++k) {
                const PartDef& d = pages[i].parts[k];
                p.parts[k].image = u16(d.slot);
                p.parts[k].dest = d.dest;
                p.parts[k].src = d.src;
                p.parts[k].attr = d.attr;
            }
        }
        for (size_t k = 0; k < pages[i].hits.size() && k < SPR_HIT_MAX; ++k) p.hit[k] = pages[i].hits[k];
    }
    SprPageTbl[g] = tbl;
    SprGrpTbl[g].pageCount = u16(pages.size());
    SprGrpTbl[g].imageCount = 0;
}

// One recorded blit call, with the destination and source rectangles copied as they were passed (the
// caller's may be gone afterwards; all zeros for none).
struct BltCall {
    int blt;
    SPR_BLT_ARGS args;
    RECT dstRect;
    RECT srcRect;
};

// Replaces every entry of the blit table while it lives; the calls are recorded, nothing is drawn.
class BltSpy {
public:
    BltSpy() {
        std::copy(std::begin(SprBltTbl), std::end(SprBltTbl), saved_);
        current_ = this;
        for (auto& fn : SprBltTbl) fn = &Record;
    }
    ~BltSpy() {
        std::copy(std::begin(saved_), std::end(saved_), SprBltTbl);
        current_ = nullptr;
    }
    BltSpy(const BltSpy&) = delete;
    BltSpy& operator=(const BltSpy&) = delete;

    std::vector<BltCall> calls;
    void Clear() { calls.clear(); }

private:
    static int Record(int blt, const SPR_BLT_ARGS& a) {
        BltCall c{blt, a, a.dstRect ? *a.dstRect : RECT{}, a.srcRect ? *a.srcRect : RECT{}};
        c.args.dstRect = nullptr;
        current_->calls.push_back(c);
        return 0;
    }
    SPR_BLT_FUNC saved_[SPR_BLT_MAX]{};
    static inline BltSpy* current_ = nullptr;
};

}  // namespace test
