// The Air Brush algorithm for one band. The tent blur's length follows the picture's
// height and its borders are replicated at the picture's edges: a band that is a
// picture of its own gets a blur of its own; a band that is a slice of the frame
// reads the rows the blur reaches beyond it and gives its rows of the frame's picture.
//
// Choices for records the knobs cannot produce:
//  - n below 0 (`spray` well below -0.1): the band is left as the output surface held
//    it, as for a failed allocation; n = 0 keeps the defined meaning (no blur, the
//    combine works against what the output surface held).
//  - n above the picture's height + 1 is held there (see effects/tentblur.h): longer
//    kernels would only cost memory and time.
//  - a NaN field makes its working value 0 (effects/truncation.h): n = 0, or
//    `threshold` 0 (as `edge` 1); a negative `threshold` (`edge` above 1) lifts
//    nothing, exactly as the formula says, with the products kept inside 32 bits.
#include "effects/airbrush.h"

#include <algorithm>

#include "effects/blurcombine.h"
#include "effects/tentblur.h"
#include "effects/tentblur_stream.h"
#include "effects/truncation.h"
#include "image/cpudispatch.h"

namespace {

// Luminance with weights that add up to 255 (white is 254).
inline int Luminance(int r, int g, int b) { return (76 * r + 149 * g + 30 * b) >> 8; }

// Below this every threshold gives a target of at most 0, which lifts nothing; the
// clamp only keeps blurred luminance * threshold inside 32 bits.
constexpr int kLowestThreshold = -(1 << 20);

// threshold = trunc(245 - 245 * edge * edge), in double from the single-precision field.
int ThresholdOf(float edge) {
    const double e = edge;
    return std::max(TruncateToInt32(245.0 - 245.0 * e * e), kLowestThreshold);
}

// n = trunc((spray + 0.1f) * H * 0.15f), in double with the two single-precision constants.
int KernelLengthOf(float spray, int height) {
    return TruncateToInt32((static_cast<double>(spray) + static_cast<double>(0.1f)) * height *
                           static_cast<double>(0.15f));
}

// Per pixel: a pixel darker than the scaled blur is lifted by the difference in grey;
// any other takes the darker of input and blur in each colour. Alpha is the input's.
// `blurred` may be `out` itself.
void CombineRow(const void* context, const uint8_t* s, const uint8_t* blurred, uint8_t* d, int width) {
    const int threshold = static_cast<const AirBrushCombineTerms*>(context)->threshold;
    for (int x = 0; x < width; ++x, s += 4, blurred += 4, d += 4) {
        const int target = (Luminance(blurred[2], blurred[1], blurred[0]) * threshold) >> 8;
        const int inputLum = Luminance(s[2], s[1], s[0]);
        if (inputLum < target) {
            const int lift = target - inputLum;
            d[0] = static_cast<uint8_t>(std::min(s[0] + lift, 255));
            d[1] = static_cast<uint8_t>(std::min(s[1] + lift, 255));
            d[2] = static_cast<uint8_t>(std::min(s[2] + lift, 255));
        } else {
            d[0] = std::min(s[0], blurred[0]);
            d[1] = std::min(s[1], blurred[1]);
            d[2] = std::min(s[2], blurred[2]);
        }
        d[3] = s[3];
    }
}

// The combine over the band, against the blur TentBlur left in OUT's colour bytes.
void Combine(const CImageBuffer& in, CImageBuffer& out, AirBrushCombineTerms terms) {
    for (int y = 0; y < in.GetHeight(); ++y)
        CombineRow(&terms, in.PixelAt(0, y, 0), out.PixelAt(0, y, 0), out.PixelAt(0, y, 0), in.GetWidth());
}

#if defined(__x86_64__) || defined(__i386__)
// A vector combine for the first pixels of the row, the rule for the rest.
template <int (*Vector)(const AirBrushCombineTerms&, const uint8_t*, const uint8_t*, uint8_t*, int)>
void CombineRowWith(const void* context, const uint8_t* s, const uint8_t* blurred, uint8_t* d, int width) {
    const int done = Vector(*static_cast<const AirBrushCombineTerms*>(context), s, blurred, d, width);
    CombineRow(context, s + done * 4, blurred + done * 4, d + done * 4, width - done);
}
#endif

BlurRowCombine CombineRowAt(StreamLevel level) {
#if defined(__x86_64__) || defined(__i386__)
    if (level == StreamLevel::Avx512 && ippAvx512BwEnabled()) return &CombineRowWith<&AirBrushCombineAvx512>;
    if (level == StreamLevel::Avx2 || level == StreamLevel::Avx512) return &CombineRowWith<&AirBrushCombineAvx2>;
    if (level == StreamLevel::Sse2) return &CombineRowWith<&AirBrushCombineSse2>;
#endif
    return &CombineRow;
}

int KernelLengthFor(float spray, int pictureHeight) {
    return std::min(KernelLengthOf(spray, pictureHeight), TentLengthLimit(pictureHeight));
}

}  // namespace

int CAirBrush::RowsReachedBeyondBand(const tAIR_BRUSH_PROPS& props, int /*pictureWidth*/, int pictureHeight) {
    const int n = KernelLengthFor(props.spray, pictureHeight);
    return n > 0 ? TentBlurReach(n) : 0;
}

HRESULT CAirBrush::RenderBand(const tAIR_BRUSH_PROPS& props, const CImageBuffer& in, CImageBuffer& out,
                              const BandGeometry& band) {
    RenderAirBrush(props, in, out, band, AllowedStreamLevel());
    return S_OK;
}

void RenderAirBrush(const tAIR_BRUSH_PROPS& props, const CImageBuffer& in, CImageBuffer& out,
                    const BandGeometry& band, std::optional<StreamLevel> level) {
    const AirBrushCombineTerms terms{ThresholdOf(props.edge)};
    const int n = KernelLengthFor(props.spray, band.pictureHeight);
    if (n < 0) return;
    if (n > 0) {
        CTentKernel kernel;
        if (!kernel.Build(n)) return;
        if (level && CanStreamTentBlur(kernel)) {
            StreamTentBlur(in, out, kernel, band, *level, CombineRowAt(*level), &terms);
            return;
        }
        if (!TentBlur(in, out, kernel, band)) return;
    }
    // With n = 0 there is no blur: both filters would refuse, and the combine works
    // against the colours the output surface held.
    CImageBuffer inBand;
    inBand.AttachRegion(in, 0, band.rowsAbove, out.GetWidth(), out.GetHeight());
    Combine(inBand, out, terms);
}
