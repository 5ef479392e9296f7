// The LZ stream inside ".grp", ".snd", ".spr" and ".fnt" files: expanded size, token count, one flag
// bit per token (set = back-reference), token-data size, then the tokens. A literal is one byte; a
// back-reference is a little-endian word W, distance (W >> 5) + 1 (1..2048), length (W & 31) + 1.
#pragma once
#include <cstddef>
#include <vector>

#include "platform/file.h"
#include "platform/types.h"

// Writes one stream for the whole source at the file's position. 1 on success, 0 when a write fails.
int LZ_CompressToFile(plat::File* file, const void* source, u32 size);

// Expands the stream at the file's position into dest, which holds destSize bytes; the expanded size
// goes through size (when given) as soon as it is read. 1 on success, 0 on a read error or a stream
// that contradicts itself or the buffer (nothing is written outside dest). The file is left just past
// the token data.
int LZ_ExpandFromFile(plat::File* file, void* dest, u32* size, u32 destSize);

// The same into a new zero-filled block of exactly the expanded size (free it with plat::GlobalFree).
// On failure *block is null and nothing stays allocated. A stream stating more than maxSize bytes (the
// most the caller's format can need) fails before anything is allocated.
int LZ_ExpandFromFileAlloc(plat::File* file, void** block, u32* size, u32 maxSize = 0xFFFFFFFFu);

// The expander over a stream held in memory; used (when given) receives the bytes the stream took.
int LZ_ExpandFromMemory(const void* stream, std::size_t streamSize, void* dest, u32 destSize, u32* size,
                        std::size_t* used);

namespace lz {

constexpr u32 kWindow = 2048;
constexpr u32 kMaxLength = 32;
constexpr u32 kMinLength = 3;  // shorter repeats stay literals

// The encoder's result before it is written out.
struct Tokens {
    u32 expandedSize = 0;
    u32 count = 0;
    std::vector<u8> flags;  // (count + 7) / 8 bytes
    std::vector<u8> data;
};

// Exhaustive search of the window; the nearest distance wins among equally long matches.
Tokens Encode(const void* source, u32 size);

}  // namespace lz
