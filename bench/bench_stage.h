// A generated stage for the benchmarks that draw the map: a 640×480 display with the sprite system,
// and in a temporary folder stage 1 ("Bmp/Map/01_0_L"): 120×90 random chips with a background object
// on about every twentieth cell, a chip sheet and a keyed object sheet of three records. Everything is
// released, and the folder removed, with it.
#pragma once
#include <functional>
#include <random>
#include <string>

#include "platform/types.h"

class BenchStage {
public:
    explicit BenchStage(u32 seed);
    ~BenchStage();
    BenchStage(const BenchStage&) = delete;
    BenchStage& operator=(const BenchStage&) = delete;

    // Runs `f` with the stage's folder as the working folder (opening the map, loading mechs).
    void InFolder(const std::function<void()>& f);

    std::mt19937 rng;  // drew the map; the scene's own draws continue from it
    std::string dir;
};
