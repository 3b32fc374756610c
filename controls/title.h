// The page's heading: its text in a large font, shrunk step by step until it fits the
// item. Window class "Quillet Title", registered with the other controls at module load
// (controls/control_window.h).
#pragma once

#include "platform/ui/wingdi.h"

class CTitle {
public:
    static constexpr const char* kClassName = "Quillet Title";
    static bool Register(HINSTANCE module);
    ~CTitle();

    // Binds the dialog item id; it keeps its rectangle.
    void Attach(HWND dialog, int id);

private:
    static LRESULT WindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Paint();

    RECT m_rcClient{};
    HWND m_hWnd = nullptr;
};
