// The normalisation of kernel_divisor.h for running-sum filters, with its rule chosen
// once per call (a template argument) and written without branches, so the loops can
// run in vector registers. Same bytes as KernelDivisor for every sum it is given:
// clamping v + 0.5 into 0..255 before truncating gives 0 for every v <= 0, as the
// rule's own test does.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "image/ippi.h"
#include "image/kernel_divisor.h"

namespace ipp_fast {

// Product gives Reciprocal's bytes in integers: see Normalisation's constructor. Loops
// without a version of their own for it take it as Reciprocal.
enum class Rule { Clamp, Shift, Reciprocal, Product };

struct Normalisation {
    Rule rule = Rule::Clamp;
    int shift = 0;
    int64_t half = 0;
    double reciprocal = 0.0;
    uint64_t multiplier = 0;  // Product: reciprocal = multiplier / 2^productShift
    int productShift = 0;

    // d must not be 0.
    explicit Normalisation(int d) {
        if (d == 1) {
            rule = Rule::Clamp;
        } else if (d > 1 && (d & (d - 1)) == 0) {
            rule = Rule::Shift;
            while ((1 << shift) != d) ++shift;
            half = int64_t{1} << (shift - 1);
        } else {
            rule = Rule::Reciprocal;
            reciprocal = ipp_detail::ReciprocalToSingle(d);
            // The reciprocal is a float: M * 2^-k with M below 2^24. For a sum S of at
            // most 255 * d below 2^29, S * M stays below 2^53, so the double product is
            // exact, and so is adding 0.5 while k <= 44 (the total stays below 256 and
            // its last bit at or above 2^-44). Truncating it is then (S * M + 2^(k-1)) >> k.
            int exponent = 0;
            const double mantissa = std::frexp(reciprocal, &exponent);
            const int k = 24 - exponent;
            if (k <= 44 && int64_t{d} * 255 < (int64_t{1} << 29)) {
                rule = Rule::Product;
                multiplier = static_cast<uint64_t>(std::ldexp(mantissa, 24));
                productShift = k;
            }
        }
    }

    template <Rule R>
    Ipp8u Apply(int32_t sum) const {
        if constexpr (R == Rule::Clamp) {
            return static_cast<Ipp8u>(sum < 0 ? 0 : sum > 255 ? 255 : sum);
        } else if constexpr (R == Rule::Shift) {
            const int64_t v = ((sum < 0 ? 0 : int64_t{sum}) + half) >> shift;
            return static_cast<Ipp8u>(v > 255 ? 255 : v);
        } else if constexpr (R == Rule::Product) {
            if (sum <= 0) return 0;
            const uint64_t v = (static_cast<uint64_t>(sum) * multiplier + (uint64_t{1} << (productShift - 1))) >> productShift;
            return static_cast<Ipp8u>(v > 255 ? 255 : v);
        } else {
            const double t = static_cast<double>(sum) * reciprocal + 0.5;
            return static_cast<Ipp8u>(static_cast<int>(std::min(std::max(t, 0.0), 255.0)));
        }
    }
};

}  // namespace ipp_fast
