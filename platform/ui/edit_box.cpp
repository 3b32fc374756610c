// The single-line "Edit" box: typing replaces the selection, Backspace and Delete erase,
// the arrows, Home and End move the caret; the text scrolls sideways to keep the caret in
// view (ES_AUTOHSCROLL) and is centred with ES_CENTER while it fits. The parent hears
// EN_SETFOCUS, EN_CHANGE on every edit and EN_KILLFOCUS when the focus leaves.
#include <algorithm>
#include <map>
#include <mutex>
#include <string>

#include "platform/ui/gdi_objects.h"
#include "platform/ui/standard_controls.h"

namespace {

struct EditState {
    size_t anchor = 0, caret = 0;  // the selection runs between them
    int scroll = 0;  // pixels of text hidden on the left
};

std::map<HWND, EditState>& States() {
    static auto* states = new std::map<HWND, EditState>;
    return *states;
}

std::string Text(HWND hwnd) {
    std::string text(size_t(GetWindowTextLengthA(hwnd)) + 1, '\0');
    text.resize(size_t(GetWindowTextA(hwnd, text.data(), int(text.size()))));
    return text;
}

int Width(HDC dc, const std::string& text, size_t count) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), int(std::min(count, text.size())), &size);
    return size.cx;
}

constexpr int kMargin = 3;  // the sunken frame and a pixel of air

// Where the text starts in the client area, after centring and scrolling.
int TextLeft(HWND hwnd, HDC dc, const std::string& text, EditState& s) {
    RECT r;
    GetClientRect(hwnd, &r);
    const int room = r.right - 2 * kMargin, width = Width(dc, text, text.size());
    if (width <= room) {
        s.scroll = 0;
        return (GetWindowLongA(hwnd, GWL_STYLE) & ES_CENTER) ? kMargin + (room - width) / 2 : kMargin;
    }
    const int caretAt = Width(dc, text, s.caret);
    s.scroll = std::clamp(s.scroll, caretAt - room, caretAt);
    s.scroll = std::clamp(s.scroll, 0, width - room);
    return kMargin - s.scroll;
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (!dc) return;
    EditState& s = States()[hwnd];
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(dc, &r, GetSysColorBrush(IsWindowEnabled(hwnd) ? COLOR_WINDOW : COLOR_BTNFACE));
    SelectObject(dc, ControlFont(hwnd));
    const std::string text = Text(hwnd);
    const int left = TextLeft(hwnd, dc, text, s);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    const int top = (r.bottom - tm.tmHeight) / 2;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    TextOutA(dc, left, top, text.c_str(), int(text.size()));
    if (GetFocus() == hwnd) {
        const size_t from = std::min(s.anchor, s.caret), to = std::max(s.anchor, s.caret);
        if (from != to) {
            RECT selection{left + Width(dc, text, from), top, left + Width(dc, text, to), top + tm.tmHeight};
            FillRect(dc, &selection, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
            TextOutA(dc, selection.left, top, text.c_str() + from, int(to - from));
        } else {
            RECT caret{left + Width(dc, text, s.caret), top, left + Width(dc, text, s.caret) + 1, top + tm.tmHeight};
            FillRect(dc, &caret, GetSysColorBrush(COLOR_WINDOWTEXT));
        }
    }
    if (GetWindowLongA(hwnd, GWL_STYLE) & WS_BORDER) DrawEdge3D(dc, r, true);
    EndPaint(hwnd, &ps);
}

void Replace(HWND hwnd, EditState& s, const std::string& with) {
    std::string text = Text(hwnd);
    const size_t from = std::min({s.anchor, s.caret, text.size()}), to = std::min(std::max(s.anchor, s.caret), text.size());
    text.replace(from, to - from, with);
    DefWindowProcA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    s.anchor = s.caret = from + with.size();
    NotifyParent(hwnd, EN_CHANGE);
}

void MoveCaret(HWND hwnd, EditState& s, size_t to) {
    s.anchor = s.caret = std::min(to, Text(hwnd).size());
    InvalidateRect(hwnd, nullptr, TRUE);
}

size_t CharacterAt(HWND hwnd, int x) {
    const std::string text = Text(hwnd);
    HDC dc = GetDC(hwnd);
    if (!dc) return text.size();
    SelectObject(dc, ControlFont(hwnd));
    EditState& s = States()[hwnd];
    const int left = TextLeft(hwnd, dc, text, s);
    size_t best = 0;
    for (size_t i = 1; i <= text.size(); ++i)
        if (std::abs(left + Width(dc, text, i) - x) < std::abs(left + Width(dc, text, best) - x)) best = i;
    ReleaseDC(hwnd, dc);
    return best;
}

}  // namespace

LRESULT EditProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    EditState& s = States()[hwnd];
    // Read on demand: asking for the length is itself a message to this procedure.
    auto length = [hwnd] { return size_t(GetWindowTextLengthA(hwnd)); };
    switch (msg) {
    case WM_SETFONT: SetWindowLongPtrA(hwnd, 0, LONG_PTR(wParam)); return 0;
    case WM_GETFONT: return GetWindowLongPtrA(hwnd, 0);
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_SETTEXT: {
        LRESULT done = DefWindowProcA(hwnd, msg, wParam, lParam);
        s = EditState{};
        NotifyParent(hwnd, EN_CHANGE);
        return done;
    }
    case EM_SETSEL: {
        // A negative end selects to the end; a negative start removes the selection.
        const auto start = intptr_t(wParam), end = intptr_t(lParam);
        if (start < 0) s.anchor = s.caret;
        else s.anchor = std::min(size_t(start), length()), s.caret = end < 0 ? length() : std::min(size_t(end), length());
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case EM_GETSEL: {
        const auto from = DWORD(std::min(s.anchor, s.caret)), to = DWORD(std::max(s.anchor, s.caret));
        if (wParam) *reinterpret_cast<DWORD*>(wParam) = from;
        if (lParam) *reinterpret_cast<DWORD*>(lParam) = to;
        return LRESULT(MAKELPARAM(from, to));
    }
    case WM_CHAR:
        if (BYTE(wParam) >= 0x20 && BYTE(wParam) != 0x7F) Replace(hwnd, s, std::string(1, char(wParam)));
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_BACK:
            if (s.anchor == s.caret && s.caret > 0) --s.anchor;
            if (s.anchor != s.caret) Replace(hwnd, s, "");
            break;
        case VK_DELETE:
            if (s.anchor == s.caret && s.caret < length()) ++s.anchor;
            if (s.anchor != s.caret) Replace(hwnd, s, "");
            break;
        case VK_LEFT: MoveCaret(hwnd, s, s.anchor != s.caret ? std::min(s.anchor, s.caret) : s.caret ? s.caret - 1 : 0); break;
        case VK_RIGHT: MoveCaret(hwnd, s, s.anchor != s.caret ? std::max(s.anchor, s.caret) : s.caret + 1); break;
        case VK_HOME: MoveCaret(hwnd, s, 0); break;
        case VK_END: MoveCaret(hwnd, s, length()); break;
        default: break;
        }
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        MoveCaret(hwnd, s, CharacterAt(hwnd, GET_X_LPARAM(lParam)));
        return 0;
    case WM_SETFOCUS:
        InvalidateRect(hwnd, nullptr, TRUE);
        NotifyParent(hwnd, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        InvalidateRect(hwnd, nullptr, TRUE);
        NotifyParent(hwnd, EN_KILLFOCUS);
        return 0;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_DESTROY: States().erase(hwnd); return 0;
    case WM_SETCURSOR: SetCursor(LoadCursorA(nullptr, IDC_IBEAM)); return 1;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}
