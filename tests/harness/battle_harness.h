// A whole battle run from a fixed seed with scripted input: set-up and teardown with the battle
// world's own functions in the battle mode's order, one update and one draw per frame, and a text
// line of the frame's state for logs that two runs must repeat exactly. Test code without GoogleTest:
// the battle tests, the battle executable and the benchmarks share it.
#pragma once
#include <string>
#include <vector>

#include "platform/input_fake.h"
#include "platform/types.h"

namespace harness {

// Keys held over frames from..to (inclusive), by scan code.
struct HeldKey {
    int from;
    int to;
    int dik;
};

constexpr int kDikPad2 = 80, kDikPad4 = 75, kDikPad6 = 77, kDikPad8 = 72, kDikPad5 = 76;
constexpr int kDikZ = 44, kDikX = 45, kDikC = 46;

// Sets a battle up on the open data folder: the player against the CPU types, at the survival
// wave's camera. The display, sound, input and sprite system must be up.
void SetupBattle(const std::vector<int>& cpuTypes);
// Releases all of it, in the battle mode's order.
void TeardownBattle();

// Installs the generator as a counted source (same values as plat::Rand) and seeds it.
void SeedRandom(u32 seed);
void RestoreRandom();
u32 RandomState();

// Presses and lets the scripted keys of the frame on the fake backend.
void ApplyInput(plat::FakeInputBackend& input, const std::vector<HeldKey>& script, int frame);
// A checksum of the back buffer's pixels.
u32 BackBufferSum();
// One line of the frame's state; every 30 frames also a checksum of the back buffer.
std::string FrameLine(int frame);

struct RunResult {
    std::vector<std::string> log;
    std::vector<int> statesSeen;  // in order of first appearance
    int frames = 0;
    int endState = 0;
};
// Runs BTL_Loop and BTL_Draw per frame until the sub-state is 17 or 19 or maxFrames have run.
RunResult RunBattle(plat::FakeInputBackend& input, const std::vector<HeldKey>& script, u32 seed, int maxFrames);

// A log against its golden file, line by line. With KORVANE_UPDATE_GOLDEN=1 in the environment the
// file is rewritten from the log instead (written is then true, or error says why it failed).
struct GoldenCheck {
    bool written = false;
    int firstDiff = -1;  // the first line that differs, or where one of the two ends early; -1 none
    std::string want, got;  // those lines ("" past an end)
    std::string error;      // the file could not be read or written
};
GoldenCheck CheckGolden(const std::string& path, const std::vector<std::string>& log);

}  // namespace harness
