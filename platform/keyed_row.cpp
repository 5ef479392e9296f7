#include "platform/keyed_row.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define KORVANE_X86 1
#endif

namespace plat {

namespace {

#if defined(__GNUC__) && !defined(__clang__)
// Kept scalar: on a CPU without vectors this is the loop, and the tests hold the others to it.
[[gnu::optimize("no-tree-vectorize")]]
#endif
void RowScalar(u16* d, const u16* s, i32 n, u16 lo, u16 span) {
    for (i32 i = 0; i < n; ++i)
        if (u16(s[i] - lo) > span) d[i] = s[i];
}

#ifdef KORVANE_X86
// Written as a select so that the compiler's vectoriser takes it (at -O3).
[[gnu::target("sse2")]] void RowSse2(u16* __restrict d, const u16* __restrict s, i32 n, u16 lo, u16 span) {
    for (i32 i = 0; i < n; ++i) {
        const u16 v = s[i], old = d[i];
        d[i] = u16(v - lo) <= span ? old : v;
    }
}

// The wider loops take whole vectors, and end with one vector flush with the row's end that overlaps
// the one before: a pixel done twice comes out the same, as the source alone decides it. Shorter
// rows go to the narrower loop. v - lo <= span (unsigned) is a saturating v - lo - span of 0.

[[gnu::target("avx2")]] void RowAvx2(u16* d, const u16* s, i32 n, u16 lo, u16 span) {
    if (n < 16) return RowSse2(d, s, n, lo, span);
    const __m256i vlo = _mm256_set1_epi16(i16(lo)), vspan = _mm256_set1_epi16(i16(span)), zero = _mm256_setzero_si256();
    for (i32 i = 0;; i += 16) {
        if (i > n - 16) i = n - 16;
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        const __m256i old = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
        const __m256i key = _mm256_cmpeq_epi16(_mm256_subs_epu16(_mm256_sub_epi16(v, vlo), vspan), zero);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_blendv_epi8(v, old, key));
        if (i == n - 16) break;
    }
}

// A masked store leaves the keyed pixels alone, so the destination is never read.
[[gnu::target("avx2,avx512f,avx512bw")]] void RowAvx512(u16* d, const u16* s, i32 n, u16 lo, u16 span) {
    if (n < 32) return RowAvx2(d, s, n, lo, span);
    const __m512i vlo = _mm512_set1_epi16(i16(lo)), vspan = _mm512_set1_epi16(i16(span)), zero = _mm512_setzero_si512();
    for (i32 i = 0;; i += 32) {
        if (i > n - 32) i = n - 32;
        const __m512i v = _mm512_loadu_si512(s + i);
        const __mmask32 drawn = _mm512_cmpneq_epi16_mask(_mm512_subs_epu16(_mm512_sub_epi16(v, vlo), vspan), zero);
        _mm512_mask_storeu_epi16(d + i, drawn, v);
        if (i == n - 32) break;
    }
}
#endif

KeyedRow16Impl* Table(int* count) {
    static KeyedRow16Impl impls[] = {
        {"scalar", RowScalar, true},
#ifdef KORVANE_X86
        {"sse2", RowSse2, false},
        {"avx2", RowAvx2, false},
        {"avx512bw", RowAvx512, false},
#endif
    };
    static const bool probed = [] {
#ifdef KORVANE_X86
        __builtin_cpu_init();
        impls[1].usable = __builtin_cpu_supports("sse2");
        impls[2].usable = impls[1].usable && __builtin_cpu_supports("avx2");
        impls[3].usable = impls[2].usable && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
#endif
        return true;
    }();
    (void)probed;
    *count = int(sizeof(impls) / sizeof(impls[0]));
    return impls;
}

}  // namespace

const KeyedRow16Impl* KeyedRow16Impls(int* count) { return Table(count); }

KeyedRow16Fn KeyedRow16() {
    static const KeyedRow16Fn chosen = [] {
        int n = 0;
        const KeyedRow16Impl* impls = Table(&n);
        KeyedRow16Fn fn = impls[0].fn;
        for (int i = 0; i < n; ++i)
            if (impls[i].usable) fn = impls[i].fn;
        return fn;
    }();
    return chosen;
}

}  // namespace plat
