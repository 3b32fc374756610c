// The vector versions of the float-kernel filter against the generic routine, for
// every table this processor can run: seeded random cases from the edges upwards
// (width and height 1, minimum steps, 1-cell kernels) with kernels of every kind
// (full-precision fractions whose sums round, integers, box averages that land
// on halves, huge and subnormal weights, cancellation, NaN and infinities),
// calls that read what they write, and the public routine after selection.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "image/cpudispatch.h"
#include "image/ippi.h"
#include "image/ippi_generic.h"
#include "pixel_test_support.h"

namespace {

using image_test::RandomBytes;
using image_test::SpanBytes;
using FilterFn = decltype(&ippiFilter32f_8u_C4R);

// The filter rows of the runnable tables other than the generic one.
std::vector<std::pair<std::string, FilterFn>> FastFilters() {
    std::vector<std::pair<std::string, FilterFn>> out;
    for (const IppPrimitiveTable* t : ippRunnablePrimitiveTables())
        if (t->filter32f_8u_C4R != &ipp_generic::Filter32f_8u_C4R) out.emplace_back(t->name, t->filter32f_8u_C4R);
    return out;
}

enum class Weights { Fractions, Integers, Box, ScaledLaplacian, Wild, Special, kCount };

float RandomWeight(Weights kind, std::mt19937& rng, int cells) {
    std::uniform_real_distribution<float> unit(-1.5f, 1.5f);
    switch (kind) {
    case Weights::Fractions: return unit(rng);
    case Weights::Integers: return static_cast<float>(static_cast<int>(rng() % 17) - 8);
    case Weights::Box: return 1.0f / static_cast<float>(cells);
    case Weights::Wild: {
        const float wild[] = {1e30f, -1e30f, 1e-30f, std::numeric_limits<float>::denorm_min(), -0.0f, 1e8f, -1e8f,
                              3.0e38f, 0.1f, 255.4f / 255.0f};
        return rng() % 3 == 0 ? unit(rng) : wild[rng() % 10];
    }
    case Weights::Special: {
        const float special[] = {NAN, INFINITY, -INFINITY};
        return rng() % 4 == 0 ? special[rng() % 3] : unit(rng);
    }
    default: return 0.0f;
    }
}

std::vector<float> RandomKernel(Weights kind, std::mt19937& rng, IppiSize ks) {
    const int cells = ks.width * ks.height;
    std::vector<float> k(static_cast<size_t>(cells));
    if (kind == Weights::ScaledLaplacian) {
        const float scale = std::uniform_real_distribution<float>(0.0f, 20.3f)(rng);
        for (int i = 0; i < cells; ++i) k[i] = scale;
        k[cells / 2] = -static_cast<float>(cells - 1) * scale;
        return k;
    }
    for (auto& w : k) w = RandomWeight(kind, rng, cells);
    return k;
}

// One call's blocks: the source holds exactly the bytes the kernel reaches, the
// destination exactly the bytes the region spans (so the sanitizer build sees
// any byte read or written beyond them).
struct FilterCall {
    int width, height;
    IppiSize ks;
    IppiPoint anchor;
    int srcStep, dstStep;
    std::vector<float> kernel;
    std::vector<Ipp8u> src;
    uint32_t dstSeed;

    const Ipp8u* SourcePointer() const {
        return src.data() + static_cast<ptrdiff_t>(ks.height - 1 - anchor.y) * srcStep + (ks.width - 1 - anchor.x) * 4;
    }
    std::vector<Ipp8u> Run(FilterFn f) const {
        auto dst = RandomBytes(SpanBytes(height, dstStep, width * 4), dstSeed);
        EXPECT_EQ(f(SourcePointer(), srcStep, dst.data(), dstStep, {width, height}, kernel.data(), ks, anchor),
                  ippStsNoErr);
        return dst;
    }
};

FilterCall RandomCall(uint32_t seed, int n) {
    std::mt19937 rng(seed);
    const bool atEdge = n < 8;  // the first cases take every range at its lowest
    auto between = [&](int lo, int hi) { return atEdge ? lo : lo + static_cast<int>(rng() % (hi - lo + 1)); };
    FilterCall c;
    c.width = between(1, 37);
    c.height = between(1, 5);
    c.ks = n % 2 == 0 ? IppiSize{3, 3} : IppiSize{between(1, 5), between(1, 5)};
    c.anchor = {between(0, c.ks.width - 1), between(0, c.ks.height - 1)};
    c.srcStep = (c.width + c.ks.width - 1) * 4 + between(0, 9);
    c.dstStep = c.width * 4 + between(0, 9);
    const auto kind = static_cast<Weights>(n % static_cast<int>(Weights::kCount));
    c.kernel = RandomKernel(kind, rng, c.ks);
    c.src = RandomBytes(SpanBytes(c.height + c.ks.height - 1, c.srcStep, (c.width + c.ks.width - 1) * 4), seed + 1);
    c.dstSeed = seed + 2;
    return c;
}

TEST(IppFilter32fFast, RandomCasesGiveTheGenericBytes) {
    for (const auto& [name, fast] : FastFilters()) {
        for (int n = 0; n < 600; ++n) {
            const FilterCall c = RandomCall(50000 + 7 * n, n);
            ASSERT_EQ(c.Run(fast), c.Run(&ipp_generic::Filter32f_8u_C4R))
                << name << " case " << n << ": " << c.width << "x" << c.height << " kernel " << c.ks.width << "x"
                << c.ks.height << " anchor " << c.anchor.x << "," << c.anchor.y;
        }
    }
}

TEST(IppFilter32fFast, WholeRowsOfEveryParityAndLength) {
    // Widths around the two- and four-pixel steps of the vector paths, over a
    // taller picture.
    for (const auto& [name, fast] : FastFilters()) {
        for (int width = 1; width <= 9; ++width) {
            FilterCall c = RandomCall(60000 + width, 100);
            c.width = width;
            c.height = 7;
            c.ks = {3, 3};
            c.anchor = {1, 1};
            c.srcStep = (width + 2) * 4;
            c.dstStep = width * 4;
            std::mt19937 rng(width);
            c.kernel = RandomKernel(Weights::Fractions, rng, c.ks);
            c.src = RandomBytes(SpanBytes(9, c.srcStep, c.srcStep), 61000 + width);
            EXPECT_EQ(c.Run(fast), c.Run(&ipp_generic::Filter32f_8u_C4R)) << name << " width " << width;
        }
    }
}

TEST(IppFilter32fFast, FrameSizedPictureWithFullPrecisionKernels) {
    for (const auto& [name, fast] : FastFilters()) {
        for (IppiSize ks : {IppiSize{3, 3}, IppiSize{5, 5}, IppiSize{4, 2}}) {
            FilterCall c = RandomCall(62000 + ks.width * 10 + ks.height, 100);
            c.width = 321;
            c.height = 23;
            c.ks = ks;
            c.anchor = {ks.width / 2, ks.height / 2};
            c.srcStep = (c.width + ks.width - 1) * 4 + 12;
            c.dstStep = c.width * 4 + 4;
            std::mt19937 rng(ks.width);
            c.kernel = RandomKernel(Weights::Fractions, rng, ks);
            c.src = RandomBytes(SpanBytes(c.height + ks.height - 1, c.srcStep, c.srcStep), 63000);
            EXPECT_EQ(c.Run(fast), c.Run(&ipp_generic::Filter32f_8u_C4R)) << name << " " << ks.width << "x" << ks.height;
        }
    }
}

// Kernels whose sums sit on the output rule's edges: exact halves, 255.5 and
// beyond, just above 0, negative zero, NaN and infinities meeting zero bytes.
TEST(IppFilter32fFast, OutputRuleEdges) {
    const std::vector<std::vector<float>> kernels = {
        {0.5f, 0, 0, 0, 0, 0, 0, 0, 0},                        // halves round up
        {1.0f, 0.5f, 0, 0, 0, 0, 0, 0, 0},                     // 255 + 127.5 saturates
        {1e-30f, 0, 0, 0, 0, 0, 0, 0, 0},                      // just above 0 gives 0
        {-0.0f, -0.0f, -0.0f, -0.0f, -0.0f, -0.0f, -0.0f, -0.0f, -0.0f},
        {NAN, 1, 1, 1, 1, 1, 1, 1, 1},                          // every channel NaN
        {INFINITY, 1, 1, 1, 1, 1, 1, 1, 1},                     // inf, or NaN where the byte is 0
        {-INFINITY, 1, 1, 1, 1, 1, 1, 1, INFINITY},             // -inf + inf
        {1e8f, 1, -1e8f, 0, 0, 0, 0, 0, 0},                     // cancellation in order
        {255.4f / 255.0f, 0, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const auto& [name, fast] : FastFilters()) {
        for (size_t n = 0; n < kernels.size(); ++n) {
            FilterCall c = RandomCall(64000 + static_cast<uint32_t>(n), 100);
            c.width = 11;
            c.height = 3;
            c.ks = {3, 3};
            c.anchor = {1, 1};
            c.srcStep = 13 * 4;
            c.dstStep = 11 * 4;
            c.kernel = kernels[n];
            c.src = RandomBytes(SpanBytes(5, c.srcStep, c.srcStep), 65000 + static_cast<uint32_t>(n));
            EXPECT_EQ(c.Run(fast), c.Run(&ipp_generic::Filter32f_8u_C4R)) << name << " kernel " << n;
            // The same cells as a 9 x 1 kernel take the any-size path.
            c.ks = {9, 1};
            c.anchor = {4, 0};
            c.srcStep = 19 * 4;
            c.src = RandomBytes(SpanBytes(3, c.srcStep, c.srcStep), 66000 + static_cast<uint32_t>(n));
            EXPECT_EQ(c.Run(fast), c.Run(&ipp_generic::Filter32f_8u_C4R)) << name << " 9x1 kernel " << n;
        }
    }
}

// A destination that shares bytes with the source: the generic routine then sees
// its own output, pixel by pixel; the fast versions must give the same picture.
TEST(IppFilter32fFast, CallsThatReadWhatTheyWriteGiveTheGenericBytes) {
    const int W = 23, H = 9, step = W * 4;
    std::mt19937 rng(7);
    const auto kernel = RandomKernel(Weights::Fractions, rng, {3, 3});
    struct Layout {
        int srcX, srcY, dstX, dstY;
    };
    // In place, one row up, one pixel left, one pixel right (the destination
    // runs ahead of the reads).
    const Layout layouts[] = {{1, 1, 1, 1}, {1, 2, 1, 1}, {2, 1, 1, 1}, {1, 1, 2, 1}};
    for (const auto& [name, fast] : FastFilters()) {
        for (const Layout& l : layouts) {
            const auto picture = RandomBytes(static_cast<size_t>(step) * H, 67000);
            auto viaFast = picture, viaGeneric = picture;
            const IppiSize roi = {W - 3, H - 3};
            auto call = [&](FilterFn f, std::vector<Ipp8u>& buf) {
                return f(buf.data() + l.srcY * step + l.srcX * 4, step, buf.data() + l.dstY * step + l.dstX * 4, step,
                         roi, kernel.data(), {3, 3}, {1, 1});
            };
            ASSERT_EQ(call(fast, viaFast), ippStsNoErr);
            ASSERT_EQ(call(&ipp_generic::Filter32f_8u_C4R, viaGeneric), ippStsNoErr);
            EXPECT_EQ(viaFast, viaGeneric) << name << " layout " << l.srcX << "," << l.srcY << " -> " << l.dstX << ","
                                           << l.dstY;
        }
    }
}

// A kernel lying in the destination: the generic routine reads each weight anew
// for every pixel, so the pixels it has written change the weights of the next.
TEST(IppFilter32fFast, KernelInsideTheDestinationGivesTheGenericBytes) {
    const int W = 12, H = 3, step = W * 4;
    const auto src = RandomBytes(static_cast<size_t>(step + 8) * (H + 2), 69000);
    std::mt19937 rng(9);
    // Positive weights, so the pixels written over the kernel are not all 0.
    const auto weights = RandomKernel(Weights::Box, rng, {3, 3});
    for (const auto& [name, fast] : FastFilters()) {
        for (int kernelPixel : {0, 5, 26}) {  // first pixel, mid-row, last row
            std::vector<Ipp8u> viaFast(static_cast<size_t>(step) * H, 0);
            std::memcpy(viaFast.data() + kernelPixel * 4, weights.data(), sizeof(float) * 9);
            auto viaGeneric = viaFast;
            auto call = [&](FilterFn f, std::vector<Ipp8u>& buf) {
                float* kernel = reinterpret_cast<float*>(buf.data() + kernelPixel * 4);
                return f(src.data() + (step + 8) + 4, step + 8, buf.data(), step, {W, H}, kernel, {3, 3}, {1, 1});
            };
            ASSERT_EQ(call(fast, viaFast), ippStsNoErr);
            ASSERT_EQ(call(&ipp_generic::Filter32f_8u_C4R, viaGeneric), ippStsNoErr);
            EXPECT_EQ(viaFast, viaGeneric) << name << " kernel at pixel " << kernelPixel;
        }
    }
}

TEST(IppFilter32fFast, PublicRoutineAfterSelectionGivesTheGenericBytes) {
    ASSERT_EQ(ippStaticInit(), ippStsNoErr);
    EXPECT_EQ(ippActivePrimitives().name, ippRunnablePrimitiveTables().back()->name);
    for (int n = 0; n < 40; ++n) {
        const FilterCall c = RandomCall(68000 + n, n);
        EXPECT_EQ(c.Run(&ippiFilter32f_8u_C4R), c.Run(&ipp_generic::Filter32f_8u_C4R)) << "case " << n;
    }
}

}  // namespace
