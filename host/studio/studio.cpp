#include "host/studio/studio.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <thread>
#include <unistd.h>

#include "host/cli/checked_session.h"
#include "host/cli/cli_error.h"
#include "host/cli/record_values.h"
#include "host/cli/result_words.h"
#include "host/studio/studio_save.h"
#include "platform/ui/dialog.h"

namespace brushwerk::studio {
namespace {

constexpr const char* kWindowClass = "Quillet Studio";

int LongestPresetList() {
    int rows = 0;
    for (const cli::EffectInfo& e : cli::AllEffects()) rows = std::max(rows, e.presetCount);
    return rows;
}

int EffectIndex(const std::string& name) {
    if (name.empty()) return 0;
    const cli::EffectInfo* found = cli::FindEffect(name);
    if (!found) throw cli::CliError("studio: unknown effect '" + name + "'", cli::kExitUsage);
    return int(found - cli::AllEffects().data());
}

void Check(HRESULT hr, const char* doing) {
    if (FAILED(hr)) throw cli::CliError(std::string("studio: ") + doing + " failed: " + cli::ResultInWords(hr));
}

// The program as a command line names it: this very file, so the command runs the same build.
std::string ProgramPath() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("brushwerk") : self.string();
}

std::vector<const cli::RecordField*> ColourFields(const cli::EffectInfo& effect) {
    std::vector<const cli::RecordField*> fields;
    for (const cli::RecordField& f : effect.fields)
        if (f.kind == cli::FieldKind::Colour) fields.push_back(&f);
    return fields;
}

}  // namespace

Studio::Studio(const StudioOptions& options, std::ostream& out)
    : m_options(options),
      m_out(out),
      m_host(cli::ModuleLocation{options.modulePath}),
      m_supply(options.input),
      m_processors(options.processors ? options.processors : std::max(1u, std::thread::hardware_concurrency())) {
    m_input = std::make_shared<const cli::Image>(m_supply.Frame(0));
    m_layout = StudioLayout::For(m_input->width, m_input->height, LongestPresetList(), m_supply.IsVideo());
    m_effect = EffectIndex(options.effect);
}

Studio::~Studio() {
    m_worker.reset();  // no render runs on the objects once they go
    m_page.Hide();
    if (m_preview) DeleteObject(m_preview);
    if (m_window) DestroyWindow(m_window);
}

std::shared_ptr<common::EffectSession> Studio::MakeSession(ComPtr<IUnknown>* object) {
    const cli::EffectInfo& effect = cli::AllEffects()[m_effect];
    ComPtr<IUnknown> made = m_host.CreateEffect(effect);
    auto session = std::make_shared<common::EffectSession>(effect);
    Check(session->Start(made.Get()), "starting the effect");
    if (object) *object = made;
    return session;
}

// Renders on all processors with whole-frame bands: the picture every processor count gives.
std::shared_ptr<common::EffectSession> Studio::MakeRenderSession() {
    auto session = MakeSession(nullptr);
    Check(session->UseSite(m_processors, QUILLET_BANDING_WHOLE_FRAME), "handing the effect its site");
    return session;
}

int Studio::Run() {
    static bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &Studio::Procedure;
        wc.cbWndExtra = sizeof(void*);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = kWindowClass;
        return RegisterClassA(&wc) != 0;
    }();
    if (!registered) throw cli::CliError("studio: cannot register the window class");
    m_font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "DejaVu Sans");
    m_bold = CreateFontA(-13, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "DejaVu Sans");
    const std::string title = "Brushwerk Studio - " + m_supply.Name();
    m_window = CreateWindowExA(0, kWindowClass, title.c_str(), WS_POPUP, 40, 40, m_layout.window.cx, m_layout.window.cy,
                               nullptr, nullptr, nullptr, this);
    if (!m_window) throw cli::CliError("studio: cannot open the window");
    HWND window = m_window;
    m_worker = std::make_unique<RenderWorker>([window] { PostMessageA(window, WM_STUDIO_RENDERED, 0, 0); });

    ChooseEffect(m_effect);
    if (!m_options.preset.empty()) {
        int index = -1;
        for (size_t i = 0; i < m_presetNames.size(); ++i)
            if (m_presetNames[i] == m_options.preset || std::to_string(i) == m_options.preset) index = int(i);
        if (index < 0) throw cli::CliError("studio: no preset '" + m_options.preset + "'", cli::kExitUsage);
        ChoosePreset(index);
    }
    ShowWindow(m_window, SW_SHOW);
    SetFocus(m_window);
    m_out << "studio: showing " << m_supply.Name() << " through " << cli::AllEffects()[m_effect].shortName << "\n";
    if (m_supply.IsVideo()) {  // where to drag through the frames, on the screen
        POINT corner{m_layout.frameSlider.left, m_layout.frameSlider.top};
        ClientToScreen(m_window, &corner);
        m_out << "studio: frame slider at " << corner.x << "," << corner.y << " size "
              << m_layout.frameSlider.right - m_layout.frameSlider.left << "x"
              << m_layout.frameSlider.bottom - m_layout.frameSlider.top << " for " << m_supply.FrameCount() << " frames\n";
    }
    m_out << std::flush;

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        // The studio's keys work wherever the focus is, but for the page's own Tab, and
        // in a knob's edit box (which takes numbers) only its letters.
        const bool key = msg.message == WM_CHAR || msg.message == WM_KEYDOWN;
        const bool letter = (msg.message == WM_CHAR && std::isalpha(int(msg.wParam))) ||
                            (msg.message == WM_KEYDOWN && msg.wParam >= 'A' && msg.wParam <= 'Z');
        if (key && msg.hwnd != m_window && msg.wParam != VK_TAB && (letter || !TypesText(msg.hwnd)))
            msg.hwnd = m_window;
        if (!m_page.TakesMessage(&msg)) DispatchMessageA(&msg);
        CheckRecord();
    }
    return 0;
}

bool Studio::TypesText(HWND hwnd) const {
    const int id = GetDlgCtrlID(hwnd);
    for (const cli::RecordField& f : cli::AllEffects()[m_effect].fields)
        if (f.kind == cli::FieldKind::Number && int(f.entryItem) == id) return true;
    return false;
}

LRESULT Studio::Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* studio = reinterpret_cast<Studio*>(GetWindowLongPtrA(hwnd, 0));
    if (studio && studio->m_window == hwnd) return studio->Handle(msg, wParam, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT Studio::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    try {
        switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(m_window, &ps);
            Paint(dc);
            EndPaint(m_window, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_STUDIO_RENDERED:
            TakeResult();
            return 0;
        case WM_CHAR:
            HandleKey(0, char(wParam));
            return 0;
        case WM_KEYDOWN:
            HandleKey(UINT(wParam), 0);
            return 0;
        case WM_LBUTTONDOWN:
            if (m_dropper) FinishDropper(p);
            else Click(p);
            return 0;
        case WM_MOUSEMOVE:
            if (m_dragging) Drag(p);
            return 0;
        case WM_LBUTTONUP:
            if (m_dragging) {
                Drag(p);
                m_dragging = 0;
                ReleaseCapture();
                if (m_supply.IsVideo()) ChooseFrame(m_frame);  // the frame decodes once the slider is let go
            }
            return 0;
        case WM_CLOSE:
            PostQuitMessage(0);
            return 0;
        default:
            break;
        }
    } catch (const cli::CliError& e) {
        Status(e.what());
        return 0;
    }
    return DefWindowProcA(m_window, msg, wParam, lParam);
}

bool Studio::HandleKey(UINT key, char c) {
    const int presets = int(m_presetNames.size());
    if (key == VK_ESCAPE && m_dropper) {
        m_dropper = false;
        ReleaseCapture();
        if (m_beforeUntilPicked) ToggleBefore();
        Status("eyedropper put away");
    } else if (key == VK_LEFT || c == '[') {
        ChoosePreset(((m_preset < 0 ? 0 : m_preset) + presets - 1) % presets);
    } else if (key == VK_RIGHT || c == ']') {
        ChoosePreset((m_preset + 1) % presets);  // from an edited record (-1): the first
    } else if (c >= '1' && c < '1' + int(cli::AllEffects().size())) {
        ChooseEffect(c - '1');
    } else if (c == 'b' || c == 'B' || c == ' ') {
        ToggleBefore();
    } else if (c == 'e' || c == 'E') {
        StartDropper();
    } else if (c == 'c' || c == 'C') {
        const auto colours = ColourFields(cli::AllEffects()[m_effect]);
        if (!colours.empty()) m_colourTarget = (m_colourTarget + 1) % colours.size();
        Invalidate();
    } else if (c == 'k' || c == 'K') {
        ToggleKeyframe();
    } else if (c == ',' || c == '.' || c == '<' || c == '>') {
        MoveKeyframe(c == ',' ? -1 : c == '.' ? 1 : c == '<' ? -10 : 10);
    } else if (c == '-' || c == '=' || c == '_' || c == '+') {
        ChooseFrame(m_frame + (c == '-' ? -1 : c == '=' ? 1 : c == '_' ? -10 : 10));
    } else if (c == 's' || c == 'S') {
        Save();
    } else if (c == 'q' || c == 'Q') {
        PostQuitMessage(0);
    } else {
        return false;
    }
    return true;
}

void Studio::Click(POINT p) {
    if (int row = m_layout.Row(m_layout.effects, p); row >= 0 && row < int(cli::AllEffects().size())) {
        ChooseEffect(row);
    } else if (int row = m_layout.Row(m_layout.presets, p); row >= 0 && row < int(m_presetNames.size())) {
        ChoosePreset(row);
    } else if (Inside(m_layout.frameSlider, p) || (m_secondKey && Inside(m_layout.keySlider, p))) {
        m_dragging = Inside(m_layout.frameSlider, p) ? 1 : 2;
        SetCapture(m_window);
        Drag(p);
    } else if (!m_page.Showing() && Inside(m_layout.page, p)) {
        // The record list stands in for the page: a colour row becomes the eyedropper's target.
        const auto colours = ColourFields(cli::AllEffects()[m_effect]);
        const int row = (p.y - m_layout.page.top) / m_layout.rowHeight - 1;
        int colourRow = 0;
        for (const cli::RecordField& f : cli::AllEffects()[m_effect].fields) {
            if (row == int(&f - cli::AllEffects()[m_effect].fields.data()) && f.kind == cli::FieldKind::Colour)
                m_colourTarget = size_t(colourRow);
            if (f.kind == cli::FieldKind::Colour) ++colourRow;
        }
        Invalidate();
    } else {
        switch (m_layout.ButtonAt(p)) {
        case Button::BeforeAfter: ToggleBefore(); break;
        case Button::Eyedropper: StartDropper(); break;
        case Button::Keyframe: ToggleKeyframe(); break;
        case Button::Save: Save(); break;
        case Button::Count: break;
        }
    }
}

void Studio::Drag(POINT p) {
    if (m_dragging == 1) {
        m_frame = StudioLayout::SliderValue(m_layout.frameSlider, p, m_supply.FrameCount() - 1);
        Invalidate();
    } else if (m_dragging == 2) {
        MoveKeyframe(StudioLayout::SliderValue(m_layout.keySlider, p, kKeyframeSteps) - m_keyStep);
    }
}

void Studio::ChooseEffect(int index) {
    const cli::EffectInfo& effect = cli::AllEffects()[index];
    m_page.Hide();
    m_effect = index;
    m_edit = MakeSession(&m_editObject);
    m_render = MakeRenderSession();
    ULONG count = 0;
    Check(m_edit->PresetCount(&count), "counting presets");
    m_presetNames.clear();
    for (ULONG i = 0; i < count; ++i) m_presetNames.push_back(cli::NarrowText(m_edit->PresetName(int(i))));
    m_preset = 0;  // a new object holds preset row 0
    m_secondKey.reset();
    m_colourTarget = 0;
    m_record.clear();
    if (m_page.Show(m_window, m_layout.page, effect, m_editObject.Get())) ReportPageControls();
    CheckRecord();
    Invalidate();
}

// Where the page put each field's knob or swatch, on the screen: for people, and for
// tests that drive the page with a pointer.
void Studio::ReportPageControls() {
    HWND page = GetDlgItem(m_window, 0);  // the page's dialog, the window's one child
    for (const cli::RecordField& field : cli::AllEffects()[m_effect].fields) {
        const bool colour = field.kind == cli::FieldKind::Colour;
        const std::pair<const char*, UINT> items[] = {{colour ? "swatch" : "knob", field.controlItem},
                                                      {colour ? "dropper" : "edit", field.entryItem}};
        for (const auto& [kind, item] : items) {
            RECT r;
            HWND control = page ? GetDlgItem(page, int(item)) : nullptr;
            if (!control || !GetWindowRect(control, &r)) continue;
            m_out << "studio: page " << kind << " " << field.name << " at " << r.left << "," << r.top << " size "
                  << r.right - r.left << "x" << r.bottom - r.top << "\n";
        }
    }
    m_out << std::flush;
}

void Studio::ChoosePreset(int index) {
    if (index < 0 || index >= int(m_presetNames.size())) return;
    Check(m_edit->SelectPreset(index), "choosing the preset");
    m_preset = index;
    CheckRecord();
    Invalidate();
}

void Studio::ToggleBefore() {
    m_before = !m_before;
    m_beforeUntilPicked = false;
    RebuildPreview();
    Invalidate();
}

void Studio::StartDropper() {
    const cli::EffectInfo& effect = cli::AllEffects()[m_effect];
    if (ColourFields(effect).empty()) {
        Status(std::string(effect.pageTitle) + " has no colour to pick");
        return;
    }
    // While picking, the preview shows the picture itself, whose colours are the ones wanted.
    m_dropper = true;
    m_beforeUntilPicked = !m_before;
    m_before = true;
    RebuildPreview();
    SetCapture(m_window);
    SetCursor(LoadCursorA(nullptr, IDC_CROSS));
    Status("eyedropper: click a colour on the preview or anywhere on the screen (Escape: put it away)");
}

void Studio::FinishDropper(POINT p) {
    m_dropper = false;
    ReleaseCapture();
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    ClientToScreen(m_window, &p);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    if (m_beforeUntilPicked) {
        m_before = false;
        m_beforeUntilPicked = false;
        RebuildPreview();
    }
    if (colour == CLR_INVALID) {
        Status("nothing to pick at " + std::to_string(p.x) + "," + std::to_string(p.y));
        return;
    }
    const auto colours = ColourFields(cli::AllEffects()[m_effect]);
    const cli::RecordField& field = *colours[m_colourTarget % colours.size()];
    common::RecordBytes record = m_record;
    cli::WriteU32(record, field.offset, colour);  // both hold red in the low byte
    Check(m_edit->LoadRecord(record), "setting the picked colour");
    const std::string text = "picked " + cli::FormatField(record, field) + " at " + std::to_string(p.x) + "," +
                             std::to_string(p.y) + " for " + field.name;
    m_out << "studio: " << text << "\n" << std::flush;
    Status(text);
    CheckRecord();
}

void Studio::ToggleKeyframe() {
    if (m_secondKey) {
        m_secondKey.reset();
        // Interpolation stays on in an object once keyframed: renders go on in a new one.
        m_render = MakeRenderSession();
        Status("second keyframe cleared");
    } else {
        m_secondKey = m_record;
        m_keyStep = kKeyframeSteps / 2;
        Status("second keyframe set to this record; edits now change the first");
    }
    RequestRender();
    Invalidate();
}

void Studio::MoveKeyframe(int step) {
    if (!m_secondKey) return;
    const int moved = std::clamp(m_keyStep + step, 0, kKeyframeSteps);
    if (moved == m_keyStep) return;
    m_keyStep = moved;
    RequestRender();
    Invalidate();
}

void Studio::ChooseFrame(int frame) {
    if (!m_supply.IsVideo()) return;
    frame = std::clamp(frame, 0, m_supply.FrameCount() - 1);
    m_frame = frame;
    m_input = std::make_shared<const cli::Image>(m_supply.Frame(frame));
    RequestRender();
    RebuildPreview();
    Invalidate();
}

void Studio::CheckRecord() {
    if (!m_edit) return;
    common::RecordBytes record;
    if (FAILED(m_edit->ReadRecord(&record, true)) || record == m_record) return;
    m_record = std::move(record);
    // The preset stays marked only while the record is still that preset's row.
    const cli::EffectInfo& effect = cli::AllEffects()[m_effect];
    if (m_preset >= 0 && (m_record.size() != effect.recordSize ||
                          std::memcmp(m_record.data(), static_cast<const uint8_t*>(effect.presets) +
                                                           size_t(m_preset) * effect.recordSize,
                                      effect.recordSize) != 0))
        m_preset = -1;
    RequestRender();
    Invalidate();
}

void Studio::RequestRender() {
    if (!m_worker || !m_render || m_record.empty()) return;
    RenderJob job;
    job.session = m_render;
    job.record = m_record;
    job.secondKey = m_secondKey;
    job.position = double(m_keyStep) / double(kKeyframeSteps);
    job.input = m_input;
    m_lastRequest = m_worker->Request(std::move(job));
}

void Studio::TakeResult() {
    std::optional<RenderResult> result = m_worker->Take();
    if (!result) return;
    if (FAILED(result->hr)) Status("the render failed: " + cli::ResultInWords(result->hr));
    m_shown = std::move(result);
    RebuildPreview();
    Invalidate();
}

void Studio::Save() {
    if (!m_shown || m_shown->job.generation != m_lastRequest) {
        m_worker->WaitFor(m_lastRequest);
        TakeResult();
    }
    if (!m_shown || m_shown->job.generation != m_lastRequest || FAILED(m_shown->hr)) {
        Status("nothing rendered to save yet");
        return;
    }
    SaveRequest request;
    request.effect = &cli::AllEffects()[m_effect];
    request.record = m_shown->job.record;
    request.secondKey = m_shown->job.secondKey;
    request.keyframeStep = m_keyStep;
    request.rendered = &m_shown->output;
    request.source = m_shown->job.input.get();
    request.sourcePath = m_supply.IsVideo() ? std::string() : m_supply.RenderablePath();
    request.prefix = m_options.savePrefix;
    request.program = ProgramPath();
    request.modulePath = m_options.modulePath;
    const SavedFiles saved = SaveStudioResult(request);
    m_command = saved.command;
    m_out << "studio: saved " << saved.picture << ", " << saved.state << " and " << saved.commandFile << "\n"
          << saved.command << "\n"
          << std::flush;
    Status("saved " + std::filesystem::path(saved.picture).filename().string() + ", .state and .txt");
}

void Studio::Status(const std::string& text) {
    m_status = text;
    Invalidate();
}

void Studio::Invalidate() {
    if (m_window) InvalidateRect(m_window, nullptr, FALSE);
}

}  // namespace brushwerk::studio
