// The battle's effect sprite set and the HUD bitmaps, from the shared writers.
#include <string>

#include "tools/mkdata/mkdata.h"
#include "tools/writers/hud_writer.h"

namespace mkdata {

bool BuildEffectsAndHud(const std::string& dataDir, std::string* error) {
    if (!tools::SaveEffectSet(dataDir)) {
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
