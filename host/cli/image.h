// A picture in memory as the host hands it to surfaces: 32-bit samples, blue, green,
// red, alpha in memory, rows packed tightly, alpha either straight or premultiplied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brushwerk::cli {

enum class AlphaForm { Straight, Premultiplied };

struct Image {
    int width = 0;
    int height = 0;
    AlphaForm alpha = AlphaForm::Straight;
    std::vector<uint8_t> bgra;  // width * height * 4 bytes

    size_t Pitch() const { return static_cast<size_t>(width) * 4; }
    uint8_t* Pixel(int x, int y) { return bgra.data() + static_cast<size_t>(y) * Pitch() + static_cast<size_t>(x) * 4; }
    const uint8_t* Pixel(int x, int y) const {
        return bgra.data() + static_cast<size_t>(y) * Pitch() + static_cast<size_t>(x) * 4;
    }
};

// The largest side and area accepted, so that sizes never overflow when multiplied.
constexpr int kMaxImageSide = 1 << 15;
constexpr uint64_t kMaxImagePixels = uint64_t(1) << 28;

// Allocates a zeroed image; throws CliError for sizes that are empty or too large.
Image MakeImage(int width, int height, AlphaForm alpha);

// Makes room for rows [0, rows) of an image whose width and height are set, taking
// memory in doubling steps that stop at the whole picture: decoders call it as rows
// arrive, so a short file that claims a huge picture fails before taking much.
void GrowToRows(Image& image, int rows);

// True when every sample's alpha is 255.
bool IsOpaque(const Image& image);
// True when every sample has red = green = blue.
bool IsGrey(const Image& image);

}  // namespace brushwerk::cli
