// Dialogs: a template's items laid out in dialog units, converted with the base units of
// the dialog's font as the platform computes them (the average width of the 52 Latin
// letters, rounded, and the font's cell height); child dialogs for pages, modal dialogs
// with their own message loop; the dialog manager's keyboard (Tab, Enter, Escape).
#include <algorithm>
#include <map>
#include <mutex>

#include "platform/com/wintypes.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/gdi_objects.h"
#include "platform/ui/resource.h"
#include "platform/ui/standard_controls.h"
#include "platform/ui/window_table.h"

namespace {

struct DialogInfo {
    DLGPROC procedure = nullptr;
    HFONT font = nullptr;
    bool ownsFont = false;
    int baseX = 0, baseY = 0;
    bool ended = false;
    intptr_t result = 0;
};

std::mutex g_mutex;
std::map<HWND, DialogInfo>& Dialogs() {
    static auto* dialogs = new std::map<HWND, DialogInfo>;
    return *dialogs;
}
thread_local DialogInfo* t_creating = nullptr;  // handed to the dialog window at WM_CREATE

DialogInfo* Find(HWND hwnd) {
    std::lock_guard lock(g_mutex);
    auto it = Dialogs().find(hwnd);
    return it == Dialogs().end() ? nullptr : &it->second;
}

int MulDiv(int a, int b, int c) {
    int64_t product = int64_t(a) * b;
    return int((product >= 0 ? product + c / 2 : product - c / 2) / c);
}

void BaseUnits(HFONT font, int* x, int* y) {
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, font);
    SIZE size{};
    TEXTMETRICA tm{};
    GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &size);
    GetTextMetricsA(dc, &tm);
    DeleteDC(dc);
    *x = (size.cx / 26 + 1) / 2;
    *y = tm.tmHeight;
}

bool IsDescendant(HWND ancestor, HWND hwnd) {
    for (; hwnd; hwnd = GetParent(hwnd))
        if (hwnd == ancestor) return true;
    return false;
}

// Tab items in order, descending into nested dialogs that are control parents.
void CollectTabItems(HWND parent, std::vector<HWND>* out) {
    for (HWND child : ChildWindows(parent)) {
        // The item's own style: the dialog itself may not be shown yet (WM_INITDIALOG).
        if (!(GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) || !IsWindowEnabled(child)) continue;
        if (GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP) out->push_back(child);
        WindowState state;
        if (ReadWindowState(child, &state) && (state.exStyle & WS_EX_CONTROLPARENT)) CollectTabItems(child, out);
    }
}

bool IsEdit(HWND hwnd) {
    WNDPROC proc = nullptr;
    WindowState state;
    if (ReadWindowState(hwnd, &state)) proc = state.proc;
    return proc == &EditProcedure;
}

// The template's font (owned when made here) and its base units.
void ChooseFont(const DialogTemplate& t, DialogInfo* info) {
    if (t.style & DS_SETFONT) {
        info->font = CreateFontA(-MulDiv(t.pointSize, 96, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                 t.font.c_str());
        info->ownsFont = info->font != nullptr;
    }
    if (!info->font) info->font = DefaultGuiFont();
    BaseUnits(info->font, &info->baseX, &info->baseY);
}

HWND CreateFromTemplate(HINSTANCE instance, const DialogTemplate& t, HWND parent, DLGPROC procedure, LPARAM param) {
    RegisterStandardClasses();
    DialogInfo info;
    info.procedure = procedure;
    ChooseFont(t, &info);
    auto x = [&](int v) { return MulDiv(v, info.baseX, 4); };
    auto y = [&](int v) { return MulDiv(v, info.baseY, 8); };
    int left = x(t.x), top = y(t.y);
    if (!(t.style & WS_CHILD) && parent) {
        // A top-level dialog is placed relative to its owner.
        RECT owner;
        GetWindowRect(parent, &owner);
        left += owner.left, top += owner.top;
    }
    t_creating = &info;
    HWND dialog = CreateWindowExA(t.exStyle, "#32770", t.title.c_str(), t.style & ~WS_VISIBLE, left, top, x(t.cx),
                                  y(t.cy), (t.style & WS_CHILD) ? parent : nullptr, nullptr, instance, nullptr);
    t_creating = nullptr;
    if (!dialog) {
        if (info.ownsFont) DeleteObject(info.font);
        return nullptr;
    }
    for (const auto& item : t.items) {
        HWND control = CreateWindowExA(item.exStyle, item.className.c_str(), item.text.c_str(), item.style | WS_CHILD,
                                       x(item.x), y(item.y), x(item.cx), y(item.cy), dialog,
                                       reinterpret_cast<void*>(intptr_t(item.id)), instance, nullptr);
        if (control) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(info.font), 0);
    }
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    if (SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) && first && IsWindow(dialog)) {
        SetFocus(first);
        if (IsEdit(first)) SendMessageA(first, EM_SETSEL, 0, -1);
    }
    if (IsWindow(dialog) && (t.style & WS_VISIBLE)) ShowWindow(dialog, SW_SHOW);
    return IsWindow(dialog) ? dialog : nullptr;
}

intptr_t RunModal(HINSTANCE instance, const DialogTemplate& t, HWND owner, DLGPROC procedure, LPARAM param) {
    HWND ownerTop = owner ? TopLevelOf(owner) : nullptr;
    DialogTemplate shown = t;
    shown.style = (shown.style & ~WS_CHILD) | WS_VISIBLE;
    HWND dialog = CreateFromTemplate(instance, shown, ownerTop, procedure, param);
    if (!dialog) return -1;
    const bool ownerWasEnabled = ownerTop && IsWindowEnabled(ownerTop);
    if (ownerWasEnabled) EnableWindow(ownerTop, FALSE);
    MSG msg;
    for (;;) {
        DialogInfo* info = Find(dialog);
        if (!info || info->ended) break;
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(int(msg.wParam));  // the caller's loop still has to see it
            break;
        }
        if (!IsDialogMessageA(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    DialogInfo* info = Find(dialog);
    intptr_t result = info ? info->result : 0;
    if (ownerWasEnabled) EnableWindow(ownerTop, TRUE);
    DestroyWindow(dialog);
    return result;
}

const void* DialogResource(HINSTANCE instance, const char* name, size_t* size) {
    uintptr_t id = reinterpret_cast<uintptr_t>(name);
    return id < 0x10000 ? LoadModuleResource(instance, "DIALOG", UINT(id), size) : nullptr;
}

}  // namespace

LRESULT DialogProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE && t_creating) {
        std::lock_guard lock(g_mutex);
        Dialogs()[hwnd] = *t_creating;
    }
    DialogInfo* info = Find(hwnd);
    DLGPROC procedure = info ? info->procedure : nullptr;
    intptr_t handled = procedure ? procedure(hwnd, msg, wParam, lParam) : 0;
    if (msg == WM_DESTROY) {
        std::lock_guard lock(g_mutex);
        auto it = Dialogs().find(hwnd);
        if (it != Dialogs().end() && it->second.ownsFont) DeleteObject(it->second.font);
        Dialogs().erase(hwnd);
        return 0;
    }
    if (handled) return msg == WM_INITDIALOG ? handled : GetWindowLongPtrA(hwnd, DWLP_MSGRESULT);
    return msg == WM_INITDIALOG ? 1 : DefDlgProcA(hwnd, msg, wParam, lParam);
}

extern "C" LRESULT DefDlgProcA(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return 0;
    case WM_GETFONT: {
        DialogInfo* info = Find(dialog);
        return info ? reinterpret_cast<LRESULT>(info->font) : 0;
    }
    default:
        return DefWindowProcA(dialog, msg, wParam, lParam);
    }
}

extern "C" HWND CreateDialogIndirectParamA(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate, HWND parent,
                                           DLGPROC procedure, LPARAM initParam) {
    DialogTemplate t;
    // An in-memory template carries no size: its own counts say where it ends.
    if (!ReadDialogTemplate(dialogTemplate, SIZE_MAX / 2, &t)) return nullptr;
    return CreateFromTemplate(instance, t, parent, procedure, initParam);
}

extern "C" intptr_t DialogBoxIndirectParamA(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate, HWND owner,
                                            DLGPROC procedure, LPARAM initParam) {
    DialogTemplate t;
    if (!ReadDialogTemplate(dialogTemplate, SIZE_MAX / 2, &t)) return -1;
    return RunModal(instance, t, owner, procedure, initParam);
}

extern "C" HWND CreateDialogParamA(HINSTANCE instance, const char* name, HWND parent, DLGPROC procedure,
                                   LPARAM initParam) {
    size_t size = 0;
    const void* bytes = DialogResource(instance, name, &size);
    DialogTemplate t;
    if (!bytes || !ReadDialogTemplate(bytes, size, &t)) return nullptr;
    return CreateFromTemplate(instance, t, parent, procedure, initParam);
}

extern "C" intptr_t DialogBoxParamA(HINSTANCE instance, const char* name, HWND owner, DLGPROC procedure,
                                    LPARAM initParam) {
    size_t size = 0;
    const void* bytes = DialogResource(instance, name, &size);
    DialogTemplate t;
    if (!bytes || !ReadDialogTemplate(bytes, size, &t)) return -1;
    return RunModal(instance, t, owner, procedure, initParam);
}

extern "C" BOOL EndDialog(HWND dialog, intptr_t result) {
    DialogInfo* info = Find(dialog);
    if (!info) return FALSE;
    info->ended = true;
    info->result = result;
    ShowWindow(dialog, SW_HIDE);
    PostMessageA(dialog, WM_NULL, 0, 0);  // wakes the modal loop
    return TRUE;
}

extern "C" BOOL MapDialogRect(HWND dialog, RECT* rect) {
    DialogInfo* info = Find(dialog);
    if (!info || !rect) return FALSE;
    *rect = RECT{MulDiv(rect->left, info->baseX, 4), MulDiv(rect->top, info->baseY, 8),
                 MulDiv(rect->right, info->baseX, 4), MulDiv(rect->bottom, info->baseY, 8)};
    return TRUE;
}

extern "C" BOOL GetDialogResourceSize(HINSTANCE instance, const char* name, SIZE* size) {
    size_t bytes = 0;
    const void* resource = DialogResource(instance, name, &bytes);
    DialogTemplate t;
    if (!size || !resource || !ReadDialogTemplate(resource, bytes, &t)) return FALSE;
    DialogInfo info;
    ChooseFont(t, &info);
    *size = SIZE{MulDiv(t.cx, info.baseX, 4), MulDiv(t.cy, info.baseY, 8)};
    if (info.ownsFont) DeleteObject(info.font);
    return TRUE;
}

extern "C" HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
    std::vector<HWND> items;
    CollectTabItems(dialog, &items);
    if (items.empty()) return nullptr;
    auto it = std::find(items.begin(), items.end(), control);
    if (it == items.end()) return previous ? items.back() : items.front();
    size_t at = size_t(it - items.begin());
    return items[previous ? (at + items.size() - 1) % items.size() : (at + 1) % items.size()];
}

extern "C" BOOL IsDialogMessageA(HWND dialog, MSG* msg) {
    if (!msg || !Find(dialog) || !IsDescendant(dialog, msg->hwnd)) return FALSE;
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_TAB || msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE)) {
        if (msg->wParam == VK_TAB) {
            HWND next = GetNextDlgTabItem(dialog, GetFocus(), FALSE);
            if (next) {
                SetFocus(next);
                if (IsEdit(next)) SendMessageA(next, EM_SETSEL, 0, -1);
            }
        } else if (msg->wParam == VK_ESCAPE) {
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        } else {
            // Enter presses the focused push button, else the default one, else OK.
            HWND focus = GetFocus();
            int id = IDOK;
            if (focus && !IsEdit(focus) && (GetWindowLongA(focus, GWL_STYLE) & 0xF) <= BS_DEFPUSHBUTTON &&
                IsDescendant(dialog, focus))
                id = GetDlgCtrlID(focus);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
        }
        return TRUE;
    }
    if (msg->message == WM_CHAR && (msg->wParam == '\t' || msg->wParam == '\r' || msg->wParam == 27)) return TRUE;
    TranslateMessage(msg);
    DispatchMessageA(msg);
    return TRUE;
}

extern "C" UINT IsDlgButtonChecked(HWND dialog, int id) { return UINT(SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0)); }

extern "C" BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
    HWND button = GetDlgItem(dialog, id);
    if (!button) return FALSE;
    SendMessageA(button, BM_SETCHECK, check, 0);
    return TRUE;
}

void RegisterStandardClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        const struct {
            const char* name;
            WNDPROC procedure;
            int extraBytes;
            HBRUSH background;
            const char* cursor;
        } classes[] = {
            {"Static", &StaticProcedure, kControlExtraBytes, nullptr, IDC_ARROW},
            {"Button", &ButtonProcedure, kControlExtraBytes, nullptr, IDC_ARROW},
            {"Edit", &EditProcedure, kControlExtraBytes, nullptr, IDC_IBEAM},
            {"#32770", &DialogProcedure, 24, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), IDC_ARROW},
        };
        for (const auto& c : classes) {
            WNDCLASSA wc{};
            wc.style = CS_HREDRAW | CS_VREDRAW;
            wc.lpfnWndProc = c.procedure;
            wc.cbWndExtra = c.extraBytes;
            wc.hCursor = LoadCursorA(nullptr, c.cursor);
            wc.hbrBackground = c.background;
            wc.lpszClassName = c.name;
            RegisterClassA(&wc);
        }
    });
}
