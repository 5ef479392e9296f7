// Writes ".spr" sprite sets: "SPR" and one LZ stream holding images, pages and 128 sequences.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "platform/types.h"

namespace tools {

struct SprPartDef {
    u16 image = 0;  // index into the set's image list
    RECT dest{};
    RECT src{};
    u16 attr = 0;
};

struct SprPageDef {
    u16 wait = 0;
    u16 attr = 0;
    std::vector<SprPartDef> parts;
    std::array<RECT, 16> hit{};
};

struct SprStepDef {
    u16 page = 0;
    u16 wait = 0;
};

struct SprSetDef {
    std::vector<std::string> images;  // file stems of ".grp" images beside the set
    std::vector<SprPageDef> pages;
    std::array<std::vector<SprStepDef>, 128> seqs;
};

std::vector<u8> SprBody(const SprSetDef& set);  // the expanded body
std::vector<u8> SprFile(const SprSetDef& set);  // the whole file

}  // namespace tools
