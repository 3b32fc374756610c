#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "image/ippi.h"

namespace {

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
