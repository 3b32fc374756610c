// The plug-in template as every effect object exposes it: construction state, named
// presets, the information block, the class identifier and the unit value.
#include <cwchar>

#include "tests/framework/template_fixture.h"

namespace {

using namespace template_test;

template <class Case>
class TemplatePresets : public ::testing::Test {
protected:
    ModuleStrings strings;
};
TYPED_TEST_SUITE(TemplatePresets, AllEffects);

TYPED_TEST(TemplatePresets, NewObjectHoldsPresetRowZero) {
    using T = typename TypeParam::Props;
    auto effect = CreateEffect<typename TypeParam::Class>();
    EXPECT_TRUE(SameBytes(PropsOf<T>(effect), TypeParam::Presets()[0]));
}

TYPED_TEST(TemplatePresets, CountAndEveryNameMatchTheStringTable) {
    auto presets = Query<IStaticFilterPreset>(CreateEffect<typename TypeParam::Class>());
    ULONG count = 0;
    ASSERT_EQ(presets->GetPresetCount(&count), S_OK);
    EXPECT_EQ(count, static_cast<ULONG>(TypeParam::kPresetCount));
    EXPECT_EQ(presets->GetPresetCount(nullptr), E_POINTER);

    for (int i = 0; i < static_cast<int>(count); ++i) {
        wchar_t name[64];
        std::wmemset(name, L'#', 64);
        ASSERT_EQ(presets->GetPresetName(i, name, 64), S_OK) << i;
        char expected[260] = {};
        ASSERT_GT(LoadStringA(ModuleStrings::Handle(), TypeParam::kFirstStringId + static_cast<UINT>(i), expected, 260), 0);
        std::wstring want(expected, expected + std::strlen(expected));
        EXPECT_EQ(std::wstring(name), want) << i;
        EXPECT_EQ(name[want.size() + 1], L'#') << "nothing written past the terminator";
    }
}

TYPED_TEST(TemplatePresets, OutOfRangeIndexesAreRefusedAndChangeNothing) {
    using T = typename TypeParam::Props;
    auto effect = CreateEffect<typename TypeParam::Class>();
    auto presets = Query<IStaticFilterPreset>(effect);
    wchar_t name[32] = L"unchanged";
    const int count = TypeParam::kPresetCount;
    EXPECT_EQ(presets->GetPresetName(count, name, 32), E_INVALIDARG);
    EXPECT_EQ(presets->GetPresetName(-1, name, 32), E_INVALIDARG);
    EXPECT_STREQ(name, L"unchanged");
    ASSERT_EQ(presets->SelectPreset(count - 1), S_OK);
    EXPECT_EQ(presets->SelectPreset(count), E_INVALIDARG);
    EXPECT_EQ(presets->SelectPreset(-1), E_INVALIDARG);
    EXPECT_TRUE(SameBytes(PropsOf<T>(effect), TypeParam::Presets()[count - 1]));
}

TYPED_TEST(TemplatePresets, SelectPresetAppliesEveryRow) {
    using T = typename TypeParam::Props;
    auto effect = CreateEffect<typename TypeParam::Class>();
    auto presets = Query<IStaticFilterPreset>(effect);
    for (int i = TypeParam::kPresetCount - 1; i >= 0; --i) {
        ASSERT_EQ(presets->SelectPreset(i), S_OK);
        EXPECT_TRUE(SameBytes(PropsOf<T>(effect), TypeParam::Presets()[i])) << i;
    }
}

TYPED_TEST(TemplatePresets, InformationBlockByteForByte) {
    auto extension = Query<ISfVideoPluginExtension>(CreateEffect<typename TypeParam::Class>());
    unsigned char block[64];
    std::memset(block, 0xAA, sizeof block);
    ASSERT_EQ(extension->GetPluginInfo(block, 64), S_OK);
    const DWORD code = TypeParam::kEffectCode;
    const unsigned char want[32] = {2, 0, 0, 0, 0, 0, 0, 0,                    // 2, 0
                                    0, 0, 0, 0, 0, 0, 0xF0, 0x3F,              // 1.0
                                    1, 0, 0, 0, 1, 0, 0, 0,                    // required and most inputs
                                    static_cast<unsigned char>(code & 0xFF),   // effect code
                                    static_cast<unsigned char>(code >> 8), 0, 0,
                                    0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(block, want, 32), 0);
    for (int i = 32; i < 64; ++i) EXPECT_EQ(block[i], 0xAA) << "only 32 bytes are copied";

    std::memset(block, 0xAA, sizeof block);
    ASSERT_EQ(extension->GetPluginInfo(block, 8), S_OK);
    EXPECT_EQ(std::memcmp(block, want, 8), 0);
    EXPECT_EQ(block[8], 0xAA);
    EXPECT_EQ(extension->GetPluginInfo(nullptr, 32), E_POINTER);
}

TYPED_TEST(TemplatePresets, ClassIdentifierFromEveryPersistenceInterface) {
    auto effect = CreateEffect<typename TypeParam::Class>();
    CLSID ids[3] = {};
    ASSERT_EQ(Query<IPersistStreamInit>(effect)->GetClassID(&ids[0]), S_OK);
    ASSERT_EQ(Query<IPersistStorage>(effect)->GetClassID(&ids[1]), S_OK);
    ASSERT_EQ(Query<IPersistPropertyBag>(effect)->GetClassID(&ids[2]), S_OK);
    for (const CLSID& id : ids) EXPECT_EQ(id, TypeParam::ClassId());
    EXPECT_EQ(Query<IPersistStorage>(effect)->GetClassID(nullptr), E_POINTER);
}

// ---- names: truncation and missing strings ---------------------------------------------

TEST(TemplatePresetNames, SmallCapacityTruncatesAndTerminates) {
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

TEST(TemplatePresetNames, MissingStringGivesEmptyNameAndFailure) {
    ModuleStrings noStrings(false);
    auto presets = Query<IStaticFilterPreset>(CreateEffect<CColorize>());
    wchar_t name[16] = L"stale";
    EXPECT_EQ(presets->GetPresetName(3, name, 16), E_FAIL);
    EXPECT_EQ(name[0], L'\0');
}

// ---- the unit value and the constructed transform options --------------------------------

class ColorizeProbe : public CColorize {
public:
    using CSFVideoPlugin<tCOLORIZE_PROPS>::UnitValue;
    DWORD OptionFlags() const { return m_dwOptionFlags; }
};

TEST(TemplateUnitValue, ClampedIntoZeroToOne) {
    ComPtr<IUnknown> unknown = CreateEffect<ColorizeProbe>();
    auto* probe = static_cast<ColorizeProbe*>(Query<ISfVideoPluginExtension>(unknown).Get());
    EXPECT_EQ(probe->UnitValue(), 1.0);
    EXPECT_EQ(probe->OptionFlags(), 12u);
    auto extension = Query<ISfVideoPluginExtension>(unknown);
    EXPECT_EQ(extension->SetUnitValue(-3), S_OK);
    EXPECT_EQ(probe->UnitValue(), 0.0);
    EXPECT_EQ(extension->SetUnitValue(7), S_OK);
    EXPECT_EQ(probe->UnitValue(), 1.0);
    EXPECT_EQ(extension->SetUnitValue(0.25), S_OK);
    EXPECT_EQ(probe->UnitValue(), 0.25);
}

}  // namespace
