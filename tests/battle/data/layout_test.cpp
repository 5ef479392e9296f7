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
    int offset;
    int width;
    std::function<void(R&, u32)> set;
};

#define FIELD(off, member)                                                                     \
    Field<Rec> {                                                                               \
        (off), int(sizeof(std::declval<Rec&>().member)), [=](Rec& r, u32 v) {                 \
            r.member = std::remove_reference_t<decltype(r.member)>(v);                         \
        }                                                                                      \
    }

// The fields of a sub-record placed at `base` inside an outer record.
template <class Outer, class Inner>
void Nest(std::vector<Field<Outer>>& out, const std::vector<Field<Inner>>& inner, int base,
          std::function<Inner&(Outer&)> get) {
    for (const auto& f : inner)
        out.push_back({base + f.offset, f.width, [=](Outer& o, u32 v) { f.set(get(o), v); }});
}

std::vector<Field<TAMA_FIRE>> FireFields() {
    using Rec = TAMA_FIRE;
    return {FIELD(0, weapon),      FIELD(2, aimMask),     FIELD(4, startMask),  FIELD(6, holdMask),
            FIELD(8, firePos),     FIELD(9, fireType),    FIELD(10, rangeType), FIELD(11, aimOrigin),
            FIELD(12, targetMode), FIELD(13, reserved13), FIELD(14, interval),  FIELD(16, shots),
            FIELD(18, loops),      FIELD(20, intervalAdd), FIELD(22, shotsSub), FIELD(24, loopsSub),
            FIELD(26, value1),     FIELD(28, value2),     FIELD(30, value3),    FIELD(32, effect),
            FIELD(33, barrage),    FIELD(34, sound),      FIELD(35, reserved35)};
}

std::vector<Field<TAMA_PHASE>> PhaseFields() {
    using Rec = TAMA_PHASE;
    std::vector<Field<Rec>> f;
    for (int s = 0; s < 4; ++s) {
        using Rec = TAMA_STEP;
        Nest<TAMA_PHASE, TAMA_STEP>(
            f,
            {FIELD(0, anim), FIELD(1, reserved1), FIELD(2, reserved2), FIELD(4, facing), FIELD(5, timing),
             FIELD(6, duration), FIELD(8, hitFlag), FIELD(10, blend), FIELD(12, blendLevel), FIELD(14, sound),
             FIELD(15, reserved15)},
            16 * s, [s](TAMA_PHASE& p) -> TAMA_STEP& { return p.step[s]; });
    }
    for (int s = 0; s < 4; ++s) {
        using Rec = TAMA_SCALE;
        Nest<TAMA_PHASE, TAMA_SCALE>(
            f, {FIELD(0, mode), FIELD(1, reserved1), FIELD(2, value), FIELD(4, add), FIELD(6, min), FIELD(8, max)},
            64 + 10 * s, [s](TAMA_PHASE& p) -> TAMA_SCALE& { return p.scale[s]; });
    }
    for (int s = 0; s < 4; ++s) f.push_back(FIELD(104 + s, shadow[s]));
    for (int k = 0; k < 3; ++k) f.push_back(FIELD(125 + k, reserved125[k]));
    for (int k = 0; k < 16; ++k) {
        f.push_back(FIELD(128 + 4 * k, p[k]));
        f.push_back(FIELD(192 + 4 * k, q[k]));
    }
    for (auto x : {FIELD(108, nextOnCalcEnd),   FIELD(109, nextOnAnimEnd),  FIELD(110, nextOnLand),
                   FIELD(111, reserved111),     FIELD(112, charHitTrigger), FIELD(114, nextOnCharHit),
                   FIELD(115, reserved115),     FIELD(116, tamaHitTrigger), FIELD(118, nextOnTamaHit),
                   FIELD(119, nextOnObstacle),  FIELD(120, reserved120),    FIELD(121, kind),
                   FIELD(122, flags),           FIELD(123, moveType),       FIELD(124, laserType),
                   FIELD(256, speed),           FIELD(258, speedAdd),       FIELD(260, speedMin),
                   FIELD(262, speedMax),        FIELD(264, height),         FIELD(266, heightAdd),
                   FIELD(268, heightMin),       FIELD(270, heightMax),      FIELD(272, charHits),
                   FIELD(273, tamaHits),        FIELD(274, hitRange),       FIELD(275, reserved275),
                   FIELD(276, thruster),        FIELD(278, hitFlags),       FIELD(279, attribute),
                   FIELD(280, obstacle),        FIELD(281, reserved281),    FIELD(282, power),
                   FIELD(284, powerMin),        FIELD(286, combo),          FIELD(288, hitWait),
                   FIELD(289, knockDir),        FIELD(290, knockSpeed),     FIELD(292, knockCount),
                   FIELD(294, knockAccum),      FIELD(296, knockRange),     FIELD(298, hitEffect),
                   FIELD(299, hitEffectRange),  FIELD(300, hitEffectSpread), FIELD(301, hitSound),
                   FIELD(302, knockType),       FIELD(303, cancelScale),    FIELD(304, constEffect),
                   FIELD(305, constBox),        FIELD(306, constChance),    FIELD(307, constSpread)})
        f.push_back(x);
    Nest<TAMA_PHASE, TAMA_FIRE>(f, FireFields(), 308, [](TAMA_PHASE& p) -> TAMA_FIRE& { return p.fire; });
    return f;
}

std::vector<Field<TAMA_DATA>> TamaFields() {
    using Rec = TAMA_DATA;
    std::vector<Field<Rec>> f;
    for (int i = 0; i < 40; ++i) f.push_back(FIELD(i, name[i]));
    f.push_back(FIELD(40, inUse));
    for (int i = 0; i < 3; ++i) f.push_back(FIELD(41 + i, reserved41[i]));
    for (int n = 0; n < 4; ++n)
        Nest<TAMA_DATA, TAMA_PHASE>(f, PhaseFields(), 44 + 344 * n, [n](TAMA_DATA& d) -> TAMA_PHASE& { return d.phase[n]; });
    f.push_back(FIELD(1420, index));
    return f;
}

std::vector<Field<WAZA_MOTION>> MotionFields() {
    std::vector<Field<WAZA_MOTION>> f;
    for (int k = 0; k < 10; ++k) {
        using Rec = WAZA_FRAME;
        Nest<WAZA_MOTION, WAZA_FRAME>(
            f,
            {FIELD(0, anim), FIELD(1, unused1), FIELD(2, boostAnim), FIELD(4, turn), FIELD(5, waitMode),
             FIELD(6, wait), FIELD(8, hitField), FIELD(10, attrIndex), FIELD(12, blendLevel), FIELD(14, sound),
             FIELD(15, armourRate)},
            16 * k, [k](WAZA_MOTION& m) -> WAZA_FRAME& { return m.frame[k]; });
    }
    using Rec = WAZA_MOTION;
    for (auto x : {FIELD(160, byte160),      FIELD(161, stepMarker),   FIELD(162, cutIn),        FIELD(163, facingMode),
                   FIELD(164, velocityMode), FIELD(165, unused165),    FIELD(166, angleOffset),  FIELD(168, stepFlags),
                   FIELD(169, unused169),    FIELD(170, speed),        FIELD(172, speedAdd),     FIELD(174, speedMin),
                   FIELD(176, speedMax),     FIELD(178, zSpeed),       FIELD(180, zSpeedAdd),    FIELD(182, zSpeedMin),
                   FIELD(184, zSpeedMax),    FIELD(186, mekaHitLimit), FIELD(187, shotHitLimit), FIELD(188, hitCount),
                   FIELD(189, unused189),    FIELD(190, word190),      FIELD(192, hitKnockDown), FIELD(193, hitTimedState),
                   FIELD(194, hitByte194),   FIELD(195, unused195),    FIELD(196, hitPower),     FIELD(198, hitMinDamage),
                   FIELD(200, chainAdd),     FIELD(202, hitStop),      FIELD(203, knockDir),     FIELD(204, knockSpeed),
                   FIELD(206, reactTime),    FIELD(208, downValue),    FIELD(210, blowZSpeed),   FIELD(212, sparkEffect),
                   FIELD(213, sparkCount),   FIELD(214, sparkSpread),  FIELD(215, hitSound),     FIELD(216, forceReact),
                   FIELD(217, hitByte217),   FIELD(254, debris),       FIELD(255, unused255)})
        f.push_back(x);
    Nest<WAZA_MOTION, TAMA_FIRE>(f, FireFields(), 218, [](WAZA_MOTION& m) -> TAMA_FIRE& { return m.fire; });
    return f;
}

std::vector<Field<WAZA_DATA>> WazaFields() {
    using Rec = WAZA_DATA;
    std::vector<Field<Rec>> f;
    for (int i = 0; i < 40; ++i) f.push_back(FIELD(i, name[i]));
    for (auto x : {FIELD(40, flag40), FIELD(41, costKind), FIELD(42, kind), FIELD(43, unused43), FIELD(44, cost),
                   FIELD(46, airFlag), FIELD(47, unused47), FIELD(48, hitLimit), FIELD(50, moveShift),
                   FIELD(51, unused51), FIELD(52, expBase)})
        f.push_back(x);
    for (int i = 0; i < 32; ++i) f.push_back(FIELD(54 + i, stepTbl[i]));
    for (int i = 0; i < 4; ++i)
        for (auto x : {FIELD(86 + 3 * i, loop[i].from), FIELD(87 + 3 * i, loop[i].to), FIELD(88 + 3 * i, loop[i].count)})
            f.push_back(x);
    for (int i = 0; i < 8; ++i)
        for (auto x : {FIELD(98 + 6 * i, branch[i].from), FIELD(99 + 6 * i, branch[i].to),
                       FIELD(100 + 6 * i, branch[i].kind), FIELD(101 + 6 * i, branch[i].unused3),
                       FIELD(102 + 6 * i, branch[i].window)})
            f.push_back(x);
    for (int m = 0; m < 16; ++m)
        Nest<WAZA_DATA, WAZA_MOTION>(f, MotionFields(), 146 + 256 * m, [m](WAZA_DATA& d) -> WAZA_MOTION& { return d.motion[m]; });
    return f;
}

std::vector<Field<CPU_DATA>> CpuFields() {
    std::vector<Field<CPU_DATA>> f;
    {
        using Rec = CPU_DATA;
        for (int i = 0; i < 24; ++i) f.push_back(FIELD(2 * i, param[i]));
    }
    for (int i = 0; i < 16; ++i) {
        using Rec = CPU_MODE;
        Nest<CPU_DATA, CPU_MODE>(
            f,
            {FIELD(0, move), FIELD(1, unused1), FIELD(2, dirKind), FIELD(4, time), FIELD(6, variable), FIELD(8, level),
             FIELD(9, unused9), FIELD(10, chance), FIELD(12, chanceStep), FIELD(14, unused14[0]),
             FIELD(15, unused14[1]), FIELD(16, rangeMin), FIELD(20, rangeMax), FIELD(24, lifeLimit),
             FIELD(28, selfMask), FIELD(30, targetMask), FIELD(32, priority), FIELD(33, unused33),
             FIELD(34, atkChance), FIELD(36, delay), FIELD(38, unused38[0]), FIELD(39, unused38[1])},
            48 + 40 * i, [i](CPU_DATA& d) -> CPU_MODE& { return d.mode[i]; });
    }
    for (int g = 0; g < 24; ++g) {
        using Rec = CPU_ATK_GROUP;
        Nest<CPU_DATA, CPU_ATK_GROUP>(
            f, {FIELD(0, join), FIELD(1, unused1[0]), FIELD(2, unused1[1]), FIELD(3, unused1[2])}, 688 + 184 * g,
            [g](CPU_DATA& d) -> CPU_ATK_GROUP& { return d.group[g]; });
        for (int k = 0; k < 5; ++k) {
            using Rec = CPU_ATK;
            Nest<CPU_DATA, CPU_ATK>(
                f,
                {FIELD(0, waza), FIELD(2, level), FIELD(3, unused3), FIELD(4, chance), FIELD(6, chanceStep),
                 FIELD(8, rangeMin), FIELD(12, rangeMax), FIELD(16, lifeLimit), FIELD(20, selfMask),
                 FIELD(22, targetMask), FIELD(24, priority), FIELD(25, unused25), FIELD(26, cancelRule),
                 FIELD(28, time), FIELD(30, timeCorrect), FIELD(32, joinChance), FIELD(34, unused34[0]),
                 FIELD(35, unused34[1])},
                688 + 184 * g + 4 + 36 * k, [g, k](CPU_DATA& d) -> CPU_ATK& { return d.group[g].atk[k]; });
        }
    }
    for (int t = 0; t < 160; ++t) {
        using Rec = CPU_COUNTER;
        Nest<CPU_DATA, CPU_COUNTER>(
            f,
            {FIELD(0, type), FIELD(1, unused1), FIELD(2, action), FIELD(4, level), FIELD(5, unused5),
             FIELD(6, chance), FIELD(8, chanceStep), FIELD(10, delay), FIELD(12, delaySpread),
             FIELD(14, unused14[0]), FIELD(15, unused14[1]), FIELD(16, rangeMin), FIELD(20, rangeMax),
             FIELD(24, selfMask), FIELD(26, priority), FIELD(27, unused27)},
            5104 + 28 * t, [t](CPU_DATA& d) -> CPU_COUNTER& { return d.counter[t]; });
    }
    return f;
}

u32 LittleEndian(const std::vector<u8>& b, int offset, int width) {
    u32 v = 0;
    for (int i = 0; i < width; ++i) v |= u32(b[size_t(offset + i)]) << (8 * i);
    return v;
}

// A value for field n that fills its width with non-zero bytes, different from its neighbours'.
u32 Distinct(size_t n, int width) {
    const u32 v = u32(n) * 0x01F3A75Bu + 0x11111111u;
    const u32 mask = width == 4 ? 0xFFFFFFFFu : (1u << (8 * width)) - 1;
    return (v & mask) | 0x01;
}

// Every byte of the record belongs to exactly one listed field; each field set to its own value
// lands at its offset, and reading the bytes back gives the same fields.
template <class R>
void CheckLayout(const std::vector<Field<R>>& fields, int size, void (*write)(const R*, u8*),
                 void (*read)(const u8*, R*)) {
    std::vector<int> owners(size_t(size), 0);
    for (const auto& f : fields)
        for (int i = 0; i < f.width; ++i) ++owners[size_t(f.offset + i)];
    for (int i = 0; i < size; ++i) ASSERT_EQ(owners[size_t(i)], 1) << "byte " << i;

    R rec{};
    for (size_t n = 0; n < fields.size(); ++n) fields[n].set(rec, Distinct(n, fields[n].width));
    std::vector<u8> bytes(size_t(size), 0xEE);
    write(&rec, bytes.data());
    for (size_t n = 0; n < fields.size(); ++n)
        ASSERT_EQ(LittleEndian(bytes, fields[n].offset, fields[n].width), Distinct(n, fields[n].width))
            << "field at " << fields[n].offset;

    R back{};
    read(bytes.data(), &back);
    std::vector<u8> again(size_t(size), 0);
    write(&back, again.data());
    EXPECT_EQ(again, bytes);
}

TEST(DataLayout, EveryFieldAtItsOffset) {
    {
        SCOPED_TRACE("WAZA_DATA");
        CheckLayout<WAZA_DATA>(WazaFields(), WAZA_FILE_SIZE, WAZA_WriteRecord, WAZA_ReadRecord);
    }
    {
        SCOPED_TRACE("TAMA_DATA");
        CheckLayout<TAMA_DATA>(TamaFields(), TAMA_FILE_SIZE, TAMA_WriteRecord, TAMA_ReadRecord);
    }
    {
        SCOPED_TRACE("CPU_DATA");
        CheckLayout<CPU_DATA>(CpuFields(), CPU_DATA_SIZE, CPU_WriteRecord, CPU_ReadRecord);
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
