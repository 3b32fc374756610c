#include "host/cli/image.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "host/cli/cli_error.h"

namespace brushwerk::cli {

std::string HResultText(long hr) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08lX", static_cast<unsigned long>(hr) & 0xFFFFFFFFul);
    return buf;
}

Image MakeImage(int width, int height, AlphaForm alpha) {
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
        uint64_t(width) * uint64_t(height) > kMaxImagePixels)
        throw CliError("unsupported picture size " + std::to_string(width) + "x" + std::to_string(height));
    Image image;
    image.width = width;
    image.height = height;
    image.alpha = alpha;
    image.bgra.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
    return image;
}

void GrowToRows(Image& image, int rows) {
    const size_t needed = image.Pitch() * static_cast<size_t>(rows);
    if (needed > image.bgra.capacity())
        image.bgra.reserve(std::min(image.Pitch() * static_cast<size_t>(image.height),
                                    std::max(needed, image.bgra.capacity() * 2)));
    image.bgra.resize(needed);
}

bool IsOpaque(const Image& image) {
    for (size_t i = 3; i < image.bgra.size(); i += 4)
        if (image.bgra[i] != 255) return false;
    return true;
}

bool IsGrey(const Image& image) {
    for (size_t i = 0; i < image.bgra.size(); i += 4)
        if (image.bgra[i] != image.bgra[i + 1] || image.bgra[i] != image.bgra[i + 2]) return false;
    return true;
}

}  // namespace brushwerk::cli
