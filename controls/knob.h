// The knob: a film strip of pre-rendered knob images, one frame per value step, turned
// by dragging the mouse in a circle or up and down (the shared "Knobs Drag Vertical"
// setting), with its value edit box and caption placed under it. Every change goes to
// the page through IVectorUpdate. Window class "Quillet Knob", registered with the other
// controls at module load (controls/control_window.h).
#pragma once

#include "platform/ui/wingdi.h"

class CKnob;

// Implemented by every page: a knob's value changed. final is false when the change came
// through SetValue (the page refreshing, or the first report of a mouse step) and true
// for the second report of a mouse step, on which the page applies its record.
class IVectorUpdate {
public:
    virtual void OnValueChanged(CKnob* knob, bool final) = 0;

protected:
    ~IVectorUpdate() = default;
};

class CKnob {
public:
    static constexpr const char* kClassName = "Quillet Knob";
    static bool Register(HINSTANCE module);
    ~CKnob();

    // Binds the dialog item knobId, sizes it to one frame of the strip and places the edit
    // box editId and a caption (the item's own text) under it; the knob has no value until
    // the next SetValue. Nothing happens without the item or a frame count; without the
    // strip the knob keeps its template size and shows only its face.
    void Attach(IVectorUpdate* callback, HWND dialog, int knobId, int editId, HBITMAP strip, int frames);
    // Clamps v into 0..1 (not a number gives 0); false when that is the current value,
    // else stores it, reports OnValueChanged(this, false) and repaints.
    bool SetValue(float v);
    float GetValue() const { return m_fValue; }
    int GetId() const { return m_nId; }
    HWND GetWindow() const { return m_hWnd; }
    HWND GetEdit() const { return m_hEdit; }

private:
    static LRESULT WindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Paint();
    void TakeValueFromMouse(LPARAM position);

    int m_nId = 0;
    HBITMAP m_hBitmap = nullptr;
    HWND m_hWnd = nullptr;
    HWND m_hEdit = nullptr;
    RECT m_rcClient{};
    int m_nFrames = 0;
    int m_nFrameHeight = 0;
    float m_fValue = -1.0f;  // no value until the page sets one: the knob then shows only its face
    bool m_bDragging = false;
    int m_nDragStartY = 0;
    float m_fDragStartValue = 0.0f;
    IVectorUpdate* m_pCallback = nullptr;  // the page, which outlives its controls
};
