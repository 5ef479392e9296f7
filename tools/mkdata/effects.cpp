// The battle's effect sprite set and the HUD bitmaps, from the shared writers; the sample data's set
// adds the shot sequences its weapons show.
#include <string>

#include "tools/mkdata/mkdata.h"
#include "tools/writers/hud_writer.h"

namespace mkdata {

namespace {

// One page per shot sequence, a glow cell of its own, with every box a shot reads: 0, the hit box 2,
// the height box 4, the firing box 5, the laser link 8 and the trail point 15.
tools::SprSetDef WithShots(tools::SprSetDef set) {
    for (int n = 0; n < kShotSeqCount; n++) {
        tools::SprPageDef page;
        page.wait = 2;
        const i32 cell = ((n + 3) % 8) * 32;
        page.parts.push_back({0, RECT{-12, -24, 12, 0}, RECT{cell, 0, cell + 32, 32}, 0});
        page.hit[0] = RECT{-10, -20, 10, 0};
        page.hit[2] = RECT{-12, -12, 12, 12};
        page.hit[4] = RECT{-8, -24, 8, 0};
        page.hit[5] = RECT{-2, -14, 2, -10};
        page.hit[8] = RECT{12, 0, 12, 0};
        page.hit[15] = tools::kEffectGlowRect;
        set.seqs[std::size_t(kShotSeq + n)] = {{u16(set.pages.size()), 2}, {u16(set.pages.size()), 2}};
        set.pages.push_back(page);
    }
    return set;
}

}  // namespace

bool BuildEffectsAndHud(const std::string& dataDir, std::string* error) {
    if (!tools::SaveEffectSet(dataDir, WithShots(tools::EffectSet()))) {
        *error = "cannot write Bmp/Effect/Effect.spr";
        return false;
    }
    if (!tools::SaveHudPictures(dataDir)) {
        *error = "cannot write Bmp/Parts.grp or Bmp/MekaPnl.grp";
        return false;
    }
    return true;
}

}  // namespace mkdata
