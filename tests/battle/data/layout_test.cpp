// The byte layouts of the technique, weapon and CPU records, checked against offsets and default
// values written out here, never through the game's reader.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <type_traits>
#include <vector>

#include "battle/data/cpu_data.h"
#include "battle/data/tama_data.h"
#include "battle/data/waza_data.h"

namespace {

template <class R>
struct Field {
    const char* name;
    int offset;
    int width;
    std::function<void(R&, u32)> set;
};

#define FIELD(off, member)                                                                     \
    Field<Rec> {                                                                               \
        #member, (off), int(sizeof(std::declval<Rec&>().member)), [](Rec& r, u32 v) {           \
            r.member = std::remove_reference_t<decltype(r.member)>(v);                         \
        }                                                                                      \
    }

// Any byte pattern survives a read and a write unchanged, reserved bytes included; each listed
// field (the ends of the record and of its nested tables, where a wrong size or stride shows) lands
// at its file offset, little-endian.
template <class R>
void CheckLayout(const std::vector<Field<R>>& fields, int size, void (*write)(const R*, u8*),
                 void (*read)(const u8*, R*)) {
    std::vector<u8> bytes(static_cast<std::size_t>(size));
    for (int i = 0; i < size; ++i) bytes[std::size_t(i)] = u8(i * 7 + 3);
    R rec{};
    read(bytes.data(), &rec);
    std::vector<u8> again(std::size_t(size), 0);
    write(&rec, again.data());
    EXPECT_EQ(again, bytes);

    for (const Field<R>& f : fields) {
        SCOPED_TRACE(f.name);
        R one{};
        const u32 value = 0x87654321u & (f.width == 4 ? 0xFFFFFFFFu : (1u << (8 * f.width)) - 1);
        f.set(one, value);
        std::vector<u8> out(std::size_t(size), 0);
        write(&one, out.data());
        std::vector<u8> want(std::size_t(size), 0);
        for (int i = 0; i < f.width; ++i) want[std::size_t(f.offset + i)] = u8(value >> (8 * i));
        EXPECT_EQ(out, want);
    }
}

TEST(DataLayout, RecordsRoundTripAndPlaceTheirFields) {
    {
        SCOPED_TRACE("WAZA_DATA");
        using Rec = WAZA_DATA;
        CheckLayout<Rec>({FIELD(0, name[0]), FIELD(44, cost), FIELD(52, expBase), FIELD(85, stepTbl[31]),
                          FIELD(97, loop[3].count), FIELD(144, branch[7].window),
                          FIELD(146 + 159, motion[0].frame[9].armourRate), FIELD(146 + 256 + 170, motion[1].speed),
                          FIELD(146 + 15 * 256 + 218, motion[15].fire.weapon),
                          FIELD(146 + 15 * 256 + 254, motion[15].debris),
                          FIELD(WAZA_FILE_SIZE - 1, motion[15].unused255)},
                         WAZA_FILE_SIZE, WAZA_WriteRecord, WAZA_ReadRecord);
    }
    {
        SCOPED_TRACE("TAMA_DATA");
        using Rec = TAMA_DATA;
        CheckLayout<Rec>({FIELD(0, name[0]), FIELD(40, inUse), FIELD(44 + 48 + 6, phase[0].step[3].duration),
                          FIELD(44 + 344 + 84 + 8, phase[1].scale[2].max), FIELD(44 + 688 + 252, phase[2].q[15]),
                          FIELD(44 + 688 + 256, phase[2].speed), FIELD(44 + 1032 + 307, phase[3].constSpread),
                          FIELD(44 + 1032 + 308 + 26, phase[3].fire.value1), FIELD(1420, index)},
                         TAMA_FILE_SIZE, TAMA_WriteRecord, TAMA_ReadRecord);
    }
    {
        SCOPED_TRACE("CPU_DATA");
        using Rec = CPU_DATA;
        CheckLayout<Rec>({FIELD(46, param[23]), FIELD(48 + 40 + 20, mode[1].rangeMax),
                          FIELD(48 + 600 + 36, mode[15].delay), FIELD(688 + 184, group[1].join),
                          FIELD(688 + 184 * 23 + 4 + 144 + 32, group[23].atk[4].joinChance),
                          FIELD(5104 + 10, counter[0].delay), FIELD(5104 + 28 * 159 + 26, counter[159].priority)},
                         CPU_DATA_SIZE, CPU_WriteRecord, CPU_ReadRecord);
    }
}

// ---- default values, transcribed ----

void Put(std::vector<u8>& b, int offset, int width, i32 value) {
    for (int i = 0; i < width; ++i) b[size_t(offset + i)] = u8(u32(value) >> (8 * i));
}

void PutBytes(std::vector<u8>& b, int offset, std::initializer_list<int> values) {
    for (int v : values) b[size_t(offset++)] = u8(v);
}

// A new firing entry: -999, 0, 0, 0, bytes 6 0 1 1 0, -, words 0 1 1, six 0, bytes 0 63 0.
void PutNewFire(std::vector<u8>& b, int at) {
    Put(b, at, 2, -999);
    PutBytes(b, at + 8, {6, 0, 1, 1, 0});
    Put(b, at + 14, 2, 0);
    Put(b, at + 16, 2, 1);
    Put(b, at + 18, 2, 1);
    PutBytes(b, at + 32, {0, 63, 0});
}

TEST(DataDefaults, NewTechniqueMatchesTheTable) {
    std::vector<u8> want(WAZA_FILE_SIZE, 0);
    PutBytes(want, 0, {0x81, 0x69, 0x90, 0x56, 0x8B, 0x4B, 0x8B, 0x5A, 0x81, 0x6A});
    want[40] = 1;
    Put(want, 44, 2, 99);
    Put(want, 48, 2, 9999);
    want[50] = 9;
    for (int s = 1; s < 32; ++s) want[size_t(54 + s)] = 99;
    for (int i = 0; i < 4; ++i) PutBytes(want, 86 + 3 * i, {99, 99, 0});
    for (int i = 0; i < 8; ++i) PutBytes(want, 98 + 6 * i, {99, 99, 0});
    for (int m = 0; m < 16; ++m) {
        const int at = 146 + 256 * m;
        for (int k = 0; k < 10; ++k) {
            Put(want, at + 16 * k + 2, 2, 65535);
            Put(want, at + 16 * k + 6, 2, 65535);
            want[size_t(at + 16 * k + 15)] = 1;
        }
        Put(want, at + 174, 2, -255);
        Put(want, at + 176, 2, 255);
        Put(want, at + 182, 2, -255);
        Put(want, at + 184, 2, 255);
        PutBytes(want, at + 186, {0, 0, 63});
        PutBytes(want, at + 192, {1, 0, 0});
        Put(want, at + 196, 2, 50);
        Put(want, at + 198, 2, 16);
        Put(want, at + 200, 2, 1);
        Put(want, at + 204, 2, 8);
        Put(want, at + 206, 2, 4);
        Put(want, at + 208, 2, 0);
        Put(want, at + 210, 2, 5);
        PutBytes(want, at + 212, {0, 63, 16, 26, 0, 0});
        PutNewFire(want, at + 218);
    }
    WAZA_DATA rec;
    std::memset(&rec, 0x77, sizeof(rec));  // nothing of an earlier record survives
    WAZA_SetNewData(&rec);
    std::vector<u8> got(WAZA_FILE_SIZE, 0);
    WAZA_WriteRecord(&rec, got.data());
    EXPECT_EQ(got, want);
}

TEST(DataDefaults, NewWeaponMatchesTheTables) {
    std::vector<u8> want(TAMA_FILE_SIZE, 0);
    PutBytes(want, 0, {0x90, 0x56, 0x8B, 0x4B, 0x92, 0x65});
    for (int n = 0; n < 4; ++n) {
        const int at = 44 + 344 * n;
        for (int s = 0; s < 4; ++s) {
            Put(want, at + 16 * s + 2, 2, -1);
            Put(want, at + 16 * s + 6, 2, -1);
            Put(want, at + 16 * s + 8, 2, 2);
            Put(want, at + 64 + 10 * s + 2, 2, 256);
            Put(want, at + 64 + 10 * s + 8, 2, 9999);
            want[size_t(at + 104 + s)] = 1;
        }
        PutBytes(want, at + 108, {0xFF, 0xFF, 0xFF});
        Put(want, at + 112, 2, -1);
        want[size_t(at + 114)] = 0xFF;
        Put(want, at + 116, 2, -1);
        PutBytes(want, at + 118, {0xFF, 0xFF});
        Put(want, at + 260, 2, -255);
        Put(want, at + 262, 2, 255);
        Put(want, at + 268, 2, -255);
        Put(want, at + 270, 2, 255);
        want[size_t(at + 274)] = 63;
        want[size_t(at + 278)] = 1;
        Put(want, at + 282, 2, 50);
        Put(want, at + 284, 2, 1);
        Put(want, at + 286, 2, 1);
        Put(want, at + 290, 2, 8);
        Put(want, at + 292, 2, 4);
        Put(want, at + 296, 2, 5);
        PutBytes(want, at + 298, {0, 63, 16, 26});
        PutBytes(want, at + 306, {63, 16});
        PutNewFire(want, at + 308);
    }
    TAMA_DATA rec;
    std::memset(&rec, 0x77, sizeof(rec));
    TAMA_SetNewData(&rec);
    EXPECT_EQ(rec.prev, -1);
    EXPECT_EQ(rec.next, -1);
    std::vector<u8> got(TAMA_FILE_SIZE, 0);
    TAMA_WriteRecord(&rec, got.data());
    EXPECT_EQ(got, want);
}

// The defaults write only the bytes their table names; the others keep what the record held.
TEST(DataDefaults, CpuDefaultsWriteTheListedBytesOnly) {
    std::vector<u8> want(CPU_DATA_SIZE, 0x5A);
    const int params[24] = {10, 10, 6, 18, 24, 10, 10, 10, 100, 10, 10, 100, 1000, 0, 1, 1, 1, 1, 1, 1, 1, 1, 200, 10};
    for (int i = 0; i < 24; ++i) Put(want, 2 * i, 2, params[i]);
    for (int i = 0; i < 16; ++i) {
        const int at = 48 + 40 * i;
        want[size_t(at)] = 255;
        Put(want, at + 2, 2, 0);
        Put(want, at + 4, 2, 10);
        Put(want, at + 6, 2, 0);
        want[size_t(at + 8)] = 0;
        Put(want, at + 10, 2, 500);
        Put(want, at + 12, 2, 50);
        Put(want, at + 16, 4, 0);
        Put(want, at + 20, 4, 9999);
        Put(want, at + 24, 4, 500);
        Put(want, at + 28, 2, 0);
        Put(want, at + 30, 2, 0);
        want[size_t(at + 32)] = 8;
        Put(want, at + 34, 2, 500);
        Put(want, at + 36, 2, 0);
    }
    for (int g = 0; g < 24; ++g) {
        want[size_t(688 + 184 * g)] = 1;
        for (int e = 0; e < 5; ++e) {
            const int at = 688 + 184 * g + 4 + 36 * e;
            Put(want, at, 2, -999);
            want[size_t(at + 2)] = 0;
            Put(want, at + 4, 2, 0);
            for (int b = 6; b <= 11; ++b) want[size_t(at + b)] = 0;
            Put(want, at + 12, 4, 9999);
            Put(want, at + 16, 2, 500);
            for (int b = 18; b <= 23; ++b) want[size_t(at + b)] = 0;
            want[size_t(at + 24)] = 8;
            for (int b = 26; b <= 31; ++b) want[size_t(at + b)] = 0;
            Put(want, at + 32, 2, 100);
        }
    }
    for (int k = 0; k < 160; ++k) {
        const int at = 5104 + 28 * k;
        want[size_t(at)] = 255;
        Put(want, at + 2, 2, 0);
        for (int b : {4, 6, 7, 12, 13}) want[size_t(at + b)] = 0;
        Put(want, at + 8, 2, 0);
        Put(want, at + 10, 2, 0);
        Put(want, at + 16, 4, 0);
        Put(want, at + 20, 4, 9999);
        Put(want, at + 24, 2, 0);
        want[size_t(at + 26)] = 8;
    }
    std::vector<u8> start(CPU_DATA_SIZE, 0x5A);
    CPU_DATA rec;
    CPU_ReadRecord(start.data(), &rec);
    CPU_FillDefault(&rec);
    std::vector<u8> got(CPU_DATA_SIZE, 0);
    CPU_WriteRecord(&rec, got.data());
    EXPECT_EQ(got, want);
}

}  // namespace
