#include "tools/writers/lz_writer.h"

#include <algorithm>
#include <random>
#include <stdexcept>

#include "shell/lz.h"
#include "tools/writers/byte_writer.h"

namespace tools {

std::vector<u8> LzCompress(const std::vector<u8>& plain) {
    if (plain.size() > 0xFFFFFFFFu) throw std::length_error("LzCompress: more than 4 GiB");
    const lz::Tokens t = lz::Encode(plain.data(), u32(plain.size()));
    ByteWriter w;
    w.U32(t.expandedSize).U32(t.count).Bytes(t.flags).U32(u32(t.data.size())).Bytes(t.data);
    return w.bytes();
}

std::vector<u8> SyntheticPicture16(u32 width, u32 height, u32 seed) {
    std::mt19937 rng(seed);
    std::vector<u8> px(size_t(width) * height * 2);
    auto put = [&](size_t i, u16 c) {
        px[2 * i] = u8(c);
        px[2 * i + 1] = u8(c >> 8);
    };
    for (u32 y = 0; y < height; ++y) {
        const size_t row = size_t(y) * width;
        if (y > 0 && rng() % 4 == 0) {  // a row like the one above
            for (u32 x = 0; x < width; ++x) {
                px[2 * (row + x)] = px[2 * (row - width + x)];
                px[2 * (row + x) + 1] = px[2 * (row - width + x) + 1];
            }
            continue;
        }
        u32 x = 0;
        while (x < width) {
            const u32 len = std::min<u32>(width - x, 4 + rng() % 60);
            if (rng() % 4 == 0) {
                for (u32 k = 0; k < len; ++k) put(row + x + k, u16(rng()));  // noise
            } else {
                const u16 c = u16(rng());
                for (u32 k = 0; k < len; ++k) put(row + x + k, c);  // a flat run
            }
            x += len;
        }
    }
    return px;
}

LzTokenWriter& LzTokenWriter::Literal(u8 byte) {
    isRef_.push_back(false);
    data_.push_back(byte);
    ++produced_;
    return *this;
}

LzTokenWriter& LzTokenWriter::Literals(const std::vector<u8>& bytes) {
    for (u8 b : bytes) Literal(b);
    return *this;
}

LzTokenWriter& LzTokenWriter::Ref(u32 distance, u32 length) {
    if (distance < 1 || distance > 2048 || length < 1 || length > 32)
        throw std::invalid_argument("LzTokenWriter::Ref: distance or length out of range");
    return RefWord(u16(((distance - 1) << 5) | (length - 1)));
}

LzTokenWriter& LzTokenWriter::RefWord(u16 word) {
    isRef_.push_back(true);
    data_.push_back(u8(word));
    data_.push_back(u8(word >> 8));
    produced_ += (word & 31u) + 1;
    return *this;
}

std::vector<u8> LzTokenWriter::Build() const {
    const u32 n = count.value_or(u32(isRef_.size()));
    const u32 d = dataSize.value_or(u32(data_.size()));
    std::vector<u8> flags((u64(n) + 7) / 8, 0);
    for (size_t i = 0; i < isRef_.size() && i < u64(n); ++i)
        if (isRef_[i]) flags[i >> 3] |= u8(1u << (i & 7));
    std::vector<u8> data = data_;
    data.resize(d, 0);
    ByteWriter w;
    w.U32(expandedSize.value_or(produced_)).U32(n).Bytes(flags).U32(d).Bytes(data);
    return w.bytes();
}

}  // namespace tools
