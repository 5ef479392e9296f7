#include "shell/lz.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/memory.h"

namespace lz {

Tokens Encode(const void* source, u32 size) {
    const auto* src = static_cast<const u8*>(source);
    Tokens t;
    t.expandedSize = size;
    t.flags.assign((u64(size) + 7) / 8, 0);
    t.data.reserve(size);

    u32 p = 0;
    while (p < size) {
        const u32 m = u64(p) + kMaxLength < size ? kMaxLength : size - p;
        const u8* cur = src + p;
        const u8* lo = cur - std::min(p, kWindow);
        const u8* hi = cur;
        u32 bestLen = 0;
        u32 bestDist = 0;
        // Walks the window nearest first, visiting only the distances whose first byte matches: the
        // others give a length of 0 and could never replace the best, so the result is the plain
        // distance-by-distance search's.
        while (hi > lo && bestLen < m) {
            const void* hit = memrchr(lo, cur[0], size_t(hi - lo));
            if (!hit) break;
            const u8* cand = static_cast<const u8*>(hit);
            hi = cand;
            // Only a strictly longer match counts, so a candidate must at least match through bestLen.
            if (cand[bestLen] != cur[bestLen]) continue;
            u32 n = 1;
            while (n < m && cand[n] == cur[n]) ++n;
            if (n > bestLen) {
                bestLen = n;
                bestDist = u32(cur - cand);
            }
        }
        if (bestLen >= kMinLength) {
            const u32 w = ((bestDist - 1) << 5) | (bestLen - 1);
            t.data.push_back(u8(w));
            t.data.push_back(u8(w >> 8));
            t.flags[t.count >> 3] |= u8(1u << (t.count & 7));
            p += bestLen;
        } else {
            t.data.push_back(*cur);
            ++p;
        }
        ++t.count;
    }
    t.flags.resize((u64(t.count) + 7) / 8);
    return t;
}

}  // namespace lz

namespace {

using lz::kMaxLength;

u32 ReadLe32(const u8* b) { return u32(b[0]) | u32(b[1]) << 8 | u32(b[2]) << 16 | u32(b[3]) << 24; }

// Copies len (1..32) bytes from dist back, byte by byte in effect: a distance below the length
// repeats the bytes the copy has just written. Wide moves replace the byte loop: a period shorter
// than eight is laid out once in a register and stored at every multiple of itself, and a copy that
// does not overlap itself moves its first and last stretch at once.
inline void CopyBack(u8* dst, u64 dist, u64 len) {
    const u8* from = dst - dist;
    if (dist >= len) {
        if (len >= 16) {
            u8 head[16], tail[16];
            std::memcpy(head, from, 16);
            std::memcpy(tail, from + len - 16, 16);
            std::memcpy(dst, head, 16);
            std::memcpy(dst + len - 16, tail, 16);
        } else if (len >= 8) {
            u64 head, tail;
            std::memcpy(&head, from, 8);
            std::memcpy(&tail, from + len - 8, 8);
            std::memcpy(dst, &head, 8);
            std::memcpy(dst + len - 8, &tail, 8);
        } else {
            for (u64 k = 0; k < len; ++k) dst[k] = from[k];
        }
        return;
    }
    u64 k = 0;
    if (dist < 8) {
        static constexpr u8 kStep[8] = {0, 8, 8, 6, 8, 5, 6, 7};  // the largest multiple of dist <= 8
        // Byte loads and shifts: reading the pattern back from memory would stall on the stores.
        u64 period = 0;
        for (u64 j = 0; j < dist; ++j) period |= u64(from[j]) << (8 * j);
        u64 pattern = period;
        for (u64 shift = 8 * dist; shift < 64; shift += 8 * dist) pattern |= period << shift;
        const u64 step = kStep[dist];
        for (; k + 8 <= len; k += step) std::memcpy(dst + k, &pattern, 8);
        for (; k < len; ++k, pattern >>= 8) dst[k] = u8(pattern);
        return;
    }
    for (; k + 8 <= len; k += 8) {  // eight back or more: each chunk reads finished bytes
        u64 chunk;
        std::memcpy(&chunk, from + k, 8);
        std::memcpy(dst + k, &chunk, 8);
    }
    for (; k < len; ++k) dst[k] = from[k];
}

// How far beyond a reference's end CopyBackWide may write.
constexpr u64 kSpill = 64;

// CopyBack for a destination with kSpill bytes of room that later tokens will overwrite: it writes
// 32 bytes or more whatever the length, so that its branches depend on the distance alone.
inline void CopyBackWide(u8* dst, u64 dist) {
    const u8* from = dst - dist;
    if (dist >= 16) {  // the second half may read what the first has just written
        u8 chunk[16];
        std::memcpy(chunk, from, 16);
        std::memcpy(dst, chunk, 16);
        std::memcpy(chunk, from + 16, 16);
        std::memcpy(dst + 16, chunk, 16);
    } else if (dist >= 8) {
        for (u64 k = 0; k < 32; k += 8) {
            u64 chunk;
            std::memcpy(&chunk, from + k, 8);
            std::memcpy(dst + k, &chunk, 8);
        }
    } else {
        // The period in a register, repeated by a multiplication; six stores at multiples of it.
        static constexpr u64 kRepeat[8] = {0,
                                           0x0101010101010101,
                                           0x0001000100010001,
                                           0x0001000001000001,
                                           0x0000000100000001,
                                           0x0000010000000001,
                                           0x0001000000000001,
                                           0x0100000000000001};
        static constexpr u8 kStep[8] = {0, 8, 8, 6, 8, 5, 6, 7};  // the largest multiple of dist <= 8
        u64 period = 0;
        for (u64 j = 0; j < dist; ++j) period |= u64(from[j]) << (8 * j);
        const u64 pattern = period * kRepeat[dist];
        const u64 step = kStep[dist];
        for (u64 k = 0; k < 6; ++k) std::memcpy(dst + k * step, &pattern, 8);
    }
}

// Replays the tokens into out[0, bound). Fails (false) on anything the stream cannot mean: a token
// past the token data, a reference before the start of the output, or output beyond the bound.
bool WalkTokens(const u8* flags, u32 count, const u8* data, u64 dataSize, u8* out, u64 bound) {
    u64 t = 0;
    u64 o = 0;
    u32 i = 0;
    // The tokens of one flag byte. Checked tests every token against the data and the bound; the
    // other form runs where eight tokens cannot reach either, with room for every copy to write
    // kSpill bytes beyond its end, and with kSpill tokens or more still to come: they produce at
    // least kSpill bytes, which cover whatever a copy wrote beyond its length.
    auto group = [&]<bool Checked>(u32 bits, u32 n) {
        for (u32 b = 0; b < n; ++b, bits >>= 1) {
            if (!(bits & 1)) {
                if (Checked && (t >= dataSize || o >= bound)) return false;
                out[o++] = data[t++];
                continue;
            }
            if (Checked && t + 2 > dataSize) return false;
            const u32 w = u32(data[t]) | u32(data[t + 1]) << 8;
            t += 2;
            const u64 dist = (w >> 5) + 1;
            const u64 len = (w & 31) + 1;
            if (dist > o || (Checked && o + len > bound)) return false;
            if (Checked)
                CopyBack(out + o, dist, len);
            else
                CopyBackWide(out + o, dist);
            o += len;
        }
        return true;
    };
    while (i < count) {
        const u32 n = std::min<u32>(8, count - i);
        const u32 bits = flags[i >> 3];
        if (bits == 0) {
            // A stretch of literal flag bytes is one copy.
            u64 end = (u64(i) >> 3) + 1;
            const u64 last = (u64(count) + 7) >> 3;
            while (end < last && flags[end] == 0) ++end;
            const u64 lits = std::min<u64>(end << 3, count) - i;
            if (t + lits > dataSize || o + lits > bound) return false;
            std::memcpy(out + o, data + t, lits);
            t += lits;
            o += lits;
            i += u32(lits);
            continue;
        }
        const bool roomy = o + 8 * kMaxLength + kSpill <= bound && t + 16 <= dataSize && count - i >= 8 + kSpill;
        if (!(roomy ? group.template operator()<false>(bits, n) : group.template operator()<true>(bits, n)))
            return false;
        i += n;
    }
    return true;
}

// Where the stream's bytes come from: a file or a block of memory. Read gives the bytes read (short at
// the end) or -1 on an error.
struct FileSource {
    plat::File* file;
    i64 Read(void* buf, u64 n) { return plat::FileRead(file, buf, i64(n)); }
    bool Skip(u64 n) {
        if (n == 0) return true;
        const i64 pos = plat::FileTell(file);
        return pos >= 0 && plat::FileSeek(file, pos + i64(n));
    }
};

struct MemorySource {
    const u8* bytes;
    std::size_t size;
    std::size_t pos = 0;
    i64 Read(void* buf, u64 n) {
        const u64 take = std::min<u64>(n, size - pos);
        if (take) std::memcpy(buf, bytes + pos, take);
        pos += take;
        return i64(take);
    }
    bool Skip(u64 n) {
        pos += std::min<u64>(n, size - pos);
        return true;
    }
};

// Frees its block on every path out.
struct Scratch {
    void* block = nullptr;
    ~Scratch() { plat::GlobalFree(block); }
};

template <class Source>
bool ReadU32(Source& src, u32* v) {
    u8 b[4];
    if (src.Read(b, 4) != 4) return false;  // an error, or the file ends inside the field
    *v = ReadLe32(b);
    return true;
}

// With block given, the output is a new block of the expanded size, handed out through *block as soon
// as it exists, and destSize is the largest size the caller accepts; otherwise the output is dest.
template <class Source>
int Expand(Source& src, u8* dest, u64 destSize, void** block, u32* size) {
    u32 expanded = 0;
    if (!ReadU32(src, &expanded)) return 0;
    if (size) *size = expanded;
    if (block) {
        // Refused before allocating: a few damaged bytes could otherwise ask for gigabytes.
        if (expanded > destSize) return 0;
        dest = static_cast<u8*>(plat::GlobalAllocZero(expanded));
        if (!dest) return 0;
        *block = dest;
        destSize = expanded;
    }
    const u64 bound = std::min<u64>(expanded, destSize);

    u32 count = 0;
    if (!ReadU32(src, &count)) return 0;
    // Every token yields at least one byte; refusing a larger count early also keeps a hostile count
    // from sizing the allocations below.
    if (count > bound) return 0;
    const u64 flagBytes = (u64(count) + 7) / 8;
    Scratch flags;
    flags.block = plat::GlobalAllocZero(flagBytes);
    if (!flags.block) return 0;
    // A short read leaves the missing flags 0 (literals).
    if (src.Read(flags.block, flagBytes) < 0) return 0;

    u32 dataSize = 0;
    if (!ReadU32(src, &dataSize)) return 0;
    // No token takes more than two bytes, so anything beyond 2N is never read; it is passed over.
    const u64 used = std::min<u64>(dataSize, 2 * u64(count));
    Scratch data;
    data.block = plat::GlobalAllocZero(used);
    if (!data.block) return 0;
    if (src.Read(data.block, used) < 0) return 0;  // short: the rest reads as zeros
    if (!src.Skip(dataSize - used)) return 0;

    return WalkTokens(static_cast<const u8*>(flags.block), count, static_cast<const u8*>(data.block), used,
                      dest, bound)
               ? 1
               : 0;
}

bool WriteAll(plat::File* file, const void* data, std::size_t n) {
    return n == 0 || plat::FileWrite(file, data, i64(n)) == i64(n);
}

bool WriteU32(plat::File* file, u32 v) {
    const u8 b[4] = {u8(v), u8(v >> 8), u8(v >> 16), u8(v >> 24)};
    return WriteAll(file, b, 4);
}

}  // namespace

int LZ_CompressToFile(plat::File* file, const void* source, u32 size) {
    if (!file || (!source && size)) return 0;
    try {
        const lz::Tokens t = lz::Encode(source, size);
        const bool ok = WriteU32(file, t.expandedSize) && WriteU32(file, t.count) &&
                        WriteAll(file, t.flags.data(), t.flags.size()) && WriteU32(file, u32(t.data.size())) &&
                        WriteAll(file, t.data.data(), t.data.size());
        return ok ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int LZ_ExpandFromFile(plat::File* file, void* dest, u32* size, u32 destSize) {
    if (!file || (!dest && destSize)) return 0;
    FileSource src{file};
    return Expand(src, static_cast<u8*>(dest), destSize, nullptr, size);
}

int LZ_ExpandFromFileAlloc(plat::File* file, void** block, u32* size, u32 maxSize) {
    if (!block) return 0;
    *block = nullptr;
    if (!file) return 0;
    FileSource src{file};
    if (Expand(src, nullptr, maxSize, block, size)) return 1;
    plat::GlobalFree(*block);
    *block = nullptr;
    return 0;
}

int LZ_ExpandFromMemory(const void* stream, std::size_t streamSize, void* dest, u32 destSize, u32* size,
                        std::size_t* used) {
    if ((!stream && streamSize) || (!dest && destSize)) return 0;
    MemorySource src{static_cast<const u8*>(stream), stream ? streamSize : 0};
    const int ok = Expand(src, static_cast<u8*>(dest), destSize, nullptr, size);
    if (used) *used = src.pos;
    return ok;
}
