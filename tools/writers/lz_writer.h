// LZ streams for data files: the game's own encoding of a byte block, and hand-built token lists for
// streams that the encoder never writes (short references, contradictory headers).
#pragma once
#include <optional>
#include <vector>

#include "platform/types.h"

namespace tools {

// The stream LZ_CompressToFile writes for these bytes.
std::vector<u8> LzCompress(const std::vector<u8>& plain);

// A 16-bit picture that compresses like a game graphic: flat runs, repeated rows and patches of noise.
std::vector<u8> SyntheticPicture16(u32 width, u32 height, u32 seed);

class LzTokenWriter {
public:
    LzTokenWriter& Literal(u8 byte);
    LzTokenWriter& Literals(const std::vector<u8>& bytes);
    // distance 1..2048, length 1..32
    LzTokenWriter& Ref(u32 distance, u32 length);
    // A reference with any 16-bit word.
    LzTokenWriter& RefWord(u16 word);

    // The fields default to what the tokens give; tests override them to build lying headers.
    std::optional<u32> expandedSize;
    std::optional<u32> count;
    std::optional<u32> dataSize;

    // Flag bytes for the token count written (at most those of the tokens given, zeros beyond), then
    // the token data cut or zero-padded to the data size written.
    std::vector<u8> Build() const;
    u32 produced() const { return produced_; }

private:
    std::vector<bool> isRef_;
    std::vector<u8> data_;
    u32 produced_ = 0;
};

}  // namespace tools
