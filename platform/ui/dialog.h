// Dialogs from templates in dialog units, and the standard controls they hold (static
// text, edit box, push button, check box), in the platform's vocabulary.
#pragma once

#include "platform/ui/wingdi.h"

using DLGPROC = intptr_t (*)(HWND, UINT, WPARAM, LPARAM);

// The in-memory template: a DLGTEMPLATE header followed by WORD-aligned menu, class and
// title (0xFFFF + ordinal or a UTF-16 string), the font when DS_SETFONT is set, then each
// item's DLGITEMTEMPLATE on a DWORD boundary with its class, title and creation data.
#pragma pack(push, 2)
struct DLGTEMPLATE {
    DWORD style;
    DWORD dwExtendedStyle;
    WORD cdit;
    short x, y, cx, cy;
};
struct DLGITEMTEMPLATE {
    DWORD style;
    DWORD dwExtendedStyle;
    short x, y, cx, cy;
    WORD id;
};
#pragma pack(pop)

constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD DS_MODALFRAME = 0x80;
constexpr DWORD DS_CONTROL = 0x0400;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int DWLP_MSGRESULT = 0;
constexpr int DWLP_USER = 16;

// Static styles.
constexpr DWORD SS_LEFT = 0x0;
constexpr DWORD SS_CENTER = 0x1;
// Edit styles and notifications.
constexpr DWORD ES_CENTER = 0x1;
constexpr DWORD ES_AUTOHSCROLL = 0x80;
constexpr WORD EN_CHANGE = 0x0300;
constexpr WORD EN_KILLFOCUS = 0x0200;
constexpr WORD EN_SETFOCUS = 0x0100;
constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_SETSEL = 0x00B1;
// Button styles, notifications and messages.
constexpr DWORD BS_PUSHBUTTON = 0x0;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
constexpr DWORD BS_CHECKBOX = 0x2;
constexpr DWORD BS_AUTOCHECKBOX = 0x3;
constexpr WORD BN_CLICKED = 0;
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BST_UNCHECKED = 0;
constexpr UINT BST_CHECKED = 1;

extern "C" {
HWND CreateDialogIndirectParamA(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate, HWND parent,
                                DLGPROC procedure, LPARAM initParam);
// Runs the dialog's own message loop, with the owner disabled, until EndDialog; -1 when
// the dialog cannot be made.
intptr_t DialogBoxIndirectParamA(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate, HWND owner,
                                 DLGPROC procedure, LPARAM initParam);
// The same from the module's dialog resource (type "DIALOG", the template's bytes).
HWND CreateDialogParamA(HINSTANCE instance, const char* name, HWND parent, DLGPROC procedure, LPARAM initParam);
intptr_t DialogBoxParamA(HINSTANCE instance, const char* name, HWND owner, DLGPROC procedure, LPARAM initParam);
BOOL EndDialog(HWND dialog, intptr_t result);
// Tab and Shift+Tab move the focus among WS_TABSTOP items, Enter and Escape press OK and
// Cancel; TRUE when the message was the dialog's.
BOOL IsDialogMessageA(HWND dialog, MSG* msg);
LRESULT DefDlgProcA(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
// Dialog units to pixels with the dialog's font.
BOOL MapDialogRect(HWND dialog, RECT* rect);
// The size in pixels that the module's dialog resource will have, before any window is
// made (a property page reports it to its frame first).
BOOL GetDialogResourceSize(HINSTANCE instance, const char* name, SIZE* size);
UINT IsDlgButtonChecked(HWND dialog, int id);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
}

#define MAKEINTRESOURCEA(id) reinterpret_cast<const char*>(static_cast<uintptr_t>(static_cast<WORD>(id)))

// Builds a dialog template in memory, as a resource compiler would lay it out; sizes and
// positions in dialog units.
#include <string>
#include <vector>

class DialogTemplateBuilder {
public:
    DialogTemplateBuilder(DWORD style, DWORD exStyle, short x, short y, short cx, short cy, const std::string& title,
                          const std::string& font = "", WORD pointSize = 8);
    // className: "BUTTON", "EDIT", "STATIC" (written as their ordinals) or a registered name.
    DialogTemplateBuilder& Item(const std::string& className, const std::string& text, WORD id, DWORD style,
                                short x, short y, short cx, short cy, DWORD exStyle = 0);
    const DLGTEMPLATE* Template() const { return reinterpret_cast<const DLGTEMPLATE*>(m_bytes.data()); }
    const std::vector<WORD>& Words() const { return m_bytes; }

private:
    void Add(const void* data, size_t bytes);
    void AddString(const std::string& text);
    void AlignToDword();
    std::vector<WORD> m_bytes;  // WORD storage keeps the start 2-aligned; items align to 4 by padding
    WORD m_count = 0;
};
