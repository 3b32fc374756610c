// The 5 x 5 box average with AVX-512 (F and BW), thirty-two destination pixels at a time.
// The column sums of the five source rows run down the picture: each row's are the
// previous row's plus the row entering the window less the row leaving it (exact in
// 16-bit lanes: every sum is at most 5 * 255, and the wrap of an intermediate step
// cancels). Then five neighbouring column sums per pixel and the average
// ((S + 13) * 10485) >> 18 as the AVX2 version forms it. The 3 x 3 mask goes to the
// generic routine.
//
// Only this file's function uses AVX-512 (a per-function target attribute); it is in the
// table chosen only where the processor has it.
#if defined(__x86_64__) || defined(__i386__)

// GCC 12's AVX-512 intrinsics start some results from _mm512_undefined_*(), which its
// maybe-uninitialized warning then reports at every use.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <immintrin.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "image/ippi_fast.h"
#include "image/ippi_generic.h"

namespace ipp_fast {

namespace {

__attribute__((target("avx512f,avx512bw"), always_inline)) inline __m512i Widen(const Ipp8u* p) {
    return _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
}

}  // namespace

__attribute__((target("avx512f,avx512bw"))) IppStatus FilterLowpass_8u_C1R_Avx512(const Ipp8u* pSrc, int srcStep,
                                                                                 Ipp8u* pDst, int dstStep, IppiSize roi,
                                                                                 IppiMaskSize mask) {
    if (mask != ippMskSize5x5) return ipp_generic::FilterLowpass_8u_C1R(pSrc, srcStep, pDst, dstStep, roi, mask);
    if (roi.width <= 0 || roi.height <= 0) return ipp_generic::FilterLowpass_8u_C1R(pSrc, srcStep, pDst, dstStep, roi, mask);
    // Column sums of the source columns -2 .. width + 1, as the generic routine reads them.
    const int columns = roi.width + 4;
    std::unique_ptr<uint16_t[]> columnSums(new (std::nothrow) uint16_t[static_cast<size_t>(columns)]);
    if (!columnSums) return ippStsMemAllocErr;
    uint16_t* sums = columnSums.get();
    auto row = [&](int y) { return pSrc + static_cast<ptrdiff_t>(y) * srcStep - 2; };
    for (int c = 0; c < columns; ++c)
        sums[c] = static_cast<uint16_t>(row(-2)[c] + row(-1)[c] + row(0)[c] + row(1)[c] + row(2)[c]);
    for (int y = 0; y < roi.height; ++y) {
        if (y > 0) {
            const Ipp8u* entering = row(y + 2);
            const Ipp8u* leaving = row(y - 3);
            int c = 0;
            for (; c + 32 <= columns; c += 32) {
                __m512i* at = reinterpret_cast<__m512i*>(sums + c);
                const __m512i sum = _mm512_add_epi16(_mm512_loadu_si512(at), Widen(entering + c));
                _mm512_storeu_si512(at, _mm512_sub_epi16(sum, Widen(leaving + c)));
            }
            for (; c < columns; ++c) sums[c] = static_cast<uint16_t>(sums[c] + entering[c] - leaving[c]);
        }
        Ipp8u* dst = pDst + static_cast<ptrdiff_t>(y) * dstStep;
        int x = 0;
        for (; x + 32 <= roi.width; x += 32) {
            __m512i sum = _mm512_set1_epi16(13);
            for (int k = 0; k < 5; ++k) sum = _mm512_add_epi16(sum, _mm512_loadu_si512(sums + x + k));
            const __m512i average = _mm512_srli_epi16(_mm512_mulhi_epu16(sum, _mm512_set1_epi16(10485)), 2);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + x), _mm512_cvtepi16_epi8(average));
        }
        BoxAverageTail(sums, dst, x, roi.width);
    }
    return ippStsNoErr;
}

}  // namespace ipp_fast

#endif
