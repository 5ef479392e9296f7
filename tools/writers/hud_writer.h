// Effect and HUD pictures for tests and sample data: "Bmp\Effect\Effect.spr" with every sequence the
// effect types and the target marker start, and the HUD bitmaps "Bmp\Parts.bmp" and "Bmp\MekaPnl.bmp"
// (written as ".grp"), laid out on the rectangles the HUD copies from.
#pragma once
#include <string>

#include "tools/writers/grp_writer.h"
#include "tools/writers/spr_writer.h"

namespace tools {

// Pages of the effect set: facings up to 39 on page 0, and one page per sequence beyond them.
constexpr int kEffectPages = 48;
// Hit rectangles 8 and 15 of every effect page (the chain tip, trail spawn point and glow anchor).
constexpr RECT kEffectTipRect{8, -4, 16, 4};
constexpr RECT kEffectGlowRect{-4, -8, 4, 0};
// Hit rectangle 2, the box the bouncing debris tests the map with.
constexpr RECT kEffectMapRect{-2, -2, 2, 2};

SprSetDef EffectSet();
// "<dir>/Bmp/Effect/Effect.spr" from the set given, and its picture.
bool SaveEffectSet(const std::string& dir, const SprSetDef& set = EffectSet());

// The flat 555 colour of the parts bitmap's 5-row band (rows 5 × band .. + 5, columns 0..130).
u16 PartsBandColour(int band);
// 5×7 capitals and figures, one row a byte, the leftmost column in bit 4; null for other characters.
const u8* CapitalRows(char c);
GrpImage PartsPicture();
// A mech type's portrait at (x, y) of a size × size square: head and shoulders on a flat ground, each
// type a silhouette of its own. "Bmp\MekaPnl.bmp" holds them 36 pixels wide inside 40×40 frames.
u16 MekaPortraitPixel(int type, int x, int y, int size);
GrpImage MekaPnlPicture();
// "<dir>/Bmp/Parts.grp" and "<dir>/Bmp/MekaPnl.grp".
bool SaveHudPictures(const std::string& dir);

}  // namespace tools
