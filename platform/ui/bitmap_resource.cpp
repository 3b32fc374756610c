// Bitmaps from module resources, checked against the resource's size before copying.
#include <cstring>

#include "platform/ui/gdi_objects.h"
#include "platform/ui/resource.h"

extern "C" HBITMAP LoadBitmapA(HINSTANCE module, const char* name) {
    const uintptr_t id = reinterpret_cast<uintptr_t>(name);
    size_t size = 0;
    const void* bytes = id < 0x10000 ? LoadModuleResource(module, "BITMAP", UINT(id), &size) : nullptr;
    BITMAPINFOHEADER header;
    if (!bytes || size < sizeof header) return nullptr;
    std::memcpy(&header, bytes, sizeof header);
    if (header.biSize < sizeof header || header.biSize > size) return nullptr;
    BITMAPINFO info{};
    info.bmiHeader = header;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    const size_t pixelBytes = static_cast<BitmapObject*>(bitmap)->pixels.size() * 4;
    if (size - header.biSize < pixelBytes) {
        DeleteObject(bitmap);
        return nullptr;
    }
    std::memcpy(bits, static_cast<const BYTE*>(bytes) + header.biSize, pixelBytes);
    return bitmap;
}
