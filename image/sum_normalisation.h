// The normalisation of kernel_divisor.h for running-sum filters, with its rule chosen
// once per call (a template argument) and written without branches, so the loops can
// run in vector registers. Same bytes as KernelDivisor for every sum it is given:
// clamping v + 0.5 into 0..255 before truncating gives 0 for every v <= 0, as the
// rule's own test does.
#pragma once

#include <algorithm>
#include <cstdint>

#include "image/ippi.h"
#include "image/kernel_divisor.h"

namespace ipp_fast {

enum class Rule { Clamp, Shift, Reciprocal };

struct Normalisation {
    Rule rule = Rule::Clamp;
    int shift = 0;
    int64_t half = 0;
    double reciprocal = 0.0;

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
        }
    }

    template <Rule R>
    Ipp8u Apply(int32_t sum) const {
        if constexpr (R == Rule::Clamp) {
            return static_cast<Ipp8u>(sum < 0 ? 0 : sum > 255 ? 255 : sum);
        } else if constexpr (R == Rule::Shift) {
            const int64_t v = ((sum < 0 ? 0 : int64_t{sum}) + half) >> shift;
            return static_cast<Ipp8u>(v > 255 ? 255 : v);
        } else {
            const double t = static_cast<double>(sum) * reciprocal + 0.5;
            return static_cast<Ipp8u>(static_cast<int>(std::min(std::max(t, 0.0), 255.0)));
        }
    }
};

}  // namespace ipp_fast
