// The skin: the controls' bitmaps ("BITMAP" 201, 206, 207, 231, 236, 237) and the
// eyedropper cursor ("CURSOR" 207), embedded from the BMP files of resources/skin/
// that render.sh draws from their SVG sources. A bitmap resource is its file less the
// 14-byte file header; the cursor's file carries its hot spot in the header's two
// reserved words, which its resource puts before the bitmap.
#include <cstring>
#include <vector>

#include "resources/moduleresources.h"

#define BRUSHWERK_SKIN_FILE(name)                  \
    extern const unsigned char g_skin_##name[];    \
    extern const size_t g_skin_##name##_size;
BRUSHWERK_SKIN_FILE(knob_strip)
BRUSHWERK_SKIN_FILE(help_button)
BRUSHWERK_SKIN_FILE(info_button)
BRUSHWERK_SKIN_FILE(dropper_button)
BRUSHWERK_SKIN_FILE(swatch_frame)
BRUSHWERK_SKIN_FILE(logo_button)
BRUSHWERK_SKIN_FILE(eyedropper_cursor)
#undef BRUSHWERK_SKIN_FILE

namespace {

constexpr size_t kFileHeaderSize = 14, kReservedWordsAt = 6;

ModuleBinaryResource Bitmap(UINT id, const unsigned char* file, size_t size) {
    return {"BITMAP", id, file + kFileHeaderSize, size - kFileHeaderSize};
}

std::vector<unsigned char> CursorResource(const unsigned char* file, size_t size) {
    std::vector<unsigned char> resource(4 + size - kFileHeaderSize);
    std::memcpy(resource.data(), file + kReservedWordsAt, 4);
    std::memcpy(resource.data() + 4, file + kFileHeaderSize, size - kFileHeaderSize);
    return resource;
}

}  // namespace

std::span<const ModuleBinaryResource> SkinResources() {
    static const std::vector<unsigned char> cursor = CursorResource(g_skin_eyedropper_cursor, g_skin_eyedropper_cursor_size);
    static const ModuleBinaryResource resources[] = {
        Bitmap(201, g_skin_knob_strip, g_skin_knob_strip_size),
        Bitmap(206, g_skin_help_button, g_skin_help_button_size),
        Bitmap(207, g_skin_info_button, g_skin_info_button_size),
        Bitmap(231, g_skin_dropper_button, g_skin_dropper_button_size),
        Bitmap(236, g_skin_swatch_frame, g_skin_swatch_frame_size),
        Bitmap(237, g_skin_logo_button, g_skin_logo_button_size),
        {"CURSOR", 207, cursor.data(), cursor.size()},
    };
    return resources;
}
