// The colour chooser's dialog. One picker class draws and answers for each picking area
// by its item identifier: the basic colours, the custom colours, the hue and saturation
// field, the luminance bar and the preview. The edit boxes take numbers; a finished edit
// (focus leaving, or OK) moves the colour, and every other box follows it.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/ui/commdlg.h"
#include "platform/ui/gdi_objects.h"

namespace {

enum : int {
    kBasic = 720, kCustom = 721, kField = 710, kLuminance = 702, kPreview = 709, kAddCustom = 712,
    kHueEdit = 703, kSatEdit = 704, kLumEdit = 705, kRedEdit = 706, kGreenEdit = 707, kBlueEdit = 708,
};
constexpr int kColumns = 8;

struct Chooser {
    CHOOSECOLORA* request;
    COLORREF color;
    WORD hue, luminance, saturation;
    COLORREF custom[16];
    int nextCustom = 0;
    bool filling = false;  // the boxes are being filled: their notifications are not edits
    bool edited = false;  // a box was typed into since the colour was last shown: only then
                          // does it move the colour (HLS and RGB do not round-trip exactly)
};

Chooser* StateOf(HWND hwnd) {
    HWND dialog = GetWindowLongPtrA(hwnd, DWLP_USER) ? hwnd : GetParent(hwnd);
    return reinterpret_cast<Chooser*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// Six rows of eight: five hue rows from light to dark, then a row of greys.
COLORREF BasicColor(int index) {
    static const WORD hues[kColumns] = {0, 20, 40, 80, 120, 150, 180, 210};
    static const WORD lums[5] = {200, 160, 120, 80, 40};
    const int row = index / kColumns, column = index % kColumns;
    if (row == 5) return ColorHLSToRGB(0, WORD(column * 240 / 7), 0);
    return ColorHLSToRGB(hues[column], lums[row], 240);
}

void Fill(HDC dc, RECT r, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void PaintPicker(HWND hwnd, Chooser& c) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (!dc) return;
    RECT r;
    GetClientRect(hwnd, &r);
    const int w = r.right, h = r.bottom, id = GetDlgCtrlID(hwnd);
    Fill(dc, r, GetSysColor(COLOR_BTNFACE));
    if (id == kBasic || id == kCustom) {
        const int rows = id == kBasic ? 6 : 2;
        for (int i = 0; i < rows * kColumns; ++i) {
            RECT cell{(i % kColumns) * w / kColumns + 2, (i / kColumns) * h / rows + 2,
                      (i % kColumns + 1) * w / kColumns - 2, (i / kColumns + 1) * h / rows - 2};
            Fill(dc, cell, GetSysColor(COLOR_BTNSHADOW));
            RECT inner{cell.left + 1, cell.top + 1, cell.right - 1, cell.bottom - 1};
            Fill(dc, inner, id == kBasic ? BasicColor(i) : c.custom[i]);
        }
    } else if (id == kField) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                SetPixel(dc, x, y, ColorHLSToRGB(WORD(x * 239 / std::max(1, w - 1)), 120, WORD(240 - y * 240 / std::max(1, h - 1))));
        const int cx = c.hue * (w - 1) / 239, cy = (240 - c.saturation) * (h - 1) / 240;
        RECT mark[2] = {{cx - 5, cy, cx + 6, cy + 1}, {cx, cy - 5, cx + 1, cy + 6}};
        for (const RECT& m : mark) Fill(dc, m, RGB(0, 0, 0));
    } else if (id == kLuminance) {
        for (int y = 0; y < h; ++y) {
            RECT row{0, y, w - 6, y + 1};
            Fill(dc, row, ColorHLSToRGB(c.hue, WORD(240 - y * 240 / std::max(1, h - 1)), c.saturation));
        }
        const int at = (240 - c.luminance) * (h - 1) / 240;
        RECT arrow{w - 5, at - 2, w, at + 3};
        Fill(dc, arrow, RGB(0, 0, 0));
    } else {
        Fill(dc, r, c.color);
    }
    EndPaint(hwnd, &ps);
}

void ShowColor(HWND dialog, Chooser& c) {
    const int values[] = {c.hue, c.saturation, c.luminance, GetRValue(c.color), GetGValue(c.color), GetBValue(c.color)};
    c.filling = true;
    for (int i = 0; i < 6; ++i) {
        char text[8];
        std::snprintf(text, sizeof text, "%d", values[i]);
        SetDlgItemTextA(dialog, kHueEdit + i, text);
    }
    c.filling = false;
    c.edited = false;
    for (int id : {kField, kLuminance, kPreview}) InvalidateRect(GetDlgItem(dialog, id), nullptr, TRUE);
}

void SetRgb(HWND dialog, Chooser& c, COLORREF color) {
    c.color = color;
    ColorRGBToHLS(color, &c.hue, &c.luminance, &c.saturation);
    ShowColor(dialog, c);
}

void SetHls(HWND dialog, Chooser& c, int hue, int luminance, int saturation) {
    c.hue = WORD(std::clamp(hue, 0, 239)), c.luminance = WORD(std::clamp(luminance, 0, 240));
    c.saturation = WORD(std::clamp(saturation, 0, 240));
    c.color = ColorHLSToRGB(c.hue, c.luminance, c.saturation);
    ShowColor(dialog, c);
}

// A finished edit box: its number moves the colour.
void TakeEdit(HWND dialog, Chooser& c, int id) {
    if (!c.edited) return;
    char text[16] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    const int v = std::atoi(text);
    switch (id) {
    case kHueEdit: SetHls(dialog, c, v, c.luminance, c.saturation); break;
    case kSatEdit: SetHls(dialog, c, c.hue, c.luminance, v); break;
    case kLumEdit: SetHls(dialog, c, c.hue, v, c.saturation); break;
    case kRedEdit: SetRgb(dialog, c, RGB(std::clamp(v, 0, 255), GetGValue(c.color), GetBValue(c.color))); break;
    case kGreenEdit: SetRgb(dialog, c, RGB(GetRValue(c.color), std::clamp(v, 0, 255), GetBValue(c.color))); break;
    case kBlueEdit: SetRgb(dialog, c, RGB(GetRValue(c.color), GetGValue(c.color), std::clamp(v, 0, 255))); break;
    default: break;
    }
}

void Pick(HWND hwnd, Chooser& c, int x, int y) {
    HWND dialog = GetParent(hwnd);
    RECT r;
    GetClientRect(hwnd, &r);
    const int w = std::max<int>(1, r.right), h = std::max<int>(1, r.bottom), id = GetDlgCtrlID(hwnd);
    x = std::clamp(x, 0, w - 1), y = std::clamp(y, 0, h - 1);
    if (id == kBasic) SetRgb(dialog, c, BasicColor((y * 6 / h) * kColumns + x * kColumns / w));
    else if (id == kCustom) SetRgb(dialog, c, c.custom[(y * 2 / h) * kColumns + x * kColumns / w]);
    else if (id == kField) SetHls(dialog, c, x * 239 / std::max(1, w - 1), c.luminance, 240 - y * 240 / std::max(1, h - 1));
    else if (id == kLuminance) SetHls(dialog, c, c.hue, 240 - y * 240 / std::max(1, h - 1), c.saturation);
}

LRESULT PickerProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Chooser* c = StateOf(hwnd);
    if (!c) return DefWindowProcA(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_PAINT: PaintPicker(hwnd, *c); return 0;
    case WM_LBUTTONDOWN:
        SetCapture(hwnd);
        Pick(hwnd, *c, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSEMOVE:
        if (GetCapture() == hwnd && (GetDlgCtrlID(hwnd) == kField || GetDlgCtrlID(hwnd) == kLuminance))
            Pick(hwnd, *c, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == hwnd) ReleaseCapture();
        return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

intptr_t ChooserProcedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        auto* c = reinterpret_cast<Chooser*>(lParam);
        SetRgb(dialog, *c, c->color);
        return TRUE;
    }
    Chooser* c = StateOf(dialog);
    if (msg != WM_COMMAND || !c) return FALSE;
    const int id = LOWORD(wParam);
    if (id >= kHueEdit && id <= kBlueEdit && HIWORD(wParam) == EN_CHANGE && !c->filling) c->edited = true;
    if (id >= kHueEdit && id <= kBlueEdit && HIWORD(wParam) == EN_KILLFOCUS) TakeEdit(dialog, *c, id);
    if (id == kAddCustom) {
        c->custom[c->nextCustom] = c->color;
        c->nextCustom = (c->nextCustom + 1) % 16;
        InvalidateRect(GetDlgItem(dialog, kCustom), nullptr, TRUE);
    }
    if (id == IDOK) {
        // Enter in an edit box finishes that edit first.
        HWND focus = GetFocus();
        if (focus && GetParent(focus) == dialog && GetDlgCtrlID(focus) >= kHueEdit && GetDlgCtrlID(focus) <= kBlueEdit)
            TakeEdit(dialog, *c, GetDlgCtrlID(focus));
        EndDialog(dialog, 1);
    }
    if (id == IDCANCEL) EndDialog(dialog, 0);
    return TRUE;
}

DialogTemplateBuilder ChooserTemplate() {
    DialogTemplateBuilder d(WS_POPUP | WS_CAPTION | DS_MODALFRAME | WS_VISIBLE, 0, 20, 20, 300, 190, "Color",
                            "MS Sans Serif", 8);
    const DWORD edit = ES_CENTER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_VISIBLE;
    d.Item("Static", "Basic colors:", 0xFFFF, WS_VISIBLE, 4, 4, 140, 9)
        .Item("QuilletColorPicker", "", kBasic, WS_VISIBLE, 4, 14, 140, 84)
        .Item("Static", "Custom colors:", 0xFFFF, WS_VISIBLE, 4, 102, 140, 9)
        .Item("QuilletColorPicker", "", kCustom, WS_VISIBLE, 4, 112, 140, 28)
        .Item("QuilletColorPicker", "", kField, WS_VISIBLE, 152, 4, 120, 100)
        .Item("QuilletColorPicker", "", kLuminance, WS_VISIBLE, 278, 4, 18, 100)
        .Item("QuilletColorPicker", "", kPreview, WS_VISIBLE, 152, 108, 40, 36);
    const char* labels[] = {"Hue:", "Sat:", "Lum:", "Red:", "Green:", "Blue:"};
    for (int i = 0; i < 6; ++i) {
        const short x = short(i < 3 ? 196 : 246), y = short(108 + (i % 3) * 14);
        d.Item("Static", labels[i], 0xFFFF, WS_VISIBLE, x, short(y + 1), 22, 9)
            .Item("Edit", "", WORD(kHueEdit + i), edit, short(x + 22), y, 24, 12);
    }
    d.Item("Button", "Add to Custom Colors", kAddCustom, WS_TABSTOP | WS_VISIBLE, 152, 150, 144, 14)
        .Item("Button", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 4, 170, 44, 14)
        .Item("Button", "Cancel", IDCANCEL, WS_TABSTOP | WS_VISIBLE, 52, 170, 44, 14);
    return d;
}

}  // namespace

extern "C" BOOL ChooseColorA(CHOOSECOLORA* choose) {
    if (!choose || choose->lStructSize != sizeof(CHOOSECOLORA)) return FALSE;
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &PickerProcedure;
        wc.hCursor = LoadCursorA(nullptr, IDC_CROSS);
        wc.lpszClassName = "QuilletColorPicker";
        RegisterClassA(&wc);
    });
    static const DialogTemplateBuilder chooserTemplate = ChooserTemplate();
    Chooser c{choose, (choose->Flags & CC_RGBINIT) ? choose->rgbResult & 0xFFFFFF : 0, 0, 0, 0, {}};
    if (choose->lpCustColors) std::copy(choose->lpCustColors, choose->lpCustColors + 16, c.custom);
    const intptr_t result = DialogBoxIndirectParamA(nullptr, chooserTemplate.Template(), choose->hwndOwner,
                                                    &ChooserProcedure, reinterpret_cast<LPARAM>(&c));
    // The custom colours belong to the caller and are kept whichever way the dialog ends.
    if (choose->lpCustColors) std::copy(c.custom, c.custom + 16, choose->lpCustColors);
    if (result != 1) return FALSE;
    choose->rgbResult = c.color;
    return TRUE;
}
