#include "census.h"

#include <filesystem>
#include <system_error>

#include "graphics/display/disp.h"
#include "graphics/sprite/spr.h"
#include "platform/audio.h"
#include "platform/movie.h"

namespace test {

namespace {

// Regular files only: the libraries keep sockets and pipes of their own for the process's life.
int OpenFiles() {
    std::error_code ec;
    int n = 0;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd", ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
        n += std::filesystem::is_regular_file(it->path(), ec);
    return n;
}

}  // namespace

ResourceCensus ResourceCensus::Take() {
    ResourceCensus c;
    for (int i = 0; i < SPR_MAX; i++) c.sprites += SprTbl[i] != nullptr;
    // The shut-down releases every surface but keeps the slot records; a record without a picture
    // holds nothing.
    for (const SURF_DATA& d : SurfTbl) c.surfSlots += d.useCount != 0 && (d.surface || d.saved);
    for (int i = 0; i < SPRGRP_MAX; i++) c.sprGroups += SprPageTbl[i] != nullptr;
    c.surfaces = DispSurfCount;
    c.soundBuffers = plat::SoundLiveBuffers();
    c.movies = plat::MovieLiveStreams();
    c.files = OpenFiles();
    return c;
}

std::string ResourceCensus::Describe() const {
    return "sprites " + std::to_string(sprites) + ", surface slots " + std::to_string(surfSlots) + ", sprite groups " +
           std::to_string(sprGroups) + ", surfaces " + std::to_string(surfaces) + ", sound buffers " +
           std::to_string(soundBuffers) + ", movies " + std::to_string(movies) + ", open files " +
           std::to_string(files);
}

}  // namespace test
