#include "host/sampleconvert.h"

#include <cstring>

SampleConversion ConversionBetween(bool fromPremultiplied, bool toPremultiplied) {
    if (fromPremultiplied == toPremultiplied) return SampleConversion::Copy;
    return toPremultiplied ? SampleConversion::Premultiply : SampleConversion::Unpremultiply;
}

void ConvertSampleRowGeneric(const DXSAMPLE* src, DXSAMPLE* dst, size_t count, SampleConversion conversion) {
    switch (conversion) {
    case SampleConversion::Copy:
        if (src != dst && count > 0) std::memmove(dst, src, count * sizeof(DXSAMPLE));
        return;
    case SampleConversion::Premultiply:
        for (size_t i = 0; i < count; ++i) dst[i] = PremultiplySample(src[i]);
        return;
    case SampleConversion::Unpremultiply:
        for (size_t i = 0; i < count; ++i) dst[i] = UnpremultiplySample(src[i]);
        return;
    }
}
