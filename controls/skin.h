// What all property pages share: the module's folder, the skin bitmaps (loaded once and
// cached), the eyedropper cursor and the one user setting, "Knobs Drag Vertical", with
// the small options dialog that changes it and the help pages.
#pragma once

#include "platform/ui/dialog.h"

class CSkin {
public:
    CSkin() = default;
    ~CSkin();
    CSkin(const CSkin&) = delete;
    CSkin& operator=(const CSkin&) = delete;

    void Init(HINSTANCE module, const char* displayName);
    // The cached bitmap, loaded on first use; null when it cannot be loaded or 20 are held.
    HBITMAP GetBitmap(int id);
    HCURSOR GetDropperCursor() const { return m_hDropperCursor; }
    bool GetKnobsDragVertical() const { return m_bKnobsDragVertical; }
    void SetKnobsDragVertical(bool vertical);
    // The modal options dialog (resource 115); returns at once while one is open.
    void ShowOptions(HWND parent);
    // Opens the help page of a context (1 the options, 2 to 8 the pages) beside the module.
    void ShowHelp(HWND parent, int context);
    const char* ModuleDir() const { return m_szModuleDir; }
    const char* DisplayName() const { return m_szDisplayName; }

private:
    static constexpr unsigned kMaximumBitmaps = 20;
    char m_szModuleDir[260] = {};
    char m_szDisplayName[64] = {};
    HINSTANCE m_hInstance = nullptr;
    HCURSOR m_hDropperCursor = nullptr;
    HBITMAP m_ahBitmaps[kMaximumBitmaps] = {};
    int m_anBitmapIds[kMaximumBitmaps] = {};
    unsigned m_nBitmaps = 0;
    bool m_bKnobsDragVertical = false;
};

// Between module load and unload; null otherwise.
extern CSkin* g_pSkin;
// True while the options dialog is shown.
extern bool g_bOptionsOpen;

// The setting's home below HKEY_LOCAL_MACHINE (or HKEY_CURRENT_USER) and its value name.
constexpr const char* kSettingsKeyFormat = "Software\\Quillet\\%s";
constexpr const char* kKnobsDragVertical = "Knobs Drag Vertical";
