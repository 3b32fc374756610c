// Metallic from per-frame tables (see effects/metal_fast.h): 766 metal terms times
// each colour fraction and 256 picture shares, then one addition and one saturating
// truncation per channel.
#include "effects/metal_fast.h"

namespace {

constexpr int kChannelSums = 3 * 255 + 1;

struct MetalTables {
    double red[kChannelSums];    // w * kr by channel sum
    double green[kChannelSums];  // w * kg
    double blue[kChannelSums];   // w * kb
    double share[256];           // s * picture by byte
};

void BuildTables(const MetalSettings& k, MetalTables& t) {
    for (int sum = 0; sum < kChannelSums; ++sum) {
        const double w = MetalTerm(sum, k.metal, k.highlights, k.shine, k.calibrate);
        t.red[sum] = w * k.kr;
        t.green[sum] = w * k.kg;
        t.blue[sum] = w * k.kb;
    }
    for (int s = 0; s < 256; ++s) t.share[s] = s * k.picture;
}

}  // namespace

void RenderMetalTabulated(const CImageBuffer& in, CImageBuffer& out, const MetalSettings& settings) {
    MetalTables t;
    BuildTables(settings, t);
    for (int y = 0; y < out.GetHeight(); ++y) {
        const uint8_t* s = in.PixelAt(0, y, 0);
        uint8_t* d = out.PixelAt(0, y, 0);
        for (int x = 0; x < out.GetWidth(); ++x, s += 4, d += 4) {
            const uint8_t s0 = s[0], s1 = s[1], s2 = s[2], a = s[3];
            const int sum = s0 + s1 + s2;
            d[0] = MetalChannel(t.blue[sum] + t.share[s0]);
            d[1] = MetalChannel(t.green[sum] + t.share[s1]);
            d[2] = MetalChannel(t.red[sum] + t.share[s2]);
            d[3] = a;
        }
    }
}
