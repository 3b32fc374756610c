// The colour chooser: a modal dialog of basic and custom colours, a hue and saturation
// field with a luminance bar, and hue, saturation, luminance, red, green and blue edit
// boxes (hue 0..239, saturation and luminance 0..240, as the platform counts them).
#pragma once

#include "platform/ui/dialog.h"

constexpr DWORD CC_RGBINIT = 0x0001;
constexpr DWORD CC_FULLOPEN = 0x0002;
constexpr DWORD CC_PREVENTFULLOPEN = 0x0004;
constexpr DWORD CC_ANYCOLOR = 0x0100;

struct CHOOSECOLORA {
    DWORD lStructSize;
    HWND hwndOwner;
    HWND hInstance;
    COLORREF rgbResult;
    COLORREF* lpCustColors;  // 16 colours, kept by the caller; "Add to Custom Colors" writes them
    DWORD Flags;
    LPARAM lCustData;
    void* lpfnHook;
    const char* lpTemplateName;
};

extern "C" {
// TRUE with rgbResult set when the person pressed OK; FALSE for Cancel or a bad argument.
BOOL ChooseColorA(CHOOSECOLORA* choose);
// Hue, luminance and saturation on the platform's 0..240 scales, and back.
void ColorRGBToHLS(COLORREF rgb, WORD* hue, WORD* luminance, WORD* saturation);
COLORREF ColorHLSToRGB(WORD hue, WORD luminance, WORD saturation);
}
