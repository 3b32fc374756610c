// A tiny built-in 5x7 bitmap font (capitals, digits and a little punctuation) for
// labelling the demo's contact sheet; lower-case letters are drawn as capitals.
#pragma once

#include <cstdint>
#include <string_view>

#include "host/cli/image.h"

namespace brushwerk::cli {

struct TextColour {
    uint8_t r, g, b;
};

// Width in pixels of text drawn at scale (each glyph 5 x 7 cells plus one cell of spacing).
int TextWidth(std::string_view text, int scale);
// Draws opaque text with its top-left corner at (x, y), clipped to the image.
void DrawText(Image& image, int x, int y, std::string_view text, int scale, TextColour colour);

}  // namespace brushwerk::cli
