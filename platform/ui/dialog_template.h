// Internal to the platform: a dialog template read into plain values.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"

struct DialogItemTemplate {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    WORD id = 0;
    std::string className;  // "Button", "Edit", "Static" for the ordinals
    std::string text;
};

struct DialogTemplate {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string title;
    std::string font;
    WORD pointSize = 0;
    std::vector<DialogItemTemplate> items;
};

// False when the bytes end before the template does (size: what the caller knows of it).
bool ReadDialogTemplate(const void* bytes, size_t size, DialogTemplate* out);
