// The plug-in template as every effect object exposes it: construction state, named
// presets, the information block, the class identifier and the unit value.
#include <cwchar>

#include "tests/framework/template_fixture.h"

namespace {

using namespace template_test;

template <class S>
class TemplatePresets : public ::testing::Test {
protected:
    ModuleStrings strings;
};
TYPED_TEST_SUITE(TemplatePresets, effect_test::SevenEffects);

// A new object holds row 0; every row is selected and named from the string table;
// indexes outside the table are refused and change nothing.
TYPED_TEST(TemplatePresets, EveryRowIsSelectedAndNamedAndNothingBeyond) {
    using T = typename TypeParam::Props;
    const int count = TypeParam::PresetCount();
    auto effect = CreateEffect<typename TypeParam::Class>();
    EXPECT_TRUE(SameBytes(PropsOf<T>(effect), TypeParam::Preset(0)));
    auto presets = Query<IStaticFilterPreset>(effect);
    ULONG reported = 0;
    ASSERT_EQ(presets->GetPresetCount(&reported), S_OK);
    EXPECT_EQ(reported, static_cast<ULONG>(count));
    EXPECT_EQ(presets->GetPresetCount(nullptr), E_POINTER);
    for (int i = count - 1; i >= 0; --i) {
        ASSERT_EQ(presets->SelectPreset(i), S_OK);
        EXPECT_TRUE(SameBytes(PropsOf<T>(effect), TypeParam::Preset(i))) << i;
        wchar_t name[64];
        std::wmemset(name, L'#', 64);
        ASSERT_EQ(presets->GetPresetName(i, name, 64), S_OK) << i;
        char expected[260] = {};
        const UINT id = TypeParam::Descriptor().firstPresetStringId + static_cast<UINT>(i);
        ASSERT_GT(LoadStringA(ModuleStrings::Handle(), id, expected, 260), 0);
        const std::wstring want(expected, expected + std::strlen(expected));
        EXPECT_EQ(std::wstring(name), want) << i;
        EXPECT_EQ(name[want.size() + 1], L'#') << "nothing written past the terminator";
    }
    wchar_t name[32] = L"unchanged";
    for (int bad : {count, -1}) {
        EXPECT_EQ(presets->GetPresetName(bad, name, 32), E_INVALIDARG);
        EXPECT_EQ(presets->SelectPreset(bad), E_INVALIDARG);
    }
    EXPECT_STREQ(name, L"unchanged");
    EXPECT_TRUE(SameBytes(PropsOf<T>(effect), TypeParam::Preset(0)));
}

// 32 bytes: 2, 0, 1.0, required, most inputs, the effect code, 0; a shorter buffer
// gets its length; the class identifier through every persistence interface.
TYPED_TEST(TemplatePresets, InformationBlockAndClassIdentifier) {
    auto effect = CreateEffect<typename TypeParam::Class>();
    auto extension = Query<ISfVideoPluginExtension>(effect);
    unsigned char block[64];
    std::memset(block, 0xAA, sizeof block);
    ASSERT_EQ(extension->GetPluginInfo(block, 64), S_OK);
    const DWORD code = TypeParam::Descriptor().effectCode;
    const unsigned char want[32] = {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 1, 0, 0, 0, 1, 0, 0, 0,
                                    static_cast<unsigned char>(code & 0xFF), static_cast<unsigned char>(code >> 8)};
    EXPECT_EQ(std::memcmp(block, want, 32), 0);
    EXPECT_EQ(block[32], 0xAA) << "only 32 bytes are copied";
    std::memset(block, 0xAA, sizeof block);
    ASSERT_EQ(extension->GetPluginInfo(block, 8), S_OK);
    EXPECT_EQ(std::memcmp(block, want, 8), 0);
    EXPECT_EQ(block[8], 0xAA);
    EXPECT_EQ(extension->GetPluginInfo(nullptr, 32), E_POINTER);

    CLSID ids[3] = {};
    ASSERT_EQ(Query<IPersistStreamInit>(effect)->GetClassID(&ids[0]), S_OK);
    ASSERT_EQ(Query<IPersistStorage>(effect)->GetClassID(&ids[1]), S_OK);
    ASSERT_EQ(Query<IPersistPropertyBag>(effect)->GetClassID(&ids[2]), S_OK);
    for (const CLSID& id : ids) EXPECT_EQ(id, TypeParam::Descriptor().clsid);
    EXPECT_EQ(Query<IPersistStorage>(effect)->GetClassID(nullptr), E_POINTER);
}

TEST(TemplatePresetNames, SmallCapacityTruncatesAndAMissingStringFails) {
    {
        ModuleStrings strings;
        auto presets = Query<IStaticFilterPreset>(CreateEffect<CAirBrush>());
        wchar_t name[8];
        std::wmemset(name, L'#', 8);
        ASSERT_EQ(presets->GetPresetName(0, name, 4), S_OK);
        EXPECT_STREQ(name, L"Air");
        EXPECT_EQ(name[4], L'#') << "nothing beyond the capacity";
        ASSERT_EQ(presets->GetPresetName(0, name, 1), S_OK);
        EXPECT_STREQ(name, L"");
        EXPECT_EQ(presets->GetPresetName(0, name, 0), E_INVALIDARG);
        EXPECT_EQ(presets->GetPresetName(0, nullptr, 8), E_POINTER);
    }
    ModuleStrings noStrings(false);
    auto presets = Query<IStaticFilterPreset>(CreateEffect<CColorize>());
    wchar_t name[16] = L"stale";
    EXPECT_EQ(presets->GetPresetName(3, name, 16), E_FAIL);
    EXPECT_EQ(name[0], L'\0');
}

class ColorizeProbe : public CColorize {
public:
    using CSFVideoPlugin<tCOLORIZE_PROPS>::UnitValue;
    DWORD OptionFlags() const { return m_dwOptionFlags; }
};

TEST(TemplateUnitValue, ClampedIntoZeroToOne) {
    ComPtr<IUnknown> unknown = CreateEffect<ColorizeProbe>();
    auto extension = Query<ISfVideoPluginExtension>(unknown);
    auto* probe = static_cast<ColorizeProbe*>(extension.Get());
    EXPECT_EQ(probe->UnitValue(), 1.0);
    EXPECT_EQ(probe->OptionFlags(), 12u);
    for (auto [set, got] : {std::pair{-3.0, 0.0}, std::pair{7.0, 1.0}, std::pair{0.25, 0.25}}) {
        EXPECT_EQ(extension->SetUnitValue(set), S_OK);
        EXPECT_EQ(probe->UnitValue(), got) << set;
    }
}

}  // namespace
