// Painting into 32-bit bitmaps: AlphaBlend's per-pixel numbers, copies between bitmaps
// of either row order, and text in the substitute fonts.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/ui/wingdi.h"

namespace {

struct Bitmap {
    explicit Bitmap(int width, int height, bool bottomUp = false) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, bottomUp ? height : -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        handle = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, handle);
    }
    ~Bitmap() {
        DeleteDC(dc);
        DeleteObject(handle);
    }
    HBITMAP handle;
    HDC dc;
    uint32_t* bits = nullptr;
};

// Premultiplied B, G, R, A words over a destination, worked out by hand from the
// platform's definition (d = s + d * (255 - a) / 255), as the controls draw their frames.
TEST(Painting, AlphaBlendGivesThePlatformsNumbers) {
    const struct {
        uint32_t source, destination, expected;
    } cases[] = {
        {0xFF102030, 0xFFC8C8C8, 0xFF102030},  // opaque source replaces
        {0x00000000, 0x12345678, 0x12345678},  // transparent source keeps
        {0x80402000, 0xFFC8C8C8, 0xFFA48464},  // 200 * 127 / 255 = 99.6 -> 100
        {0x10FF0000, 0x00C80000, 0x10FF0000},  // 255 + 187 saturates
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.source << " over " << c.destination);
        Bitmap src(2, 1), dst(2, 1, true);
        src.bits[0] = src.bits[1] = c.source;
        dst.bits[0] = dst.bits[1] = c.destination;
        ASSERT_TRUE(AlphaBlend(dst.dc, 1, 0, 1, 1, src.dc, 0, 0, 1, 1, {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA}));
        EXPECT_EQ(dst.bits[1], c.expected);
        EXPECT_EQ(dst.bits[0], c.destination);  // outside the target rectangle
    }
    Bitmap src(2, 2), dst(2, 2);
    EXPECT_FALSE(AlphaBlend(dst.dc, 0, 0, 2, 2, src.dc, 1, 1, 2, 2, {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA}));
}

// A film strip is stored bottom-up; copying frame k by its rows must give that frame.
TEST(Painting, BitBltCopiesRowsWhateverTheirOrderAndClips) {
    Bitmap strip(3, 4, true), frame(3, 2);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x) SetPixel(strip.dc, x, y, RGB(x, y, 9));
    ASSERT_TRUE(BitBlt(frame.dc, 0, 0, 3, 2, strip.dc, 0, 2, SRCCOPY));
    EXPECT_EQ(GetPixel(frame.dc, 2, 0), RGB(2, 2, 9));
    EXPECT_EQ(GetPixel(frame.dc, 1, 1), RGB(1, 3, 9));
    EXPECT_EQ(strip.bits[0], 0x00000309u);  // the last row is stored first
    ASSERT_TRUE(BitBlt(frame.dc, -1, 1, 3, 4, strip.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(frame.dc, 0, 1), RGB(1, 0, 9));
    EXPECT_EQ(GetPixel(frame.dc, 3, 1), CLR_INVALID);
    RECT r{1, 0, 9, 9};
    FillRect(frame.dc, &r, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    EXPECT_EQ(GetPixel(frame.dc, 2, 1), GetSysColor(COLOR_WINDOW));
}

// The dialog and title fonts come from metric-compatible substitutes (the dialog font's
// cell: the dialog units of the dialog tests): wider letters measuring wider, anti-aliased edges, and text placed
// where DrawText's format puts it.
TEST(Painting, TextInTheSubstituteFonts) {
    Bitmap page(120, 40);
    HFONT dialogFont = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    HFONT title = CreateFontA(-20, 0, 0, 0, 500, 0, 0, 0, ANSI_CHARSET, 0, 0, ANTIALIASED_QUALITY, 0, "Verdana");
    ASSERT_TRUE(dialogFont && title);
    SelectObject(page.dc, dialogFont);
    SIZE wide, narrow;
    GetTextExtentPoint32A(page.dc, "WWW", 3, &wide);
    GetTextExtentPoint32A(page.dc, "iii", 3, &narrow);
    EXPECT_GT(wide.cx, 2 * narrow.cx);

    SelectObject(page.dc, title);
    RECT all{0, 0, 120, 40};
    FillRect(page.dc, &all, GetSysColorBrush(COLOR_WINDOW));
    SetBkMode(page.dc, TRANSPARENT);
    SetTextColor(page.dc, RGB(0, 0, 0));
    SIZE extent;
    GetTextExtentPoint32A(page.dc, "Glow", 4, &extent);
    DrawTextA(page.dc, "Glow", -1, &all, DT_CENTER | DT_BOTTOM | DT_SINGLELINE);
    int inked = 0, partial = 0, left = 120, right = 0, top = 40;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x) {
            BYTE v = GetRValue(GetPixel(page.dc, x, y));
            if (v == 255) continue;
            ++inked, partial += v > 0;
            left = std::min(left, x), right = std::max(right, x), top = std::min(top, y);
        }
    EXPECT_GT(partial, 0);
    EXPECT_GT(inked, partial / 4);
    EXPECT_NEAR(left + right, 120, 3);  // centred
    EXPECT_GE(top, 40 - extent.cy);  // bottom-aligned: nothing above the cell
    DeleteObject(dialogFont);
    DeleteObject(title);
}

}  // namespace
