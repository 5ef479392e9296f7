// What the game holds at one moment: sprites, surface slots and groups, surfaces, sound buffers,
// movies and open files. A scene or a whole run that ends where it began leaves the same census.
#pragma once
#include <string>

#include "platform/types.h"

namespace test {

struct ResourceCensus {
    int sprites = 0;
    int surfSlots = 0;
    int sprGroups = 0;
    i32 surfaces = 0;
    u32 soundBuffers = 0;
    u32 movies = 0;
    int files = 0;  // regular files open in the process

    static ResourceCensus Take();
    std::string Describe() const;
    bool operator==(const ResourceCensus&) const = default;
};

}  // namespace test
