// The three-state bitmap button ("Help", "Info", the options dialog's logo): normal,
// hover and pressed frames stacked in one bitmap; a press released over the button
// sends WM_COMMAND (its item identifier, 0) to the dialog. Base of the colour swatch and
// the eyedropper, which share its states and painting. Window class "Quillet BitButton",
// registered with the other controls at module load (controls/control_window.h).
#pragma once

#include "platform/ui/wingdi.h"

class CBitButton {
public:
    static constexpr const char* kClassName = "Quillet BitButton";
    static bool Register(HINSTANCE module);

    enum State { kNormal = 0, kHover = 1, kPressed = 2, kPressedOutside = 3 };

    virtual ~CBitButton();
    // Binds the dialog item id and sizes it to one frame of the bitmap, keeping its
    // top-left corner. Nothing happens without the item or the bitmap.
    void Attach(HWND dialog, int id, HBITMAP bitmap);
    // A disabled button draws only its face and sends nothing; it still follows the mouse.
    void SetEnabled(bool enabled);
    bool IsEnabled() const { return m_bEnabled; }
    int GetId() const { return m_nId; }
    HWND GetWindow() const { return m_hWnd; }
    int GetState() const { return m_nState; }

protected:
    // The one procedure of the button classes; the object's own handlers through Handle.
    static LRESULT WindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual void Paint(HDC dc);
    // A press released over the button, after the capture was let go: the command.
    virtual void OnClick();
    void PaintFrame(HDC dc);
    void FollowMouse(LPARAM position);
    void SetState(int state);

    HWND m_hParent = nullptr;
    int m_nId = 0;
    HBITMAP m_hBitmap = nullptr;
    RECT m_rcClient{};
    HWND m_hWnd = nullptr;
    int m_nState = kNormal;
    bool m_bEnabled = true;
};
