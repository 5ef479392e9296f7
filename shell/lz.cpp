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

u32 ReadLe32(const u8* b) { return u32(b[0]) | u32(b[1]) << 8 | u32(b[2]) << 16 | u32(b[3]) << 24; }

// Replays the tokens into out[0, bound). Fails (false) on anything the stream cannot mean: a token
// past the token data, a reference before the start of the output, or output beyond the bound.
bool WalkTokens(const u8* flags, u32 count, const u8* data, u64 dataSize, u8* out, u64 bound) {
    u64 t = 0;
    u64 o = 0;
    u32 i = 0;
    while (i < count) {
        const u32 flagByte = flags[i >> 3];
        if ((i & 7) == 0 && flagByte == 0 && count - i >= 8) {
            // A stretch of whole flag bytes of literals is one copy.
            u64 bytes = i >> 3;
            const u64 lastByte = u64(count) >> 3;  // flag bytes whose eight tokens all exist
            while (bytes < lastByte && flags[bytes] == 0) ++bytes;
            const u64 n = (bytes << 3) - i;
            if (t + n > dataSize || o + n > bound) return false;
            std::memcpy(out + o, data + t, n);
            t += n;
            o += n;
            i += u32(n);
            continue;
        }
        if (!(flagByte & (1u << (i & 7)))) {
            if (t >= dataSize || o >= bound) return false;
            out[o++] = data[t++];
        } else {
            if (t + 2 > dataSize) return false;
            const u32 w = u32(data[t]) | u32(data[t + 1]) << 8;
            t += 2;
            const u64 dist = (w >> 5) + 1;
            const u64 len = (w & 31) + 1;
            if (dist > o || o + len > bound) return false;
            u8* dst = out + o;
            const u8* from = dst - dist;
            if (dist >= len) {
                std::memcpy(dst, from, len);
            } else if (dist == 1) {
                std::memset(dst, *from, len);
            } else {
                // Overlapping: each byte may be one this reference has just written.
                for (u64 k = 0; k < len; ++k) dst[k] = from[k];
            }
            o += len;
        }
        ++i;
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
// as it exists; otherwise it is dest.
template <class Source>
int Expand(Source& src, u8* dest, u64 destSize, void** block, u32* size) {
    u32 expanded = 0;
    if (!ReadU32(src, &expanded)) return 0;
    if (size) *size = expanded;
    if (block) {
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

int LZ_ExpandFromFileAlloc(plat::File* file, void** block, u32* size) {
    if (!block) return 0;
    *block = nullptr;
    if (!file) return 0;
    FileSource src{file};
    if (Expand(src, nullptr, 0, block, size)) return 1;
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
