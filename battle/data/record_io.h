// Little-endian record fields at explicit offsets. Each record type has one template listing its
// fields with their file offsets; run with a RecReader it parses bytes, with a RecWriter it builds
// them, so reading and writing can never disagree.
#pragma once
#include <cstddef>
#include <type_traits>

#include "battle/data/tama_data.h"
#include "platform/types.h"

struct RecReader {
    const u8* base;

    template <class T>
    void Field(int offset, T& value) const {
        static_assert(std::is_integral_v<T>);
        using U = std::make_unsigned_t<T>;
        U bits = 0;
        for (size_t i = 0; i < sizeof(T); ++i) bits = U(bits | U(U(base[offset + int(i)]) << (8 * i)));
        value = T(bits);
    }
    template <class T, size_t N>
    void Array(int offset, T (&values)[N]) const {
        for (size_t i = 0; i < N; ++i) Field(offset + int(i * sizeof(T)), values[i]);
    }
    RecReader At(int offset) const { return {base + offset}; }
};

struct RecWriter {
    u8* base;

    template <class T>
    void Field(int offset, const T& value) const {
        static_assert(std::is_integral_v<T>);
        using U = std::make_unsigned_t<T>;
        const U bits = U(value);
        for (size_t i = 0; i < sizeof(T); ++i) base[offset + int(i)] = u8(bits >> (8 * i));
    }
    template <class T, size_t N>
    void Array(int offset, const T (&values)[N]) const {
        for (size_t i = 0; i < N; ++i) Field(offset + int(i * sizeof(T)), values[i]);
    }
    RecWriter At(int offset) const { return {base + offset}; }
};

// The firing entry, shared by the weapon phases (+308) and the technique motions (+218).
template <class Io, class Fire>
void TamaFireFields(const Io& io, Fire& f) {
    io.Field(0, f.weapon);
    io.Field(2, f.aimMask);
    io.Field(4, f.startMask);
    io.Field(6, f.holdMask);
    io.Field(8, f.firePos);
    io.Field(9, f.fireType);
    io.Field(10, f.rangeType);
    io.Field(11, f.aimOrigin);
    io.Field(12, f.targetMode);
    io.Field(13, f.reserved13);
    io.Field(14, f.interval);
    io.Field(16, f.shots);
    io.Field(18, f.loops);
    io.Field(20, f.intervalAdd);
    io.Field(22, f.shotsSub);
    io.Field(24, f.loopsSub);
    io.Field(26, f.value1);
    io.Field(28, f.value2);
    io.Field(30, f.value3);
    io.Field(32, f.effect);
    io.Field(33, f.barrage);
    io.Field(34, f.sound);
    io.Field(35, f.reserved35);
}

// The bytes of a firing entry that carry no data.
inline void TamaFireClearReserved(TAMA_FIRE* fire) {
    fire->reserved13 = 0;
    fire->reserved35 = 0;
}
