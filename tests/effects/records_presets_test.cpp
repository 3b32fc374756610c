// The seven preset tables hold exactly the published values (the single-precision
// number nearest to each two-decimal value, flag clear, padding zero), and every
// preset name is in the module's string table under first id + row.
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
    static void ExpectNames(UINT firstId, const std::vector<std::string>& names) {
        for (size_t i = 0; i < names.size(); ++i)
            EXPECT_EQ(Load(firstId + static_cast<UINT>(i)), names[i]) << "string " << firstId + i;
        EXPECT_EQ(Load(firstId + static_cast<UINT>(names.size())), "") << "no name past the last row";
    }
};

TEST_F(RecordsStringTable, PresetNamesOfEveryEffectUnderFirstIdPlusRow) {
    ExpectNames(kAirBrushFirstPresetStringId, {"Air Brushed", "Dream", "Fog", "Out Of Focus", "Reset To None", "Touch Up"});
    ExpectNames(kColorizeFirstPresetStringId,
                {"Blue & Red", "Cheap Postcard", "Bad Smog", "DayGlo", "Faded Primary Colors", "Gray People",
                 "People Outdoors", "Pink!", "Purple Yellow", "Reset To None", "Skin Tone", "Sodium Lights"});
    ExpectNames(kPastelSketchFirstPresetStringId, {"Cartoon", "Heat", "Lemon Meringue", "Light Shading", "Night",
                                                   "Pepper", "Reset To None", "Salt", "Subtle"});
    ExpectNames(kDreamGlowFirstPresetStringId,
                {"Afterlife", "Aqua", "Black Light ", "Darkroom", "Gray Dream", "Lemon Jello ", "Night Vision",
                 "Poltergeist", "Reset To None", "Soft Glow", "Strong Glow"});
    ExpectNames(kMetallicFirstPresetStringId, {"Bronze", "Cool Steel", "Copper", "Gold", "Halloween", "Pink Wash",
                                               "Platinum", "Radiant Lemon", "Reset To None", "Silver"});
    ExpectNames(kDuoChromeFirstPresetStringId,
                {"Acid Trip", "Black & White", "Dayglo Highlights", "Fire Glow", "Light Haze", "Negative",
                 "Radioactive Olive", "Reset To None", "Sepia Tint", "Yellow - Blue"});
    ExpectNames(kLineDrawingFirstPresetStringId,
                {"Chalkboard", "Gray Fog", "Holiday Season", "Nightmare", "Pen and Paper", "Reset To None", "Rust",
                 "Sky Gazing", "Valentine", "Wood Carving", "Yellow On Green"});
}

TEST_F(RecordsStringTable, PageStringsAndDisplayNames) {
    EXPECT_EQ(Load(102), "Quillet Brushwerk");
    EXPECT_EQ(Load(103), "CHANGE_THIS_HELPFILE");
    EXPECT_EQ(Load(104), "CHANGE_THIS_DOCSTRING");
    EXPECT_EQ(Load(kAirBrush.displayNameStringId), "Quillet Air Brush");
    EXPECT_EQ(Load(kColorize.displayNameStringId), "Quillet Colorize");
    EXPECT_EQ(Load(kPastelSketch.displayNameStringId), "Quillet Pastel Sketch");
    EXPECT_EQ(Load(kDreamGlow.displayNameStringId), "Quillet Dream Glow");
    EXPECT_EQ(Load(kMetallic.displayNameStringId), "Quillet Metallic");
    EXPECT_EQ(Load(kDuoChrome.displayNameStringId), "Quillet DuoChrome");
    EXPECT_EQ(Load(kLineDrawing.displayNameStringId), "Quillet Line Drawing");
}

TEST_F(RecordsStringTable, IdsAreUniqueAndEveryTableHasResetToNone) {
    std::set<UINT> ids;
    const ModuleResources& table = BrushwerkModuleResources();
    for (size_t i = 0; i < table.stringCount; ++i) {
        EXPECT_TRUE(ids.insert(table.strings[i].id).second) << "duplicate id " << table.strings[i].id;
        ASSERT_NE(table.strings[i].text, nullptr);
        EXPECT_GT(std::strlen(table.strings[i].text), 0u);
    }
    struct Range { UINT first; int count; };
    for (Range r : {Range{kAirBrushFirstPresetStringId, kAirBrushPresetCount},
                    Range{kColorizeFirstPresetStringId, kColorizePresetCount},
                    Range{kPastelSketchFirstPresetStringId, kPastelSketchPresetCount},
                    Range{kDreamGlowFirstPresetStringId, kDreamGlowPresetCount},
                    Range{kMetallicFirstPresetStringId, kMetallicPresetCount},
                    Range{kDuoChromeFirstPresetStringId, kDuoChromePresetCount},
                    Range{kLineDrawingFirstPresetStringId, kLineDrawingPresetCount}}) {
        int resets = 0;
        for (int i = 0; i < r.count; ++i) resets += Load(r.first + static_cast<UINT>(i)) == "Reset To None";
        EXPECT_EQ(resets, 1) << "table at " << r.first;
        EXPECT_NE(Load(r.first), "Reset To None") << "row 0 is never the reset row";
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

TEST(RecordsPresets, SampleRowsHoldTheirValues) {
    uint32_t bits;
    std::memcpy(&bits, &g_airBrushPresets[0].spray, 4);
    EXPECT_EQ(bits, 0x3EB33333u) << "0.35 rounded to nearest, not truncated";
    EXPECT_EQ(g_airBrushPresets[0].edge, 1.0f);
    const tCOLORIZE_PROPS& postcard = g_colorizePresets[1];
    EXPECT_EQ(postcard.color1, MakeColorRef(0, 0, 255));
    EXPECT_EQ(postcard.color3, MakeColorRef(255, 0, 0));
    EXPECT_EQ(postcard.strength3, 0.35f);
    EXPECT_EQ(postcard.smoothing, 0.05f);
    EXPECT_EQ(g_dreamGlowPresets[2].color, MakeColorRef(159, 0, 159));
    EXPECT_EQ(g_duoChromePresets[5].paper, MakeColorRef(10, 128, 128));
    EXPECT_EQ(g_duoChromePresets[5].ink, MakeColorRef(255, 214, 170));
    EXPECT_EQ(g_lineDrawingPresets[3].contrast, 0.91f);
    EXPECT_EQ(g_metallicPresets[5].highlights, 0.16f);
    EXPECT_EQ(g_pastelSketchPresets[6].density, 0.04f);
}

}  // namespace
