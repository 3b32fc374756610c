// Metallic from per-frame tables (see effects/metal_fast.h): 766 metal terms times
// each colour fraction and 256 picture shares, then one addition and one saturating
// truncation per channel.
//
// On x86 the three channels of a pixel are summed, held within 0..255 and truncated
// in SSE2 registers, without branches: MetalChannel's branches follow the picture and
// mispredict on most pixels, which made the band's time depend on its content (two
// bands of one frame took unequal times). maxpd(v, 0) gives 0 for a NaN v, as
// MetalChannel does; everything from 255 up gives 255, everything up to 0 gives 0.
// Where AVX-512 may run, a row's first pixels take the same steps sixteen at a time
// (effects/metal_avx512.cpp) from the metal term w itself, multiplied as the table is.
#include "effects/metal_fast.h"

#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>

#include <cstring>
#define QUILLET_METAL_SSE2 1
#endif

namespace {

constexpr int kChannelSums = 3 * 255 + 1;

struct alignas(16) MetalTables {
    double term[kChannelSums][4];  // w * kb, w * kg, w * kr, 0 by channel sum (pixel byte order)
    double share[256];             // s * picture by byte
    double w[kChannelSums];        // the metal term itself
};

void BuildTables(const MetalSettings& k, MetalTables& t) {
    for (int sum = 0; sum < kChannelSums; ++sum) {
        const double w = MetalTerm(sum, k.metal, k.highlights, k.shine, k.calibrate);
        t.term[sum][0] = w * k.kb;
        t.term[sum][1] = w * k.kg;
        t.term[sum][2] = w * k.kr;
        t.term[sum][3] = 0.0;
        t.w[sum] = w;
    }
    for (int s = 0; s < 256; ++s) t.share[s] = s * k.picture;
}

#ifdef QUILLET_METAL_SSE2
void RenderRow(const MetalTables& t, const uint8_t* s, uint8_t* d, int width) {
    const __m128d zero = _mm_setzero_pd(), top = _mm_set1_pd(255.0);
    for (int x = 0; x < width; ++x, s += 4, d += 4) {
        const uint8_t s0 = s[0], s1 = s[1], s2 = s[2];
        const double* term = t.term[s0 + s1 + s2];
        __m128d blueGreen = _mm_add_pd(_mm_load_pd(term), _mm_set_pd(t.share[s1], t.share[s0]));
        __m128d red = _mm_add_sd(_mm_load_pd(term + 2), _mm_load_sd(&t.share[s2]));
        blueGreen = _mm_min_pd(_mm_max_pd(blueGreen, zero), top);
        red = _mm_min_pd(_mm_max_pd(red, zero), top);
        const __m128i channels = _mm_unpacklo_epi64(_mm_cvttpd_epi32(blueGreen), _mm_cvttpd_epi32(red));
        const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(channels, channels), channels);
        // x86 is little-endian: the low three bytes are blue, green, red.
        const uint32_t pixel = (static_cast<uint32_t>(_mm_cvtsi128_si32(bytes)) & 0x00FFFFFFu) |
                               static_cast<uint32_t>(s[3]) << 24;
        std::memcpy(d, &pixel, 4);
    }
}
#else
void RenderRow(const MetalTables& t, const uint8_t* s, uint8_t* d, int width) {
    for (int x = 0; x < width; ++x, s += 4, d += 4) {
        const uint8_t s0 = s[0], s1 = s[1], s2 = s[2], a = s[3];
        const double* term = t.term[s0 + s1 + s2];
        d[0] = MetalChannel(term[0] + t.share[s0]);
        d[1] = MetalChannel(term[1] + t.share[s1]);
        d[2] = MetalChannel(term[2] + t.share[s2]);
        d[3] = a;
    }
}
#endif

}  // namespace

void RenderMetalTabulated(const CImageBuffer& in, CImageBuffer& out, const MetalSettings& settings, bool avx512) {
    MetalTables t;
    BuildTables(settings, t);
    for (int y = 0; y < out.GetHeight(); ++y) {
        int done = 0;
#if defined(__x86_64__) || defined(__i386__)
        if (avx512) done = MetalRowAvx512(t.w, settings, in.PixelAt(0, y, 0), out.PixelAt(0, y, 0), out.GetWidth());
#else
        (void)avx512;
#endif
        RenderRow(t, in.PixelAt(done, y, 0), out.PixelAt(done, y, 0), out.GetWidth() - done);
    }
}
