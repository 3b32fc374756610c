// The shared UI settings. The setting is read from HKEY_LOCAL_MACHINE, else from
// HKEY_CURRENT_USER, and is on only when its text begins with a lower-case 'y'. It is
// written below HKEY_LOCAL_MACHINE; where that is refused it is written below
// HKEY_CURRENT_USER instead, so that a person's choice survives the next load (it would
// otherwise be lost without a word).
#include "controls/skin.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "controls/bit_button.h"
#include "platform/com/combase.h"
#include "platform/com/registry.h"
#include "platform/ui/shell.h"

CSkin* g_pSkin = nullptr;
bool g_bOptionsOpen = false;

namespace {

constexpr int kDropperCursorId = 207;
constexpr int kOptionsDialogId = 115;
constexpr int kLogoBitmapId = 237;
constexpr int kLogoButton = 232, kDragVerticalBox = 230, kProductName = 234, kHelpButton = 9;
constexpr const char* kMakerSite = "https://quillet.example.org/brushwerk";

void KeyName(const char* section, char* out, size_t size) { std::snprintf(out, size, kSettingsKeyFormat, section); }

void ReadSetting(const char* section, const char* name, char* buffer, size_t size) {
    char keyName[128];
    KeyName(section, keyName, sizeof keyName);
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_ALL_ACCESS, &key) != 0 &&
        RegOpenKeyExA(HKEY_CURRENT_USER, keyName, 0, KEY_ALL_ACCESS, &key) != 0)
        return;
    char value[1024];
    DWORD type = 0, bytes = sizeof value - 1;
    LSTATUS status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes);
    RegCloseKey(key);
    if (status != 0 || type != REG_SZ) return;
    value[std::min<size_t>(bytes, sizeof value - 1)] = 0;
    const size_t length = std::min(std::strlen(value), size - 1);
    std::memcpy(buffer, value, length);
    buffer[length] = 0;
}

bool WriteSettingBelow(HKEY root, const char* keyName, const char* name, const char* text) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, keyName, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0)
        return false;
    LSTATUS status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), DWORD(std::strlen(text) + 1));
    RegCloseKey(key);
    return status == 0;
}

void WriteSetting(const char* section, const char* name, const char* text) {
    char keyName[128];
    KeyName(section, keyName, sizeof keyName);
    if (!WriteSettingBelow(HKEY_LOCAL_MACHINE, keyName, name, text)) WriteSettingBelow(HKEY_CURRENT_USER, keyName, name, text);
}

// The options dialog's logo button; one dialog is open at a time.
CBitButton& LogoButton() {
    static CBitButton button;
    return button;
}

intptr_t OptionsProcedure(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* skin = reinterpret_cast<CSkin*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (msg == WM_INITDIALOG) {
        skin = reinterpret_cast<CSkin*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        CheckDlgButton(dialog, kDragVerticalBox, skin->GetKnobsDragVertical() ? BST_CHECKED : BST_UNCHECKED);
        SetDlgItemTextA(dialog, kProductName, skin->DisplayName());
        SetWindowTextA(dialog, skin->DisplayName());
        LogoButton().Attach(dialog, kLogoButton, skin->GetBitmap(kLogoBitmapId));
        return TRUE;
    }
    if (msg != WM_COMMAND || !skin) return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        skin->SetKnobsDragVertical(IsDlgButtonChecked(dialog, kDragVerticalBox) == BST_CHECKED);
        EndDialog(dialog, 1);
        return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    case kHelpButton: skin->ShowHelp(dialog, 1); return TRUE;
    case kLogoButton: ShellExecuteA(dialog, "open", kMakerSite, nullptr, nullptr, SW_SHOW); return TRUE;
    default: return FALSE;
    }
}

}  // namespace

CSkin::~CSkin() {
    DestroyCursor(m_hDropperCursor);
    for (unsigned i = 0; i < m_nBitmaps; ++i) DeleteObject(m_ahBitmaps[i]);
}

void CSkin::Init(HINSTANCE module, const char* displayName) {
    m_hInstance = module;
    std::snprintf(m_szDisplayName, sizeof m_szDisplayName, "%s", displayName ? displayName : "");
    char path[260] = {};
    GetModuleFileNameA(module, path, sizeof path);
    char* cut = std::max(std::strrchr(path, '/'), std::strrchr(path, '\\'));
    if (cut) cut[1] = 0;
    else path[0] = 0;
    std::snprintf(m_szModuleDir, sizeof m_szModuleDir, "%s", path);
    m_hDropperCursor = LoadCursorA(module, MAKEINTRESOURCEA(kDropperCursorId));
    char value[16] = {};
    ReadSetting("Common", kKnobsDragVertical, value, sizeof value);
    m_bKnobsDragVertical = value[0] == 'y';
}

HBITMAP CSkin::GetBitmap(int id) {
    for (unsigned i = 0; i < m_nBitmaps; ++i)
        if (m_anBitmapIds[i] == id) return m_ahBitmaps[i];
    if (m_nBitmaps == kMaximumBitmaps) return nullptr;
    HBITMAP bitmap = LoadBitmapA(m_hInstance, MAKEINTRESOURCEA(id));
    if (!bitmap) return nullptr;
    m_anBitmapIds[m_nBitmaps] = id;
    m_ahBitmaps[m_nBitmaps++] = bitmap;
    return bitmap;
}

void CSkin::SetKnobsDragVertical(bool vertical) {
    m_bKnobsDragVertical = vertical;
    WriteSetting("Common", kKnobsDragVertical, vertical ? "yes" : "no");
}

void CSkin::ShowOptions(HWND parent) {
    if (g_bOptionsOpen) return;
    g_bOptionsOpen = true;
    DialogBoxParamA(m_hInstance, MAKEINTRESOURCEA(kOptionsDialogId), parent, &OptionsProcedure,
                    reinterpret_cast<LPARAM>(this));
    g_bOptionsOpen = false;
}

void CSkin::ShowHelp(HWND parent, int context) {
    static const char* const kPages[] = {"index",       "options",   "airbrush", "colorize",    "dreamglow",
                                         "duochrome",   "linedrawing", "metallic", "pastelsketch"};
    const char* page = context >= 1 && context <= 8 ? kPages[context] : kPages[0];
    char path[400];
    std::snprintf(path, sizeof path, "%shelp/%s.html", m_szModuleDir, page);
    ShellExecuteA(parent, "open", path, nullptr, nullptr, SW_SHOW);
}
