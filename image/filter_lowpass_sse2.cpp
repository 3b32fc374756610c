// The 5 x 5 box average with SSE2, eight destination pixels at a time. Per destination
// row the five source rows are summed per column in 16-bit lanes (at most 5 * 255), then
// five neighbouring column sums per pixel (at most 25 * 255). The average
// ((S + 13) * 10485) >> 18 is the high half of (S + 13) * 10485 shifted right by 2, the
// same integer. The 3 x 3 mask goes to the generic routine.
#if defined(__x86_64__) || defined(__i386__)

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "image/ippi_fast.h"
#include "image/ippi_generic.h"

namespace ipp_fast {

IppStatus FilterLowpass_8u_C1R_Sse2(const Ipp8u* pSrc, int srcStep, Ipp8u* pDst, int dstStep, IppiSize roi,
                                    IppiMaskSize mask) {
    if (mask != ippMskSize5x5) return ipp_generic::FilterLowpass_8u_C1R(pSrc, srcStep, pDst, dstStep, roi, mask);
    // Column sums of the source columns -2 .. width + 1, as the generic routine reads them.
    const int columns = roi.width + 4;
    std::unique_ptr<uint16_t[]> columnSums(new (std::nothrow) uint16_t[static_cast<size_t>(columns)]);
    if (!columnSums) return ippStsMemAllocErr;
    uint16_t* sums = columnSums.get();
    const __m128i zero = _mm_setzero_si128();
    for (int y = 0; y < roi.height; ++y) {
        const Ipp8u* rows[5];
        for (int k = 0; k < 5; ++k) rows[k] = pSrc + static_cast<ptrdiff_t>(y + k - 2) * srcStep - 2;
        int c = 0;
        for (; c + 16 <= columns; c += 16) {
            __m128i low = zero, high = zero;
            for (const Ipp8u* row : rows) {
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + c));
                low = _mm_add_epi16(low, _mm_unpacklo_epi8(bytes, zero));
                high = _mm_add_epi16(high, _mm_unpackhi_epi8(bytes, zero));
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + c), low);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + c + 8), high);
        }
        for (; c < columns; ++c)
            sums[c] = static_cast<uint16_t>(rows[0][c] + rows[1][c] + rows[2][c] + rows[3][c] + rows[4][c]);

        Ipp8u* dst = pDst + static_cast<ptrdiff_t>(y) * dstStep;
        int x = 0;
        for (; x + 8 <= roi.width; x += 8) {
            __m128i sum = _mm_set1_epi16(13);
            for (int k = 0; k < 5; ++k)
                sum = _mm_add_epi16(sum, _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + x + k)));
            const __m128i average = _mm_srli_epi16(_mm_mulhi_epu16(sum, _mm_set1_epi16(10485)), 2);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + x), _mm_packus_epi16(average, zero));
        }
        BoxAverageTail(sums, dst, x, roi.width);
    }
    return ippStsNoErr;
}

}  // namespace ipp_fast

#endif
