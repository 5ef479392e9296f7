// Simple mech sprite sets for tests and sample data: one picture, eight pages (one per facing) whose
// hit rectangles 0 (body), 4 (collision box) and 13 (footprint) are set, and sequences 0..15 of two
// steps each, so every animation a mech starts exists.
#pragma once
#include <string>

#include "tools/writers/spr_writer.h"

namespace tools {

// Hit rectangles of every page.
constexpr RECT kMekaBodyRect{-24, -80, 24, 0};
constexpr RECT kMekaBoxRect{-20, -90, 20, 0};
constexpr RECT kMekaFootRect{-32, -40, 32, 40};

SprSetDef SimpleMekaSet(const std::string& image);
// Writes "<dir>/Bmp/Meka/<stem>.spr" and its picture "<dir>/Bmp/Meka/<stem>.grp" (the set's image
// must be named stem).
bool SaveMekaSet(const std::string& dir, const std::string& stem, const SprSetDef& set);
bool SaveSimpleMekaSet(const std::string& dir, const std::string& stem);

}  // namespace tools
