// The box filter's own refusal: a working row that cannot be had. (Its pixels: the identity
// registry, whose digest pins the generic output and whose cases compare the faster one.)
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdlib>

#include "image/ippi.h"

namespace {

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
