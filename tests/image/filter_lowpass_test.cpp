// The box filter's own refusal: a working row that cannot be had. (Its pixels: the identity
// registry, whose digest pins the generic output and whose cases compare the faster one.)
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "image/ippi.h"

namespace {

#if !defined(__SANITIZE_ADDRESS__)
// Runs in a child process whose address space is capped at what it already uses plus
// 256 MB: a region wide enough that its working row (1 GB or more, whichever version
// runs) cannot be allocated is refused before any pixel is read (the tiny source would
// otherwise be overrun).
IppStatus LowpassStatusUnderCappedAddressSpace() {
    unsigned long pages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%lu", &pages) != 1) pages = 0;
        std::fclose(statm);
    }
    rlimit limit{};
    getrlimit(RLIMIT_AS, &limit);
    limit.rlim_cur = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (rlim_t{256} << 20);
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
