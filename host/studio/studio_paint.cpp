// The studio's window drawn into its device context: header, preview, lists, the record
// (where no page shows), sliders, buttons and the text lines.
#include <algorithm>
#include <cstdio>

#include "host/cli/record_values.h"
#include "host/studio/studio.h"
#include "host/studio/studio_save.h"

namespace brushwerk::studio {
namespace {

constexpr COLORREF kText = RGB(20, 20, 20);
constexpr COLORREF kDim = RGB(96, 96, 96);
constexpr COLORREF kChosen = RGB(40, 84, 160);

void Fill(HDC dc, RECT r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void Frame(HDC dc, RECT r, COLORREF colour) {
    Fill(dc, RECT{r.left, r.top, r.right, r.top + 1}, colour);
    Fill(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, colour);
    Fill(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, colour);
    Fill(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, colour);
}

void Text(HDC dc, int x, int y, const std::string& text, COLORREF colour = kText) {
    SetTextColor(dc, colour);
    TextOutA(dc, x, y, text.c_str(), int(text.size()));
}

int TextWidth(HDC dc, const std::string& text) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), int(text.size()), &size);
    return size.cx;
}

// Greedy wrap at blanks; a word longer than the line stands alone.
std::vector<std::string> Wrap(HDC dc, const std::string& text, int width) {
    std::vector<std::string> lines;
    std::string line;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(start, end - start);
        const std::string candidate = line.empty() ? word : line + " " + word;
        if (!line.empty() && TextWidth(dc, candidate) > width) {
            lines.push_back(line);
            line = word;
        } else {
            line = candidate;
        }
        start = end + 1;
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string Milliseconds(double seconds) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f ms", seconds * 1000.0);
    return buffer;
}

}  // namespace

void Studio::RebuildPreview() {
    const cli::Image& picture = (!m_before && m_shown && m_shown->job.input == m_input) ? m_shown->output : *m_input;
    const int w = m_layout.preview.right - m_layout.preview.left;
    const int h = m_layout.preview.bottom - m_layout.preview.top;
    if (!m_preview) {
        BITMAPINFO info{};
        info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        m_preview = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &m_previewBits, nullptr, 0);
        if (!m_preview) return;
    }
    // Each preview pixel is the picture's pixel at its corner, over a grey backdrop where
    // the picture is transparent (the samples are straight).
    auto* out = static_cast<uint8_t*>(m_previewBits);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint8_t* s = picture.Pixel(x * m_layout.shrink, y * m_layout.shrink);
            uint8_t* d = out + (size_t(y) * w + x) * 4;
            const int a = s[3];
            for (int c = 0; c < 3; ++c) d[c] = uint8_t((s[c] * a + 128 * (255 - a) + 127) / 255);
            d[3] = 255;
        }
    }
}

void Studio::Paint(HDC dc) {
    RECT all{0, 0, m_layout.window.cx, m_layout.window.cy};
    Fill(dc, all, GetSysColor(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, m_font);
    if (!m_preview) RebuildPreview();
    if (m_preview) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, m_preview);
        BitBlt(dc, m_layout.preview.left, m_layout.preview.top, m_layout.preview.right - m_layout.preview.left,
               m_layout.preview.bottom - m_layout.preview.top, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    Frame(dc, RECT{m_layout.preview.left - 1, m_layout.preview.top - 1, m_layout.preview.right + 1,
                   m_layout.preview.bottom + 1}, kDim);

    // Header: what the preview shows, and how long the frame took.
    const cli::EffectInfo& effect = cli::AllEffects()[m_effect];
    std::string shows = m_before ? "Before: the picture itself" : std::string("After: ") + effect.pageTitle;
    if (!m_before && m_preset >= 0 && m_preset < int(m_presetNames.size()))
        shows += " - " + m_presetNames[m_preset];
    else if (!m_before)
        shows += " - edited";
    SelectObject(dc, m_bold);
    Text(dc, m_layout.header.left, m_layout.header.top, shows);
    SelectObject(dc, m_font);
    std::string timing = "rendering...";
    if (m_shown && m_shown->job.generation == m_lastRequest)
        timing = "frame " + Milliseconds(m_shown->seconds) + " on " + std::to_string(m_processors) + " processor" +
                 (m_processors == 1 ? "" : "s");
    if (m_worker && m_worker->Dropped()) timing += ", " + std::to_string(m_worker->Dropped()) + " stale dropped";
    Text(dc, m_layout.header.right - TextWidth(dc, timing), m_layout.header.top, timing, kDim);

    PaintLists(dc);
    if (!m_page.Showing()) PaintRecord(dc);
    PaintSliders(dc);
    PaintButtons(dc);
    PaintText(dc);
}

void Studio::PaintLists(HDC dc) {
    const int row = m_layout.rowHeight;
    SelectObject(dc, m_bold);
    Text(dc, m_layout.effects.left + 4, m_layout.effects.top, "Effect (1-7)");
    Text(dc, m_layout.presets.left + 4, m_layout.presets.top, "Preset (Left/Right)");
    SelectObject(dc, m_font);
    const auto effects = cli::AllEffects();
    for (size_t i = 0; i < effects.size(); ++i) {
        const int y = m_layout.effects.top + int(i + 1) * row;
        const bool chosen = int(i) == m_effect;
        if (chosen) Fill(dc, RECT{m_layout.effects.left, y, m_layout.effects.right, y + row}, kChosen);
        Text(dc, m_layout.effects.left + 4, y + 1, std::to_string(i + 1) + "  " + effects[i].pageTitle,
             chosen ? RGB(255, 255, 255) : kText);
    }
    for (size_t i = 0; i < m_presetNames.size(); ++i) {
        const int y = m_layout.presets.top + int(i + 1) * row;
        const bool chosen = int(i) == m_preset;
        if (chosen) Fill(dc, RECT{m_layout.presets.left, y, m_layout.presets.right, y + row}, kChosen);
        Text(dc, m_layout.presets.left + 4, y + 1, m_presetNames[i], chosen ? RGB(255, 255, 255) : kText);
    }
}

// Without a page, the record's fields as the page would label them; the colour the
// eyedropper sets is marked (C or a click moves the mark).
void Studio::PaintRecord(HDC dc) {
    const RECT& area = m_layout.page;
    Fill(dc, area, RGB(232, 232, 232));
    Frame(dc, area, kDim);
    const int row = m_layout.rowHeight + 2;
    SelectObject(dc, m_bold);
    Text(dc, area.left + 8, area.top + 4, std::string(cli::AllEffects()[m_effect].pageTitle) + " record");
    SelectObject(dc, m_font);
    if (m_record.empty()) return;
    size_t colour = 0;
    int y = area.top + 4 + row;
    for (const cli::RecordField& field : cli::AllEffects()[m_effect].fields) {
        std::string label = std::string(field.under ? std::string(field.under) + " " : "") + field.label;
        Text(dc, area.left + 8, y, label, kDim);
        const std::string value = cli::FormatField(m_record, field);
        if (field.kind == cli::FieldKind::Colour) {
            const uint32_t ref = cli::ReadU32(m_record, field.offset);
            Fill(dc, RECT{area.left + 150, y + 1, area.left + 180, y + row - 3}, COLORREF(ref));
            Frame(dc, RECT{area.left + 150, y + 1, area.left + 180, y + row - 3}, kDim);
            Text(dc, area.left + 188, y, value + (colour == m_colourTarget ? "  < eyedropper" : ""),
                 colour == m_colourTarget ? kChosen : kText);
            ++colour;
        } else {
            char shown[32];
            std::snprintf(shown, sizeof shown, "%.1f", double(cli::ReadF32(m_record, field.offset)) * 100.0);
            Text(dc, area.left + 150, y, shown);
        }
        y += row;
    }
    Text(dc, area.left + 8, area.bottom - row - 2, "(the module's page for the effect shows here)", kDim);
}

void Studio::PaintSliders(HDC dc) {
    auto slider = [&](const RECT& r, int value, int last, const std::string& label) {
        const int inner = r.right - r.left - 12;
        const int mid = (r.top + r.bottom) / 2;
        Fill(dc, RECT{r.left + 6, mid - 2, r.right - 6, mid + 2}, kDim);
        const int x = r.left + 6 + (last > 0 ? value * inner / last : 0);
        Fill(dc, RECT{x - 4, r.top + 2, x + 5, r.bottom - 2}, kChosen);
        Text(dc, m_layout.text.left, r.top + 3, label, kDim);
    };
    if (m_supply.IsVideo())
        slider(m_layout.frameSlider, m_frame, m_supply.FrameCount() - 1,
               "frame " + std::to_string(m_frame + 1) + " of " + std::to_string(m_supply.FrameCount()) + " (-/=)");
    if (m_secondKey)
        slider(m_layout.keySlider, m_keyStep, kKeyframeSteps,
               "keyframe position " + std::to_string(m_keyStep) + "% (,/.)");
}

void Studio::PaintButtons(HDC dc) {
    const char* captions[] = {m_before ? "After" : "Before", m_dropper ? "Picking..." : "Eyedropper",
                              m_secondKey ? "Clear key" : "Keyframe", "Save"};
    for (int i = 0; i < int(Button::Count); ++i) {
        const RECT& r = m_layout.buttons[i];
        Fill(dc, r, RGB(246, 246, 246));
        Frame(dc, r, kDim);
        const std::string caption = captions[i];
        Text(dc, (r.left + r.right - TextWidth(dc, caption)) / 2, r.top + 5, caption);
    }
}

void Studio::PaintText(HDC dc) {
    const RECT& r = m_layout.text;
    const int width = r.right - r.left, line = 16;
    const std::string command =
        m_command.empty() ? "Save (S) writes the picture, the state and the render command that makes it again."
                          : "Command: " + m_command;
    int y = r.top;
    auto paragraph = [&](const std::string& text, COLORREF colour) {
        for (const std::string& l : Wrap(dc, text, width)) {
            if (y + line > r.bottom) return;
            Text(dc, r.left, y, l, colour);
            y += line;
        }
    };
    paragraph(command, m_command.empty() ? kDim : kText);
    y += line / 2;
    paragraph(m_status, kText);
    y = std::max(y, int(r.bottom) - 2 * line);
    paragraph("Keys: 1-7 effect, Left/Right preset, B before/after, S save, Q quit, E eyedropper (C: which "
              "colour), K second keyframe, comma/period its position, -/= video frame",
              kDim);
}

}  // namespace brushwerk::studio
