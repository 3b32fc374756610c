// The seven preset tables hold exactly the published values (the single-precision
// number nearest to each two-decimal value, flag clear, padding zero), and every
// preset name is in the module's string table under first id + row.
#include <gtest/gtest.h>

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
#include "resources/stringtable.h"

namespace {

const HINSTANCE kStringModule = reinterpret_cast<HINSTANCE>(0x5e7c0001);

class RecordsStringTable : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static const ModuleResources resources{g_moduleStringTable, g_moduleStringTableSize, nullptr, 0};
        RegisterModuleResources(kStringModule, &resources);
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
    EXPECT_EQ(Load(IDS_DISPLAYNAME_AIRBRUSH), "Quillet Air Brush");
    EXPECT_EQ(Load(IDS_DISPLAYNAME_COLORIZE), "Quillet Colorize");
    EXPECT_EQ(Load(IDS_DISPLAYNAME_PASTELSKETCH), "Quillet Pastel Sketch");
    EXPECT_EQ(Load(IDS_DISPLAYNAME_DREAMGLOW), "Quillet Dream Glow");
    EXPECT_EQ(Load(IDS_DISPLAYNAME_METALLIC), "Quillet Metallic");
    EXPECT_EQ(Load(IDS_DISPLAYNAME_DUOCHROME), "Quillet DuoChrome");
    EXPECT_EQ(Load(IDS_DISPLAYNAME_LINEDRAWING), "Quillet Line Drawing");
}

TEST_F(RecordsStringTable, IdsAreUniqueAndEveryTableHasResetToNone) {
    std::set<UINT> ids;
    for (size_t i = 0; i < g_moduleStringTableSize; ++i) {
        EXPECT_TRUE(ids.insert(g_moduleStringTable[i].id).second) << "duplicate id " << g_moduleStringTable[i].id;
        ASSERT_NE(g_moduleStringTable[i].text, nullptr);
        EXPECT_GT(std::strlen(g_moduleStringTable[i].text), 0u);
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

// ---- preset values ---------------------------------------------------------------------

template <class T>
void ExpectZeroTail(const T& row, size_t flagOffset, int rowIndex) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&row);
    for (size_t i = flagOffset; i < sizeof(T); ++i) EXPECT_EQ(bytes[i], 0) << "row " << rowIndex << " byte " << i;
}

struct Rgb { int r, g, b; };
void ExpectColor(COLORREF c, Rgb want, int row) {
    EXPECT_EQ(c, static_cast<COLORREF>(want.r | (want.g << 8) | (want.b << 16))) << "row " << row;
    EXPECT_EQ(c >> 24, 0u);
}

TEST(RecordsPresets, AirBrushTable) {
    const float want[][2] = {{0.35f, 1.00f}, {0.51f, 0.27f}, {0.81f, 0.00f}, {0.27f, 0.15f}, {0.00f, 0.00f}, {0.00f, 0.57f}};
    ASSERT_EQ(kAirBrushPresetCount, 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(g_airBrushPresets[i].spray, want[i][0]) << i;
        EXPECT_EQ(g_airBrushPresets[i].edge, want[i][1]) << i;
    }
    // The single-precision number nearest to 0.35, not a rounded-down neighbour.
    uint32_t bits;
    std::memcpy(&bits, &g_airBrushPresets[0].spray, 4);
    EXPECT_EQ(bits, 0x3EB33333u);
}

TEST(RecordsPresets, ColorizeTable) {
    struct Row { Rgb c1, c2, c3; float s1, s2, s3, smooth, sat; };
    const Row want[] = {
        {{255, 190, 76}, {79, 82, 64}, {168, 33, 9}, 0.44f, 0.41f, 0.00f, 0.10f, 0.75f},
        {{0, 0, 255}, {79, 82, 64}, {255, 0, 0}, 0.44f, 0.00f, 0.35f, 0.05f, 0.75f},
        {{90, 71, 199}, {244, 104, 0}, {0, 0, 0}, 0.58f, 0.56f, 0.00f, 0.12f, 0.63f},
        {{128, 255, 0}, {255, 255, 0}, {0, 0, 0}, 1.00f, 1.00f, 0.00f, 0.21f, 1.00f},
        {{210, 130, 130}, {73, 105, 148}, {66, 111, 84}, 0.44f, 0.44f, 0.44f, 0.28f, 0.42f},
        {{177, 203, 245}, {73, 86, 45}, {0, 0, 0}, 0.47f, 0.30f, 0.00f, 0.12f, 0.76f},
        {{128, 138, 77}, {228, 187, 177}, {177, 202, 241}, 0.61f, 0.61f, 0.61f, 0.19f, 0.51f},
        {{255, 128, 255}, {244, 104, 0}, {0, 0, 0}, 1.00f, 0.00f, 0.00f, 0.00f, 0.81f},
        {{234, 228, 36}, {121, 84, 158}, {0, 0, 0}, 1.00f, 1.00f, 0.00f, 0.08f, 1.00f},
        {{255, 255, 255}, {255, 255, 255}, {255, 255, 255}, 0.00f, 0.00f, 0.00f, 0.00f, 0.50f},
        {{193, 157, 135}, {121, 132, 57}, {125, 135, 145}, 0.80f, 0.80f, 0.53f, 0.20f, 0.53f},
        {{180, 172, 13}, {244, 104, 0}, {0, 0, 0}, 1.00f, 0.00f, 0.00f, 0.00f, 0.46f},
    };
    ASSERT_EQ(kColorizePresetCount, 12);
    for (int i = 0; i < 12; ++i) {
        const tCOLORIZE_PROPS& p = g_colorizePresets[i];
        ExpectColor(p.color1, want[i].c1, i);
        ExpectColor(p.color2, want[i].c2, i);
        ExpectColor(p.color3, want[i].c3, i);
        EXPECT_EQ(p.strength1, want[i].s1) << i;
        EXPECT_EQ(p.strength2, want[i].s2) << i;
        EXPECT_EQ(p.strength3, want[i].s3) << i;
        EXPECT_EQ(p.smoothing, want[i].smooth) << i;
        EXPECT_EQ(p.saturation, want[i].sat) << i;
        ExpectZeroTail(p, 32, i);
    }
}

TEST(RecordsPresets, DreamGlowTable) {
    struct Row { Rgb c; float blur, glow; };
    const Row want[] = {
        {{255, 255, 255}, 1.00f, 0.84f}, {{97, 236, 252}, 0.83f, 0.59f}, {{159, 0, 159}, 0.40f, 0.61f},
        {{255, 0, 0}, 0.10f, 0.74f},     {{156, 167, 180}, 0.48f, 1.00f}, {{255, 255, 0}, 1.00f, 0.89f},
        {{0, 255, 64}, 0.08f, 0.74f},    {{255, 255, 255}, 0.19f, 1.00f}, {{255, 255, 255}, 0.00f, 0.00f},
        {{255, 255, 255}, 0.46f, 0.45f}, {{255, 255, 255}, 0.71f, 0.58f},
    };
    ASSERT_EQ(kDreamGlowPresetCount, 11);
    for (int i = 0; i < 11; ++i) {
        ExpectColor(g_dreamGlowPresets[i].color, want[i].c, i);
        EXPECT_EQ(g_dreamGlowPresets[i].blur, want[i].blur) << i;
        EXPECT_EQ(g_dreamGlowPresets[i].glow, want[i].glow) << i;
        ExpectZeroTail(g_dreamGlowPresets[i], 12, i);
    }
}

TEST(RecordsPresets, DuoChromeTable) {
    struct Row { Rgb paper, ink; float blend; };
    const Row want[] = {
        {{255, 255, 0}, {255, 0, 255}, 1.00f},     {{255, 255, 255}, {0, 0, 0}, 1.00f},
        {{128, 255, 0}, {147, 147, 147}, 0.67f},   {{255, 185, 40}, {255, 70, 70}, 0.81f},
        {{128, 128, 128}, {192, 192, 192}, 0.36f}, {{10, 128, 128}, {255, 214, 170}, 1.00f},
        {{128, 128, 0}, {248, 250, 216}, 1.00f},   {{255, 255, 255}, {0, 0, 0}, 0.00f},
        {{185, 124, 70}, {0, 0, 0}, 0.41f},        {{234, 227, 104}, {98, 145, 191}, 1.00f},
    };
    ASSERT_EQ(kDuoChromePresetCount, 10);
    for (int i = 0; i < 10; ++i) {
        ExpectColor(g_duoChromePresets[i].paper, want[i].paper, i);
        ExpectColor(g_duoChromePresets[i].ink, want[i].ink, i);
        EXPECT_EQ(g_duoChromePresets[i].blend, want[i].blend) << i;
        ExpectZeroTail(g_duoChromePresets[i], 12, i);
    }
}

TEST(RecordsPresets, MetallicTable) {
    struct Row { Rgb c; float shine, highlights, calibrate, metal, picture; };
    const Row want[] = {
        {{140, 120, 83}, 1.00f, 0.50f, 0.80f, 0.65f, 0.65f},  {{73, 65, 122}, 1.00f, 0.56f, 0.74f, 0.57f, 0.58f},
        {{184, 115, 51}, 1.00f, 0.50f, 0.80f, 0.65f, 0.65f},  {{223, 175, 32}, 1.00f, 0.50f, 0.80f, 0.65f, 0.65f},
        {{255, 128, 0}, 1.00f, 1.00f, 0.74f, 0.82f, 0.25f},   {{251, 0, 125}, 0.57f, 0.16f, 0.65f, 0.62f, 0.48f},
        {{222, 222, 222}, 1.00f, 0.50f, 0.80f, 0.65f, 0.65f}, {{255, 255, 0}, 1.00f, 0.62f, 0.74f, 0.20f, 1.00f},
        {{255, 255, 255}, 0.00f, 0.00f, 0.00f, 0.00f, 1.00f}, {{230, 232, 250}, 1.00f, 0.50f, 0.80f, 0.65f, 0.65f},
    };
    ASSERT_EQ(kMetallicPresetCount, 10);
    for (int i = 0; i < 10; ++i) {
        const tMETALLIC_PROPS& p = g_metallicPresets[i];
        ExpectColor(p.color, want[i].c, i);
        EXPECT_EQ(p.shine, want[i].shine) << i;
        EXPECT_EQ(p.highlights, want[i].highlights) << i;
        EXPECT_EQ(p.calibrate, want[i].calibrate) << i;
        EXPECT_EQ(p.metal, want[i].metal) << i;
        EXPECT_EQ(p.picture, want[i].picture) << i;
        ExpectZeroTail(p, 24, i);
    }
}

TEST(RecordsPresets, LineDrawingTable) {
    struct Row { Rgb paper, ink; float density, contrast; };
    const Row want[] = {
        {{0, 0, 0}, {188, 199, 222}, 0.44f, 0.74f},        {{192, 192, 192}, {115, 132, 148}, 0.47f, 0.42f},
        {{0, 128, 64}, {236, 0, 0}, 0.47f, 0.64f},         {{77, 28, 89}, {240, 202, 51}, 1.00f, 0.91f},
        {{255, 255, 255}, {0, 0, 0}, 0.54f, 0.78f},        {{255, 255, 255}, {0, 0, 0}, 0.00f, 0.00f},
        {{179, 104, 104}, {48, 47, 44}, 0.71f, 0.37f},     {{156, 181, 206}, {255, 255, 255}, 0.52f, 0.44f},
        {{252, 158, 177}, {211, 29, 162}, 0.41f, 0.41f},   {{140, 115, 78}, {69, 44, 34}, 0.49f, 0.74f},
        {{68, 148, 62}, {255, 255, 0}, 0.52f, 0.73f},
    };
    ASSERT_EQ(kLineDrawingPresetCount, 11);
    for (int i = 0; i < 11; ++i) {
        ExpectColor(g_lineDrawingPresets[i].paper, want[i].paper, i);
        ExpectColor(g_lineDrawingPresets[i].ink, want[i].ink, i);
        EXPECT_EQ(g_lineDrawingPresets[i].density, want[i].density) << i;
        EXPECT_EQ(g_lineDrawingPresets[i].contrast, want[i].contrast) << i;
        ExpectZeroTail(g_lineDrawingPresets[i], 16, i);
    }
}

TEST(RecordsPresets, PastelSketchTable) {
    struct Row { Rgb paper, ink; float density, blend; };
    const Row want[] = {
        {{255, 255, 255}, {0, 0, 0}, 0.50f, 0.57f}, {{254, 35, 0}, {0, 0, 0}, 0.62f, 0.33f},
        {{255, 255, 0}, {86, 84, 41}, 0.43f, 0.63f}, {{255, 255, 255}, {0, 0, 0}, 0.42f, 0.24f},
        {{115, 117, 185}, {0, 0, 0}, 0.50f, 0.21f}, {{143, 143, 143}, {0, 0, 0}, 1.00f, 0.43f},
        {{255, 255, 255}, {0, 0, 0}, 0.04f, 1.00f}, {{93, 93, 93}, {255, 255, 255}, 1.00f, 0.43f},
        {{201, 201, 201}, {0, 0, 0}, 0.44f, 0.79f},
    };
    ASSERT_EQ(kPastelSketchPresetCount, 9);
    for (int i = 0; i < 9; ++i) {
        ExpectColor(g_pastelSketchPresets[i].paper, want[i].paper, i);
        ExpectColor(g_pastelSketchPresets[i].ink, want[i].ink, i);
        EXPECT_EQ(g_pastelSketchPresets[i].density, want[i].density) << i;
        EXPECT_EQ(g_pastelSketchPresets[i].blend, want[i].blend) << i;
        ExpectZeroTail(g_pastelSketchPresets[i], 16, i);
    }
}

TEST(RecordsPresets, EffectCodes) {
    EXPECT_EQ(kAirBrushEffectCode, 0x440u);
    EXPECT_EQ(kColorizeEffectCode, 0x401u);
    EXPECT_EQ(kPastelSketchEffectCode, 0x441u);
    EXPECT_EQ(kDreamGlowEffectCode, 0x400u);
    EXPECT_EQ(kMetallicEffectCode, 0x4C1u);
    EXPECT_EQ(kDuoChromeEffectCode, 0x4C1u);
    EXPECT_EQ(kLineDrawingEffectCode, 0x441u);
}

}  // namespace
