// What the pages' custom controls share: their window classes ("Quillet Knob", "Quillet
// Title", "Quillet BitButton", "Quillet Color", "Quillet Dropper"), the object pointer in
// each window, the caption labels and the film-strip drawing. DllMain registers the
// classes at module load, beside the shared UI settings, so that every page dialog made
// from the module's templates finds them; it unregisters them at unload, so that a module
// loaded again does not meet classes whose procedures pointed into the unloaded copy.
#pragma once

#include "platform/ui/wingdi.h"

// Registers the five classes with the module instance; false when any could not be
// registered (already registered by another copy of the module, for one).
bool RegisterControlClasses(HINSTANCE module);
void UnregisterControlClasses(HINSTANCE module);

// One class of the controls: redrawn whole on resizing, one pointer of extra bytes for
// the control object, arrow cursor, background brush value 15, no icon or menu.
bool RegisterControlClass(HINSTANCE module, const char* className, WNDPROC procedure);

// A control object that ends before its window (a page closed while its dialog is still
// being torn down, a control on the stack) hands the window back to the default procedure,
// so later messages never reach the ended object.
void DetachControl(HWND hwnd, const void* control);

// The control object a window procedure's window belongs to; null until Attach stored it.
template <class Control>
Control* ControlOf(HWND hwnd) {
    return reinterpret_cast<Control*>(GetWindowLongPtrA(hwnd, 0));
}

// Creates the caption label of a knob or swatch: a centred static with the item's own
// text, in the dialog's font.
void CreateCaptionLabel(HWND dialog, HWND item, int x, int y, int width, int height);
// The item's top-left corner relative to the dialog.
POINT PositionInDialog(HWND dialog, HWND item);
// Per-pixel alpha blending of rows [frame * height, (frame + 1) * height) of a strip at
// (0, 0) of dc.
void DrawStripFrame(HDC dc, HBITMAP strip, int width, int height, int frame);
