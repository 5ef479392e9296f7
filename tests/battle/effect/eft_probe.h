// What tests read of the effects and the HUD: the live effects, and loading and releasing the effect
// set and the HUD bitmaps written into a test folder.
#pragma once
#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "battle/effect/eft.h"
#include "battle/object/obj.h"
#include "battle/panel/pnl.h"
#include "platform/surface.h"
#include "tools/writers/hud_writer.h"

namespace test {

// Live effects in walk order: type, owner index (-1 none), x, y, z.
inline std::vector<std::array<int, 5>> LiveEffects() {
    std::vector<std::array<int, 5>> out;
    for (int i = ObjActHead; i >= 0; i = ObjTbl[i]->next) {
        const LIST_DATA* o = ObjTbl[i];
        if (o->kind == OBJ_KIND_EFFECT && o->eft) out.push_back({o->eft->type, o->owner < 0 ? -1 : o->owner, o->x, o->y, o->z});
    }
    return out;
}

inline void ClearEffects() {
    for (int i = ObjActHead; i >= 0;) {
        LIST_DATA* o = ObjTbl[i];
        i = o->kind == OBJ_KIND_EFFECT ? EFT_Delete(o) : o->next;
    }
}

// Writes the effect set and the HUD bitmaps under dir (the working folder) and loads them.
inline bool LoadEffectsAndHud(const std::string& dir) {
    return tools::SaveEffectSet(dir) && tools::SaveHudPictures(dir) && EFT_Init() == 1 && PNL_Init() == 1;
}

// Before the sprite system is released: every HUD sprite and surface, then both sets.
inline void UnloadEffectsAndHud() {
    for (int slot = 0; slot < PNL_MAX; ++slot) PNL_Delete(slot);
    PNL_DeleteSlotPanel();
    PNL_DeleteCountPopup();
    PNL_DeleteMarker();
    PNL_Term();
    EFT_Term();
}

}  // namespace test

namespace test {

// A pixel of a 16-bit memory surface.
inline u16 Pixel16(const plat::Surface* s, int x, int y) {
    u16 v = 0;
    std::memcpy(&v, s->pixels + std::ptrdiff_t(y) * s->pitch + x * 2, 2);
    return v;
}

}  // namespace test
