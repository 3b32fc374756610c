#include "host/cli/contact_sheet.h"

#include "host/cli/bitmap_font.h"
#include "host/cli/cli_error.h"

namespace brushwerk::cli {
namespace {

constexpr int kMargin = 8;
constexpr int kFontScale = 2;
constexpr int kLabelHeight = 7 * kFontScale + 8;
constexpr int kChecker = 8;

// Straight alpha over an opaque background, rounded to nearest.
uint8_t Over(uint8_t c, uint8_t a, uint8_t background) {
    return static_cast<uint8_t>((c * a + background * (255 - a) + 127) / 255);
}

void PlacePanel(Image& sheet, const Image& picture, int left, int top) {
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t* s = picture.Pixel(x, y);
            const uint8_t bg = ((x / kChecker + y / kChecker) % 2) ? 170 : 215;
            uint8_t* d = sheet.Pixel(left + x, top + y);
            d[0] = Over(s[0], s[3], bg);
            d[1] = Over(s[1], s[3], bg);
            d[2] = Over(s[2], s[3], bg);
            d[3] = 255;
        }
}

}  // namespace

Image BuildContactSheet(const std::vector<SheetPanel>& panels, int columns) {
    if (panels.empty() || columns < 1) throw CliError("internal: empty contact sheet");
    const int pw = panels[0].picture->width, ph = panels[0].picture->height;
    const int rows = (static_cast<int>(panels.size()) + columns - 1) / columns;
    Image sheet = MakeImage(columns * pw + (columns + 1) * kMargin, rows * (ph + kLabelHeight) + (rows + 1) * kMargin,
                            AlphaForm::Straight);
    for (size_t i = 3; i < sheet.bgra.size(); i += 4) {
        sheet.bgra[i - 3] = 36, sheet.bgra[i - 2] = 32, sheet.bgra[i - 1] = 32, sheet.bgra[i] = 255;
    }
    for (size_t i = 0; i < panels.size(); ++i) {
        const Image& picture = *panels[i].picture;
        if (picture.width != pw || picture.height != ph) throw CliError("internal: contact sheet panels differ in size");
        const int col = static_cast<int>(i) % columns, row = static_cast<int>(i) / columns;
        const int left = kMargin + col * (pw + kMargin), top = kMargin + row * (ph + kLabelHeight + kMargin);
        PlacePanel(sheet, picture, left, top);
        const int textLeft = left + (pw - TextWidth(panels[i].label, kFontScale)) / 2;
        DrawText(sheet, std::max(left, textLeft), top + ph + 5, panels[i].label, kFontScale, {235, 235, 225});
    }
    return sheet;
}

}  // namespace brushwerk::cli
