// Every routine checks its arguments in a fixed order and, when it refuses,
// writes nothing: each case below breaks one or more arguments and compares the
// whole destination block before and after.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <vector>

#include "image/ippi.h"
#include "tests/support/pictures.h"

namespace {

constexpr int kW = 4, kH = 3, kStep = 64;

struct Blocks {
    std::vector<Ipp8u> src = testsupport::RandomBytes(kStep * (kH + 8), 1);
    std::vector<Ipp8u> dst = testsupport::RandomBytes(kStep * (kH + 8), 2);
    Ipp8u* s() { return src.data() + 4 * kStep + 16; }
    Ipp8u* d() { return dst.data() + 4 * kStep + 16; }
};

// Runs a routine on fresh blocks and checks its status and that the destination is unchanged.
void ExpectRefused(IppStatus expected, const std::function<IppStatus(Blocks&)>& call, const char* what) {
    Blocks b;
    const auto before = b.dst;
    EXPECT_EQ(call(b), expected) << what;
    EXPECT_EQ(b.dst, before) << what << ": a refusing routine wrote";
}

const Ipp32s kKernel[3] = {1, 2, 1};

TEST(IppRefusal, FilterRowChecksInOrder) {
    auto row = [](const Ipp8u* s, int ss, Ipp8u* d, int ds, IppiSize roi, const Ipp32s* k, int K, int div) {
        return [=](Blocks& b) {
            return ippiFilterRow_8u_AC4R(s ? b.s() : nullptr, ss, d ? b.d() : nullptr, ds, roi, k, K, 1, div);
        };
    };
    const Ipp8u* any = reinterpret_cast<const Ipp8u*>(1);
    Ipp8u* anyOut = reinterpret_cast<Ipp8u*>(1);
    ExpectRefused(ippStsNullPtrErr, row(nullptr, 0, anyOut, 0, {0, 0}, kKernel, 0, 0), "null source beats all");
    ExpectRefused(ippStsNullPtrErr, row(any, 0, nullptr, 0, {0, 0}, kKernel, 0, 0), "null destination");
    ExpectRefused(ippStsNullPtrErr, row(any, 0, anyOut, 0, {0, 0}, nullptr, 0, 0), "null kernel");
    ExpectRefused(ippStsSizeErr, row(any, 0, anyOut, 0, {kW, kH}, kKernel, 0, 0), "kernel length 0 before divisor 0");
    ExpectRefused(ippStsSizeErr, row(any, 0, anyOut, 0, {0, kH}, kKernel, 3, 0), "width 0");
    ExpectRefused(ippStsSizeErr, row(any, 0, anyOut, 0, {kW, -1}, kKernel, 3, 0), "height -1");
    ExpectRefused(ippStsDivByZeroErr, row(any, 0, anyOut, 0, {kW, kH}, kKernel, 3, 0), "divisor 0 before steps");
    // Source needs (width + K) * 4 - 4 = 24 bytes; destination width * 4 = 16.
    ExpectRefused(ippStsStepErr, row(any, 23, anyOut, 16, {kW, kH}, kKernel, 3, 4), "source step one short");
    ExpectRefused(ippStsStepErr, row(any, 24, anyOut, 15, {kW, kH}, kKernel, 3, 4), "destination step one short");
    ExpectRefused(ippStsStepErr, row(any, -kStep, anyOut, kStep, {kW, kH}, kKernel, 3, 4), "negative step");
    // Huge sizes must not overflow the step arithmetic into a pass.
    ExpectRefused(ippStsStepErr, row(any, INT_MAX, anyOut, INT_MAX, {INT_MAX, 1}, kKernel, 3, 4), "overflowing width");
    Blocks b;
    EXPECT_EQ(ippiFilterRow_8u_AC4R(b.s(), 24, b.d(), 16, {kW, kH}, kKernel, 3, 1, 4), ippStsNoErr) << "at the minimum";
}

TEST(IppRefusal, FilterColumnChecksInOrder) {
    auto col = [](int ss, int ds, IppiSize roi, int K, int div, bool nullKernel = false) {
        return [=](Blocks& b) {
            return ippiFilterColumn_8u_AC4R(b.s(), ss, b.d(), ds, roi, nullKernel ? nullptr : kKernel, K, 1, div);
        };
    };
    ExpectRefused(ippStsNullPtrErr, col(0, 0, {0, 0}, 0, 0, true), "null kernel beats all");
    ExpectRefused(ippStsSizeErr, col(0, 0, {kW, kH}, 0, 1), "kernel length 0");
    ExpectRefused(ippStsDivByZeroErr, col(0, 0, {kW, kH}, 3, 0), "divisor 0");
    ExpectRefused(ippStsStepErr, col(15, 16, {kW, kH}, 3, 4), "source step below width * 4");
    ExpectRefused(ippStsStepErr, col(16, 15, {kW, kH}, 3, 4), "destination step below width * 4");
    Blocks b;
    EXPECT_EQ(ippiFilterColumn_8u_AC4R(b.s(), 16, b.d(), 16, {kW, kH}, kKernel, 3, 1, 4), ippStsNoErr);
}

TEST(IppRefusal, FilterLowpassChecksInOrder) {
    auto lp = [](bool nullSrc, int ss, int ds, IppiSize roi, int mask) {
        return [=](Blocks& b) {
            return ippiFilterLowpass_8u_C1R(nullSrc ? nullptr : b.s(), ss, b.d(), ds, roi,
                                            static_cast<IppiMaskSize>(mask));
        };
    };
    ExpectRefused(ippStsNullPtrErr, lp(true, 0, 0, {0, 0}, 0), "null source beats all");
    ExpectRefused(ippStsSizeErr, lp(false, 0, 0, {0, kH}, 0), "width 0 before step and mask");
    ExpectRefused(ippStsStepErr, lp(false, 0, kStep, {kW, kH}, 0), "source step 0 before mask");
    ExpectRefused(ippStsStepErr, lp(false, kStep, -1, {kW, kH}, 55), "destination step negative");
    ExpectRefused(ippStsMaskSizeErr, lp(false, kStep, kStep, {kW, kH}, 44), "mask 44");
    ExpectRefused(ippStsMaskSizeErr, lp(false, kStep, kStep, {kW, kH}, 0), "mask 0");
    Blocks b;
    EXPECT_EQ(ippiFilterLowpass_8u_C1R(b.s(), 1, b.d(), 1, {1, 1}, ippMskSize5x5), ippStsNoErr) << "step 1 allowed";
}

TEST(IppRefusal, Filter32fChecksInOrder) {
    const float kernel[9] = {};
    auto f = [&](bool nullKernel, int ss, int ds, IppiSize roi, IppiSize ks) {
        return [=, &kernel](Blocks& b) {
            return ippiFilter32f_8u_C4R(b.s(), ss, b.d(), ds, roi, nullKernel ? nullptr : kernel, ks, {1, 1});
        };
    };
    ExpectRefused(ippStsNullPtrErr, f(true, 0, 0, {0, 0}, {0, 0}), "null kernel beats all");
    ExpectRefused(ippStsSizeErr, f(false, 0, 0, {kW, kH}, {0, 3}), "kernel width 0");
    ExpectRefused(ippStsSizeErr, f(false, 0, 0, {kW, kH}, {3, 0}), "kernel height 0");
    ExpectRefused(ippStsSizeErr, f(false, 0, 0, {kW, 0}, {3, 3}), "region height 0");
    // Source needs (width + kernel width - 1) * 4 = 24 bytes.
    ExpectRefused(ippStsStepErr, f(false, 23, 16, {kW, kH}, {3, 3}), "source step one short");
    ExpectRefused(ippStsStepErr, f(false, 24, 15, {kW, kH}, {3, 3}), "destination step one short");
    Blocks b;
    EXPECT_EQ(ippiFilter32f_8u_C4R(b.s(), 24, b.d(), 16, {kW, kH}, kernel, {3, 3}, {1, 1}), ippStsNoErr);
}

TEST(IppRefusal, CopyReplicateBorderChecksInOrder) {
    for (auto routine : {ippiCopyReplicateBorder_8u_C4R, ippiCopyReplicateBorder_8u_C1R}) {
        auto rb = [=](bool nullDst, int ss, IppiSize src, int ds, IppiSize dst, int top, int left) {
            return [=](Blocks& b) {
                return routine(b.s(), ss, src, nullDst ? nullptr : b.d(), ds, dst, top, left);
            };
        };
        ExpectRefused(ippStsNullPtrErr, rb(true, 0, {0, 0}, 0, {0, 0}, -1, -1), "null destination beats all");
        ExpectRefused(ippStsStepErr, rb(false, 0, {0, 0}, 16, {0, 0}, -1, -1), "step 0 before sizes");
        ExpectRefused(ippStsSizeErr, rb(false, 16, {0, 2}, 16, {4, 4}, 0, 0), "source width 0");
        ExpectRefused(ippStsSizeErr, rb(false, 16, {2, 2}, 16, {4, 0}, 0, 0), "destination height 0");
        ExpectRefused(ippStsSizeErr, rb(false, 16, {2, 2}, 16, {4, 4}, -1, 0), "negative top border");
        ExpectRefused(ippStsSizeErr, rb(false, 16, {2, 2}, 16, {4, 4}, 0, -1), "negative left border");
        ExpectRefused(ippStsSizeErr, rb(false, 16, {2, 2}, 16, {4, 4}, 0, 3), "destination narrower than left + width");
        ExpectRefused(ippStsSizeErr, rb(false, 16, {2, 2}, 16, {4, 4}, 3, 0), "destination lower than top + height");
        ExpectRefused(ippStsSizeErr, rb(false, 16, {INT_MAX, 1}, 16, {INT_MAX, 1}, 0, 1), "overflowing width");
        Blocks b;
        EXPECT_EQ(routine(b.s(), 16, {2, 2}, b.d(), 16, {4, 4}, 2, 2), ippStsNoErr) << "exactly fitting";
    }
}

TEST(IppRefusal, CopiesAndConversionsCheckInOrder) {
    using Routine = IppStatus (*)(const Ipp8u*, int, Ipp8u*, int, IppiSize);
    for (Routine routine : {ippiCopy_8u_C4R, ippiCopy_8u_C4C1R, ippiCopy_8u_C1C4R, ippiRGBToHSV_8u_AC4R,
                            ippiHSVToRGB_8u_AC4R}) {
        auto call = [=](bool nullSrc, int ss, int ds, IppiSize roi) {
            return [=](Blocks& b) { return routine(nullSrc ? nullptr : b.s(), ss, b.d(), ds, roi); };
        };
        ExpectRefused(ippStsNullPtrErr, call(true, 0, 0, {0, 0}), "null source beats all");
        ExpectRefused(ippStsSizeErr, call(false, 0, 0, {kW, 0}), "height 0 before steps");
        ExpectRefused(ippStsSizeErr, call(false, 0, 0, {-5, kH}), "negative width");
        ExpectRefused(ippStsStepErr, call(false, 0, kStep, {kW, kH}), "source step 0");
        ExpectRefused(ippStsStepErr, call(false, kStep, -kStep, {kW, kH}), "negative destination step");
        Blocks b;
        EXPECT_EQ(routine(b.s(), 1, b.d(), 1, {1, kH}), ippStsNoErr) << "step 1 allowed";
    }
}

}  // namespace
