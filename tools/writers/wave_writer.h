// WAVE and ".snd" sound files for tests and sample data.
#pragma once
#include <string>
#include <vector>

#include "platform/types.h"

namespace tools {

struct WaveOptions {
    u16 formatTag = 1;
    u16 channels = 1;
    u32 rate = 8000;
    u16 bits = 16;
    u32 fmtSize = 16;  // 14, 16, 18...: bytes of the "fmt " chunk (18 adds a zero extra size)
    // Extra chunks (identifier and bytes, written with their pad byte) before "fmt " and before "data".
    std::vector<std::pair<std::string, std::vector<u8>>> beforeFmt;
    std::vector<std::pair<std::string, std::vector<u8>>> beforeData;
    bool listBeforeData = false;  // a "LIST" chunk with one sub-chunk before "data"
    long dataSizeOverride = -1;   // the size written in the "data" header (to fake a truncated file)
    bool omitData = false;
};

u16 WaveBlockAlign(const WaveOptions& options);
std::vector<u8> MakeWave(const WaveOptions& options, const std::vector<u8>& samples);

// ".snd": "SN", the flag ('D' compresses the body with the LZ encoder), the 18-byte format, the data
// size, the body. dataSizeOverride writes another size than the samples'.
std::vector<u8> MakeSnd(const WaveOptions& options, const std::vector<u8>& samples, bool compressed,
                        long dataSizeOverride = -1);

// Mono samples whose values encode their index: 16-bit index mod 65536, 8-bit index mod 256.
std::vector<u8> IndexSamples16(u32 count);
std::vector<u8> IndexSamples8(u32 count);

}  // namespace tools
