// The Metallic algorithm for one band: each pixel's mean brightness drives a sine wave (the
// reflections), which, lifted by the brightness, scales the metal colour; a share of
// the picture is added on top. Alpha is kept. All arithmetic is double precision.
//
// The per-pixel rule is MetalPixel; the band is rendered by its tabulated form
// (effects/metal_fast.cpp), which gives the same bytes, unless the tables are
// switched off (image/cpudispatch.h). Every channel is truncated
// through effects/truncation.h, so a record of NaN or infinite fields gives 0 where the
// sum has no value and 0 or 255 where it is beyond either end.
#include "effects/metal.h"

#include <cmath>

#include "effects/metal_fast.h"
#include "image/cpudispatch.h"

// Not pi: the wave's period is set by this constant.
static constexpr double kWavePi = 3.1415;

double MetalTerm(int channelSum, double metal, double highlights, double shine, double calibrate) {
    const double m = channelSum / 768.0;
    const double theta = 2 * kWavePi * calibrate + m * 2 * kWavePi * (6.0 * highlights + 1.0);
    return metal * 256.0 * ((std::sin(theta) * shine + 1.0) * 0.5 + m);
}

void MetalPixel(const uint8_t* source, uint8_t* destination, double kr, double kg, double kb, double picture,
                double metal, double highlights, double shine, double calibrate) {
    const uint8_t s0 = source[0], s1 = source[1], s2 = source[2];
    destination[3] = source[3];
    const double w = MetalTerm(s0 + s1 + s2, metal, highlights, shine, calibrate);
    destination[2] = MetalChannel(w * kr + s2 * picture);
    destination[1] = MetalChannel(w * kg + s1 * picture);
    destination[0] = MetalChannel(w * kb + s0 * picture);
}

void RenderMetalPerPixel(const CImageBuffer& in, CImageBuffer& out, const MetalSettings& k) {
    for (int y = 0; y < out.GetHeight(); ++y) {
        const uint8_t* s = in.PixelAt(0, y, 0);
        uint8_t* d = out.PixelAt(0, y, 0);
        for (int x = 0; x < out.GetWidth(); ++x, s += 4, d += 4)
            MetalPixel(s, d, k.kr, k.kg, k.kb, k.picture, k.metal, k.highlights, k.shine, k.calibrate);
    }
}

HRESULT CMetal::RenderBand(const tMETALLIC_PROPS& props, const CImageBuffer& in, CImageBuffer& out,
                           const BandGeometry& /*band*/) {
    MetalSettings settings;
    settings.shine = props.shine;
    settings.highlights = props.highlights;
    settings.calibrate = props.calibrate;
    settings.metal = props.metal;
    settings.picture = props.picture;
    settings.kr = RedOf(props.color) / 256.0;
    settings.kg = GreenOf(props.color) / 256.0;
    settings.kb = BlueOf(props.color) / 256.0;
    if (ippTablesEnabled())
        RenderMetalTabulated(in, out, settings, ippAvx512Enabled());
    else
        RenderMetalPerPixel(in, out, settings);
    return S_OK;
}
