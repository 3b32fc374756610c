// The Dream Glow algorithm for one band. The tent blur's length follows the picture's
// height and its borders are replicated at the picture's edges: a band that is a
// picture of its own gets a blur of its own; a band that is a slice of the frame
// reads the rows the blur reaches beyond it and gives its rows of the frame's picture.
//
// Choices for records the knobs cannot produce:
//  - K below 1 (`blur` negative enough): no blur, as K = 1 (what every `blur` in
//    (-5 / H, 0] already gives); the glow still works against the unblurred band.
//  - K above the picture's height + 1 is held there (see effects/tentblur.h).
//  - NaN fields count as 0 (effects/truncation.h); `gainT` is held within +-2^20,
//    beyond which nothing changes: any lit pixel's glow already reaches the colour's
//    ceiling and full alpha, and a negative gain glows nowhere.
#include "effects/dreamglow.h"

#include <algorithm>

#include "effects/blurcombine.h"
#include "effects/tentblur.h"
#include "effects/tentblur_stream.h"
#include "effects/truncation.h"
#include "image/cpudispatch.h"

namespace {

// Luminance with weights that add up to 255 (white is 254).
inline int Luminance(int r, int g, int b) { return (76 * r + 149 * g + 30 * b) >> 8; }

constexpr int kGainLimit = 1 << 20;

// K = trunc(H * blur * 0.2f) + 1, products in double from the exact H and the
// single-precision constant.
int KernelLengthOf(float blur, int height) {
    const int64_t k = int64_t{TruncateToInt32(static_cast<double>(height) * blur * static_cast<double>(0.2f))} + 1;
    return static_cast<int>(std::clamp<int64_t>(k, 1, TentLengthLimit(height)));
}

// Per pixel: the excess of the scaled blurred luminance over the input's, tinted by
// the colour, is added to the input; every channel is capped at the colour's own, and
// alpha rises to the glow's brightness where that is above the input's. `blurred`
// may be `out` itself.
void CombineRow(const void* context, const uint8_t* s, const uint8_t* blurred, uint8_t* d, int width) {
    const DreamGlowCombineTerms& terms = *static_cast<const DreamGlowCombineTerms*>(context);
    for (int x = 0; x < width; ++x, s += 4, blurred += 4, d += 4) {
        const int glowLum = (Luminance(blurred[2], blurred[1], blurred[0]) * terms.gainT) >> 8;
        const int srcLum = Luminance(s[2], s[1], s[0]);
        const int excess = srcLum < glowLum ? glowLum - srcLum : 0;
        const int red = std::min(s[2] + ((excess * terms.red) >> 8), terms.red);
        const int green = std::min(s[1] + ((excess * terms.green) >> 8), terms.green);
        const int blue = std::min(s[0] + ((excess * terms.blue) >> 8), terms.blue);
        const int alpha = std::min(std::max(glowLum, static_cast<int>(s[3])), 255);
        d[0] = static_cast<uint8_t>(blue);
        d[1] = static_cast<uint8_t>(green);
        d[2] = static_cast<uint8_t>(red);
        d[3] = static_cast<uint8_t>(alpha);
    }
}

// The combine over the band, against the blur TentBlur left in OUT's colour bytes.
void Combine(const CImageBuffer& in, CImageBuffer& out, const DreamGlowCombineTerms& terms) {
    for (int y = 0; y < in.GetHeight(); ++y)
        CombineRow(&terms, in.PixelAt(0, y, 0), out.PixelAt(0, y, 0), out.PixelAt(0, y, 0), in.GetWidth());
}

#if defined(__x86_64__) || defined(__i386__)
// A vector combine for the first pixels of the row, the rule for the rest.
template <int (*Vector)(const DreamGlowCombineTerms&, const uint8_t*, const uint8_t*, uint8_t*, int)>
void CombineRowWith(const void* context, const uint8_t* s, const uint8_t* blurred, uint8_t* d, int width) {
    const int done = Vector(*static_cast<const DreamGlowCombineTerms*>(context), s, blurred, d, width);
    CombineRow(context, s + done * 4, blurred + done * 4, d + done * 4, width - done);
}
#endif

BlurRowCombine CombineRowAt(StreamLevel level) {
#if defined(__x86_64__) || defined(__i386__)
    if (level == StreamLevel::Avx512 && ippAvx512BwEnabled()) return &CombineRowWith<&DreamGlowCombineAvx512>;
    if (level == StreamLevel::Avx2 || level == StreamLevel::Avx512) return &CombineRowWith<&DreamGlowCombineAvx2>;
    if (level == StreamLevel::Sse2) return &CombineRowWith<&DreamGlowCombineSse2>;
#endif
    return &CombineRow;
}

}  // namespace

int CDreamGlow::RowsReachedBeyondBand(const tDREAM_GLOW_PROPS& props, int /*pictureWidth*/, int pictureHeight) {
    return TentBlurReach(KernelLengthOf(props.blur, pictureHeight));
}

HRESULT CDreamGlow::RenderBand(const tDREAM_GLOW_PROPS& props, const CImageBuffer& in, CImageBuffer& out,
                               const BandGeometry& band) {
    RenderDreamGlow(props, in, out, band, AllowedStreamLevel());
    return S_OK;
}

void RenderDreamGlow(const tDREAM_GLOW_PROPS& props, const CImageBuffer& in, CImageBuffer& out,
                     const BandGeometry& band, std::optional<StreamLevel> level) {
    const DreamGlowCombineTerms terms = {
        std::clamp(TruncateToInt32(static_cast<double>(props.glow) * 512.0), -kGainLimit, kGainLimit),
        RedOf(props.color), GreenOf(props.color), BlueOf(props.color)};

    CTentKernel kernel;
    if (!kernel.Build(KernelLengthOf(props.blur, band.pictureHeight))) return;
    if (level && CanStreamTentBlur(kernel)) {
        StreamTentBlur(in, out, kernel, band, *level, CombineRowAt(*level), &terms);
        return;
    }
    if (!TentBlur(in, out, kernel, band)) return;
    CImageBuffer inBand;
    inBand.AttachRegion(in, 0, band.rowsAbove, out.GetWidth(), out.GetHeight());
    Combine(inBand, out, terms);
}
