// Shared by the loader fuzz targets. A target is one file `<name>_fuzz.cpp` that defines
// LLVMFuzzerTestOneInput and FuzzSeeds (valid files made by the project's writers), plus one line in
// fuzz/targets.txt with its time, length and memory limits; scripts/fuzz.sh does the rest.
#pragma once
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/audio.h"
#include "platform/surface.h"
#include "platform/types.h"

namespace fuzz {

// Named seed files; run with KORVANE_FUZZ_SEEDS=<folder>, a target writes them there and exits.
using Seeds = std::vector<std::pair<std::string, std::vector<u8>>>;

// Aborts with the message when a property the target checks does not hold.
void Check(bool ok, const char* what);

// The input as a file named `name` (its extension is what the loaders look at) in the target's
// private folder. Backed by one memory file rewritten for every input; the path stays valid.
const char* InputFile(const char* name, const u8* data, size_t size);
// A real file in the same folder, for companions a loader reads beside its input.
std::string CompanionFile(const char* name, const std::vector<u8>& bytes);
// Makes the folder the game's start-up folder, so that names like "Dat\Tama.dat" resolve inside it;
// InputFile and CompanionFile then take such names with '/' (their folders are made on the way).
void UseGameRoot();

// The headless 16-bit (565) display the surface code needs, brought up once.
void NeedDisplay();
// A zero-filled off-screen surface at the display's depth, or at another depth with its masks.
plat::Surface* Canvas(i32 width, i32 height);
plat::Surface* Canvas(i32 width, i32 height, u32 bitCount);

// The sound mixer without an output, pulled by the target (AudioMix), opened once.
plat::AudioDevice* NeedManualMixer();

// Reads a u32 of fuzz-picked bits from a byte string's end (0 where it is too short): targets take
// their variations (a clip rectangle, a style) from there so the fuzzer can steer them.
u32 TailBits(const u8* data, size_t size);

}  // namespace fuzz

fuzz::Seeds FuzzSeeds();
