// Cursors from module resources: the hot spot, then a 32-bit bitmap laid out as the
// "BITMAP" resources are, checked against the resource's size before copying.
#include <cstring>

#include "platform/ui/display.h"
#include "platform/ui/resource.h"
#include "platform/ui/wingdi.h"

HCURSOR LoadModuleCursor(HINSTANCE module, UINT id) {
    size_t size = 0;
    const auto* bytes = static_cast<const BYTE*>(LoadModuleResource(module, "CURSOR", id, &size));
    WORD hotspot[2];
    BITMAPINFOHEADER header;
    if (!bytes || size < sizeof hotspot + sizeof header) return nullptr;
    std::memcpy(hotspot, bytes, sizeof hotspot);
    std::memcpy(&header, bytes + sizeof hotspot, sizeof header);
    const int64_t width = header.biWidth, height = header.biHeight < 0 ? -int64_t(header.biHeight) : header.biHeight;
    // Cursors are small: anything past 256 x 256 is not one.
    if (header.biSize < sizeof header || header.biBitCount != 32 || header.biCompression != BI_RGB || width <= 0 ||
        height <= 0 || width > 256 || height > 256 || hotspot[0] >= width || hotspot[1] >= height)
        return nullptr;
    const size_t pixelOffset = sizeof hotspot + header.biSize;
    if (pixelOffset > size || size - pixelOffset < size_t(width * height * 4)) return nullptr;
    auto* cursor = new CursorObject{nullptr, int(width), int(height), hotspot[0], hotspot[1], {}};
    cursor->pixels.resize(size_t(width * height));
    for (int64_t y = 0; y < height; ++y) {
        const int64_t from = header.biHeight > 0 ? height - 1 - y : y;  // bottom-up unless the height is negative
        std::memcpy(cursor->pixels.data() + y * width, bytes + pixelOffset + from * width * 4, size_t(width * 4));
    }
    return cursor;
}
