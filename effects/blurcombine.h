// The per-pixel combines of Air Brush and Dream Glow (a blurred row with its input
// row) in vector registers, beside the effects' own per-pixel rules, which stay the
// reference (effects/airbrush.cpp, effects/dreamglow.cpp). Each vector function writes
// the first pixels of OUT's row and returns how many (a multiple of its step, at most
// `width`); the rule does the rest. The bytes are the rule's for every input.
#pragma once

#include <cstdint>

// Air Brush: a pixel darker than (blurred luminance * threshold) >> 8 is lifted by
// the difference in grey, any other takes the darker of input and blur per colour.
struct AirBrushCombineTerms {
    int threshold;
};

// Dream Glow: the excess of (blurred luminance * gainT) >> 8 over the input's, tinted,
// added to the input and capped at the colour; alpha raised to the glow. gainT lies
// within +-2^20.
struct DreamGlowCombineTerms {
    int gainT;
    int red, green, blue;
};

#if defined(__x86_64__) || defined(__i386__)
int AirBrushCombineSse2(const AirBrushCombineTerms& terms, const uint8_t* in, const uint8_t* blurred, uint8_t* out,
                        int width);
int DreamGlowCombineSse2(const DreamGlowCombineTerms& terms, const uint8_t* in, const uint8_t* blurred, uint8_t* out,
                         int width);
// Only where the processor selection allows AVX2 (effects/blurcombine_avx2.cpp).
int AirBrushCombineAvx2(const AirBrushCombineTerms& terms, const uint8_t* in, const uint8_t* blurred, uint8_t* out,
                        int width);
int DreamGlowCombineAvx2(const DreamGlowCombineTerms& terms, const uint8_t* in, const uint8_t* blurred, uint8_t* out,
                         int width);
// Only where it allows AVX-512 with BW (effects/blurcombine_avx512.cpp).
int AirBrushCombineAvx512(const AirBrushCombineTerms& terms, const uint8_t* in, const uint8_t* blurred, uint8_t* out,
                          int width);
int DreamGlowCombineAvx512(const DreamGlowCombineTerms& terms, const uint8_t* in, const uint8_t* blurred, uint8_t* out,
                           int width);
#endif
