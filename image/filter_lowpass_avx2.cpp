// The 5 x 5 box average with AVX2, sixteen destination pixels at a time: the SSE2
// version's arithmetic (image/filter_lowpass_sse2.cpp) in lanes twice as wide. Per
// destination row the five source rows are summed per column in 16-bit lanes (at most
// 5 * 255), then five neighbouring column sums per pixel (at most 25 * 255); the average
// ((S + 13) * 10485) >> 18 is the high half of (S + 13) * 10485 shifted right by 2. The
// 3 x 3 mask goes to the generic routine.
//
// Only this file's function uses AVX2 (a per-function target attribute); it is in the
// table chosen only where the processor has AVX2.
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "image/ippi_fast.h"
#include "image/ippi_generic.h"

namespace ipp_fast {

__attribute__((target("avx2"))) IppStatus FilterLowpass_8u_C1R_Avx2(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst,
                                                                   int dstStep, IppiSize roi, IppiMaskSize mask) {
    if (mask != ippMskSize5x5) return ipp_generic::FilterLowpass_8u_C1R(pSrc, srcStep, pDst, dstStep, roi, mask);
    // Column sums of the source columns -2 .. width + 1, as the generic routine reads them.
    const int columns = roi.width + 4;
    std::unique_ptr<uint16_t[]> columnSums(new (std::nothrow) uint16_t[static_cast<size_t>(columns)]);
    if (!columnSums) return ippStsMemAllocErr;
    uint16_t* sums = columnSums.get();
    for (int y = 0; y < roi.height; ++y) {
        const Ipp8u* rows[5];
        for (int k = 0; k < 5; ++k) rows[k] = pSrc + static_cast<ptrdiff_t>(y + k - 2) * srcStep - 2;
        int c = 0;
        for (; c + 16 <= columns; c += 16) {
            __m256i sum = _mm256_setzero_si256();
            for (const Ipp8u* row : rows)
                sum = _mm256_add_epi16(sum, _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + c))));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + c), sum);
        }
        for (; c < columns; ++c)
            sums[c] = static_cast<uint16_t>(rows[0][c] + rows[1][c] + rows[2][c] + rows[3][c] + rows[4][c]);

        Ipp8u* dst = pDst + static_cast<ptrdiff_t>(y) * dstStep;
        int x = 0;
        for (; x + 16 <= roi.width; x += 16) {
            __m256i sum = _mm256_set1_epi16(13);
            for (int k = 0; k < 5; ++k)
                sum = _mm256_add_epi16(sum, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sums + x + k)));
            const __m256i average = _mm256_srli_epi16(_mm256_mulhi_epu16(sum, _mm256_set1_epi16(10485)), 2);
            // packus works within each 128-bit half: the first eight bytes of each half hold
            // pixels 0-7 and 8-15; gather those two quadwords into the low half.
            const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(average, average), 0x08);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), _mm256_castsi256_si128(bytes));
        }
        BoxAverageTail(sums, dst, x, roi.width);
    }
    return ippStsNoErr;
}

}  // namespace ipp_fast

#endif
