#include "shell/lz.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/memory.h"
#include "test_support.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/lz_writer.h"

namespace {

using Bytes = std::vector<u8>;

Bytes Str(const std::string& s) { return Bytes(s.begin(), s.end()); }

// One decoded token of an encoder result.
struct Tok {
    bool ref;
    u32 value;  // literal byte, or the distance
    u32 length;
    u32 at;     // output position where the token starts
};

std::vector<Tok> Decode(const lz::Tokens& t) {
    std::vector<Tok> out;
    u32 d = 0, o = 0;
    for (u32 i = 0; i < t.count; ++i) {
        if (t.flags[i >> 3] & (1u << (i & 7))) {
            const u32 w = t.data[d] | u32(t.data[d + 1]) << 8;
            out.push_back({true, (w >> 5) + 1, (w & 31) + 1, o});
            o += (w & 31) + 1;
            d += 2;
        } else {
            out.push_back({false, t.data[d++], 1, o++});
        }
    }
    return out;
}

const Tok* TokenAt(const std::vector<Tok>& toks, u32 pos) {
    for (const Tok& t : toks)
        if (t.at == pos) return &t;
    return nullptr;
}

// Expands with exactly the room the caller states (ASan watches the block's end).
int ExpandMem(const Bytes& stream, u32 room, Bytes* out, u32* size = nullptr, size_t* used = nullptr) {
    out->assign(room, 0xEE);
    return LZ_ExpandFromMemory(stream.data(), stream.size(), out->data(), room, size, used);
}

Bytes RoundTrip(const Bytes& plain) {
    Bytes out;
    const Bytes stream = tools::LzCompress(plain);
    EXPECT_EQ(ExpandMem(stream, u32(plain.size()), &out), 1);
    return out;
}

Bytes Random(size_t n, u32 seed, u32 alphabet = 256) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b) x = u8(rng() % alphabet);
    return b;
}

class LzFile : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string path = dir.File("stream.bin");
    plat::File* Open(const Bytes& bytes) {
        dir.Write("stream.bin", bytes);
        return plat::FileOpenRead(path.c_str());
    }
};

TEST(LzEncode, GoldenStreams) {
    EXPECT_EQ(tools::LzCompress({}), Bytes(12, 0));
    EXPECT_EQ(tools::LzCompress(Str("abc")),
              (Bytes{3, 0, 0, 0, 3, 0, 0, 0, 0x00, 3, 0, 0, 0, 'a', 'b', 'c'}));
    EXPECT_EQ(tools::LzCompress(Bytes(10, 'a')),
              (Bytes{10, 0, 0, 0, 2, 0, 0, 0, 0x02, 3, 0, 0, 0, 0x61, 0x08, 0x00}));
}

TEST(LzEncode, ShortRepeatsStayLiteralsAndLongRunsSplit) {
    // "abab": the second "ab" is a 2-byte match, below the minimum.
    lz::Tokens t = lz::Encode("abab", 4);
    EXPECT_EQ(t.count, 4u);
    EXPECT_EQ(t.flags, Bytes{0});

    const Bytes run(100, 'x');
    const auto toks = Decode(lz::Encode(run.data(), 100));
    ASSERT_EQ(toks.size(), 5u);
    EXPECT_FALSE(toks[0].ref);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_TRUE(toks[i].ref);
        EXPECT_EQ(toks[i].value, 1u);
        EXPECT_EQ(toks[i].length, 32u);
    }
    EXPECT_EQ(toks[4].length, 3u);
}

TEST(LzEncode, NearestDistanceWinsATieButALongerMatchWinsOverNearer) {
    auto toks = Decode(lz::Encode("abcXabcYabc", 11));
    const Tok* last = TokenAt(toks, 8);
    ASSERT_NE(last, nullptr);
    EXPECT_TRUE(last->ref);
    EXPECT_EQ(last->value, 4u);
    EXPECT_EQ(last->length, 3u);

    toks = Decode(lz::Encode("abcdQabcZabcd", 13));
    last = TokenAt(toks, 9);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->value, 9u);
    EXPECT_EQ(last->length, 4u);
}

TEST(LzEncode, WindowReachesExactly2048Back) {
    // A marker of bytes that the filler never holds, repeated at a given distance.
    const Bytes marker{0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9};
    for (u32 dist : {2048u, 2049u}) {
        Bytes src = Random(dist + 200, dist, 0xF0);
        std::copy(marker.begin(), marker.end(), src.begin());
        std::copy(marker.begin(), marker.end(), src.begin() + dist);
        const auto toks = Decode(lz::Encode(src.data(), u32(src.size())));
        const Tok* t = TokenAt(toks, dist);
        ASSERT_NE(t, nullptr) << dist;
        if (dist == 2048) {
            EXPECT_TRUE(t->ref);
            EXPECT_EQ(t->value, 2048u);
            EXPECT_GE(t->length, 10u);
        } else {
            for (u32 k = 0; k < marker.size(); ++k) {
                const Tok* lit = TokenAt(toks, dist + k);
                ASSERT_NE(lit, nullptr);
                EXPECT_FALSE(lit->ref) << k;
            }
        }
        EXPECT_EQ(RoundTrip(src), src);
    }
}

TEST(LzEncode, RoundTripsEveryKindOfData) {
    std::string text;
    for (int i = 0; i < 400; ++i) text += "The quick brown fox " + std::to_string(i * 7919 % 1000) + " jumps.\n";
    const std::vector<Bytes> inputs = {
        Bytes{7},
        Random(5000, 1),
        Random(70000, 2, 3),  // few symbols: many short matches and ties
        Bytes(5000, 0),
        Str(text),
        tools::SyntheticPicture16(640, 480, 3),
    };
    for (const Bytes& in : inputs) EXPECT_EQ(RoundTrip(in), in) << in.size();
    for (u32 n = 1; n < 80; ++n) {
        const Bytes in = Random(n, n, 4);
        EXPECT_EQ(RoundTrip(in), in) << n;
    }
}

// The plain distance-by-distance search, written independently of the encoder's shortcuts.
lz::Tokens PlainSearch(const Bytes& src) {
    lz::Tokens t;
    const u32 s = u32(src.size());
    t.expandedSize = s;
    t.flags.assign((s + 7) / 8, 0);
    for (u32 p = 0; p < s; ++t.count) {
        const u32 m = p + 32 < s ? 32 : s - p;
        u32 bestLen = 0, bestDist = 0;
        for (u32 d = 1; d <= std::min(p, 2048u) && bestLen < 32; ++d) {
            u32 n = 0;
            while (n < m && src[p - d + n] == src[p + n]) ++n;
            if (n > bestLen) bestLen = n, bestDist = d;
        }
        if (bestLen >= 3) {
            const u32 w = (bestDist - 1) << 5 | (bestLen - 1);
            t.data.push_back(u8(w));
            t.data.push_back(u8(w >> 8));
            t.flags[t.count / 8] |= u8(1 << t.count % 8);
            p += bestLen;
        } else {
            t.data.push_back(src[p++]);
        }
    }
    t.flags.resize((t.count + 7) / 8);
    return t;
}

TEST(LzEncode, MatchesThePlainExhaustiveSearch) {
    std::vector<Bytes> inputs;
    for (u32 alphabet : {2u, 3u, 5u, 17u, 256u}) inputs.push_back(Random(6000, alphabet, alphabet));
    inputs.push_back(tools::SyntheticPicture16(160, 20, 5));
    Bytes periodic;
    for (u32 i = 0; i < 5000; ++i) periodic.push_back(u8(i % 7 == 0 ? i : i % 3));
    inputs.push_back(periodic);
    for (const Bytes& in : inputs) {
        const lz::Tokens fast = lz::Encode(in.data(), u32(in.size()));
        const lz::Tokens plain = PlainSearch(in);
        EXPECT_EQ(fast.count, plain.count);
        EXPECT_EQ(fast.flags, plain.flags);
        EXPECT_EQ(fast.data, plain.data);
    }
}

TEST(LzEncode, NeverGrowsTheTokenDataBeyondTheSource) {
    for (u32 seed = 0; seed < 20; ++seed) {
        const Bytes in = Random(300 + seed * 37, seed, 2 + seed % 5);
        const lz::Tokens t = lz::Encode(in.data(), u32(in.size()));
        EXPECT_LE(t.data.size(), in.size());
        EXPECT_EQ(t.flags.size(), (t.count + 7) / 8);
    }
}

TEST_F(LzFile, CompressToFileWritesTheSameStreamAtTheFilePosition) {
    const Bytes plain = tools::SyntheticPicture16(64, 32, 9);
    plat::File* f = plat::FileCreateWrite(path.c_str());
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(plat::FileWrite(f, "MAG", 3), 3);
    EXPECT_EQ(LZ_CompressToFile(f, plain.data(), u32(plain.size())), 1);
    plat::FileClose(f);
    Bytes expect = Str("MAG");
    const Bytes stream = tools::LzCompress(plain);
    expect.insert(expect.end(), stream.begin(), stream.end());
    EXPECT_EQ(Str(dir.Read("stream.bin")), expect);
}

TEST(LzCompressToFile, ReportsAFailedWrite) {
    plat::File* f = plat::FileCreateWrite("/dev/full");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(LZ_CompressToFile(f, "abc", 3), 0);
    plat::FileClose(f);
    EXPECT_EQ(LZ_CompressToFile(nullptr, "abc", 3), 0);
}

TEST_F(LzFile, BothExpandersReadTheStreamAndLeaveThePositionBehindIt) {
    const Bytes plain = tools::SyntheticPicture16(100, 20, 4);
    tools::ByteWriter w;
    w.Text("HDR").Bytes(tools::LzCompress(plain)).U32(0xCAFEBABE);
    plat::File* f = Open(w.bytes());
    ASSERT_NE(f, nullptr);

    ASSERT_TRUE(plat::FileSeek(f, 3));
    Bytes out(plain.size());
    u32 size = 0;
    EXPECT_EQ(LZ_ExpandFromFile(f, out.data(), &size, u32(out.size())), 1);
    EXPECT_EQ(size, plain.size());
    EXPECT_EQ(out, plain);
    u8 tail[4];
    ASSERT_EQ(plat::FileRead(f, tail, 4), 4);
    EXPECT_EQ(tail[0], 0xBE);

    ASSERT_TRUE(plat::FileSeek(f, 3));
    void* block = nullptr;
    size = 0;
    EXPECT_EQ(LZ_ExpandFromFileAlloc(f, &block, nullptr), 1);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::memcmp(block, plain.data(), plain.size()), 0);
    plat::GlobalFree(block);
    EXPECT_EQ(plat::FileTell(f), i64(w.size() - 4));
    plat::FileClose(f);
}

TEST_F(LzFile, EmptyStreamExpandsToNothing) {
    plat::File* f = Open(Bytes(12, 0));
    void* block = nullptr;
    u32 size = 99;
    EXPECT_EQ(LZ_ExpandFromFileAlloc(f, &block, &size), 1);
    EXPECT_EQ(size, 0u);
    EXPECT_NE(block, nullptr);  // a valid empty block, freed like any other
    plat::GlobalFree(block);
    ASSERT_TRUE(plat::FileSeek(f, 0));
    EXPECT_EQ(LZ_ExpandFromFile(f, nullptr, nullptr, 0), 1);
    plat::FileClose(f);
}

TEST(LzExpand, ForeignReferencesOfAnyLength) {
    tools::LzTokenWriter w;
    w.Literals(Str("xy")).Ref(1, 1).Ref(2, 2).Ref(1, 32).Literal('z').Ref(3, 7).Ref(40, 5);
    Bytes out;
    ASSERT_EQ(ExpandMem(w.Build(), w.produced(), &out), 1);
    std::string expect = "xy" "y" "yy" + std::string(32, 'y') + "z";
    expect += "yyzyyzy";             // distance 3 overlaps itself
    expect += expect.substr(expect.size() - 40, 5);
    EXPECT_EQ(std::string(out.begin(), out.end()), expect);
}

TEST(LzExpand, TokensProducingLessThanTheSizeLeaveTheRestAlone) {
    tools::LzTokenWriter w;
    w.Literals(Str("ab"));
    w.expandedSize = 6;
    Bytes out;
    ASSERT_EQ(ExpandMem(w.Build(), 6, &out), 1);
    EXPECT_EQ(out, (Bytes{'a', 'b', 0xEE, 0xEE, 0xEE, 0xEE}));
}

// The plain byte-by-byte replay of a token list.
Bytes PlainReplay(const std::vector<std::pair<bool, u32>>& tokens) {
    Bytes out;
    for (auto [ref, v] : tokens) {
        if (!ref) {
            out.push_back(u8(v));
            continue;
        }
        const u32 dist = (v >> 5) + 1, len = (v & 31) + 1;
        for (u32 k = 0; k < len; ++k) out.push_back(out[out.size() - dist]);
    }
    return out;
}

TEST(LzExpand, LongForeignStreamsMatchAPlainReplayAndStopAtTheirEnd) {
    std::mt19937 rng(77);
    for (int round = 0; round < 20; ++round) {
        tools::LzTokenWriter w;
        std::vector<std::pair<bool, u32>> tokens;
        u32 produced = 0;
        for (int k = 0; k < 3000; ++k) {
            const u32 maxDist = std::min<u32>(produced, round % 2 ? 8u : 2048u);  // short periods, or any
            if (maxDist == 0 || rng() % 3 == 0) {
                const u8 b = u8(rng());
                w.Literal(b);
                tokens.push_back({false, b});
                ++produced;
            } else {
                const u32 dist = 1 + rng() % maxDist, len = 1 + rng() % 32;
                w.Ref(dist, len);
                tokens.push_back({true, (dist - 1) << 5 | (len - 1)});
                produced += len;
            }
        }
        w.expandedSize = produced + 400;  // room the tokens never reach
        const Bytes expect = PlainReplay(tokens);
        Bytes out;
        ASSERT_EQ(ExpandMem(w.Build(), produced + 400, &out), 1);
        ASSERT_TRUE(std::equal(expect.begin(), expect.end(), out.begin())) << round;
        EXPECT_EQ(Bytes(out.begin() + produced, out.end()), Bytes(400, 0xEE)) << round;
    }
}

TEST(LzExpand, ShortTokenDataAtTheEndReadsAsZeros) {
    Bytes stream = tools::LzCompress(Str("abcdef"));
    stream.resize(stream.size() - 4);  // "ab" left of the token data
    Bytes out;
    size_t used = 0;
    ASSERT_EQ(ExpandMem(stream, 6, &out, nullptr, &used), 1);
    EXPECT_EQ(out, (Bytes{'a', 'b', 0, 0, 0, 0}));
    EXPECT_EQ(used, stream.size());
}

TEST(LzExpand, ExcessTokenDataIsPassedOver) {
    tools::LzTokenWriter w;
    w.Literals(Str("abc"));
    w.dataSize = 50;
    Bytes stream = w.Build();
    stream.push_back(0x77);
    Bytes out;
    size_t used = 0;
    ASSERT_EQ(ExpandMem(stream, 3, &out, nullptr, &used), 1);
    EXPECT_EQ(used, stream.size() - 1);
}

// Every contradictory stream fails without writing outside the buffer.
TEST(LzExpand, RejectsStreamsThatContradictThemselvesOrTheBuffer) {
    struct Case {
        const char* name;
        Bytes stream;
        u32 room;
    };
    std::vector<Case> cases;
    {
        tools::ByteWriter w;  // (N + 7) / 8 wraps to 0 in 32 bits
        w.U32(16).U32(0xFFFFFFFF).U32(0);
        cases.push_back({"overflowing count", w.bytes(), 16});
    }
    {
        tools::LzTokenWriter w;
        w.Ref(1, 3);
        cases.push_back({"reference before the start", w.Build(), 3});
    }
    {
        tools::LzTokenWriter w;
        w.Literals(Str("abcd")).Ref(5, 2);
        cases.push_back({"reference one byte too far back", w.Build(), 6});
    }
    {
        tools::LzTokenWriter w;
        w.Literal('a').Ref(1, 32);
        w.expandedSize = 20;
        cases.push_back({"more than the expanded size", w.Build(), 64});
    }
    {
        tools::LzTokenWriter w;
        w.Literal('a').Ref(1, 32);
        cases.push_back({"more than the caller's buffer", w.Build(), 20});
    }
    {
        tools::LzTokenWriter w;
        w.Literals(Bytes(20, 'q'));  // a whole run of literal flag bytes
        cases.push_back({"literal run past the buffer", w.Build(), 19});
    }
    {
        tools::LzTokenWriter w;
        w.Literals(Str("abcdefghij"));
        w.dataSize = 9;
        cases.push_back({"literals past the token data", w.Build(), 10});
    }
    {
        tools::LzTokenWriter w;
        w.Literals(Str("abc")).Ref(2, 4);
        w.dataSize = 4;  // the reference's second byte is missing
        cases.push_back({"reference past the token data", w.Build(), 7});
    }
    {
        tools::LzTokenWriter w;
        w.Literals(Str("abc"));
        w.count = 5;  // more tokens than data
        cases.push_back({"count past the token data", w.Build(), 5});
    }
    {
        tools::LzTokenWriter w;
        w.Literals(Str("abc"));
        w.count = 4;
        cases.push_back({"count above the expanded size", w.Build(), 100});
    }
    {
        Bytes s = tools::LzCompress(Str("abcdefghijklmnopq"));
        s.resize(8 + 1);  // the file ends inside the flag bytes, before the data size
        cases.push_back({"ends before the data size", s, 17});
    }
    for (const Case& c : cases) {
        Bytes out;
        EXPECT_EQ(ExpandMem(c.stream, c.room, &out), 0) << c.name;
    }

    const Bytes good = tools::LzCompress(Str("hello hello hello"));
    for (size_t cut = 0; cut < 12; ++cut) {
        Bytes out;
        u32 size = 0xDEAD;
        EXPECT_EQ(ExpandMem(Bytes(good.begin(), good.begin() + long(cut)), 17, &out, &size), 0) << cut;
        EXPECT_EQ(size, cut >= 4 ? 17u : 0xDEADu) << cut;  // stored as soon as it is read
    }
}

// A few bytes stating gigabytes of zero-filled output are refused before the block is allocated; the
// stated size is still reported, and a stream at the limit expands.
TEST_F(LzFile, AllocVariantRefusesSizesBeyondTheCallersLimit) {
    tools::LzTokenWriter w;
    w.Literals(Str("abc"));
    w.expandedSize = 0xFFFFFF00u;
    plat::File* f = Open(w.Build());
    void* block = reinterpret_cast<void*>(1);
    u32 size = 0;
    EXPECT_EQ(LZ_ExpandFromFileAlloc(f, &block, &size, 1u << 20), 0);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(size, 0xFFFFFF00u);
    plat::FileClose(f);

    f = Open(tools::LzCompress(Str("abcdef")));
    EXPECT_EQ(LZ_ExpandFromFileAlloc(f, &block, &size, 5), 0);
    ASSERT_TRUE(plat::FileSeek(f, 0));
    ASSERT_EQ(LZ_ExpandFromFileAlloc(f, &block, &size, 6), 1);
    EXPECT_EQ(std::memcmp(block, "abcdef", 6), 0);
    plat::GlobalFree(block);
    plat::FileClose(f);
}

TEST_F(LzFile, AllocVariantFreesItsBlockOnEveryFailure) {
    tools::LzTokenWriter w;
    w.Literal('a').Ref(2, 3);
    plat::File* f = Open(w.Build());
    void* block = reinterpret_cast<void*>(1);
    u32 size = 0;
    EXPECT_EQ(LZ_ExpandFromFileAlloc(f, &block, &size), 0);
    EXPECT_EQ(block, nullptr);  // LeakSanitizer checks that it went back
    EXPECT_EQ(size, 4u);

    tools::ByteWriter hostile;
    hostile.U32(64).U32(0xFFFFFFF9).Zeros(8);
    plat::FileClose(f);
    f = Open(hostile.bytes());
    EXPECT_EQ(LZ_ExpandFromFileAlloc(f, &block, &size), 0);
    EXPECT_EQ(block, nullptr);

    // Out of memory at the flag bytes, then at the token data (the output block is the first).
    plat::FileClose(f);
    f = Open(tools::LzCompress(Str("abcabcabc")));
    for (long fail = 1; fail <= 2; ++fail) {
        ASSERT_TRUE(plat::FileSeek(f, 0));
        plat::SetAllocFailAfter(fail);
        EXPECT_EQ(LZ_ExpandFromFileAlloc(f, &block, nullptr), 0) << fail;
        plat::SetAllocFailAfter(0);
        EXPECT_EQ(block, nullptr);
    }
    ASSERT_TRUE(plat::FileSeek(f, 0));
    EXPECT_EQ(LZ_ExpandFromFileAlloc(f, &block, nullptr), 1);
    plat::GlobalFree(block);
    plat::FileClose(f);
}

TEST_F(LzFile, BufferVariantRejectsWhatTheBufferCannotHold) {
    plat::File* f = Open(tools::LzCompress(Bytes(300, 'k')));
    Bytes out(299, 0);
    u32 size = 0;
    EXPECT_EQ(LZ_ExpandFromFile(f, out.data(), &size, u32(out.size())), 0);
    EXPECT_EQ(size, 300u);
    EXPECT_EQ(LZ_ExpandFromFile(nullptr, out.data(), &size, 1), 0);
    plat::FileClose(f);
}

}  // namespace
