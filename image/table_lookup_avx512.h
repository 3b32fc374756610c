// Sixteen doubles from a table by the sixteen indices of a register, read with scalar
// loads. From a small table that stays in the first-level cache a gather instruction
// cost more per element on the processors measured than storing the indices and
// loading each entry (Metallic's rows, 766 doubles: 1.50 ms a 1080p frame with two
// gathers of eight, 1.24 ms with these loads). From tables of a megabyte the gather was
// faster (Colorize's rows: 2.4 ms against 2.9), so those keep it. The entries are the
// ones a gather would read, so the results are the same.
//
// The function carries the AVX-512 target itself; call it only from code that runs
// where the processor has AVX-512 (ippAvx512Enabled()).
#pragma once

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include <cstdint>

#define QUILLET_LOOKUP_AVX512 __attribute__((target("avx512f"), always_inline)) inline

// table[index] for each 32-bit lane, as doubles: lanes 0-7 in `low`, 8-15 in `high`.
QUILLET_LOOKUP_AVX512 void LookUpSixteen(const double* table, __m512i index, __m512d& low, __m512d& high) {
    alignas(64) int32_t at[16];
    _mm512_store_si512(at, index);
    low = _mm512_setr_pd(table[at[0]], table[at[1]], table[at[2]], table[at[3]], table[at[4]], table[at[5]],
                         table[at[6]], table[at[7]]);
    high = _mm512_setr_pd(table[at[8]], table[at[9]], table[at[10]], table[at[11]], table[at[12]], table[at[13]],
                          table[at[14]], table[at[15]]);
}

#undef QUILLET_LOOKUP_AVX512
#endif
