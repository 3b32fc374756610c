// Every faster version gives its generic reference's bytes: each entry of the
// identity registry runs all its cases through every version this run may use
// (QUILLET_DISABLE leaves levels out), and the reference outputs fold into one
// digest per entry that must not drift, so a change to a generic routine shows too.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "image/cpudispatch.h"
#include "tests/identity/registry.h"
#include "tests/support/environment.h"

namespace {

TEST(Identity, EveryFasterVersionGivesTheGenericBytes) {
    ippStaticInit();
    for (const identity::Entry& entry : identity::Entries()) {
        SCOPED_TRACE(entry.name);
        uint64_t digest = 1469598103934665603ull;
        int differing = 0;
        for (int n = 0; n < entry.cases && differing < 3; ++n) {
            identity::Trial trial = entry.draw(n);
            const std::vector<uint8_t> reference = trial.Result(0);
            for (uint8_t b : reference) digest = (digest ^ b) * 1099511628211ull;
            for (size_t v = 1; v < entry.versions.size(); ++v)
                if (trial.Result(v) != reference && differing++ < 3)
                    ADD_FAILURE() << entry.versions[v] << " differs from the generic bytes: " << trial.Label();
        }
        std::printf("%-28s %3d cases, %zu versions, digest %016llx\n", entry.name.c_str(), entry.cases,
                    entry.versions.size(), static_cast<unsigned long long>(digest));
        EXPECT_EQ(digest, entry.digest) << "the generic output drifted (or a new row lacks its digest)";
    }
}

// QUILLET_DISABLE switches levels off: selection falls to the next table down,
// and the effects leave their tables alone.
TEST(Identity, DisabledLevelsAreNotSelected) {
    {
        testsupport::ScopedEnv disable("QUILLET_DISABLE", "avx2,sse2,tables");
        ippStaticInit();
        EXPECT_STREQ(ippActivePrimitives().name, "generic");
        EXPECT_FALSE(ippTablesEnabled());
        setenv("QUILLET_DISABLE", "sse2 avx2", 1);
        ippStaticInit();
        EXPECT_STREQ(ippActivePrimitives().name, "tables");
        EXPECT_TRUE(ippTablesEnabled());
        EXPECT_FALSE(ippAvx512Enabled());  // the wider vector paths go with AVX2
        setenv("QUILLET_DISABLE", "tables", 1);
        ippStaticInit();
        EXPECT_EQ(ippActivePrimitives().filterRow_8u_AC4R, ippGenericPrimitives().filterRow_8u_AC4R);
        EXPECT_FALSE(ippTablesEnabled());
    }
    ippStaticInit();  // the levels the environment allows again
}

}  // namespace
