// Identifiers as the registry and the scripts spell them: braces, lower case, and
// nothing that is not exactly a GUID.
#include <gtest/gtest.h>

#include "platform/com/guid.h"

TEST(Guid, ParsesAndFormatsLowerCase) {
    constexpr GUID g = MakeGuid("952FB6E1-477A-4770-AF38-661F9AF5AB8D");
    EXPECT_EQ(GuidToString(g), "{952fb6e1-477a-4770-af38-661f9af5ab8d}");
    auto back = GuidFromString("{952fb6e1-477a-4770-af38-661f9af5ab8d}");
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, g);
    EXPECT_FALSE(GuidFromString("952fb6e1-477a-4770-af38-661f9af5ab8").has_value());
    EXPECT_FALSE(GuidFromString("{952fb6e1-477a-4770-af38-661f9af5ab8g}").has_value());
    EXPECT_FALSE(GuidFromString("952fb6e1x477a-4770-af38-661f9af5ab8d").has_value());
}
