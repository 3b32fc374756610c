// Shows a person what the skin looks like where it is used: writes skin.png (knob frames
// across the sweep, then each button's normal, hover and pressed frames and the swatch
// frame over a colour, all blended onto the dialog face as the controls draw them, twice
// the size) and options-dialog.png (the options dialog as the headless screen shows it).
//     QUILLET_DISPLAY=headless skin_preview FOLDER
#include <chrono>
#include <cstring>
#include <cstdio>
#include <string>
#include <thread>

#include "controls/control_window.h"
#include "controls/skin.h"
#include "host/cli/cli_error.h"
#include "host/cli/png_file.h"
#include "platform/ui/gdi_objects.h"
#include "resources/moduleresources.h"

using brushwerk::cli::AlphaForm;
using brushwerk::cli::Image;

namespace {

Image ImageOfBitmap(BitmapObject* bitmap, int scale) {
    Image image = brushwerk::cli::MakeImage(bitmap->width * scale, bitmap->height * scale, AlphaForm::Straight);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint32_t p = bitmap->Row(y / scale)[x / scale] | 0xFF000000u;
            std::memcpy(image.Pixel(x, y), &p, 4);
        }
    return image;
}

// Blends frame `frame` of a strip of `frames` onto dc at (x, y) as the controls do.
void DrawFrame(HDC dc, HBITMAP strip, int frames, int frame, int x, int y) {
    auto* bitmap = static_cast<BitmapObject*>(strip);
    const int height = bitmap->height / frames;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(source, strip);
    AlphaBlend(dc, x, y, bitmap->width, height, source, 0, frame * height, bitmap->width, height,
               BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA});
    SelectObject(source, previous);
    DeleteDC(source);
}

void WriteSkinSheet(CSkin& skin, const std::string& path) {
    constexpr int kWidth = 760, kHeight = 146, kGap = 10;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP sheet = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, sheet);
    RECT all{0, 0, kWidth, kHeight};
    FillRect(dc, &all, GetSysColorBrush(COLOR_3DFACE));
    int x = kGap;
    for (int frame : {0, 6, 11, 17, 22, 28, 33, 39, 44}) {
        DrawFrame(dc, skin.GetBitmap(201), 45, frame, x, kGap);
        x += static_cast<BitmapObject*>(skin.GetBitmap(201))->width + 6;
    }
    x = kGap;
    int y = 70;
    for (int id : {206, 207, 236, 231, 237}) {
        auto* bitmap = static_cast<BitmapObject*>(skin.GetBitmap(id));
        const int height = bitmap->height / 3;
        for (int frame : {2, 1, 0}) {
            if (id == 236) {  // the swatch paints its colour first, inside the frame's window
                RECT colour{x + 7, y + 7, x + bitmap->width - 7, y + height - 8};
                HBRUSH brush = CreateSolidBrush(RGB(214, 96, 48));
                FillRect(dc, &colour, brush);
                DeleteObject(brush);
            }
            DrawFrame(dc, bitmap, 3, frame, x, y);
            x += bitmap->width + 4;
        }
        x += kGap;
    }
    brushwerk::cli::WritePngFile(path, ImageOfBitmap(static_cast<BitmapObject*>(sheet), 2));
    DeleteDC(dc);
    DeleteObject(sheet);
}

// The options dialog is modal: another thread waits for it, reads it off the screen and
// closes it.
void WriteOptionsDialog(CSkin& skin, const std::string& path) {
    Image shot;
    std::thread reader([&] {
        HWND dialog = nullptr;
        for (int i = 0; i < 4000 && !(dialog = GetParent(GetFocus())); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (!dialog) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // painted
        RECT r;
        GetWindowRect(dialog, &r);
        shot = brushwerk::cli::MakeImage(r.right - r.left, r.bottom - r.top, AlphaForm::Straight);
        HDC screen = GetDC(nullptr);
        for (int y = 0; y < shot.height; ++y)
            for (int x = 0; x < shot.width; ++x) {
                const COLORREF c = GetPixel(screen, r.left + x, r.top + y);
                const uint8_t bgra[4] = {GetBValue(c), GetGValue(c), GetRValue(c), 255};
                std::memcpy(shot.Pixel(x, y), bgra, 4);
            }
        ReleaseDC(nullptr, screen);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    skin.ShowOptions(nullptr);
    reader.join();
    if (shot.width == 0) throw brushwerk::cli::CliError("the options dialog did not show");
    brushwerk::cli::WritePngFile(path, shot);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: QUILLET_DISPLAY=headless skin_preview FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    auto* module = reinterpret_cast<HINSTANCE>(0x5EED);
    RegisterModuleResources(module, &BrushwerkModuleResources());
    RegisterControlClasses(module);  // the options dialog's logo button
    try {
        CSkin skin;
        skin.Init(module, "Quillet Brushwerk");
        WriteSkinSheet(skin, folder + "skin.png");
        WriteOptionsDialog(skin, folder + "options-dialog.png");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skin_preview: %s\n", e.what());
        return 1;
    }
    UnregisterControlClasses(module);
    UnregisterModuleResources(module);
    std::printf("wrote %sskin.png and %soptions-dialog.png\n", folder.c_str(), folder.c_str());
    return 0;
}
