// The Duo Chrome algorithm for one band: each pixel's luminance is placed on a ramp running
// black, ink, paper, white, and the ramp colour is mixed with the pixel by `blend`.
// When the paper is darker than the ink the two are exchanged and the luminance is
// inverted (a coloured negative). Alpha is kept.
//
// Working values are single precision: each is formed in double and rounded once
// when stored (the luminance, t, the ramp colour, both products and their sum).
//
// Choices where the formulas have no value:
//  - paper and ink of equal luminance leave the middle segment a single point, where
//    t = 0 / 0; a pixel of exactly that luminance takes the paper colour (t = 1), as a
//    pixel exactly as bright as the paper does in every other case;
//  - a mix that is not a number (NaN or infinite `blend`) gives 0 (effects/truncation.h).
#include "effects/duochrome.h"

#include "effects/duochrome_fast.h"
#include "effects/truncation.h"
#include "image/cpudispatch.h"

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

namespace {

// The luminance weights are single-precision constants; the sum is rounded once.
float Luminance(int red, int green, int blue) {
    return static_cast<float>(static_cast<double>(0.298f) * red + static_cast<double>(0.586f) * green +
                              static_cast<double>(0.113f) * blue);
}

}  // namespace

DuoRamp MakeDuoRamp(const tDUOCHROME_PROPS& props) {
    DuoRamp ramp;
    ramp.blend = props.blend;
    ramp.keep = static_cast<float>(1.0 - static_cast<double>(props.blend));
    const COLORREF paper = props.paper, ink = props.ink;
    ramp.P[0] = BlueOf(paper), ramp.P[1] = GreenOf(paper), ramp.P[2] = RedOf(paper);
    ramp.K[0] = BlueOf(ink), ramp.K[1] = GreenOf(ink), ramp.K[2] = RedOf(ink);
    ramp.LP = Luminance(RedOf(paper), GreenOf(paper), BlueOf(paper));
    ramp.LK = Luminance(RedOf(ink), GreenOf(ink), BlueOf(ink));
    ramp.inverted = ramp.LP < ramp.LK;
    if (ramp.inverted) {
        for (int i = 0; i < 3; ++i) {
            const float p = ramp.P[i];
            ramp.P[i] = ramp.K[i];
            ramp.K[i] = p;
        }
        const float l = ramp.LP;
        ramp.LP = ramp.LK;
        ramp.LK = l;
    }
    return ramp;
}

DuoSegments MakeDuoSegments(const DuoRamp& r) {
    DuoSegments s;
    s.LP = r.LP, s.LK = r.LK;
    s.blend = r.blend, s.keep = r.keep;
    s.inverted = r.inverted;
    const bool point = r.LP == r.LK;
    s.from[0] = r.LP, s.over[0] = 255.0 - r.LP;
    s.from[1] = 0.0, s.over[1] = r.LK;
    s.from[2] = point ? 0.0 : r.LK, s.over[2] = point ? 1.0 : static_cast<double>(r.LP) - r.LK;
    for (int c = 0; c < 3; ++c) {
        s.base[c][0] = r.P[c], s.span[c][0] = 255.0 - r.P[c];
        s.base[c][1] = 0.0, s.span[c][1] = r.K[c];
        s.base[c][2] = point ? r.P[c] : r.K[c];
        s.span[c][2] = point ? 0.0 : static_cast<double>(r.P[c]) - r.K[c];
    }
    return s;
}

namespace {

// The ramp colour c[0..2] at luminance Y.
inline void RampColour(const DuoRamp& r, float Y, float c[3]) {
    if (Y > r.LP) {  // paper to white
        const float t = static_cast<float>((static_cast<double>(Y) - r.LP) / (255.0 - r.LP));
        for (int i = 0; i < 3; ++i) c[i] = static_cast<float>(r.P[i] + (255.0 - r.P[i]) * t);
    } else if (Y < r.LK) {  // black to ink
        const float t = static_cast<float>(static_cast<double>(Y) / r.LK);
        for (int i = 0; i < 3; ++i) c[i] = static_cast<float>(static_cast<double>(r.K[i]) * t);
    } else if (r.LP == r.LK) {  // a single point: the paper colour
        for (int i = 0; i < 3; ++i) c[i] = r.P[i];
    } else {  // ink to paper
        const float t = static_cast<float>((static_cast<double>(Y) - r.LK) / (static_cast<double>(r.LP) - r.LK));
        for (int i = 0; i < 3; ++i)
            c[i] = static_cast<float>(r.K[i] + (static_cast<double>(r.P[i]) - r.K[i]) * t);
    }
}

// Per-call tables of what depends on one byte only, each entry the very expression the
// per-pixel rule evaluates: the three luminance products (exact in double, summed in
// the same order) and the picture's share s * keep rounded to single precision.
struct ByteTables {
    double red[256], green[256], blue[256];
    float picture[256];
};

void BuildByteTables(const DuoRamp& r, ByteTables& t) {
    for (int b = 0; b < 256; ++b) {
        t.red[b] = static_cast<double>(0.298f) * b;
        t.green[b] = static_cast<double>(0.586f) * b;
        t.blue[b] = static_cast<double>(0.113f) * b;
        t.picture[b] = static_cast<float>(b * static_cast<double>(r.keep));
    }
}

inline uint8_t MixChannel(float colour, float picture, const DuoRamp& r) {
    const float ramp = static_cast<float>(static_cast<double>(colour) * r.blend);
    float v = static_cast<float>(static_cast<double>(ramp) + picture);
    if (v < 0.0f) v = 0.0f;
    if (v > 255.0f) v = 255.0f;
    return static_cast<uint8_t>(TruncateToInt32(v));
}

#if defined(__x86_64__) || defined(__i386__)
// MixChannel without branches (they follow the picture and mispredict): maxss(v, 0)
// gives 0 for a NaN v as the truncation does, minss holds the rest within 255.
inline uint8_t HeldMixChannel(float colour, float picture, const DuoRamp& r) {
    const float ramp = static_cast<float>(static_cast<double>(colour) * r.blend);
    const float v = static_cast<float>(static_cast<double>(ramp) + picture);
    const __m128 held = _mm_min_ss(_mm_max_ss(_mm_set_ss(v), _mm_setzero_ps()), _mm_set_ss(255.0f));
    return static_cast<uint8_t>(_mm_cvttss_si32(held));
}
#else
inline uint8_t HeldMixChannel(float colour, float picture, const DuoRamp& r) { return MixChannel(colour, picture, r); }
#endif

// Per pixel, the luminance products and the picture's share come from Luminance
// and from s * keep directly (the rule), or from the byte tables.
struct RuleTerms {
    const DuoRamp& r;
    double Y(const uint8_t* s) const { return Luminance(s[2], s[1], s[0]); }
    float Picture(uint8_t s) const { return static_cast<float>(s * static_cast<double>(r.keep)); }
    uint8_t Mix(float colour, float picture) const { return MixChannel(colour, picture, r); }
};

struct TableTerms {
    const DuoRamp& r;
    const ByteTables& t;
    double Y(const uint8_t* s) const { return t.red[s[2]] + t.green[s[1]] + t.blue[s[0]]; }
    float Picture(uint8_t s) const { return t.picture[s]; }
    uint8_t Mix(float colour, float picture) const { return HeldMixChannel(colour, picture, r); }
};

// A vector row: renders the first pixels of a row and says how many it did.
using VectorRow = int (*)(const DuoSegments& ramp, const uint8_t* source, uint8_t* destination, int width);

int NoVectorRow(const DuoSegments&, const uint8_t*, uint8_t*, int) { return 0; }

// Each row's first pixels through `row`, the rest through the terms per pixel.
template <class Terms>
void Render(const CImageBuffer& in, CImageBuffer& out, const DuoRamp& ramp, const Terms& terms,
            VectorRow row = NoVectorRow) {
    const DuoSegments segments = MakeDuoSegments(ramp);
    for (int y = 0; y < out.GetHeight(); ++y) {
        const int done = row(segments, in.PixelAt(0, y, 0), out.PixelAt(0, y, 0), out.GetWidth());
        const uint8_t* s = in.PixelAt(done, y, 0);
        uint8_t* d = out.PixelAt(done, y, 0);
        for (int x = done; x < out.GetWidth(); ++x, s += 4, d += 4) {
            float Y = static_cast<float>(terms.Y(s));
            if (ramp.inverted) Y = static_cast<float>(255.0 - Y);
            float c[3];
            RampColour(ramp, Y, c);
            const uint8_t alpha = s[3];
            for (int i = 0; i < 3; ++i) d[i] = terms.Mix(c[i], terms.Picture(s[i]));
            d[3] = alpha;
        }
    }
}

}  // namespace

HRESULT CDuoChrome::RenderBand(const tDUOCHROME_PROPS& props, const CImageBuffer& in, CImageBuffer& out,
                               const BandGeometry& /*band*/) {
    RenderDuoChrome(in, out, props, FastestDuoChromePath());
    return S_OK;
}

DuoChromePath FastestDuoChromePath() {
#if defined(__x86_64__) || defined(__i386__)
    if (ippAvx512Enabled()) return DuoChromePath::kAvx512;
    if (ippAvx2Enabled()) return DuoChromePath::kAvx2;
    if (ippSse2Enabled()) return DuoChromePath::kSse2;
#endif
    return ippTablesEnabled() ? DuoChromePath::kTables : DuoChromePath::kRule;
}

void RenderDuoChrome(const CImageBuffer& in, CImageBuffer& out, const tDUOCHROME_PROPS& props, DuoChromePath path) {
    const DuoRamp ramp = MakeDuoRamp(props);
    switch (path) {
#if defined(__x86_64__) || defined(__i386__)
    case DuoChromePath::kAvx512: return Render(in, out, ramp, RuleTerms{ramp}, DuoChromeRowAvx512);
    case DuoChromePath::kAvx2: return Render(in, out, ramp, RuleTerms{ramp}, DuoChromeRowAvx2);
    case DuoChromePath::kSse2: return Render(in, out, ramp, RuleTerms{ramp}, DuoChromeRowSse2);
#endif
    case DuoChromePath::kTables: {
        ByteTables t;
        BuildByteTables(ramp, t);
        return Render(in, out, ramp, TableTerms{ramp, t});
    }
    default: return Render(in, out, ramp, RuleTerms{ramp});
    }
}
