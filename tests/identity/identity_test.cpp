// Every faster version gives its generic reference's bytes: each entry of the
// identity registry runs all its cases through every version this run may use
// (QUILLET_DISABLE leaves levels out), and the reference outputs fold into one
// digest per entry that must not drift, so a change to a generic routine shows too.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "image/cpudispatch.h"
#include "tests/identity/registry.h"

namespace {

// FNV-1a over the reference outputs of every case of an entry, in order.
const std::map<std::string, uint64_t> kDigests = {
    {"FilterRow_8u_AC4R", 0x2057d59b7dda06beull},
    {"FilterColumn_8u_AC4R", 0x80bc7528d20a8cb3ull},
    {"Filter32f_8u_C4R", 0xa06e1b90ae24e0e8ull},
    {"FilterLowpass_8u_C1R", 0xaa3722e46a8a87ebull},
    {"CopyReplicateBorder_8u_C4R", 0xac8dedca741327cdull},
    {"CopyReplicateBorder_8u_C1R", 0xd88b83ca929fe7a4ull},
    {"Copy_8u_C4R", 0xcf128835ece5b0b3ull},
    {"Copy_8u_C4C1R", 0x407517b889a26f89ull},
    {"Copy_8u_C1C4R", 0x8604fded8d0ae0a0ull},
    {"RGBToHSV_8u_AC4R", 0xbbc23b94799141d0ull},
    {"HSVToRGB_8u_AC4R", 0xd030dffc2717cb0eull},
    {"Metallic metal term", 0xc3515ff949d46ee4ull},
    {"Edge filter Laplacian", 0x5a86c7fde5f4c483ull},
    {"Pastel Sketch mix", 0x923429999fe01c5bull},
    {"Duo Chrome bytes", 0x143ba86f90ed1fd0ull},
};

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
        const auto expected = kDigests.find(entry.name);
        if (expected == kDigests.end())
            ADD_FAILURE() << "no digest recorded";
        else
            EXPECT_EQ(digest, expected->second) << "the generic output drifted";
    }
}

// QUILLET_DISABLE switches levels off: selection falls to the next table down,
// and the effects leave their tables alone.
TEST(Identity, DisabledLevelsAreNotSelected) {
    const char* before = std::getenv("QUILLET_DISABLE");
    const std::string saved = before ? before : "";
    setenv("QUILLET_DISABLE", "avx2,sse2,tables", 1);
    ippStaticInit();
    EXPECT_STREQ(ippActivePrimitives().name, "generic");
    EXPECT_FALSE(ippTablesEnabled());
    setenv("QUILLET_DISABLE", "sse2 avx2", 1);
    ippStaticInit();
    EXPECT_STREQ(ippActivePrimitives().name, "tables");
    EXPECT_TRUE(ippTablesEnabled());
    setenv("QUILLET_DISABLE", "tables", 1);
    ippStaticInit();
    EXPECT_EQ(ippActivePrimitives().filterRow_8u_AC4R, ippGenericPrimitives().filterRow_8u_AC4R);
    EXPECT_FALSE(ippTablesEnabled());
    if (before)
        setenv("QUILLET_DISABLE", saved.c_str(), 1);
    else
        unsetenv("QUILLET_DISABLE");
    ippStaticInit();
}

}  // namespace
