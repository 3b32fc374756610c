// quillet_pageshot: shows one effect's property page in a window of the display, as a
// host's effect dialog does, and saves what the display shows of it as a PNG picture.
// The module is registered into the registry file the program is given; the effect
// starts from its first preset.
//
//   quillet_pageshot MODULE EFFECT OUT.png     (effect: its short name, "airbrush", ...)
#include <png.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/combase.h"
#include "platform/ui/input.h"
#include "platform/ui/ocidl.h"
#include "platform/ui/wingdi.h"
#include "sdk/effects.h"
#include "sdk/plugininterfaces.h"

namespace {

bool WritePng(const char* path, int width, int height, const std::vector<COLORREF>& pixels) {
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = info && !setjmp(png_jmpbuf(png));
    if (ok) {
        png_init_io(png, file);
        png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        std::vector<png_byte> row(size_t(width) * 3);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const COLORREF c = pixels[size_t(y) * width + x];
                row[x * 3] = GetRValue(c), row[x * 3 + 1] = GetGValue(c), row[x * 3 + 2] = GetBValue(c);
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && ok;
}

void PumpFor(std::chrono::milliseconds period) {
    const auto end = std::chrono::steady_clock::now() + period;
    while (std::chrono::steady_clock::now() < end) {
        PumpWaitingMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s MODULE EFFECT OUT.png\n", argv[0]);
        return 2;
    }
    const EffectDescriptor* effect = nullptr;
    for (const EffectDescriptor* d : kEffectDescriptors)
        if (std::string(d->shortName) == argv[2]) effect = d;
    HMODULE module = nullptr;
    if (!effect || FAILED(CoLoadModuleByPath(argv[1], &module))) {
        std::fprintf(stderr, "%s: no effect %s in %s\n", argv[0], argv[2], argv[1]);
        return 1;
    }
    auto registerServer = reinterpret_cast<PFN_DllRegisterServer>(GetProcAddress(module, "DllRegisterServer"));
    ComPtr<IUnknown> object;
    ComPtr<IPropertyPage> page;
    PROPPAGEINFO info{};
    if (!registerServer || FAILED(registerServer()) ||
        FAILED(CoCreateInstance(effect->clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.ReleaseAndGetVoidAddress())) ||
        FAILED(CoCreateInstance(effect->pageClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                                page.ReleaseAndGetVoidAddress())) ||
        FAILED(page->GetPageInfo(&info))) {
        std::fprintf(stderr, "%s: the module would not make the %s page\n", argv[0], argv[2]);
        return 1;
    }
    CoTaskMemFree(info.pszTitle), CoTaskMemFree(info.pszDocString), CoTaskMemFree(info.pszHelpFile);

    // The host's effect dialog: a plain window holding the page at its own size.
    WNDCLASSA wc{};
    wc.lpfnWndProc = &DefWindowProcA;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "Quillet Page Shot";
    RegisterClassA(&wc);
    const int width = int(info.size.cx), height = int(info.size.cy);
    HWND frame = CreateWindowExA(0, wc.lpszClassName, effect->pageTitle, WS_VISIBLE, 0, 0, width, height, nullptr,
                                 nullptr, nullptr, nullptr);
    IUnknown* objects[] = {object.Get()};
    const RECT place{0, 0, width, height};
    if (!frame || FAILED(page->SetObjects(1, objects)) || FAILED(page->Activate(frame, &place, FALSE)) ||
        FAILED(page->Show(SW_SHOW))) {
        std::fprintf(stderr, "%s: the %s page would not open\n", argv[0], argv[2]);
        return 1;
    }
    SetFocus(frame);  // no box stands selected in the picture
    PumpFor(std::chrono::milliseconds(1500));  // mapped and painted by the server

    std::vector<COLORREF> pixels;
    HDC screen = GetDC(nullptr);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(screen, x, y));
    ReleaseDC(nullptr, screen);
    page->Deactivate();
    page->SetObjects(0, nullptr);
    DestroyWindow(frame);
    if (!WritePng(argv[3], width, height, pixels)) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[3]);
        return 1;
    }
    return 0;
}
