// Fixed-width types and the few plain records that every layer shares.
#pragma once
#include <cstddef>
#include <cstdint>

using u8 = std::uint8_t;
using u16 = std::uint16_t;
using u32 = std::uint32_t;
using u64 = std::uint64_t;
using i8 = std::int8_t;
using i16 = std::int16_t;
using i32 = std::int32_t;
using i64 = std::int64_t;

// The one rectangle type: right and bottom lie one past the last pixel unless an operation says otherwise.
struct RECT {
    i32 left;
    i32 top;
    i32 right;
    i32 bottom;
};
static_assert(sizeof(RECT) == 16);

struct POINT {
    i32 x;
    i32 y;
};

// 16.16 fixed point.
using FIX16 = i32;
