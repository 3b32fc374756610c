// The seven preset tables hold single-precision numbers nearest to two-decimal values,
// flag clear, padding zero (the contract suite renders every row to its known picture);
// the module's string table is as published (one "Reset To None" per effect among the
// names the digest pins).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "effects/airbrushprops.h"
#include "effects/colorizeprops.h"
#include "effects/dreamglowprops.h"
#include "effects/duochromeprops.h"
#include "effects/linedrawingprops.h"
#include "effects/metalprops.h"
#include "effects/pastelsketchprops.h"
#include "resources/moduleresources.h"

namespace {

const HINSTANCE kStringModule = reinterpret_cast<HINSTANCE>(0x5e7c0001);

class RecordsStringTable : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterModuleResources(kStringModule, &BrushwerkModuleResources());
    }
    static void TearDownTestSuite() { UnregisterModuleResources(kStringModule); }

    static std::string Load(UINT id) {
        char buffer[260] = {};
        int n = LoadStringA(kStringModule, id, buffer, sizeof buffer);
        return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    }
};

// Each effect's display name and preset names fold into one digest: a changed name
// shows here (the names are published and hosts show them).
TEST_F(RecordsStringTable, DisplayAndPresetNamesAreAsPublished) {
    uint64_t digest = 1469598103934665603ull;
    for (const EffectDescriptor* d :
         {&kAirBrush, &kColorize, &kPastelSketch, &kDreamGlow, &kMetallic, &kDuoChrome, &kLineDrawing}) {
        std::string names = Load(d->displayNameStringId);
        for (int i = 0; i <= d->presetCount; ++i) names += "|" + Load(d->firstPresetStringId + static_cast<UINT>(i));
        for (unsigned char c : names) digest = (digest ^ c) * 1099511628211ull;
    }
    EXPECT_EQ(digest, 0x9e57ae2d5966b131ull);
    EXPECT_EQ(Load(kAirBrushFirstPresetStringId), "Air Brushed");
    EXPECT_EQ(Load(kDuoChrome.displayNameStringId), "Quillet DuoChrome");
}

// The names above are pinned by their digest; here, every string of the table.
TEST_F(RecordsStringTable, IdsAreUniqueAndNoStringIsEmpty) {
    std::set<UINT> ids;
    const ModuleResources& table = BrushwerkModuleResources();
    for (size_t i = 0; i < table.stringCount; ++i) {
        EXPECT_TRUE(ids.insert(table.strings[i].id).second) << "duplicate id " << table.strings[i].id;
        ASSERT_NE(table.strings[i].text, nullptr);
        EXPECT_GT(std::strlen(table.strings[i].text), 0u);
    }
}

// ---- preset values -----------------------------------------------------------------------

// Records lay out their colours first, then their floats, then flag and padding: every
// float of every row is the single-precision number nearest to a two-decimal value in
// 0..1, every colour has a zero top byte, flag and padding are zero.
template <class T>
void ExpectWellFormedRows(const T* rows, int count, size_t colours, size_t floats) {
    for (int i = 0; i < count; ++i) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&rows[i]);
        for (size_t c = 0; c < colours; ++c) EXPECT_EQ(bytes[4 * c + 3], 0) << "row " << i << " colour " << c;
        for (size_t f = 0; f < floats; ++f) {
            float v;
            std::memcpy(&v, bytes + 4 * (colours + f), 4);
            const double hundredths = std::round(static_cast<double>(v) * 100.0);
            EXPECT_EQ(v, static_cast<float>(hundredths / 100.0)) << "row " << i << " float " << f;
            EXPECT_TRUE(hundredths >= 0 && hundredths <= 100) << "row " << i << " float " << f;
        }
        for (size_t b = 4 * (colours + floats); b < sizeof(T); ++b) EXPECT_EQ(bytes[b], 0) << "row " << i << " byte " << b;
    }
}

TEST(RecordsPresets, EveryRowIsWellFormed) {
    ExpectWellFormedRows(g_airBrushPresets, kAirBrushPresetCount, 0, 2);
    ExpectWellFormedRows(g_colorizePresets, kColorizePresetCount, 3, 5);
    ExpectWellFormedRows(g_dreamGlowPresets, kDreamGlowPresetCount, 1, 2);
    ExpectWellFormedRows(g_duoChromePresets, kDuoChromePresetCount, 2, 1);
    ExpectWellFormedRows(g_lineDrawingPresets, kLineDrawingPresetCount, 2, 2);
    ExpectWellFormedRows(g_metallicPresets, kMetallicPresetCount, 1, 5);
    ExpectWellFormedRows(g_pastelSketchPresets, kPastelSketchPresetCount, 2, 2);
}

}  // namespace
