// The object map: fourteen entries in registration order, each effect followed by its
// page, every one made by the cached class factory.
#include <gtest/gtest.h>

#include "framework/clsids.h"
#include "framework/objectmap.h"

namespace {

TEST(ModuleObjectMap, FourteenEntriesInRegistrationOrder) {
    const struct {
        const CLSID& clsid;
        ObjectKind kind;
        UINT scriptId;
        const char* displayName;
    } expected[] = {
        {CLSID_AirBrush, ObjectKind::Effect, 109, "Quillet Air Brush"},
        {CLSID_AirBrushPP, ObjectKind::Page, 108, "Quillet Air Brush"},
        {CLSID_PastelSketch, ObjectKind::Effect, 107, "Quillet Pastel Sketch"},
        {CLSID_PastelSketchPP, ObjectKind::Page, 106, "Quillet Pastel Sketch"},
        {CLSID_Colorize, ObjectKind::Effect, 111, "Quillet Colorize"},
        {CLSID_ColorizePP, ObjectKind::Page, 110, "Quillet Colorize"},
        {CLSID_DreamGlow, ObjectKind::Effect, 113, "Quillet Dream Glow"},
        {CLSID_DreamGlowPP, ObjectKind::Page, 112, "Quillet Dream Glow"},
        {CLSID_LineDrawing, ObjectKind::Effect, 117, "Quillet Line Drawing"},
        {CLSID_LineDrawingPP, ObjectKind::Page, 116, "Quillet Line Drawing"},
        {CLSID_Metallic, ObjectKind::Effect, 119, "Quillet Metallic"},
        {CLSID_MetallicPP, ObjectKind::Page, 118, "Quillet Metallic"},
        {CLSID_DuoChrome, ObjectKind::Effect, 115, "Quillet DuoChrome"},
        {CLSID_DuoChromePP, ObjectKind::Page, 114, "Quillet DuoChrome"},
    };
    auto map = ObjectMap();
    ASSERT_EQ(map.size(), std::size(expected));
    for (size_t i = 0; i < map.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(*map[i].clsid, expected[i].clsid);
        EXPECT_EQ(map[i].kind, expected[i].kind);
        EXPECT_EQ(map[i].scriptId, expected[i].scriptId);
        EXPECT_STREQ(map[i].displayName, expected[i].displayName);
    }
}

TEST(ModuleObjectMap, EveryEntryUsesTheCachedFactoryAndNoExtras) {
    for (const ObjectMapEntry& entry : ObjectMap()) {
        SCOPED_TRACE(entry.displayName);
        EXPECT_NE(entry.updateRegistry, nullptr);
        EXPECT_EQ(entry.createClassObject, &CachedClassFactory::Create);
        EXPECT_EQ(entry.description, nullptr);
        EXPECT_EQ(entry.categoryMap, nullptr);
        ASSERT_NE(entry.objectMain, nullptr);
        entry.objectMain(true);  // does nothing, and must not fail
        entry.objectMain(false);
    }
    // Registration walks effects and pages through different operations.
    EXPECT_NE(ObjectMap()[0].updateRegistry, ObjectMap()[1].updateRegistry);
    EXPECT_NE(ObjectMap()[0].updateRegistry, ObjectMap()[2].updateRegistry);
}

TEST(ModuleObjectMap, FindsEntriesByClassIdentifier) {
    const ObjectMapEntry* duoChromePage = FindObjectMapEntry(CLSID_DuoChromePP);
    ASSERT_NE(duoChromePage, nullptr);
    EXPECT_EQ(duoChromePage, &ObjectMap()[13]);
    EXPECT_EQ(FindObjectMapEntry(CLSID_Metallic), &ObjectMap()[10]);
    EXPECT_EQ(FindObjectMapEntry(GUID_NULL), nullptr);
    EXPECT_EQ(FindObjectMapEntry(MakeGuid("b9407b6b-d813-493b-8c1d-1a7a275601ba")), nullptr);  // script 101's
}

}  // namespace
