#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "image/ippi.h"
#include "tests/support/pictures.h"

namespace {

using testsupport::RandomBytes;

// Direct window sum, the definition the running sums must reproduce.
int WindowAverage(const std::vector<Ipp8u>& src, int step, int cx, int cy, int radius) {
    int sum = 0;
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) sum += src[static_cast<size_t>(cy + dy) * step + cx + dx];
    return radius == 2 ? ((sum + 13) * 10485) >> 18 : (sum + 4) / 9;
}

std::vector<Ipp8u> LowpassUniform(Ipp8u value) {
    const int w = 6, h = 5;
    std::vector<Ipp8u> src(static_cast<size_t>(w + 4) * (h + 4), value), dst(static_cast<size_t>(w) * h, 1);
    EXPECT_EQ(ippiFilterLowpass_8u_C1R(src.data() + 2 * (w + 4) + 2, w + 4, dst.data(), w, {w, h}, ippMskSize5x5),
              ippStsNoErr);
    return dst;
}

TEST(IppFilterLowpass, UniformPicturesStayUniform) {
    for (Ipp8u v : {Ipp8u{200}, Ipp8u{255}, Ipp8u{0}, Ipp8u{1}, Ipp8u{128}})
        for (Ipp8u out : LowpassUniform(v)) ASSERT_EQ(out, v);
}

TEST(IppFilterLowpass, MatchesDirectWindowSumsOnRandomPictures) {
    for (IppiMaskSize mask : {ippMskSize5x5, ippMskSize3x3}) {
        const int r = mask == ippMskSize5x5 ? 2 : 1;
        for (int w : {1, 2, 7, 40})
            for (int h : {1, 3, 17}) {
                const int step = w + 2 * r + 3;  // some padding after each row
                auto src = RandomBytes(static_cast<size_t>(step) * (h + 2 * r), 11 * w + h);
                std::vector<Ipp8u> dst(static_cast<size_t>(w) * h, 0);
                ASSERT_EQ(ippiFilterLowpass_8u_C1R(src.data() + r * step + r, step, dst.data(), w, {w, h}, mask),
                          ippStsNoErr);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        ASSERT_EQ(dst[static_cast<size_t>(y) * w + x], WindowAverage(src, step, x + r, y + r, r))
                            << "mask " << mask << " size " << w << "x" << h << " at " << x << "," << y;
            }
    }
}

#if !defined(__SANITIZE_ADDRESS__)
// Runs in a child process whose address space is capped: a region wide enough
// that its working row cannot be allocated is refused before any pixel is read
// (the tiny source would otherwise be overrun).
IppStatus LowpassStatusUnderCappedAddressSpace() {
    rlimit limit{};
    getrlimit(RLIMIT_AS, &limit);
    limit.rlim_cur = rlim_t{1} << 32;
    setrlimit(RLIMIT_AS, &limit);
    static Ipp8u src[25] = {}, dst[1] = {};
    return ippiFilterLowpass_8u_C1R(src + 12, 1, dst, 1, {1 << 30, 1}, ippMskSize5x5);
}
#endif

TEST(IppFilterLowpass, ReportsWorkingMemoryThatCannotBeHad) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator does not honour an address-space limit";
#else
    EXPECT_EXIT(std::exit(LowpassStatusUnderCappedAddressSpace() == ippStsMemAllocErr ? 0 : 1),
                ::testing::ExitedWithCode(0), "");
#endif
}

}  // namespace
